// The root of the network classes: a stack of at most six integer layers and the
// one parameter array they share, with the record format that fills it.
//
// Parameter array. All layers' int16 parameters sit in one zero-filled block
// aligned to 64 bytes. Each layer's block (weights, then biases) starts at a
// multiple of 16 entries, so rows and dot products run on aligned vectors of
// sixteen values. A network that was never loaded, or whose record was refused,
// keeps all parameters at zero and so evaluates every position to 0.
//
// Record body, all integers little-endian (see PackedReader for the bit order):
//   layerCount u32, inputCount u32, then per layer: valueCount u32
//   (= outputs × (inputs + 1)), bitWidth u32 (0..16), offset u32, and valueCount
//   values of bitWidth bits each; parameter k of the layer = (value − offset)
//   modulo 2^16, in parameter order (weights, then biases).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "board/position.h"
#include "eval/nn/accumulator.h"
#include "eval/nn/layer.h"

namespace tarn::nn {

class NetworkFile;
class PackedReader;
class PackedWriter;
struct PawnNetEntry;

enum class Direction { Read, Write };

enum class RecordResult {
  Done,        // read and accepted, or written
  Rejected,    // read in full but refused (the next record can still be read), or the write failed
  Unreadable,  // no body could be read (end of file, blobSize too large, truncated): stop reading
};

class NeuralNetBase {
 public:
  NeuralNetBase() = default;
  virtual ~NeuralNetBase() = default;
  NeuralNetBase(const NeuralNetBase&) = delete;
  NeuralNetBase& operator=(const NeuralNetBase&) = delete;

  // ---- The operations every network class provides ----

  // Sets the feature counts, builds the feature table, declares the layers and
  // allocates the zeroed parameters.
  virtual void buildLayers() = 0;
  // Selection predicate: whether this network evaluates the position's material.
  virtual bool Applies(const Position& pos) const = 0;
  // acc = input-layer biases + rows of all active features.
  virtual void refreshAccumulator(const Position& pos, Accumulator& acc) const = 0;
  // Copies the accumulator to aligned scratch and runs Forward on it.
  virtual int evaluateAccumulator(const Accumulator& acc) const;
  // The raw output with the pawn-structure input; 0 for networks that take none.
  virtual int evaluateWithPawnInput(const Accumulator& acc, const PawnNetEntry* pawnEntry) const { return 0; }
  // Runs the layers after the input layer on `activations` (ForwardScratchSize
  // entries, the accumulator first). This generic version treats the layers as a
  // chain, each reading the previous layer's outputs.
  virtual int Forward(int16_t* activations) const;
  // Refreshes an accumulator for the position and runs Forward.
  virtual int evaluatePosition(const Position& pos) const;
  virtual void setName(std::string_view text) { name_ = text; }
  // Parses one record body into the parameters (false = refused; the parameters
  // may then be partly written and the caller resets them), or writes one body.
  virtual bool Serialize(PackedReader& in);
  virtual bool Serialize(PackedWriter& out) const;
  // Reads or writes one whole record of the network file. A refused or unreadable
  // record leaves the network with zero parameters and not loaded.
  virtual RecordResult readWriteFile(NetworkFile& file, Direction direction);

  // ---- Layers and parameters ----

  const std::string& name() const { return name_; }
  int layerCount() const { return int(layerCount_); }
  int inputCount() const { return int(inputCount_); }
  const LayerSpec& layerSpec(int l) const { return specs_[l]; }
  const Layer& layer(int l) const { return layers_[l]; }
  uint32_t totalParameters() const { return totalParameters_; }
  const int16_t* parameters() const { return parameters_.get(); }
  // Writable parameters, for loaders and training tools; call syncBiases afterwards.
  int16_t* mutableParameters() {
    dirty_ = true;
    return parameters_.get();
  }
  // Refreshes every layer's widened biases from the int16 parameters.
  void syncBiases();
  // All parameters and biases back to zero.
  void resetParameters();

  bool loaded() const { return loaded_; }
  void setLoaded(bool value) { loaded_ = value; }

 protected:
  // Declares the next layer; the activation offset follows from the layers before.
  void appendLayer(int inputs, int outputs, bool linear, bool inputMajor);
  // Allocates the zeroed parameter array for the declared layers and fills the layer records.
  void allocateParameters();

  std::string name_;
  bool loaded_ = false;

 private:
  struct AlignedDelete {
    void operator()(int16_t* p) const { ::operator delete[](p, std::align_val_t(64)); }
  };

  LayerSpec specs_[MaxLayers] = {};
  Layer layers_[MaxLayers];
  uint32_t layerCount_ = 0;
  uint32_t inputCount_ = 0;
  uint32_t totalParameters_ = 0;
  uint32_t parameterCapacity_ = 0;
  bool dirty_ = false;  // some parameter may be non-zero
  std::unique_ptr<int16_t[], AlignedDelete> parameters_;
};

}  // namespace tarn::nn
