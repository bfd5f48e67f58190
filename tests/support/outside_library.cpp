// A small outside library for the tests: functions that External fragments
// and CallDLL tasks call.
#include <cstdint>
#include <cstring>
#include <stdexcept>

extern "C" {

// External: the score is the length of the argument, or -7 for "NEG".
int32_t ScoreLength(const char* arg) { return std::strcmp(arg, "NEG") == 0 ? -7 : static_cast<int32_t>(std::strlen(arg)); }

// CallDLL: writes "cat" and returns the count given as the argument.
int32_t WriteCat(const char* arg, char* answer) {
  std::strcpy(answer, "cat");
  return static_cast<int32_t>(std::strtol(arg, nullptr, 10));
}

// CallDLL: echoes its argument upper-cased and says how long it is.
int32_t Shout(const char* arg, char* answer) {
  std::size_t n = std::strlen(arg);
  if (n > 500) n = 500;
  for (std::size_t i = 0; i < n; ++i) answer[i] = (arg[i] >= 'a' && arg[i] <= 'z') ? static_cast<char>(arg[i] - 32) : arg[i];
  answer[n] = '\0';
  return static_cast<int32_t>(n);
}

// CallDLL: writes far more than the 512 bytes it is given.
int32_t Overrun(const char*, char* answer) {
  std::memset(answer, 'x', 4000);
  answer[4000] = '\0';
  return 10000;
}

// CallDLL: fails with a C++ exception.
int32_t Throws(const char*, char*) { throw std::runtime_error("inside the library"); }

// How many times the library has been loaded into this process.
int32_t LoadCount(const char*) ;
}

namespace {
int gLoads = 0;
struct CountLoads {
  CountLoads() { ++gLoads; }
} countLoads;
}  // namespace

extern "C" int32_t LoadCount(const char*) { return gLoads; }
