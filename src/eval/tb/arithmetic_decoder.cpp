#include "eval/tb/arithmetic_decoder.h"

#include "eval/tb/arithmetic_model.h"

namespace tarn {

namespace {

constexpr int CodeBits = 16;
constexpr int32_t TopValue = (1 << CodeBits) - 1;
constexpr int32_t FirstQuarter = TopValue / 4 + 1;  // 0x4000
constexpr int32_t Half = 2 * FirstQuarter;          // 0x8000
constexpr int32_t ThirdQuarter = 3 * FirstQuarter;  // 0xC000
// The encoder's last two bits already select the final interval, so a decoder
// may read up to CodeBits - 2 bits past the end; more means the data was cut.
constexpr int MaxBitsPastEnd = CodeBits - 2;

class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> in) : in_(in) {}

  int next() {
    if (bitsLeft_ == 0) {
      if (position_ < in_.size()) {
        buffer_ = in_[position_++];
      } else {
        buffer_ = 0;
        ++bytesPastEnd_;
      }
      bitsLeft_ = 8;
    }
    const int bit = buffer_ & 1;
    buffer_ >>= 1;
    --bitsLeft_;
    if (bytesPastEnd_ > 0) ++bitsPastEnd_;
    return bit;
  }
  bool overrun() const { return bitsPastEnd_ > MaxBitsPastEnd; }

 private:
  std::span<const uint8_t> in_;
  size_t position_ = 0;
  unsigned buffer_ = 0;
  int bitsLeft_ = 0;
  int bytesPastEnd_ = 0;
  int bitsPastEnd_ = 0;
};

}  // namespace

bool decodeArithmetic(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  ArithmeticModel model;
  BitReader bits(in);
  int32_t value = 0, low = 0, high = TopValue;
  for (int i = 0; i < CodeBits; ++i) value = 2 * value + bits.next();

  for (;;) {
    // value always lies within [low, high], so cum is below the total; the test
    // keeps the symbol search inside the model whatever the input. A range of
    // at most 2^16 times a total below 2^14 fits 32 bits.
    if (value < low || value > high) return false;
    const uint32_t range = uint32_t(high - low) + 1;
    const uint32_t total = uint32_t(model.total());
    const int32_t cum = int32_t(((uint32_t(value - low) + 1) * total - 1) / range);
    int symbol = 1;
    while (model.cumulative(symbol) > cum) ++symbol;
    high = low + int32_t(range * uint32_t(model.cumulative(symbol - 1)) / total) - 1;
    low = low + int32_t(range * uint32_t(model.cumulative(symbol)) / total);
    for (;;) {
      if (high < Half) {
      } else if (low >= Half) {
        value -= Half;
        low -= Half;
        high -= Half;
      } else if (low >= FirstQuarter && high < ThirdQuarter) {
        value -= FirstQuarter;
        low -= FirstQuarter;
        high -= FirstQuarter;
      } else {
        break;
      }
      low = 2 * low;
      high = 2 * high + 1;
      value = 2 * value + bits.next();
    }
    if (symbol == ArithmeticModel::EndSymbol) return !bits.overrun();
    if (bits.overrun() || out.size() >= limit) return false;
    out.push_back(model.byteOf(symbol));
    model.update(symbol);
  }
}

}  // namespace tarn
