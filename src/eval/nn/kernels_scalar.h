// Portable integer kernels of the network: accumulator rows and dense layers.
//
// This is the reference arithmetic. The vector kernels must give the same bits
// for every input, so everything here is spelled out in modular terms:
//   - accumulator values are int16 and every addition wraps modulo 2^16;
//   - a dense-layer sum is taken modulo 2^32, however large the products grow;
//   - the sum (plus bias × 512) is shifted right by 9 with sign, then saturated
//     to int16, then clamped at 0 unless the layer is linear; a linear layer with
//     a single output keeps the low 16 bits of the shifted sum instead.
// Lengths are multiples of 16 and pointers 32-byte aligned, as the vector kernels
// need; the scalar code itself would not care.
#pragma once

#include <cstdint>

namespace tarn::nn {

struct ScalarKernels {
  static constexpr const char* Name = "scalar";

  static int16_t wrapAdd(int16_t a, int16_t b) { return int16_t(uint16_t(uint16_t(a) + uint16_t(b))); }
  static int16_t wrapSub(int16_t a, int16_t b) { return int16_t(uint16_t(uint16_t(a) - uint16_t(b))); }

  // dst = bias + the sum of `count` rows, n values each.
  static void biasPlusRows(int16_t* dst, const int16_t* bias, const int16_t* const* rows, int count, int n) {
    for (int k = 0; k < n; ++k) dst[k] = bias[k];
    for (int r = 0; r < count; ++r)
      for (int k = 0; k < n; ++k) dst[k] = wrapAdd(dst[k], rows[r][k]);
  }

  // acc += the `addCount` rows of `adds` − the `subCount` rows of `subs`.
  static void addSubRows(int16_t* acc, const int16_t* const* adds, int addCount, const int16_t* const* subs,
                         int subCount, int n) {
    for (int r = 0; r < addCount; ++r)
      for (int k = 0; k < n; ++k) acc[k] = wrapAdd(acc[k], adds[r][k]);
    for (int r = 0; r < subCount; ++r)
      for (int k = 0; k < n; ++k) acc[k] = wrapSub(acc[k], subs[r][k]);
  }

  // dst = max(src, 0).
  static void clampAtZero(int16_t* dst, const int16_t* src, int n) {
    for (int k = 0; k < n; ++k) dst[k] = src[k] < 0 ? 0 : src[k];
  }

  // One dense layer: weights row-major, `inputs` per output; biases already × 512.
  static void dense(const int16_t* weights, const int32_t* biases, const int16_t* x, int inputs, int outputs,
                    bool linear, int16_t* y) {
    for (int j = 0; j < outputs; ++j) {
      const int16_t* w = weights + j * inputs;
      uint32_t sum = uint32_t(biases[j]);
      for (int i = 0; i < inputs; ++i) sum += uint32_t(int32_t(w[i]) * int32_t(x[i]));
      y[j] = finishSum(int32_t(sum), linear, outputs);
    }
  }

  // Shift, saturation and activation of one dense-layer sum.
  static int16_t finishSum(int32_t sum, bool linear, int outputs) {
    const int32_t shifted = sum >> 9;
    if (linear && outputs == 1) return int16_t(shifted);
    int32_t v = shifted < -32768 ? -32768 : shifted > 32767 ? 32767 : shifted;
    if (!linear && v < 0) v = 0;
    return int16_t(v);
  }
};

}  // namespace tarn::nn
