// Per-thread evaluation state: caches, attack records, the network accumulator
// handed in by the search, the material info and the contempt settings.
#pragma once

#include <cstdint>
#include <memory>

#include "board/types.h"
#include "eval/hand_crafted.h"
#include "eval/material_info.h"
#include "eval/nn/accumulator.h"
#include "eval/nn/pawn_net_cache.h"
#include "eval/pawn_structure.h"

namespace tarn {

struct EvalContext {
  EvalContext() : pawnNetCache(std::make_unique<nn::PawnNetCache>()) { pawnNetCache->clear(); }

  std::unique_ptr<nn::PawnNetCache> pawnNetCache;
  PawnCache pawnCache;
  AttackInfo attacks[2];
  // The current ply's accumulator, kept by the search; null means the evaluation
  // refreshes one itself.
  const nn::Accumulator* accumulator = nullptr;
  MaterialInfo materialInfo;
  int contemptMid = 0;
  int contemptEnd = 0;
  TermResults terms{};
  int materialBonus = 0;
  Color contemptSide = White;

  // Empties the caches (new game, "Clear Hash").
  void clear() {
    pawnNetCache->clear();
    pawnCache.clear();
    materialInfo = MaterialInfo{};
  }
};

}  // namespace tarn
