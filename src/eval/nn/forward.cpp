#include "eval/nn/forward.h"

#include "eval/nn/accumulator_ops.h"
#include "eval/nn/kernels.h"

namespace tarn::nn {

namespace {

template <class K>
void runDense(const Layer& layer, const int16_t* x, int16_t* y) {
  K::dense(layer.weights(), layer.biases, x, int(layer.inputs), int(layer.outputs), layer.linear, y);
}

}  // namespace

template <class K>
int forwardTwoView(const ChessBaseNet& net, const Accumulator& acc) {
  const int width = net.viewWidth();
  alignas(64) int16_t clamped[MaxAccumulatorLength];
  alignas(64) int16_t hidden1[32];
  alignas(64) int16_t hidden2[16];
  alignas(64) int16_t output[16];
  K::clampAtZero(clamped, acc.values, 2 * width);
  runDense<K>(net.layer(1), clamped, hidden1);
  runDense<K>(net.layer(1), clamped + width, hidden1 + 16);
  runDense<K>(net.layer(2), hidden1, hidden2);
  runDense<K>(net.layer(3), hidden2, output);
  return output[0];
}

template <class K>
int forwardWithPawnInput(const ChessBaseNet& net, const Accumulator& acc, const PawnNetEntry* pawnEntry) {
  alignas(64) int16_t clamped[MaxAccumulatorLength];
  alignas(64) int16_t hidden[32];
  alignas(64) int16_t hidden3[16];
  alignas(64) int16_t output[16];
  K::clampAtZero(clamped, acc.values, MaxAccumulatorLength);
  runDense<K>(net.layer(1), clamped, hidden);
  runDense<K>(net.layer(2), clamped + 320, hidden + 16);
  if (pawnEntry) {
    for (int k = 0; k < PawnInputWidth; ++k) {
      hidden[k] = ScalarKernels::wrapAdd(hidden[k], pawnEntry->view0[k]);
      hidden[16 + k] = ScalarKernels::wrapAdd(hidden[16 + k], pawnEntry->view1[k]);
    }
  }
  K::clampAtZero(hidden, hidden, 32);
  runDense<K>(net.layer(3), hidden, hidden3);
  runDense<K>(net.layer(4), hidden3, output);
  return output[0];
}

template <class K>
void computePawnStructure(const ChessBaseNet& pawnNet, const Position& pos, PawnNetEntry& entry) {
  Accumulator acc;
  refreshAccumulator<K>(pawnNet, pos, acc);
  const int width = pawnNet.viewWidth();
  alignas(64) int16_t clamped[MaxAccumulatorLength];
  alignas(64) int16_t outputs[2][16];
  K::clampAtZero(clamped, acc.values, 2 * width);
  runDense<K>(pawnNet.layer(1), clamped, outputs[0]);
  runDense<K>(pawnNet.layer(1), clamped + width, outputs[1]);
  for (int k = 0; k < PawnInputWidth; ++k) {
    entry.view0[k] = outputs[0][k];
    entry.view1[k] = outputs[1][k];
  }
}

template int forwardTwoView<ScalarKernels>(const ChessBaseNet&, const Accumulator&);
template int forwardWithPawnInput<ScalarKernels>(const ChessBaseNet&, const Accumulator&, const PawnNetEntry*);
template void computePawnStructure<ScalarKernels>(const ChessBaseNet&, const Position&, PawnNetEntry&);
#ifdef __AVX2__
template int forwardTwoView<Avx2Kernels>(const ChessBaseNet&, const Accumulator&);
template int forwardWithPawnInput<Avx2Kernels>(const ChessBaseNet&, const Accumulator&, const PawnNetEntry*);
template void computePawnStructure<Avx2Kernels>(const ChessBaseNet&, const Position&, PawnNetEntry&);
#endif

}  // namespace tarn::nn
