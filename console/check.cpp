// varnex check: reports likely mistakes in brains.
#include "console/commands.h"
#include "engine/varnex.h"

namespace varnex {

int RunCheck(const ConsoleOptions&) { return 0; }

}  // namespace varnex
