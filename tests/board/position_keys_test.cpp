// Zobrist keys and the position record: the fixed key values the opening book
// depends on, and the incremental bookkeeping of make-move against a full rebuild.
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

TEST(ZobristKeys, ReproduceTheFixedValues) {
  EXPECT_EQ(zobrist.pieceKey[0][0], 0xA23F7E2075FC0663ULL);
  EXPECT_EQ(zobrist.sideKey, 0x9DC19819A21C11A2ULL);
  const Board start = boardFromFen(StartFen);
  EXPECT_EQ(start.pos.key, 0x0679C3DF28279920ULL);
  EXPECT_EQ(start.pos.pawnKey, 0x1B3DD13CF20BB499ULL);
  EXPECT_EQ(start.pos.castlingRights, AllRights);
}

TEST(ZobristKeys, AreDistinct) {
  std::vector<Key> keys;
  for (int p : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13})
    for (int s = 0; s < 64; ++s) keys.push_back(zobrist.pieceKey[p][s]);
  for (int s = 0; s < 64; ++s) keys.push_back(zobrist.epKey[s]);
  for (int r = 0; r < 16; ++r) keys.push_back(zobrist.castleKey[r]);
  keys.push_back(zobrist.sideKey);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
}

// The key written out term by term from its definition.
Key keyByDefinition(const Position& p) {
  Key k = zobrist.castleKey[p.castlingRights];
  for (int s = 0; s < 64; ++s)
    if (p.board[s] != Empty) k ^= zobrist.pieceKey[p.board[s]][s];
  if (p.epSquare < 64) k ^= zobrist.epKey[p.epSquare];
  if (p.sideToMove == Black) k ^= zobrist.sideKey;
  return k;
}

// Material words, piece-square sum, king squares and checkers rebuilt from the
// board with nothing but the definitions.
void expectDerivedFieldsByDefinition(const Position& p) {
  uint16_t signature[2] = {0, 0};
  int value[2] = {0, 0}, pieceCount[2] = {0, 0};
  int32_t psq = 0;
  Key pawnKey = 0;
  for (int s = 0; s < 64; ++s) {
    const PieceCode piece = p.board[s];
    if (piece == Empty) continue;
    const Color c = colorOf(piece);
    const int type = typeOf(piece);
    if (type != King) {
      signature[c] = uint16_t(signature[c] + SignatureStep[type]);
      value[c] += PieceValue[type] / 2;
      if (type != Pawn) ++pieceCount[c];
    }
    if (type != Pawn) psq += pieceSquareTable[piece][s];
    if (type == Pawn) pawnKey ^= zobrist.pieceKey[piece][s];
  }
  const Mailbox board = mailboxOf(p);
  for (Color c : {White, Black}) {
    EXPECT_EQ(p.material[c].signature, signature[c]) << toFen(p);
    EXPECT_EQ(p.material[c].weight, ((pieceCount[c] % 16) << 12) | (value[c] % 4096)) << toFen(p);
    EXPECT_EQ(p.kingSquare[c], bruteKingSquare(board, c)) << toFen(p);
  }
  EXPECT_EQ(p.psqScore, psq) << toFen(p);
  EXPECT_EQ(p.key, keyByDefinition(p)) << toFen(p);
  EXPECT_EQ(p.pawnKey, pawnKey) << toFen(p);
  const Color us = p.sideToMove;
  const Bitboard checkers = bruteAttackers(board, p.kingSquare[us], ~us) & ~p.pieces(~us, King);
  EXPECT_EQ(p.checkers, checkers) << toFen(p);

  // A blocker is the only piece between a king and an enemy slider aiming along
  // that line; the slider pins it when it belongs to the king's side.
  for (Color c : {White, Black}) {
    const Color them = ~c;
    Bitboard blockers = 0, pinners = 0;
    if (p.material[them].weight >= WeightPieceUnit) {
      const int k = p.kingSquare[c];
      for (const auto* steps : {&StraightSteps, &DiagonalSteps})
        for (const auto& d : *steps) {
          int seen = 0, first = -1;
          for (int f = fileOf(k) + d[0], r = rowOf(k) + d[1]; onBoard(f, r); f += d[0], r += d[1]) {
            const int s = makeSquare(f, r);
            const PieceCode piece = board[s];
            if (piece == Empty) continue;
            if (seen == 1) {
              const int sliderType = steps == &StraightSteps ? Rook : Bishop;
              if (piece == makePiece(them, sliderType) || piece == makePiece(them, Queen)) {
                blockers |= bit(first);
                if (colorOf(board[first]) == c) pinners |= bit(s);
              }
              break;
            }
            ++seen;
            first = s;
          }
        }
    }
    EXPECT_EQ(p.blockers[c], blockers) << "king of colour " << c << " in " << toFen(p);
    EXPECT_EQ(p.pinners[them], pinners) << "sliders of colour " << them << " in " << toFen(p);
  }
}

TEST(PositionRecord, DerivedFieldsMatchTheirDefinitions) {
  for (const Board& b : randomPositions()) {
    expectDerivedFieldsByDefinition(b.pos);
    if (HasFailure()) return;
  }
}

// After every move of many random games (standard and Chess960, with castling, en
// passant and promotions favoured) the incrementally kept fields equal a rebuild,
// the checkers equal what givesCheck predicted, and the FEN of the result reads
// back to the same key.
TEST(MakeMove, IncrementalFieldsEqualARebuild) {
  std::mt19937_64 rng(11);
  int moves = 0, castlings = 0, enPassants = 0, promotionCaptures = 0;
  std::vector<Board> starts;
  for (const std::string& fen : randomGameStarts()) starts.push_back(boardFromFen(fen));
  for (int n = 0; n < 960; n += 37) starts.push_back(chess960Board(n));
  for (int round = 0; round < 20 && !HasFailure(); ++round)
    for (const Board& start : starts) {
      const bool chess960 = start.pos.setup->rookSquare[0] != H1 || start.pos.setup->rookSquare[1] != A1 ||
                            start.pos.setup->rookSquare[2] != H8 || start.pos.setup->rookSquare[3] != A8;
      const Chess960Scope notation(chess960);
      const CastlingSetup setupBefore = *start.setup;
      playRandomGame(start, 150, rng, [&](const Position& before, Move m) {
        if (HasFailure()) return;
        ++moves;
        const PieceCode piece = before.board[fromSquare(m)];
        if (isCastling(before, m)) ++castlings;
        if (typeOf(piece) == Pawn && toSquare(m) == before.epSquare) ++enPassants;
        if (typeOf(piece) == Pawn && (bit(toSquare(m)) & PromotionRanks) && before.board[toSquare(m)] != Empty)
          ++promotionCaptures;

        CheckInfo ci;
        buildCheckInfo(before, ci);
        const Bitboard predicted = givesCheck(before, m, ci);
        Position after = before;
        const Bitboard returned = makeMove(after, m, predicted);
        EXPECT_EQ(returned, after.checkers);
        EXPECT_TRUE(consistent(after)) << "after " << moveToCoordinateText(before, m) << " from " << toFen(before);
        EXPECT_EQ(after.ply, before.ply + 1);
        const bool capture = before.board[toSquare(m)] != Empty && !isCastling(before, m);
        EXPECT_EQ(after.fiftyCounter, typeOf(piece) == Pawn || capture ? 0 : before.fiftyCounter + 1);

        Board reread = boardFromFen(toFen(after));
        EXPECT_EQ(reread.pos.key, after.key) << toFen(after);
        EXPECT_EQ(reread.pos.epSquare, after.epSquare) << toFen(after);
        for (int k = 0; k < 4; ++k)
          if (after.castlingRights & (1 << k)) {
            EXPECT_EQ(reread.setup->rookSquare[k], after.setup->rookSquare[k]);
          }
      });
      EXPECT_EQ(std::memcmp(&setupBefore, start.setup.get(), sizeof setupBefore), 0) << "moves rewrote the castling record";
    }
  // The games must really have met the special moves.
  EXPECT_GT(moves, 20000);
  EXPECT_GT(castlings, 100);
  EXPECT_GT(enPassants, 100);
  EXPECT_GT(promotionCaptures, 50);
}

TEST(MakeMove, NullMoveFlipsSideAndClearsEnPassant) {
  Board b = boardFromFen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
  ASSERT_EQ(b.pos.epSquare, F6);
  Position p = b.pos;
  makeNullMove(p);
  EXPECT_EQ(p.sideToMove, Black);
  EXPECT_EQ(p.epSquare, NoSquare);
  EXPECT_EQ(p.ply, b.pos.ply + 1);
  EXPECT_EQ(p.fiftyCounter, b.pos.fiftyCounter);
  EXPECT_EQ(p.key, keyByDefinition(p));
}

}  // namespace
}  // namespace tarn::test
