// Writing a brain's definitions as Language text, in the one layout that
// the reader reads back to the same brain.
#pragma once

#include <string>
#include <vector>

#include "engine/records/brain.h"

namespace varnex {

// Appends the brain's text to `lines` (lines carry no line ends).
void SaveLanguageText(BrainClass& brain, std::vector<std::string>& lines);

// Writes the brain to `path`, each line ended by CR LF. The file is replaced
// only once it has been written in full; on failure the previous file stays
// as it was and the error is returned (empty text on success).
std::string SaveLanguageFile(BrainClass& brain, const std::string& path);

}  // namespace varnex
