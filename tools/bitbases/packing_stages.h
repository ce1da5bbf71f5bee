// The archive writer's stages, each the inverse of one of the reader's
// (src/eval/tb): run-length coding, the Burrows–Wheeler transform with an end
// marker, move-to-front coding and adaptive arithmetic coding.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarn::bitbase_writer {

// Run-length coding read back by decodeRunLength: after a byte equal to the two
// bytes before it, the run's remaining length follows as count bytes.
std::vector<uint8_t> encodeRunLength(std::span<const uint8_t> in);

// One block: N big-endian, the last column with the marker's entry, the
// primary index and the marker's position, as inverseBurrowsWheeler reads it.
std::vector<uint8_t> forwardBurrowsWheeler(std::span<const uint8_t> in);

std::vector<uint8_t> encodeMoveToFront(std::span<const uint8_t> in);

// Arithmetic coding with the shared adaptive model, closed by the end-of-data symbol.
std::vector<uint8_t> encodeArithmetic(std::span<const uint8_t> in);

// The sizes each stage produced while packing one entry, for checking them against the reader's buffers.
struct PackedSizes {
  size_t runLength1, transform, moveToFront, runLength2, coded;
};

// All stages in the order the reader undoes them last to first.
std::vector<uint8_t> packEntry(std::span<const uint8_t> raw, PackedSizes* sizes = nullptr);

}  // namespace tarn::bitbase_writer
