#include "eval/eval_tables.h"

#include "board/position.h"
#include "eval/eval_params.h"

namespace tarn {

EvalMasks evalMasks;

void initEvalTables() {
  EvalMasks& m = evalMasks;
  for (int f = 0; f < 8; ++f) m.adjacentFiles[f] = (f > 0 ? fileBB(f - 1) : 0) | (f < 7 ? fileBB(f + 1) : 0);

  for (int s = 0; s < 64; ++s) {
    Bitboard aheadWhite = 0, aheadBlack = 0;  // whole ranks in front of s, from each side
    for (int r = 0; r < rowOf(s); ++r) aheadWhite |= Rank8BB << (8 * r);
    for (int r = rowOf(s) + 1; r < 8; ++r) aheadBlack |= Rank8BB << (8 * r);
    const Bitboard file = fileBB(fileOf(s)), adjacent = m.adjacentFiles[fileOf(s)];
    m.forwardFile[White][s] = aheadWhite & file;
    m.forwardFile[Black][s] = aheadBlack & file;
    m.attackSpan[White][s] = aheadWhite & adjacent;
    m.attackSpan[Black][s] = aheadBlack & adjacent;
    m.passedSpan[White][s] = aheadWhite & (file | adjacent);
    m.passedSpan[Black][s] = aheadBlack & (file | adjacent);
    // Shelter: the king's file and its neighbours (shifted inwards on the edge), from
    // the king's rank up to three ranks in front of it.
    const int centreFile = fileOf(s) == 0 ? 1 : fileOf(s) == 7 ? 6 : fileOf(s);
    const Bitboard files = fileBB(centreFile) | m.adjacentFiles[centreFile];
    Bitboard ranksWhite = 0, ranksBlack = 0;
    for (int r = rowOf(s) - 3; r <= rowOf(s); ++r)
      if (r >= 0) ranksWhite |= Rank8BB << (8 * r);
    for (int r = rowOf(s); r <= rowOf(s) + 3; ++r)
      if (r < 8) ranksBlack |= Rank8BB << (8 * r);
    m.shelterZone[White][s] = files & ranksWhite;
    m.shelterZone[Black][s] = files & ranksBlack;
  }

  // Piece-square table: white entry = base + square group entry, black entry its negation
  // seen from Black's side. Pawns have entries too; the pawn structure term reads them.
  static constexpr int SquareGroupOf[6] = {PawnSquareG, KnightSquareG, BishopSquareG, RookSquareG, QueenSquareG, KingSquareG};
  static constexpr int BaseGroupOf[6] = {PawnVG, KnightVG, BishopVG, RookVG, QueenVG, -1};
  for (int type = Pawn; type <= King; ++type) {
    const int32_t base = BaseGroupOf[type] >= 0 ? param(BaseGroupOf[type], 0) : 0;
    for (int s = 0; s < 64; ++s) {
      pieceSquareTable[makePiece(White, type)][s] = base + param(SquareGroupOf[type], squareGroupIndex(White, s));
      pieceSquareTable[makePiece(Black, type)][s] = -base - param(SquareGroupOf[type], squareGroupIndex(Black, s));
    }
  }
}

}  // namespace tarn
