// The kernel set the build uses: AVX2 when the compiler targets it (the default
// x86-64-v3 build), otherwise the portable scalar reference.
#pragma once

#include "eval/nn/kernels_avx2.h"
#include "eval/nn/kernels_scalar.h"

namespace tarn::nn {

#ifdef __AVX2__
constexpr bool HasAvx2Kernels = true;
using ActiveKernels = Avx2Kernels;
#else
constexpr bool HasAvx2Kernels = false;
using ActiveKernels = ScalarKernels;
#endif

}  // namespace tarn::nn
