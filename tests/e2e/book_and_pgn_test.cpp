// The opening book and PGN files through the real executable: the command-line
// extras, the book's start-up report and book moves in a UCI game.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace tarn::test {
namespace {

const char* const StartFenShort = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string dataFile(const std::string& name) { return std::string(TARN_TEST_DATA) + "/" + name; }

// A white win with 1. e4 and a black win with 1. d4 d5: the book holds e4 (for
// White) and d5 (for Black), and d4 only when losses count too.
const char* const Games =
    "[Event \"a\"]\n[Result \"1-0\"]\n\n1. e4 e5 1-0\n\n"
    "[Event \"b\"]\n[Result \"0-1\"]\n\n1. d4 d5 0-1\n";

TEST(PgnCommand, ReportsEveryGameAndTheMovesItSkipped) {
  const ProcessResult r = runCommandLineExtra({"pgn", dataFile("pgn/chess960.pgn")});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out), (std::vector<std::string>{
                                   "game 1 plies 106 result 0-1 fen 8/1p6/3p4/p3kp2/5p2/8/7r/K1r5 w - - 2 54",
                                   "game 2 plies 152 result 0-1 fen 1q6/8/8/2q5/5p2/2K2P2/4k3/8 w - - 6 77",
                                   "games 2"}));
  EXPECT_EQ(r.err, "");

  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("bad.pgn"),
                 "[Event \"x\"]\n\n1. e4 e5 2. Ke3 Nc6 3. Nf3 *\n\n"
                 "[Event \"y\"]\n[FEN \"8/8/8\"]\n\n1. e4 *\n\n"
                 "[Event \"z\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 30\"]\n\n30... Kd7 31. Ke2 *\n");
  const ProcessResult bad = runCommandLineExtra({"pgn", copy.file("bad.pgn")});
  EXPECT_EQ(bad.exitStatus, 0);
  EXPECT_EQ(splitLines(bad.out), (std::vector<std::string>{
                                     "game 1 plies 3 result * fen rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2",
                                     "game 3 plies 2 result * fen 8/3k4/8/8/8/8/4K3/8 b - - 2 31",
                                     "games 3"}));
  const std::vector<std::string> errors = splitLines(bad.err);
  ASSERT_EQ(errors.size(), 3u) << bad.err;
  EXPECT_EQ(errors[0], "game 1 skipped Ke3 at ply 3");
  EXPECT_EQ(errors[1], "game 1 skipped Nc6 at ply 3");
  EXPECT_EQ(errors[2].rfind("game 2 skipped: its FEN tag \"8/8/8\" is no position", 0), 0u) << errors[2];
}

TEST(PgnCommand, BadArgumentsAndUnreadableFiles) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"pgn"}, {"pgn", "/nonexistent/x.pgn"}, {"pgn", "a", "b"}}) {
    const ProcessResult r = runCommandLineExtra(args);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
  }
}

TEST(BookCommand, BuildThenProbe) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("games.pgn"), Games);
  ProcessResult r = runCommandLineExtra({"book", "build", copy.file("games.pgn"), copy.file("my.tcb")});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "positions 2\n");  // e4 (White won) and d5 (Black won)
  EXPECT_EQ(readWholeFile(copy.file("my.tcb")).size(), 20u);

  r = runCommandLineExtra({"book", "probe", "--book", copy.file("my.tcb"), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", "w",
                "KQkq", "-"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "e2e4 0\nbookmove e2e4\n");
  r = runCommandLineExtra({"book", "probe", "--book", copy.file("my.tcb"), "rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR b KQkq -"});
  EXPECT_EQ(r.out, "d7d5 0\nbookmove d7d5\n");
  r = runCommandLineExtra({"book", "probe", "--book", copy.file("my.tcb"), "4k3/8/8/8/8/8/8/4K3 w - - 0 1"});
  EXPECT_EQ(r.out, "bookmove none\n");

  // With every result counted, d4 joins; up to move 1 leaves out Black's replies.
  r = runCommandLineExtra({"book", "build", "--white-pct", "0", "--black-pct", "0", "--up-to", "1", copy.file("games.pgn"),
                copy.file("all.tcb")});
  EXPECT_EQ(r.out, "positions 4\n");
  r = runCommandLineExtra({"book", "build", "--from", "2", copy.file("games.pgn"), copy.file("none.tcb")});
  EXPECT_EQ(r.out, "positions 0\n");
  // The probe's default book is the "BookPath" of engineWB.dft.
  writeWholeFile(copy.file("engineWB.dft"), "BookPath=all.tcb\n");
  r = runCommandLineExtra({"book", "probe", StartFenShort}, copy.executable());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_NE(r.out.find("d2d4 0\n"), std::string::npos);
  EXPECT_NE(r.out.find("e2e4 0\n"), std::string::npos);
}

TEST(BookCommand, BadArgumentsAndFiles) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("games.pgn"), Games);
  const std::vector<std::vector<std::string>> bad = {
      {"book"},
      {"book", "shuffle"},
      {"book", "probe"},
      {"book", "probe", "--book", copy.file("missing.tcb"), StartFenShort},
      {"book", "probe", "--book", copy.file("games.pgn"), "not a fen"},
      {"book", "build", copy.file("games.pgn")},
      {"book", "build", "--up-to", "31", copy.file("games.pgn"), copy.file("x.tcb")},
      {"book", "build", "--from", copy.file("games.pgn"), copy.file("x.tcb")},
      {"book", "build", copy.file("missing.pgn"), copy.file("x.tcb")},
      {"book", "build", copy.file("games.pgn"), copy.file("no/such/folder/x.tcb")},
  };
  for (const auto& args : bad) {
    const ProcessResult r = runCommandLineExtra(args);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1) << args.back();
    EXPECT_FALSE(r.err.empty()) << args.back();
  }
}

std::string bookLines(const ProcessResult& r) {
  std::string lines;
  for (const std::string& line : splitLines(r.out))
    if (line.find("book") != std::string::npos || line.find("opening positions") != std::string::npos ||
        line.rfind("bestmove", 0) == 0 ||
        line.rfind("info depth 1 ", 0) == 0)
      lines += line + "\n";
  return lines;
}

TEST(BookInUci, TheBookAnswersOrdinarySearchesInTheOpening) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("games.pgn"), Games);
  ASSERT_EQ(runCommandLineExtra({"book", "build", copy.file("games.pgn"), copy.file("TestBook.tcb")}).exitStatus, 0);

  ProcessResult r = copy.run("uci\nposition startpos\ngo wtime 10000 btime 10000\nisready\nquit\n");
  EXPECT_EQ(bookLines(r),
            "info string 2 opening positions loaded.\n"
            "info depth 1 score cp 1 time 0 nodes 0 pv e2e4\n"
            "info string book move e2e4 from TestBook.tcb, 1 candidate\n"
            "bestmove e2e4 \n");

  // Black's book move is reported from Black's side.
  r = copy.run("uci\nposition startpos moves d2d4\ngo movetime 1000\nisready\nquit\n");
  EXPECT_NE(r.out.find("info depth 1 score cp -1 time 0 nodes 0 pv d7d5\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("bestmove d7d5"), std::string::npos);

  // No book: OwnBook off, analysis, or a position the book does not know.
  for (const char* session : {"setoption name OwnBook value false\nposition startpos\ngo depth 3\n",
                              "position startpos\ngo infinite\nisready\nstop\n",
                              "position startpos moves e2e4\ngo depth 3\n"}) {
    r = copy.run(std::string("uci\n") + session + "isready\nquit\n");
    EXPECT_EQ(r.out.find("book move"), std::string::npos) << session;
    EXPECT_NE(r.out.find("bestmove"), std::string::npos) << session;
  }
}

TEST(BookInUci, BookPathMayBeAbsoluteAndAMissingBookIsReported) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("games.pgn"), Games);
  ASSERT_EQ(runCommandLineExtra({"book", "build", copy.file("games.pgn"), copy.file("elsewhere.tcb")}).exitStatus, 0);
  writeWholeFile(copy.file("engineWB.dft"), "BookPath=" + copy.file("elsewhere.tcb") + "\n");
  ProcessResult r = copy.run("uci\nquit\n");
  EXPECT_NE(r.out.find("info string 2 opening positions loaded.\n"), std::string::npos) << r.out;

  writeWholeFile(copy.file("engineWB.dft"), "BookPath=gone.tcb\n");
  r = copy.run("uci\nquit\n");
  EXPECT_NE(r.out.find("info string Error Loading Book : " + copy.file("gone.tcb") + "\n"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.exitStatus, 0);
}

}  // namespace
}  // namespace tarn::test
