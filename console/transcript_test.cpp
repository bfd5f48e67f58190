// varnex test: runs transcripts against brains.
#include "console/commands.h"
#include "engine/varnex.h"

namespace varnex {

int RunTest(const ConsoleOptions&) { return 0; }

}  // namespace varnex
