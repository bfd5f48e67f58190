// What an action needs to know about the response it runs for: the brain,
// the input, and the records its texts are expanded against.
#pragma once

#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

struct ActionContext {
  BrainClass& brain;
  ResponseClass& response;  // the response itself, or the one holding the task
  PatternClass* pattern;    // none for a step pattern's response
  StepPatternClass* stepPattern;
  const std::string& input;

  // A field passed through the tag expander; each call expands afresh.
  std::string Expand(std::string_view field) const;
};

// The three text fields an action reads.
struct ActionFields {
  const Text& OutText;
  const Text& TheName;
  const Text& TheValue;
};

// Traces a response or task ("Resp" or "Task") with its three fields
// expanded.
void TraceFields(const ActionContext& ctx, std::string_view kind, ResponseType type, const Text& name,
                 const ActionFields& fields);

// Performs the action of a response type. `asTask` tells a task from a
// response; `text` is the response's output text or the task's expanded
// text, and may be changed by the action.
void PerformAction(ActionContext& ctx, ResponseType type, const ActionFields& fields, bool asTask, std::string& text);
// PerformAction with its failure contained: an EngineError is reported and
// the caller goes on, so that one task or response cannot stop the tasks,
// the output and the Do-After clauses that follow it.
void PerformContained(ActionContext& ctx, ResponseType type, const ActionFields& fields, bool asTask, std::string& text);

}  // namespace varnex
