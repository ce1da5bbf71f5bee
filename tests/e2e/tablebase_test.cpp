// Tablebases through the real executable: the "tbprobe" command, the start-up
// report, and the root of a search in a tablebase position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "e2e/engine_session.h"

namespace tarn::test {
namespace {

std::string tables() { return std::string(TARN_TEST_DATA) + "/syzygy"; }

bool startsWith(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

ProcessResult tbprobe(const std::vector<std::string>& arguments, const std::string& executable = enginePath()) {
  std::vector<std::string> argv{"tbprobe"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runCommandLineExtra(argv, executable);
}

TEST(Tablebases, ProbeCommandPrintsClassDistanceAndMove) {
  ProcessResult r = tbprobe({"--path", tables(), "K1Q5/8/1k6/1r6/8/8/8/8 w - - 48 71"});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "wdl 2\ndtz 53\nbestmove a8b8\n");  // the class ignores the counter
  r = tbprobe({"--path", tables(), "1KQ5/8/1k6/1r6/8/8/8/8", "b", "-", "-", "0", "71"});
  EXPECT_EQ(r.out, "wdl -2\ndtz -52\nbestmove b5d5\n");
  // Five men, four-man tables: no answer.
  r = tbprobe({"--path", tables(), "8/8/8/7r/2R5/4k2b/8/5K2 w - - 0 60"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "wdl none\n");
  // Checkmated: a class, no move.
  r = tbprobe({"--path", tables(), "k7/1Q6/1K6/8/8/8/8/8 b - - 0 1"});
  EXPECT_EQ(r.out, "wdl -2\ndtz -1\nbestmove 0000\n");
}

TEST(Tablebases, ProbeCommandReadsThePathFromTheSettingsFile) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  ProcessResult r = tbprobe({"8/8/8/4k3/8/8/8/KR6 b - - 0 1"}, copy.executable());
  EXPECT_EQ(r.out, "wdl none\n");
  writeWholeFile(copy.file("engineWB.dft"), "SyzygyPath=/nonexistent;" + tables() + "\n");
  r = tbprobe({"8/8/8/4k3/8/8/8/KR6 b - - 0 1"}, copy.executable());
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_TRUE(startsWith(r.out, "wdl -2\ndtz -")) << r.out;
}

TEST(Tablebases, ProbeCommandRejectsBadArguments) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {}, {"--path"}, {"--path", tables()}, {"--path", tables(), "8/8/8/8 w - -"}}) {
    const ProcessResult r = tbprobe(arguments);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
  }
}

TEST(Tablebases, WinBoardStartUpReportsTheLargestTables) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("engineWB.dft"), "SyzygyPath=" + tables() + "\n");
  const ProcessResult r = copy.run("xboard\nquit\n");
  ASSERT_FALSE(r.timedOut);
  const std::vector<std::string> lines = splitLines(r.out);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "info string 4-man syzygy tablebases loaded."), lines.end()) << r.out;
  writeWholeFile(copy.file("engineWB.dft"), "SyzygyPath=<empty>\n");
  EXPECT_EQ(copy.run("xboard\nquit\n").out.find("syzygy"), std::string::npos);
}

struct TablebaseSearch : ::testing::Test {
  EngineSession engine{enginePath()};
  void SetUp() override {
    ASSERT_TRUE(engine.started());
    engine.send("uci");
    engine.send("setoption name SyzygyPath value " + tables());
    engine.send("isready");
    engine.readUntilPrefix("readyok");
    ASSERT_FALSE(engine.timedOut());
  }
  std::vector<std::string> answer() {
    auto lines = engine.readUntilPrefix("bestmove", std::chrono::seconds(120));
    EXPECT_FALSE(engine.timedOut()) << "no bestmove";
    return lines;
  }
};

// A trivial ending is answered by the table move without a search.
TEST_F(TablebaseSearch, TrivialEndingPlaysTheTableMoveAtOnce) {
  engine.send("position fen 8/8/8/4k3/8/8/8/KQ6 w - - 0 1");
  engine.send("go depth 30");
  const auto lines = answer();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "bestmove b1b6 ");
  for (const std::string& line : lines) EXPECT_EQ(infoValue(line, "depth"), -1) << line;
}

// Rook against bishop: the root list is the table move, which the search keeps.
TEST_F(TablebaseSearch, ConvertibleWinSearchesOnlyTheTableMove) {
  const ProcessResult probe = tbprobe({"--path", tables(), "2b5/1k6/8/1K6/8/8/8/5R2 w - - 0 53"});
  ASSERT_TRUE(startsWith(probe.out, "wdl 2\n")) << probe.out;
  const std::string tableMove = splitLines(probe.out)[2].substr(9);
  engine.send("position fen 2b5/1k6/8/1K6/8/8/8/5R2 w - - 0 53");
  engine.send("go depth 6");
  const auto lines = answer();
  EXPECT_TRUE(startsWith(lines.back(), "bestmove " + tableMove + " ")) << lines.back();
}

// Inside the search, positions reached by a capture into the tables are scored
// from them, and the info lines count those probes.
TEST_F(TablebaseSearch, InteriorProbesAreCountedAsHits) {
  auto lastTbHits = [&] {
    engine.send("position fen 8/8/8/4k3/8/8/1r6/KQR5 w - - 0 1");  // five men: the captures reach four
    engine.send("go depth 6");
    long long hits = -1;
    for (const std::string& line : answer())
      if (line.find(" pv ") != std::string::npos) hits = infoValue(line, "tbhits");
    return hits;
  };
  EXPECT_GT(lastTbHits(), 0);
  engine.send("setoption name SyzygyPath value <empty>");
  EXPECT_EQ(lastTbHits(), 0);
}

// Analysis looks at every move, even where play would take the table move at once.
TEST_F(TablebaseSearch, AnalysisSearchesEveryMove) {
  engine.send("setoption name MultiPV value 3");
  engine.send("position fen 8/8/8/4k3/8/8/8/KQ6 w - - 0 1");
  engine.send("go infinite");
  engine.readUntil([](const std::string& l) { return l.find(" multipv 3 ") != std::string::npos; });
  EXPECT_FALSE(engine.timedOut());
  engine.send("stop");
  answer();
}

}  // namespace
}  // namespace tarn::test
