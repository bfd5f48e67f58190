// Tests that set up a brain from Language text: the reader is a layer above
// the records, so only tests of the reader and the layers above it use this.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "engine/language/reader.h"

namespace varnex::test {

// Reads Language text (lines separated by "\n") into the brain.
inline void Load(BrainClass& brain, const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream ss(text);
  for (std::string line; std::getline(ss, line);) lines.push_back(line);
  LoadLanguageText(brain, lines);
}

}  // namespace varnex::test
