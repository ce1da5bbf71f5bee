// The hand-crafted evaluation terms: attack information of both colours, then
// pieces (mobility and piece terms), king safety, passed pawns and threats.
#pragma once

#include "board/position.h"
#include "eval/packed_score.h"
#include "eval/pawn_structure.h"

namespace tarn {

// What one colour attacks, filled afresh for every hand-crafted evaluation.
struct AttackInfo {
  Bitboard by[6];            // squares attacked by each piece type
  Bitboard all;
  Bitboard twice;            // squares attacked at least twice
  Bitboard kingZone;         // the zone around this colour's own king
  int kingAttackersCount;    // enemy pieces attacking this colour's king zone
  int kingAttackersWeight;
  int kingAdjacentAttacks;   // enemy attacks on squares next to this colour's king
  PackedScore mobility;      // this colour's mobility, collected with the attacks
};

// The four term groups per colour, each from that colour's own point of view.
struct TermResults {
  PackedScore pieces[2];
  PackedScore king[2];
  PackedScore passed[2];
  PackedScore tactical[2];
};

// Fills both attack records and the term results; returns the sum of the four
// terms from the side to move's point of view. The pawn entry caches the king shelter.
PackedScore evaluateTerms(const Position& pos, PawnEntry& pawns, AttackInfo (&ai)[2], TermResults& terms);

}  // namespace tarn
