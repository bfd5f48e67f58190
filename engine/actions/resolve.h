// Executing a response for one input: its trace line, its output text, its
// type's action, and the task list of a Task List response.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

void ResolveToString(BrainClass& brain, ResponseClass& response, const std::string& input);
void ExecuteTasks(BrainClass& brain, ResponseClass& response, const std::string& input);

// The text every UNKNOWN response type answers with.
inline constexpr const char* kUnknownResponseType = "UNKNOWN RESPONSE TYPE!  [ResponseClass.ResolveToString]";

}  // namespace varnex
