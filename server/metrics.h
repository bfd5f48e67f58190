// What the service counts, shown in Prometheus's text format at /metrics.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace varnex::server {

// Durations counted into fixed buckets, as a Prometheus histogram.
class Histogram {
 public:
  static constexpr std::array<double, 14> kBounds = {0.0005, 0.001, 0.0025, 0.005, 0.01,  0.025, 0.05,
                                                     0.1,    0.25,  0.5,    1,     2.5,   5,     10};
  void Observe(double seconds);
  // The histogram's lines for `name` (with its # TYPE line).
  std::string Text(const std::string& name, const std::string& help) const;

 private:
  std::array<std::atomic<uint64_t>, kBounds.size() + 1> counts_{};  // the last: above every bound
  std::atomic<uint64_t> count_{0};
  std::atomic<uint64_t> micros_{0};  // the sum, in microseconds, so that it adds up atomically
};

struct Metrics {
  std::atomic<uint64_t> inputs{0};           // inputs answered
  std::atomic<uint64_t> answers{0};          // answers given (an input may get several, or none)
  std::atomic<uint64_t> sessionsStarted{0};  // new sessions, and sessions started again
  std::atomic<uint64_t> learned{0};          // inputs after which the shared brain was saved
  std::atomic<uint64_t> conflicts{0};        // turns answered again: another process wrote the session meanwhile
  std::atomic<uint64_t> reloads{0};
  std::atomic<uint64_t> reloadFailures{0};
  Histogram requestSeconds;  // every request, from routing to the reply
  Histogram engineSeconds;   // restoring, answering and saving one session
  Histogram storeSeconds;    // each write of the store, from asking to its commit

  // A request that ended in an error, by HTTP status.
  void Error(int status);

  // The text for /metrics; `gauges` adds the values read when asked
  // (sessions kept, in memory), as "name help value" triples.
  struct Gauge {
    std::string name, help;
    double value;
  };
  std::string Text(const std::vector<Gauge>& gauges) const;

 private:
  mutable std::mutex errorsMutex_;
  std::map<int, uint64_t> errors_;
};

}  // namespace varnex::server
