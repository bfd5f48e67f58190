// The seventeen statements of Language text, in search order.
#pragma once

#include <string_view>

namespace varnex {

enum class Keyword {
  None = 0, Fact, StartCollection, EndCollection, Mode, State, Procedure, Step, ForMode, ForStep,
  Threshold, ForState, Fragment, Response, Task, NameObject, AutoName, Include,
  Count  // not a keyword: how many there are
};

// The first keyword (in table order) that the trimmed, upper-cased line
// begins with; a prefix is enough. None when no keyword matches.
Keyword ClassifyLine(std::string_view upperTrimmed);
std::string_view KeywordText(Keyword k);

}  // namespace varnex
