// The probes against reference results: the format's reference prober's
// lines and Stockfish's root classes (both produced offline, see
// tests/data/README.md), and the rules around the probes.
#include "eval/tb/syzygy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "board/make_move.h"
#include "board/notation.h"
#include "eval/syzygy_test_support.h"

namespace tarn {
namespace {

using test::ReferenceLine;
using test::TestPosition;

constexpr int AnyDepth = 1000;

// The folder of the larger table set, 5-man tables included; the tests that
// need it skip when it is absent.
std::string fullTables() { return TARN_SYZYGY_FULL; }
bool haveFullTables() { return std::filesystem::exists(fullTables() + "/KRPvKR.rtbz"); }

int signedDistance(const RootProbe& r) { return r.wdl > 0 ? r.dtz : r.wdl < 0 ? -r.dtz : 0; }

// wdl, dtz, rootwdl and one of the bestmoves of every line.
void checkReferenceLines(const std::string& file) {
  const std::vector<ReferenceLine> lines = test::readReference(file);
  ASSERT_GT(lines.size(), 100u) << file;
  for (const ReferenceLine& line : lines) {
    TestPosition p(line.fen);
    ASSERT_TRUE(p.ok) << line.fen;
    EXPECT_EQ(probeWdl(p.pos, AnyDepth), line.number("wdl")) << line.fen;
    const RootProbe root = probeRoot(p.pos);
    EXPECT_EQ(root.wdl, line.number("rootwdl")) << line.fen;
    EXPECT_EQ(signedDistance(root), line.number("dtz")) << line.fen;
    const std::vector<std::string> best = test::words(line.fields.at("bestmoves"));
    const std::string move = moveToCoordinate(root.move, p.pos, false);
    EXPECT_NE(std::find(best.begin(), best.end(), move), best.end()) << line.fen << " played " << move;
  }
}

// Root classes from another engine's own tablebase support; at clock 0 its
// move must also keep a win or a draw by our tables.
void checkOracleLines(const std::string& file) {
  const std::vector<ReferenceLine> lines = test::readReference(file);
  ASSERT_GT(lines.size(), 100u) << file;
  for (const ReferenceLine& line : lines) {
    TestPosition p(line.fen);
    ASSERT_TRUE(p.ok) << line.fen;
    const int expected = line.number("rootwdl");
    EXPECT_EQ(probeRoot(p.pos).wdl, expected) << line.fen;
    if (p.pos.fiftyCounter == 0) {
      EXPECT_EQ(probeWdl(p.pos, AnyDepth), expected) << line.fen;
    }
    if (p.pos.fiftyCounter == 0 && (expected == 2 || expected == 0)) {
      const Move m = parseCoordinateMove(line.fields.at("sfmove"));
      Position child = p.pos;
      makeMoveChecked(child, m);
      EXPECT_EQ(probeWdl(child, AnyDepth), -expected) << line.fen << " " << line.fields.at("sfmove");
    }
  }
}

struct SyzygyProbe : ::testing::Test {
  void SetUp() override { test::initBoard(); }
  void TearDown() override {
    initTablebases("");
    setTablebaseProbeDepth(2);
  }
};

TEST_F(SyzygyProbe, ReferenceLinesUpToFourMen) {
  initTablebases(test::smallTables());
  checkReferenceLines(test::testData("syzygy_reference_4men.epd"));
}

TEST_F(SyzygyProbe, OracleLinesUpToFourMen) {
  initTablebases(test::smallTables());
  checkOracleLines(test::testData("syzygy_oracle_4men.epd"));
}

TEST_F(SyzygyProbe, ReferenceLinesWithFiveMen) {
  if (!haveFullTables()) GTEST_SKIP() << "no 5-man tables at " << fullTables();
  initTablebases(fullTables());
  EXPECT_EQ(largestTablebaseMen(), 5);
  checkReferenceLines(test::testData("syzygy_reference_5men.epd"));
  checkReferenceLines(test::testData("syzygy_reference_4men.epd"));
  checkOracleLines(test::testData("syzygy_oracle_5men.epd"));
}

TEST_F(SyzygyProbe, CastlingRightsAreNeverProbed) {
  initTablebases(test::smallTables());
  TestPosition castling("4k3/8/8/8/8/8/8/R3K3 w Q - 0 1"), plain("4k3/8/8/8/8/8/8/R3K3 w - - 0 1");
  ASSERT_TRUE(castling.ok && castling.pos.castlingRights);
  EXPECT_EQ(probeWdl(castling.pos, AnyDepth), WdlNone);
  EXPECT_EQ(probeRoot(castling.pos).wdl, WdlNone);
  EXPECT_EQ(probeWdl(plain.pos, AnyDepth), 2);
  EXPECT_EQ(probeRoot(plain.pos).wdl, 2);
}

// Positions with the largest men count wait for the probe depth; smaller ones never.
TEST_F(SyzygyProbe, ProbeDepthRuleAtTheLargestMenCount) {
  initTablebases(test::smallTables());
  TestPosition four("8/8/8/4k3/8/8/1q6/KR6 w - - 0 1"), three("8/8/8/4k3/8/8/8/KR6 w - - 0 1");
  EXPECT_EQ(probeWdl(four.pos, 1), WdlNone);
  EXPECT_NE(probeWdl(four.pos, 2), WdlNone);
  EXPECT_EQ(probeWdl(three.pos, 0), 2);
  setTablebaseProbeDepth(5);
  EXPECT_EQ(probeWdl(four.pos, 4), WdlNone);
  EXPECT_NE(probeWdl(four.pos, 5), WdlNone);
  // The root probe has no depth.
  EXPECT_NE(probeRoot(four.pos).wdl, WdlNone);
  // More men than any table.
  TestPosition five("8/8/8/4k3/8/8/1q6/KRR5 w - - 0 1");
  EXPECT_EQ(probeWdl(five.pos, AnyDepth), WdlNone);
  EXPECT_EQ(probeRoot(five.pos).wdl, WdlNone);
}

// A win is class 2 only while distance plus counter stays within 100.
TEST_F(SyzygyProbe, RootClassFollowsTheFiftyMoveCounter) {
  initTablebases(test::smallTables());
  struct Case {
    const char* fen;
    int wdl, rootWdl, dtz;
  };
  for (const Case& c : {Case{"K1Q5/8/1k6/1r6/8/8/8/8 w - - 47 71", 2, 2, 53},
                        Case{"K1Q5/8/1k6/1r6/8/8/8/8 w - - 48 71", 2, 1, 53},
                        Case{"1KQ5/8/1k6/1r6/8/8/8/8 b - - 0 71", -2, -2, -52},
                        Case{"1KQ5/8/1k6/1r6/8/8/8/8 b - - 48 71", -2, -2, -52},
                        Case{"1KQ5/8/1k6/1r6/8/8/8/8 b - - 49 71", -2, -1, -52}}) {
    TestPosition p(c.fen);
    ASSERT_TRUE(p.ok) << c.fen;
    EXPECT_EQ(probeWdl(p.pos, AnyDepth), c.wdl) << c.fen;
    const RootProbe r = probeRoot(p.pos);
    EXPECT_EQ(r.wdl, c.rootWdl) << c.fen;
    EXPECT_EQ(signedDistance(r), c.dtz) << c.fen;
  }
}

TEST_F(SyzygyProbe, RootsWithoutLegalMoves) {
  initTablebases(test::smallTables());
  TestPosition mated("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1"), stalemate("k7/8/1QK5/8/8/8/8/8 b - - 0 1");
  RootProbe r = probeRoot(mated.pos);
  EXPECT_EQ(r.wdl, -2);
  EXPECT_EQ(r.dtz, 1);
  EXPECT_EQ(r.move, NullMove);
  r = probeRoot(stalemate.pos);
  EXPECT_EQ(r.wdl, 0);
  EXPECT_EQ(r.move, NullMove);
  EXPECT_EQ(probeWdl(stalemate.pos, AnyDepth), 0);
  // Bare kings need no table.
  TestPosition kings("8/8/8/4k3/8/8/8/K7 w - - 0 1");
  EXPECT_EQ(probeWdl(kings.pos, AnyDepth), 0);
  EXPECT_EQ(probeRoot(kings.pos).wdl, 0);
}

// A capture into a table that is not there fails the probe instead of guessing.
TEST_F(SyzygyProbe, MissingTablesOnTheWayFailTheProbe) {
  test::ScratchFolder folder;
  folder.copyTable("KQvKR.rtbw");
  folder.copyTable("KQvKR.rtbz");
  initTablebases(folder.path());
  TestPosition capture("8/8/8/4k3/8/8/1r6/KQ6 w - - 0 1"), quiet("8/8/8/4k3/8/8/7r/KQ6 b - - 0 1");
  EXPECT_EQ(probeWdl(capture.pos, AnyDepth), WdlNone);  // Qxb2 and Kxb2 need KQvK
  EXPECT_EQ(probeRoot(capture.pos).wdl, WdlNone);
  folder.copyTable("KQvK.rtbw");
  folder.copyTable("KQvK.rtbz");
  folder.copyTable("KRvK.rtbw");
  initTablebases(folder.path());
  EXPECT_EQ(probeWdl(capture.pos, AnyDepth), 2);
  EXPECT_NE(probeWdl(quiet.pos, AnyDepth), WdlNone);
}

}  // namespace
}  // namespace tarn
