// Move-to-front decoding, the third stage of unpacking an entry: each input
// byte is a position in a list of the 256 byte values (first 0..255 in order);
// the value there is written and moved to the front of the list.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

// Decodes `in` into `out` (replacing its contents); the output is as long as the input.
void decodeMoveToFront(std::span<const uint8_t> in, std::vector<uint8_t>& out);

}  // namespace tarn
