// Sizes that bound every stage of reading the bitbase archive.
//
// The archive is outside input: whatever it holds, no stage may grow past these
// buffers, so each decoder checks its output against its limit before writing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarn {

constexpr size_t MaxStageBytes = 1'300'000;       // output of each byte stage of one entry
constexpr size_t MaxTransformEntries = 5'200'000; // the inverse Burrows–Wheeler transform vector
constexpr size_t MaxSetBytes = 4'000'000;         // all entries decompressed and appended
constexpr int32_t MaxEntryDataSize = 1'200'001;   // compressed bytes of one entry
constexpr int MaxEntryNameLength = 512;

constexpr const char* BitbaseFileName = "EndgameBitbases.tbb";

}  // namespace tarn
