#include "board/zobrist.h"

namespace tarn {

ZobristKeys zobrist;

KeyGenerator& keyGenerator() {
  static KeyGenerator generator = [] {
    KeyGenerator g;
    for (int i = 0; i < 73; ++i) g.next();
    return g;
  }();
  return generator;
}

void initZobrist() {
  static bool done = false;
  if (done) return;  // the keys never change once drawn
  done = true;
  KeyGenerator& g = keyGenerator();
  for (int s = 0; s < 64; ++s) {
    for (int p = 0; p < 16; ++p) zobrist.pieceKey[p][s] = g.next();
    zobrist.epKey[s] = g.next();
    zobrist.castleKey[s] = g.next();
  }
  zobrist.sideKey = g.next();
}

}  // namespace tarn
