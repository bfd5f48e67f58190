// Text files as byte lines. Readers accept lines ended by LF or CR LF;
// writers end every line with CR LF.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace varnex {

// Reads a file line by line, reporting read errors as they happen.
class LineReader {
 public:
  LineReader() = default;
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool Open(const std::string& path);
  enum class Result { Line, End, Error };
  Result Next(std::string& line);
  void Close();

 private:
  int fd_ = -1;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

// The whole file as lines; false (and `lines` unspecified) when it cannot be
// opened or read in full.
bool ReadAllLines(const std::string& path, std::vector<std::string>& lines);

// Writes the lines, each ended by CR LF, to a temporary file beside `path`
// and renames it over `path` only when everything was written and synced,
// so a failure never leaves a half-written file. A symbolic link is
// followed (dangling or not) and kept: the file it names is replaced, in
// that file's folder. A target that is not a plain file, or that has no
// write permission (even for root), is refused. Temporary files that an
// interrupted save of the same target left behind are removed.
// Returns an empty text on success, the error otherwise.
std::string WriteLinesAtomically(const std::string& path, const std::vector<std::string>& lines);

// Appends one line ended by CR LF, creating the file when needed. Only a
// plain file is appended to: pipes and devices are refused without waiting.
bool AppendLine(const std::string& path, const std::string& line);

bool IsRegularFile(const std::string& path);

// Identity of an existing file (device and inode), to recognise one file
// under several path spellings. False when the file cannot be examined.
struct FileIdentity {
  unsigned long long device = 0, inode = 0;
  bool operator==(const FileIdentity&) const = default;
};
bool IdentifyFile(const std::string& path, FileIdentity& id);

}  // namespace varnex
