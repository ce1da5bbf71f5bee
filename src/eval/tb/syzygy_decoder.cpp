#include "eval/tb/syzygy_decoder.h"

namespace tarn::syzygy {

namespace {

// Real tables expand a symbol to at most 256 values; anything far above that
// comes from damaged pair records.
constexpr uint32_t MaxSpan = 1 << 16;
// The bit window holds at least 57 fresh bits after a refill.
constexpr int MaxCodeLength = 56;

uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t readU32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Spans of every symbol, depth first without recursion; false on a cycle or
// an absurd span.
bool computeSpans(PairsData& d) {
  const size_t m = d.left.size();
  d.span.assign(m, 0);
  std::vector<uint8_t> state(m, 0);  // 0 unseen, 1 on the stack, 2 done
  std::vector<uint16_t> stack;
  for (size_t x = 0; x < m; ++x) {
    if (state[x] == 2) continue;
    stack.push_back(uint16_t(x));
    state[x] = 1;
    while (!stack.empty()) {
      const uint16_t y = stack.back();
      if (d.right[y] == PairsData::LeafMark) {
        d.span[y] = 1;
      } else {
        const uint16_t a = d.left[y], b = d.right[y];
        // A half that is still open is y itself or one of its ancestors.
        if (state[a] == 1 || state[b] == 1) return false;
        if (state[a] == 0) {
          state[a] = 1;
          stack.push_back(a);
          continue;
        }
        if (state[b] == 0) {
          state[b] = 1;
          stack.push_back(b);
          continue;
        }
        d.span[y] = d.span[a] + d.span[b];
        if (d.span[y] > MaxSpan) return false;
      }
      state[y] = 2;
      stack.pop_back();
    }
  }
  return true;
}

}  // namespace

size_t readPairsHeader(std::span<const uint8_t> file, size_t offset, PairsData& d) {
  const size_t size = file.size();
  if (offset + 2 > size) return 0;
  const uint8_t* h = file.data() + offset;
  d.flags = h[0];
  if (d.isSingleValue()) {
    d.singleValue = h[1];
    return offset + 2;
  }
  if (offset + 12 > size) return 0;
  d.blockBits = h[1];
  d.indexBits = h[2];
  d.sizeEntries = h[3];
  d.realBlocks = readU32(h + 4);
  const int maxLength = h[8];
  d.minLength = h[9];
  if (d.blockBits > 30 || d.indexBits < 1 || d.indexBits > 62) return 0;
  if (d.minLength < 1 || maxLength < d.minLength || maxLength > MaxCodeLength) return 0;
  d.sizeEntries += d.realBlocks;
  if (d.sizeEntries < d.realBlocks) return 0;

  const int lengths = maxLength - d.minLength + 1;
  if (offset + 12 + 2 * size_t(lengths) > size) return 0;
  d.first.resize(size_t(lengths));
  for (int j = 0; j < lengths; ++j) d.first[size_t(j)] = readU16(h + 10 + 2 * j);
  const size_t symbols = readU16(h + 10 + 2 * lengths);
  const size_t end = offset + 12 + 2 * size_t(lengths) + 3 * symbols + (symbols & 1);
  if (symbols == 0 || symbols > 4096 || end > size) return 0;

  // The smallest codeword of each length, from the longest up; a length whose
  // base reaches 2^length has no codes, and its limit is never met.
  d.limit.resize(size_t(lengths));
  int64_t base = 0;
  for (int j = lengths - 1; j >= 0; --j) {
    if (j < lengths - 1) base = (base + int64_t(d.first[size_t(j)]) - int64_t(d.first[size_t(j + 1)])) / 2;
    const int length = d.minLength + j;
    if (base < 0 || base > (int64_t(1) << length)) return 0;
    d.limit[size_t(j)] = base == (int64_t(1) << length) ? ~uint64_t(0) : uint64_t(base) << (64 - length);
  }

  const uint8_t* record = h + 12 + 2 * lengths;
  d.left.resize(symbols);
  d.right.resize(symbols);
  for (size_t x = 0; x < symbols; ++x, record += 3) {
    d.left[x] = uint16_t(record[0] | ((record[1] & 0x0F) << 8));
    d.right[x] = uint16_t((record[1] >> 4) | (record[2] << 4));
    if (d.right[x] != PairsData::LeafMark && (d.left[x] >= symbols || d.right[x] >= symbols)) return 0;
  }
  if (!computeSpans(d)) return 0;
  return end;
}

int decodeValue(const PairsData& d, std::span<const uint8_t> file, uint64_t index) {
  if (d.isSingleValue()) return d.singleValue;
  const uint8_t* bytes = file.data();
  const uint64_t entry = index >> d.indexBits;
  if (entry >= d.indexEntries) return -1;

  // The sparse index names the block of the entry's middle value; walk from
  // there through the size table to the block that holds `index`.
  const uint8_t* e = bytes + d.indexOffset + 6 * entry;
  uint32_t block = readU32(e);
  const uint64_t mask = (uint64_t(1) << d.indexBits) - 1;
  int64_t lit = int64_t(index & mask) - (int64_t(1) << (d.indexBits - 1)) + readU16(e + 4);
  if (block >= d.sizeEntries) return -1;
  const uint8_t* sizes = bytes + d.sizeOffset;
  while (lit < 0) {
    if (block == 0) return -1;
    --block;
    lit += int64_t(readU16(sizes + 2 * size_t(block))) + 1;
  }
  while (lit > readU16(sizes + 2 * size_t(block))) {
    lit -= int64_t(readU16(sizes + 2 * size_t(block))) + 1;
    if (++block >= d.sizeEntries) return -1;
  }
  if (block >= d.realBlocks) return -1;

  // Decode symbols from the block's start until the one that covers `lit`.
  const size_t blockBytes = size_t(1) << d.blockBits;
  const size_t start = d.dataOffset + size_t(block) * blockBytes;
  const uint64_t blockEnd = uint64_t(blockBytes) * 8;
  size_t next = start;
  uint64_t window = 0, used = 0;
  int bits = 0;
  auto refill = [&] {
    while (bits <= 56) {
      const uint64_t byte = next < start + blockBytes ? bytes[next] : 0;
      ++next;
      window |= byte << (56 - bits);
      bits += 8;
    }
  };
  refill();
  const size_t symbols = d.left.size();
  size_t symbol;
  for (;;) {
    size_t j = 0;
    while (window < d.limit[j]) ++j;
    const int length = d.minLength + int(j);
    symbol = d.first[j] + size_t((window - d.limit[j]) >> (64 - length));
    used += uint64_t(length);
    if (symbol >= symbols || used > blockEnd) return -1;
    if (lit < int64_t(d.span[symbol])) break;
    lit -= d.span[symbol];
    window <<= length;
    bits -= length;
    refill();
  }
  // Descend the pair tree to the leaf of value number `lit`.
  while (d.right[symbol] != PairsData::LeafMark) {
    const uint16_t a = d.left[symbol];
    if (lit < int64_t(d.span[a])) {
      symbol = a;
    } else {
      lit -= d.span[a];
      symbol = d.right[symbol];
    }
  }
  return d.left[symbol];
}

}  // namespace tarn::syzygy
