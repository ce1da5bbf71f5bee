// A middle-game and an end-game value carried in one 32-bit integer, so that
// terms are summed with plain additions and tapered once at the end.
#pragma once

#include <cstdint>

namespace tarn {

using PackedScore = int32_t;

constexpr PackedScore makeScore(int mg, int eg) { return PackedScore(uint32_t(eg) << 16) + mg; }
constexpr int mgOf(PackedScore s) { return int16_t(uint16_t(uint32_t(s))); }
constexpr int egOf(PackedScore s) { return int16_t(uint16_t((uint32_t(s) + 0x8000u) >> 16)); }

// Phase 0..128, 128 being the full middle game.
constexpr int taper(PackedScore s, int phase) { return egOf(s) + (mgOf(s) - egOf(s)) * phase / 128; }

constexpr int MaxPhase = 128;

// Both halves multiplied by num / den, each truncated toward zero.
constexpr PackedScore scaleScore(PackedScore s, int num, int den) { return makeScore(mgOf(s) * num / den, egOf(s) * num / den); }

static_assert(mgOf(makeScore(-5, 7)) == -5 && egOf(makeScore(-5, 7)) == 7);
static_assert(mgOf(makeScore(300, -300)) == 300 && egOf(makeScore(300, -300)) == -300);
static_assert(egOf(makeScore(10, -2) + makeScore(-20, 5)) == 3 && mgOf(makeScore(10, -2) + makeScore(-20, 5)) == -10);

}  // namespace tarn
