#include "server/http_api.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <sys/socket.h>
#include <nlohmann/json.hpp>

namespace varnex::server {
namespace {

using json = nlohmann::json;

// Answers may hold bytes that are not UTF-8 (a brain can cut a text
// anywhere): they are replaced rather than failing the reply.
void Reply(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void Fail(httplib::Response& res, int status, const std::string& why) { Reply(res, status, {{"error", why}}); }

void Fail(httplib::Response& res, const Status& status) { Fail(res, status.code, status.error); }

// The request's body as a JSON object; nullopt, with a 400 sent, when it is
// not one. An empty body is an empty object.
std::optional<json> Body(const httplib::Request& req, httplib::Response& res) {
  if (req.body.empty()) return json::object();
  try {
    json body = json::parse(req.body);
    if (body.is_object()) return body;
    Fail(res, 400, "the body is not a JSON object");
  } catch (const json::exception& e) {
    Fail(res, 400, std::string("malformed JSON: ") + e.what());
  }
  return std::nullopt;
}

// A true-or-false member, false when absent; false with a 400 sent when it
// is something else.
bool Flag(const json& body, const char* name, bool& value, httplib::Response& res) {
  value = false;
  const auto it = body.find(name);
  if (it == body.end() || it->is_null()) return true;
  if (!it->is_boolean()) {
    Fail(res, 400, std::string("\"") + name + "\" is true or false");
    return false;
  }
  value = it->get<bool>();
  return true;
}

json ClauseJson(const Brain::ClausePart& c) {
  json fragments = json::array();
  for (const Brain::FragmentPart& f : c.fragments)
    fragments.push_back({{"relation", f.relation},
                         {"text", f.text},
                         {"found", f.found},
                         {"score", f.score},
                         {"position", f.position}});
  return {{"number", c.number},     {"name", c.name},         {"total", c.total},
          {"in_order", c.inOrder},  {"order_score", c.orderScore}, {"response", c.response},
          {"fragments", fragments}};
}

json ExplanationJson(const Brain::Explanation& e) {
  json best = json::array();
  for (const Brain::ClausePart& c : e.best) best.push_back(ClauseJson(c));
  json j = {{"mode", e.mode}, {"procedure", e.procedure}, {"clauses", e.clauses}, {"best", best}, {"why", e.why}};
  if (!e.error.empty()) j["error"] = e.error;
  return j;
}

json TurnJson(const std::string& id, const Turn& t) {
  json j = {{"session", id},  {"started", t.started}, {"answers", t.answers},
            {"trace", t.trace}, {"explanation", nullptr}, {"version", t.version}};
  if (t.explanation) j["explanation"] = ExplanationJson(*t.explanation);
  if (!t.errors.empty()) j["errors"] = t.errors;
  if (!t.stopped.empty()) j["stopped"] = t.stopped;
  return j;
}

}  // namespace

struct HttpApi::Impl {
  SessionService& service;
  HttpOptions options;
  httplib::Server http;
  std::size_t maxBody;

  Impl(SessionService& s, const HttpOptions& o) : service(s), options(o) {
    // Room for the longest input allowed even when every byte of it is
    // escaped, and for the rest of the body.
    maxBody = service.Options().maxInput * 6 + 64 * 1024;
    http.set_payload_max_length(maxBody);
    const int connections = std::max(4, options.connections);
    http.new_task_queue = [connections] { return new httplib::ThreadPool(static_cast<std::size_t>(connections)); };
    http.set_keep_alive_max_count(1000);
    http.set_tcp_nodelay(true);
    // Remember the listening socket, to give it a longer queue once bound.
    http.set_socket_options([this](socket_t sock) {
      httplib::default_socket_options(sock);
      listening = sock;
    });
    Routes();
  }

  int listening = -1;
  std::atomic<bool> stopping{false};
  std::atomic<int> streams{0};

  // GET /v1/sessions/ID/events: server-sent events with the answers the
  // session gives on its own (volition) while the client stays connected.
  // The stream beats the session's volition clock once a second, as a
  // window of the desktop program does; a beat that says something is an
  // "answers" event, a session deleted meanwhile ends the stream with an
  // "end" event, and a comment every five quiet seconds keeps proxies
  // from closing it and finds clients that have gone.
  void Events(const std::string& id, httplib::Response& res) {
    SessionView view;
    const Status status = service.Show(id, view);
    if (!status.Ok()) return Fail(res, status);
    const int most = options.eventStreams > 0 ? options.eventStreams : std::max(1, options.connections / 4);
    if (++streams > most) {
      --streams;
      return Fail(res, 503,
                  "the service has " + std::to_string(most) + " event streams open, its most; try again later");
    }
    res.set_header("Cache-Control", "no-cache");
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, id, quiet = 0](std::size_t, httplib::DataSink& sink) mutable {
          // The library calls this outside its handlers' protection: a
          // throw here would end the process, so none leaves it.
          try {
            return Beat(id, quiet, sink);
          } catch (...) {
            return false;
          }
        },
        [this](bool) { --streams; });
  }

  // One second of an event stream; false ends it.
  bool Beat(const std::string& id, int& quiet, httplib::DataSink& sink) {
    // A second, in steps, so that a stopping server is not kept waiting.
    for (int step = 0; step < 10; ++step) {
      if (stopping) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    Turn turn;
    const Status beat = service.Tick(id, turn);
    // A brain's answers may cut a character anywhere: sent with
    // replacement characters rather than refused.
    const auto event = [](const char* name, const json& data) {
      return std::string("event: ") + name + "\ndata: " + data.dump(-1, ' ', false, json::error_handler_t::replace) +
             "\n\n";
    };
    std::string text;
    if (beat.code == 404) {
      text = event("end", {{"session", id}, {"reason", "the session was deleted"}});
      sink.write(text.data(), text.size());
      sink.done();
      return true;
    }
    if (beat.Ok() && !turn.answers.empty()) {
      quiet = 0;
      text = event("answers", {{"session", id}, {"answers", turn.answers}, {"version", turn.version}});
    } else if (beat.code == 500) {
      // The session cannot be restored: said once, and the stream ends.
      text = event("error", {{"session", id}, {"error", beat.error}});
      sink.write(text.data(), text.size());
      sink.done();
      return true;
    } else if (!beat.Ok() && beat.code != 409) {
      // The store failed: said, and tried again at the next beat.
      quiet = 0;
      text = event("error", {{"session", id}, {"error", beat.error}});
    } else if (++quiet >= 5) {
      // Keeps proxies from closing a quiet stream, and finds a client that
      // has gone within seconds, freeing its place.
      quiet = 0;
      text = ": quiet\n\n";
    }
    return text.empty() || sink.write(text.data(), text.size());
  }

  // A handler whose time is counted into the request histogram.
  httplib::Server::Handler Timed(std::function<void(const httplib::Request&, httplib::Response&)> handler) {
    return [this, handler = std::move(handler)](const httplib::Request& req, httplib::Response& res) {
      const auto began = std::chrono::steady_clock::now();
      handler(req, res);
      service.GetMetrics().requestSeconds.Observe(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    };
  }

  void Routes() {
    http.Post(R"(/v1/sessions/([^/]*)/input)", Timed([this](const httplib::Request& req, httplib::Response& res) {
      const auto body = Body(req, res);
      if (!body) return;
      const auto input = body->find("input");
      if (input == body->end() || !input->is_string()) return Fail(res, 400, "\"input\" is missing, or not a string");
      bool trace = false, explain = false;
      if (!Flag(*body, "trace", trace, res) || !Flag(*body, "explain", explain, res)) return;
      const std::string id = req.matches[1];
      Turn turn;
      const Status status = service.Input(id, input->get_ref<const std::string&>(), trace, explain, turn);
      if (!status.Ok()) return Fail(res, status);
      Reply(res, 200, TurnJson(id, turn));
    }));
    http.Post(R"(/v1/sessions/([^/]*)/reset)", Timed([this](const httplib::Request& req, httplib::Response& res) {
      const auto body = Body(req, res);
      if (!body) return;
      bool trace = false;
      if (!Flag(*body, "trace", trace, res)) return;
      const std::string id = req.matches[1];
      Turn turn;
      const Status status = service.Reset(id, trace, turn);
      if (!status.Ok()) return Fail(res, status);
      Reply(res, 200, TurnJson(id, turn));
    }));
    http.Get(R"(/v1/sessions/([^/]*))", Timed([this](const httplib::Request& req, httplib::Response& res) {
      const std::string id = req.matches[1];
      SessionView view;
      const Status status = service.Show(id, view);
      if (!status.Ok()) return Fail(res, status);
      json facts = json::object();
      for (const auto& [name, value] : view.facts) facts[name] = value;
      Reply(res, 200,
            {{"session", id},
             {"version", view.version},
             {"updated", view.updated},
             {"mode", view.mode},
             {"state", view.state},
             {"procedure", view.procedure},
             {"facts", facts}});
    }));
    http.Delete(R"(/v1/sessions/([^/]*))", Timed([this](const httplib::Request& req, httplib::Response& res) {
      const Status status = service.Delete(req.matches[1]);
      if (!status.Ok()) return Fail(res, status);
      res.status = 204;
    }));
    http.Get(R"(/v1/sessions/([^/]*)/events)", [this](const httplib::Request& req, httplib::Response& res) {
      Events(req.matches[1], res);
    });
    http.Post("/v1/reload", Timed([this](const httplib::Request&, httplib::Response& res) {
      std::vector<std::string> messages;
      const Status status = service.Reload(messages);
      json body = {{"messages", messages}};
      if (status.Ok())
        body["reloaded"] = service.Options().brain;
      else
        body["error"] = status.error;
      Reply(res, status.Ok() ? 200 : status.code, body);
    }));
    http.Get("/healthz", [](const httplib::Request&, httplib::Response& res) { Reply(res, 200, {{"status", "alive"}}); });
    http.Get("/readyz", [this](const httplib::Request&, httplib::Response& res) {
      if (service.Ready())
        Reply(res, 200, {{"status", "ready"}, {"brain", service.Options().brain}, {"store", service.Store().Describe()}});
      else
        Fail(res, 503, "not ready");
    });
    http.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(service.MetricsText(), "text/plain; version=0.0.4");
    });

    // Every error is JSON, including those the HTTP library answers itself.
    http.set_error_handler(httplib::Server::HandlerWithResponse([this](const httplib::Request& req,
                                                                       httplib::Response& res) {
      service.GetMetrics().Error(res.status);
      if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
      std::string why;
      switch (res.status) {
        case 404: why = "no such route: " + req.method + " " + req.path; break;
        case 413:
          // The HTTP library reads form-encoded bodies (what curl -d sends
          // unless told otherwise) only up to 8 KiB.
          why = req.get_header_value("Content-Type").starts_with("application/x-www-form-urlencoded")
                    ? "the request body is over 8192 bytes, the most for Content-Type "
                      "application/x-www-form-urlencoded; send Content-Type: application/json"
                    : "the request body is over " + std::to_string(maxBody) + " bytes";
          break;
        case 414: why = "the request's path is too long"; break;
        case 400: why = "malformed request (a POST needs a body, or Content-Length: 0)"; break;
        default: why = "the request cannot be served (HTTP " + std::to_string(res.status) + ")"; break;
      }
      Fail(res, res.status, why);
      return httplib::Server::HandlerResponse::Handled;
    }));
    http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr thrown) {
      std::string why = "internal error";
      try {
        std::rethrow_exception(thrown);
      } catch (const std::exception& e) {
        why += std::string(": ") + e.what();
      } catch (...) {
      }
      Fail(res, 500, why + "; nothing was kept of this request");
    });
  }
};

HttpApi::HttpApi(SessionService& service, const HttpOptions& options)
    : impl_(std::make_unique<Impl>(service, options)) {}

HttpApi::~HttpApi() = default;

int HttpApi::Bind(std::string& error) {
  const std::string& host = impl_->options.host;
  const int port = impl_->options.port;
  const std::string where = host + ":" + std::to_string(port);
  int bound = -1;
  if (port == 0) {
    bound = impl_->http.bind_to_any_port(host);
  } else if (impl_->http.bind_to_port(host, port)) {
    bound = port;
  }
  if (bound > 0) {
    // The library listens with a queue of 5 connections. Clients that
    // connect in a burst (a load balancer opening its pool, many users
    // reconnecting at once) overflow it whenever the accepting thread waits
    // for a core, and each refused connection retries only after a second
    // or more. Listening again on a bound socket just sets a longer queue.
    if (impl_->listening >= 0) ::listen(impl_->listening, SOMAXCONN);
    return bound;
  }
  error = "cannot listen on " + where + " (" + std::strerror(errno) + ")";
  return -1;
}

bool HttpApi::Run() { return impl_->http.listen_after_bind(); }

void HttpApi::Stop() {
  impl_->stopping = true;
  impl_->http.stop();
}

}  // namespace varnex::server
