// Adaptive arithmetic decoding with 16-bit code values, the first stage of
// unpacking a bitbase archive entry.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

// Decodes `in` into `out` (replacing its contents) up to the end-of-data
// symbol. Input bits are taken least significant first. False, with `out`
// holding whatever was decoded, when the data would exceed `limit` bytes or the
// input ends more than 14 bits before the end-of-data symbol.
bool decodeArithmetic(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit);

}  // namespace tarn
