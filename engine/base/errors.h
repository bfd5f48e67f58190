// The exceptions the engine raises. Both leave the brain consistent.
//
// EngineError is one action's or one tag's failure: an arithmetic overflow,
// a division by zero, a value or collection past its limit. The tag gives
// the empty text and the action is skipped; the input goes on. Only errors
// of scoring itself end the answer and reach the front end.
//
// InputStopped ends the whole running input: the user asked to stop it, or
// it ran past its time limit. It is deliberately not an EngineError, so the
// places that contain an action's failure let it pass.
#pragma once

#include <stdexcept>
#include <string>

namespace varnex {

class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const std::string& what) : std::runtime_error(what) {}
};

class InputStopped : public std::runtime_error {
 public:
  explicit InputStopped(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace varnex
