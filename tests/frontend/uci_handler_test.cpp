// The UCI command handler on literal lines.
#include "frontend/uci.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "board/fen.h"
#include "board/movegen.h"
#include "frontend/engine_services.h"
#include "frontend/frontend_test_support.h"
#include "search/search_control.h"

namespace tarn::test {
namespace {

class UciHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initBoardTables();
    chess960Mode = false;
    state.active = &active;
    state.game.setStartPosition();
  }
  void TearDown() override { chess960Mode = false; }

  // Handles each line; returns what was printed.
  std::vector<std::string> send(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) handler.handleLine(line);
    return captured.take();
  }
  std::string fen() const { return toFen(state.game.position); }

  Settings active;
  EngineState state;
  CapturedOutput captured;
  UciHandler handler{state, captured.out()};
};

// ---- Command recognition -----------------------------------------------------

TEST_F(UciHandlerTest, IsReadyAnswersReadyOk) {
  EXPECT_EQ(send({"isready"}), std::vector<std::string>{"readyok"});
  EXPECT_EQ(send({"  isready  "}), std::vector<std::string>{"readyok"});
}

TEST_F(UciHandlerTest, CommandsAreWholeFirstWords) {
  EXPECT_TRUE(send({"isreadyx", "xisready", "please isready", "ISREADY", "readyok isready"}).empty());
  EXPECT_TRUE(handler.handleLine("quitter"));
  EXPECT_TRUE(handler.handleLine("do not quit"));
  EXPECT_FALSE(state.quit);
}

TEST_F(UciHandlerTest, OptionValuesContainingCommandWordsStayValues) {
  EXPECT_TRUE(send({"setoption name SyzygyPath value /data/go/tb"}).empty());
  EXPECT_EQ(state.options.syzygyPath, "/data/go/tb");
  EXPECT_TRUE(handler.handleLine("setoption name SyzygyPath value /tmp/quit/tb"));
  EXPECT_FALSE(state.quit);
  EXPECT_EQ(state.options.syzygyPath, "/tmp/quit/tb");
  EXPECT_TRUE(send({"position startpos moves e2e4 quit go e7e5"}).empty());
  EXPECT_FALSE(state.quit);
}

TEST_F(UciHandlerTest, QuitEndsTheLoop) {
  EXPECT_TRUE(handler.handleLine("isready"));
  EXPECT_FALSE(handler.handleLine("quit"));
  EXPECT_TRUE(state.quit);
}

TEST_F(UciHandlerTest, UnknownLinesDoNothing) {
  const std::string before = fen();
  EXPECT_TRUE(send({"", "   ", "uci", "debug on", "register later", "e2e4", "xyzzy", std::string(20000, 'x')}).empty());
  EXPECT_EQ(fen(), before);
}

// "info string N eval" with the side to move's score.
int evalOf(const std::vector<std::string>& lines) {
  EXPECT_EQ(lines.size(), 1u);
  if (lines.size() != 1) return 0;
  int score = 0;
  char tail[8] = "";
  EXPECT_EQ(std::sscanf(lines[0].c_str(), "info string %d %7s", &score, tail), 2) << lines[0];
  EXPECT_STREQ(tail, "eval");
  return score;
}

TEST_F(UciHandlerTest, EvalGivesTheStaticScoreOfTheSideToMove) {
  const int start = evalOf(send({"position startpos", "eval"}));
  EXPECT_EQ(start % 4, 0);
  EXPECT_LT(std::abs(start), 100);
  // White a rook up: positive for White to move, negative for Black to move.
  const int white = evalOf(send({"position fen 1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQk - 0 1", "eval"}));
  const int black = evalOf(send({"position fen 1nbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQk - 0 1", "eval"}));
  EXPECT_GT(white, 300);
  EXPECT_LT(black, -300);
}

TEST_F(UciHandlerTest, StopAndPonderHitAreQuietWithoutASearch) { EXPECT_TRUE(send({"stop", "ponderhit"}).empty()); }

// ---- setoption -------------------------------------------------------------

TEST_F(UciHandlerTest, HashBelowFourIsIgnored) {
  send({"setoption name Hash value 2"});
  EXPECT_EQ(state.options.hashMegabytes, 64);
  send({"setoption name Hash value -100", "setoption name Hash value abc", "setoption name Hash"});
  EXPECT_EQ(state.options.hashMegabytes, 64);
  send({"setoption name Hash value 4"});
  EXPECT_EQ(state.options.hashMegabytes, 4);
  send({"setoption name Hash value 256"});
  EXPECT_EQ(state.options.hashMegabytes, 256);
  EXPECT_EQ(transpositionTableMegabytes(), 256);
}

TEST_F(UciHandlerTest, ThreadsAreClampedToOneTo256) {
  send({"setoption name Threads value 999"});
  EXPECT_EQ(state.options.threadCount, 256);
  send({"setoption name Threads value 4"});
  EXPECT_EQ(state.options.threadCount, 4);
  send({"setoption name Threads value 0"});
  EXPECT_EQ(state.options.threadCount, 1);
  send({"setoption name Threads value 8", "setoption name Threads value -3"});
  EXPECT_EQ(state.options.threadCount, 1);
  send({"setoption name Threads value 8", "setoption name Threads value none"});
  EXPECT_EQ(state.options.threadCount, 1);  // no digits read as 0
}

TEST_F(UciHandlerTest, IntegerOptionsAreStoredAsGivenButContemptStaysInRange) {
  send({"setoption name MultiPV value 3", "setoption name SyzygyProbeDepth value 40",
        "setoption name ContemptMid value -20", "setoption name ContemptEnd value 99"});
  EXPECT_EQ(state.options.multiPV, 3);
  EXPECT_EQ(state.options.syzygyProbeDepth, 40);
  EXPECT_EQ(state.options.contemptMid, -20);
  EXPECT_EQ(state.options.contemptEnd, 50);  // beyond the range it would overflow scores
  send({"setoption name ContemptMid value -2147483648"});
  EXPECT_EQ(state.options.contemptMid, -50);
  send({"setoption name MultiPV value 5 lines"});
  EXPECT_EQ(state.options.multiPV, 5);
}

TEST_F(UciHandlerTest, OptionNamesMustMatchExactly) {
  send({"setoption name hash value 128", "setoption name Hash Size value 128", "setoption Hash value 128",
        "setoption name Threads value", "setoption name ContemptMidGame value 5"});
  EXPECT_EQ(state.options.hashMegabytes, 64);
  EXPECT_EQ(state.options.contemptMid, 0);
  // Extra blanks between the words are fine.
  send({"setoption   name  Hash   value  128"});
  EXPECT_EQ(state.options.hashMegabytes, 128);
}

TEST_F(UciHandlerTest, CheckOptionsTakeTrueOrFalse) {
  send({"setoption name Ponder value true"});
  EXPECT_TRUE(state.options.ponder);
  send({"setoption name Ponder value maybe", "setoption name Ponder value TRUE", "setoption name Ponder"});
  EXPECT_TRUE(state.options.ponder);
  send({"setoption name Ponder value false"});
  EXPECT_FALSE(state.options.ponder);

  send({"setoption name UCI_Chess960 value true"});
  EXPECT_TRUE(isChess960());
  send({"setoption name UCI_Chess960 value false"});
  EXPECT_FALSE(isChess960());

  send({"setoption name Debug Log value true"});
  EXPECT_TRUE(state.log.isEnabled());
  send({"setoption name Debug Log value false"});
  EXPECT_FALSE(state.log.isEnabled());
}

TEST_F(UciHandlerTest, OwnBookWritesTheActiveSettingsOnly) {
  send({"setoption name OwnBook value false"});
  EXPECT_EQ(active["BookEnabled"], "0");
  send({"setoption name OwnBook value true"});
  EXPECT_EQ(active["BookEnabled"], "1");
  send({"setoption name OwnBook value 0"});
  EXPECT_EQ(active["BookEnabled"], "1");
}

TEST_F(UciHandlerTest, SyzygyPathIsOneWordCutAtTheFirstBlank) {
  send({"setoption name SyzygyPath value /mnt/tb 345 /mnt/tb6"});
  EXPECT_EQ(state.options.syzygyPath, "/mnt/tb");
  send({"setoption name SyzygyPath value", "setoption name SyzygyPath"});
  EXPECT_EQ(state.options.syzygyPath, "/mnt/tb");
  send({"setoption name SyzygyPath value " + std::string(2000, 'p')});
  EXPECT_EQ(state.options.syzygyPath, std::string(1024, 'p'));
}

TEST_F(UciHandlerTest, ClearHashIsAButton) {
  EXPECT_TRUE(send({"setoption name Clear Hash"}).empty());
  EXPECT_EQ(state.options.hashMegabytes, 64);
}

// ---- position -------------------------------------------------------------

TEST_F(UciHandlerTest, StartPositionWithMoves) {
  send({"position startpos moves e2e4 e7e5 g1f3"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2");
  EXPECT_EQ(state.game.record.count, 3);
  EXPECT_EQ(toFen(state.game.record.start), StartFen);
}

TEST_F(UciHandlerTest, PositionStartposResetsTheGame) {
  send({"position startpos moves e2e4", "position startpos"});
  EXPECT_EQ(fen(), StartFen);
  EXPECT_EQ(state.game.record.count, 0);
}

TEST_F(UciHandlerTest, TwoBlanksBetweenMovesPlayBoth) {
  send({"position startpos moves e2e4  e7e5"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
}

TEST_F(UciHandlerTest, IllegalTokensAreSkipped) {
  send({"position startpos moves e2e5 e2e4 zz e1e2 e7e5 h9h8"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
  EXPECT_EQ(state.game.record.count, 2);
}

TEST_F(UciHandlerTest, SanAndLongAlgebraicTokens) {
  send({"position startpos moves e4 e7-e5 Ng1f3 Nc6 Bb5"});
  EXPECT_EQ(fen(), "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3");
}

TEST_F(UciHandlerTest, CastlingTokensInEveryForm) {
  const std::string castlingFen = "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1";
  for (const char* token : {"O-O", "0-0", "o-o", "e1g1", "e1h1"}) {
    send({"position fen " + castlingFen + " moves " + token});
    EXPECT_EQ(fen(), "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R4RK1 b kq - 1 1") << token;
  }
  for (const char* token : {"O-O-O", "0-0-0", "o-o-o", "e8c8"}) {
    send({"position fen " + castlingFen + " moves a2a3 " + token});
    EXPECT_EQ(fen(), "2kr3r/pppppppp/8/8/8/P7/1PPPPPPP/R3K2R w KQ - 1 2") << token;
  }
}

TEST_F(UciHandlerTest, PromotionDefaultsToQueen) {
  const std::string promotionFen = "7k/P7/8/8/8/8/8/K7 w - - 0 1";
  send({"position fen " + promotionFen + " moves a7a8"});
  EXPECT_EQ(fen(), "Q6k/8/8/8/8/8/8/K7 b - - 0 1");
  send({"position fen " + promotionFen + " moves a7a8n"});
  EXPECT_EQ(fen(), "N6k/8/8/8/8/8/8/K7 b - - 0 1");
  send({"position fen " + promotionFen + " moves a7a8r"});
  EXPECT_EQ(fen(), "R6k/8/8/8/8/8/8/K7 b - - 0 1");
  send({"position fen " + promotionFen + " moves a7a8=B"});
  EXPECT_EQ(fen(), "B6k/8/8/8/8/8/8/K7 b - - 0 1");
  send({"position fen " + promotionFen + " moves a7a8x"});
  EXPECT_EQ(fen(), "Q6k/8/8/8/8/8/8/K7 b - - 0 1");
}

TEST_F(UciHandlerTest, NullMovePassesTheTurn) {
  send({"position startpos moves e2e4 Null d2d4"});
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/3PP3/8/PPP2PPP/RNBQKBNR b KQkq - 0 2");
  EXPECT_EQ(state.game.record.count, 3);
  EXPECT_STREQ(state.game.record.moveText(1), "Null");
}

TEST_F(UciHandlerTest, NullMoveIsRefusedInCheck) {
  send({"position startpos moves e2e4 f7f6 d1h5 Null"});
  EXPECT_EQ(state.game.position.sideToMove, Black);
  EXPECT_TRUE(state.game.position.inCheck());
  EXPECT_EQ(state.game.record.count, 3);
}

TEST_F(UciHandlerTest, FenPositionWithMoves) {
  send({"position fen 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1 moves e2e4 e8d7"});
  EXPECT_EQ(fen(), "8/3k4/8/8/4P3/8/8/4K3 w - - 1 2");
  EXPECT_EQ(toFen(state.game.record.start), "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
}

TEST_F(UciHandlerTest, FenWithoutCountersAndMoves) {
  send({"position fen 4k3/8/8/8/8/8/4P3/4K3 b - - moves e8d7"});
  EXPECT_EQ(fen(), "8/3k4/8/8/8/8/4P3/4K3 w - - 1 2");
}

TEST_F(UciHandlerTest, BadFenLeavesThePositionUnchanged) {
  send({"position startpos moves e2e4"});
  const std::string before = fen();
  const std::vector<std::string> out = send({"position fen 8/8/8/8/8/8/8/8 w - - moves e7e5"});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].rfind("info string invalid FEN", 0), 0u) << out[0];
  EXPECT_EQ(out[0].find('\n'), std::string::npos);
  EXPECT_EQ(fen(), before);
  EXPECT_EQ(state.game.record.count, 1);
  send({"position fen", "position fen moves e7e5"});
  EXPECT_EQ(fen(), before);
}

TEST_F(UciHandlerTest, Chess960CastlingKingTakesRook) {
  send({"setoption name UCI_Chess960 value true",
        "position fen 1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R2K1R1 w GBgb - 0 1 moves e1g1"});
  EXPECT_EQ(fen(), "1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R3RK1 b gb - 1 1");
  send({"position fen 1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R2K1R1 w GBgb - 0 1 moves e1b1"});
  EXPECT_EQ(fen(), "1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/2KR2R1 b gb - 1 1");
}

TEST_F(UciHandlerTest, UciNewGameRestoresTheStartPosition) {
  send({"position startpos moves e2e4 e7e5", "ucinewgame"});
  EXPECT_EQ(fen(), StartFen);
  EXPECT_EQ(state.game.record.count, 0);
  EXPECT_EQ(gameResult.load(), GameRunning);
}

// ---- go ------------------------------------------------------------------

TEST_F(UciHandlerTest, GoPerftPrintsTheDivision) {
  const std::vector<std::string> out = send({"position startpos moves e2e4", "go perft 2"});
  ASSERT_EQ(out.size(), 22u);
  EXPECT_EQ(out[20], "");
  EXPECT_EQ(out[21], "Nodes searched: 600");
  EXPECT_EQ(out[0], "a7a6: 30");
}

TEST_F(UciHandlerTest, GoPerftNeedsADepth) {
  EXPECT_EQ(send({"go perft"}), std::vector<std::string>{"info string perft needs a depth of 1 or more"});
  EXPECT_EQ(send({"go perft 0"}), std::vector<std::string>{"info string perft needs a depth of 1 or more"});
}

TEST_F(UciHandlerTest, GoAnswersWithABestMove) {
  send({"go depth 2"});
  waitUntilIdle();
  const std::vector<std::string> lines = captured.take();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u) << lines.back();
  // Checkmated: no legal move, and still an answer.
  send({"position startpos moves f2f3 e7e5 g2g4 d8h4", "go depth 3"});
  waitUntilIdle();
  EXPECT_EQ(captured.take(), std::vector<std::string>{"bestmove 0000"});
}

// ---- traffic log ----------------------------------------------------------

TEST_F(UciHandlerTest, TrafficLogRecordsInputReadyOkAndBestMove) {
  TempFolder folder;
  state.log.setPath(folder.file(TrafficLogName));
  send({"isready", "setoption name Debug Log value true", "isready", "position startpos moves e2e4", "go depth 1"});
  waitUntilIdle();
  send({"setoption name Debug Log value false", "isready"});
  const std::string log = readWholeFile(folder.file(TrafficLogName));
  const std::string head =
      "Received : isready\n"
      "readyok\n"
      "Received : position startpos moves e2e4\n"
      "Received : go depth 1\n"
      "Start Thinking...\n"
      "bestmove ";
  EXPECT_EQ(log.substr(0, head.size()), head);
  const std::string tail = "\nReceived : setoption name Debug Log value false\n";
  ASSERT_GT(log.size(), head.size() + tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

// ---- the loop ---------------------------------------------------------------

TEST_F(UciHandlerTest, LoopRunsUntilQuit) {
  std::FILE* input = std::tmpfile();
  const std::string text = "isready\r\nposition startpos moves e2e4\nquit\nisready\n";
  std::fwrite(text.data(), 1, text.size(), input);
  std::rewind(input);
  LineReader reader(input);
  runUciLoop(state, captured.out(), reader);
  std::fclose(input);
  EXPECT_EQ(captured.take(), std::vector<std::string>{"readyok"});
  EXPECT_TRUE(state.quit);
  EXPECT_EQ(fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
}

TEST(UciIdentification, BlockLinesInOrder) {
  CapturedOutput captured;
  EngineOptions options;
  options.syzygyProbeDepth = 3;
  options.contemptMid = -5;
  options.contemptEnd = 7;
  printUciIdentification(captured.out(), options);
  EXPECT_EQ(captured.take(), (std::vector<std::string>{
                                 "id name TarnChess Blitz 2.83 avx2",
                                 "id author Edric Vollan",
                                 "option name Hash type spin default 64 min 4 max 65536",
                                 "option name Clear Hash type button",
                                 "option name Ponder type check",
                                 "option name OwnBook type check default true",
                                 "option name Debug Log type check default false",
                                 "option name UCI_Chess960 type check default false",
                                 "option name Threads type spin default 1 min 1 max 256",
                                 "option name SyzygyPath type string",
                                 "option name SyzygyProbeDepth type spin default 3 min 1 max 16",
                                 "option name MultiPV type spin default 1 min 1 max 10",
                                 "option name ContemptMid type spin default -5 min -50 max 50",
                                 "option name ContemptEnd type spin default 7 min -50 max 50",
                                 "uciok",
                             }));
}

}  // namespace
}  // namespace tarn::test
