// The committed archive and the probe: agreement with Syzygy results derived
// offline (tests/data/bitbases/), colour symmetry, the consistency of table 5
// (no Syzygy table covers it) with the tables its moves lead to, and the
// scores the evaluation returns for the endings the tables cover.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "eval/nn/network_set.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbases.h"

namespace tarn {
namespace {

const std::string ArchiveFolder = std::string(TARN_TEST_DATA) + "/../../data";

// A decisive bitbase score is far above any drawn one.
constexpr int WinThreshold = 300;

struct BitbaseProbeTest : ::testing::Test {
  static void SetUpTestSuite() {
    initZobrist();
    initAttackTables();
    initEvaluation();
    std::vector<uint8_t> set;
    readBitbaseSet(ArchiveFolder + "/EndgameBitbases.tbb", set);
    tables = new BitbaseSet;
    loaded = tables->load(set);
  }
  static void TearDownTestSuite() { delete tables; }

  static inline BitbaseSet* tables = nullptr;
  static inline int loaded = 0;
  CastlingSetup setup{};

  Position read(const std::string& fen) {
    Position pos{};
    const char* message = nullptr;
    EXPECT_TRUE(readFen(pos, fen, setup, &message)) << fen << ": " << (message ? message : "");
    return pos;
  }
  // The score from White's point of view; `answered` tells whether a table covered it.
  int whiteScore(const Position& pos, bool& answered) const {
    int score = 0;
    answered = probeBitbases(*tables, pos, score);
    return pos.sideToMove == White ? score : -score;
  }
};

TEST_F(BitbaseProbeTest, CommittedArchiveLoadsAllNine) { EXPECT_EQ(loaded, BitbaseCount); }

// Lines "FEN;wdl": the Syzygy result for the side to move (2 win, 1 win only
// without the fifty-move rule, 0 draw, -1, -2 the losses).
TEST_F(BitbaseProbeTest, AgreesWithSyzygyOnTheCommittedSample) {
  std::ifstream in(std::string(TARN_TEST_DATA) + "/bitbases/syzygy_sample.txt");
  ASSERT_TRUE(in) << "missing sample";
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t sep = line.rfind(';');
    const std::string fen = line.substr(0, sep);
    const int wdl = std::stoi(line.substr(sep + 1));
    const Position pos = read(fen);
    const int whiteWdl = pos.sideToMove == White ? wdl : -wdl;
    bool answered;
    const int score = whiteScore(pos, answered);
    ASSERT_TRUE(answered) << fen;
    if (whiteWdl > 0)
      EXPECT_GE(score, WinThreshold) << fen;
    else if (whiteWdl < 0 && pos.pieces(Pawn) == (pos.occupied & ~pos.pieces(King)))
      EXPECT_LE(score, -WinThreshold) << fen;  // a pawn each: the second probe finds Black's win
    else  // a draw, or a piece ending the strong side does not win: the tables know no more
      EXPECT_LT(std::abs(score), WinThreshold) << fen;

    // The colour-swapped twin reads the other side's orientation of the same
    // table and must give the same score for the side to move; a queen that
    // cannot win keeps an edge rounded towards minus infinity, so those differ.
    Position twin{};
    flipColours(pos, twin, FlipSwapColours);
    int a = 0, b = 0;
    ASSERT_TRUE(probeBitbases(*tables, pos, a));
    ASSERT_TRUE(probeBitbases(*tables, twin, b)) << fen;
    const bool queenDraw = (pos.pieces(Queen) != 0) && whiteWdl <= 0;
    if (!queenDraw) {
      EXPECT_EQ(a, b) << fen;
    }
    ++checked;
  }
  EXPECT_GE(checked, 2000);
}

// Table 5 has no Syzygy table to compare with: every position whose moves
// stay within the tables (no promotion, no en-passant right) must be won
// exactly when its moves say so, judged by the tables of its successors.
TEST_F(BitbaseProbeTest, TableFiveAgreesWithItsSuccessors) {
  std::mt19937 rng(2024);
  int checked = 0, wins = 0;
  for (int attempt = 0; attempt < 6000; ++attempt) {
    const int weakPawn = 8 + int(rng() % 40), freePawn = 8 + int(rng() % 48);
    const int wk = int(rng() % 64), bk = int(rng() % 64);
    char board[64] = {};
    const int squares[5] = {weakPawn, weakPawn + 8, freePawn, wk, bk};
    const char pieces[5] = {'p', 'P', 'P', 'K', 'k'};
    bool clash = false;
    for (int i = 0; i < 5; ++i) {
      clash |= board[squares[i]] != 0;
      board[squares[i]] = pieces[i];
    }
    if (clash) continue;
    std::string fen;
    for (int row = 0; row < 8; ++row) {
      for (int file = 0, empty = 0; file < 8; ++file) {
        const char c = board[row * 8 + file];
        if (c) {
          if (empty) fen += char('0' + empty);
          empty = 0;
          fen += c;
        } else if (++empty, file == 7) {
          fen += char('0' + empty);
        }
      }
      if (row < 7) fen += '/';
    }
    fen += rng() % 2 ? " w - - 0 1" : " b - - 0 1";
    Position pos{};
    if (!readFen(pos, fen, setup)) continue;  // kings touching or the side not to move in check

    MoveList moves;
    generateLegal(pos, moves);
    bool covered = true, anyWin = false, allWin = true;
    for (const Move m : moves) {
      Position next = pos;
      makeMoveChecked(next, m);
      bool answered;
      const bool win = whiteScore(next, answered) >= WinThreshold;
      covered &= answered && (next.pieces(Knight) | next.pieces(Bishop) | next.pieces(Rook) | next.pieces(Queen)) == 0;
      anyWin |= win;
      allWin &= win;
    }
    if (!covered) continue;
    bool answered;
    const bool win = whiteScore(pos, answered) >= WinThreshold;
    ASSERT_TRUE(answered) << fen;
    bool expected;
    if (moves.empty())
      expected = pos.sideToMove == Black && pos.inCheck();
    else
      expected = pos.sideToMove == White ? anyWin : allWin;
    EXPECT_EQ(win, expected) << fen;
    ++checked;
    wins += win;
  }
  EXPECT_GE(checked, 1000);
  EXPECT_GT(wins, 100);
  EXPECT_LT(wins, checked);
}

// Table 5 covers blocked pairs only; other pawn placements get no answer.
TEST_F(BitbaseProbeTest, TableFiveAnswersOnlyBlockedPairs) {
  bool answered;
  whiteScore(read("8/8/3k4/3p4/3P4/8/6P1/6K1 w - - 0 1"), answered);
  EXPECT_TRUE(answered);
  whiteScore(read("8/8/3k4/2p5/3P4/8/6P1/6K1 w - - 0 1"), answered);
  EXPECT_FALSE(answered);
}

TEST_F(BitbaseProbeTest, NoAnswerWhileEnPassantIsPossible) {
  bool answered;
  whiteScore(read("8/8/8/3pP3/8/8/k7/7K w - d6 0 1"), answered);
  EXPECT_FALSE(answered);
  whiteScore(read("8/8/8/3pP3/8/8/k7/7K w - - 0 1"), answered);
  EXPECT_TRUE(answered);
}

// A pawn on the h-file is looked up in the a-file slice: mirrored twins agree.
TEST_F(BitbaseProbeTest, MirroredFilesShareOneSlice) {
  const char* pairs[][2] = {
      {"7k/8/7K/7P/8/8/8/8 w - - 0 1", "k7/8/K7/P7/8/8/8/8 w - - 0 1"},
      {"8/8/8/8/8/5k2/7P/7K b - - 0 1", "8/8/8/8/8/2k5/P7/K7 b - - 0 1"},
      {"8/6k1/8/8/5K2/8/6PN/8 w - - 0 1", "8/1k6/8/8/2K5/8/NP6/8 w - - 0 1"},
  };
  for (const auto& pair : pairs) {
    int a = 0, b = 0;
    ASSERT_TRUE(probeBitbases(*tables, read(pair[0]), a)) << pair[0];
    ASSERT_TRUE(probeBitbases(*tables, read(pair[1]), b)) << pair[1];
    EXPECT_EQ(a, b) << pair[0];
  }
  EXPECT_EQ(indexKPK(H1, A8, H2, true), indexKPK(A1, H8, A2, true));
}

// The evaluation returns the bitbase score as it is, unrounded.
struct BitbaseEvaluationTest : BitbaseProbeTest {
  void SetUp() override {
    nn::loadNetworkFile(nn::networks(), "/nonexistent/NeuralNets.tnn");
    ASSERT_EQ(loadBitbases(ArchiveFolder), BitbaseCount);
  }
  void TearDown() override { loadBitbases("/nonexistent"); }
  int eval(const std::string& fen) {
    const Position pos = read(fen);
    ctx->clear();
    return evaluate(pos, *ctx);
  }
  std::unique_ptr<EvalContext> ctx = std::make_unique<EvalContext>();
};

TEST_F(BitbaseEvaluationTest, PawnEndingsGetDecisiveScoresOrZero) {
  // King in front of its pawn on the sixth rank: won, 96 + 900 + 4 * (24 - 2 * 2 - 3).
  EXPECT_EQ(eval("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1"), -(96 + 900 + 68));
  // Black holds the opposition in front of the pawn: drawn, and so is stalemate.
  EXPECT_EQ(eval("8/8/4k3/8/8/4K3/4P3/8 b - - 0 1"), 0);
  EXPECT_EQ(eval("4k3/4P3/4K3/8/8/8/8/8 b - - 0 1"), 0);
  // The same for Black, seen from the other side: 4 * (3 + 2 * 5 + 4).
  EXPECT_EQ(eval("8/8/8/8/4p3/4k3/8/4K3 w - - 0 1"), -(96 + 900 + 68));
  // Two pawns against none: 192 + 900 + 4 * (24 - 2 * 5 - 6).
  EXPECT_EQ(eval("8/8/1k6/8/8/4K3/2P1P3/8 w - - 0 1"), 192 + 900 + 4 * (24 - 10 - 6));
}

// A pawn each: White cannot win, so the second probe finds Black's win.
TEST_F(BitbaseEvaluationTest, APawnEachProbesBothSides) {
  // Black queens first and wins: -900 - 4 * (3 + 2 * 5 + 6), White to move.
  EXPECT_EQ(eval("K7/8/8/8/8/2k5/P6p/8 w - - 0 1"), -(900 + 4 * (3 + 10 + 6)));
  // Blocked pawns and kings far from them: nobody wins.
  EXPECT_EQ(eval("k7/8/8/3p4/3P4/8/8/7K w - - 0 1"), 0);
}

TEST_F(BitbaseEvaluationTest, PieceEndingsRefineByKingDistances) {
  // Queen against a pawn far from promotion, kings 4 apart, the white king 2
  // from the pawn: 932 + 200 - 6 * 4 - 8 * 2.
  EXPECT_EQ(eval("8/8/8/2k5/8/p7/8/K6Q w - - 0 1"), 932 + 200 - 6 * 4 - 8 * 2);
  // The same with Black to move, and for Black's queen.
  EXPECT_EQ(eval("8/8/8/2k5/8/p7/8/K6Q b - - 0 1"), -(932 + 200 - 6 * 4 - 8 * 2));
  EXPECT_EQ(eval("k6q/8/P7/8/2K5/8/8/8 b - - 0 1"), 932 + 200 - 6 * 4 - 8 * 2);
}

// The queen cannot stop a bishop's pawn on the seventh with its king beside it:
// the score is (d >> 6) + (d >> 5) of d = 932, then the distance terms.
TEST_F(BitbaseEvaluationTest, QueenAgainstPawnOnASetBitKeepsASmallEdge) {
  // Kings 7 apart: 43 - 42 = 1; the white king 6 from the pawn: 1 - 48 < 0,
  // so the black term follows, 4 * (3 + 2 * 7 + 6).
  const int d = 1028 - 96;
  EXPECT_EQ((d >> 6) + (d >> 5), 43);
  EXPECT_EQ(eval("7K/8/6Q1/8/8/8/2p5/1k6 w - - 0 1"), 43 - 42 - 48 - 92);
}

}  // namespace
}  // namespace tarn
