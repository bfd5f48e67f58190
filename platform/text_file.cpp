#include "platform/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnex {
namespace {

// File names come from brain texts; one with a zero byte would silently name
// another file.
bool UsablePath(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

}  // namespace

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const std::string& path) {
  Close();
  buffer_.clear();
  pos_ = 0;
  eof_ = false;
  if (!UsablePath(path)) return false;
  // Devices and pipes could be read for ever; only files (and directories,
  // whose read fails at once) are opened.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
    Close();
    return false;
  }
  return true;
}

void LineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

LineReader::Result LineReader::Next(std::string& line) {
  if (fd_ < 0) return Result::Error;
  for (;;) {
    std::size_t nl = buffer_.find('\n', pos_);
    if (nl != std::string::npos) {
      std::size_t end = nl;
      if (end > pos_ && buffer_[end - 1] == '\r') --end;
      line.assign(buffer_, pos_, end - pos_);
      pos_ = nl + 1;
      return Result::Line;
    }
    if (eof_) {
      if (pos_ >= buffer_.size()) return Result::End;
      line.assign(buffer_, pos_, std::string::npos);
      pos_ = buffer_.size();
      return Result::Line;
    }
    if (pos_ > 0) {
      buffer_.erase(0, pos_);
      pos_ = 0;
    }
    char chunk[65536];
    ssize_t n;
    do {
      n = ::read(fd_, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Result::Error;
    if (n == 0)
      eof_ = true;
    else
      buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool ReadAllLines(const std::string& path, std::vector<std::string>& lines) {
  LineReader reader;
  if (!reader.Open(path)) return false;
  lines.clear();
  std::string line;
  for (;;) {
    switch (reader.Next(line)) {
      case LineReader::Result::Line: lines.push_back(line); break;
      case LineReader::Result::End: return true;
      case LineReader::Result::Error: return false;
    }
  }
}

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string WriteLinesAtomically(const std::string& requested, const std::vector<std::string>& lines) {
  if (!UsablePath(requested)) return "Could not write " + requested + ": invalid file name";
  // Replace the file a symbolic link points to, not the link itself.
  std::string path = requested;
  if (char* real = ::realpath(requested.c_str(), nullptr)) {
    path = real;
    std::free(real);
  }
  std::string tmp = path + ".tmp-XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return "Could not create " + std::string(name.data()) + ": " + std::strerror(errno);
  // Keep the permissions of the file being replaced, or the usual ones.
  struct stat st;
  mode_t mode = 0644;
  if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
  ::fchmod(fd, mode);

  std::string block;
  bool ok = true;
  for (const auto& l : lines) {
    block += l;
    block += "\r\n";
    if (block.size() >= (1u << 16)) {
      ok = ok && WriteAll(fd, block.data(), block.size());
      block.clear();
    }
  }
  ok = ok && WriteAll(fd, block.data(), block.size());
  int err = ok ? 0 : errno;
  if (ok && ::fsync(fd) != 0) ok = false, err = errno;
  if (::close(fd) != 0 && ok) ok = false, err = errno;
  if (ok && ::rename(name.data(), path.c_str()) != 0) ok = false, err = errno;
  if (!ok) {
    ::unlink(name.data());
    return "Could not write " + path + ": " + std::strerror(err);
  }
  return {};
}

bool AppendLine(const std::string& path, const std::string& line) {
  if (!UsablePath(path)) return false;
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::string data = line + "\r\n";
  bool ok = WriteAll(fd, data.data(), data.size());
  return (::close(fd) == 0) && ok;
}

bool IsRegularFile(const std::string& path) {
  if (!UsablePath(path)) return false;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IdentifyFile(const std::string& path, FileIdentity& id) {
  if (!UsablePath(path)) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  return true;
}

}  // namespace varnex
