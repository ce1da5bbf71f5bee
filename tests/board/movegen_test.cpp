// Generators, legality and attack queries against the brute-force oracle, over the
// positions of many random games and the perft reference positions.
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

std::vector<Move> sorted(const MoveList& list) {
  std::vector<Move> moves(list.begin(), list.end());
  std::sort(moves.begin(), moves.end());
  return moves;
}

bool hasDuplicates(std::vector<Move> moves) {
  std::sort(moves.begin(), moves.end());
  return std::adjacent_find(moves.begin(), moves.end()) != moves.end();
}

bool isCaptureMove(const Position& p, Move m) {
  if (isCastling(p, m)) return false;
  return p.board[toSquare(m)] != Empty || (typeOf(p.board[fromSquare(m)]) == Pawn && toSquare(m) == p.epSquare);
}

bool isPromotionMove(const Position& p, Move m) {
  return typeOf(p.board[fromSquare(m)]) == Pawn && (bit(toSquare(m)) & PromotionRanks);
}

bool isEnPassantMove(const Position& p, Move m) {
  return typeOf(p.board[fromSquare(m)]) == Pawn && toSquare(m) == p.epSquare;
}

// Pieces of the mover checking the enemy king after the move, by brute force.
Bitboard bruteCheckersAfter(const Position& p, Move m) {
  const Mailbox after = bruteMake(mailboxOf(p), m, p.epSquare);
  const Color us = p.sideToMove;
  return bruteAttackers(after, bruteKingSquare(after, ~us), us);
}

// The reference positions and a share of the random-game positions.
const std::vector<Board>& testPositions() {
  static const std::vector<Board> positions = [] {
    std::vector<Board> result;
    for (const char* file : {"perft.epd", "perft960.epd"})
      for (const PerftLine& line : readPerftFile(file)) result.push_back(boardFromFen(line.fen));
    for (const Board& b : randomPositions()) result.push_back(b);
    return result;
  }();
  return positions;
}

TEST(MoveGeneration, LegalMovesEqualTheOracle) {
  int inCheck = 0;
  for (const Board& b : testPositions()) {
    MoveList pseudo(PromoteAll);
    generatePseudoLegal(b.pos, pseudo);
    EXPECT_FALSE(hasDuplicates(std::vector<Move>(pseudo.begin(), pseudo.end()))) << b.fen();
    const std::vector<Move> expected = bruteLegalMoves(b.pos);
    MoveList legal(PromoteAll);
    generateLegal(b.pos, legal);
    EXPECT_EQ(sorted(legal), expected) << b.fen();
    if (b.pos.checkers) {
      ++inCheck;
      MoveList evasions(PromoteAll);
      generateEvasions(b.pos, evasions);
      std::vector<Move> kept;
      for (Move m : evasions)
        if (!isIllegal(b.pos, m)) kept.push_back(m);
      std::sort(kept.begin(), kept.end());
      EXPECT_EQ(kept, expected) << "evasions in " << b.fen();
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(inCheck, 300);
}

TEST(MoveGeneration, PromotionModes) {
  const Board b = boardFromFen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  struct Case {
    PromotionMode mode;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {PromoteQueenKnight, {PromoQueen, PromoKnight}},
      {PromoteQueenOnly, {PromoQueen}},
      {PromoteAll, {PromoQueen, PromoKnight, PromoBishop, PromoRook}},
  };
  for (const Case& c : cases) {
    MoveList list(c.mode);
    generateMoves(b.pos, list, bit(B7), ~b.pos.colourBB[White]);
    std::vector<int> codes;
    for (Move m : list)
      if (fromSquare(m) == B7) {
        EXPECT_EQ(toSquare(m), B8);
        codes.push_back(promotionCode(m));
      }
    EXPECT_EQ(codes, c.codes) << "mode " << c.mode;
  }
}

TEST(MoveGeneration, EvasionCases) {
  struct Case {
    const char* fen;
    std::vector<const char*> moves;  // every legal move, coordinates, any order
  };
  const Case cases[] = {
      // Double check: only the king moves.
      {"4r1k1/8/8/8/8/R4n2/8/4K3 w - - 0 1", {"e1d1", "e1f1", "e1f2"}},
      // The square behind the king on the checking rank counts as attacked.
      {"8/8/8/8/8/8/1k6/r3K3 w - - 0 1", {"e1d2", "e1e2", "e1f2"}},
      // A checker on the last rank taken by a pawn gives promotions (mode 0: queen, knight).
      {"3rk3/4P3/8/8/8/8/8/3K4 w - - 0 1", {"e7d8q", "e7d8n", "d1c1", "d1c2", "d1e1", "d1e2"}},
      // En passant removing the checking pawn.
      {"8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1", {"e4d3", "c5c4", "c5b4", "c5b5", "c5b6", "c5c6", "c5d6", "c5d4", "c5d5"}},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    ASSERT_TRUE(b.pos.checkers) << c.fen;
    MoveList list;
    generateEvasions(b.pos, list);
    std::vector<std::string> texts, expected(c.moves.begin(), c.moves.end());
    for (Move m : list)
      if (!isIllegal(b.pos, m)) texts.push_back(moveToCoordinateText(b.pos, m));
    std::sort(texts.begin(), texts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected) << c.fen;
  }
}

TEST(MoveGeneration, CastlingNotAcrossSquaresTheEnemyKingAttacks) {
  // Chess960: king b1 with its h-side rook on h1, Black's king on d2 watching c1 and e1.
  const Board b = boardFromFen("8/8/8/8/8/8/3k4/1K5R w H - 0 1");
  ASSERT_EQ(b.pos.castlingRights, WhiteHSide);
  MoveList list;
  generateCastling(b.pos, list);
  EXPECT_EQ(list.size(), 0);
  const Board away = boardFromFen("8/8/8/8/8/3k4/8/1K5R w H - 0 1");
  MoveList allowed;
  generateCastling(away.pos, allowed);
  ASSERT_EQ(allowed.size(), 1);
  EXPECT_EQ(allowed[0], makeMove(B1, H1));
}

TEST(MoveGeneration, GivesCheckEqualsTheCheckersAfterTheMove) {
  int checks = 0;
  for (const Board& b : testPositions()) {
    CheckInfo ci;
    buildCheckInfo(b.pos, ci);
    for (Move m : bruteLegalMoves(b.pos)) {
      const Bitboard expected = bruteCheckersAfter(b.pos, m);
      EXPECT_EQ(givesCheck(b.pos, m, ci), expected) << moveToCoordinateText(b.pos, m) << " in " << b.fen();
      checks += expected != 0;
    }
    if (HasFailure()) return;
  }
  EXPECT_GT(checks, 5000);
}

TEST(MoveGeneration, CheckmateMeansInCheckWithoutMoves) {
  int mates = 0;
  auto verify = [&](const Position& p) {
    const bool mate = p.checkers && bruteLegalMoves(p).empty();
    EXPECT_EQ(isCheckmate(p), mate) << toFen(p);
    mates += mate;
  };
  for (const Board& b : testPositions()) verify(b.pos);
  // Every checking and mating move of the SAN reference.
  for (const SanLine& line : readSanFile("san.txt")) {
    if (line.san.back() != '+' && line.san.back() != '#') continue;
    const Board b = boardFromFen(line.fen);
    for (Move m : legalMoves(b.pos))
      if (moveToCoordinateText(b.pos, m) == line.uci) {
        const Position after = afterMove(b.pos, m);
        EXPECT_EQ(isCheckmate(after), line.san.back() == '#') << line.fen << " " << line.uci;
        verify(after);
      }
    if (HasFailure()) return;
  }
  EXPECT_GT(mates, 200);
}

TEST(MoveGeneration, AttackQueriesEqualTheOracle) {
  std::mt19937_64 rng(5);
  for (const Board& b : testPositions()) {
    const Mailbox board = mailboxOf(b.pos);
    const Bitboard filter = rng() | rng();  // about three quarters of the squares
    Mailbox filtered = board;
    for (int s = 0; s < 64; ++s)
      if (!(filter & bit(s))) filtered[size_t(s)] = Empty;
    for (Color c : {White, Black}) {
      Mailbox withoutKing = board;
      for (PieceCode& p : withoutKing)
        if (p == makePiece(~c, King)) p = Empty;
      Bitboard attacked = 0;
      for (int s = 0; s < 64; ++s) {
        EXPECT_EQ(attackersOf(b.pos, s, c), bruteAttackers(board, s, c)) << b.fen() << " square " << s;
        EXPECT_EQ(attackersOf(b.pos, s, c, filter), bruteAttackers(filtered, s, c)) << b.fen() << " square " << s;
        if (bruteAttackers(withoutKing, s, c)) attacked |= bit(s);
      }
      EXPECT_EQ(attackedSquares(b.pos, c), attacked) << b.fen() << " colour " << c;
    }
    if (HasFailure()) return;
  }
}

// ---- isPseudoLegal ------------------------------------------------------------------

// Every possible move word (bits 14 and 15 clear) against the oracle: with the
// evasion flag exactly the legal moves pass; without it exactly what the
// generators produce. Castling words are checked on their own below.
TEST(PseudoLegality, EveryMoveWord) {
  int index = 0;
  Findings findings;
  for (const Board& b : testPositions()) {
    if (index++ % 4) continue;
    const std::vector<Move> legal = bruteLegalMoves(b.pos);
    MoveList generated(PromoteAll);
    generateMoves(b.pos, generated);
    const std::vector<Move> pseudo = sorted(generated);
    for (int word = 0; word < 0x4000; ++word) {
      const Move m = Move(word);
      if (isCastling(b.pos, m)) continue;
      auto what = [&] { return moveToCoordinate(m, b.pos, true) + " in " + b.fen(); };
      if (isPseudoLegal(b.pos, m, true, AnyKind) != std::binary_search(legal.begin(), legal.end(), m))
        findings.add("with evasion flag: " + what());
      if (isPseudoLegal(b.pos, m, false, AnyKind) != std::binary_search(pseudo.begin(), pseudo.end(), m))
        findings.add("without evasion flag: " + what());
    }
    for (Move marked : {Move(0x8001), Move(0x8002), Move(0x8003)})
      if (isPseudoLegal(b.pos, marked, true, AnyKind)) findings.add("a marker passes in " + b.fen());
    for (Move m : legal)
      if (isPseudoLegal(b.pos, Move(m | 0x4000), true, AnyKind) || isPseudoLegal(b.pos, Move(m | 0x8000), true, AnyKind))
        findings.add("high bits ignored: " + moveToCoordinate(m, b.pos, true) + " in " + b.fen());
  }
  EXPECT_TRUE(findings.none());
}

// A castling word passes with the evasion flag exactly when the castling is legal,
// and without it exactly when the castling generator produces it.
TEST(PseudoLegality, CastlingWords) {
  Findings findings;
  int castlings = 0;
  for (const Board& b : testPositions()) {
    const int king = b.pos.kingSquare[b.pos.sideToMove];
    const std::vector<Move> legal = bruteLegalMoves(b.pos);
    MoveList generated;
    if (!b.pos.checkers) generateCastling(b.pos, generated);
    for (Bitboard rooks = b.pos.pieces(b.pos.sideToMove, Rook); rooks;) {
      const Move m = makeMove(king, popLowest(rooks));
      const bool isLegal = std::binary_search(legal.begin(), legal.end(), m);
      castlings += isLegal;
      const std::string what = moveToCoordinate(m, b.pos, true) + " in " + b.fen();
      if (isPseudoLegal(b.pos, m, true, AnyKind) != isLegal) findings.add("with evasion flag: " + what);
      if (isPseudoLegal(b.pos, m, false, AnyKind) != generated.contains(m)) findings.add("without evasion flag: " + what);
    }
  }
  EXPECT_GT(castlings, 100);
  EXPECT_TRUE(findings.none());
}

// Kind 0 takes the quiet moves (castling included, promotions never), kind 1 the
// captures, en passant included. The search treats a move onto an empty square as
// quiet, so kind 0 is not asked about en passant. In check the evasion flag leaves
// the judgement to the evasion generator, so only positions without check count.
TEST(PseudoLegality, KindsSplitQuietMovesAndCaptures) {
  Findings findings;
  for (const Board& b : testPositions()) {
    if (b.pos.checkers) continue;
    for (Move m : bruteLegalMoves(b.pos)) {
      const bool capture = isCaptureMove(b.pos, m);
      const bool promotion = isPromotionMove(b.pos, m);
      const std::string what = moveToCoordinate(m, b.pos, true) + " in " + b.fen();
      if (isPseudoLegal(b.pos, m, true, CapturesOnly) != capture) findings.add("kind 1: " + what);
      if (!isEnPassantMove(b.pos, m) && isPseudoLegal(b.pos, m, true, QuietOnly) != (!capture && !promotion))
        findings.add("kind 0: " + what);
    }
  }
  EXPECT_TRUE(findings.none());
}

// Castling is tested for the king's destination like any other king move.
TEST(PseudoLegality, CastlingIntoAttackIsNotLegal) {
  const Board b = boardFromFen("4k1r1/8/8/8/8/8/8/4K2R w K - 0 1");
  const Move castling = makeMove(E1, H1);
  MoveList generated;
  generateCastling(b.pos, generated);
  ASSERT_TRUE(generated.contains(castling));  // the generator leaves the destination to the legality test
  EXPECT_TRUE(isIllegal(b.pos, castling));
  EXPECT_TRUE(isPseudoLegal(b.pos, castling, false, AnyKind));
  EXPECT_FALSE(isPseudoLegal(b.pos, castling, true, AnyKind));
  EXPECT_FALSE(isPseudoLegal(b.pos, castling, true, QuietOnly));
}

// ---- generateChecks -------------------------------------------------------------------
//
// What the check generator promises, for a side not in check:
//  - no move twice, every move one the main generator produces, onto the target,
//    and every move gives check (lines the mover keeps blocking are left out);
//  - every legal move onto the target that gives check is there, except castling,
//    en passant, and double pawn pushes whose check is only uncovered;
//  - with the flag off no promotions are promised; with it on, in promotion mode 1,
//    queen promotions are (and captures).

bool promisedCheck(const Position& p, Move m, Bitboard target, bool withCaptures) {
  if (!(bit(toSquare(m)) & target) || isCastling(p, m) || isEnPassantMove(p, m)) return false;
  const Bitboard checkers = bruteCheckersAfter(p, m);
  if (!checkers) return false;
  if (isPromotionMove(p, m)) return withCaptures && promotionCode(m) == PromoQueen;
  const bool doublePush = typeOf(p.board[fromSquare(m)]) == Pawn && (fromSquare(m) ^ toSquare(m)) == 16;
  if (doublePush && !(checkers & bit(toSquare(m)))) return false;
  return true;
}

void checkGeneration(const Position& p, Bitboard target, bool withCaptures, Findings& findings) {
  MoveList list(withCaptures ? PromoteQueenOnly : PromoteQueenKnight);
  CheckInfo ci;
  buildCheckInfo(p, ci);
  generateChecks(p, list, target, ci, withCaptures);
  const std::vector<Move> emitted(list.begin(), list.end());
  if (hasDuplicates(emitted)) findings.add("a move twice in " + toFen(p));

  MoveList all(PromoteAll);
  generateMoves(p, all);
  for (Move m : emitted) {
    const std::string what = moveToCoordinate(m, p, true) + " in " + toFen(p);
    if (!all.contains(m)) findings.add("not pseudo-legal: " + what);
    if (!(bit(toSquare(m)) & target)) findings.add("off target: " + what);
    if (!bruteCheckersAfter(p, m)) findings.add("gives no check: " + what);
  }
  for (Move m : bruteLegalMoves(p))
    if (promisedCheck(p, m, target, withCaptures) && std::find(emitted.begin(), emitted.end(), m) == emitted.end())
      findings.add("misses " + moveToCoordinate(m, p, true) + " in " + toFen(p));
}

TEST(CheckGeneration, QuietChecks) {
  int positions = 0;
  Findings findings;
  for (const Board& b : testPositions()) {
    if (b.pos.checkers) continue;
    checkGeneration(b.pos, ~b.pos.occupied, false, findings);
    ++positions;
  }
  EXPECT_GT(positions, 1000);
  EXPECT_TRUE(findings.none());
}

TEST(CheckGeneration, ChecksWithCapturesAndQueenPromotions) {
  Findings findings;
  for (const Board& b : testPositions())
    if (!b.pos.checkers) checkGeneration(b.pos, ~b.pos.colourBB[b.pos.sideToMove], true, findings);
  EXPECT_TRUE(findings.none());
}

TEST(CheckGeneration, TargetedCases) {
  struct Case {
    const char* fen;
    bool withCaptures;
  };
  const Case cases[] = {
      // Discovered checks by pawn pushes, a knight and the king.
      {"7k/8/8/8/8/2P5/1B6/K7 w - - 0 1", false},
      {"7k/8/8/8/3N4/8/1B6/K7 w - - 0 1", false},
      {"7k/8/8/8/8/8/1K6/B7 w - - 0 1", false},
      // Pawn captures and a promotion capture that check.
      {"4k3/3r1q2/4P3/8/8/8/8/4K3 w - - 0 1", true},
      {"1n1q4/2P5/8/8/8/3k4/8/4K3 w - - 0 1", true},
      // A queen promotion uncovering a rook: the same move must not come twice.
      {"8/3kP2R/8/8/8/8/8/K7 w - - 0 1", true},
      // Queen promotions checking along the line through the square the pawn leaves.
      {"8/6P1/8/8/8/8/6k1/K7 w - - 0 1", true},
      {"5r2/6P1/7k/8/8/8/8/K7 w - - 0 1", true},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    const Bitboard target = c.withCaptures ? ~b.pos.colourBB[b.pos.sideToMove] : ~b.pos.occupied;
    Findings findings;
    checkGeneration(b.pos, target, c.withCaptures, findings);
    EXPECT_TRUE(findings.none()) << (c.withCaptures ? "with captures" : "quiet");
  }
}

}  // namespace
}  // namespace tarn::test
