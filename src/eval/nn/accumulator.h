// The per-ply accumulator of the search stack.
//
// An accumulator holds the input layer's outputs for one position and one
// network: the layer's int16 biases plus the rows of every active feature, added
// with wrapping 16-bit arithmetic. Two-view networks keep view 0 (White's view)
// in [0, viewWidth) and view 1 (Black's) in [viewWidth, 2 × viewWidth); the
// general network has one view of 640 values. The storage is sized for the
// largest network so that one array per ply serves every network; the search
// keeps the index of the network it was built for next to it.
#pragma once

#include <cstdint>

namespace tarn::nn {

constexpr int MaxAccumulatorLength = 640;

struct alignas(64) Accumulator {
  int16_t values[MaxAccumulatorLength];
};

// Activations of one forward pass: the accumulator copy followed by every later
// layer's outputs at its activation offset.
constexpr int ForwardScratchSize = 1024;

struct alignas(64) ForwardScratch {
  int16_t values[ForwardScratchSize];
};

}  // namespace tarn::nn
