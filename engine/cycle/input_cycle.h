// The top of the engine: what a front end calls. One line of input in,
// zero or more answers out; the patterns that answer without being asked
// (volition after silence, and the Initialize and Finalize clauses around
// a brain's life).
#pragma once

#include <string>

#include "engine/records/brain.h"

namespace varnex {

// Lets the Do-Before patterns, then the running procedure or the current
// mode, then the Do-After patterns answer one line of input.
void ProcessInput(BrainClass& brain, const std::string& input);

// Volition: StartVolition starts the front end's one-second timer when the
// brain has volition patterns; each tick lets the patterns of the current
// mode whose silence interval has passed answer. A tick that arrives while
// the brain is busy is ignored.
void StartVolition(BrainClass& brain);
void StopVolition(BrainClass& brain);
void VolitionTick(BrainClass& brain);

// The Initialize (after reading) and Finalize (before discarding) clauses
// of the first mode.
void ClauseInit(BrainClass& brain);
void ClauseFinal(BrainClass& brain);

}  // namespace varnex
