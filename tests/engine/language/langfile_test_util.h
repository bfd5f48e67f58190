// Small helpers shared by the Language file tests.
#pragma once

#include <string>
#include <vector>

#include "engine/records/brain.h"
#include "engine/language/writer.h"
#include "support/test_support.h"

namespace varnex::test {

inline std::string Join(const Lines& lines, const std::string& sep = "\n") {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? sep : "") + lines[i];
  return out;
}

// The brain as the writer lays it out, lines joined by "\n".
inline std::string Written(BrainClass& brain) {
  Lines lines;
  SaveLanguageText(brain, lines);
  return Join(lines);
}

}  // namespace varnex::test
