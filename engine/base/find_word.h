// Whole-word, case-insensitive search. Occurrences that do not stand as a
// whole word are deleted from the searched text one by one, and the position
// reported counts in the text as it stands after those deletions.
#pragma once

#include <cstdint>
#include <string_view>

namespace varnex {

// Returns whether the word was found. On success `position` is the 1-based
// position of the accepted occurrence; when the word is absent it is 0; when
// the word is empty after trimming it is left as it was.
bool FindWord(std::string_view word, std::string_view text, int32_t& position);

// The same search for a word already upper-cased and trimmed in a text
// already upper-cased: what the matcher uses when it has both at hand.
bool FindUpperWord(std::string_view upperWord, std::string_view upperText, int32_t& position);

}  // namespace varnex
