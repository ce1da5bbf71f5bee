// Syzygy tablebase probing: win/draw/loss for the search, distance to zeroing
// and the best class of moves for the root.
#pragma once

#include <string>

#include "board/position.h"

namespace tarn {

constexpr int WdlNone = -3;  // no table answers

// (Re)initialises probing with the folders of `path` (";"-separated, "<empty>"
// for none); returns the largest number of men of the tables found.
int initTablebases(const std::string& path);
int largestTablebaseMen();

// -2 loss, -1 loss saved by the fifty-move rule, 0 draw, 1 win spoilt by it,
// 2 win, for the side to move; WdlNone when no table answers.
int probeWdl(const Position& pos);

// At the root: a move of the best class, the class and the distance to zeroing.
struct RootProbe {
  Move move = NullMove;
  int wdl = WdlNone;
  int dtz = 0;
};
RootProbe probeRoot(const Position& pos);

}  // namespace tarn
