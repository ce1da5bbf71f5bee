#include "search/transposition_table.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"

namespace tarn {
namespace {

constexpr uint64_t MB = 1 << 20;

// Keys that share a bucket and differ in their check bits.
Key keyInBucket(uint64_t bucket, uint32_t check) { return (Key(check) << 40) | bucket; }

TEST(TranspositionTable, SizesRoundDownToPowersOfTwoWithinLimits) {
  TranspositionTable tt;
  ASSERT_TRUE(tt.resize(5 * MB));
  EXPECT_EQ(tt.bucketCount(), 65536u);
  EXPECT_EQ(tt.sizeBytes(), 4 * MB);
  ASSERT_TRUE(tt.resize(4 * MB));
  EXPECT_EQ(tt.sizeBytes(), 4 * MB);
  ASSERT_TRUE(tt.resize(1000));
  EXPECT_EQ(tt.bucketCount(), 128u);
  ASSERT_TRUE(tt.resize(0));
  EXPECT_EQ(tt.bucketCount(), 128u);
}

TEST(TranspositionTable, FailedAllocationKeepsTheOldTable) {
  TranspositionTable tt;
  ASSERT_TRUE(tt.resize(MB));
  const Key key = keyInBucket(3, 77);
  tt.store(tt.claim(key), key, -100, 100, makeMove(E2, E4), 10, 5, 0, tt.age8(), 4, 0);
  // 2^33 buckets of 64 bytes (512 GB) cannot be had here.
  EXPECT_FALSE(tt.resize(uint64_t(1) << 40));
  EXPECT_EQ(tt.sizeBytes(), MB);
  ASSERT_TRUE(tt.probe(key));
  EXPECT_EQ(tt.probe(key).read().move, makeMove(E2, E4));
}

TEST(TranspositionTable, StoreProbeAndMateDistance) {
  TranspositionTable tt;
  tt.resize(MB);
  const Key key = keyInBucket(9, 0x123456);
  EXPECT_FALSE(tt.probe(key));
  const TTSlot slot = tt.claim(key);
  ASSERT_TRUE(slot);
  EXPECT_EQ(slot.read().depth, ClaimedDepth);
  EXPECT_EQ(slot.read().bound(), BoundNone);
  // A mate found at ply 5 is stored relative to the node and read back relative to ply 7.
  tt.store(slot, key, -200, 200, makeMove(G1, F3), 9990, 6, 5, tt.age8(), 12, FactPv);
  const TTData e = tt.probe(key).read();
  EXPECT_EQ(e.score, 9995);
  EXPECT_EQ(e.bound(), BoundLower);
  EXPECT_EQ(e.staticEval, 12);
  EXPECT_TRUE(e.facts() & FactPv);
  int score = 0;
  EXPECT_TRUE(TranspositionTable::isUsable(e, -200, 200, 6, 7, score));
  EXPECT_EQ(score, 9988);
}

TEST(TranspositionTable, ProvenMateRule) {
  // 10000 - m <= d + d/4 + d/2 + 2 with the bound's sign condition.
  EXPECT_TRUE(isProvenMate(9995, 3, BoundLower));
  EXPECT_FALSE(isProvenMate(9995, 3, BoundUpper));
  EXPECT_TRUE(isProvenMate(-9995, 3, BoundUpper));
  EXPECT_TRUE(isProvenMate(-9995, 3, BoundExact));
  EXPECT_FALSE(isProvenMate(9990, 3, BoundExact));  // 10 > 3 + 0 + 1 + 2
  EXPECT_FALSE(isProvenMate(9999, 10, BoundNone));
}

TEST(TranspositionTable, UsableOnlyWithTheRightBoundAndDepth) {
  TTData e{1, 0, 50, 0, NullMove, 8, BoundLower};
  int score;
  EXPECT_TRUE(TranspositionTable::isUsable(e, 0, 40, 8, 0, score));
  EXPECT_FALSE(TranspositionTable::isUsable(e, 0, 60, 8, 0, score));
  EXPECT_FALSE(TranspositionTable::isUsable(e, 0, 40, 9, 0, score));
  e.flags = BoundUpper;
  EXPECT_TRUE(TranspositionTable::isUsable(e, 60, 100, 8, 0, score));
  EXPECT_FALSE(TranspositionTable::isUsable(e, 40, 100, 8, 0, score));
  e.flags = BoundExact;
  EXPECT_TRUE(TranspositionTable::isUsable(e, -1000, 1000, 8, 0, score));
  EXPECT_FALSE(TranspositionTable::isUsable(e, -1000, 1000, 9, 0, score));
  // A proven mate deeper than needed is usable whatever its bound.
  e = TTData{1, 0, -9995, 0, NullMove, 6, uint8_t(BoundLower | (FactProvenMate << 2))};
  EXPECT_TRUE(TranspositionTable::isUsable(e, -100, 100, 5, 0, score));
  EXPECT_FALSE(TranspositionTable::isUsable(e, -100, 100, 6, 0, score));
  // Mate bounds are usable at any depth.
  e = TTData{1, 0, 9000, 0, NullMove, 1, BoundLower};
  EXPECT_TRUE(TranspositionTable::isUsable(e, 0, 100, 30, 0, score));
}

TEST(TranspositionTable, ReplacesTheShallowestCurrentEntry) {
  TranspositionTable tt;
  tt.resize(MB);
  const uint64_t bucket = 42;
  const int depths[5] = {7, 3, 9, 5, 8};
  for (int i = 0; i < 5; ++i) {
    const Key k = keyInBucket(bucket, 100 + i);
    tt.store(tt.claim(k), k, -50, 50, NullMove, i == 1 ? 0 : 60, depths[i], 0, tt.age8(), 0, 0);
  }
  // Entry 1 (depth 3) is exact: it counts as 7 plies deep, so entry 3 (depth 5) goes.
  const Key newcomer = keyInBucket(bucket, 999);
  const TTSlot slot = tt.selectSlot(tt.bucketOf(newcomer), TranspositionTable::keyCheckOf(newcomer), tt.age8());
  EXPECT_EQ(slot.index, 3);
  // Entries older than two generations go first.
  tt.age.store(tt.age.load() + 3);
  const Key fresh = keyInBucket(bucket, 100 + 2);
  tt.store(tt.probe(fresh), fresh, -50, 50, NullMove, 60, 9, 0, tt.age8(), 0, 0);
  EXPECT_NE(tt.selectSlot(tt.bucketOf(newcomer), TranspositionTable::keyCheckOf(newcomer), tt.age8()).index, 2);
}

TEST(TranspositionTable, ShallowerWeakerBoundOnlyLendsItsMove) {
  TranspositionTable tt;
  tt.resize(MB);
  const Key key = keyInBucket(5, 5555);
  tt.store(tt.claim(key), key, 0, 100, NullMove, 150, 10, 0, tt.age8(), NoScore, 0);
  // Shallower lower bound with a lower score: score and depth stay; the move is taken
  // because the store is at most two plies shallower.
  tt.store(tt.probe(key), key, 0, 100, makeMove(D2, D4), 120, 8, 0, tt.age8(), 33, 0);
  const TTData e = tt.probe(key).read();
  EXPECT_EQ(e.score, 150);
  EXPECT_EQ(e.depth, 10);
  EXPECT_EQ(e.move, makeMove(D2, D4));
  EXPECT_EQ(e.staticEval, 33);
}

TEST(TranspositionTable, DeeperStoreKeepsAMoveItLacks) {
  TranspositionTable tt;
  tt.resize(MB);
  const Key key = keyInBucket(6, 6666);
  tt.store(tt.claim(key), key, -100, 100, makeMove(C2, C4), 10, 6, 0, tt.age8(), 20, 0);
  tt.store(tt.probe(key), key, -100, 100, NullMove, -150, 6, 0, tt.age8(), NoScore, 0);
  const TTData e = tt.probe(key).read();
  EXPECT_EQ(e.move, makeMove(C2, C4));
  EXPECT_EQ(e.score, -150);
  EXPECT_EQ(e.bound(), BoundUpper);
  EXPECT_EQ(e.staticEval, 20);
}

TEST(TranspositionTable, HashfullCountsOnlyTheCurrentGeneration) {
  TranspositionTable tt;
  tt.resize(MB);
  for (uint64_t b = 0; b < 1000; ++b)
    for (int i = 0; i < 5; ++i) {
      const Key k = keyInBucket(b, 1 + i);
      tt.store(tt.selectSlot(tt.bucketOf(k), TranspositionTable::keyCheckOf(k), tt.age8()), k, 0, 1, NullMove, 0, 1, 0,
               tt.age8(), 0, 0);
    }
  EXPECT_EQ(tt.hashfull(), 1000);
  tt.age.store(tt.age.load() + 2);
  tt.clear();  // also forgets the cached figure
  EXPECT_EQ(tt.hashfull(), 0);
}

TEST(TranspositionTable, DescribeShowsTheEntryFromWhitesSide) {
  initZobrist();
  initAttackTables();
  Position pos;
  CastlingSetup setup;
  ASSERT_TRUE(readFen(pos, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", setup));
  TranspositionTable tt;
  tt.resize(MB);
  EXPECT_EQ(tt.describe(pos).rfind("Not Found\n(0 / 5 in bucket)\n", 0), 0u);
  tt.store(tt.claim(pos.key), pos.key, -30, 30, makeMove(E7, E5), 40, 9, 0, tt.age8(), -12, FactPv);
  EXPECT_EQ(tt.describe(pos),
            "Eval: <= -40  \nMove: e5  \nDepth: 9\nFail High\nAge: 0\nStatic Eval: 12\nPv | ");
}

// Many threads storing and probing the same buckets: run under ThreadSanitizer.
TEST(TranspositionTable, ConcurrentUseIsWellDefined) {
  TranspositionTable tt;
  tt.resize(MB);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&tt, t] {
      for (int i = 0; i < 20000; ++i) {
        const Key k = keyInBucket(uint64_t(i % 64), uint32_t(1 + (i * 7 + t) % 300));
        TTSlot slot = tt.probe(k);
        if (!slot) slot = tt.claim(k);
        tt.store(slot, k, -10, 10, makeMove(i % 64, (i + 9) % 64), i % 50 - 25, i % 20, 0, tt.age8(), 0, 0);
        tt.refresh(slot);
      }
    });
  for (auto& th : threads) th.join();
  SUCCEED();
}

}  // namespace
}  // namespace tarn
