// Giving memory back. Building a big derived structure takes several times
// its own size in passing; the C library keeps what was freed for later
// use, which leaves the process larger than it needs to be.
#pragma once

namespace varnex {

// Returns to the system what the allocator holds free, where it can.
void ReturnFreeMemory();

}  // namespace varnex
