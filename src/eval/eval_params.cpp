#include "eval/eval_params.h"

#include <algorithm>

namespace tarn {

const ParamGroup paramGroups[ParamGroupCount] = {
    {"PawnSquare", groupStart(PawnSquareG), 32},       {"KnightSquare", groupStart(KnightSquareG), 32},
    {"BishopSquare", groupStart(BishopSquareG), 32},   {"RookSquare", groupStart(RookSquareG), 32},
    {"QueenSquare", groupStart(QueenSquareG), 32},     {"KingSquare", groupStart(KingSquareG), 32},
    {"PawnCoverSquare", groupStart(PawnCoverSquareG), 32}, {"PawnStormSquare", groupStart(PawnStormSquareG), 32},
    {"MaterialV", groupStart(MaterialVG), MaterialP::Count}, {"KnightV", groupStart(KnightVG), KnightP::Count},
    {"BishopV", groupStart(BishopVG), BishopP::Count},   {"RookV", groupStart(RookVG), RookP::Count},
    {"QueenV", groupStart(QueenVG), QueenP::Count},      {"TacticalV", groupStart(TacticalVG), TacticalP::Count},
    {"KingV", groupStart(KingVG), KingP::Count},         {"PawnV", groupStart(PawnVG), PawnP::Count},
    {"PassedV", groupStart(PassedVG), PassedP::Count},
};

int32_t evalParams[ParamCount];

namespace {

constexpr PackedScore S(int mg, int eg) { return makeScore(mg, eg); }

// Square groups: four files (a-d, mirrored for e-h) per row, row 0 being the
// far rank as seen from the piece's own side.
constexpr PackedScore PawnSquareDefaults[32] = {
    S(0, 0),    S(0, 0),    S(0, 0),   S(0, 0),     // promotion rank: never occupied
    S(14, 26),  S(16, 26),  S(16, 24), S(18, 22),
    S(6, 14),   S(8, 14),   S(12, 12), S(16, 10),
    S(0, 6),    S(4, 5),    S(8, 4),   S(14, 4),
    S(-4, 2),   S(0, 1),    S(6, 0),   S(14, 0),
    S(-6, 0),   S(-2, 0),   S(2, 0),   S(6, 0),
    S(-6, 0),   S(0, 0),    S(-2, 0),  S(-8, 0),
    S(0, 0),    S(0, 0),    S(0, 0),   S(0, 0),     // own first rank: never occupied
};
constexpr PackedScore KnightSquareDefaults[32] = {
    S(-50, -40), S(-22, -26), S(-12, -16), S(-8, -10),
    S(-20, -20), S(-6, -8),   S(6, 0),     S(10, 2),
    S(-10, -12), S(8, 0),     S(16, 8),    S(20, 12),
    S(-6, -8),   S(10, 4),    S(20, 12),   S(24, 16),
    S(-8, -8),   S(6, 4),     S(16, 10),   S(20, 14),
    S(-14, -12), S(2, -2),    S(10, 2),    S(12, 8),
    S(-20, -20), S(-8, -10),  S(0, -4),    S(4, 0),
    S(-50, -40), S(-16, -26), S(-12, -16), S(-10, -10),
};
constexpr PackedScore BishopSquareDefaults[32] = {
    S(-14, -10), S(-4, -6), S(-8, -6), S(-10, -4),
    S(-6, -6),   S(2, -2),  S(4, 0),   S(0, 0),
    S(-4, -4),   S(6, 0),   S(6, 2),   S(6, 2),
    S(-2, -4),   S(4, 0),   S(8, 2),   S(10, 4),
    S(-2, -4),   S(8, 0),   S(8, 2),   S(10, 4),
    S(0, -4),    S(8, 0),   S(8, 2),   S(6, 2),
    S(-2, -6),   S(10, -2), S(4, -2),  S(2, 0),
    S(-12, -10), S(-4, -6), S(-8, -6), S(-8, -4),
};
constexpr PackedScore RookSquareDefaults[32] = {
    S(4, 4),   S(6, 4),  S(8, 4),  S(10, 4),
    S(12, 6),  S(14, 8), S(16, 8), S(16, 8),
    S(-4, 0),  S(0, 0),  S(2, 0),  S(4, 0),
    S(-4, 0),  S(0, 0),  S(2, 0),  S(4, 0),
    S(-4, 0),  S(0, 0),  S(2, 0),  S(4, 0),
    S(-6, 0),  S(-2, 0), S(0, 0),  S(2, 0),
    S(-10, -2), S(-4, 0), S(-2, 0), S(0, 0),
    S(-6, -2), S(-2, -2), S(2, 0), S(6, 0),
};
constexpr PackedScore QueenSquareDefaults[32] = {
    S(-2, -6), S(2, 0),   S(2, 4),   S(4, 8),
    S(-2, -6), S(2, 0),   S(2, 4),   S(4, 8),
    S(-2, -6), S(2, 0),   S(2, 4),   S(4, 8),
    S(-2, -4), S(2, 2),   S(4, 8),   S(4, 12),
    S(-2, -4), S(2, 2),   S(4, 8),   S(4, 12),
    S(-2, -4), S(2, 2),   S(4, 6),   S(4, 8),
    S(-4, -8), S(2, -4),  S(4, 0),   S(2, 0),
    S(-6, -16), S(-4, -10), S(-2, -6), S(2, -4),
};
constexpr PackedScore KingSquareDefaults[32] = {
    S(-40, -40), S(-40, -20), S(-45, -10), S(-50, -6),
    S(-40, -20), S(-40, 0),   S(-45, 6),   S(-50, 10),
    S(-35, -10), S(-40, 6),   S(-45, 16),  S(-50, 20),
    S(-35, -6),  S(-40, 10),  S(-45, 20),  S(-50, 24),
    S(-25, -8),  S(-30, 8),   S(-35, 18),  S(-40, 22),
    S(-15, -12), S(-20, 4),   S(-25, 12),  S(-30, 14),
    S(10, -20),  S(10, -6),   S(-5, 2),    S(-15, 4),
    S(20, -40),  S(25, -20),  S(5, -12),   S(-5, -10),
};
// Value of an own pawn standing in front of the king, by its square.
constexpr int32_t PawnCoverDefaults[32] = {
    0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
    2, 2, 1, 0,  6, 6, 4, 2,  12, 14, 10, 6,  0, 0, 0, 0,
};
// Threat of an enemy pawn advancing on the king, by its square seen from the king's side.
constexpr int32_t PawnStormDefaults[32] = {
    0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  4, 4, 3, 2,
    10, 12, 9, 6,  18, 20, 16, 10,  6, 6, 4, 2,  0, 0, 0, 0,
};

constexpr PackedScore MaterialDefaults[MaterialP::Count] = {
    S(24, 40),  // bishop pair
    S(1, 2),    // knight, per own pawn beyond five
    S(-2, -3),  // rook, per own pawn beyond five
    S(-8, -6),  // second rook
};

constexpr PackedScore KnightDefaults[KnightP::Count] = {
    S(0, -4),  // base
    S(-40, -50), S(-28, -34), S(-12, -18), S(-4, -8), S(2, 2), S(8, 8), S(13, 13), S(17, 16), S(20, 18),
    S(22, 8),  // outpost
    S(8, 2),   // outpost reachable
    S(6, 2),   // behind a pawn
    S(-3, -2), // per square of distance from the own king beyond three
};
constexpr PackedScore BishopDefaults[BishopP::Count] = {
    S(0, 0),
    S(-30, -40), S(-16, -24), S(-4, -10), S(4, 0), S(10, 8), S(16, 16), S(21, 22), S(25, 27), S(28, 31),
    S(31, 34), S(33, 37), S(35, 39), S(37, 41), S(38, 42),
    S(14, 4),   // outpost
    S(6, 2),    // behind a pawn
    S(-1, -3),  // per own pawn on the bishop's colour
    S(12, 0),   // long diagonal seeing both centre squares
    S(-2, -1),  // per square of distance from the own king beyond three
    S(-50, -50),  // shut in a corner by an enemy pawn
};
constexpr PackedScore RookDefaults[RookP::Count] = {
    S(0, 0),
    S(-28, -44), S(-16, -26), S(-8, -10), S(-4, 0), S(-2, 10), S(2, 20), S(6, 28), S(10, 34), S(13, 40),
    S(16, 44), S(18, 48), S(20, 51), S(22, 53), S(23, 55), S(24, 56),
    S(22, 10),  // open file
    S(10, 6),   // semi-open file
    S(6, 16),   // seventh rank with the enemy king on the eighth or pawns on the seventh
    S(-24, -4), // trapped beside an uncastled king
    S(4, 2),    // same file as the enemy queen
};
constexpr PackedScore QueenDefaults[QueenP::Count] = {
    S(0, 0),
    S(-20, -30), S(-12, -22), S(-8, -14), S(-6, -6), S(-2, 2), S(2, 8), S(4, 14), S(6, 20), S(8, 25),
    S(10, 30), S(12, 34), S(14, 38), S(16, 42), S(18, 45), S(20, 48), S(21, 51), S(22, 54), S(23, 56),
    S(24, 58), S(25, 60), S(26, 62), S(27, 64), S(28, 66), S(29, 68), S(30, 69), S(31, 70), S(32, 71),
    S(32, 72), S(32, 72),
    S(-10, -6),  // attacked by a lesser piece
};
constexpr PackedScore TacticalDefaults[TacticalP::Count] = {
    S(70, 40),  // safe pawn attacks a piece
    S(20, 14),  // a safe pawn push would attack a piece
    S(26, 30),  // minor attacks rook
    S(30, 20),  // minor attacks queen
    S(22, 16),  // rook attacks queen
    S(30, 18),  // piece attacked and undefended
    S(6, 24),   // king attacks an undefended piece
    S(10, 8),   // piece attacked twice and defended once
};
constexpr PackedScore KingDefaults[KingP::Count] = {
    S(20, 0), S(14, 0), S(18, 0), S(30, 0),  // attacker weight: knight, bishop, rook, queen
    S(40, 0), S(28, 0), S(44, 0), S(34, 0),  // safe check: knight, bishop, rook, queen
    S(8, 0),    // attack next to the king
    S(12, 0),   // weak zone square
    S(60, 0),   // relief when the attacker has no queen
    S(-10, 0),  // own file near the king without a pawn
    S(-14, -2), // file near the king without any pawn
    S(0, -6),   // per square of distance to the nearest pawn
    S(720, 0),  // danger divisor
};
constexpr PackedScore PawnDefaults[PawnP::Count] = {
    S(0, 0),    // base
    S(-6, -10), // isolated
    S(-6, -16), // doubled
    S(-6, -6),  // backward
    S(-8, -4),  // isolated or backward on a half-open file
    S(0, 0), S(4, 2), S(6, 4), S(10, 8), S(22, 26), S(40, 48),  // connected by relative rank 1..6
    S(0, 0), S(2, 4), S(4, 8), S(8, 14), S(14, 24), S(0, 0),    // candidate passer by relative rank 1..6
    S(-2, -6),  // blocked on the fifth or sixth rank
};
constexpr PackedScore PassedDefaults[PassedP::Count] = {
    S(0, 0), S(2, 6), S(2, 8), S(6, 16), S(16, 36), S(34, 70), S(60, 120), S(0, 0),   // by rank
    S(0, 0), S(0, 0), S(0, 0), S(0, 4), S(0, 10), S(0, 16), S(0, 22), S(0, 0),        // enemy king distance
    S(0, 0), S(0, 0), S(0, 0), S(0, 2), S(0, 4), S(0, 7), S(0, 10), S(0, 0),          // own king distance
    S(0, 0), S(0, 0), S(0, 2), S(2, 6), S(6, 14), S(12, 28), S(20, 48), S(0, 0),      // free path
    S(0, 0), S(0, 0), S(0, 0), S(0, -4), S(0, -10), S(0, -18), S(0, -24), S(0, 0),    // against a lone rook
    S(-4, -12),  // blocked by a piece
};

template <size_t N>
void fill(int group, const int32_t (&values)[N]) {
  static_assert(N <= 64);
  std::copy(values, values + N, evalParams + groupStart(group));
}

}  // namespace

void resetEvalParams() {
  fill(PawnSquareG, PawnSquareDefaults);
  fill(KnightSquareG, KnightSquareDefaults);
  fill(BishopSquareG, BishopSquareDefaults);
  fill(RookSquareG, RookSquareDefaults);
  fill(QueenSquareG, QueenSquareDefaults);
  fill(KingSquareG, KingSquareDefaults);
  fill(PawnCoverSquareG, PawnCoverDefaults);
  fill(PawnStormSquareG, PawnStormDefaults);
  fill(MaterialVG, MaterialDefaults);
  fill(KnightVG, KnightDefaults);
  fill(BishopVG, BishopDefaults);
  fill(RookVG, RookDefaults);
  fill(QueenVG, QueenDefaults);
  fill(TacticalVG, TacticalDefaults);
  fill(KingVG, KingDefaults);
  fill(PawnVG, PawnDefaults);
  fill(PassedVG, PassedDefaults);
}

}  // namespace tarn

namespace tarn {
namespace {
// The table starts out with the defaults.
const bool defaultsLoaded = (resetEvalParams(), true);
}  // namespace
}  // namespace tarn
