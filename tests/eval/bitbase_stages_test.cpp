// The archive's decompression stages against the writer's inverse stages:
// every stage must give back exactly what the writer put in, on random data and
// on the shapes that strain each coder (runs around the 255 boundary, the
// starting pair of the run-length coder, one repeated byte, model halving),
// and must refuse damaged input without writing past its limit.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bitbases/packing_stages.h"
#include "eval/tb/arithmetic_decoder.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbase_limits.h"
#include "eval/tb/burrows_wheeler.h"
#include "eval/tb/move_to_front.h"
#include "eval/tb/run_length.h"

namespace tarn {
namespace {

using namespace bitbase_writer;
using Bytes = std::vector<uint8_t>;

Bytes randomBytes(size_t n, int alphabet, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (uint8_t& x : b) x = uint8_t(rng() % unsigned(alphabet));
  return b;
}

Bytes repeated(size_t n, uint8_t value) { return Bytes(n, value); }

// Shapes that exercise the edges of the coders.
std::vector<Bytes> testInputs() {
  std::vector<Bytes> inputs = {{}, {0}, {0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 1}, {7, 7, 7, 7}, {255}};
  for (const size_t n : {2u, 3u, 4u, 254u, 255u, 256u, 257u, 258u, 509u, 510u, 511u, 765u, 70000u})
    inputs.push_back(repeated(n, 0)), inputs.push_back(repeated(n, 0xAA));
  for (const int alphabet : {1, 2, 3, 16, 256}) inputs.push_back(randomBytes(5000, alphabet, uint32_t(alphabet)));
  // Runs of every length up to 600 between changes of value.
  Bytes runs;
  for (int len = 1; len <= 600; len += 7) runs.insert(runs.end(), size_t(len), uint8_t(len % 5));
  inputs.push_back(runs);
  // Sparse bits like a bitbase's: long zero runs broken by single bytes.
  Bytes sparse(200000, 0);
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) sparse[rng() % sparse.size()] = uint8_t(1 << (rng() % 8));
  inputs.push_back(sparse);
  return inputs;
}

TEST(BitbaseStages, EachStageRoundTripsWithTheWritersInverse) {
  for (const Bytes& in : testInputs()) {
    Bytes out;
    ASSERT_TRUE(decodeRunLength(encodeRunLength(in), out, MaxStageBytes)) << in.size();
    EXPECT_EQ(out, in);
    decodeMoveToFront(encodeMoveToFront(in), out);
    EXPECT_EQ(out, in);
    ASSERT_TRUE(inverseBurrowsWheeler(forwardBurrowsWheeler(in), out, MaxStageBytes)) << in.size();
    EXPECT_EQ(out, in);
    ASSERT_TRUE(decodeArithmetic(encodeArithmetic(in), out, MaxStageBytes)) << in.size();
    EXPECT_EQ(out, in);
    ASSERT_TRUE(unpackEntry(packEntry(in), out)) << in.size();
    EXPECT_EQ(out, in);
  }
}

// A skewed source keeps the model's total at its ceiling, so the frequencies
// are halved again and again while the symbol order keeps changing.
TEST(BitbaseStages, ArithmeticCodingSurvivesManyHalvings) {
  std::mt19937 rng(3);
  Bytes in(400000);
  for (uint8_t& x : in) x = uint8_t(rng() % 100 < 90 ? 0 : rng() % 100 < 50 ? rng() % 4 : rng());
  Bytes out;
  const Bytes coded = encodeArithmetic(in);
  EXPECT_LT(coded.size(), in.size() / 2);
  ASSERT_TRUE(decodeArithmetic(coded, out, MaxStageBytes));
  EXPECT_EQ(out, in);
}

TEST(BitbaseStages, RunLengthStartsFromThePairOneThenZero) {
  // After the start pair (1, 0), a second 0 already announces a count.
  Bytes out;
  ASSERT_TRUE(decodeRunLength(Bytes{0, 0, 3}, out, 100));
  EXPECT_EQ(out, Bytes(5, 0));
  ASSERT_TRUE(decodeRunLength(Bytes{5, 5, 5, 255, 0}, out, 1000));
  EXPECT_EQ(out, Bytes(258, 5));
  // Count bytes stay out of the remembered pair: 9 9 9 [0] 9 needs a count again.
  ASSERT_TRUE(decodeRunLength(Bytes{9, 9, 9, 0, 9, 1}, out, 100));
  EXPECT_EQ(out, Bytes(5, 9));
  EXPECT_EQ(encodeRunLength(Bytes{0, 0}), (Bytes{0, 0, 0}));
}

TEST(BitbaseStages, RunLengthRefusesOverrunsAndMissingCounts) {
  Bytes out;
  EXPECT_FALSE(decodeRunLength(Bytes{4, 4, 4}, out, 100));            // count missing
  EXPECT_FALSE(decodeRunLength(Bytes{4, 4, 4, 255, 255}, out, 100));  // count missing after 255
  EXPECT_FALSE(decodeRunLength(Bytes{4, 4, 4, 200}, out, 100));       // 203 bytes > 100
  EXPECT_LE(out.size(), 100u);
  EXPECT_FALSE(decodeRunLength(repeated(11, 1), out, 10));
  EXPECT_LE(out.size(), 10u);
  // Endless 255 counts end at the limit, not at the end of memory.
  Bytes flood = {6, 6, 6};
  flood.insert(flood.end(), 20000, 255);
  EXPECT_FALSE(decodeRunLength(flood, out, MaxStageBytes));
  EXPECT_LE(out.size(), MaxStageBytes);
}

TEST(BitbaseStages, BurrowsWheelerRefusesDamagedBlocks) {
  const Bytes good = forwardBurrowsWheeler(randomBytes(100, 4, 1));
  Bytes out;
  ASSERT_TRUE(inverseBurrowsWheeler(good, out, 1000));
  EXPECT_EQ(out.size(), 100u);

  Bytes shortBlock(good.begin(), good.end() - 1);
  EXPECT_FALSE(inverseBurrowsWheeler(shortBlock, out, 1000));
  Bytes longBlock = good;
  longBlock.push_back(0);
  EXPECT_FALSE(inverseBurrowsWheeler(longBlock, out, 1000));
  EXPECT_FALSE(inverseBurrowsWheeler(good, out, 99));  // N above the limit

  Bytes badPrimary = good;
  badPrimary[good.size() - 5] = 101;  // primary index 101 of rows 0..100
  EXPECT_FALSE(inverseBurrowsWheeler(badPrimary, out, 1000));
  Bytes badMarker = good;
  badMarker[good.size() - 8] = 1;  // marker far beyond the column
  EXPECT_FALSE(inverseBurrowsWheeler(badMarker, out, 1000));
  // The walk would have to pass the marker to produce N bytes.
  Bytes markerOnPath = good;
  const uint8_t primaryLow = good[good.size() - 5];
  markerOnPath[good.size() - 1] = primaryLow;  // the marker where the walk starts
  if (good[good.size() - 1] != primaryLow) {
    EXPECT_FALSE(inverseBurrowsWheeler(markerOnPath, out, 1000));
  }

  EXPECT_FALSE(inverseBurrowsWheeler(Bytes{0, 0, 1}, out, 1000));
}

TEST(BitbaseStages, BurrowsWheelerBlockOfNoBytesYieldsNothing) {
  Bytes out{1, 2, 3};
  EXPECT_TRUE(inverseBurrowsWheeler(Bytes{0, 0, 0, 0}, out, 1000));
  EXPECT_TRUE(out.empty());
  // A length with its top bit set is a block to ignore, whatever follows.
  EXPECT_TRUE(inverseBurrowsWheeler(Bytes{0x80, 0, 0, 5, 1, 2}, out, 1000));
  EXPECT_TRUE(out.empty());
}

TEST(BitbaseStages, ArithmeticDecoderStopsAtItsLimitAndAtTheEndOfInput) {
  const Bytes in = repeated(50000, 3);
  const Bytes coded = encodeArithmetic(in);
  Bytes out;
  EXPECT_FALSE(decodeArithmetic(coded, out, 49999));
  EXPECT_LE(out.size(), 49999u);
  // Cut data: the decoder runs out of bits before the end-of-data symbol.
  const Bytes text = randomBytes(3000, 256, 9);
  const Bytes full = encodeArithmetic(text);
  const Bytes cut(full.begin(), full.begin() + long(full.size() / 2));
  EXPECT_FALSE(decodeArithmetic(cut, out, MaxStageBytes));
  EXPECT_LT(out.size(), text.size());
  EXPECT_FALSE(decodeArithmetic(Bytes{}, out, MaxStageBytes));
}

TEST(BitbaseStages, GarbageNeverOverrunsAStage) {
  std::mt19937 rng(11);
  Bytes out;
  for (int round = 0; round < 300; ++round) {
    const Bytes junk = randomBytes(1 + rng() % 3000, round % 3 == 0 ? 2 : 256, uint32_t(round));
    if (unpackEntry(junk, out)) {
      EXPECT_LE(out.size(), MaxStageBytes);
    }
    decodeArithmetic(junk, out, 5000);
    EXPECT_LE(out.size(), 5000u);
    decodeRunLength(junk, out, 5000);
    EXPECT_LE(out.size(), 5000u);
    inverseBurrowsWheeler(junk, out, 5000);
    EXPECT_LE(out.size(), 5000u);
  }
}

}  // namespace
}  // namespace tarn
