// The one exception type the engine raises: an arithmetic overflow or a
// division by zero. It leaves the brain consistent; front ends catch it,
// report it and keep running.
#pragma once

#include <stdexcept>
#include <string>

namespace varnex {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace varnex
