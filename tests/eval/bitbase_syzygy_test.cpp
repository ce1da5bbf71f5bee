// The committed archive against the 3- and 4-man Syzygy tables the repository
// carries (tests/data/syzygy): a large random sample of legal positions of
// every table that has a Syzygy counterpart (all but table 5), each probed as
// the evaluation probes it, as drawn and with the colours swapped. A win is a
// Syzygy value above 0 for the strong side, whether or not the fifty-move rule
// would spoil it. tools/check_bitbases walks every position the same way.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbases.h"
#include "eval/tb/syzygy.h"
#include "support/board_placement.h"

namespace tarn {
namespace {

// Any bitbase win scores far above this, anything else far below it.
constexpr int DecisiveScore = 500;
constexpr int PositionsPerTable = 20000;

// The men besides the kings, as FEN letters; White is the strong side.
struct Ending {
  int table;
  const char* white;
  const char* black;
};
constexpr Ending Endings[] = {{TableKPK, "P", ""},   {TableKPKP, "P", "p"}, {TableKPPK, "PP", ""}, {TableKQKP, "Q", "p"},
                              {TableKRKP, "R", "p"}, {TableKNPK, "NP", ""}, {TableKBPK, "BP", ""}};

std::string randomFen(std::mt19937_64& rng, const Ending& e) {
  char board[64] = {};
  for (const char c : std::string("Kk") + e.white + e.black) {
    const bool pawn = c == 'P' || c == 'p';
    int s;
    do s = int(rng() % 64);
    while (board[s] || (pawn && (s < 8 || s >= 56)));
    board[s] = c;
  }
  std::string fen = tarn::test::placementField(board, '\0');
  return fen + (rng() & 1 ? " w - - 0 1" : " b - - 0 1");
}

struct BitbaseSyzygyTest : ::testing::Test {
  static void SetUpTestSuite() {
    initZobrist();
    initAttackTables();
    std::vector<uint8_t> set;
    readBitbaseSet(std::string(TARN_TEST_DATA) + "/../../data/EndgameBitbases.tbb", set);
    tables = new BitbaseSet;
    tables->load(set);
    initTablebases(std::string(TARN_TEST_DATA) + "/syzygy");
  }
  static void TearDownTestSuite() {
    delete tables;
    initTablebases("");
  }
  static inline BitbaseSet* tables = nullptr;

  // +1 when the bitbase score says White wins, -1 Black, 0 neither; 2 without an answer.
  static int engineClass(const Position& pos) {
    int score;
    if (!probeBitbases(*tables, pos, score)) return 2;
    const int white = pos.sideToMove == White ? score : -score;
    return white >= DecisiveScore ? 1 : white <= -DecisiveScore ? -1 : 0;
  }
};

TEST_F(BitbaseSyzygyTest, RandomPositionsOfEveryTableAgree) {
  ASSERT_EQ(tables->loadedCount, BitbaseCount);
  ASSERT_EQ(largestTablebaseMen(), 4);
  std::mt19937_64 rng(20261208);
  CastlingSetup setup{};
  for (const Ending& e : Endings) {
    int checked = 0, wins = 0, failures = 0;
    while (checked < PositionsPerTable) {
      const std::string fen = randomFen(rng, e);
      Position pos{};
      if (!readFen(pos, fen, setup)) continue;  // kings touching, or the side not to move in check
      const int wdl = probeWdl(pos, 1000);
      ASSERT_NE(wdl, WdlNone) << fen;
      ++checked;
      const int white = pos.sideToMove == White ? wdl : -wdl;
      wins += white > 0;
      // Only a pawn each also tells Black's wins; the other tables answer for White alone.
      const bool bothSides = e.table == TableKPKP;
      const int expected = white > 0 ? 1 : white < 0 && bothSides ? -1 : 0;
      int got = engineClass(pos);
      if (!bothSides && got == -1) got = 0;
      Position twin{};
      flipColours(pos, twin, FlipSwapColours);
      int gotTwin = engineClass(twin);
      if (!bothSides && gotTwin == 1) gotTwin = 0;
      if ((got != expected || gotTwin != -expected) && ++failures <= 5)
        ADD_FAILURE() << "table " << e.table + 1 << ": " << fen << " Syzygy " << wdl << ", bitbase " << got
                      << ", colours swapped " << gotTwin;
    }
    EXPECT_EQ(failures, 0) << "table " << e.table + 1;
    // The sample reaches both outcomes of every table.
    EXPECT_GT(wins, 0) << "table " << e.table + 1;
    EXPECT_LT(wins, checked) << "table " << e.table + 1;
  }
}

}  // namespace
}  // namespace tarn
