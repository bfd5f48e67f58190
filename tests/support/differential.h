// Running one brain and its inputs the fast way and the reference way, and
// recording everything the two must agree on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/records/brain.h"

namespace varnex::test {

struct Played {
  std::vector<std::string> log;  // answers, trace lines, messages, errors and state after each input
  // An input was stopped by the time limit; its log ends with the line
  // "stopped: " and the reason, and the play ended there.
  bool stopped = false;
};

// Reads the brain from Language text, answers the inputs in turn (applying
// mutations[i], when set, after input i) and records the log. With `seconds`
// above 0 each input may run that long; an input stopped by that limit ends
// the play, since where it stops depends on the machine's speed.
Played Play(const std::string& brainText, const std::vector<std::string>& inputs,
            const std::vector<std::function<void(BrainClass&)>>& mutations, bool fast, double seconds = 0);

}  // namespace varnex::test
