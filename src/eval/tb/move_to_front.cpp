#include "eval/tb/move_to_front.h"


namespace tarn {

void decodeMoveToFront(std::span<const uint8_t> in, std::vector<uint8_t>& out) {
  uint8_t list[256];
  for (int i = 0; i < 256; ++i) list[i] = uint8_t(i);
  out.resize(in.size());
  for (size_t k = 0; k < in.size(); ++k) {
    const uint8_t position = in[k];
    const uint8_t value = list[position];
    // After the transform most positions are 0 or small: shift by hand.
    for (int i = position; i > 0; --i) list[i] = list[i - 1];
    list[0] = value;
    out[k] = value;
  }
}

}  // namespace tarn
