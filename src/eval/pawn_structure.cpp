#include "eval/pawn_structure.h"

#include <cstring>

#include "board/attacks.h"
#include "eval/eval_params.h"
#include "eval/eval_tables.h"

namespace tarn {

namespace {

template <Color Us>
PackedScore evaluatePawns(const Position& pos, PawnEntry& e) {
  constexpr Color Them = ~Us;
  constexpr int Up = Us == White ? -8 : 8;
  const Bitboard ours = pos.pieces(Us, Pawn), theirs = pos.pieces(Them, Pawn);
  const int32_t* p = paramGroup(PawnVG);
  const EvalMasks& m = evalMasks;

  e.attacks[Us] = pawnAttackSet<Us>(ours);
  e.passed[Us] = 0;
  e.attackSpan[Us] = 0;
  PackedScore score = 0;

  for (Bitboard b = ours; b;) {
    const int s = popLowest(b);
    const int file = fileOf(s);
    const int rank = relativeRank(Us, s);
    const int stop = s + Up;
    e.attackSpan[Us] |= m.attackSpan[Us][s];

    // Material and square, as the piece-square table has them (own point of view).
    score += Us == White ? pieceSquareTable[WPawn][s] : -pieceSquareTable[BPawn][s];

    const Bitboard neighbours = ours & m.adjacentFiles[file];
    const Bitboard supported = neighbours & pawnAttackers(Us, s);
    const Bitboard phalanx = neighbours & rankBB(rankOf(s));
    const Bitboard opposed = theirs & m.forwardFile[Us][s];
    const Bitboard stoppers = theirs & m.passedSpan[Us][s];
    const bool doubled = (ours & m.forwardFile[Us][s]) != 0;
    const bool openFile = !opposed;

    if (!neighbours) {
      score += p[PawnP::Isolated];
      if (openFile) score += p[PawnP::WeakOnOpenFile];
    } else if (!supported && !phalanx) {
      // Backward: no own pawn beside or behind on an adjacent file can come to help,
      // and the stop square is held by an enemy pawn.
      const Bitboard helpers = neighbours & ~m.passedSpan[Us][s];
      if (!helpers && (pawnAttackers(Them, stop) & theirs)) {
        score += p[PawnP::Backward];
        if (openFile) score += p[PawnP::WeakOnOpenFile];
      }
    }
    if (doubled) score += p[PawnP::Doubled];
    if ((supported || phalanx) && rank >= 1 && rank <= 6) {
      const PackedScore bonus = p[PawnP::Connected + rank - 1];
      score += phalanx ? scaleScore(bonus, 3, 2) : bonus;
      if (supported && moreThanOne(supported)) score += scaleScore(bonus, 1, 4);
    }
    if (pos.board[stop] != Empty && typeOf(pos.board[stop]) == Pawn && (rank == 4 || rank == 5))
      score += p[PawnP::Blocked];

    if (!stoppers && !doubled) {
      e.passed[Us] |= bit(s);
    } else if (openFile && rank >= 1 && rank <= 6) {
      // Candidate: the file ahead is free of enemy pawns and our helpers outnumber
      // the enemy pawns that guard its path.
      const Bitboard sentries = stoppers & m.attackSpan[Us][s];
      const Bitboard helpers = neighbours & ~m.forwardFile[Us][s] & ~m.passedSpan[Us][s];
      if (popCount(helpers | supported | phalanx) >= popCount(sentries)) score += p[PawnP::Candidate + rank - 1];
    }
  }

  uint8_t files = 0;
  for (Bitboard b = ours; b;) files |= uint8_t(1 << fileOf(popLowest(b)));
  e.halfOpenFiles[Us] = uint8_t(~files);
  e.halfOpenCount[Us] = uint8_t(popCount(uint8_t(~files)));
  return score;
}

}  // namespace

PawnCache::PawnCache() : entries(new PawnEntry[Size]) { clear(); }

void PawnCache::clear() {
  std::memset(static_cast<void*>(entries.get()), 0, sizeof(PawnEntry) * Size);
  for (int i = 0; i < Size; ++i) entries[i].check = 0xFFFFFFFFu;  // no pawn key maps here by accident
}

PawnEntry& PawnCache::probe(const Position& pos) {
  PawnEntry& e = entries[pos.pawnKey & (Size - 1)];
  const uint32_t check = uint32_t(pos.pawnKey >> 32);
  if (e.check == check) return e;
  std::memset(static_cast<void*>(&e), 0, sizeof e);
  e.check = check;
  e.shelterKing[White] = e.shelterKing[Black] = -1;
  e.score[White] = evaluatePawns<White>(pos, e);
  e.score[Black] = evaluatePawns<Black>(pos, e);
  const Bitboard pawns = pos.pieceBB[Pawn];
  e.blocked = (pos.pieces(White, Pawn) & (pawns << 8)) | (pos.pieces(Black, Pawn) & (pawns >> 8));
  return e;
}

}  // namespace tarn
