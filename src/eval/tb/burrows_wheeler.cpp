#include "eval/tb/burrows_wheeler.h"

#include <memory>
#include <new>

#include "eval/tb/bitbase_limits.h"

namespace tarn {

namespace {

uint32_t readBigEndian(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

static_assert(MaxTransformEntries < (size_t(1) << 24), "rows must fit 24 bits beside a byte");

bool inverseBurrowsWheeler(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  if (in.size() < 4) return false;
  const uint32_t n = readBigEndian(in.data());
  if (n == 0 || (n & 0x80000000u)) return true;
  if (n > limit || size_t(n) + 1 > MaxTransformEntries || in.size() != burrowsWheelerBlockSize(n)) return false;
  const uint8_t* column = in.data() + 4;
  const size_t rows = size_t(n) + 1;
  const uint32_t primary = readBigEndian(column + rows);
  const uint32_t marker = readBigEndian(column + rows + 4);
  if (primary >= rows || marker >= rows) return false;

  // Rows sorted by their first entry: the rows starting with symbol s (the
  // marker is symbol 256) follow those of the smaller symbols, in column order.
  uint32_t start[258] = {};
  for (size_t i = 0; i < rows; ++i) ++start[(i == marker ? 256 : column[i]) + 1];
  for (int s = 1; s < 258; ++s) start[s] += start[s - 1];
  // Each entry holds the next row and, in its low byte, that row's column
  // byte, so the walk reads one word per output byte (rows < 2^24).
  std::unique_ptr<uint32_t[]> next(new (std::nothrow) uint32_t[rows]);
  if (!next) return false;
  for (size_t i = 0; i < rows; ++i) next[start[i == marker ? 256 : column[i]]++] = uint32_t(i) << 8 | column[i];

  out.resize(n);
  if (primary == marker) return false;
  uint32_t entry = next[primary];
  // The first byte is the primary row's own column byte.
  out[0] = column[primary];
  for (uint32_t k = 1; k < n; ++k) {
    const uint32_t row = entry >> 8;
    if (row == marker) return false;
    out[k] = uint8_t(entry);
    entry = next[row];
  }
  return true;
}

}  // namespace tarn
