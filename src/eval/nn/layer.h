// Layer descriptions of a network: the fixed shape of each layer and the record
// that locates its parameters in the network's shared parameter array.
//
// Every weight and bias is an int16 with 512 standing for 1.0; so are the
// activations. A layer's block in the parameter array holds its weights first,
// then its biases. The input layer is stored one row per input (weight (i, j) at
// start + i × outputs + j), so that switching a feature on or off adds or removes
// one contiguous row; every other layer is stored one row per output (weight
// (i, j) at start + j × inputs + i), the order a dot product reads.
#pragma once

#include <cstdint>

namespace tarn::nn {

constexpr int MaxLayers = 6;
constexpr int MaxLayerOutputs = 640;
constexpr int ActivationShift = 9;  // 512 = 1.0

// Shape of one layer, as the network class declares it.
struct LayerSpec {
  int32_t inputs;
  int32_t outputs;
  int32_t linear;            // 1 = no activation after this layer
  int32_t inputMajor;        // 1 only for the input layer
  int32_t activationOffset;  // where this layer's outputs start in the forward scratch
};

// Where one layer's parameters live, with its biases widened for the dense sums.
struct Layer {
  uint32_t inputs = 0;
  uint32_t outputs = 0;
  const int16_t* parameters = nullptr;   // the network's shared array
  uint32_t start = 0;                    // index of the first weight
  uint32_t biasStart = 0;                // start + inputs × outputs
  int32_t biases[MaxLayerOutputs] = {};  // int16 bias × 512
  bool linear = false;
  bool inputMajor = false;

  uint32_t valueCount() const { return outputs * (inputs + 1); }
  const int16_t* weights() const { return parameters + start; }
  const int16_t* biasValues() const { return parameters + biasStart; }
  // Row of input i of an input-major layer.
  const int16_t* inputRow(int i) const { return parameters + start + uint32_t(i) * outputs; }
};

}  // namespace tarn::nn
