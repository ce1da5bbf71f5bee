// AVX2 kernels of the network, sixteen int16 values per 256-bit vector.
//
// Same contract and same bits as ScalarKernels: _mm256_add_epi16 wraps like the
// scalar modular adds, _mm256_madd_epi16 and _mm256_add_epi32 keep sums modulo
// 2^32 (the one pair that overflows, two products of −32768 × −32768, wraps
// there too), and _mm256_packs_epi32 saturates exactly like the scalar clamp.
// Only compiled when the build targets AVX2 (x86-64-v3).
#pragma once

#ifdef __AVX2__

#include <immintrin.h>

#include <cstdint>

#include "eval/nn/kernels_scalar.h"

namespace tarn::nn {

struct Avx2Kernels {
  static constexpr const char* Name = "avx2";

  static __m256i load(const int16_t* p) { return _mm256_load_si256(reinterpret_cast<const __m256i*>(p)); }
  static void store(int16_t* p, __m256i v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }

  static void biasPlusRows(int16_t* dst, const int16_t* bias, const int16_t* const* rows, int count, int n) {
    for (int k = 0; k < n; k += 16) {
      __m256i v = load(bias + k);
      for (int r = 0; r < count; ++r) v = _mm256_add_epi16(v, load(rows[r] + k));
      store(dst + k, v);
    }
  }

  static void addSubRows(int16_t* acc, const int16_t* const* adds, int addCount, const int16_t* const* subs,
                         int subCount, int n) {
    for (int k = 0; k < n; k += 16) {
      __m256i v = load(acc + k);
      for (int r = 0; r < addCount; ++r) v = _mm256_add_epi16(v, load(adds[r] + k));
      for (int r = 0; r < subCount; ++r) v = _mm256_sub_epi16(v, load(subs[r] + k));
      store(acc + k, v);
    }
  }

  static void clampAtZero(int16_t* dst, const int16_t* src, int n) {
    const __m256i zero = _mm256_setzero_si256();
    for (int k = 0; k < n; k += 16) store(dst + k, _mm256_max_epi16(load(src + k), zero));
  }

  // Eight lane vectors, one per weight row j .. j + 7, whose totals are the dot
  // products of those rows with x. Each slice of x is loaded once for all eight.
  static void dotLanesEight(const int16_t* weights, int j, const int16_t* x, int inputs, __m256i s[8]) {
    for (int k = 0; k < 8; ++k) s[k] = _mm256_setzero_si256();
    for (int i = 0; i < inputs; i += 16) {
      const __m256i xv = load(x + i);
      for (int k = 0; k < 8; ++k)
        s[k] = _mm256_add_epi32(s[k], _mm256_madd_epi16(load(weights + (j + k) * inputs + i), xv));
    }
  }

  static __m256i dotLanes(const int16_t* w, const int16_t* x, int inputs) {
    __m256i s = _mm256_setzero_si256();
    for (int i = 0; i < inputs; i += 16) s = _mm256_add_epi32(s, _mm256_madd_epi16(load(w + i), load(x + i)));
    return s;
  }

  // Totals of eight lane vectors, in order, as one vector of eight sums.
  static __m256i reduceEight(const __m256i s[8]) {
    const __m256i t01 = _mm256_hadd_epi32(s[0], s[1]);
    const __m256i t23 = _mm256_hadd_epi32(s[2], s[3]);
    const __m256i t45 = _mm256_hadd_epi32(s[4], s[5]);
    const __m256i t67 = _mm256_hadd_epi32(s[6], s[7]);
    const __m256i t0123 = _mm256_hadd_epi32(t01, t23);  // low half and high half each hold sums 0..3
    const __m256i t4567 = _mm256_hadd_epi32(t45, t67);
    return _mm256_add_epi32(_mm256_permute2x128_si256(t0123, t4567, 0x20),
                            _mm256_permute2x128_si256(t0123, t4567, 0x31));
  }

  static void dense(const int16_t* weights, const int32_t* biases, const int16_t* x, int inputs, int outputs,
                    bool linear, int16_t* y) {
    if (outputs % 16 != 0) {
      // The single-output head: one dot product, finished like the scalar path.
      for (int j = 0; j < outputs; ++j) {
        const __m256i s = dotLanes(weights + j * inputs, x, inputs);
        __m128i h = _mm_add_epi32(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
        h = _mm_add_epi32(h, _mm_shuffle_epi32(h, 0x4E));
        h = _mm_add_epi32(h, _mm_shuffle_epi32(h, 0xB1));
        const uint32_t sum = uint32_t(_mm_cvtsi128_si32(h)) + uint32_t(biases[j]);
        y[j] = ScalarKernels::finishSum(int32_t(sum), linear, outputs);
      }
      return;
    }
    for (int j = 0; j < outputs; j += 16) {
      __m256i lanes[8];
      dotLanesEight(weights, j, x, inputs, lanes);
      __m256i lo = reduceEight(lanes);
      dotLanesEight(weights, j + 8, x, inputs, lanes);
      __m256i hi = reduceEight(lanes);
      lo = _mm256_srai_epi32(_mm256_add_epi32(lo, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(biases + j))), 9);
      hi = _mm256_srai_epi32(_mm256_add_epi32(hi, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(biases + j + 8))),
                             9);
      // packs works within 128-bit halves: restore the order 0..7, 8..15.
      __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
      if (!linear) packed = _mm256_max_epi16(packed, _mm256_setzero_si256());
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(y + j), packed);
    }
  }
};

}  // namespace tarn::nn

#endif  // __AVX2__
