// Memory for records. A big brain is hundreds of thousands of small records
// made in one go; taking them from large chunks (backed by huge pages where
// the system offers them) instead of one allocation each makes reading such
// a brain several times faster and smaller. Under AddressSanitizer records
// use the ordinary allocator, so that a record used after its destruction is
// still caught.
#pragma once

#include <cstddef>

namespace varnex {

void* AllocateRecord(std::size_t size);
void FreeRecord(void* p, std::size_t size) noexcept;

}  // namespace varnex
