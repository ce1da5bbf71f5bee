// Precomputed attack tables: magic-indexed slider attacks, leaper attacks,
// lines through squares and king distances. Built once by initAttackTables and
// read-only afterwards, so every search thread reads them without locking.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace tarn {

// One slider square: attacks(s, occ) = attacks[((occ & mask) * magic) >> shift].
struct Magic {
  Bitboard mask;
  Bitboard magic;
  const Bitboard* attacks;  // this square's slice of the shared attack array
  uint32_t start;           // index of that slice in the shared array
  uint8_t bits;
  uint8_t shift;

  unsigned index(Bitboard occupied) const { return unsigned(((occupied & mask) * magic) >> shift); }
};

// Rook slices for squares 0..63, then bishop slices: 102,400 + 5,248 entries.
constexpr int SliderTableSize = 107648;

struct AttackTables {
  Bitboard king[64];
  Bitboard knight[64];
  Bitboard pawnAttackers[2][64];  // squares from which a pawn of colour c attacks s
  Magic rookMagic[64];
  Magic bishopMagic[64];
  Bitboard rookRays[64];
  Bitboard bishopRays[64];
  Bitboard between[64][64];       // strictly between two aligned squares
  Bitboard line[64][64];          // edge to edge through two aligned squares
  Bitboard beyond[64][64];        // from a through b, the squares past b
  uint8_t distance[64][64];       // king distance
  Bitboard sliderAttacks[SliderTableSize];
};

extern AttackTables attackTables;

constexpr Bitboard PromotionRanks = Rank1BB | Rank8BB;
constexpr Bitboard DoublePushRank[2] = {rankBB(2), rankBB(5)};  // third rank of each side
constexpr Bitboard Corners = bit(A1) | bit(H1) | bit(A8) | bit(H8);
constexpr Bitboard DarkSquares = 0x55AA55AA55AA55AAULL;  // (file + row) odd
constexpr Bitboard LightSquares = ~DarkSquares;

// Builds every table; called once at engine start, after the Zobrist keys.
void initAttackTables();

inline Bitboard rookAttacks(int s, Bitboard occupied) {
  const Magic& m = attackTables.rookMagic[s];
  return m.attacks[m.index(occupied)];
}
inline Bitboard bishopAttacks(int s, Bitboard occupied) {
  const Magic& m = attackTables.bishopMagic[s];
  return m.attacks[m.index(occupied)];
}
inline Bitboard queenAttacks(int s, Bitboard occupied) { return rookAttacks(s, occupied) | bishopAttacks(s, occupied); }
inline Bitboard knightAttacks(int s) { return attackTables.knight[s]; }
inline Bitboard kingAttacks(int s) { return attackTables.king[s]; }
inline Bitboard pawnAttackers(Color c, int s) { return attackTables.pawnAttackers[c][s]; }
// Squares a pawn of colour c standing on s attacks.
inline Bitboard pawnAttacks(Color c, int s) { return attackTables.pawnAttackers[~c][s]; }
inline Bitboard between(int a, int b) { return attackTables.between[a][b]; }
inline Bitboard lineThrough(int a, int b) { return attackTables.line[a][b]; }
inline Bitboard beyond(int a, int b) { return attackTables.beyond[a][b]; }
inline int distance(int a, int b) { return attackTables.distance[a][b]; }
inline bool aligned(int a, int b, int c) { return (lineThrough(a, b) & bit(c)) != 0; }

// Attacks of a non-pawn piece type from s with the given occupancy.
inline Bitboard attacksOf(int type, int s, Bitboard occupied) {
  switch (type) {
    case Knight: return knightAttacks(s);
    case Bishop: return bishopAttacks(s, occupied);
    case Rook: return rookAttacks(s, occupied);
    case Queen: return queenAttacks(s, occupied);
    default: return kingAttacks(s);
  }
}

// Squares attacked by all pawns of a colour, shifted as a set.
template <Color C>
constexpr Bitboard pawnAttackSet(Bitboard pawns) {
  if constexpr (C == White)
    return ((pawns & ~FileABB) >> 9) | ((pawns & ~FileHBB) >> 7);
  else
    return ((pawns & ~FileHBB) << 9) | ((pawns & ~FileABB) << 7);
}

}  // namespace tarn
