// The switches that turn the pruning, reduction and extension rules of the search
// on and off, and the tables behind those rules. All switches default to on; the
// window program lists them by name.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn {

struct SearchSwitches {
  std::atomic<uint8_t> nullMovePruning{1};
  std::atomic<uint8_t> threatMoveDetection{1};
  std::atomic<uint8_t> mateThreats{1};
  std::atomic<uint8_t> unused{1};  // has no entry in the window program and no reader
  std::atomic<uint8_t> singularExtension{1};
  std::atomic<uint8_t> lateMoveReductions{1};
  std::atomic<uint8_t> lateMovePruning{1};
  std::atomic<uint8_t> futilityPruning{1};
  std::atomic<uint8_t> probCutPruning{1};
  std::atomic<uint8_t> extensions{1};
};

extern SearchSwitches searchSwitches;

// The names the window program's search-settings list shows, in order.
inline constexpr const char* SearchSwitchNames[10] = {
    "Null Move Pruning", "Threat Move Detection", "Mate Threats", "",
    "Singular Extenstion", "Late Move Reductions", "Late Move Pruning", "Futility Pruning",
    "ProbCut Pruning", "Extensions"};

inline bool switchOn(const std::atomic<uint8_t>& s) { return s.load(std::memory_order_relaxed) != 0; }

// lmrTable[newDepth][late-move count] = round(0.5 * ln(d) * ln(n)) + 1, row and column 0 zero.
extern int lmrTable[128][128];
// lmpCount[improving][depth]: moves searched before late-move pruning starts.
extern int lmpCount[2][10];
// Exchange thresholds below which quiet moves are pruned, by depth - 1 (depth 1..7).
inline constexpr int QuietSeeThreshold[7] = {0, -50, -96, -344, -532, -876, -1027};

// Builds the reduction and move-count tables; called once at engine start.
void initSearchTables();

}  // namespace tarn
