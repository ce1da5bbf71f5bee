// Random network parameters, for tests, benchmarks and experiments with the
// file format: every weight and bias drawn uniformly from −magnitude..magnitude
// by a seeded generator, so a seed always gives the same networks.
#pragma once

#include <cstdint>

#include "eval/nn/network_set.h"
#include "eval/nn/neural_net_base.h"

namespace tarn::nn {

// magnitude is clamped to 0..32767; the network is marked loaded.
void fillRandomParameters(NeuralNetBase& net, uint64_t seed, int magnitude);
// Each network of the set gets its own stream derived from `seed`.
void fillRandomParameters(NetworkSet& set, uint64_t seed, int magnitude);

}  // namespace tarn::nn
