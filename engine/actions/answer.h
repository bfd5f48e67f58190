// A knowledge mode answers an input: its best clause responds.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Lets the best-scoring pattern respond, or answers with the fallback text.
void Answer(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input);

}  // namespace varnex
