#include "eval/nn/packed_stream.h"

namespace tarn::nn {

bool PackedReader::readU32(uint32_t& value) {
  if (byte_ > size_ || size_ - byte_ < 4) return false;
  const uint8_t* p = data_ + byte_;
  value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  byte_ += 4;
  return true;
}

uint32_t PackedReader::readBits(int width) {
  uint32_t value = 0;
  int remaining = width;
  while (remaining > 0) {
    const int n = remaining < 8 - bit_ ? remaining : 8 - bit_;
    const uint32_t chunk = (uint32_t(data_[byte_]) >> bit_) & ((1u << n) - 1);
    value |= chunk << (remaining - n);
    remaining -= n;
    bit_ += n;
    if (bit_ == 8) {
      ++byte_;
      bit_ = 0;
    }
  }
  return value;
}

bool PackedWriter::writeU32(uint32_t value) {
  if (bit_ != 0) return false;
  for (int k = 0; k < 4; ++k) out_.push_back(uint8_t(value >> (8 * k)));
  return true;
}

void PackedWriter::writeBits(uint32_t value, int width) {
  int remaining = width;
  while (remaining > 0) {
    if (bit_ == 0) out_.push_back(0);
    const int n = remaining < 8 - bit_ ? remaining : 8 - bit_;
    const uint32_t chunk = (value >> (remaining - n)) & ((1u << n) - 1);
    out_.back() = uint8_t(out_.back() | (chunk << bit_));
    remaining -= n;
    bit_ = (bit_ + n) & 7;
  }
}

int packedWidthFor(int maxMagnitude) {
  for (int w = 1; w <= 15; ++w)
    if (maxMagnitude < (1 << (w - 1))) return w;
  return 16;
}

}  // namespace tarn::nn
