// The build's kernels (AVX2 in the default build) against the scalar reference
// kernels: the same bits for any input, extremes included.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "eval/nn/kernels.h"

namespace tarn::nn::test {
namespace {

struct alignas(64) Vectors {
  int16_t v[8][640];
};

// Values from the whole int16 range, with the extremes over-represented.
int16_t randomValue(std::mt19937_64& rng) {
  switch (rng() % 8) {
    case 0:
      return -32768;
    case 1:
      return 32767;
    case 2:
      return int16_t(int(rng() % 64) - 32);
    default:
      return int16_t(rng());
  }
}

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasAvx2Kernels) GTEST_SKIP() << "portable build: the scalar kernels are the only ones";
  }
};

TEST_F(KernelTest, RowOperationsAgree) {
  std::mt19937_64 rng(3);
  auto in = std::make_unique<Vectors>();
  for (int round = 0; round < 200; ++round) {
    for (auto& row : in->v)
      for (int16_t& x : row) x = randomValue(rng);
    const int n = 16 * int(1 + rng() % 40);
    const int16_t* rows[5] = {in->v[1], in->v[2], in->v[3], in->v[4], in->v[5]};
    alignas(64) int16_t scalar[640], active[640];
    const int count = int(rng() % 6);
    ScalarKernels::biasPlusRows(scalar, in->v[0], rows, count, n);
    ActiveKernels::biasPlusRows(active, in->v[0], rows, count, n);
    ASSERT_EQ(std::memcmp(scalar, active, size_t(n) * 2), 0);
    const int adds = int(rng() % 3), subs = int(rng() % 4);
    ScalarKernels::addSubRows(scalar, rows, adds, rows + 1, subs, n);
    ActiveKernels::addSubRows(active, rows, adds, rows + 1, subs, n);
    ASSERT_EQ(std::memcmp(scalar, active, size_t(n) * 2), 0);
    ScalarKernels::clampAtZero(scalar, in->v[6], n);
    ActiveKernels::clampAtZero(active, in->v[6], n);
    ASSERT_EQ(std::memcmp(scalar, active, size_t(n) * 2), 0);
  }
}

TEST_F(KernelTest, DenseLayersAgreeOnEveryShape) {
  std::mt19937_64 rng(4);
  struct Shape {
    int inputs, outputs;
  } shapes[] = {{256, 16}, {288, 16}, {320, 16}, {32, 16}, {16, 1}, {16, 16}};
  auto weights = std::make_unique<Vectors>();
  for (int round = 0; round < 400; ++round) {
    const Shape s = shapes[round % 6];
    int16_t* w = &weights->v[0][0];  // 8 × 640 values: enough for 16 rows of 320
    for (int k = 0; k < s.inputs * s.outputs; ++k) w[k] = randomValue(rng);
    alignas(64) int16_t x[320];
    for (int k = 0; k < s.inputs; ++k) x[k] = randomValue(rng);
    int32_t biases[16];
    for (int32_t& b : biases) b = int32_t(randomValue(rng)) * 512;
    // Every product −32768 × −32768: each pair sums to 2^31, which wraps.
    if (round % 50 == 0) {
      std::fill(w, w + s.inputs * s.outputs, int16_t(-32768));
      std::fill(x, x + s.inputs, int16_t(-32768));
    }
    for (bool linear : {false, true}) {
      alignas(64) int16_t scalar[16], active[16];
      ScalarKernels::dense(w, biases, x, s.inputs, s.outputs, linear, scalar);
      ActiveKernels::dense(w, biases, x, s.inputs, s.outputs, linear, active);
      ASSERT_EQ(std::memcmp(scalar, active, size_t(s.outputs) * 2), 0) << s.inputs << " → " << s.outputs;
    }
  }
}

}  // namespace
}  // namespace tarn::nn::test
