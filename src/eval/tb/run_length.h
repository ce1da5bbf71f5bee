// Run-length decoding, the second and the last stage of unpacking an entry.
//
// Bytes are copied as they come. When a byte equals both of the two bytes
// copied before it (the pair starts as 1 then 0), a count follows: each count
// byte of 255 adds 255 copies and announces another count byte, the first one
// below 255 adds that many copies and ends the run. Count bytes never enter
// the remembered pair.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarn {

// The pair of previously copied bytes a run-length coder starts with, most recent last.
constexpr uint8_t RunLengthStartOlder = 1;
constexpr uint8_t RunLengthStartRecent = 0;

// Decodes `in` into `out` (replacing its contents). False when the output would
// exceed `limit` bytes or the input ends where a count byte is due.
bool decodeRunLength(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit);

}  // namespace tarn
