// Reading, validating and writing FEN; Chess960 arrays; colour flips.
#include <set>

#include "board/perft.h"
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

struct ReadResult {
  bool ok;
  std::string message;
  Board board;
};

ReadResult tryRead(std::string_view fen) {
  ReadResult r{false, "", {}};
  r.board.setup->clear();
  const char* message = nullptr;
  r.ok = readFen(r.board.pos, fen, *r.board.setup, &message);
  if (!r.ok && message) r.message = message;
  return r;
}

// ---- Round trips ------------------------------------------------------------------

// Every reference FEN follows the writer's conventions, so reading and writing
// gives the text back; the full-move number is not kept, so it is compared only
// where it is 1.
// One reference line lists a colour's rook files a-side first; the writer always puts
// the h-side first, so the castling field is compared as a set of letters.
std::string withSortedCastling(const std::string& fen) {
  std::vector<std::string> fields = split(fen, ' ');
  if (fields.size() > 2) std::sort(fields[2].begin(), fields[2].end());
  std::string out;
  for (const std::string& f : fields) out += (out.empty() ? "" : " ") + f;
  return out;
}

void expectRoundTrip(const std::string& fen, bool chess960, const std::string& where) {
  const Chess960Scope notation(chess960);
  const Board b = boardFromFen(fen);
  const std::string written = b.fen();
  EXPECT_EQ(withSortedCastling(fenFields(written, 5)), withSortedCastling(fenFields(fen, 5))) << where;
  if (fenFields(fen, 6) == fenFields(fen, 5) + " 1") {
    EXPECT_EQ(withSortedCastling(written), withSortedCastling(fen)) << where;
  }
  EXPECT_TRUE(consistent(b.pos)) << where;
}

TEST(FenRoundTrip, ReferenceFiles) {
  int count = 0;
  for (const PerftLine& line : readPerftFile("perft.epd")) {
    expectRoundTrip(line.fen, false, "perft.epd line " + std::to_string(line.line));
    ++count;
  }
  for (const PerftLine& line : readPerftFile("perft960.epd")) {
    // The last lines use X-FEN letters, which the writer turns into rook files.
    if (line.fen.find(" KQkq ") != std::string::npos) continue;
    expectRoundTrip(line.fen, true, "perft960.epd line " + std::to_string(line.line));
    ++count;
  }
  for (const SanLine& line : readSanFile("san.txt")) {
    expectRoundTrip(line.fen, false, "san.txt line " + std::to_string(line.line));
    ++count;
  }
  for (const SanLine& line : readSanFile("san960.txt")) {
    expectRoundTrip(line.fen, true, "san960.txt line " + std::to_string(line.line));
    ++count;
  }
  EXPECT_GT(count, 3500);
}

TEST(FenRoundTrip, XFenLettersNameTheOutermostRooks) {
  // The last six arrays of perft960.epd repeat earlier ones with KQkq.
  const std::vector<PerftLine> lines = readPerftFile("perft960.epd");
  int compared = 0;
  for (const PerftLine& xfen : lines) {
    if (xfen.fen.find(" KQkq ") == std::string::npos) continue;
    for (const PerftLine& shredder : lines) {
      if (&shredder == &xfen || fenFields(shredder.fen, 2) != fenFields(xfen.fen, 2) ||
          shredder.fen.find(" KQkq ") != std::string::npos)
        continue;
      const Board a = boardFromFen(xfen.fen), b = boardFromFen(shredder.fen);
      EXPECT_EQ(a.pos.key, b.pos.key) << xfen.fen;
      EXPECT_EQ(a.pos.castlingRights, b.pos.castlingRights) << xfen.fen;
      for (int k = 0; k < 4; ++k) EXPECT_EQ(a.setup->rookSquare[k], b.setup->rookSquare[k]) << xfen.fen << " entry " << k;
      ++compared;
    }
  }
  EXPECT_GE(compared, 5);
}

// ---- Validation -------------------------------------------------------------------

TEST(FenValidation, RejectsWithTheRightMessage) {
  struct Case {
    const char* fen;
    const char* message;
  };
  const Case cases[] = {
      {"", FenError::NotEnoughSquares},
      {"8/8/8 w - - 0 1", FenError::NotEnoughSquares},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", FenError::NotEnoughSquares},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", FenError::NotEnoughSquares},
      {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1", FenError::TooManyKings},
      {"4k3/8/8/8/8/8/8/2KK1K2 b - - 0 1", FenError::TooManyKings},
      {"8/8/8/8/8/8/8/3KK3 w - - 0 1", FenError::TooManyKings},  // two kings win over a missing one
      {"3kk3/8/8/8/8/8/8/4K3 w - - 0 1", FenError::TooManyKings},
      {"8/8/8/8/8/8/8/8 w - - 0 1", FenError::MissingKing},
      {"4k3/8/8/8/8/8/8/8 w - - 0 1", FenError::MissingKing},
      {"8/8/8/8/8/8/8/4K3 b - - 0 1", FenError::MissingKing},
      {"4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", FenError::KingCanBeCaptured},
      {"4k3/8/8/8/8/8/5n2/7K b - - 0 1", FenError::KingCanBeCaptured},
      {"8/8/8/3kK3/8/8/8/8 w - - 0 1", FenError::KingCanBeCaptured},
      {"8/8/8/3kK3/8/8/8/8 b - - 0 1", FenError::KingCanBeCaptured},
      {"4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", FenError::TooManyPawns},
      {"4k3/pppppppp/p7/8/8/8/8/4K3 b - - 0 1", FenError::TooManyPawns},
      {"P3k3/8/8/8/8/P7/PPPPPPPP/4K3 w - - 0 1", FenError::TooManyPawns},  // the count comes first
      {"P3k3/8/8/8/8/8/8/4K3 w - - 0 1", FenError::PawnOnBackRank},
      {"4k3/8/8/8/8/8/8/4K2p w - - 0 1", FenError::PawnOnBackRank},
      {"4k2P/8/8/8/8/8/8/4K3 b - - 0 1", FenError::PawnOnBackRank},
      {"PPPPkPPP/8/8/8/8/8/8/4K3 w - - 0 1", FenError::PawnOnBackRank},
  };
  for (const Case& c : cases) {
    const ReadResult r = tryRead(c.fen);
    EXPECT_FALSE(r.ok) << c.fen;
    EXPECT_EQ(r.message, c.message) << c.fen;
  }
}

TEST(FenValidation, AcceptsTheSideToMoveGivingCheck) {
  EXPECT_TRUE(tryRead("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1").ok);
  EXPECT_TRUE(tryRead("4k3/8/8/8/8/8/5n2/7K w - - 0 1").ok);
}

TEST(FenValidation, FailureLeavesPositionAndSetupAlone) {
  Board b = boardFromFen("bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1");
  const Position before = b.pos;
  const CastlingSetup setupBefore = *b.setup;
  for (const char* bad : {"4k3/8/8/8/8/8/8/3KK3 w HAha - 0 1", "8/8 w", "P3k3/8/8/8/8/8/8/4K3 w - - 0 1"}) {
    EXPECT_FALSE(readFen(b.pos, bad, *b.setup)) << bad;
    EXPECT_TRUE(samePosition(b.pos, before)) << bad;
    EXPECT_EQ(std::memcmp(&setupBefore, b.setup.get(), sizeof setupBefore), 0) << bad;
  }
}

// ---- Parsing rules ----------------------------------------------------------------

TEST(FenParsing, FourFieldStartText) {
  const Board b = boardFromFen(StartFenShort);
  EXPECT_EQ(b.pos.ply, 0);
  EXPECT_EQ(b.pos.fiftyCounter, 0);
  EXPECT_EQ(b.pos.castlingRights, AllRights);
  EXPECT_EQ(b.setup->rookSquare[0], H1);
  EXPECT_EQ(b.setup->rookSquare[1], A1);
  EXPECT_EQ(b.setup->rookSquare[2], H8);
  EXPECT_EQ(b.setup->rookSquare[3], A8);
  EXPECT_EQ(b.setup->rookMask, bit(H1) | bit(A1) | bit(H8) | bit(A8));
  EXPECT_EQ(b.setup->path[0], bit(F1) | bit(G1));
  EXPECT_EQ(b.setup->path[1], bit(B1) | bit(C1) | bit(D1));
  EXPECT_EQ(b.fen(), StartFen);
}

TEST(FenParsing, ClockAndMoveFields) {
  struct Case {
    const char* fen;
    int ply, fifty;
    const char* written;  // the writer's text of the same position, "" to skip
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 5 40", 0, 5,
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 5 1"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -", 1, 0,
       "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - bm e4; id \"x\";", 0, 0, ""},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq -; 17 3", 1, 0, ""},
      {"4k3/8/8/8/8/8/8/4K3 w - - 300 1", 0, 255, "4k3/8/8/8/8/8/8/4K3 w - - 255 1"},
      {"4k3/8/8/8/8/8/8/4K3 w - - 99999999999999999999 1", 0, 255, ""},
      {"4k3/8/8/8/8/8/8/4K3 w - - 255 1", 0, 255, ""},
      {"  4k3/8/8/8/8/8/8/4K3 w - - 7 9", 0, 7, "4k3/8/8/8/8/8/8/4K3 w - - 7 1"},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(b.pos.ply, c.ply) << c.fen;
    EXPECT_EQ(b.pos.fiftyCounter, c.fifty) << c.fen;
    if (*c.written) {
      EXPECT_EQ(b.fen(), c.written) << c.fen;
    }
  }
}

TEST(FenParsing, BoardFieldQuirks) {
  struct Case {
    const char* fen;
    const char* written;
  };
  const Case cases[] = {
      // A short rank is padded; two slashes in a row leave a rank empty.
      {"4k/8/8/8/8/8/8/4K w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
      {"4k3//8/8/8/8/8/4K3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
      // Foreign characters are skipped.
      {"4k3/8/8/8/8/8/8/4xK3 w - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
      {"4k3/8/8/8/8/8/8/4K3 wb - - 0 1", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(boardFromFen(c.fen).fen(), c.written) << c.fen;
}

TEST(FenParsing, CastlingLetters) {
  struct Case {
    const char* fen;
    int rights;
    Square rooks[4];  // expected rook squares of the rights that are set
  };
  constexpr Square N = NoSquare;
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 15, {H1, A1, H8, A8}},
      {"r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", 15, {H1, A1, H8, A8}},
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", 0, {N, N, N, N}},
      // A right without its rook is dropped silently.
      {"4k3/8/8/8/8/8/8/4K3 w KQkq - 0 1", 0, {N, N, N, N}},
      {"r3k3/8/8/8/8/8/8/4K2R w KQkq - 0 1", WhiteHSide | BlackASide, {H1, N, N, A8}},
      // A king off its back rank loses both rights.
      {"r3k2r/8/8/8/8/8/4K3/R6R w KQkq - 0 1", BlackHSide | BlackASide, {N, N, H8, A8}},
      {"r6r/4k3/8/8/8/8/8/R3K2R b KQkq - 0 1", WhiteHSide | WhiteASide, {H1, A1, N, N}},
      // X-FEN letters take the outermost rook, file letters the named one.
      {"rr2k1rr/8/8/8/8/8/8/RR2K1RR w KQkq - 0 1", 15, {H1, A1, H8, A8}},
      {"rr2k1rr/8/8/8/8/8/8/RR2K1RR w GBgb - 0 1", 15, {G1, B1, G8, B8}},
      {"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1", 15, {G1, B1, G8, B8}},
      {"rk5r/8/8/8/8/8/8/RK5R w KQkq - 0 1", 15, {H1, A1, H8, A8}},
      {"rk5r/8/8/8/8/8/8/RK5R w HAha - 0 1", 15, {H1, A1, H8, A8}},
      // A file letter naming a square without a rook falls back to the outermost rook.
      {"r3k2r/8/8/8/8/8/8/R3K2R w GBgb - 0 1", 15, {H1, A1, H8, A8}},
      {"4k3/8/8/8/8/8/8/4K3 w GBgb - 0 1", 0, {N, N, N, N}},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(b.pos.castlingRights, c.rights) << c.fen;
    for (int k = 0; k < 4; ++k)
      if (c.rights & (1 << k)) {
        EXPECT_EQ(b.setup->rookSquare[k], c.rooks[k]) << c.fen << " entry " << k;
      }
  }
  // Rook-file letters on the standard array give the standard position.
  EXPECT_EQ(boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1").pos.key,
            boardFromFen(StartFen).pos.key);
}

// The writer keeps rights in the order White h-side, a-side, Black h-side, a-side.
TEST(FenWriting, CastlingFieldInBothNotations) {
  struct Case {
    const char* fen;
    const char* standard;
    const char* chess960;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "KQkq", "HAha"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Qk - 0 1", "Qk", "Ah"},
      {"1r2k1r1/8/8/8/8/8/8/1R2K1R1 w GBgb - 0 1", "KQkq", "GBgb"},
      {"nqn1krbb/p3p2p/1p3pp1/P5r1/3pp2P/8/1PP1NP2/NQ1RKRBB w FDf - 0 10", "KQk", "FDf"},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    {
      const Chess960Scope notation(false);
      EXPECT_EQ(fenFields(b.fen(), 3).substr(fenFields(b.fen(), 2).size() + 1), c.standard) << c.fen;
    }
    const Chess960Scope notation(true);
    EXPECT_EQ(fenFields(b.fen(), 3).substr(fenFields(b.fen(), 2).size() + 1), c.chess960) << c.fen;
  }
}

// ---- En passant field ---------------------------------------------------------------
//
// The square is kept only where a double push can just have happened and the side to
// move has a pawn to take on it, which is also when make-move records it: so a
// position has one key however it was reached.

TEST(FenEnPassant, ImplausibleSquaresReadAsNone) {
  struct Case {
    const char* fen;
    Square expected;
  };
  const Case cases[] = {
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", F6},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", E3},
      // after 1. e4 nothing can take on e3
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", NoSquare},
      // wrong rank for the side to move
      {"4k3/8/8/3pP3/8/8/8/4K3 b - d6 0 1", NoSquare},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d3 0 1", NoSquare},
      // no enemy pawn in front of the square
      {"4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1", NoSquare},
      {"4k3/8/8/3nP3/8/8/8/4K3 w - d6 0 1", NoSquare},
      // the square or the one the pawn came from is occupied
      {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", NoSquare},
      {"4k3/3n4/8/3pP3/8/8/8/4K3 w - d6 0 1", NoSquare},
      // no pawn of the side to move to take with
      {"4k3/8/8/3p4/8/8/8/4K3 w - d6 0 1", NoSquare},
      {"4k3/8/8/3pB3/8/8/8/4K3 w - d6 0 1", NoSquare},
      // the field is not a square
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d9 0 1", NoSquare},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - i6 0 1", NoSquare},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - 6d 0 1", NoSquare},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(b.pos.epSquare, c.expected) << c.fen;
    EXPECT_TRUE(consistent(b.pos)) << c.fen;
    if (c.expected == NoSquare) {
      std::string withoutSquare = fenFields(c.fen, 3) + " - 0 1";
      EXPECT_EQ(b.pos.key, boardFromFen(withoutSquare).pos.key) << c.fen;
    }
  }
}

// Play `moves` (coordinates) from the start position.
Position play(std::initializer_list<const char*> moves) {
  static const Board start = boardFromFen(StartFen);
  Position p = start.pos;
  for (const char* text : moves) {
    bool found = false;
    for (Move m : legalMoves(p))
      if (moveToCoordinateText(p, m) == text) {
        makeMoveChecked(p, m);
        found = true;
        break;
      }
    EXPECT_TRUE(found) << text;
  }
  return p;
}

TEST(FenEnPassant, KeyEqualsThePlayedPosition) {
  struct Case {
    std::initializer_list<const char*> moves;
    const char* fen;  // as many writers put it, square or not
  };
  const Case cases[] = {
      {{"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
      {{"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
      {{"e2e4", "d7d5", "e4e5", "f7f5"}, "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"},
      {{"e2e4", "d7d5", "e4e5", "c7c6", "d2d4"}, "rnbqkbnr/pp2pppp/2p5/3pP3/3P4/8/PPP2PPP/RNBQKBNR b KQkq d3 0 3"},
      {{"g1f3", "g8f6", "e2e4", "d7d5", "e4e5", "d5d4", "c2c4"},
       "rnbqkb1r/ppp1pppp/5n2/4P3/2Pp4/5N2/PP1P1PPP/RNBQKB1R b KQkq c3 0 4"},
  };
  for (const Case& c : cases) {
    const Position played = play(c.moves);
    const Board read = boardFromFen(c.fen);
    EXPECT_EQ(read.pos.key, played.key) << c.fen;
    EXPECT_EQ(read.pos.epSquare, played.epSquare) << c.fen;
  }
}

// ---- Chess960 arrays ----------------------------------------------------------------

TEST(Chess960Setup, KnownNumbers) {
  EXPECT_EQ(chess960Board(518).pos.key, boardFromFen(StartFen).pos.key);
  {
    const Chess960Scope notation(false);
    EXPECT_EQ(chess960Board(0).fen(), "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1");
  }
  // The start arrays of perft960.epd lines 1-22 are these numbers.
  const int numbers[] = {0, 1, 518, 959, 2, 3, 95, 96, 191, 287, 383, 479, 309, 489, 152, 751, 24, 759, 445, 584, 417, 213};
  const std::vector<PerftLine> lines = readPerftFile("perft960.epd");
  ASSERT_GE(lines.size(), std::size(numbers));
  const Chess960Scope notation(true);
  for (size_t i = 0; i < std::size(numbers); ++i) EXPECT_EQ(chess960Board(numbers[i]).fen(), lines[i].fen) << numbers[i];
}

TEST(Chess960Setup, EveryNumberGivesADistinctValidArray) {
  std::set<std::string> arrays;
  for (int n = 0; n < 960; ++n) {
    const Board b = chess960Board(n);
    const std::string rank = fenFields(b.fen(), 1).substr(0, 8);
    arrays.insert(rank);
    // 20 moves mostly; 19 where a corner bishop is shut in, 21 where king f1 and
    // rook g1 may castle at once.
    std::vector<Move> legal = legalMoves(b.pos);
    std::sort(legal.begin(), legal.end());
    EXPECT_EQ(legal, bruteLegalMoves(b.pos)) << n;
    EXPECT_GE(legal.size(), 18u) << n;
    EXPECT_LE(legal.size(), 21u) << n;
    EXPECT_EQ(b.pos.castlingRights, AllRights) << n;
    EXPECT_TRUE(consistent(b.pos)) << n;
    // Bishops on opposite colours, king between the rooks.
    const size_t b1 = rank.find('b'), b2 = rank.rfind('b');
    EXPECT_NE(b1 % 2, b2 % 2) << n << " " << rank;
    EXPECT_LT(rank.find('r'), rank.find('k')) << rank;
    EXPECT_GT(rank.rfind('r'), rank.find('k')) << rank;
    EXPECT_EQ(b.setup->rookSquare[0], makeSquare(int(rank.rfind('r')), 7)) << n;
    EXPECT_EQ(b.setup->rookSquare[3], makeSquare(int(rank.find('r')), 0)) << n;
  }
  EXPECT_EQ(arrays.size(), 960u);
}

TEST(Chess960Setup, NumbersOutOfRangeAreRefused) {
  Board b = boardFromFen(StartFen);
  const Position before = b.pos;
  EXPECT_FALSE(setupChess960(b.pos, -1, *b.setup));
  EXPECT_FALSE(setupChess960(b.pos, 960, *b.setup));
  EXPECT_TRUE(samePosition(b.pos, before));
}

// ---- Board transformations -----------------------------------------------------------

TEST(FlipColours, SwapTwiceGivesTheOriginal) {
  int compared = 0;
  for (const Board& b : randomPositions()) {
    if (b.pos.epSquare != NoSquare) continue;
    Position once, twice;
    flipColours(b.pos, once, FlipSwapColours);
    flipColours(once, twice, FlipSwapColours);
    EXPECT_TRUE(consistent(once));
    EXPECT_TRUE(std::equal(std::begin(twice.board), std::end(twice.board), std::begin(b.pos.board))) << b.fen();
    EXPECT_EQ(twice.sideToMove, b.pos.sideToMove);
    EXPECT_EQ(once.sideToMove, ~b.pos.sideToMove);
    EXPECT_EQ(once.fiftyCounter, b.pos.fiftyCounter);
    EXPECT_EQ(once.ply, 0);
    for (int s = 0; s < 64; ++s) {
      const PieceCode p = b.pos.board[s];
      EXPECT_EQ(once.board[s ^ 56], p == Empty ? Empty : PieceCode(p ^ 8));
    }
    if (++compared == 300 || HasFailure()) break;
  }
}

// Swapping the colours mirrors the game tree, so the leaf counts stay; en passant
// is dropped by the swap, so positions with a square are left out.
TEST(FlipColours, SwapKeepsPerft) {
  int compared = 0;
  for (const Board& b : randomPositions()) {
    if (b.pos.epSquare != NoSquare) continue;
    Position swapped;
    flipColours(b.pos, swapped, FlipSwapColours);
    const int swappedRights = ((b.pos.castlingRights & 3) << 2) | (b.pos.castlingRights >> 2);
    if (swapped.castlingRights != swappedRights) continue;  // the shared rook record does not fit
    EXPECT_EQ(perft(swapped, 3), perft(b.pos, 3)) << b.fen();
    if (++compared == 60 || HasFailure()) break;
  }
  EXPECT_EQ(compared, 60);
  const Board kiwipete = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  Position swapped;
  flipColours(kiwipete.pos, swapped, FlipSwapColours);
  EXPECT_EQ(toFen(swapped), "r3k2r/pppbbppp/2n2q1P/1P2p3/3pn3/BN2PNP1/P1PPQPB1/R3K2R b KQkq - 0 1");
  EXPECT_EQ(perft(swapped, 3), 97862u);
}

TEST(FlipColours, RotateTurnsTheBoard) {
  const Board b = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 7 1");
  Position rotated;
  flipColours(b.pos, rotated, FlipRotate);
  for (int s = 0; s < 64; ++s) EXPECT_EQ(rotated.board[63 - s], b.pos.board[s]);
  EXPECT_EQ(rotated.sideToMove, White);
  EXPECT_EQ(rotated.epSquare, NoSquare);
  EXPECT_EQ(rotated.fiftyCounter, 7);
  EXPECT_EQ(rotated.ply, 0);
  EXPECT_TRUE(consistent(rotated));
}

}  // namespace
}  // namespace tarn::test
