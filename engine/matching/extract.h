// Extraction: a template of fixed words with named holes (^Extr{NAME}) pulls
// values out of a text into facts.
#pragma once

#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

// Succeeds when every literal of the template occurs in the text; then the
// holes' texts have been stored as facts (names upper case, values in the
// text's own letter case).
bool Extract(BrainClass& brain, std::string_view tmpl, std::string_view text);

}  // namespace varnex
