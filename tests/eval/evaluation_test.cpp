#include "eval/evaluate.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/eval_params.h"
#include "eval/material_info.h"
#include "eval/nn/network_set.h"
#include "eval/pawnless.h"
#include "eval/score_text.h"

namespace tarn {
namespace {

struct EvalTest : ::testing::Test {
  static void SetUpTestSuite() {
    initZobrist();
    initAttackTables();
    initEvaluation();
  }
  // These tests are about the hand-crafted evaluation: other suites may have
  // loaded networks into the engine's set, so every test starts without them.
  void SetUp() override { nn::loadNetworkFile(nn::networks(), "/nonexistent/NeuralNets.tnn"); }
  std::unique_ptr<EvalContext> ctx = std::make_unique<EvalContext>();
  CastlingSetup setup{};

  Position read(const std::string& fen) {
    Position pos{};
    const char* message = nullptr;
    EXPECT_TRUE(readFen(pos, fen, setup, &message)) << fen << ": " << (message ? message : "");
    return pos;
  }
  Position mirror(const Position& pos) {
    Position twin{};
    flipColours(pos, twin, FlipSwapColours);
    return twin;
  }
};

// Positions of every kind: openings, middle games with imbalances, endings with
// and without pawns. No castling rights, so the colour swap keeps everything.
const char* const SymmetryFens[] = {
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w - - 0 1",
    "r2q1rk1/1b2bppp/p1n1pn2/1p6/3P4/P1NB1N2/1P2QPPP/R1B2RK1 b - - 0 1",
    "2r3k1/5pp1/p2p3p/1p1Pp3/1P2P1n1/P4N1P/5PP1/2R3K1 w - - 0 1",
    "8/5pk1/6p1/3P4/2K5/8/6PP/8 b - - 0 1",
    "6k1/8/4R3/8/3p4/8/2r5/6K1 w - - 0 1",
    "3qr1k1/1p3pp1/p2p3p/P2Pn3/1P2Q3/7P/5PP1/4R1K1 w - - 0 1",
    "r4rk1/pp3ppp/2p1b3/8/2B1n3/2N5/PPP2PPP/R4RK1 w - - 0 1",
    "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1",
    "7k/8/8/8/8/8/8/KR6 w - - 0 1",
    "2k5/8/8/3b4/8/8/2N5/4K3 w - - 0 1",
    "8/8/4k3/8/2N5/8/8/2B1K3 b - - 0 1",
    "6k1/5ppp/8/8/8/8/Q4PPP/6K1 w - - 0 1",
    "1q4k1/6p1/8/8/8/8/6P1/3RR1K1 w - - 0 1",
    "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w - - 0 1",
};

TEST_F(EvalTest, ColourMirrorScoresTheSameForTheSideToMove) {
  for (const char* fen : SymmetryFens) {
    const Position pos = read(fen);
    const Position twin = mirror(pos);
    ctx->clear();
    const int a = evaluate(pos, *ctx);
    ctx->clear();
    const int b = evaluate(twin, *ctx);
    EXPECT_EQ(a, b) << fen;
  }
}

// The hand-crafted path must be symmetric in every position a game can reach,
// not only in the handful above: play random games and compare each position
// with its mirror.
TEST_F(EvalTest, ColourMirrorHoldsAlongRandomGames) {
  std::mt19937 rng(20261208);
  for (int game = 0; game < 40; ++game) {
    Position pos = read(StartFenShort);
    for (int ply = 0; ply < 160; ++ply) {
      MoveList list;
      generateLegal(pos, list);
      if (list.empty()) break;
      makeMoveChecked(pos, list[int(rng() % unsigned(list.size()))]);
      if (pos.castlingRights) continue;  // the shared castling record is not mirrored
      const Position twin = mirror(pos);
      const int a = evaluate(pos, *ctx), b = evaluate(twin, *ctx);
      ASSERT_EQ(a, b) << toFen(pos);
    }
  }
}

TEST_F(EvalTest, ScoresAreMultiplesOfFourOffTheEndgameRules) {
  for (const char* fen : SymmetryFens) {
    const Position pos = read(fen);
    if (!pos.pieceBB[Pawn]) continue;
    EXPECT_EQ(evaluate(pos, *ctx) % 4, 0) << fen;
  }
}

TEST_F(EvalTest, KingAndPawnsWithoutAMoveIsStalemate) {
  // Black: king a8 boxed in by the white king, pawn a7 blocked.
  const Position pos = read("k7/p1K5/P7/8/8/8/8/8 b - - 0 1");
  EXPECT_TRUE(isPawnStalemate(pos));
  EXPECT_EQ(evaluate(pos, *ctx), 0);
  // With a pawn push available it is not.
  EXPECT_FALSE(isPawnStalemate(read("k7/p7/2K5/8/8/8/8/8 b - - 0 1")));
  // In check it is not either.
  EXPECT_FALSE(isPawnStalemate(read("k7/p1Q5/2K5/8/8/8/8/8 b - - 0 1")));
}

TEST_F(EvalTest, PawnlessEndings) {
  struct Case {
    const char* fen;
    int expectSign;  // +1 win for the side to move, -1 loss, 0 exact draw
  };
  const Case cases[] = {
      {"8/8/4k3/8/8/3NN3/8/4K3 w - - 0 1", 2},   // two knights: +1 exactly
      {"8/8/4k3/8/8/3NN3/8/4K3 b - - 0 1", -2},  // -1 exactly
      {"8/8/4k3/8/8/3B4/8/4K3 w - - 0 1", 0},    // lone bishop
      {"8/8/4k3/8/8/3n4/8/4KB2 w - - 0 1", 0},   // bishop against knight
      {"8/8/4k3/8/8/8/8/4K1R1 w - - 0 1", 1},    // rook mates
      {"8/8/4k3/8/8/8/8/4K1R1 b - - 0 1", -1},
      {"8/8/4k3/8/8/8/8/3QK3 w - - 0 1", 1},
  };
  for (const Case& c : cases) {
    const int score = evaluate(read(c.fen), *ctx);
    switch (c.expectSign) {
      case 2: EXPECT_EQ(score, 1) << c.fen; break;
      case -2: EXPECT_EQ(score, -1) << c.fen; break;
      case 0: EXPECT_EQ(score, 0) << c.fen; break;
      case 1: EXPECT_GT(score, 500) << c.fen; break;
      default: EXPECT_LT(score, -500) << c.fen; break;
    }
  }
}

TEST_F(EvalTest, BishopAndKnightDriveTheKingToTheRightCorner) {
  // Light-squared bishop: a8 and h1 are the mating corners.
  const int rightCorner = evaluate(read("k7/8/8/8/8/8/8/1B1NK3 w - - 0 1"), *ctx);
  const int wrongCorner = evaluate(read("7k/8/8/8/8/8/8/1B1NK3 w - - 0 1"), *ctx);
  EXPECT_GT(rightCorner, wrongCorner);
}

TEST_F(EvalTest, ContemptTapersWithTheRootSidesStrength) {
  // Contempt middle 20, end 0; White's strength: rook + bishop + knight (1204) plus... use the
  // material of the position: queen (1028 + 410) + rook (532) + knight (328) = 2298.
  const Position pos = read("6k1/5ppp/8/8/8/8/5PPP/1NR1Q1K1 w - - 0 1");
  ctx->contemptMid = 0;
  ctx->contemptEnd = 0;
  ctx->contemptSide = White;
  const int base = evaluate(pos, *ctx);
  ctx->contemptMid = 20;
  const int with = evaluate(pos, *ctx);
  // 0 + 20 * (2298 - 1400) / 1800 = 9 (truncated), then rounding to 4.
  EXPECT_NEAR(with - base, 9, 3);
  // Seen from Black's root, Black's strength (pawns only) gives the end-game value 0.
  ctx->contemptSide = Black;
  EXPECT_EQ(evaluate(pos, *ctx), base);
  ctx->contemptEnd = 8;
  EXPECT_NEAR(evaluate(pos, *ctx) - base, -8, 3);
}

TEST_F(EvalTest, MaterialInfoFollowsTheMaterial) {
  MaterialInfo mi;
  const Position start = read(StartFenShort);
  getMaterialInfo(mi, start);
  EXPECT_EQ(mi.phase, MaxPhase);
  EXPECT_EQ(mgOf(mi.materialBonus), 0);
  // A queen up without the opponent's queen earns the 200 bonus.
  const Position up = read("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - - 0 1");
  getMaterialInfo(mi, up);
  EXPECT_EQ(mgOf(mi.materialBonus), 1028 + 200);
  EXPECT_EQ(egOf(mi.materialBonus), 1028 + 200);
  EXPECT_EQ(mi.strength[White], 410 + 1028 + 2 * 532 + 2 * 344 + 2 * 328);
  // Bishops on squares of other colours change the key.
  const uint32_t k1 = materialKey(read("4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1"));
  const uint32_t k2 = materialKey(read("4k1b1/8/8/8/8/8/8/2B1K3 w - - 0 1"));
  EXPECT_NE(k1, k2);
  EXPECT_EQ(gamePhase(1150), 0);
  EXPECT_EQ(gamePhase(2700), MaxPhase);
  EXPECT_EQ(gamePhase(1925), 64);
}

TEST_F(EvalTest, UnloadedNetworksLeaveTheHandCraftedEvaluation) {
  // Without a network file every network is unloaded: a middle-game position
  // with material to spare must still get a clear score, not about 0.
  ASSERT_EQ(nn::networks().loadedCount(), 0);
  const Position pos = read("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w - - 0 1");
  const Position rookUp = read("1nbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w - - 0 1");
  EXPECT_GT(evaluate(rookUp, *ctx) - evaluate(pos, *ctx), 300);
}

TEST_F(EvalTest, ScoreTexts) {
  EXPECT_EQ(shortScoreText(124, White, false), "1.24");
  EXPECT_EQ(shortScoreText(-8, White, false), "-0.08");
  EXPECT_EQ(shortScoreText(-8, Black, true), "0.08");
  EXPECT_EQ(shortScoreText(9995, White, false), "M3");
  EXPECT_EQ(shortScoreText(9995, Black, false), "-M3");
  EXPECT_EQ(shortScoreText(9500, White, false), "M...");
  EXPECT_EQ(shortScoreText(-30000, White, false), "invalid");
}

TEST_F(EvalTest, DisplayTextListsTheTerms) {
  const Position pos = read("2r3k1/5pp1/p2p3p/1p1Pp3/1P2P1n1/P4N1P/5PP1/2R3K1 w - - 0 1");
  const std::string text = evalDisplayText(pos, *ctx, false);
  EXPECT_EQ(text.rfind("Eval = ", 0), 0u);
  // Rook and knight each: the general endgame network covers it.
  EXPECT_NE(text.find("Net: GeneralEndgame (11)\nNetEval : 0.00\n"), std::string::npos);
  EXPECT_NE(text.find(" Material:"), std::string::npos);
  EXPECT_NE(text.find("  SqTable:"), std::string::npos);
  EXPECT_NE(text.find("   Pieces:"), std::string::npos);
}

}  // namespace
}  // namespace tarn
