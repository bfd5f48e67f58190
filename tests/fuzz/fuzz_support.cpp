#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace varnex::fuzz {

std::vector<std::string> SplitAtZeros(const uint8_t* data, std::size_t size, std::size_t maxParts) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != 0) {
      parts.back().push_back(static_cast<char>(data[i]));
    } else {
      if (parts.size() == maxParts) break;
      parts.emplace_back();
    }
  }
  return parts;
}

std::vector<std::string> FileLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) {
      lines.emplace_back(text);
      break;
    }
    std::size_t end = nl > 0 && text[nl - 1] == '\r' ? nl - 1 : nl;
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(nl + 1);
  }
  return lines;
}

void WithoutSlashes(std::string& text) { std::replace(text.begin(), text.end(), '/', '\\'); }

ScratchFolder::ScratchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "varnex-fuzz-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) Fail("cannot make a scratch folder");
  path_ = tmpl;
  previous_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (previous_ < 0 || ::chdir(path_.c_str()) != 0) Fail("cannot enter the scratch folder " + path_);
}

ScratchFolder::~ScratchFolder() {
  if (::fchdir(previous_) != 0) Fail("cannot leave the scratch folder " + path_);
  ::close(previous_);
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void Fail(const std::string& message, const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::fprintf(stderr, "%s\n", message.c_str());
  if (!a.empty() || !b.empty()) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    std::fprintf(stderr, "first difference at line %zu:\n  first:  %s\n  second: %s\n", i + 1,
                 i < a.size() ? a[i].c_str() : "(no line)", i < b.size() ? b[i].c_str() : "(no line)");
  }
  std::abort();
}

}  // namespace varnex::fuzz
