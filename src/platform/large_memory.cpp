#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace tarn {

namespace {
constexpr size_t HugePageSize = size_t(2) << 20;
}  // namespace

void* allocateLargeMemory(size_t bytes) {
  if (bytes < HugePageSize) return std::aligned_alloc(64, (bytes + 63) / 64 * 64);
  const size_t rounded = (bytes + HugePageSize - 1) / HugePageSize * HugePageSize;
  void* memory = std::aligned_alloc(HugePageSize, rounded);
#ifdef MADV_HUGEPAGE
  // Only advice: without transparent huge pages the memory works all the same.
  if (memory) ::madvise(memory, rounded, MADV_HUGEPAGE);
#endif
  return memory;
}

void freeLargeMemory(void* memory) { std::free(memory); }

}  // namespace tarn
