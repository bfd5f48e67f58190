// What an action needs to know about the response it runs for: the brain,
// the input, and the records its texts are expanded against.
#pragma once

#include <string>

#include "engine/core/brain.h"

namespace varnex {

struct ActionContext {
  BrainClass& brain;
  ResponseClass& response;  // the response itself, or the one holding the task
  PatternClass* pattern;    // none for a step pattern's response
  StepPatternClass* stepPattern;
  const std::string& input;

  // A field passed through the tag expander; each call expands afresh.
  std::string Expand(const std::string& field) const;
};

// The three text fields an action reads.
struct ActionFields {
  const std::string& OutText;
  const std::string& TheName;
  const std::string& TheValue;
};

// Performs the action of a response type. `asTask` tells a task from a
// response; `text` is the response's output text or the task's expanded
// text, and may be changed by the action.
void PerformAction(ActionContext& ctx, uint8_t type, const ActionFields& fields, bool asTask, std::string& text);

}  // namespace varnex
