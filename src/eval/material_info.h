// Facts about the material balance, cached per search thread: the material key,
// the network that evaluates this balance, the material bonus, strengths for
// contempt and the game phase.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "eval/packed_score.h"

namespace tarn {

struct MaterialInfo {
  uint32_t key = 0;
  int32_t netIndex = -1;
  PackedScore materialBonus = 0;  // white's point of view, same value in both halves
  int32_t strength[2] = {0, 0};   // 410 per queen plus non-pawn material
  int32_t avgNonPawn = 0;
  int32_t phase = 0;
  bool valid = false;
};

uint32_t materialKey(const Position& pos);
int gamePhase(int avgNonPawn);

// Recomputes `info` unless its key already matches the position.
const MaterialInfo& getMaterialInfo(MaterialInfo& info, const Position& pos);

}  // namespace tarn
