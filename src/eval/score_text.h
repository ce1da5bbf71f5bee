// Scores as the window program writes them: "1.24", "-0.08", "M3", "-M2".
#pragma once

#include <string>

#include "board/types.h"

namespace tarn {

// The short form of analysis lines. Mate scores always read from White's side;
// other scores from the side to move's, or White's when `whitePointOfView` is set.
std::string shortScoreText(int score, Color sideToMove, bool whitePointOfView);

}  // namespace tarn
