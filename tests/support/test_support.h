// Helpers shared by the tests: a brain that collects its answers, trace
// lines and reader messages, and a fixed clock.
#pragma once

#include <string>
#include <vector>

#include "engine/records/brain.h"

namespace varnex {
// What the tests compare answers, trace lines and messages with.
using Lines = std::vector<std::string>;
}  // namespace varnex

namespace varnex::test {

struct Recorder {
  std::vector<std::string> answers;
  std::vector<std::string> trace;
  std::vector<std::string> messages;
  std::vector<std::string> errors;  // failures reported while the run went on
};

// A brain whose answers, trace lines (tracing on), errors and reader messages go to
// `rec`. The random generator is seeded with 1.
std::unique_ptr<BrainClass> MakeBrain(Recorder& rec, bool trace = true);

// Sets the clock to a fixed day count for the lifetime of the object.
class FixedClock {
 public:
  explicit FixedClock(double days);
  ~FixedClock();
  void Set(double days) { now_ = days; }
  void Advance(double days) { now_ += days; }

 private:
  double now_;
};

// A fresh empty directory for files a test writes; removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace varnex::test
