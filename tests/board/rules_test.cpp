// Make-move special cases and the draw rules.
#include "board/draw_rules.h"
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

// Plays coordinate moves (Chess960 notation for castling: king onto rook).
Position playCoordinates(Position p, std::initializer_list<const char*> moves) {
  for (const char* text : moves) {
    bool found = false;
    for (Move m : legalMoves(p))
      if (moveToCoordinate(m, p, true) == text) {
        makeMoveChecked(p, m);
        found = true;
        break;
      }
    EXPECT_TRUE(found) << text << " in " << toFen(p);
  }
  return p;
}

TEST(MakeMoveRules, EnPassantSquareOnlyWhenCapturable) {
  const Board start = boardFromFen(StartFen);
  const Position e4 = playCoordinates(start.pos, {"e2e4"});
  EXPECT_EQ(e4.epSquare, NoSquare);
  EXPECT_EQ(e4.key, computeHashKey(e4, Black, NoSquare, AllRights));
  const Position f5 = playCoordinates(start.pos, {"e2e4", "d7d5", "e4e5", "f7f5"});
  EXPECT_EQ(f5.epSquare, F6);
  EXPECT_EQ(f5.key, computeHashKey(f5, White, F6, AllRights));
  // The square goes with the next move, taken or not.
  const Position after = playCoordinates(f5, {"g1f3"});
  EXPECT_EQ(after.epSquare, NoSquare);
  EXPECT_TRUE(consistent(after));
  const Position taken = playCoordinates(f5, {"e5f6"});
  EXPECT_EQ(taken.board[F5], Empty);
  EXPECT_EQ(taken.board[F6], WPawn);
  EXPECT_EQ(taken.material[Black].signature, f5.material[Black].signature - 1);
  EXPECT_EQ(taken.material[Black].weight, f5.material[Black].weight - PieceValue[Pawn] / 2);
  EXPECT_TRUE(consistent(taken));
}

TEST(MakeMoveRules, RookCapturedOnItsCastlingSquare) {
  struct Case {
    const char* fen;
    const char* move;
    int rightsAfter;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/6B1/R3K2R w KQkq - 0 1", "g2a8", WhiteHSide | WhiteASide | BlackHSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h8", WhiteASide | BlackASide},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8a1", WhiteHSide | BlackHSide},
      // Chess960 rooks on b and g: the g-rook takes its counterpart, both g rights go.
      {"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w GBgb - 0 1", "g1g8", WhiteASide | BlackASide},
      // Moving a castling rook loses its right; moving the king loses both.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1b1", WhiteHSide | BlackHSide | BlackASide},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1d1", BlackHSide | BlackASide},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    const Position after = playCoordinates(b.pos, {c.move});
    EXPECT_EQ(after.castlingRights, c.rightsAfter) << c.fen << " " << c.move;
    EXPECT_EQ(after.key, computeHashKey(after, after.sideToMove, after.epSquare, c.rightsAfter)) << c.fen;
    EXPECT_TRUE(consistent(after)) << c.fen << " " << c.move;
  }
}

TEST(MakeMoveRules, Chess960Castling) {
  struct Case {
    const char* fen;
    const char* move;   // king onto rook
    const char* after;  // board field afterwards
  };
  const Case cases[] = {
      // King already on its destination: only the rook moves.
      {"4k3/8/8/8/8/8/8/4N1KR w H - 0 1", "g1h1", "4k3/8/8/8/8/8/8/4NRK1"},
      {"4k3/8/8/8/8/8/8/1RK5 w B - 0 1", "c1b1", "4k3/8/8/8/8/8/8/2KR4"},
      // The king's destination is the rook's square: they swap.
      {"4k3/8/8/8/8/8/8/5KR1 w G - 0 1", "f1g1", "4k3/8/8/8/8/8/8/5RK1"},
      {"4k3/8/8/8/8/8/8/2RK4 w C - 0 1", "d1c1", "4k3/8/8/8/8/8/8/2KR4"},
      // Long castling from b1 with the rook on a1.
      {"4k3/8/8/8/8/8/8/RK6 w A - 0 1", "b1a1", "4k3/8/8/8/8/8/8/2KR4"},
      // Black, rook already on d8.
      {"3rk3/8/8/8/8/8/8/4K3 b d - 0 1", "e8d8", "2kr4/8/8/8/8/8/8/4K3"},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    ASSERT_NE(b.pos.castlingRights, 0) << c.fen;
    const Position after = playCoordinates(b.pos, {c.move});
    EXPECT_EQ(fenFields(toFen(after), 1), c.after) << c.fen;
    EXPECT_EQ(after.castlingRights, 0) << c.fen;
    EXPECT_TRUE(consistent(after)) << c.fen;
    EXPECT_EQ(after.fiftyCounter, 1) << c.fen;
  }
}

TEST(MakeMoveRules, PromotionWithCaptureUpdatesBothMaterialWords) {
  const Board b = boardFromFen("1r2k3/P7/8/8/8/8/8/4K3 w - - 3 1");
  struct Case {
    const char* move;
    int type;
  };
  for (const Case c : {Case{"a7b8q", Queen}, Case{"a7b8n", Knight}, Case{"a7b8r", Rook}, Case{"a7b8b", Bishop}}) {
    const Position after = playCoordinates(b.pos, {c.move});
    EXPECT_EQ(after.board[B8], makePiece(White, c.type)) << c.move;
    EXPECT_EQ(after.material[White].signature, SignatureStep[c.type]) << c.move;
    EXPECT_EQ(after.material[White].weight, WeightPieceUnit + PieceValue[c.type] / 2) << c.move;
    EXPECT_EQ(after.material[Black].signature, 0) << c.move;
    EXPECT_EQ(after.material[Black].weight, 0) << c.move;
    EXPECT_EQ(after.fiftyCounter, 0) << c.move;
    EXPECT_EQ(after.pawnKey, 0u) << c.move;
    EXPECT_TRUE(consistent(after)) << c.move;
  }
}

// ---- Repetition --------------------------------------------------------------------

// Plays moves and keeps the key history the game record would keep.
struct History {
  Position pos;
  std::vector<Key> keys;

  explicit History(const Position& start) : pos(start), keys(size_t(start.ply) + 1) { keys[start.ply] = start.key; }
  void play(std::initializer_list<const char*> moves) {
    for (const char* m : moves) {
      pos = playCoordinates(pos, {m});
      keys.resize(size_t(pos.ply) + 1);
      keys[pos.ply] = pos.key;
    }
  }
  int repetitions() const { return repetitionCount(pos, keys.data()); }
};

TEST(Repetition, CountsEarlierOccurrences) {
  const Board start = boardFromFen(StartFen);
  History h(start.pos);
  EXPECT_EQ(h.repetitions(), 0);
  h.play({"g1f3", "g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(h.repetitions(), 1);
  h.play({"g1f3"});
  EXPECT_EQ(h.repetitions(), 1);  // the same side to move only
  h.play({"g8f6", "f3g1", "f6g8"});
  EXPECT_EQ(h.repetitions(), 2);
}

TEST(Repetition, StopsAtTheLastIrreversibleMove) {
  const Board start = boardFromFen("4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1");
  History h(start.pos);
  h.play({"a1b1", "e8d8", "b1a1", "d8e8"});
  EXPECT_EQ(h.repetitions(), 1);
  h.play({"e2e3", "e8d8", "a1b1", "d8e8", "b1a1", "e8d8", "a1b1", "d8e8"});
  EXPECT_EQ(h.pos.fiftyCounter, 7);
  EXPECT_EQ(h.repetitions(), 1);  // ply 8
  // Plant the current key in the history: at ply 12 with a counter of 7 plies 10,
  // 8 and 6 are looked at; ply 4, before the pawn move, is not.
  const Key current = h.pos.key;
  h.keys[4] = current;
  EXPECT_EQ(h.repetitions(), 1);
  h.keys[6] = current;
  EXPECT_EQ(h.repetitions(), 2);
}

TEST(Repetition, NeverReadsBeforeTheGame) {
  // A counter larger than the ply (a position read with a clock) must not reach
  // below the first entry; the history holds exactly ply + 1 keys.
  const Board b = boardFromFen("4k3/8/8/8/8/8/8/R3K3 w - - 90 1");
  std::vector<Key> keys{b.pos.key};
  EXPECT_EQ(repetitionCount(b.pos, keys.data()), 0);
  History h(b.pos);
  h.play({"a1b1", "e8d8", "b1a1", "d8e8"});
  EXPECT_EQ(h.repetitions(), 1);
}

// ---- Draw rules -------------------------------------------------------------------------

TEST(DrawRules, InsufficientMaterial) {
  struct Case {
    const char* fen;
    bool game, search;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true, true},
      {"4k3/8/8/8/8/8/8/2B1K3 w - - 0 1", true, true},
      {"4k3/8/8/8/8/8/8/2N1K3 b - - 0 1", true, true},
      {"4k3/8/8/8/8/8/8/2BNK3 w - - 0 1", false, false},
      {"2n1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", false, true},
      {"2b1k3/8/8/8/8/8/8/2B1K3 b - - 0 1", false, true},
      // A minor each, but the side to move is in check: the search plays on.
      {"4k3/8/8/1B6/8/8/8/2n1K3 b - - 0 1", false, false},
      {"4k3/8/8/8/8/8/8/3RK3 w - - 0 1", false, false},
      {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", false, false},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false, false},
      {"4k3/4p3/8/8/8/8/8/2B1K3 w - - 0 1", false, false},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(insufficientMaterial(b.pos), c.game) << c.fen;
    EXPECT_EQ(insufficientMaterialInSearch(b.pos), c.search) << c.fen;
  }
}

TEST(DrawRules, FiftyMoves) {
  Board b = boardFromFen("4k3/8/8/8/8/8/8/R3K3 w - - 98 1");
  EXPECT_FALSE(fiftyMoveRuleReached(b.pos));
  Position p = playCoordinates(b.pos, {"a1a2"});
  EXPECT_FALSE(fiftyMoveRuleReached(p));
  p = playCoordinates(p, {"e8d8"});
  EXPECT_EQ(p.fiftyCounter, 100);
  EXPECT_TRUE(fiftyMoveRuleReached(p));
  // A capture or pawn move starts the count again.
  const Board c = boardFromFen("3k4/8/8/8/8/8/4P3/4K3 w - - 99 1");
  EXPECT_EQ(playCoordinates(c.pos, {"e2e3"}).fiftyCounter, 0);
  const Board d = boardFromFen("4k2r/8/8/8/8/8/8/4K2R w - - 99 1");
  EXPECT_EQ(playCoordinates(d.pos, {"h1h8"}).fiftyCounter, 0);
  EXPECT_EQ(playCoordinates(d.pos, {"h1h7"}).fiftyCounter, 100);
}

}  // namespace
}  // namespace tarn::test
