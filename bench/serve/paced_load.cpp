// An open-loop load generator for varnex serve: inputs are sent at a fixed
// rate, on a schedule that does not wait for the server, and each one's
// latency counts from the moment the schedule meant to send it. A closed
// loop (wrk, hey) sends less while the server is slow and so hides the very
// stalls a latency percentile is meant to show.
//
//   varnex_paced_load HOST:PORT RATE SECONDS [USERS] [CONNECTIONS]
//
// Requests go to USERS sessions (1000) in turn, over CONNECTIONS kept-alive
// connections (64); a request due while every connection is busy waits,
// and its wait is part of its latency. Prints the rate reached, the latency
// percentiles, and the requests that did not get 200.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); }

const char* const kInputs[] = {"hello",      "my name is Ann",   "what is my name?", "what do you grow?",
                               "tell me a joke", "water the plants", "I love the basil", "what is my favourite plant?"};

struct Connection {
  int fd = -1;
  bool busy = false;
  double due = 0;  // when the request on it was meant to be sent
  std::string in;
};

int Connect(const sockaddr_in& address) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  return fd;
}

// The length of the first whole response in `in`, or 0 while it is not
// all there yet; its status in `status`, and whether the server closes the
// connection after it in `closing`.
std::size_t WholeResponse(const std::string& in, int& status, bool& closing) {
  const std::size_t end = in.find("\r\n\r\n");
  if (end == std::string::npos) return 0;
  status = std::atoi(in.c_str() + in.find(' ') + 1);
  std::size_t length = 0;
  for (std::size_t at = 0; at < end;) {
    const std::size_t eol = in.find("\r\n", at);
    const std::string line = in.substr(at, eol - at);
    if (strncasecmp(line.c_str(), "Content-Length:", 15) == 0) length = std::strtoul(line.c_str() + 15, nullptr, 10);
    if (strncasecmp(line.c_str(), "Connection: close", 17) == 0) closing = true;
    at = eol + 2;
  }
  return in.size() >= end + 4 + length ? end + 4 + length : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: varnex_paced_load HOST:PORT RATE SECONDS [USERS] [CONNECTIONS]\n", stderr);
    return 2;
  }
  const std::string where = argv[1];
  const double rate = std::atof(argv[2]);
  const double seconds = std::atof(argv[3]);
  const int users = argc > 4 ? std::atoi(argv[4]) : 1000;
  const int connections = argc > 5 ? std::atoi(argv[5]) : 64;
  const std::size_t colon = where.rfind(':');
  if (rate <= 0 || seconds <= 0 || users <= 0 || connections <= 0 || colon == std::string::npos) {
    std::fputs("varnex_paced_load: bad arguments\n", stderr);
    return 2;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(std::atoi(where.c_str() + colon + 1)));
  if (::inet_pton(AF_INET, where.substr(0, colon).c_str(), &address.sin_addr) != 1) {
    std::fputs("varnex_paced_load: HOST must be an IPv4 address\n", stderr);
    return 2;
  }

  const int poll = ::epoll_create1(EPOLL_CLOEXEC);
  std::vector<Connection> pool(static_cast<std::size_t>(connections));
  for (std::size_t i = 0; i < pool.size(); ++i) {
    pool[i].fd = Connect(address);
    if (pool[i].fd < 0) {
      std::perror("varnex_paced_load: connect");
      return 1;
    }
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.u64 = i;
    ::epoll_ctl(poll, EPOLL_CTL_ADD, pool[i].fd, &e);
  }

  std::vector<double> latencies;
  latencies.reserve(static_cast<std::size_t>(rate * seconds) + 16);
  std::deque<double> waiting;  // due times of requests no connection was free for
  std::vector<std::size_t> idle;
  for (std::size_t i = 0; i < pool.size(); ++i) idle.push_back(i);
  long sent = 0, failed = 0, broken = 0;
  const long total = static_cast<long>(rate * seconds);
  const double start = Seconds(Clock::now());

  const auto send = [&](std::size_t i, double due) {
    Connection& c = pool[i];
    const std::string body = std::string("{\"input\":\"") + kInputs[sent % 8] + "\"}";
    const std::string request = "POST /v1/sessions/user" + std::to_string(sent % users) +
                                "/input HTTP/1.1\r\nHost: " + where +
                                "\r\nContent-Type: application/json\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    ++sent;
    c.busy = true;
    c.due = due;
    // Requests are small: the socket's buffer takes them whole.
    if (::send(c.fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
      ++broken;
      c.busy = false;
    }
  };

  long scheduled = 0;
  std::vector<epoll_event> events(pool.size());
  for (;;) {
    const double now = Seconds(Clock::now());
    // Every request whose time has come is sent, or waits for a connection.
    while (scheduled < total && start + static_cast<double>(scheduled) / rate <= now) {
      waiting.push_back(start + static_cast<double>(scheduled) / rate);
      ++scheduled;
    }
    while (!waiting.empty() && !idle.empty()) {
      const std::size_t i = idle.back();
      idle.pop_back();
      send(i, waiting.front());
      waiting.pop_front();
      if (!pool[i].busy) idle.push_back(i);
    }
    const bool busy = idle.size() < pool.size();
    if (scheduled >= total && waiting.empty() && !busy) break;
    if (now - start > seconds + 30) {
      std::fputs("varnex_paced_load: gave up waiting for answers 30 s after the last was due\n", stderr);
      break;
    }
    const double next = scheduled < total ? start + static_cast<double>(scheduled) / rate : now + 0.01;
    // Whole milliseconds, at least one: a generator that spun until each
    // request's microsecond would take the core the server needs. Requests
    // sent up to a millisecond late count that delay in their latency.
    const int timeout = next <= now ? 0 : std::max(1, static_cast<int>((next - now) * 1000));
    const int n = ::epoll_wait(poll, events.data(), static_cast<int>(events.size()), std::min(timeout, 10));
    for (int k = 0; k < n; ++k) {
      const std::size_t i = events[static_cast<std::size_t>(k)].data.u64;
      Connection& c = pool[i];
      char buffer[16384];
      bool closed = false;
      for (;;) {
        const ssize_t got = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
          c.in.append(buffer, static_cast<std::size_t>(got));
          continue;
        }
        closed = got == 0;
        break;
      }
      int status = 0;
      bool closing = false;
      if (std::size_t whole = c.busy ? WholeResponse(c.in, status, closing) : 0) {
        closed = closed || closing;
        c.in.erase(0, whole);
        latencies.push_back(Seconds(Clock::now()) - c.due);
        if (status != 200) ++failed;
        c.busy = false;
        if (!closed) idle.push_back(i);
      }
      if (closed) {
        // The server closed the connection (it closes a kept-alive one
        // after many requests): open another in its place.
        ::epoll_ctl(poll, EPOLL_CTL_DEL, c.fd, nullptr);
        ::close(c.fd);
        if (c.busy) ++broken;
        const bool wasIdle = !c.busy && std::find(idle.begin(), idle.end(), i) != idle.end();
        c = Connection{};
        c.fd = Connect(address);
        epoll_event e{};
        e.events = EPOLLIN;
        e.data.u64 = i;
        if (c.fd >= 0) ::epoll_ctl(poll, EPOLL_CTL_ADD, c.fd, &e);
        if (!wasIdle) idle.push_back(i);
      }
    }
  }
  const double elapsed = Seconds(Clock::now()) - start;
  std::sort(latencies.begin(), latencies.end());
  const auto at = [&](double q) {
    if (latencies.empty()) return 0.0;
    return latencies[std::min(latencies.size() - 1, static_cast<std::size_t>(q * static_cast<double>(latencies.size())))] *
           1000;
  };
  std::printf("%ld requests at %.0f a second (asked for %.0f) over %d connections to %d users\n",
              static_cast<long>(latencies.size()), static_cast<double>(latencies.size()) / elapsed, rate, connections,
              users);
  std::printf("latency from the scheduled send, ms: p50 %.2f  p90 %.2f  p99 %.2f  p99.9 %.2f  max %.2f\n", at(0.5),
              at(0.9), at(0.99), at(0.999), latencies.empty() ? 0.0 : latencies.back() * 1000);
  std::printf("not 200: %ld; connections broken: %ld\n", failed, broken);
  return failed == 0 && broken == 0 ? 0 : 1;
}
