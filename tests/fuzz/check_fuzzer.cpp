// libFuzzer: the checker reads any brain and says something sensible.
//
// The input is Language text, optionally followed by a zero byte and the
// text of a file a.vlf (which the first may INCLUDE). The text is written to
// brain.vlf in a scratch folder and checked. Checking must end without a
// crash, a sanitizer report or a hang, and every finding must point into
// one of the two files, at line 0 (the whole file) or a line the file has.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "engine/tools/check.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnex;
  std::vector<std::string> parts = fuzz::SplitAtZeros(data, size, 2);
  for (auto& p : parts) fuzz::WithoutSlashes(p);
  fuzz::ScratchFolder folder;
  const char* names[] = {"brain.vlf", "a.vlf"};
  std::size_t lines[2] = {0, 0};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::ofstream(names[i], std::ios::binary) << parts[i];
    lines[i] = fuzz::FileLines(parts[i]).size();
  }
  for (const Finding& f : CheckBrainFiles({"brain.vlf"})) {
    const int file = f.file == "brain.vlf" ? 0 : f.file == "a.vlf" && parts.size() > 1 ? 1 : -1;
    if (file < 0) fuzz::Fail("a finding in a file that was not read: " + f.file + ": " + f.message);
    if (f.line < 0 || static_cast<std::size_t>(f.line) > lines[file])
      fuzz::Fail(f.file + ":" + std::to_string(f.line) + ": a line the file does not have (" +
                 std::to_string(lines[file]) + " lines): " + f.message);
    if (f.message.empty() || f.check.empty()) fuzz::Fail("a finding without a message or a check name");
  }
  return 0;
}
