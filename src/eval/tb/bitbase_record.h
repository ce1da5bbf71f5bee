// One bitbase as it sits in memory: a bit array stored as fixed-size blocks,
// identical blocks kept once.
//
// In the unpacked set a record is: totalBytes u32 (bytes of the bit array),
// blockCount u32 (distinct blocks stored), blockSize u32 (a power of two), the
// block index (totalBytes / blockSize u16 numbers of stored blocks) and the
// blocks (blockCount * blockSize bytes); all little-endian. Bit b of the array
// is bit (b AND 7) of byte b >> 3, and byte k lies in block index[k / blockSize]
// at offset k AND (blockSize - 1).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace tarn {

// Reads little-endian u32 words from the unpacked set: a read with fewer than
// four bytes left yields 0 and leaves the cursor where it is.
struct SetCursor {
  std::span<const uint8_t> set;
  size_t position = 0;

  uint32_t readWord();
  size_t remaining() const { return set.size() - position; }
  // Moves past n bytes (at most to the end).
  void skip(uint64_t n) { position = n >= remaining() ? set.size() : position + size_t(n); }
};

class BitbaseRecord {
 public:
  // Reads the record at the cursor and moves the cursor past it. True when the
  // record is whole and consistent: blockSize a power of two dividing
  // totalBytes, index and blocks present in full, every index entry naming a
  // stored block. Otherwise the record stays empty. `begin` and `end` receive
  // the record's span in the set.
  bool read(SetCursor& cursor, size_t& begin, size_t& end);

  void clear();
  bool loaded() const { return loaded_; }
  uint64_t bitCount() const { return uint64_t(totalBytes_) * 8; }
  uint32_t totalBytes() const { return totalBytes_; }

  // -1 when the index lies outside the table, else the bit (1 = the strong side does not win).
  int bit(uint64_t index) const {
    if (index >= bitCount()) return -1;
    const uint64_t k = index >> 3;
    const uint32_t block = index_[k >> blockShift_];
    return (blocks_[(uint64_t(block) << blockShift_) + (k & blockMask_)] >> (index & 7)) & 1;
  }
  uint8_t byteAt(uint64_t k) const {
    return blocks_[(uint64_t(index_[k >> blockShift_]) << blockShift_) + (k & blockMask_)];
  }

 private:
  bool loaded_ = false;
  uint32_t totalBytes_ = 0;
  uint32_t blockShift_ = 0;
  uint64_t blockMask_ = 0;
  std::unique_ptr<uint16_t[]> index_;
  std::unique_ptr<uint8_t[]> blocks_;
};

// 32-bit FNV-1a hash of a record's bytes, the checksum table 1 keeps.
uint32_t recordChecksum(std::span<const uint8_t> bytes);

}  // namespace tarn
