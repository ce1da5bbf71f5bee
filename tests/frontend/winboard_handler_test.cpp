// The WinBoard handler on literal lines: commands, clocks, the engine's moves,
// pondering, claims, the game log and the book's lesson after a lost game.
#include "frontend/winboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "board/fen.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "frontend/engine_book.h"
#include "frontend/pgn_test_support.h"
#include "platform/executable_folder.h"
#include "search/search_control.h"

namespace tarn::test {
namespace {

class WinBoardHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initBoardTables();
    chess960Mode = false;
    active = engineSettings;
    addEngineDefaults(active);
    active.set("BookEnabled", "0");
    active.set("LogGames", "0");
    state.active = &active;
  }
  void TearDown() override { chess960Mode = false; }

  std::vector<std::string> send(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) handler.handleLine(line);
    return captured.take();
  }
  // Sends the lines, then waits until the engine has answered with "move" or more.
  std::vector<std::string> sendAndWait(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) handler.handleLine(line);
    waitUntilIdle();
    return captured.take();
  }
  // What is printed until a "move" line arrives (the engine may go on pondering).
  std::vector<std::string> untilMove() {
    std::vector<std::string> lines;
    for (int i = 0; i < 3000 && !has(lines, "move "); ++i) {
      for (std::string& l : captured.take()) lines.push_back(std::move(l));
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return lines;
  }
  std::string fen() const { return toFen(state.game.position); }
  static bool has(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }

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

TEST_F(WinBoardHandlerTest, BoardCommandsWaitForTheSession) {
  // Before the loop has set the game up (the first line), they do nothing.
  EXPECT_EQ(send({"e2e4", "setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "new", "ping 3"}),
            std::vector<std::string>{"pong 3"});
  EXPECT_FALSE(state.game.hasPosition());
}

TEST_F(WinBoardHandlerTest, CommandsAreWholeFirstWords) {
  handler.startSession();
  send({"force"});
  const std::string before = fen();
  EXPECT_TRUE(send({"xboard", "accepted setboard", "rejected ping", "quitting", "newgame", "goforit", "postal",
                    "? now", "levels 40 5 0", "", std::string(20000, 'x')})
                  .empty());
  EXPECT_FALSE(state.quit);
  EXPECT_EQ(fen(), before);
  EXPECT_TRUE(handler.thinkingOutputOn());
  EXPECT_FALSE(handler.handleLine("quit"));
  EXPECT_TRUE(state.quit);
}

TEST_F(WinBoardHandlerTest, LevelTimeStAndSettings) {
  handler.startSession();
  send({"level 40 5 0"});
  EXPECT_EQ(handler.clock().movesPerControl, 40);
  EXPECT_EQ(state.options.clockMinutes, 5);
  EXPECT_EQ(state.options.clockIncrement, 0);
  send({"level 0 2:30 5"});
  EXPECT_EQ(handler.clock().movesPerControl, 0);
  EXPECT_DOUBLE_EQ(state.options.clockMinutes, 2.5);
  EXPECT_EQ(state.options.clockIncrement, 5);
  send({"level 0 1 0.5", "time 4567", "otim 1234.5", "st 3"});
  EXPECT_EQ(state.options.clockIncrement, 0.5);
  EXPECT_EQ(handler.clock().engineCentiseconds, 4567);
  EXPECT_EQ(handler.clock().opponentCentiseconds, 1234.5);
  EXPECT_EQ(handler.clock().secondsPerMove, 3);
  send({"level 40 5 0"});
  EXPECT_EQ(handler.clock().secondsPerMove, 0);  // a clock again

  send({"sd 7", "cores 3", "cores x", "nopost", "hard"});
  EXPECT_EQ(state.options.depthLimit, 7);
  EXPECT_EQ(state.options.threadCount, 3);
  EXPECT_FALSE(handler.thinkingOutputOn());
  EXPECT_TRUE(handler.ponderingOn());
  send({"post", "easy", "cores 999", "name Ann Berg"});
  EXPECT_TRUE(handler.thinkingOutputOn());
  EXPECT_FALSE(handler.ponderingOn());
  EXPECT_EQ(state.options.threadCount, 256);
  EXPECT_STREQ(active.playerName, "Ann Berg");
}

TEST_F(WinBoardHandlerTest, BoardEditingCommands) {
  handler.startSession();
  send({"force", "e2e4", "e7e5", "g1f3"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
  EXPECT_EQ(send({"e2e4"}), std::vector<std::string>{"Illegal move: e2e4"});
  send({"undo"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
  send({"remove"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");

  send({"setboard r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1", "O-O", "O-O-O"});
  EXPECT_EQ(fen(), "2kr3r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 w - - 2 2");
  EXPECT_EQ(send({"setboard nonsense"}), std::vector<std::string>{"tellusererror Illegal position"});
  EXPECT_EQ(fen(), "2kr3r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 w - - 2 2");

  send({"variant fischerandom"});
  EXPECT_TRUE(isChess960());
  send({"sd 5", "new"});
  EXPECT_FALSE(isChess960());
  EXPECT_EQ(fen(), StartFen);
  EXPECT_EQ(state.engineColor, EnginePlaysBlack);
  EXPECT_EQ(state.options.depthLimit, 100);
  send({"variant fischerandomx"});
  EXPECT_FALSE(isChess960());

  const std::vector<std::string> eval = send({"evaluate"});
  ASSERT_EQ(eval.size(), 1u);
  EXPECT_EQ(eval[0].rfind("Evaluation: ", 0), 0u);
}

TEST_F(WinBoardHandlerTest, GoThinksAndPingAnswersAfterTheMove) {
  handler.startSession();
  const std::vector<std::string> lines = send({"sd 3", "go", "ping 7"});
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].rfind("move ", 0), 0u);
  EXPECT_EQ(lines.back(), "pong 7");
  EXPECT_EQ(state.engineColor, EnginePlaysWhite);
  EXPECT_EQ(state.game.record.count, 1);
  // Thinking lines: depth, score, time, nodes, moves.
  EXPECT_TRUE(has(lines, "1 ") || has(lines, "2 ") || has(lines, "3 "));

  // The opponent's move: the engine answers at once as Black's turn is over.
  const std::vector<std::string> after = sendAndWait({"e7e5"});
  EXPECT_TRUE(has(after, "move "));
  EXPECT_EQ(state.game.record.count, 3);
}

TEST_F(WinBoardHandlerTest, ForceKeepsTheEngineQuietAndQuestionMarkMovesNow) {
  handler.startSession();
  EXPECT_TRUE(sendAndWait({"force", "e2e4", "e7e5"}).empty());
  EXPECT_EQ(state.engineColor, EnginePlaysNeither);
  // A long search cut short by "?" alone.
  send({"level 0 60 0", "time 360000", "go"});
  const std::vector<std::string> moved = sendAndWait({"?"});
  EXPECT_TRUE(has(moved, "move "));
}

TEST_F(WinBoardHandlerTest, PonderingOnThePredictedReply) {
  handler.startSession();
  send({"hard", "sd 4", "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", "go"});
  waitForRequestTaken();
  // The engine moved and now ponders on the move it expects.
  for (int i = 0; i < 200 && !ponderSearchPending(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(ponderSearchPending());
  const std::vector<std::string> moved = captured.take();
  ASSERT_TRUE(has(moved, "move "));
  // The reply: the engine answers, from its ponder search or from a new one.
  MoveList legal;
  generateLegal(state.game.position, legal);
  send({moveToCoordinate(legal[0], state.game.position, false)});
  EXPECT_TRUE(has(untilMove(), "move "));
  EXPECT_EQ(state.game.record.count, 3);
  send({"force"});
}

TEST_F(WinBoardHandlerTest, OpponentMovesThatEndTheGameAreClaimed) {
  handler.startSession();
  send({"force"});
  EXPECT_EQ(send({"f2f3", "e7e5", "g2g4", "d8h4"}), std::vector<std::string>{"0-1 {Black Mates}"});
  send({"new", "force"});
  std::vector<std::string> lines;
  for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"})
    for (const std::string& l : send({m})) lines.push_back(l);
  EXPECT_EQ(lines, std::vector<std::string>{"1/2-1/2 {Draw by Repetition}"});
  EXPECT_TRUE(send({"setboard 4k3/8/8/8/8/8/R7/4K3 w - - 100 80"}).empty());
  EXPECT_EQ(send({"a2a3"}), std::vector<std::string>{"1/2-1/2 {Draw by 50 Move Rule}"});
}

TEST_F(WinBoardHandlerTest, ResultLogsTheGameAndTheBookLearnsFromALoss) {
  active.set("LogGames", "1");
  const std::string log = pathBesideExecutable(WinBoardGameLog);
  std::remove(log.c_str());
  handler.startSession();
  // The engine plays Black and loses: its book move into the lost line goes.
  send({"force", "e2e4", "e7e5", "g1f3"});
  replaceOpeningBook();
  openingBook().add(state.game.record.positionAfter(2), 0, true);  // Black's e5
  state.engineColor = EnginePlaysBlack;
  send({"name Ann", "result 1-0 {White wins}"});
  EXPECT_EQ(gameResult, WhiteWon);
  EXPECT_EQ(openingBook().positions(), 0);
  const auto games = readAllGames(readWholeFile(log));
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0]->header.gameNumber, 1);
  EXPECT_EQ(games[0]->header.white, "Ann");
  EXPECT_EQ(games[0]->header.result, "1-0");
  EXPECT_EQ(games[0]->plies(), 3);

  // After "force" the engine plays neither side: nothing to learn.
  openingBook().add(state.game.record.positionAfter(2), 0, true);
  send({"force", "result 1-0"});
  EXPECT_EQ(openingBook().positions(), 1);
  send({"result *"});
  EXPECT_EQ(gameResult, GameDrawn);
  EXPECT_EQ(readAllGames(readWholeFile(log)).size(), 3u);
  std::remove(log.c_str());
  replaceOpeningBook();
}

TEST_F(WinBoardHandlerTest, AnalysisFollowsTheBoardUntilExit) {
  handler.startSession();
  send({"post", "analyze"});
  EXPECT_TRUE(handler.analysing());
  EXPECT_EQ(state.engineColor, EnginePlaysNeither);
  send({"e2e4", "undo", "d2d4"});
  EXPECT_TRUE(searchActive());
  const std::vector<std::string> pong = send({"ping 4"});
  EXPECT_EQ(pong.back(), "pong 4");
  EXPECT_TRUE(searchActive());  // the analysis goes on after the answer
  send({"exit"});
  EXPECT_FALSE(handler.analysing());
  EXPECT_FALSE(searchActive());
  EXPECT_FALSE(has(captured.take(), "move "));
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq - 0 1");
}

TEST_F(WinBoardHandlerTest, LoopSetsUpTheGameAndEndsOnQuit) {
  std::FILE* input = std::tmpfile();
  const std::string text = "force\ne2e4\nping 1\nquit\nping 2\n";
  std::fwrite(text.data(), 1, text.size(), input);
  std::rewind(input);
  LineReader reader(input);
  runWinBoardLoop(handler, state, reader);
  std::fclose(input);
  EXPECT_EQ(captured.take(), std::vector<std::string>{"pong 1"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

TEST_F(WinBoardHandlerTest, LoopEndsAtOnceWhenTheFirstLineQuit) {
  handler.handleLine("quit");
  std::FILE* input = std::tmpfile();
  std::fputs("ping 1\n", input);
  std::rewind(input);
  LineReader reader(input);
  runWinBoardLoop(handler, state, reader);
  std::fclose(input);
  EXPECT_TRUE(captured.take().empty());
}

TEST(WinBoardMoveTest, WhatLooksLikeAMove) {
  for (const char* move : {"e2e4", "e7e8q", "a1h8", "O-O", "O-O-O", "xO-O"}) EXPECT_TRUE(looksLikeWinBoardMove(move)) << move;
  for (const char* other : {"e4", "Nf3", "ping", "new", "o-o", "0-0", "e2e", ""})
    EXPECT_FALSE(looksLikeWinBoardMove(other)) << other;
}

}  // namespace
}  // namespace tarn::test
