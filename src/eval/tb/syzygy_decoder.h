// The value sequence of one Syzygy sub-table: its compression header, and the
// look-up of value number i.
//
// Values are stored as symbols; a symbol is a single value (a leaf) or a pair of
// two other symbols, so it expands to a run of values. The symbol stream is
// written with a canonical prefix code and cut into blocks that decode on their
// own; a size table gives each block's value count and a sparse index says in
// which block every 2^indexBits-th value lies.
//
// Every offset and count comes from a file that may be damaged, so the header
// reader checks what it can once (symbol references, spans, code lengths) and
// the look-up checks each block it walks to: bad data gives "no value", never
// a read outside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarn::syzygy {

struct PairsData {
  uint8_t flags = 0;            // bit 7: one value for the whole sub-table; bits 0-4: distance flags
  uint16_t singleValue = 0;
  int blockBits = 0;            // log2 of the block size in bytes
  int indexBits = 0;            // log2 of the values per sparse-index entry
  uint32_t realBlocks = 0;      // blocks stored
  uint32_t sizeEntries = 0;     // size-table entries: stored blocks plus phantom ones
  int minLength = 0;            // shortest code, in bits
  std::vector<uint64_t> limit;  // per code length from minLength: smallest codeword, top-aligned
  std::vector<uint16_t> first;  // per code length: number of its first symbol
  std::vector<uint16_t> left, right;  // pair halves; right == LeafMark marks a leaf of value left
  std::vector<uint32_t> span;   // values each symbol expands to
  uint64_t indexEntries = 0;
  size_t indexOffset = 0, sizeOffset = 0, dataOffset = 0;

  static constexpr uint16_t LeafMark = 0xFFF;
  bool isSingleValue() const { return (flags & 0x80) != 0; }
};

// Reads the compression header at `offset` of `file`; returns the offset just
// after it, or 0 when the header does not describe a usable code.
size_t readPairsHeader(std::span<const uint8_t> file, size_t offset, PairsData& pairs);

// Value number `index` of the sub-table; -1 when the data is inconsistent.
int decodeValue(const PairsData& pairs, std::span<const uint8_t> file, uint64_t index);

}  // namespace tarn::syzygy
