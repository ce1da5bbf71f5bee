// The search-output formatters of the UCI front end.
#include "frontend/uci_report.h"

#include <gtest/gtest.h>

#include "board/fen.h"
#include "frontend/frontend_test_support.h"

namespace tarn::test {
namespace {

class UciReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initBoardTables();
    ASSERT_TRUE(readFen(start, StartFen, setup));
  }
  Position positionOf(const char* fen) {
    Position pos{};
    EXPECT_TRUE(readFen(pos, fen, otherSetup));
    return pos;
  }

  CastlingSetup setup{}, otherSetup{};
  Position start{};
};

constexpr Move E2E4 = makeMove(E2, E4), E7E5 = makeMove(E7, E5), G1F3 = makeMove(G1, F3), B8C6 = makeMove(B8, C6);
constexpr Move D2D4 = makeMove(D2, D4);

// ---- time figures ---------------------------------------------------------

TEST(TimeFigures, WholeCentisecondsMillisecondsAndNps) {
  TimeFigures t = timeFigures(1.234, 5000);
  EXPECT_EQ(t.centiseconds, 123u);
  EXPECT_EQ(t.milliseconds, 1230u);
  EXPECT_EQ(t.nodesPerSecond, 5000u * 100 / 123);

  t = timeFigures(0.0099, 777);  // below one centisecond
  EXPECT_EQ(t.centiseconds, 0u);
  EXPECT_EQ(t.milliseconds, 0u);
  EXPECT_EQ(t.nodesPerSecond, 0u);

  t = timeFigures(0, 0);
  EXPECT_EQ(t.nodesPerSecond, 0u);

  t = timeFigures(100.0, 10000000000ULL);  // no 32-bit overflow
  EXPECT_EQ(t.milliseconds, 100000u);
  EXPECT_EQ(t.nodesPerSecond, 100000000u);
}

// ---- scores -----------------------------------------------------------------

TEST(FormatScore, CentipawnsBelow9501) {
  EXPECT_EQ(formatScore(25, 5, 0), "cp 25");
  EXPECT_EQ(formatScore(-40, 5, 0), "cp -40");
  EXPECT_EQ(formatScore(9500, 5, 0), "cp 9500");
  EXPECT_EQ(formatScore(-9500, 5, 0), "cp -9500");
  EXPECT_EQ(formatScore(0, 5, 0), "cp 0");
}

TEST(FormatScore, MateDistances) {
  EXPECT_EQ(formatScore(9999, 5, 0), "mate 1");   // mate with the next move
  EXPECT_EQ(formatScore(9997, 5, 0), "mate 2");
  EXPECT_EQ(formatScore(9995, 5, 0), "mate 3");
  EXPECT_EQ(formatScore(9501, 5, 0), "mate 250");
  EXPECT_EQ(formatScore(-9998, 5, 0), "mate -1");  // mated after the reply
  EXPECT_EQ(formatScore(-9996, 5, 0), "mate -2");
  EXPECT_EQ(formatScore(-9501, 5, 0), "mate -250");
  EXPECT_EQ(formatScore(-10000, 5, 0), "mate 0");  // mated already
  EXPECT_EQ(formatScore(10000, 5, 0), "mate 0");
}

TEST(FormatScore, ZeroAtDepthZeroPrintsOne) {
  EXPECT_EQ(formatScore(0, 0, 0), "cp 1");
  EXPECT_EQ(formatScore(10000, 0, 0), "mate 1");
  EXPECT_EQ(formatScore(-10000, 0, 0), "mate 1");
  EXPECT_EQ(formatScore(0, 1, 0), "cp 0");
  EXPECT_EQ(formatScore(7, 0, 0), "cp 7");
}

TEST(FormatScore, NearZeroIsZeroPastPly80) {
  EXPECT_EQ(formatScore(2, 5, 81), "cp 0");
  EXPECT_EQ(formatScore(-2, 5, 81), "cp 0");
  EXPECT_EQ(formatScore(1, 5, 200), "cp 0");
  EXPECT_EQ(formatScore(2, 5, 80), "cp 2");   // not past ply 80 yet
  EXPECT_EQ(formatScore(3, 5, 81), "cp 3");
  EXPECT_EQ(formatScore(-3, 5, 81), "cp -3");
}

// ---- PV lines ---------------------------------------------------------------

TEST_F(UciReportTest, PvLineWithEveryField) {
  const Move pv[] = {E2E4, E7E5, G1F3};
  const ReportLine lines[] = {{35, pv}};
  PvReport report;
  report.depth = 7;
  report.selDepth = 12;
  report.elapsedSeconds = 1.5;
  report.nodes = 300000;
  report.tbHits = 4;
  report.hashFull = 12;
  report.lines = lines;
  EXPECT_EQ(formatPvLine(report, 0, start, false),
            "info multipv 1 depth 7 seldepth 12 score cp 35 time 1500 nodes 300000 nps 200000 tbhits 4 hashfull 12 "
            "pv e2e4 e7e5 g1f3");
}

TEST_F(UciReportTest, FailLowPrintsUpperBoundAndTwoMoves) {
  const Move pv[] = {E2E4, E7E5, G1F3, B8C6};
  const ReportLine lines[] = {{-15, pv}};
  PvReport report;
  report.depth = 9;
  report.selDepth = 14;
  report.bound = ReportBound::Upper;
  report.lines = lines;
  EXPECT_EQ(formatPvLine(report, 0, start, false),
            "info multipv 1 depth 9 seldepth 14 score cp -15 upperbound time 0 nodes 0 nps 0 tbhits 0 hashfull 0 "
            "pv e2e4 e7e5");
}

TEST_F(UciReportTest, FailHighPrintsLowerBoundAndOneMove) {
  const Move pv[] = {E2E4, E7E5, G1F3};
  const ReportLine lines[] = {{9997, pv}};
  PvReport report;
  report.depth = 9;
  report.selDepth = 9;
  report.bound = ReportBound::Lower;
  report.lines = lines;
  EXPECT_EQ(formatPvLine(report, 0, start, false),
            "info multipv 1 depth 9 seldepth 9 score mate 2 lowerbound time 0 nodes 0 nps 0 tbhits 0 hashfull 0 "
            "pv e2e4");
}

TEST_F(UciReportTest, MultiPvDepthsAndBoundsFollowTheLineBeingSearched) {
  const Move pv1[] = {E2E4, E7E5}, pv2[] = {D2D4}, pv3[] = {G1F3, B8C6};
  const ReportLine lines[] = {{30, pv1}, {20, pv2}, {10, pv3}};
  PvReport report;
  report.depth = 6;
  report.selDepth = 8;
  report.searchedLine = 1;
  report.bound = ReportBound::Upper;
  report.lines = lines;
  const std::vector<std::string> out = formatPvLines(report, 3, start, false);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], "info multipv 1 depth 6 seldepth 8 score cp 30 time 0 nodes 0 nps 0 tbhits 0 hashfull 0 pv e2e4 e7e5");
  EXPECT_EQ(out[1],
            "info multipv 2 depth 6 seldepth 8 score cp 20 upperbound time 0 nodes 0 nps 0 tbhits 0 hashfull 0 pv d2d4");
  EXPECT_EQ(out[2], "info multipv 3 depth 5 seldepth 8 score cp 10 time 0 nodes 0 nps 0 tbhits 0 hashfull 0 pv g1f3 b8c6");

  EXPECT_EQ(formatPvLines(report, 1, start, false).size(), 1u);
  EXPECT_EQ(formatPvLines(report, 10, start, false).size(), 3u);
  EXPECT_EQ(pvLinesToPrint(3, false), 1);
  EXPECT_EQ(pvLinesToPrint(3, true), 3);
}

TEST_F(UciReportTest, PvLinePastPly80PrintsDrawishScoresAsZero) {
  Position late = positionOf("4k3/8/8/8/8/8/4P3/4K3 w - - 0 45");
  late.ply = 82;  // the game's ply: FEN move numbers do not set it
  const Move pv[] = {makeMove(E2, E4)};
  const ReportLine lines[] = {{2, pv}};
  PvReport report;
  report.depth = 3;
  report.lines = lines;
  EXPECT_NE(formatPvLine(report, 0, late, false).find(" score cp 0 time "), std::string::npos);
  EXPECT_NE(formatPvLine(report, 0, start, false).find(" score cp 2 time "), std::string::npos);
}

TEST_F(UciReportTest, PvStopsAtEmptyFlaggedOrIllegalMoves) {
  const Move withNull[] = {E2E4, NullMove, G1F3};
  EXPECT_EQ(formatPv(start, withNull, 10, false), "e2e4");
  const Move withMarker[] = {E2E4, E7E5, MarkerDraw, G1F3};
  EXPECT_EQ(formatPv(start, withMarker, 10, false), "e2e4 e7e5");
  const Move withIllegal[] = {E2E4, E2E4, G1F3};
  EXPECT_EQ(formatPv(start, withIllegal, 10, false), "e2e4");
  const Move illegalFirst[] = {E7E5};
  EXPECT_EQ(formatPv(start, illegalFirst, 10, false), "");
  EXPECT_EQ(formatPv(start, {}, 10, false), "");
  const Move full[] = {E2E4, E7E5, G1F3};
  EXPECT_EQ(formatPv(start, full, 0, false), "");
}

TEST_F(UciReportTest, PvPromotionsAndCastling) {
  const Position promo = positionOf("7k/P7/8/8/8/8/8/K7 w - - 0 1");
  const Move underpromotion[] = {makeMove(A7, A8, PromoRook), makeMove(H8, H7)};
  EXPECT_EQ(formatPv(promo, underpromotion, 10, false), "a7a8r h8h7");

  const Position castling = positionOf("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  const Move castle[] = {makeMove(E1, H1), makeMove(E8, A8)};
  EXPECT_EQ(formatPv(castling, castle, 10, false), "e1g1 e8c8");
  EXPECT_EQ(formatPv(castling, castle, 10, true), "e1h1 e8a8");
}

// ---- current move line --------------------------------------------------------

TEST_F(UciReportTest, CurrentMoveLine) {
  CurrentMoveReport report;
  report.depth = 11;
  report.move = G1F3;
  report.moveNumber = 3;
  report.elapsedSeconds = 2.5;
  report.nodes = 1000000;
  report.hashFull = 87;
  EXPECT_EQ(formatCurrentMoveLine(report, start, false),
            "info depth 11 currmove g1f3 currmovenumber 3 time 2500 nodes 1000000 nps 400000 hashfull 87");
  report.elapsedSeconds = 0.001;
  EXPECT_EQ(formatCurrentMoveLine(report, start, false),
            "info depth 11 currmove g1f3 currmovenumber 3 time 0 nodes 1000000 nps 0 hashfull 87");
}

// ---- bestmove -------------------------------------------------------------------

TEST_F(UciReportTest, BestMoveWithPonder) {
  EXPECT_EQ(formatBestMove(E2E4, E7E5, start, false), "bestmove e2e4 ponder e7e5");
}

TEST_F(UciReportTest, BestMoveWithoutPonderEndsInABlank) {
  EXPECT_EQ(formatBestMove(E2E4, NullMove, start, false), "bestmove e2e4 ");
  EXPECT_EQ(formatBestMove(E2E4, MarkerTT, start, false), "bestmove e2e4 ");
  EXPECT_EQ(formatBestMove(E2E4, D2D4, start, false), "bestmove e2e4 ");  // not Black's move
  EXPECT_EQ(formatBestMove(E2E4, makeMove(E7, E4), start, false), "bestmove e2e4 ");
}

TEST_F(UciReportTest, NoBestMoveNoLine) {
  EXPECT_EQ(formatBestMove(NullMove, E7E5, start, false), "");
  EXPECT_EQ(formatBestMove(MarkerTable, E7E5, start, false), "");
}

TEST_F(UciReportTest, BestMoveCastlingFollowsTheChess960Flag) {
  const Position castling = positionOf("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
  EXPECT_EQ(formatBestMove(makeMove(E1, H1), makeMove(E8, A8), castling, false), "bestmove e1g1 ponder e8c8");
  EXPECT_EQ(formatBestMove(makeMove(E1, H1), makeMove(E8, A8), castling, true), "bestmove e1h1 ponder e8a8");
}

TEST_F(UciReportTest, LegalMoveTest) {
  EXPECT_TRUE(isLegalMove(start, E2E4));
  EXPECT_FALSE(isLegalMove(start, E7E5));
  EXPECT_FALSE(isLegalMove(start, NullMove));
  EXPECT_FALSE(isLegalMove(start, MarkerTT));
  const Position promo = positionOf("7k/P7/8/8/8/8/8/K7 w - - 0 1");
  EXPECT_TRUE(isLegalMove(promo, makeMove(A7, A8, PromoBishop)));
}

}  // namespace
}  // namespace tarn::test
