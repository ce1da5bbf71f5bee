#include "eval/tb/syzygy.h"

#include <atomic>
#include <cstdlib>

#include "eval/tb/syzygy_probe.h"
#include "eval/tb/syzygy_registry.h"

namespace tarn {

namespace {

std::atomic<int> probeDepth{2};

}  // namespace

bool initTablebases(const std::string& path) {
  syzygy::initRegistry(path);
  return true;
}

int largestTablebaseMen() { return syzygy::largestMen(); }

void setTablebaseProbeDepth(int depth) { probeDepth.store(depth, std::memory_order_relaxed); }
int tablebaseProbeDepth() { return probeDepth.load(std::memory_order_relaxed); }

int probeWdl(const Position& pos, int depth) {
  // Positions at the edge of the tables are probed only with enough depth left,
  // where a probe's cost is small against the subtree it replaces.
  const int men = popCount(pos.occupied);
  const int largest = syzygy::largestMen();
  if (men > largest || (men == largest && depth < tablebaseProbeDepth())) return WdlNone;
  if (pos.castlingRights) return WdlNone;
  const int wdl = syzygy::probeWdlValue(pos);
  return wdl == syzygy::ProbeFailed ? WdlNone : wdl;
}

RootProbe probeRoot(const Position& pos) {
  RootProbe result;
  if (popCount(pos.occupied) > syzygy::largestMen() || pos.castlingRights) return result;
  Move move = NullMove;
  int d = 0;
  if (!syzygy::probeRootMove(pos, move, d)) return result;
  const int r = pos.fiftyCounter;
  result.move = move;
  result.dtz = std::abs(d);
  result.wdl = d > 0 ? (r + d <= 100 ? 2 : 1) : d < 0 ? (r - d <= 100 ? -2 : -1) : 0;
  return result;
}

}  // namespace tarn
