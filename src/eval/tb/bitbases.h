// Endgame bitbases: win/not-win bits for the endings with few men, read from
// "EndgameBitbases.tbb" beside the executable.
#pragma once

#include <string>

#include "board/position.h"

namespace tarn {

// Loads the archive from `folder`; returns the number of bitbases loaded.
int loadBitbases(const std::string& folder);

// The bitbase score of the position for the side to move, when a loaded bitbase
// covers it.
bool probeBitbases(const Position& pos, int& score);

}  // namespace tarn
