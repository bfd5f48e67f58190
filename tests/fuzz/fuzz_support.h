// What the fuzz targets share: cutting one fuzz input into texts, reading a
// text into lines as a Language file is read, and a private folder for the
// files a fuzzed brain writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnex::fuzz {

// The bytes as texts separated by zero bytes: always at least one text, at
// most `maxParts` (the rest is dropped).
std::vector<std::string> SplitAtZeros(const uint8_t* data, std::size_t size, std::size_t maxParts);

// The lines of a text as the file reader gives them: ended by LF or CR LF,
// a last line without an end included.
std::vector<std::string> FileLines(std::string_view text);

// Fuzzed texts name files (INCLUDE, Load and Save Collection, Log This, the
// word database folder). Without "/" no name can leave the current folder
// or reach a device or /proc file: every "/" becomes "\".
void WithoutSlashes(std::string& text);

// A fresh empty folder made the current folder for the lifetime of the
// object; afterwards the previous current folder is back and the folder is
// removed with everything in it. Keeps what a fuzzed brain writes apart from
// everything else and from the next input. libFuzzer writes its corpus and
// findings by the paths it was given, so those must be absolute.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  int previous_ = -1;
  std::string path_;
};

// Prints the message and the first line where two texts differ, then
// aborts: how a target reports a broken invariant to libFuzzer.
[[noreturn]] void Fail(const std::string& message, const std::vector<std::string>& a = {},
                       const std::vector<std::string>& b = {});

}  // namespace varnex::fuzz
