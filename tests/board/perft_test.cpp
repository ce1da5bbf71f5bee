// Leaf counts of the reference positions, counted by independent tools.
//
// The default run covers every depth of at most two million leaves. The deeper
// counts run in DISABLED_LongPerft, which the suite labelled "long" switches on.
#include "board/perft.h"
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

constexpr uint64_t DefaultLeafLimit = 2'000'000;

std::vector<PerftLine> referenceLines() {
  std::vector<PerftLine> lines = readPerftFile("perft.epd");
  const std::vector<PerftLine> chess960 = readPerftFile("perft960.epd");
  lines.insert(lines.end(), chess960.begin(), chess960.end());
  return lines;
}

uint64_t divideSum(const Position& p, int depth) {
  uint64_t sum = 0;
  for (const PerftDivision& d : perftDivide(p, depth)) sum += d.nodes;
  return sum;
}

class PerftReference : public ::testing::TestWithParam<PerftLine> {};

TEST_P(PerftReference, ShallowDepths) {
  const PerftLine& line = GetParam();
  const Board b = boardFromFen(line.fen);
  for (int depth = 1; depth <= int(line.counts.size()); ++depth) {
    const uint64_t expected = line.counts[size_t(depth - 1)];
    if (expected > DefaultLeafLimit) break;
    EXPECT_EQ(perft(b.pos, depth), expected) << "depth " << depth;
    EXPECT_EQ(divideSum(b.pos, depth), expected) << "divide, depth " << depth;
  }
  // Counting must not disturb the position it starts from.
  EXPECT_TRUE(consistent(b.pos));
}

INSTANTIATE_TEST_SUITE_P(ReferenceFiles, PerftReference, ::testing::ValuesIn(referenceLines()),
                         [](const ::testing::TestParamInfo<PerftLine>& info) {
                           const std::string& file = info.param.file;
                           return file.substr(0, file.find('.')) + "_line" + std::to_string(info.param.line);
                         });

TEST(DISABLED_LongPerft, EveryDepthOfTheReferenceFiles) {
  for (const PerftLine& line : referenceLines()) {
    const Board b = boardFromFen(line.fen);
    const int deepest = int(line.counts.size());
    for (int depth = 1; depth < deepest; ++depth)
      EXPECT_EQ(perft(b.pos, depth), line.counts[size_t(depth - 1)]) << line.file << " line " << line.line << " depth " << depth;
    EXPECT_EQ(divideSum(b.pos, deepest), line.counts.back()) << line.file << " line " << line.line << " depth " << deepest;
  }
}

TEST(PerftDivide, RootMovesAreTheLegalMoves) {
  const Board kiwipete = boardFromFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
  std::vector<Move> roots;
  for (const PerftDivision& d : perftDivide(kiwipete.pos, 2)) {
    roots.push_back(d.move);
    EXPECT_EQ(d.nodes, legalMoves(afterMove(kiwipete.pos, d.move)).size());
  }
  std::sort(roots.begin(), roots.end());
  EXPECT_EQ(roots, bruteLegalMoves(kiwipete.pos));
}

TEST(PerftReport, LinesAndTotal) {
  const Board start = boardFromFen(StartFen);
  const std::string report = perftReport(start.pos, 2);
  std::vector<std::string> lines = split(report, '\n');
  ASSERT_EQ(lines.size(), 23u);  // 20 moves, blank, total, and the empty piece after the last line end
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(lines[size_t(i)].size(), 8u) << lines[size_t(i)];
    EXPECT_EQ(lines[size_t(i)].substr(4), ": 20");
  }
  EXPECT_NE(report.find("e2e4: 20\n"), std::string::npos);
  EXPECT_EQ(lines[20], "");
  EXPECT_EQ(lines[21], "Nodes searched: 400");
  EXPECT_EQ(report.back(), '\n');
}

TEST(PerftReport, CastlingFollowsTheNotation) {
  const Board b = boardFromFen("4k3/8/8/8/8/8/8/4K2R w K - 0 1");
  {
    const Chess960Scope notation(false);
    EXPECT_NE(perftReport(b.pos, 1).find("e1g1: 1\n"), std::string::npos);
  }
  const Chess960Scope notation(true);
  EXPECT_NE(perftReport(b.pos, 1).find("e1h1: 1\n"), std::string::npos);
}

}  // namespace
}  // namespace tarn::test
