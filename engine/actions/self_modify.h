// Actions by which a brain grows and prunes itself while it talks.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// A pattern in the current mode made of the words of `words` as CUSTOM
// fragments weighted `weight`, answering `answer`.
void CreateAutoPattern(BrainClass& brain, const std::string& words, const std::string& weight,
                       const std::string& answer);
// A Just Text response, or a CUSTOM fragment, added to the pattern that
// LastPatternName names.
void AddResponseToLastPattern(BrainClass& brain, const std::string& text);
void AddFragmentToLastPattern(BrainClass& brain, const std::string& text, const std::string& weight);
// Takes the named record out of the brain (it is destroyed once the running
// cycle no longer needs it).
void DeleteObject(BrainClass& brain, const std::string& name);
// Reads the members of a collection into the brain as Language text.
void MakeCode(BrainClass& brain, const std::string& collection);

}  // namespace varnex
