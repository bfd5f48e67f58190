// The ^ tags of brain texts and their expansion against the brain.
#pragma once

#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

// Expands every tag of `text`. `context` is the text that member tags and
// ^Remain{} look in; the owners are used only by ^Remain{}. Arguments are
// expanded at any depth. Expansion is bounded: a text whose tags keep
// producing tags stops expanding after a fixed amount of work, and every
// tag not yet evaluated then stays as written. A tag whose evaluation fails
// (a division by zero, a text past the brain's value limit) gives the empty
// text and the failure is reported through the brain; the rest goes on.
std::string ExpandTags(BrainClass& brain, std::string_view text, std::string_view context,
                       StepPatternClass* stepPattern, PatternClass* pattern);

// 0-based index of the brace that closes the tag whose caret is at `start`,
// or npos (the text has no "}" at all, or the braces never balance).
std::size_t FindClosingBrace(std::string_view text, std::size_t start);

// A fresh object name: "Auto-" and ten random capitals A to Y, not yet
// present in NamedObjects. Not registered.
std::string NewAutoName(const BrainClass& brain);

// "TIME", "DATE" or "AGE" (upper case, untrimmed); "*" for anything else.
std::string SystemFact(std::string_view name);

// The context text less the texts of the owner's searching fragments.
std::string RemainingText(BrainClass& brain, std::string_view context, StepPatternClass* stepPattern,
                          PatternClass* pattern);

}  // namespace varnex
