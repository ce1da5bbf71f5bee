// Each switch of SearchSwitches turns its rule off, and the rules act when on.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "search/search_control.h"
#include "search_test_helpers.h"

namespace tarn::test {
namespace {

const char* const Positions[] = {
    "r1bq1rk1/ppp1nppp/4n3/3p3Q/3P4/1BP1B3/PP1N2PP/R4RK1 w - - 1 16",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 10",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "6k1/6p1/P6p/r1N5/5p2/7P/1b3PP1/4R1K1 w - - 0 1",
    "3r1r1k/1p3p1p/p2p4/4n1NN/6bQ/1BPq4/P3p1PP/1R5K w - - 0 1",
};

RuleCounters searchAll(int depth) {
  RuleCounters total;
  for (const char* fen : Positions) {
    TestPosition p(fen);
    transpositionTable().clear();
    const RuleCounters r = searchFixedDepth(p.pos, depth).rules;
    total.reverseFutility += r.reverseFutility;
    total.nullMove += r.nullMove;
    total.tableCaptureCut += r.tableCaptureCut;
    total.probCut += r.probCut;
    total.singular += r.singular + r.multiCut;
    total.futileSkip += r.futileSkip;
    total.lateMovePrune += r.lateMovePrune;
    total.reduced += r.reduced;
    total.extended += r.extended;
    total.mateThreat += r.mateThreat + r.mateInOne;
    total.threatMove += r.threatMove;
  }
  return total;
}

struct SwitchCase {
  const char* name;
  std::atomic<uint8_t>* sw;
  std::function<uint64_t(const RuleCounters&)> count;
};

TEST(SearchSwitches, EachSwitchTurnsItsRuleOff) {
  initSearchTestTables();
  SearchSwitches& s = searchSwitches;
  const SwitchCase cases[] = {
      {"Null Move Pruning", &s.nullMovePruning, [](const RuleCounters& r) { return r.nullMove; }},
      {"Futility Pruning", &s.futilityPruning, [](const RuleCounters& r) { return r.reverseFutility; }},
      {"ProbCut Pruning", &s.probCutPruning, [](const RuleCounters& r) { return r.probCut; }},
      {"Singular Extenstion", &s.singularExtension, [](const RuleCounters& r) { return r.singular; }},
      {"Late Move Reductions", &s.lateMoveReductions, [](const RuleCounters& r) { return r.reduced; }},
      {"Late Move Pruning", &s.lateMovePruning, [](const RuleCounters& r) { return r.lateMovePrune; }},
      {"Extensions", &s.extensions, [](const RuleCounters& r) { return r.extended; }},
      {"Mate Threats", &s.mateThreats, [](const RuleCounters& r) { return r.mateThreat; }},
      {"Threat Move Detection", &s.threatMoveDetection, [](const RuleCounters& r) { return r.threatMove; }},
  };
  const RuleCounters on = searchAll(9);
  for (const SwitchCase& c : cases) {
    EXPECT_GT(c.count(on), 0u) << c.name << " never acted with every switch on";
    c.sw->store(0);
    const RuleCounters off = searchAll(9);
    c.sw->store(1);
    EXPECT_EQ(c.count(off), 0u) << c.name << " acted while switched off";
  }
}

TEST(SearchTables, ReductionAndMoveCountTables) {
  initSearchTestTables();
  EXPECT_EQ(lmrTable[2][6], 2);
  EXPECT_EQ(lmrTable[6][6], 3);
  EXPECT_EQ(lmrTable[8][12], 4);
  EXPECT_EQ(lmrTable[16][32], 6);
  EXPECT_EQ(lmrTable[64][64], 10);
  EXPECT_EQ(lmrTable[127][127], 13);
  EXPECT_EQ(lmrTable[0][5], 0);
  const int notImproving[10] = {2, 2, 4, 6, 10, 14, 20, 26, 34, 42};
  const int improving[10] = {4, 4, 6, 9, 14, 21, 29, 40, 52, 66};
  for (int d = 0; d < 10; ++d) {
    EXPECT_EQ(lmpCount[0][d], notImproving[d]) << d;
    EXPECT_EQ(lmpCount[1][d], improving[d]) << d;
  }
}

}  // namespace
}  // namespace tarn::test
