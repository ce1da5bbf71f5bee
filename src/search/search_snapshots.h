// Snapshots of a running search for the window program, which drains them on
// its own thread; the queue has its own mutex.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "search/search_types.h"

namespace tarn {

struct SearchSnapshot {
  double elapsedSeconds = 0.000001;
  uint64_t nodes = 0;
  uint64_t qnodes = 0;
  int depth = 0;
  int selDepth = 0;
  int score = ScoreNone;
  Move currentMove = NullMove;
  int currentMoveNumber = 0;
  Move ponderMove = NullMove;
  std::vector<RootMove> lines;  // one per MultiPV slot
};

// Off until the window program switches it on: protocol runs keep no snapshots.
void enableSearchSnapshots(bool on);
bool searchSnapshotsEnabled();

// Adds a snapshot; the oldest ones go when the window program falls behind.
void pushSearchSnapshot(SearchSnapshot snapshot);
// Takes every snapshot queued so far, oldest first.
std::vector<SearchSnapshot> drainSearchSnapshots();

}  // namespace tarn
