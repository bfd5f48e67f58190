// varnex serve: many users talking to one brain over HTTP and JSON, their
// conversations kept as sessions in a store (docs/serve.md). Runs until
// SIGTERM or SIGINT; SIGHUP reads the brain again.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "console/commands.h"
#include "engine/varnex.h"
#include "server/http_api.h"
#include "server/service.h"
#include "server/store.h"

namespace varnex {
namespace {

void Say(const std::string& line) {
  std::fprintf(stderr, "varnex serve: %s\n", line.c_str());
  std::fflush(stderr);
}

bool IsRedis(const std::string& store) { return store.starts_with("redis://") || store.starts_with("redis+unix://"); }

std::unique_ptr<server::SessionStore> OpenStore(const ConsoleOptions& options, std::string& error) {
  // By default the sessions live beside the brain, so that a brain and its
  // conversations are found and copied together.
  const std::string store = options.store.empty() ? "sqlite:" + options.brain + ".sessions.db" : options.store;
  if (store == "memory") return server::MakeMemoryStore();
  if (IsRedis(store)) return server::OpenRedisStore(store, error);
  return server::OpenSqliteStore(store.substr(std::string("sqlite:").size()), error);
}

}  // namespace

int RunServe(const ConsoleOptions& options) {
  // A Redis store is there for several processes, and each would learn on
  // its own brain, in its own order, into the same learned file.
  if (options.sharedLearning && IsRedis(options.store)) {
    Say("shared learning needs every process to apply the same changes in the same order; with a Redis store "
        "run with --learning off");
    return 2;
  }
  if (!BrainFileOpens(options.brain)) return 1;
  // One thread waits for the signals; every thread made from here on
  // (the store's writer, the HTTP workers) leaves them to it.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);  // a client that hangs up is the HTTP library's to notice
  if (options.words) OpenWordDatabase(*options.words);

  std::string error;
  std::unique_ptr<server::SessionStore> store = OpenStore(options, error);
  if (!store) {
    Say(error);
    return 1;
  }
  server::ServiceOptions so;
  so.brain = options.brain;
  so.sharedLearning = options.sharedLearning;
  so.threads = options.threads;
  so.maxInput = options.maxInput;
  so.maxSessions = static_cast<int64_t>(options.maxSessions);
  so.rate = options.rate;
  if (options.seed) so.seed = *options.seed;
  so.timeLimit = options.timeLimit;
  so.valueLimit = options.valueLimit;
  so.collectionLimit = options.collectionLimit;
  std::vector<std::string> messages;
  const std::unique_ptr<server::SessionService> service =
      server::SessionService::Open(so, std::move(store), messages, error);
  for (const std::string& m : messages) std::fprintf(stderr, "%s\n", m.c_str());
  if (!service) {
    Say(error);
    return 1;
  }

  server::HttpOptions http;
  http.host = options.listenHost;
  http.port = options.listenPort;
  http.connections = std::max(64, 8 * options.threads);
  server::HttpApi api(*service, http);
  const int port = api.Bind(error);
  if (port < 0) {
    Say(error);
    return 1;
  }
  const bool v6 = http.host.find(':') != std::string::npos;
  std::printf("listening on http://%s%s%s:%d\n", v6 ? "[" : "", http.host.c_str(), v6 ? "]" : "", port);
  std::fflush(stdout);

  std::thread waiter([&] {
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) != 0) continue;
      if (signal != SIGHUP) {
        api.Stop();
        return;
      }
      std::vector<std::string> read;
      const server::Status reloaded = service->Reload(read);
      for (const std::string& m : read) std::fprintf(stderr, "%s\n", m.c_str());
      Say(reloaded.Ok() ? "read " + options.brain + " again" : reloaded.error);
    }
  });
  const bool served = api.Run();
  // When serving ended by itself, the waiter is still waiting.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  Say(served ? "stopped" : "stopped: the listening socket failed");
  return served ? 0 : 1;
}

}  // namespace varnex
