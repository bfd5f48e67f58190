// Reading Language text (.vlf) into a brain. Both entries add to the brain
// they are given; problems are reported through the brain's ReaderMessage
// hook, one message per box, and reading goes on.
#pragma once

#include <string>
#include <vector>

#include "engine/records/brain.h"

namespace varnex {

void LoadLanguageFile(BrainClass& brain, const std::string& path);
void LoadLanguageText(BrainClass& brain, const std::vector<std::string>& lines);

}  // namespace varnex
