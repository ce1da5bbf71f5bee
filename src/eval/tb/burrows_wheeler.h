// The inverse Burrows–Wheeler transform, the fourth stage of unpacking an entry.
//
// A block is: N (u32, big-endian); the last column of the sorted rotations of
// the N data bytes followed by an end marker, N + 1 entries, where the entry at
// the marker's position holds an unused byte; the primary index (u32,
// big-endian), which is the row whose last entry is the first data byte; and
// the marker's position (u32, big-endian). The marker sorts after every byte.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

// Size of a block around N data bytes.
constexpr size_t burrowsWheelerBlockSize(size_t n) { return 4 + (n + 1) + 8; }

// Restores the data of the block `in` into `out` (replacing its contents). A
// block whose N is 0 or has its top bit set yields nothing. False when the
// block's length disagrees with N, an index lies outside the column, N exceeds
// `limit`, or the walk through the rows reaches the marker (all signs of a
// damaged block).
bool inverseBurrowsWheeler(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit);

}  // namespace tarn
