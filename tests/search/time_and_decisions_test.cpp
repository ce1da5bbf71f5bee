// Time budgets and the game-level decisions.
#include <gtest/gtest.h>

#include "board/game_record.h"
#include "search/game_decisions.h"
#include "search/time_management.h"
#include "search_test_helpers.h"

namespace tarn::test {
namespace {

struct TimeTest : ::testing::Test {
  void SetUp() override {
    ponderingEnabled = false;
    firstSearchOfGame = false;
  }
};

TEST_F(TimeTest, TenSecondsWithoutIncrement) {
  const TimeBudget b = allocateTime(10.0, 0.0);
  EXPECT_NEAR(b.target, 9.5 / 40, 1e-9);
  EXPECT_NEAR(b.extra, 0.890625, 1e-9);
}

TEST_F(TimeTest, TwoMinutesWithIncrement) {
  const TimeBudget b = allocateTime(120.0, 2.0);
  EXPECT_NEAR(b.target, 120.0 / 34 + 1.6, 1e-9);
  EXPECT_NEAR(b.extra, 3.75 * b.target, 1e-9);
}

TEST_F(TimeTest, FirstSearchAndPonderingChangeTheShare) {
  firstSearchOfGame = true;
  EXPECT_NEAR(allocateTime(100.0, 0.0).target, 100.0 / 40 * 1.25, 1e-9);
  firstSearchOfGame = false;
  ponderingEnabled = true;
  EXPECT_NEAR(allocateTime(100.0, 0.0).target, 100.0 / 34, 1e-9);
}

TEST_F(TimeTest, MovesToGo) {
  const TimeBudget b = allocateTimeMovesToGo(1, 5.0, 0.0);
  EXPECT_NEAR(b.target, 2.0, 1e-9);
  EXPECT_NEAR(b.extra, 0.9, 1e-9);
  // Never more than about 71% of what is left, never less than a millisecond.
  EXPECT_LE(allocateTimeMovesToGo(0, 1.0, 10.0).target, 0.71428573 + 1e-9);
  EXPECT_GE(allocateTime(0.0, 0.0).target, 0.001);
}

TEST_F(TimeTest, RepeatingControlCountsTheMovesLeft) {
  // 40 moves in the control, 10 played: 30 to go with 60 s.
  const TimeBudget b = allocateTime(60.0, 0.0, 40, 20);
  EXPECT_NEAR(b.target, 59.5 / 31.5, 1e-9);
}

struct DecisionTest : ::testing::Test {
  void SetUp() override { resetGameDecisions(); }
};

TEST_F(DecisionTest, ResignsOnlyOnTheFourthLostMoveInARow) {
  // White has a queen against a bare king.
  TestPosition p("4k3/8/8/8/8/8/3Q4/4K3 b - - 0 60");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(decideAfterEngineMove(-900, Black, p.pos, true, true, false), EngineDecision::None);
  EXPECT_EQ(decideAfterEngineMove(-680, Black, p.pos, true, true, false), EngineDecision::None);  // resets
  for (int i = 0; i < 3; ++i) decideAfterEngineMove(-900, Black, p.pos, true, true, false);
  EXPECT_EQ(decideAfterEngineMove(-900, Black, p.pos, true, true, false), EngineDecision::Resign);
  // With resigning switched off the engine plays on.
  resetGameDecisions();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(decideAfterEngineMove(-900, Black, p.pos, false, true, false), EngineDecision::None);
}

TEST_F(DecisionTest, OffersADrawOnTheFifthDrawishMoveThenWaits) {
  TestPosition p("4k3/8/8/8/8/8/8/4K2R w - - 0 60");
  int offers = 0, firstOffer = -1;
  for (int move = 0; move < 20; ++move)
    if (decideAfterEngineMove(0, White, p.pos, true, true, false) == EngineDecision::OfferDraw) {
      if (firstOffer < 0) firstOffer = move;
      ++offers;
    }
  EXPECT_EQ(firstOffer, 4);
  EXPECT_EQ(offers, 2);  // at moves 4 and 12: the count restarts at -3 after an offer
  EXPECT_TRUE(acceptsDraw(false, false, 0, true));
  EXPECT_FALSE(acceptsDraw(false, false, 0, false));
}

TEST(GameOver, MateStalemateAndDraws) {
  const char* text = nullptr;
  TestPosition mate("7k/6Q1/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(checkGameOver(mate.pos, 0, &text), WhiteWon);
  EXPECT_STREQ(text, "Check Mate!");
  TestPosition stalemate("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
  EXPECT_EQ(checkGameOver(stalemate.pos, 0, &text), GameDrawn);
  EXPECT_STREQ(text, "Draw by Stalemate");
  TestPosition running("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  EXPECT_EQ(checkGameOver(running.pos, 1, &text), GameRunning);
  EXPECT_EQ(checkGameOver(running.pos, 2, &text), GameDrawn);
  EXPECT_STREQ(text, "Draw by Repetition");
  TestPosition fifty("4k3/8/8/8/8/8/8/R3K3 w - - 100 80");
  EXPECT_EQ(checkGameOver(fifty.pos, 0, &text), GameDrawn);
  EXPECT_STREQ(text, "Draw by 50-move rule");
  TestPosition bare("4k3/8/8/8/8/8/8/2B1K3 w - - 0 1");
  EXPECT_EQ(checkGameOver(bare.pos, 0, &text), GameDrawn);
  EXPECT_STREQ(text, "Draw by insuffucient material to mate ");
}

}  // namespace
}  // namespace tarn::test
