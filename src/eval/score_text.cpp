#include "eval/score_text.h"

#include <cstdio>
#include <cstdlib>

namespace tarn {

std::string shortScoreText(int score, Color sideToMove, bool whitePointOfView) {
  if (score == -30000) return "invalid";
  char text[32];
  const int magnitude = std::abs(score);
  if (magnitude >= 9499) {
    const int white = sideToMove == White ? score : -score;
    const char* sign = white > 0 ? "M" : "-M";
    if (magnitude <= 9501) return std::string(sign) + "...";
    std::snprintf(text, sizeof text, "%s%d", sign, (10001 - magnitude) / 2);
    return text;
  }
  if (whitePointOfView && sideToMove == Black) score = -score;
  std::snprintf(text, sizeof text, "%s%d.%02d", score < 0 ? "-" : "", std::abs(score) / 100, std::abs(score) % 100);
  return text;
}

}  // namespace tarn
