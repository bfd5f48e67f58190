// Why an input gets the answer it gets: every clause of a mode scored as the
// answer scores it, with what each fragment and the order rule added. The
// numbers come from the same Match and order rule as the answer itself;
// the brain is left as it was (facts an EXTRACT set, the random draws of
// tags, the registers scoring writes), so explaining changes nothing the
// next answer could see.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/records/brain.h"

namespace varnex {

struct FragmentExplained {
  const WordFragmentClass* fragment = nullptr;
  bool found = false;
  int32_t score = 0;     // what it added
  int32_t position = 0;  // where its word was found, for the relations that search one
};

struct ClauseExplained {
  std::size_t index = 0;  // in its mode
  std::vector<FragmentExplained> fragments;
  bool inOrder = true;
  int32_t orderScore = 0;  // the order bonus, or minus the penalty
  int32_t total = 0;
};

// Every clause of the mode for the input, in mode order. Throws as scoring
// does (a score past 32 bits); the brain is restored either way.
std::vector<ClauseExplained> ExplainMode(BrainClass& brain, KnowledgeClass& knowledge, const std::string& input);

}  // namespace varnex
