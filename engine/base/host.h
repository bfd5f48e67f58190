// What the engine and the program that hosts it agree on: the timer the
// host runs for volition, what the engine may do only with the host's
// consent, and the limits of one run. Plain types at the bottom of the
// engine, so that the front door can offer them unchanged.
#pragma once

#include <cstddef>

namespace varnex {

// The periodic one-second timer that drives volition. The engine owns no
// timer: the front end implements this and calls VolitionTick.
class VolitionTimerInterface {
 public:
  virtual ~VolitionTimerInterface() = default;
  virtual void Start(int intervalMs) = 0;
  virtual void Stop() = 0;
};

// What a brain may only do with the user's consent: its text can come from
// anywhere, and these run code.
enum class Permission { StartProgram, LoadLibrary };

// Bounds on the work one input may do, so that a brain that loops or grows
// without end is stopped cleanly instead of hanging or exhausting memory.
struct RunLimits {
  // An input (or a volition tick, or the Initialize or Finalize clauses)
  // that runs longer is stopped. 0 means no limit.
  double Seconds = 10;
  // The longest text a tag expansion may build, in bytes.
  std::size_t ValueBytes = std::size_t{4} << 20;
  // The most members one collection may hold.
  std::size_t CollectionMembers = 1000000;
};

}  // namespace varnex
