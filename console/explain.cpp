// varnex explain: why an input gets the answer it gets.
#include "console/commands.h"
#include "engine/varnex.h"

namespace varnex {

int RunExplain(const ConsoleOptions&) { return 0; }

}  // namespace varnex
