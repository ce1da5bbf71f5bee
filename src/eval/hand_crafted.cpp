#include "eval/hand_crafted.h"

#include <algorithm>

#include "board/attacks.h"
#include "eval/eval_params.h"
#include "eval/eval_tables.h"
#include "eval/material_info.h"

namespace tarn {

namespace {

constexpr Bitboard CentreSquares = bit(D4) | bit(E4) | bit(D5) | bit(E5);

// Relative ranks 4 to 6, where a minor piece out of reach of enemy pawns is an outpost.
template <Color Us>
constexpr Bitboard OutpostRanks = Us == White ? rankBB(3) | rankBB(4) | rankBB(5) : rankBB(2) | rankBB(3) | rankBB(4);

template <Color Us>
void initAttacks(const Position& pos, const PawnEntry& pawns, AttackInfo& own) {
  const int king = pos.kingSquare[Us];
  own = AttackInfo{};
  own.by[Pawn] = pawns.attacks[Us];
  own.by[King] = kingAttacks(king);
  own.all = own.by[Pawn] | own.by[King];
  own.twice = own.by[Pawn] & own.by[King];
  const Bitboard pawnsOurs = pos.pieces(Us, Pawn);
  if constexpr (Us == White)
    own.twice |= ((pawnsOurs & ~FileABB) >> 9) & ((pawnsOurs & ~FileHBB) >> 7);
  else
    own.twice |= ((pawnsOurs & ~FileHBB) << 9) & ((pawnsOurs & ~FileABB) << 7);
  // The zone around our king: its squares and one rank further towards the enemy.
  const Bitboard around = kingAttacks(king) | bit(king);
  own.kingZone = around | (Us == White ? around >> 8 : around << 8);
}

template <Color Us>
void pieceAttacks(const Position& pos, const PawnEntry& pawns, AttackInfo& own, AttackInfo& enemy) {
  constexpr Color Them = ~Us;
  const int ourKing = pos.kingSquare[Us], theirKing = pos.kingSquare[Them];
  const Bitboard lowPawns = pos.pieces(Us, Pawn) & (Us == White ? rankBB(1) | rankBB(2) : rankBB(6) | rankBB(5));
  const Bitboard mobilityArea =
      ~(pawns.attacks[Them] | bit(ourKing) | (pos.pieces(Us, Pawn) & pawns.blocked) | lowPawns);
  const Bitboard pinned = pos.blockers[Us] & pos.colourBB[Us];

  static constexpr int MobilityGroup[5] = {0, KnightVG, BishopVG, RookVG, QueenVG};
  static constexpr int MobilityRun[5] = {0, 9, 14, 15, 29};
  for (int type = Knight; type <= Queen; ++type) {
    const int32_t* group = paramGroup(MobilityGroup[type]);
    for (Bitboard b = pos.pieces(Us, type); b;) {
      const int s = popLowest(b);
      Bitboard a;
      if (type == Bishop)
        a = bishopAttacks(s, pos.occupied ^ pos.pieces(Us, Queen));
      else if (type == Rook)
        a = rookAttacks(s, pos.occupied ^ pos.pieces(Us, Rook, Queen));
      else
        a = attacksOf(type, s, pos.occupied);
      if (pinned & bit(s)) a &= lineThrough(ourKing, s);

      own.twice |= own.all & a;
      own.all |= a;
      own.by[type] |= a;
      if (a & enemy.kingZone) {
        ++enemy.kingAttackersCount;
        enemy.kingAttackersWeight += mgOf(param(KingVG, KingP::AttackerWeight + type - Knight));
        enemy.kingAdjacentAttacks += popCount(a & kingAttacks(theirKing));
      }
      const int count = std::min(popCount(a & mobilityArea), MobilityRun[type] - 1);
      own.mobility += group[1 + count];
    }
  }
}

template <Color Us>
PackedScore piecesTerm(const Position& pos, const PawnEntry& pawns, const AttackInfo (&ai)[2]) {
  constexpr Color Them = ~Us;
  constexpr int Up = Us == White ? -8 : 8;
  const int ourKing = pos.kingSquare[Us];
  const Bitboard ourPawns = pos.pieces(Us, Pawn);
  PackedScore score = ai[Us].mobility;

  // Minor pieces.
  const Bitboard outposts = OutpostRanks<Us> & ~pawns.attackSpan[Them];
  for (int type : {Knight, Bishop}) {
    const int group = type == Knight ? KnightVG : BishopVG;
    const int outpostIndex = type == Knight ? int(KnightP::Outpost) : int(BishopP::Outpost);
    const int behindIndex = type == Knight ? int(KnightP::BehindPawn) : int(BishopP::BehindPawn);
    const int protectorIndex = type == Knight ? int(KnightP::KingProtector) : int(BishopP::KingProtector);
    for (Bitboard b = pos.pieces(Us, type); b;) {
      const int s = popLowest(b);
      if (outposts & bit(s))
        score += (ai[Us].by[Pawn] & bit(s)) ? param(group, outpostIndex) : scaleScore(param(group, outpostIndex), 1, 2);
      else if (type == Knight && (knightAttacks(s) & outposts & ai[Us].by[Pawn] & ~pos.colourBB[Us]))
        score += param(KnightVG, KnightP::OutpostReachable);
      if (relativeRank(Us, s) < 7 && (pos.pieceBB[Pawn] & bit(s + Up))) score += param(group, behindIndex);
      score += param(group, protectorIndex) * std::max(0, distance(s, ourKing) - 3);

      if (type == Bishop) {
        const Bitboard sameColour = (bit(s) & DarkSquares) ? DarkSquares : LightSquares;
        score += param(BishopVG, BishopP::PawnsOnColour) * popCount(ourPawns & sameColour);
        if (moreThanOne(bishopAttacks(s, pos.pieceBB[Pawn]) & CentreSquares)) score += param(BishopVG, BishopP::LongDiagonal);
        // A bishop on a7 or h7 (from our side) shut in by a pawn on b6 or g6.
        const int rel = relativeSquare(Us, s);
        if ((rel == A7 || rel == H7) && pos.board[relativeSquare(Us, rel == A7 ? B6 : G6)] == makePiece(Them, Pawn))
          score += param(BishopVG, BishopP::TrappedCorner);
      }
    }
  }

  // Rooks.
  for (Bitboard b = pos.pieces(Us, Rook); b;) {
    const int s = popLowest(b);
    const Bitboard file = fileBB(fileOf(s));
    if (!(pos.pieceBB[Pawn] & file))
      score += param(RookVG, RookP::OpenFile);
    else if (!(ourPawns & file))
      score += param(RookVG, RookP::SemiOpenFile);
    if (relativeRank(Us, s) == 6 &&
        (relativeRank(Us, pos.kingSquare[Them]) == 7 || (pos.pieces(Them, Pawn) & rankBB(rankOf(s)))))
      score += param(RookVG, RookP::SeventhRank);
    if (pos.pieces(Them, Queen) & file) score += param(RookVG, RookP::QueenFile);
    // A rook hemmed in on the king's wing by a king that has not castled.
    const int kingFile = fileOf(ourKing);
    if (relativeRank(Us, ourKing) == 0 && relativeRank(Us, s) == 0 &&
        popCount(rookAttacks(s, pos.occupied) & ~pos.colourBB[Us]) <= 3 &&
        ((kingFile >= 4 && fileOf(s) > kingFile) || (kingFile <= 3 && fileOf(s) < kingFile))) {
      const bool canCastle = pos.castlingRights & (Us == White ? 3 : 12);
      score += canCastle ? param(RookVG, RookP::TrappedByKing) : param(RookVG, RookP::TrappedByKing) * 2;
    }
  }

  // Queens attacked by a lesser piece.
  for (Bitboard b = pos.pieces(Us, Queen); b;) {
    const int s = popLowest(b);
    if ((ai[Them].by[Pawn] | ai[Them].by[Knight] | ai[Them].by[Bishop] | ai[Them].by[Rook]) & bit(s))
      score += param(QueenVG, QueenP::Unsafe);
  }

  // Material balance terms.
  const int pawnCountUs = popCount(ourPawns);
  if (moreThanOne(pos.pieces(Us, Bishop))) score += param(MaterialVG, MaterialP::BishopPair);
  score += param(MaterialVG, MaterialP::KnightPawnAdjust) * (pawnCountUs - 5) * popCount(pos.pieces(Us, Knight));
  score += param(MaterialVG, MaterialP::RookPawnAdjust) * (pawnCountUs - 5) * popCount(pos.pieces(Us, Rook));
  if (moreThanOne(pos.pieces(Us, Rook))) score += param(MaterialVG, MaterialP::RedundantRook);
  return score;
}

// Pawn cover minus pawn storm in front of a king standing on `king`.
template <Color Us>
int shelterValue(const Position& pos, int king) {
  constexpr Color Them = ~Us;
  const Bitboard zone = evalMasks.shelterZone[Us][king];
  int value = 0;
  for (Bitboard b = pos.pieces(Us, Pawn) & zone; b;) value += param(PawnCoverSquareG, squareGroupIndex(Us, popLowest(b)));
  for (Bitboard b = pos.pieces(Them, Pawn) & zone; b;) value -= param(PawnStormSquareG, squareGroupIndex(Us, popLowest(b)));
  return value;
}

template <Color Us>
PackedScore kingTerm(const Position& pos, PawnEntry& pawns, const AttackInfo (&ai)[2]) {
  constexpr Color Them = ~Us;
  const int king = pos.kingSquare[Us];
  PackedScore score = 0;

  // Shelter, cached with the pawn structure for this king square; a king that may
  // still castle is credited with the better of its current and castled shelter.
  if (pawns.shelterKing[Us] != king) {
    int shelter = shelterValue<Us>(pos, king);
    if (pos.castlingRights & (Us == White ? WhiteHSide : BlackHSide))
      shelter = std::max(shelter, shelterValue<Us>(pos, relativeSquare(Us, G1)));
    if (pos.castlingRights & (Us == White ? WhiteASide : BlackASide))
      shelter = std::max(shelter, shelterValue<Us>(pos, relativeSquare(Us, C1)));
    pawns.shelterKing[Us] = int8_t(king);
    pawns.shelterValue[Us] = int16_t(shelter);
  }
  score += makeScore(pawns.shelterValue[Us], 0);

  const int centreFile = std::clamp(fileOf(king), 1, 6);
  for (int f = centreFile - 1; f <= centreFile + 1; ++f) {
    const bool ownMissing = pawns.halfOpenFiles[Us] & (1 << f);
    if (ownMissing) score += param(KingVG, KingP::ShelterMissingFile);
    if (ownMissing && (pawns.halfOpenFiles[Them] & (1 << f))) score += param(KingVG, KingP::OpenFileNearKing);
  }

  // Danger from the enemy pieces attacking the zone around the king.
  const AttackInfo& own = ai[Us];
  const AttackInfo& enemy = ai[Them];
  const bool enemyQueen = pos.pieces(Them, Queen) != 0;
  if (own.kingAttackersCount >= 2 || (own.kingAttackersCount >= 1 && enemyQueen)) {
    int danger = own.kingAttackersWeight + own.kingAdjacentAttacks * mgOf(param(KingVG, KingP::AdjacentAttack));
    const Bitboard weak = enemy.all & ~own.twice & (~own.all | own.by[King] | own.by[Queen]);
    danger += popCount(weak & own.kingZone) * mgOf(param(KingVG, KingP::WeakZoneSquare));
    const Bitboard safe = ~pos.colourBB[Them] & (~own.all | (weak & enemy.twice));
    const Bitboard rookLines = rookAttacks(king, pos.occupied), bishopLines = bishopAttacks(king, pos.occupied);
    if (knightAttacks(king) & enemy.by[Knight] & safe) danger += mgOf(param(KingVG, KingP::SafeCheck + 0));
    if (bishopLines & enemy.by[Bishop] & safe) danger += mgOf(param(KingVG, KingP::SafeCheck + 1));
    if (rookLines & enemy.by[Rook] & safe) danger += mgOf(param(KingVG, KingP::SafeCheck + 2));
    if ((rookLines | bishopLines) & enemy.by[Queen] & safe & ~own.by[Queen]) danger += mgOf(param(KingVG, KingP::SafeCheck + 3));
    if (!enemyQueen) danger -= mgOf(param(KingVG, KingP::NoQueenRelief));
    danger -= pawns.shelterValue[Us] / 2;
    if (danger > 0) {
      const int divisor = std::max(1, mgOf(param(KingVG, KingP::DangerDivisor)));
      score -= makeScore(std::min(danger * danger / divisor, 1200), danger / 8);
    }
  }

  // In the ending the king belongs near the pawns.
  if (pos.pieceBB[Pawn]) {
    int nearest = 8;
    for (Bitboard b = pos.pieceBB[Pawn]; b;) nearest = std::min(nearest, distance(king, popLowest(b)));
    score += param(KingVG, KingP::PawnDistance) * (nearest - 1);
  }
  return score;
}

template <Color Us>
PackedScore passedTerm(const Position& pos, const PawnEntry& pawns, const AttackInfo (&ai)[2]) {
  constexpr Color Them = ~Us;
  constexpr int Up = Us == White ? -8 : 8;
  const int32_t* p = paramGroup(PassedVG);
  const bool versusLoneRook = pos.pieces(Them, Rook) && !moreThanOne(pos.pieces(Them, Rook)) && pieceCount(pos, Them) == 1;
  PackedScore score = 0;
  for (Bitboard b = pawns.passed[Us]; b;) {
    const int s = popLowest(b);
    const int r = relativeRank(Us, s);
    const int stop = s + Up;
    score += p[PassedP::Rank + r];
    score += p[PassedP::TheirKingDistance + r] * std::min(distance(stop, pos.kingSquare[Them]), 5);
    score -= p[PassedP::OwnKingDistance + r] * std::min(distance(stop, pos.kingSquare[Us]), 5);
    const Bitboard path = evalMasks.forwardFile[Us][s];
    if (!(path & pos.occupied) && !(path & ai[Them].all & ~ai[Us].all))
      score += p[PassedP::FreePath + r];
    else if (pos.board[stop] != Empty && typeOf(pos.board[stop]) != Pawn)
      score += p[PassedP::BlockedByPiece] * std::max(1, r - 2);
    if (versusLoneRook) score += p[PassedP::VersusRook + r];
  }
  return score;
}

template <Color Us>
PackedScore tacticalTerm(const Position& pos, const AttackInfo (&ai)[2]) {
  constexpr Color Them = ~Us;
  const int32_t* p = paramGroup(TacticalVG);
  const AttackInfo& own = ai[Us];
  const AttackInfo& enemy = ai[Them];
  const Bitboard targets = pos.colourBB[Them] & ~pos.pieces(Them, Pawn) & ~pos.pieces(Them, King);
  PackedScore score = 0;

  // Pawns that are not attacked, or are defended, hitting pieces.
  const Bitboard safePawns = pos.pieces(Us, Pawn) & (~enemy.all | own.all);
  score += p[TacticalP::SafePawnThreat] * popCount(pawnAttackSet<Us>(safePawns) & targets);

  // Pawn pushes to safe squares that would then hit pieces.
  Bitboard pushes = Us == White ? (pos.pieces(Us, Pawn) >> 8) & ~pos.occupied : (pos.pieces(Us, Pawn) << 8) & ~pos.occupied;
  pushes |= (Us == White ? (pushes & rankBB(2)) >> 8 : (pushes & rankBB(5)) << 8) & ~pos.occupied;
  pushes &= ~enemy.by[Pawn] & (own.all | ~enemy.all);
  score += p[TacticalP::PawnPushThreat] * popCount(pawnAttackSet<Us>(pushes) & targets);

  const Bitboard minorAttacks = own.by[Knight] | own.by[Bishop];
  score += p[TacticalP::MinorOnRook] * popCount(minorAttacks & pos.pieces(Them, Rook));
  score += p[TacticalP::MinorOnQueen] * popCount(minorAttacks & pos.pieces(Them, Queen));
  score += p[TacticalP::RookOnQueen] * popCount(own.by[Rook] & pos.pieces(Them, Queen));

  const Bitboard undefended = targets & own.all & ~enemy.all;
  score += p[TacticalP::Hanging] * popCount(undefended);
  score += p[TacticalP::KingThreat] * popCount(undefended & own.by[King]);
  score += p[TacticalP::Overloaded] * popCount(targets & own.twice & ~enemy.twice & enemy.all & ~enemy.by[Pawn]);
  return score;
}

}  // namespace

PackedScore evaluateTerms(const Position& pos, PawnEntry& pawns, AttackInfo (&ai)[2], TermResults& terms) {
  initAttacks<White>(pos, pawns, ai[White]);
  initAttacks<Black>(pos, pawns, ai[Black]);
  pieceAttacks<White>(pos, pawns, ai[White], ai[Black]);
  pieceAttacks<Black>(pos, pawns, ai[Black], ai[White]);

  terms.pieces[White] = piecesTerm<White>(pos, pawns, ai);
  terms.pieces[Black] = piecesTerm<Black>(pos, pawns, ai);
  terms.king[White] = kingTerm<White>(pos, pawns, ai);
  terms.king[Black] = kingTerm<Black>(pos, pawns, ai);
  terms.passed[White] = passedTerm<White>(pos, pawns, ai);
  terms.passed[Black] = passedTerm<Black>(pos, pawns, ai);
  terms.tactical[White] = tacticalTerm<White>(pos, ai);
  terms.tactical[Black] = tacticalTerm<Black>(pos, ai);

  const PackedScore white = terms.pieces[White] + terms.king[White] + terms.passed[White] + terms.tactical[White];
  const PackedScore black = terms.pieces[Black] + terms.king[Black] + terms.passed[Black] + terms.tactical[Black];
  return pos.sideToMove == White ? white - black : black - white;
}

}  // namespace tarn
