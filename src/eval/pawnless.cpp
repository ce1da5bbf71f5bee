#include "eval/pawnless.h"

#include <algorithm>

#include "board/attacks.h"
#include "eval/material_info.h"
#include "eval/packed_score.h"

namespace tarn {

namespace {

// Rows from the eighth rank down, files a to h (square 0 = a8).
constexpr int Edge[64] = {
    8, 7, 6, 5, 5, 6, 7, 8,  7, 5, 4, 3, 3, 4, 5, 7,  6, 4, 2, 1, 1, 2, 4, 6,  5, 3, 1, 0, 0, 1, 3, 5,
    5, 3, 1, 0, 0, 1, 3, 5,  6, 4, 2, 1, 1, 2, 4, 6,  7, 5, 4, 3, 3, 4, 5, 7,  8, 7, 6, 5, 5, 6, 7, 8,
};
// High in the a8 and h1 corners, where a light-squared bishop and knight mate.
constexpr int Corner[64] = {
    72, 62, 52, 42, 32, 24, 18, 12,  62, 50, 40, 28, 22, 14, 5, 18,   52, 40, 26, 16, 10, 0, 14, 24,
    42, 28, 16, 0, -5, 10, 22, 32,   32, 22, 10, -5, 0, 16, 28, 42,   24, 14, 0, 10, 16, 26, 40, 52,
    18, 5, 14, 22, 28, 40, 50, 62,   12, 18, 24, 32, 42, 52, 62, 72,
};
constexpr int Centre[64] = {
    -2, -2, -2, -2, -2, -2, -2, -2,  -2, -1, -1, -1, -1, -1, -1, -2,  -2, -1, 0, 0, 0, 0, -1, -2,
    -2, -1, 0, 0, 0, 0, -1, -2,      -2, -1, 0, 0, 0, 0, -1, -2,      -2, -1, 0, 0, 0, 0, -1, -2,
    -2, -1, -1, -1, -1, -1, -1, -2,  -2, -2, -2, -2, -2, -2, -2, -2,
};

}  // namespace

int evaluatePawnless(const Position& pos) {
  const int white = materialSum(pos, White), black = materialSum(pos, Black);
  const Color strong = white > black ? White : Black, weak = ~strong;
  const int f = materialSum(pos, strong), o = materialSum(pos, weak);
  int m = f - o;
  const int sK = pos.kingSquare[strong], wK = pos.kingSquare[weak];
  const int sign = pos.sideToMove == strong ? 1 : -1;
  const int strongPieces = pieceCount(pos, strong), weakPieces = pieceCount(pos, weak);
  auto firstSquare = [](Bitboard b) { return b ? lowestSquare(b) : 0; };

  if (f <= 344) return 0;
  if (f == 656) return sign;  // two knights cannot force mate

  int u;
  if (!weakPieces) {
    if (strongPieces == 2 && !pos.pieces(strong, Queen) && !pos.pieces(strong, Rook) && f != 688) {
      const Bitboard bishops = pos.pieces(strong, Bishop);
      const int c = (bishops & DarkSquares) ? wK ^ 7 : wK;
      const int knight = firstSquare(pos.pieces(strong, Knight));
      u = m + 2 * Corner[c] - 4 * std::max(0, distance(knight, sK) - 2) + 400;
    } else {
      u = m + 8 * Edge[wK] + 600;
      if (f < 1028) u += 200;
    }
    u -= 4 * std::max(0, distance(sK, wK) - 2);
    return sign * u;
  }

  if (f == 1028 && o <= 532) {
    u = m + 8 * Edge[wK] - 6 * distance(sK, wK) + 400;
    if (o == 328 || o == 532) {
      const int piece = firstSquare(pos.colourBB[weak] & ~pos.pieces(weak, King));
      u += 8 * std::max(0, distance(wK, piece) - 2);
    }
    return sign * u;
  }

  u = m;
  int t = 100;
  if (weakPieces == 1) {
    if (m >= 516) u += 350;
    if (o == 532 && f == 1000) t = 50;
  }
  if (m > 50) {
    u += 16 - 16 * distance(sK, wK);
    if (Centre[sK] >= Centre[wK] && Centre[sK] >= -1) u += 16;
    u += 16 * Edge[wK];
  }
  if (m >= 1) {
    for (Bitboard b = pos.pieces(weak, Knight); b;) {
      const int knight = popLowest(b);
      u += 6 * (2 * std::max(0, distance(wK, knight) - 1) - Centre[knight]);
    }
    const int n = strongPieces, k = weakPieces;
    bool final = false;
    if (n == k + 1 && n <= 3 && m < 400) {
      if (n == 3)
        t = t * 60 / 100;
      else if (m == 360)
        t = t * 50 / 100;
      else if (f == 876 || f > 1028)
        t = t * 25 / 100;
      else {
        t = t * 12 / 100;
        if (f == 860) {
          u += 3 * (8 - distance(sK, firstSquare(pos.pieces(strong, Knight))));
          final = true;
        }
      }
    } else if (n == 2 && k == 2 && m <= 220) {
      t = t * 33 / 100;
    } else if (o == 1028 && (f == 1188 || f == 1204 || f == 688)) {
      t = t * (f == 1188 ? 50 : f == 1204 ? 55 : 75) / 100;
      final = true;
    }
    if (!final) {
      if (f == 532 && k == 1) {
        if (o == 328) u += 32 * distance(wK, firstSquare(pos.pieces(weak, Knight)));
        t = t * 25 / 100;
      }
      if (f == 1028 && (o == 860 || o == 876)) t = t * 50 / 100;
    }
  }
  if (m <= 16 && white != 532 && white != 1028) {
    u = egOf(pos.psqScore) / 4;
    if (white <= black) u = -u;
  }
  return sign * (t * u / 100);
}

}  // namespace tarn
