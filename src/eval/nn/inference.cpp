#include "eval/nn/inference.h"

namespace tarn::nn {

int selectNetwork(const Position& pos) {
  const NetworkSet& set = networks();
  for (int i = 0; i < ListNetworkCount; ++i)
    if (set.list(i).Applies(pos)) return i;
  return -1;
}

}  // namespace tarn::nn
