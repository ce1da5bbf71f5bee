// The tunable parameters of the hand-crafted evaluation.
//
// One flat table of entries, registered as named groups. Every entry is a
// packed score except in "PawnCoverSquare" and "PawnStormSquare", which hold
// plain middle-game integers. The square groups have 32 entries indexed by
// row * 4 + mirrored file as seen from the piece's own side (row 0 = the far
// rank); each piece group starts with the piece's base value, an adjustment to
// its nominal material, followed by a mobility run indexed by the number of
// reachable squares. The tuning tools rewrite the table; the values below are
// hand-set defaults.
#pragma once

#include <cstdint>

#include "eval/packed_score.h"

namespace tarn {

struct ParamGroup {
  const char* name;
  int start;
  int count;
};

// ---- Layout of each group --------------------------------------------------

namespace MaterialP {
enum : int { BishopPair, KnightPawnAdjust, RookPawnAdjust, RedundantRook, Count };
}
namespace KnightP {
enum : int { Base, Mobility, Outpost = Mobility + 9, OutpostReachable, BehindPawn, KingProtector, Count };
}
namespace BishopP {
enum : int { Base, Mobility, Outpost = Mobility + 14, BehindPawn, PawnsOnColour, LongDiagonal, KingProtector, TrappedCorner, Count };
}
namespace RookP {
enum : int { Base, Mobility, OpenFile = Mobility + 15, SemiOpenFile, SeventhRank, TrappedByKing, QueenFile, Count };
}
namespace QueenP {
enum : int { Base, Mobility, Unsafe = Mobility + 29, Count };
}
namespace TacticalP {
enum : int { SafePawnThreat, PawnPushThreat, MinorOnRook, MinorOnQueen, RookOnQueen, Hanging, KingThreat, Overloaded, Count };
}
namespace KingP {
// Attacker weights, safe-check weights and the danger terms use the middle-game half only.
enum : int {
  AttackerWeight,                       // knight, bishop, rook, queen
  SafeCheck = AttackerWeight + 4,       // knight, bishop, rook, queen
  AdjacentAttack = SafeCheck + 4,       // per attack on a square next to the king
  WeakZoneSquare,                       // zone squares defended only by the king or queen
  NoQueenRelief,                        // danger removed when the attacker has no queen
  ShelterMissingFile,                   // own file near the king without a pawn
  OpenFileNearKing,                     // file near the king without any pawn
  PawnDistance,                         // end-game pull towards the nearest pawn
  DangerDivisor,                        // penalty = danger^2 / divisor (middle game)
  Count
};
}
namespace PawnP {
enum : int { Base, Isolated, Doubled, Backward, WeakOnOpenFile, Connected, Candidate = Connected + 6, Blocked = Candidate + 6, Count };
}
namespace PassedP {
// Runs of eight indexed by the pawn's relative rank (0 = own first rank).
enum : int { Rank, TheirKingDistance = 8, OwnKingDistance = 16, FreePath = 24, VersusRook = 32, BlockedByPiece = 40, Count };
}

constexpr int SquareGroupSize = 32;

// ---- Group starts -----------------------------------------------------------

enum ParamGroupId : int {
  PawnSquareG, KnightSquareG, BishopSquareG, RookSquareG, QueenSquareG, KingSquareG,
  PawnCoverSquareG, PawnStormSquareG,
  MaterialVG, KnightVG, BishopVG, RookVG, QueenVG, TacticalVG, KingVG, PawnVG, PassedVG,
  ParamGroupCount
};

constexpr int GroupSize[ParamGroupCount] = {
    32, 32, 32, 32, 32, 32, 32, 32,
    MaterialP::Count, KnightP::Count, BishopP::Count, RookP::Count, QueenP::Count,
    TacticalP::Count, KingP::Count, PawnP::Count, PassedP::Count};

constexpr int groupStart(int g) {
  int s = 0;
  for (int i = 0; i < g; ++i) s += GroupSize[i];
  return s;
}

constexpr int ParamCount = groupStart(ParamGroupCount);

extern const ParamGroup paramGroups[ParamGroupCount];

// The live table, read by the evaluation; tuning tools may rewrite it before
// initEvalTables builds the piece-square table from it.
extern int32_t evalParams[ParamCount];

inline int32_t param(int group, int index) { return evalParams[groupStart(group) + index]; }
inline const int32_t* paramGroup(int group) { return evalParams + groupStart(group); }

// Restores the compiled-in defaults.
void resetEvalParams();

}  // namespace tarn
