// The rules of scoring that every way of scoring shares: what a fragment of
// each searching relation adds when its text is found or absent, and the
// order rule that decides between a clause's order bonus and its penalty.
// The reference scoring applies them one fragment at a time; the index
// applies them in advance to the texts it knows. Both read them from here.
#pragma once

#include <cstdint>

#include "engine/records/type_names.h"

namespace varnex {

// The lowest score that can never win.
constexpr int32_t kScoreFloor = -30000;

// What a fragment whose relation looks for a text adds to its clause: AND
// +100 or -100, OR +50 or 0, NOT -100 or +100; CUSTOM, CUSTOM-Sub and the
// relations that test the brain give their bonus, or minus their penalty.
// In 64 bits: minus the most negative penalty does not fit in 32.
constexpr int64_t RelationScore(PatternType relation, bool found, int32_t bonus, int32_t penalty) {
  switch (relation) {
    case PatternType::And: return found ? 100 : -100;
    case PatternType::Or: return found ? 50 : 0;
    case PatternType::Not: return found ? -100 : 100;
    default: return found ? int64_t{bonus} : -int64_t{penalty};
  }
}

// The order rule. Scoring tracks the position at which each fragment found
// its text; a fragment that found nothing (position 0) or found it before
// the previous one puts the clause out of order for good.
constexpr int32_t kOutOfOrder = 9999;
constexpr int32_t kFirstPosition = 1;  // before the first fragment
constexpr int32_t NextOrder(int32_t order, int32_t position) {
  return (position == 0 || order > position) ? kOutOfOrder : position;
}
// The order bonus when the clause stayed in order, else minus the penalty.
constexpr int64_t OrderScore(int32_t order, int32_t bonus, int32_t penalty) {
  return order != kOutOfOrder ? int64_t{bonus} : -int64_t{penalty};
}

}  // namespace varnex
