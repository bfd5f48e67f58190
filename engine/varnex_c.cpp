// The C interface: a varnex_brain holds a front-door Brain and the C
// callbacks; every entry catches everything, so no exception crosses into C.
#include "engine/varnex_c.h"

#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "engine/varnex.h"

struct varnex_brain {
  varnex::Brain brain;
  std::string lastError;
  struct Callback {
    varnex_text_fn fn = nullptr;
    void* user = nullptr;
  } answer, error, message, trace;
};

namespace {

varnex::TextHandler Forward(const varnex_brain::Callback& cb) {
  if (!cb.fn) return nullptr;
  return [cb](const std::string& text) { cb.fn(cb.user, text.c_str(), text.size()); };
}

int Status(varnex_brain* b, const varnex::RunResult& r) {
  if (r.Done()) {
    b->lastError.clear();
    return VARNEX_OK;
  }
  b->lastError = r.message;
  return r.outcome == varnex::Outcome::Stopped ? VARNEX_STOPPED : VARNEX_FAILED;
}

// Runs an entry with every C++ failure turned into a status.
template <class F>
int Guard(varnex_brain* b, F&& f) {
  if (!b) return VARNEX_BAD_ARGUMENT;
  try {
    return f();
  } catch (const std::bad_alloc&) {
    b->lastError = "out of memory";
    return VARNEX_NO_MEMORY;
  } catch (const std::exception& e) {
    b->lastError = e.what();
    return VARNEX_FAILED;
  } catch (...) {
    b->lastError = "unknown error";
    return VARNEX_FAILED;
  }
}

int SetCallback(varnex_brain* b, varnex_brain::Callback varnex_brain::*which, varnex_text_fn fn, void* user) {
  return Guard(b, [&]() -> int {
    b->*which = {fn, user};
    b->brain.On().answer = Forward(b->answer);
    b->brain.On().error = Forward(b->error);
    b->brain.On().readerMessage = Forward(b->message);
    b->brain.SetTrace(Forward(b->trace));
    return VARNEX_OK;
  });
}

}  // namespace

extern "C" {

varnex_brain* varnex_new(void) {
  try {
    return new varnex_brain();
  } catch (...) {
    return nullptr;
  }
}

void varnex_free(varnex_brain* brain) { delete brain; }

int varnex_on_answer(varnex_brain* b, varnex_text_fn fn, void* user) {
  return SetCallback(b, &varnex_brain::answer, fn, user);
}
int varnex_on_error(varnex_brain* b, varnex_text_fn fn, void* user) {
  return SetCallback(b, &varnex_brain::error, fn, user);
}
int varnex_on_reader_message(varnex_brain* b, varnex_text_fn fn, void* user) {
  return SetCallback(b, &varnex_brain::message, fn, user);
}
int varnex_on_trace(varnex_brain* b, varnex_text_fn fn, void* user) {
  return SetCallback(b, &varnex_brain::trace, fn, user);
}

int varnex_read_file(varnex_brain* b, const char* path) {
  return Guard(b, [&]() -> int {
    if (!path) return VARNEX_BAD_ARGUMENT;
    if (auto problem = varnex::Brain::CannotOpen(path)) {
      b->lastError = *problem;
      return VARNEX_IO;
    }
    return Status(b, b->brain.ReadFile(path));
  });
}

int varnex_read_text(varnex_brain* b, const char* text) {
  return Guard(b, [&]() -> int {
    if (!text) return VARNEX_BAD_ARGUMENT;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(std::move(line));
    }
    return Status(b, b->brain.ReadText(lines));
  });
}

int varnex_save(varnex_brain* b, const char* path) {
  return Guard(b, [&]() -> int {
    if (!path) return VARNEX_BAD_ARGUMENT;
    std::string error = b->brain.Save(path);
    if (error.empty()) {
      b->lastError.clear();
      return VARNEX_OK;
    }
    b->lastError = error;
    return VARNEX_IO;
  });
}

int varnex_start(varnex_brain* b) {
  return Guard(b, [&]() -> int { return Status(b, b->brain.Start()); });
}
int varnex_stop(varnex_brain* b) {
  return Guard(b, [&]() -> int { return Status(b, b->brain.Stop()); });
}
int varnex_answer(varnex_brain* b, const char* input) {
  return Guard(b, [&]() -> int { return input ? Status(b, b->brain.Answer(input)) : VARNEX_BAD_ARGUMENT; });
}
int varnex_tick(varnex_brain* b) {
  return Guard(b, [&]() -> int { return Status(b, b->brain.Tick()); });
}

int varnex_request_stop(varnex_brain* b) {
  if (!b) return VARNEX_BAD_ARGUMENT;
  b->brain.RequestStop();
  return VARNEX_OK;
}

int varnex_set_time_limit(varnex_brain* b, double seconds) {
  return Guard(b, [&]() -> int {
    if (!(seconds >= 0)) return VARNEX_BAD_ARGUMENT;
    b->brain.Limits().Seconds = seconds;
    return VARNEX_OK;
  });
}

const char* varnex_last_error(const varnex_brain* b) { return b ? b->lastError.c_str() : ""; }

void varnex_fix_seed(unsigned long long seed) { varnex::FixRandomSeed(static_cast<uint64_t>(seed)); }

}  // extern "C"
