// One entry of the pawn-structure network cache: the first 14 outputs of the
// pawn-structure network's second layer in each view, which the general network
// adds to its own hidden values, and the check that identifies the position.
#pragma once

#include <cstdint>

namespace tarn::nn {

constexpr int PawnInputWidth = 14;

struct alignas(64) PawnNetEntry {
  int16_t view0[PawnInputWidth];
  int16_t view1[PawnInputWidth];
  uint32_t check;   // upper 32 bits of the cache key
  uint32_t filled;  // 1 once computed, so that a cleared entry never matches a key
};

static_assert(sizeof(PawnNetEntry) == 64, "one cache line per entry");

}  // namespace tarn::nn
