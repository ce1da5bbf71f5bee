// The bit-packed body of one network record, read or written with a byte cursor
// and a bit cursor.
//
// A value of w bits is stored most significant bits first, while the bytes fill
// from their least significant bit upward: the reader takes
// n = min(bits left, 8 − bitIndex) bits as (byte >> bitIndex) & (2^n − 1) and
// puts them at bit position (bits left − n) of the value. Plain u32 fields
// (little-endian) are read at the current byte whatever the bit cursor says, and
// do not move the bit cursor; the writer only places them on byte boundaries.
//
// The reader never looks past the end of its buffer: every read is checked first,
// and a failed check leaves the cursors where they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarn::nn {

class PackedReader {
 public:
  PackedReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // Reads a little-endian u32 at the current byte; false if it would pass the end.
  bool readU32(uint32_t& value);
  // True when `bits` more packed bits are available.
  bool hasBits(uint64_t bits) const { return bits <= bitsLeft(); }
  // Reads one packed value of `width` bits (0..16); the caller has checked hasBits.
  uint32_t readBits(int width);

  size_t bytePosition() const { return byte_; }
  int bitIndex() const { return bit_; }

 private:
  uint64_t bitsLeft() const { return byte_ >= size_ ? 0 : uint64_t(size_ - byte_) * 8 - uint64_t(bit_); }

  const uint8_t* data_;
  size_t size_;
  size_t byte_ = 0;
  int bit_ = 0;
};

class PackedWriter {
 public:
  explicit PackedWriter(std::vector<uint8_t>& out) : out_(out) {}

  // Appends a little-endian u32; false (nothing written) when a packed value has
  // left the current byte partly filled, since a reader would look for the field
  // at that byte.
  bool writeU32(uint32_t value);
  // Appends the low `width` bits (0..16) of `value`.
  void writeBits(uint32_t value, int width);

 private:
  std::vector<uint8_t>& out_;
  int bit_ = 0;  // bits already used in the last byte of out_; 0 = start a new byte
};

// The smallest width w in 1..15 with max |parameter| < 2^(w − 1), or 16.
int packedWidthFor(int maxMagnitude);

}  // namespace tarn::nn
