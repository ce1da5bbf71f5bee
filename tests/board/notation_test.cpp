// Move texts: coordinates, SAN and long algebraic out; typed and pasted moves in.
#include "board/game_record.h"
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

// The legal move whose coordinate text in the given notation is `text`.
Move findMove(const Position& p, std::string_view text, bool chess960) {
  for (Move m : legalMoves(p))
    if (moveToCoordinate(m, p, chess960) == text) return m;
  return NullMove;
}

// Long algebraic text built from the move and its reference SAN: the check mark and
// the capture come from the SAN, the squares from the move.
std::string expectedLongAlgebraic(const Position& p, Move m, const std::string& san) {
  std::string text;
  const char mark = san.back() == '+' || san.back() == '#' ? san.back() : '\0';
  if (san.rfind("O-O", 0) == 0) {
    text = san;
  } else {
    const int type = typeOf(p.board[fromSquare(m)]);
    if (type != Pawn) text += "NBRQK"[type - 1];
    auto square = [](int s) { return std::string{char('a' + fileOf(s)), char('8' - rowOf(s))}; };
    text += square(fromSquare(m)) + (san.find('x') != std::string::npos ? "x" : "-") + square(toSquare(m));
    const size_t promotion = san.find('=');
    if (promotion != std::string::npos) text += san.substr(promotion, 2);
    if (mark) text += mark;
  }
  while (text.size() < 7) text += ' ';
  return text;
}

void checkSanFile(const char* name, bool chess960) {
  const Chess960Scope notation(chess960);
  int lines = 0, withStandardSan = 0;
  for (const SanLine& line : readSanFile(name)) {
    const std::string where = std::string(name) + " line " + std::to_string(line.line) + ": " + line.fen;
    const Board b = boardFromFen(line.fen);
    const Move m = findMove(b.pos, line.uci, chess960);
    ASSERT_NE(m, NullMove) << "no legal move prints as " << line.uci << " in " << where;
    ++lines;

    char buffer[MoveTextSize];
    ASSERT_TRUE(moveToText(buffer, m, b.pos, San)) << where;
    const std::string san = buffer;
    EXPECT_EQ(san.back(), ' ') << where;
    EXPECT_EQ(trim(san), line.san) << where;
    EXPECT_EQ(moveToText(m, b.pos, LongAlgebraic), expectedLongAlgebraic(b.pos, m, line.san)) << where;
    EXPECT_EQ(moveToText(m, b.pos, Coordinate), line.uci) << where;

    // Every form of the move reads back to the same move.
    const Position expected = afterMove(b.pos, m);
    std::vector<std::string> texts = {line.uci, line.san, trim(moveToText(m, b.pos, LongAlgebraic))};
    if (!line.stdsan.empty()) {
      texts.push_back(line.stdsan);
      ++withStandardSan;
    }
    for (const std::string& text : texts) {
      Position p = b.pos;
      EXPECT_TRUE(playMoveText(text, p, nullptr)) << text << " in " << where;
      EXPECT_TRUE(samePosition(p, expected)) << text << " in " << where;
    }
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GT(lines, 300);
  if (!chess960) {
    EXPECT_GT(withStandardSan, 60);
  }
}

TEST(SanReference, StandardChess) { checkSanFile("san.txt", false); }
TEST(SanReference, Chess960) { checkSanFile("san960.txt", true); }

TEST(MoveText, CoordinateCastling) {
  const Board b = boardFromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_EQ(moveToCoordinate(makeMove(E1, H1), b.pos, false), "e1g1");
  EXPECT_EQ(moveToCoordinate(makeMove(E1, A1), b.pos, false), "e1c1");
  EXPECT_EQ(moveToCoordinate(makeMove(E1, H1), b.pos, true), "e1h1");
  EXPECT_EQ(moveToCoordinate(makeMove(E1, A1), b.pos, true), "e1a1");
  // In Chess960 without the notation flag the king's step is still from the e-file.
  const Board c = boardFromFen("4k3/8/8/8/8/8/8/1R3KR1 w GB - 0 1");
  EXPECT_EQ(moveToCoordinate(makeMove(F1, G1), c.pos, false), "e1g1");
  EXPECT_EQ(moveToCoordinate(makeMove(F1, B1), c.pos, false), "e1c1");
  EXPECT_EQ(moveToCoordinate(NullMove, c.pos, false), "");
  EXPECT_EQ(moveToCoordinate(MarkerDraw, c.pos, false), "");
}

TEST(MoveText, LongAlgebraicShape) {
  struct Case {
    const char* fen;
    const char* move;  // coordinates, Chess960 notation
    const char* text;
  };
  const Case cases[] = {
      {StartFen, "e2e4", "e2-e4  "},
      {StartFen, "g1f3", "Ng1-f3 "},
      {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", "e4xd5  "},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", "e5xd6  "},
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", "b7-b8=Q+"},
      {"2r1k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7c8n", "b7xc8=N"},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1h1", "O-O    "},
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1a1", "O-O-O  "},
      {"6k1/5ppp/8/8/8/8/8/R3K3 w Q - 0 1", "a1a8", "Ra1-a8#"},
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", "h1h8", "Rh1-h8+"},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    const Move m = findMove(b.pos, c.move, true);
    ASSERT_NE(m, NullMove) << c.move;
    char buffer[MoveTextSize];
    EXPECT_TRUE(moveToText(buffer, m, b.pos, LongAlgebraic));
    EXPECT_STREQ(buffer, c.text) << c.fen << " " << c.move;
  }
}

TEST(MoveText, NullMarkersAndIllegalMoves) {
  const Board b = boardFromFen(StartFen);
  struct Case {
    Move move;
    const char* text;
  };
  for (TextStyle style : {LongAlgebraic, San})
    for (Case c : {Case{NullMove, "Null"}, Case{MarkerTT, "<tt>"}, Case{MarkerDraw, "<draw>"}, Case{MarkerTable, "<table>"}}) {
      char buffer[MoveTextSize];
      EXPECT_TRUE(moveToText(buffer, c.move, b.pos, style));
      EXPECT_STREQ(buffer, c.text);
    }
  char buffer[MoveTextSize];
  for (Move illegal : {makeMove(E2, E5), makeMove(E7, E5), makeMove(E1, E2), makeMove(D1, H5), Move(makeMove(G1, F3) | 0x1000)}) {
    EXPECT_FALSE(moveToText(buffer, illegal, b.pos, San));
    EXPECT_STREQ(buffer, "xx");
    EXPECT_FALSE(moveToText(buffer, illegal, b.pos, LongAlgebraic));
    EXPECT_STREQ(buffer, "xx");
  }
  EXPECT_FALSE(moveToText(buffer, makeMove(E2, E5), b.pos, Coordinate));
  EXPECT_STREQ(buffer, "e2e5");
  EXPECT_TRUE(moveToText(buffer, NullMove, b.pos, Coordinate));
  EXPECT_STREQ(buffer, "");
  // A pinned piece's move and a king step into check are not legal either.
  const Board pinned = boardFromFen("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1");
  EXPECT_FALSE(moveToText(buffer, makeMove(E2, C3), pinned.pos, San));
  EXPECT_FALSE(moveToText(buffer, makeMove(E1, D2), boardFromFen("4k3/8/8/8/8/8/8/3rK3 w - - 0 1").pos, San));
}

TEST(MoveText, ParseCoordinateMove) {
  struct Case {
    const char* text;
    Move move;
  };
  const Case cases[] = {
      {"e2e4", makeMove(E2, E4)},
      {"e7e8q", makeMove(E7, E8, PromoQueen)},
      {"e7e8n", makeMove(E7, E8, PromoKnight)},
      {"e7e8N", makeMove(E7, E8, PromoKnight)},
      {"e7e8=r", makeMove(E7, E8, PromoRook)},
      {"e7e8b", makeMove(E7, E8, PromoBishop)},
      {"e7e8k", makeMove(E7, E8, PromoQueen)},
      {"e1h1", makeMove(E1, H1)},  // castling stays as typed
      {"e1g1", makeMove(E1, G1)},
      {"a8a8", NullMove},
      {"", NullMove},
  };
  for (const Case& c : cases) EXPECT_EQ(parseCoordinateMove(c.text), c.move) << c.text;
}

TEST(MoveText, ParseMoveTextFields) {
  const Board b = boardFromFen(StartFen);
  struct Case {
    const char* text;
    MoveFields fields;
  };
  const Case cases[] = {
      {"e4", {-1, -1, 4, 4, Pawn, Queen}},
      {"exd5", {4, -1, 3, 3, Pawn, Queen}},
      {"Nbd2", {1, -1, 3, 6, Knight, Queen}},
      {"N1d2", {-1, 7, 3, 6, Knight, Queen}},
      {"Ng1f3", {6, 7, 5, 5, Knight, Queen}},
      {"Ng1-f3", {6, 7, 5, 5, Knight, Queen}},
      {"e2e4", {4, 6, 4, 4, Pawn, Queen}},
      {"e7e8n", {4, 1, 4, 0, Pawn, Knight}},
      {"e8=R+", {-1, -1, 4, 0, Pawn, Rook}},
      {"Pe4", {-1, -1, 4, 4, Pawn, Queen}},
      {"Qh5!?", {-1, -1, 7, 3, Queen, Queen}},
      {"O-O", {4, 7, 7, 7, AnyPieceType, Queen}},
      {"0-0", {4, 7, 7, 7, AnyPieceType, Queen}},
      {"o-o", {4, 7, 7, 7, AnyPieceType, Queen}},
      {"O-O-O", {4, 7, 0, 7, AnyPieceType, Queen}},
  };
  for (const Case& c : cases) {
    const MoveFields f = parseMoveText(c.text, b.pos);
    EXPECT_EQ(f.fromFile, c.fields.fromFile) << c.text;
    EXPECT_EQ(f.fromRow, c.fields.fromRow) << c.text;
    EXPECT_EQ(f.toFile, c.fields.toFile) << c.text;
    EXPECT_EQ(f.toRow, c.fields.toRow) << c.text;
    EXPECT_EQ(f.pieceType, c.fields.pieceType) << c.text;
    EXPECT_EQ(f.promotionType, c.fields.promotionType) << c.text;
  }
}

// ---- Matching typed moves ----------------------------------------------------------------

struct PlayCase {
  const char* fen;
  const char* text;
  const char* played;  // the move played, Chess960 coordinates; "" when none may be
};

void expectPlays(const PlayCase& c) {
  const Board b = boardFromFen(c.fen);
  Position p = b.pos;
  const bool ok = playMoveText(c.text, p, nullptr);
  if (!*c.played) {
    EXPECT_FALSE(ok) << c.text << " in " << c.fen;
    EXPECT_TRUE(samePosition(p, b.pos)) << c.text << " in " << c.fen;
    return;
  }
  ASSERT_TRUE(ok) << c.text << " in " << c.fen;
  const Move m = findMove(b.pos, c.played, true);
  ASSERT_NE(m, NullMove) << c.played;
  EXPECT_TRUE(samePosition(p, afterMove(b.pos, m))) << c.text << " in " << c.fen << " should play " << c.played;
}

TEST(MatchMove, TypedMoves) {
  const PlayCase cases[] = {
      {StartFen, "e4", "e2e4"},
      {StartFen, "e2e4", "e2e4"},
      {StartFen, "e2-e4", "e2e4"},
      {StartFen, "Nf3", "g1f3"},
      {StartFen, "g1f3", "g1f3"},
      {StartFen, "Ng1f3", "g1f3"},
      {StartFen, "Nf6", ""},
      {StartFen, "e5", ""},
      {StartFen, "e2e2", ""},
      {StartFen, "Ke2", ""},
      {StartFen, "", ""},
      {StartFen, "xyz", ""},
      // Castling typed as the king's two-square step, as king onto rook, or with letters.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", "e1h1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1h1", "e1h1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "O-O", "e1h1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "0-0", "e1h1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "o-o", "e1h1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "O-O-O", "e1a1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", "e1a1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "O-O-O", "e8a8"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", "O-O", ""},
      // Chess960, king f1 and rook h1: f1g1 is a king step, f1h1 and O-O castle.
      {"4k3/8/8/8/8/8/8/5K1R w H - 0 1", "f1g1", "f1g1"},
      {"4k3/8/8/8/8/8/8/5K1R w H - 0 1", "Kg1", "f1g1"},
      {"4k3/8/8/8/8/8/8/5K1R w H - 0 1", "f1h1", "f1h1"},
      {"4k3/8/8/8/8/8/8/5K1R w H - 0 1", "O-O", "f1h1"},
      // Promotions: the typed piece, a queen by default.
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8=N", "b7b8n"},
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8", "b7b8q"},
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8r", "b7b8r"},
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b8B+", "b7b8b"},
      // Disambiguation by file, by rank, or not at all: the last generated move wins.
      // Knights on b3, f3 and b1 all reach d2; they are generated in that order.
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "Nb3d2", "b3d2"},
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "Nfd2", "f3d2"},
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "N1d2", "b1d2"},
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "N3d2", "f3d2"},
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "Nbd2", "b1d2"},
      {"4k3/8/8/8/8/1N3N2/8/1N2K3 w - - 0 1", "Nd2", "b1d2"},
      // A pinned piece is not a candidate, though generated last.
      {"k3r3/8/8/8/1N6/4N3/8/4K3 w - - 0 1", "Nc2", "b4c2"},
  };
  for (const PlayCase& c : cases) expectPlays(c);
}

TEST(MatchMove, NullMoveText) {
  const Board b = boardFromFen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
  Position p = b.pos;
  EXPECT_TRUE(playMoveText("Null", p, nullptr));
  Position expected = b.pos;
  makeNullMove(expected);
  EXPECT_TRUE(samePosition(p, expected));
  EXPECT_EQ(p.epSquare, NoSquare);
}

// Passing while in check would leave a king en prise to the side to move.
TEST(MatchMove, NoNullMoveOutOfCheck) {
  const Board b = boardFromFen("4k3/8/8/8/8/8/8/r3K3 w - - 0 1");
  Position p = b.pos;
  EXPECT_FALSE(playMoveText("Null", p, nullptr));
  EXPECT_TRUE(samePosition(p, b.pos));
}

TEST(MatchMove, RecordsIntoTheGameRecord) {
  const Board b = boardFromFen(StartFen);
  auto record = std::make_unique<GameRecord>();
  record->reset(b.pos);
  Position p = b.pos;
  for (const char* text : {"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "O-O"}) ASSERT_TRUE(playMoveText(text, p, record.get()));
  EXPECT_FALSE(playMoveText("Qxf7", p, record.get()));
  EXPECT_EQ(record->count, 7);
  const char* expected[] = {"e2-e4  ", "e7-e5  ", "Ng1-f3 ", "Nb8-c6 ", "Bf1-b5 ", "a7-a6  ", "O-O    "};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(record->moveText(i), expected[i]) << i;
  EXPECT_EQ(record->keys[0], b.pos.key);
  EXPECT_TRUE(samePosition(record->positionAfter(7), p));
}

}  // namespace
}  // namespace tarn::test
