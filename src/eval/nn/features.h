// Input features of the networks: which input a piece on a square switches on.
//
// Squares follow the board (a8 = 0, h1 = 63). s ^ 7 mirrors a square across the
// d/e line, s ^ 56 flips it across the middle rank. Networks mirror a whole view
// when the king it belongs to stands on files e–h, so that kings always appear on
// files a–d and the king square folds onto 32 inputs (kingMap).
//
// General network, one view of 705 inputs, mirrored by the White king:
//   White section 0..335:   knight s, bishop 64 + s, rook 128 + s, queen 192 + s,
//                           pawn 248 + s (256..303 on rows 1..6), king 304 + kingMap[s]
//   Black section 336..703: the same on s ^ 56, but the king on 304 + s (all 64 squares)
//   input 704: Black to move.
//
// Two-view networks: view 0 is White's, mirrored by the White king; view 1 is
// Black's, mirrored by the Black king. A piece is placed from its owner's side
// (s ^ 56 for Black) and then mirrored per view. In its owner's view it uses the
// own section, in the other view the other section, which follows the own one:
//   piece        own section       other section (+ ownFeatures)
//   pawn         s − 8             s − 8
//   king         48 + kingMap[s]   48 + s
//   type A       80 + s            112 + s
//   type B       144 + s           176 + s
//   type C       208 + s           240 + s
//   other types  272 + s           304 + s
// A network's sections end where its rarest admitted piece ends (own 80, 144,
// 208, 272 or 336); a piece type the network never meets has no input at all.
// The last input (ownFeatures + otherFeatures) is on in the view of the side to move.
#pragma once

#include <algorithm>

#include "board/attacks.h"
#include "board/position.h"
#include "board/types.h"

namespace tarn::nn {

constexpr int NoFeature = -1;

constexpr int kingMap(int s) { return rowOf(s) * 4 + std::min(fileOf(s), 7 - fileOf(s)); }

constexpr int GeneralOwnFeatures = 336;
constexpr int GeneralOtherFeatures = 368;
constexpr int GeneralSideToMoveInput = GeneralOwnFeatures + GeneralOtherFeatures;  // 704

// Input of the general network for a piece; `mirrored` when the White king is on files e–h.
constexpr int generalFeatureIndex(int pieceType, Color c, int square, bool mirrored) {
  int s = mirrored ? square ^ 7 : square;
  int base = 0;
  if (c == Black) {
    s ^= 56;
    base = GeneralOwnFeatures;
  }
  switch (pieceType) {
    case Knight:
      return base + s;
    case Bishop:
      return base + 64 + s;
    case Rook:
      return base + 128 + s;
    case Queen:
      return base + 192 + s;
    case Pawn:
      return base + 248 + s;
    case King:
      return base + 304 + (c == White ? kingMap(s) : s);
    default:
      return NoFeature;
  }
}

// The piece types a two-view network tells apart; NoPieceType where it has none.
struct PieceTypeSlots {
  int a = NoPieceType;
  int b = NoPieceType;
  int c = NoPieceType;
};

// Input of a two-view network for a piece of `pieceType` on `viewSquare` (already
// taken from its owner's side and mirrored for the view), in its owner's view
// (`own`) or the other one; NoFeature where the network has no such input.
constexpr int twoViewFeatureIndex(int pieceType, int viewSquare, bool own, PieceTypeSlots slots, int ownFeatures,
                                  int otherFeatures) {
  const int s = viewSquare;
  int index = NoFeature;
  if (pieceType == Pawn) {
    if (s < 8 || s >= 56) return NoFeature;  // pawns never stand on the first or last rank
    index = s - 8;
  } else if (pieceType == King) {
    index = own ? 48 + kingMap(s) : 48 + s;
  } else if (pieceType == slots.a) {
    index = (own ? 80 : 112) + s;
  } else if (pieceType == slots.b) {
    index = (own ? 144 : 176) + s;
  } else if (pieceType == slots.c) {
    index = (own ? 208 : 240) + s;
  } else if (pieceType >= Knight && pieceType <= Queen) {
    index = (own ? 272 : 304) + s;
  }
  if (index == NoFeature) return NoFeature;
  if (own) return index < ownFeatures ? index : NoFeature;
  return index < otherFeatures ? ownFeatures + index : NoFeature;
}

// Pawn-structure network: pawns and kings as in the two-view networks (own 80,
// other 112), then ten material inputs per colour, k = 0..9 for White and 10..19
// for Black: h-side and a-side castling right, knights ≥ 1 and ≥ 2, rooks ≥ 1 and
// ≥ 2, queens ≥ 1 and ≥ 2, a bishop on a light square, a bishop on a dark square.
// Each view lists its own colour's ten first: input 192 + k in view 0; in view 1,
// 192 + (k − 10) for Black's and 202 + k for White's.
constexpr int PawnStructureOwnFeatures = 80;
constexpr int PawnStructureOtherFeatures = 112;
constexpr int PawnStructureMaterialFeatures = 20;

// Writes the active material inputs of both views; returns how many per view (equal).
inline int pawnStructureMaterialInputs(const Position& pos, int16_t view0[20], int16_t view1[20]) {
  int n = 0;
  for (int c = White; c <= Black; ++c) {
    const Color colour = Color(c);
    const int hSide = c == White ? WhiteHSide : BlackHSide;
    const int aSide = c == White ? WhiteASide : BlackASide;
    const Bitboard bishops = pos.pieces(colour, Bishop);
    const int knights = popCount(pos.pieces(colour, Knight));
    const int rooks = popCount(pos.pieces(colour, Rook));
    const int queens = popCount(pos.pieces(colour, Queen));
    const bool on[10] = {(pos.castlingRights & hSide) != 0,
                         (pos.castlingRights & aSide) != 0,
                         knights >= 1,
                         knights >= 2,
                         rooks >= 1,
                         rooks >= 2,
                         queens >= 1,
                         queens >= 2,
                         (bishops & LightSquares) != 0,
                         (bishops & DarkSquares) != 0};
    for (int offset = 0; offset < 10; ++offset) {
      if (!on[offset]) continue;
      const int k = 10 * c + offset;
      view0[n] = int16_t(192 + k);
      view1[n] = int16_t(k >= 10 ? 192 + (k - 10) : 202 + k);
      ++n;
    }
  }
  return n;
}

}  // namespace tarn::nn
