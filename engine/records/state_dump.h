// Everything about a brain that answering can change, as text: two brains
// that answered the same inputs alike have equal dumps. Tests compare the
// ways of answering with it; it is also a tool for looking at a brain.
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// The registers, the histories, the last-name registers, the facts and
// states, the procedure call stack and every procedure's current step, the
// collections with their members, order and member caches, every clause's
// hit count and volition marks, the named objects, the Do-Before and
// Do-After lists, the answers kept without a handler, and the reported
// errors kept without a handler. The records' own definitions are the
// writer's business, not this dump's.
std::string DumpState(const BrainClass& brain);

}  // namespace varnex
