#include "eval/tb/run_length.h"

#include <algorithm>

namespace tarn {

bool decodeRunLength(std::span<const uint8_t> in, std::vector<uint8_t>& out, size_t limit) {
  out.clear();
  // Runs usually leave the data less than twice as long; growing beyond that is rare.
  out.reserve(std::min(limit, in.size() * 2 + 64));
  uint8_t older = RunLengthStartOlder, recent = RunLengthStartRecent;
  size_t i = 0;
  while (i < in.size()) {
    const uint8_t c = in[i++];
    if (out.size() >= limit) return false;
    out.push_back(c);
    if (c == recent && c == older) {
      for (;;) {
        if (i >= in.size()) return false;  // the writer always ends a run with a count
        const uint8_t count = in[i++];
        if (count > limit - out.size()) return false;
        out.insert(out.end(), count, c);
        if (count < 255) break;
      }
    }
    older = recent;
    recent = c;
  }
  return true;
}

}  // namespace tarn
