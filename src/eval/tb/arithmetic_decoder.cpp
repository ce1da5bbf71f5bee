#include "eval/tb/arithmetic_decoder.h"

#include <algorithm>
#include <array>
#include <bit>

#include "eval/tb/arithmetic_model.h"

namespace tarn {

namespace {

constexpr int CodeBits = 16;
constexpr uint32_t TopValue = (1u << CodeBits) - 1;
constexpr uint32_t Half = 0x8000;
constexpr uint32_t LowerBits = Half - 1;  // all bits below the top one
// The encoder's last two bits already select the final interval, so a decoder
// may read up to CodeBits - 2 bits past the end; more means the data was cut.
constexpr int MaxBitsPastEnd = CodeBits - 2;

// Each input byte's bits in the order they are taken, least significant first.
constexpr auto Reversed = [] {
  std::array<uint8_t, 256> r{};
  for (int b = 0; b < 256; ++b)
    for (int i = 0; i < 8; ++i)
      if (b >> i & 1) r[size_t(b)] |= uint8_t(0x80 >> i);
  return r;
}();

// The input as one stream of bits; zeros follow its end.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> in) : in_(in) {}

  // The next k (0..16) bits, the first of them the most significant.
  uint32_t take(int k) {
    while (count_ < k) {
      const uint64_t byte = position_ < in_.size() ? Reversed[in_[position_]] : 0;
      ++position_;
      buffer_ |= byte << (56 - count_);
      count_ += 8;
    }
    const uint32_t bits = k ? uint32_t(buffer_ >> (64 - k)) : 0;
    buffer_ <<= k;
    count_ -= k;
    taken_ += uint64_t(k);
    return bits;
  }
  bool overrun() const { return taken_ > 8 * uint64_t(in_.size()) + MaxBitsPastEnd; }

 private:
  std::span<const uint8_t> in_;
  size_t position_ = 0;
  uint64_t buffer_ = 0;  // bits not yet taken, the next one at the top
  int count_ = 0;
  uint64_t taken_ = 0;
};

}  // namespace

bool decodeArithmetic(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  ArithmeticModel model;
  BitReader bits(in);
  uint32_t value = bits.take(CodeBits), low = 0, high = TopValue;

  for (;;) {
    // value always lies within [low, high], so cum is below the total; the test
    // keeps the symbol search inside the model whatever the input. A range of
    // at most 2^16 times a total below 2^14 fits 32 bits.
    if (value < low || value > high) return false;
    const uint32_t range = high - low + 1;
    const uint32_t total = uint32_t(model.total());
    const int32_t cum = int32_t(((value - low + 1) * total - 1) / range);
    int symbol = 1;
    while (model.cumulative(symbol) > cum) ++symbol;
    high = low + range * uint32_t(model.cumulative(symbol - 1)) / total - 1;
    low = low + range * uint32_t(model.cumulative(symbol)) / total;

    // Scaling, several bits at once rather than the classic bit-by-bit loop.
    // The leading bits on which low and high agree are settled: shift them out.
    const int settled = std::min(CodeBits, std::countl_zero((low ^ high) << 16));
    if (settled) {
      low = (low << settled) & TopValue;
      high = ((high << settled) | ((1u << settled) - 1)) & TopValue;
      value = ((value << settled) | bits.take(settled)) & TopValue;
    }
    // Then, while low is 01... and high 10... (the interval straddles the
    // middle within the middle half), the second bit of all three is dropped.
    const int straddling = std::min(CodeBits - 1, std::countl_zero(((~low | high) & LowerBits) << 17));
    if (straddling) {
      low = (low & Half) | ((low << straddling) & LowerBits);
      high = (high & Half) | ((high << straddling) & LowerBits) | ((1u << straddling) - 1);
      value = (value & Half) | ((value << straddling) & LowerBits) | bits.take(straddling);
    }

    if (symbol == ArithmeticModel::EndSymbol) return !bits.overrun();
    if (bits.overrun() || out.size() >= limit) return false;
    out.push_back(model.byteOf(symbol));
    model.update(symbol);
  }
}

}  // namespace tarn
