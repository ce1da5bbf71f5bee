// Memory for the large tables (the transposition table): backed by huge pages
// where the system offers them, so that a random probe costs one cache miss
// instead of a cache miss plus a page-table walk, and the first touch of the
// table faults in 2 MB at a time rather than 4 KB.
#pragma once

#include <cstddef>

namespace tarn {

// At least `bytes` of memory aligned to 64 bytes (to the huge-page size when
// it is large enough to use them), or null when it cannot be had. The contents
// are unspecified.
void* allocateLargeMemory(size_t bytes);

// Returns memory from allocateLargeMemory; null is harmless.
void freeLargeMemory(void* memory);

}  // namespace tarn
