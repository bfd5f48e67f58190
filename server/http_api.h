// The JSON-over-HTTP face of the session service (docs/serve.md).
#pragma once

#include <memory>
#include <string>

#include "server/service.h"

namespace varnex::server {

struct HttpOptions {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0: any free port
  // Connections served at once (a kept-alive connection holds one).
  int connections = 64;
  // Event streams open at once (each holds a connection while it is open);
  // 0: a quarter of the connections.
  int eventStreams = 0;
};

class HttpApi {
 public:
  HttpApi(SessionService& service, const HttpOptions& options);
  ~HttpApi();
  // Binds the address; the port bound (the one given, or the one picked for
  // 0), or -1 with the reason in `error`.
  int Bind(std::string& error);
  // Serves until Stop; false when it could not.
  bool Run();
  // From any thread: stops taking requests; Run returns once those being
  // answered are.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace varnex::server
