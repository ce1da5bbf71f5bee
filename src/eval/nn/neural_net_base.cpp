#include "eval/nn/neural_net_base.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "eval/nn/kernels.h"
#include "eval/nn/network_file.h"
#include "eval/nn/packed_stream.h"

namespace tarn::nn {

void NeuralNetBase::appendLayer(int inputs, int outputs, bool linear, bool inputMajor) {
  LayerSpec& s = specs_[layerCount_];
  s.inputs = inputs;
  s.outputs = outputs;
  s.linear = linear ? 1 : 0;
  s.inputMajor = inputMajor ? 1 : 0;
  s.activationOffset = 0;
  if (layerCount_ > 0) {
    const LayerSpec& previous = specs_[layerCount_ - 1];
    s.activationOffset = (previous.activationOffset + previous.outputs + 15) & ~15;
  } else {
    inputCount_ = uint32_t(inputs);
  }
  ++layerCount_;
}

void NeuralNetBase::allocateParameters() {
  totalParameters_ = 0;
  for (uint32_t l = 0; l < layerCount_; ++l)
    totalParameters_ += uint32_t(specs_[l].outputs) * uint32_t(specs_[l].inputs + 1);
  // Rounding each block up to 16 entries costs at most 15 per layer; the rest is slack.
  parameterCapacity_ = totalParameters_ + 31 * layerCount_;
  parameters_.reset(
      static_cast<int16_t*>(::operator new[](parameterCapacity_ * sizeof(int16_t), std::align_val_t(64))));
  std::memset(parameters_.get(), 0, parameterCapacity_ * sizeof(int16_t));

  uint32_t start = 0;
  for (uint32_t l = 0; l < layerCount_; ++l) {
    Layer& layer = layers_[l];
    layer.inputs = uint32_t(specs_[l].inputs);
    layer.outputs = uint32_t(specs_[l].outputs);
    layer.parameters = parameters_.get();
    layer.start = start;
    layer.biasStart = start + layer.inputs * layer.outputs;
    layer.linear = specs_[l].linear != 0;
    layer.inputMajor = specs_[l].inputMajor != 0;
    std::memset(layer.biases, 0, sizeof(layer.biases));
    start = (start + layer.valueCount() + 15) & ~15u;
  }
}

void NeuralNetBase::syncBiases() {
  for (uint32_t l = 0; l < layerCount_; ++l) {
    Layer& layer = layers_[l];
    for (uint32_t j = 0; j < layer.outputs && j < uint32_t(MaxLayerOutputs); ++j)
      layer.biases[j] = int32_t(parameters_[layer.biasStart + j]) * 512;
  }
}

void NeuralNetBase::resetParameters() {
  loaded_ = false;
  // Reloading refused records is common under fuzzing; skip clearing what is still clear.
  if (!dirty_) return;
  if (parameters_) std::memset(parameters_.get(), 0, parameterCapacity_ * sizeof(int16_t));
  for (uint32_t l = 0; l < layerCount_; ++l) std::memset(layers_[l].biases, 0, sizeof(layers_[l].biases));
  dirty_ = false;
}

int NeuralNetBase::evaluateAccumulator(const Accumulator& acc) const {
  ForwardScratch scratch{};
  std::memcpy(scratch.values, acc.values, sizeof(acc.values));
  return Forward(scratch.values);
}

int NeuralNetBase::Forward(int16_t* activations) const {
  if (layerCount_ < 2) return 0;
  const LayerSpec& first = specs_[0];
  if (!first.linear) ActiveKernels::clampAtZero(activations, activations, (first.outputs + 15) & ~15);
  for (uint32_t l = 1; l < layerCount_; ++l) {
    const LayerSpec& s = specs_[l];
    const int from = specs_[l - 1].activationOffset;
    // A stack that is not a plain chain would read outside the scratch: no value then.
    if (from + s.inputs > ForwardScratchSize || s.activationOffset + s.outputs > ForwardScratchSize) return 0;
    ScalarKernels::dense(layers_[l].weights(), layers_[l].biases, activations + from, s.inputs, s.outputs,
                         s.linear != 0, activations + s.activationOffset);
  }
  return activations[specs_[layerCount_ - 1].activationOffset];
}

int NeuralNetBase::evaluatePosition(const Position& pos) const {
  Accumulator acc;
  refreshAccumulator(pos, acc);
  return evaluateAccumulator(acc);
}

bool NeuralNetBase::Serialize(PackedReader& in) {
  uint32_t count = 0, inputs = 0;
  if (!in.readU32(count) || count != layerCount_) return false;
  if (!in.readU32(inputs) || inputs != inputCount_) return false;
  for (uint32_t l = 0; l < layerCount_; ++l) {
    Layer& layer = layers_[l];
    uint32_t valueCount = 0, bitWidth = 0, offset = 0;
    if (!in.readU32(valueCount) || valueCount != layer.valueCount()) return false;
    if (!in.readU32(bitWidth) || bitWidth > 16) return false;
    if (!in.readU32(offset)) return false;
    if (!in.hasBits(uint64_t(valueCount) * bitWidth)) return false;
    dirty_ = true;
    int16_t* out = parameters_.get() + layer.start;
    if (bitWidth == 0) {
      std::fill(out, out + valueCount, int16_t(uint16_t(0u - offset)));
      continue;
    }
    for (uint32_t k = 0; k < valueCount; ++k) out[k] = int16_t(uint16_t(in.readBits(int(bitWidth)) - offset));
  }
  syncBiases();
  return true;
}

bool NeuralNetBase::Serialize(PackedWriter& out) const {
  if (!out.writeU32(layerCount_) || !out.writeU32(inputCount_)) return false;
  for (uint32_t l = 0; l < layerCount_; ++l) {
    const Layer& layer = layers_[l];
    const int16_t* values = parameters_.get() + layer.start;
    int maxMagnitude = 0;
    for (uint32_t k = 0; k < layer.valueCount(); ++k) {
      const int magnitude = std::abs(int(values[k]));
      if (magnitude > maxMagnitude) maxMagnitude = magnitude;
    }
    const int width = packedWidthFor(maxMagnitude);
    const uint32_t offset = 1u << (width - 1);
    if (!out.writeU32(layer.valueCount()) || !out.writeU32(uint32_t(width)) || !out.writeU32(offset)) return false;
    for (uint32_t k = 0; k < layer.valueCount(); ++k)
      out.writeBits(uint32_t(int32_t(values[k]) + int32_t(offset)), width);
  }
  return true;
}

RecordResult NeuralNetBase::readWriteFile(NetworkFile& file, Direction direction) {
  if (direction == Direction::Write) {
    std::vector<uint8_t> body;
    PackedWriter out(body);
    return Serialize(out) && file.writeRecord(body) ? RecordResult::Done : RecordResult::Rejected;
  }
  resetParameters();
  std::span<const uint8_t> body;
  if (file.readRecord(body) != BodyStatus::Ok) return RecordResult::Unreadable;
  PackedReader in(body.data(), body.size());
  if (!Serialize(in)) {
    resetParameters();
    return RecordResult::Rejected;
  }
  loaded_ = true;
  return RecordResult::Done;
}

}  // namespace tarn::nn
