#include "eval/nn/random_parameters.h"

namespace tarn::nn {

namespace {

// splitmix64: small, seedable, and the same on every platform.
uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace

void fillRandomParameters(NeuralNetBase& net, uint64_t seed, int magnitude) {
  if (magnitude < 0) magnitude = 0;
  if (magnitude > 32767) magnitude = 32767;
  const uint64_t span = uint64_t(2 * magnitude + 1);
  uint64_t state = seed;
  int16_t* parameters = net.mutableParameters();
  for (int l = 0; l < net.layerCount(); ++l) {
    const Layer& layer = net.layer(l);
    for (uint32_t k = 0; k < layer.valueCount(); ++k)
      parameters[layer.start + k] = int16_t(int64_t(nextRandom(state) % span) - magnitude);
  }
  net.syncBiases();
  net.setLoaded(true);
}

void fillRandomParameters(NetworkSet& set, uint64_t seed, int magnitude) {
  for (int k = 0; k < NetworkRecordCount; ++k)
    fillRandomParameters(set.record(k), seed * 1000003 + uint64_t(k), magnitude);
}

}  // namespace tarn::nn
