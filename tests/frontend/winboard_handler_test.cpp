// The minimal WinBoard handler on literal lines.
#include "frontend/winboard.h"

#include <gtest/gtest.h>

#include "board/fen.h"
#include "frontend/frontend_test_support.h"

namespace tarn::test {
namespace {

class WinBoardHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initBoardTables();
    chess960Mode = false;
    state.active = &active;
  }
  void TearDown() override { chess960Mode = false; }

  std::vector<std::string> send(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) handler.handleLine(line);
    return captured.take();
  }
  std::string fen() const { return toFen(state.game.position); }

  Settings active;
  EngineState state;
  CapturedOutput captured;
  WinBoardHandler handler{state, captured.out()};
};

TEST_F(WinBoardHandlerTest, ProtoverAnswersWithThreeFeatureLines) {
  EXPECT_EQ(send({"protover 2"}), (std::vector<std::string>{
                                      "feature myname=\"TarnChess Blitz 2.83 avx2\" name=1 setboard=1 ping=1 smp=1",
                                      "feature variants=\"normal,fischerandom\"",
                                      "feature done=1",
                                  }));
}

TEST_F(WinBoardHandlerTest, PingAnswersPong) {
  EXPECT_EQ(send({"ping 7", "ping", "ping x", "ping -3"}),
            (std::vector<std::string>{"pong 7", "pong 0", "pong 0", "pong -3"}));
}

TEST_F(WinBoardHandlerTest, BoardCommandsWaitForTheGame) {
  // Before the loop has set the game up (the first line), they do nothing.
  EXPECT_TRUE(send({"e2e4", "setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "new"}).empty());
  EXPECT_FALSE(state.game.hasPosition());
}

TEST_F(WinBoardHandlerTest, OpponentMovesArePlayed) {
  state.newGame();
  send({"e2e4", "e7e5", "g1f3"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
  EXPECT_EQ(state.game.record.count, 3);
  send({"e2e4"});  // illegal now: not played
  EXPECT_EQ(state.game.record.count, 3);
}

TEST_F(WinBoardHandlerTest, CastlingAsOpponentMove) {
  state.newGame();
  send({"setboard r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1", "O-O", "O-O-O"});
  EXPECT_EQ(fen(), "2kr3r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 w - - 2 2");
}

TEST_F(WinBoardHandlerTest, SetBoardAndNew) {
  state.newGame();
  send({"setboard 4k3/8/8/8/8/8/4P3/4K3 b - - 0 1"});
  EXPECT_EQ(fen(), "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");
  EXPECT_EQ(toFen(state.game.record.start), "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");
  send({"setboard nonsense"});
  EXPECT_EQ(fen(), "4k3/8/8/8/8/8/4P3/4K3 b - - 0 1");

  send({"variant fischerandom", "force"});
  EXPECT_TRUE(isChess960());
  EXPECT_EQ(state.engineColor, EnginePlaysNeither);
  state.options.depthLimit = 7;
  send({"new"});
  EXPECT_FALSE(isChess960());
  EXPECT_EQ(fen(), StartFen);
  EXPECT_EQ(state.engineColor, EnginePlaysBlack);
  EXPECT_EQ(state.options.depthLimit, 100);
}

TEST_F(WinBoardHandlerTest, VariantNeedsItsWholeName) {
  send({"variant fischerandomx", "variant normal"});
  EXPECT_FALSE(isChess960());
}

TEST_F(WinBoardHandlerTest, QuitAndIgnoredLines) {
  state.newGame();
  EXPECT_TRUE(send({"xboard", "accepted setboard", "level 40 5 0", "post", "hard", "time 3000", "otim 3000", "",
                    "quitting"})
                  .empty());
  EXPECT_FALSE(state.quit);
  EXPECT_EQ(fen(), StartFen);
  EXPECT_FALSE(handler.handleLine("quit"));
  EXPECT_TRUE(state.quit);
}

TEST(WinBoardMoveTest, WhatLooksLikeAMove) {
  for (const char* move : {"e2e4", "e7e8q", "a1h8", "O-O", "O-O-O", "xO-O"}) EXPECT_TRUE(looksLikeWinBoardMove(move)) << move;
  for (const char* other : {"e4", "Nf3", "ping", "new", "o-o", "0-0", "e2e", ""})
    EXPECT_FALSE(looksLikeWinBoardMove(other)) << other;
}

TEST_F(WinBoardHandlerTest, LoopSetsUpTheGameAndEndsOnQuit) {
  std::FILE* input = std::tmpfile();
  const std::string text = "e2e4\nping 1\nquit\nping 2\n";
  std::fwrite(text.data(), 1, text.size(), input);
  std::rewind(input);
  LineReader reader(input);
  runWinBoardLoop(state, captured.out(), reader);
  std::fclose(input);
  EXPECT_EQ(captured.take(), std::vector<std::string>{"pong 1"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
  EXPECT_EQ(state.engineColor, EnginePlaysBlack);
}

TEST_F(WinBoardHandlerTest, LoopEndsAtOnceWhenTheFirstLineQuit) {
  handler.handleLine("quit");
  std::FILE* input = std::tmpfile();
  std::fputs("ping 1\n", input);
  std::rewind(input);
  LineReader reader(input);
  runWinBoardLoop(state, captured.out(), reader);
  std::fclose(input);
  EXPECT_TRUE(captured.take().empty());
}

}  // namespace
}  // namespace tarn::test
