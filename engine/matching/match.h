// Tests one fragment against one input text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

// The fragment's signed score for the input. `position` is written only by
// the relations that search for a word (AND, OR, NOT, CUSTOM, Out-Match).
int32_t Match(BrainClass& brain, WordFragmentClass& fragment, std::string_view input, int32_t& position);

// The input as all the fragments of one clause search it: whether it holds
// no tag (then it expands to itself), and its upper-case form.
struct MatchText {
  explicit MatchText(std::string_view input);
  // The same, with the upper-case text kept in the caller's buffer: valid
  // for as long as the buffer, however many other MatchTexts are made.
  MatchText(std::string_view input, std::string& upperBuffer);
  std::string_view text;
  bool plain;
  std::string_view upper;  // when plain; valid until the next MatchText is made
  uint64_t generation = 0;  // names the upper-case text: the same only for the same text
};
int32_t Match(BrainClass& brain, WordFragmentClass& fragment, const MatchText& input, int32_t& position);

// Expands a fragment's text in its own context: the input as context text,
// its pattern or step pattern as owner.
std::string ExpandForFragment(BrainClass& brain, const WordFragmentClass& fragment, std::string_view text,
                              std::string_view input);

}  // namespace varnex
