// Syzygy tablebase probing: win/draw/loss for the search, distance to zeroing
// and a move of the best class for the root.
//
// Tables are found by initTablebases and mapped when first needed (see
// syzygy_registry.h). Both probes may be called from every search thread at
// once; initTablebases only while no search runs.
#pragma once

#include <string>

#include "board/position.h"

namespace tarn {

constexpr int WdlNone = -3;  // no table answers

// (Re)initialises probing with the folders of `path` (";"-separated; "" or
// "<empty>" for none). Reports incomplete files; always true.
bool initTablebases(const std::string& path);

// The largest number of men of the tables found; 0 when none.
int largestTablebaseMen();

// Minimum remaining depth at which the search probes positions with the
// largest number of men ("SyzygyProbeDepth"); stored as given.
void setTablebaseProbeDepth(int depth);
int tablebaseProbeDepth();

// -2 loss, -1 loss saved by the fifty-move rule, 0 draw, 1 win spoilt by it,
// 2 win, for the side to move, the fifty-move counter taken as 0; WdlNone when
// no table answers, when castling rights remain, or when the position has the
// largest number of men and `depth` is below the probe depth.
int probeWdl(const Position& pos, int depth);

// At the root: a move of the best class (NullMove when there is no legal
// move), the class by the distance to zeroing and the fifty-move counter, and
// that distance (in plies, not signed; the class gives the sign).
struct RootProbe {
  Move move = NullMove;
  int wdl = WdlNone;
  int dtz = 0;
};
RootProbe probeRoot(const Position& pos);

}  // namespace tarn
