// UCI searching through the real executable: limits, stop, ponder, MultiPV,
// searchmoves, and commands that arrive while a search runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_support.h"
#include "e2e/engine_session.h"

namespace tarn::test {
namespace {

bool startsWith(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

std::string lastInfoWithPv(const std::vector<std::string>& lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it)
    if (startsWith(*it, "info") && it->find(" pv ") != std::string::npos) return *it;
  return {};
}

struct UciSearch : ::testing::Test {
  EngineSession engine{enginePath()};
  void SetUp() override {
    ASSERT_TRUE(engine.started());
    engine.send("uci");
    engine.readUntilPrefix("uciok");
    ASSERT_FALSE(engine.timedOut());
    // These tests are about the search: the book would answer in the opening.
    engine.send("setoption name OwnBook value false");
  }
  // The deadline only guards against a hang; sanitizer builds are many times slower.
  std::vector<std::string> answer(std::chrono::milliseconds limit = std::chrono::seconds(120)) {
    auto lines = engine.readUntilPrefix("bestmove", limit);
    EXPECT_FALSE(engine.timedOut()) << "no bestmove";
    return lines;
  }
};

TEST_F(UciSearch, DepthLimitReportsThatDepth) {
  engine.send("position startpos moves e2e4 e7e5");
  engine.send("go depth 6");
  const auto lines = answer();
  EXPECT_EQ(infoValue(lastInfoWithPv(lines), "depth"), 6);
  EXPECT_TRUE(startsWith(lines.back(), "bestmove "));
  EXPECT_EQ(engine.quit(), 0);
}

TEST_F(UciSearch, NodeLimitStopsNearIt) {
  engine.send("position startpos");
  engine.send("go nodes 50000");
  const auto lines = answer();
  const long long nodes = infoValue(lastInfoWithPv(lines), "nodes");
  EXPECT_GE(nodes, 50000);
  EXPECT_LE(nodes, 52000);
}

TEST_F(UciSearch, MoveTimeAnswers) {
  engine.send("position startpos");
  engine.send("go movetime 300");
  const auto lines = answer();
  EXPECT_LE(infoValue(lastInfoWithPv(lines), "time"), 400);
}

TEST_F(UciSearch, InfiniteRunsUntilStopAndIsReadyAnswersMeanwhile) {
  engine.send("position startpos");
  engine.send("go infinite");
  engine.send("isready");
  const auto ready = engine.readUntil([](const std::string& l) { return l == "readyok" || startsWith(l, "bestmove"); });
  ASSERT_FALSE(ready.empty());
  EXPECT_EQ(ready.back(), "readyok");
  engine.send("stop");
  answer();
}

TEST_F(UciSearch, SearchMovesRestrictTheRoot) {
  engine.send("position startpos");
  engine.send("go infinite searchmoves a2a3 h2h3");
  engine.readUntil([](const std::string& l) { return infoValue(l, "depth") >= 5; });
  engine.send("stop");
  const auto lines = answer();
  const std::string best = lines.back().substr(9, 4);
  EXPECT_TRUE(best == "a2a3" || best == "h2h3") << lines.back();
}

TEST_F(UciSearch, MultiPVPrintsEveryLineInAnalysis) {
  engine.send("setoption name MultiPV value 3");
  engine.send("position startpos");
  engine.send("go infinite");
  engine.readUntil([](const std::string& l) { return infoValue(l, "multipv") == 3 && infoValue(l, "depth") >= 4; });
  ASSERT_FALSE(engine.timedOut());
  engine.send("stop");
  const auto lines = answer();
  std::vector<long long> seen;
  for (const std::string& l : lines)
    if (long long k = infoValue(l, "multipv"); k > 0) seen.push_back(k);
  EXPECT_NE(std::find(seen.begin(), seen.end(), 1), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), 2), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), 3), seen.end());
}

TEST_F(UciSearch, PonderHitTurnsThePonderSearchIntoATimedOne) {
  engine.send("position startpos moves e2e4 e7e5");
  engine.send("go ponder wtime 3000 btime 3000");
  engine.readUntil([](const std::string& l) { return infoValue(l, "depth") >= 3; });
  engine.send("ponderhit");
  const auto lines = answer();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(startsWith(lines.back(), "bestmove "));
}

TEST_F(UciSearch, PonderWaitsForPonderHitOrStop) {
  // A mate is found at once; the ponder search still waits for the GUI.
  engine.send("position fen 6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1");
  engine.send("go ponder wtime 3000 btime 3000");
  const auto early = engine.readUntilPrefix("bestmove", std::chrono::milliseconds(700));
  EXPECT_TRUE(engine.timedOut()) << "answered before ponderhit";
  engine.send("stop");
  const auto lines = answer();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().substr(0, 13), "bestmove a1a8");
}

TEST_F(UciSearch, GoWhileSearchingAnswersBoth) {
  engine.send("position startpos");
  engine.send("go infinite");
  engine.readUntil([](const std::string& l) { return infoValue(l, "depth") >= 3; });
  engine.send("go depth 4");
  answer();
  answer();
}

TEST_F(UciSearch, QuitDuringASearchEndsCleanly) {
  engine.send("position startpos");
  engine.send("go infinite");
  engine.readUntil([](const std::string& l) { return infoValue(l, "depth") >= 3; });
  EXPECT_EQ(engine.quit(), 0);
}

TEST_F(UciSearch, TwoThreadsSearchTogether) {
  engine.send("setoption name Threads value 2");
  engine.send("position startpos moves d2d4 d7d5");
  engine.send("go depth 7");
  const auto lines = answer();
  EXPECT_EQ(infoValue(lastInfoWithPv(lines), "depth"), 7);
  EXPECT_EQ(engine.quit(), 0);
}

}  // namespace
}  // namespace tarn::test
