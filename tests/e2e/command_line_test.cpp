// The command-line extras: they never read standard input.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e/e2e_support.h"

namespace tarn::test {
namespace {

TEST(CommandLine, PerftFromTheStartPosition) {
  const ProcessResult r = runCommandLineExtra({"perft", "3"});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  const std::vector<std::string> lines = splitLines(r.out);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[0], "a2a3: 380");
  EXPECT_EQ(lines[20], "");
  EXPECT_EQ(lines[21], "Nodes searched: 8902");
  EXPECT_EQ(r.err, "");
}

TEST(CommandLine, PerftWithAFenInOneOrManyArguments) {
  const std::string kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
  ProcessResult r = runCommandLineExtra({"perft", "2", kiwipete});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out).back(), "Nodes searched: 2039");

  r = runCommandLineExtra({"perft", "2", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R", "w", "KQkq", "-"});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(splitLines(r.out).back(), "Nodes searched: 2039");
}

TEST(CommandLine, PerftOnAChess960PositionPrintsKingTakesRook) {
  const ProcessResult r = runCommandLineExtra({"perft", "1", "1r2k1r1/pppppppp/8/8/8/8/PPPPPPPP/1R2K1R1 w GBgb - 0 1"});
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_NE(r.out.find("e1g1: 1"), std::string::npos);
  EXPECT_NE(r.out.find("e1b1: 1"), std::string::npos);
}

TEST(CommandLine, PerftRejectsBadDepthsAndFens) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"perft"}, {"perft", "x"}, {"perft", "0"}, {"perft", "-2"},
                                             {"perft", "3x"}, {"perft", "2", "8/8/8/8/8/8/8/8 w - -"},
                                             {"perft", "1", "not a fen"}}) {
    const ProcessResult r = runCommandLineExtra(arguments);
    ASSERT_FALSE(r.timedOut) << arguments.back();
    EXPECT_EQ(r.exitStatus, 1) << arguments.back();
    EXPECT_EQ(r.out, "") << arguments.back();
    EXPECT_FALSE(r.err.empty()) << arguments.back();
  }
}

// The bench signature: the same node count on every run, on its last line.
TEST(CommandLine, BenchIsDeterministic) {
  auto lastLine = [](const ProcessResult& r) {
    const std::vector<std::string> lines = splitLines(r.out);
    return lines.empty() ? std::string() : lines.back();
  };
  const ProcessResult first = runCommandLineExtra({"bench", "4"});
  const ProcessResult second = runCommandLineExtra({"bench", "4"});
  ASSERT_FALSE(first.timedOut);
  EXPECT_EQ(first.exitStatus, 0);
  unsigned long long nodes = 0, nps = 0, nodes2 = 0, nps2 = 0;
  ASSERT_EQ(std::sscanf(lastLine(first).c_str(), "%llu nodes %llu nps", &nodes, &nps), 2) << lastLine(first);
  ASSERT_EQ(std::sscanf(lastLine(second).c_str(), "%llu nodes %llu nps", &nodes2, &nps2), 2) << lastLine(second);
  EXPECT_GT(nodes, 1000u);
  EXPECT_EQ(nodes, nodes2);
  EXPECT_EQ(runCommandLineExtra({"bench", "zero"}).exitStatus, 1);
}

}  // namespace
}  // namespace tarn::test
