// Zobrist keys and the seeded generator that draws them.
//
// The opening book stores these keys, so the generator, its warm-up and the
// order of the draws are fixed: the same keys must come out on every build.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

// Small fast 64-bit generator with four state words and rotations 7, 13, 37.
struct KeyGenerator {
  uint64_t a = 0xF1EA5EED, b = 0xD4E12C77, c = 0xD4E12C77, d = 0xD4E12C77;

  uint64_t next() {
    uint64_t e = a - std::rotl(b, 7);
    a = b ^ std::rotl(c, 13);
    b = c + std::rotl(d, 37);
    c = d + e;
    d = e + a;
    return d;
  }
};

// The process-wide generator, already warmed up by its 73 discarded steps.
KeyGenerator& keyGenerator();

struct ZobristKeys {
  Key pieceKey[16][64];
  Key epKey[64];
  Key castleKey[64];
  Key sideKey;
};

extern ZobristKeys zobrist;

// Draws the key tables; called once at engine start before any position is hashed.
void initZobrist();

}  // namespace tarn
