#include "bitbases/packing_stages.h"

#include <algorithm>
#include <cstring>

#include "eval/tb/arithmetic_model.h"
#include "eval/tb/run_length.h"

namespace tarn::bitbase_writer {

std::vector<uint8_t> encodeRunLength(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  out.reserve(in.size() + in.size() / 3 + 16);
  uint8_t older = RunLengthStartOlder, recent = RunLengthStartRecent;
  size_t i = 0;
  while (i < in.size()) {
    const uint8_t c = in[i++];
    out.push_back(c);
    if (c == recent && c == older) {
      size_t run = 0;
      while (i < in.size() && in[i] == c) ++run, ++i;
      for (; run >= 255; run -= 255) out.push_back(255);
      out.push_back(uint8_t(run));
    }
    older = recent;
    recent = c;
  }
  return out;
}

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// Rows of the sorted rotations of `s` (the marker, symbol 256, at its end), by
// prefix doubling with counting sorts. The marker is unique, so all rotations
// differ and sorting them sorts the suffixes.
std::vector<uint32_t> sortRotations(std::span<const uint8_t> data) {
  const size_t n = data.size() + 1;
  std::vector<uint32_t> sa(n), other(n), rank(n), nextRank(n);
  std::vector<uint32_t> count(std::max<size_t>(n, 257) + 1);
  for (size_t i = 0; i < n; ++i) rank[i] = i < data.size() ? data[i] : 256;
  std::fill(count.begin(), count.end(), 0);
  for (size_t i = 0; i < n; ++i) ++count[rank[i] + 1];
  for (size_t c = 1; c < count.size(); ++c) count[c] += count[c - 1];
  for (size_t i = 0; i < n; ++i) sa[count[rank[i]]++] = uint32_t(i);
  uint32_t classes = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i == 0 || rank[sa[i]] != rank[sa[i - 1]]) ++classes;
    nextRank[sa[i]] = classes - 1;
  }
  rank.swap(nextRank);
  for (size_t k = 1; classes < n; k <<= 1) {
    // Sorted by the second half already: shift the order back by k, then sort stably by the first half.
    for (size_t i = 0; i < n; ++i) other[i] = uint32_t((sa[i] + n - k % n) % n);
    std::fill(count.begin(), count.begin() + classes + 1, 0);
    for (size_t i = 0; i < n; ++i) ++count[rank[other[i]] + 1];
    for (uint32_t c = 1; c <= classes; ++c) count[c] += count[c - 1];
    for (size_t i = 0; i < n; ++i) sa[count[rank[other[i]]]++] = other[i];
    classes = 0;
    for (size_t i = 0; i < n; ++i) {
      if (i == 0 || rank[sa[i]] != rank[sa[i - 1]] || rank[(sa[i] + k) % n] != rank[(sa[i - 1] + k) % n]) ++classes;
      nextRank[sa[i]] = classes - 1;
    }
    rank.swap(nextRank);
  }
  return sa;
}

}  // namespace

std::vector<uint8_t> forwardBurrowsWheeler(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  putBigEndian(out, uint32_t(in.size()));
  if (in.empty()) return out;
  const std::vector<uint32_t> rows = sortRotations(in);
  const size_t n = rows.size();
  uint32_t primary = 0, marker = 0;
  for (size_t r = 0; r < n; ++r) {
    const uint32_t start = rows[r];
    if (start == 0) {
      marker = uint32_t(r);
      // The marker's entry is never read: repeat the byte before it, which codes cheapest.
      out.push_back(r > 0 ? out.back() : 0);
    } else {
      if (start == 1) primary = uint32_t(r);
      out.push_back(in[start - 1]);
    }
  }
  putBigEndian(out, primary);
  putBigEndian(out, marker);
  return out;
}

std::vector<uint8_t> encodeMoveToFront(std::span<const uint8_t> in) {
  uint8_t list[256];
  for (int i = 0; i < 256; ++i) list[i] = uint8_t(i);
  std::vector<uint8_t> out(in.size());
  for (size_t k = 0; k < in.size(); ++k) {
    const uint8_t value = in[k];
    int position = 0;
    while (list[position] != value) ++position;
    std::memmove(list + 1, list, size_t(position));
    list[0] = value;
    out[k] = uint8_t(position);
  }
  return out;
}

namespace {

class ArithmeticEncoder {
 public:
  static constexpr int32_t TopValue = 0xFFFF, FirstQuarter = 0x4000, Half = 0x8000, ThirdQuarter = 0xC000;

  explicit ArithmeticEncoder(std::vector<uint8_t>& out) : out_(out) {}

  void encode(int symbol, const ArithmeticModel& model) {
    const int64_t range = int64_t(high_) - low_ + 1;
    const int total = model.total();
    high_ = low_ + int32_t(range * model.cumulative(symbol - 1) / total) - 1;
    low_ = low_ + int32_t(range * model.cumulative(symbol) / total);
    for (;;) {
      if (high_ < Half) {
        bitPlusFollow(0);
      } else if (low_ >= Half) {
        bitPlusFollow(1);
        low_ -= Half;
        high_ -= Half;
      } else if (low_ >= FirstQuarter && high_ < ThirdQuarter) {
        ++bitsToFollow_;
        low_ -= FirstQuarter;
        high_ -= FirstQuarter;
      } else {
        break;
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
    }
  }

  // Two more bits pick a quarter inside the final interval; then the last byte.
  void finish() {
    ++bitsToFollow_;
    bitPlusFollow(low_ < FirstQuarter ? 0 : 1);
    if (bitsToGo_ < 8) out_.push_back(uint8_t(buffer_ >> bitsToGo_));
  }

 private:
  void outputBit(int bit) {
    buffer_ >>= 1;
    if (bit) buffer_ |= 0x80;
    if (--bitsToGo_ == 0) {
      out_.push_back(uint8_t(buffer_));
      bitsToGo_ = 8;
    }
  }
  void bitPlusFollow(int bit) {
    outputBit(bit);
    for (; bitsToFollow_ > 0; --bitsToFollow_) outputBit(!bit);
  }

  std::vector<uint8_t>& out_;
  int32_t low_ = 0, high_ = TopValue;
  long bitsToFollow_ = 0;
  unsigned buffer_ = 0;
  int bitsToGo_ = 8;
};

}  // namespace

std::vector<uint8_t> encodeArithmetic(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  ArithmeticModel model;
  ArithmeticEncoder encoder(out);
  for (const uint8_t byte : in) {
    const int symbol = model.symbolOf(byte);
    encoder.encode(symbol, model);
    model.update(symbol);
  }
  encoder.encode(ArithmeticModel::EndSymbol, model);
  encoder.finish();
  return out;
}

std::vector<uint8_t> packEntry(std::span<const uint8_t> raw, PackedSizes* sizes) {
  const std::vector<uint8_t> a = encodeRunLength(raw);
  const std::vector<uint8_t> b = forwardBurrowsWheeler(a);
  const std::vector<uint8_t> c = encodeMoveToFront(b);
  const std::vector<uint8_t> d = encodeRunLength(c);
  std::vector<uint8_t> e = encodeArithmetic(d);
  if (sizes) *sizes = {a.size(), b.size(), c.size(), d.size(), e.size()};
  return e;
}

}  // namespace tarn::bitbase_writer
