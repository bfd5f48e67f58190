#include "support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/base/random.h"
#include "platform/clock.h"

namespace varnex::test {

std::unique_ptr<BrainClass> MakeBrain(Recorder& rec, bool trace) {
  FixRandomSeed(1);
  auto b = std::make_unique<BrainClass>([&rec](const std::string& s) { rec.answers.push_back(s); });
  b->ReaderMessage = [&rec](const std::string& s) { rec.messages.push_back(s); };
  b->ErrorHandler = [&rec](const std::string& s) { rec.errors.push_back(s); };
  if (trace) b->TraceStart([&rec](const std::string& s) { rec.trace.push_back(s); });
  return b;
}

FixedClock::FixedClock(double days) : now_(days) {
  SetClockForTesting([this] { return now_; });
}
FixedClock::~FixedClock() { SetClockForTesting(nullptr); }

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "varnex-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) std::abort();
  path_ = buf.data();
}
TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace varnex::test
