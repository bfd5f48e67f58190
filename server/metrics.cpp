#include "server/metrics.h"

#include <cstdio>

namespace varnex::server {
namespace {

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", v);
  return buffer;
}

void Header(std::string& out, const std::string& name, const std::string& help, const char* type) {
  out += "# HELP " + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

}  // namespace

void Histogram::Observe(double seconds) {
  std::size_t i = 0;
  while (i < kBounds.size() && seconds > kBounds[i]) ++i;
  counts_[i].fetch_add(1, std::memory_order_relaxed);
  count_.fetch_add(1, std::memory_order_relaxed);
  micros_.fetch_add(static_cast<uint64_t>(seconds * 1e6 + 0.5), std::memory_order_relaxed);
}

std::string Histogram::Text(const std::string& name, const std::string& help) const {
  std::string out;
  Header(out, name, help, "histogram");
  // Buckets are cumulative; the total is read last so that it is never
  // below the sum of the buckets read before it.
  uint64_t cumulative = 0;
  for (std::size_t i = 0; i < kBounds.size(); ++i) {
    cumulative += counts_[i].load(std::memory_order_relaxed);
    out += name + "_bucket{le=\"" + Number(kBounds[i]) + "\"} " + std::to_string(cumulative) + "\n";
  }
  cumulative += counts_[kBounds.size()].load(std::memory_order_relaxed);
  out += name + "_bucket{le=\"+Inf\"} " + std::to_string(cumulative) + "\n";
  out += name + "_sum " + Number(static_cast<double>(micros_.load(std::memory_order_relaxed)) / 1e6) + "\n";
  out += name + "_count " + std::to_string(cumulative) + "\n";
  return out;
}

void Metrics::Error(int status) {
  std::lock_guard lock(errorsMutex_);
  ++errors_[status];
}

std::string Metrics::Text(const std::vector<Gauge>& gauges) const {
  std::string out;
  const auto counter = [&](const char* name, const char* help, const std::atomic<uint64_t>& value) {
    Header(out, name, help, "counter");
    out += std::string(name) + " " + std::to_string(value.load()) + "\n";
  };
  counter("varnex_inputs_total", "Inputs answered.", inputs);
  counter("varnex_answers_total", "Answers given (an input may get several, or none).", answers);
  counter("varnex_sessions_started_total", "Sessions started, new or reset.", sessionsStarted);
  counter("varnex_learned_total", "Inputs that changed the shared brain, which was then saved.", learned);
  counter("varnex_conflicts_total", "Turns answered again because another process wrote the session meanwhile.",
          conflicts);
  counter("varnex_reloads_total", "Brains read again and swapped in.", reloads);
  counter("varnex_reload_failures_total", "Reloads that failed; the brains before them went on.", reloadFailures);
  Header(out, "varnex_errors_total", "Requests that ended in an error, by HTTP status.", "counter");
  {
    std::lock_guard lock(errorsMutex_);
    if (errors_.empty()) out += "varnex_errors_total{status=\"500\"} 0\n";
    for (const auto& [status, n] : errors_)
      out += "varnex_errors_total{status=\"" + std::to_string(status) + "\"} " + std::to_string(n) + "\n";
  }
  for (const Gauge& g : gauges) {
    Header(out, g.name, g.help, "gauge");
    out += g.name + " " + Number(g.value) + "\n";
  }
  out += requestSeconds.Text("varnex_request_seconds", "Time from a request's routing to its reply.");
  out += engineSeconds.Text("varnex_engine_seconds", "Time the engine took for one session's turn.");
  out += storeSeconds.Text("varnex_store_write_seconds", "Time from asking the store to write a session to its commit.");
  return out;
}

}  // namespace varnex::server
