#include "eval/tb/bitbase_record.h"

#include <bit>
#include <cstring>
#include <new>

namespace tarn {

uint32_t SetCursor::readWord() {
  if (remaining() < 4) return 0;
  const uint8_t* p = set.data() + position;
  position += 4;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void BitbaseRecord::clear() {
  loaded_ = false;
  totalBytes_ = 0;
  blockShift_ = 0;
  blockMask_ = 0;
  index_.reset();
  blocks_.reset();
}

bool BitbaseRecord::read(SetCursor& cursor, size_t& begin, size_t& end) {
  clear();
  begin = cursor.position;
  const bool headerPresent = cursor.remaining() >= 12;
  const uint32_t totalBytes = cursor.readWord();
  const uint32_t blockCount = cursor.readWord();
  const uint32_t blockSize = cursor.readWord();
  // A block size of 0 or one that does not divide the array would make the
  // index shorter than the array it maps; the cursor still moves on as the
  // sizes say, so that the next record is looked for where it would be.
  const bool shapeValid = headerPresent && std::has_single_bit(blockSize) && totalBytes % blockSize == 0 &&
                          blockCount <= 65536 && (totalBytes == 0 || blockCount > 0);
  const uint64_t indexCount = blockSize ? totalBytes / blockSize : 0;
  const uint64_t indexBytes = indexCount * 2;
  const uint64_t blockBytes = uint64_t(blockCount) * blockSize;
  const bool indexPresent = cursor.remaining() >= indexBytes;
  const size_t indexAt = cursor.position;
  cursor.skip(indexBytes);
  const bool blocksPresent = cursor.remaining() >= blockBytes;
  const size_t blocksAt = cursor.position;
  cursor.skip(blockBytes);
  end = cursor.position;
  if (!shapeValid || !indexPresent || !blocksPresent) return false;

  std::unique_ptr<uint16_t[]> index(new (std::nothrow) uint16_t[indexCount ? indexCount : 1]);
  std::unique_ptr<uint8_t[]> blocks(new (std::nothrow) uint8_t[blockBytes ? blockBytes : 1]);
  if (!index || !blocks) return false;
  const uint8_t* p = cursor.set.data() + indexAt;
  for (uint64_t i = 0; i < indexCount; ++i) {
    index[i] = uint16_t(p[2 * i] | p[2 * i + 1] << 8);
    if (index[i] >= blockCount) return false;
  }
  if (blockBytes) std::memcpy(blocks.get(), cursor.set.data() + blocksAt, blockBytes);

  index_ = std::move(index);
  blocks_ = std::move(blocks);
  totalBytes_ = totalBytes;
  blockShift_ = uint32_t(std::countr_zero(blockSize));
  blockMask_ = blockSize - 1;
  loaded_ = true;
  return true;
}

uint32_t recordChecksum(std::span<const uint8_t> bytes) {
  uint32_t h = 2166136261u;
  for (const uint8_t b : bytes) h = (h ^ b) * 16777619u;
  return h;
}

}  // namespace tarn
