#include "eval/material_info.h"

#include "board/attacks.h"
#include "eval/nn/inference.h"

namespace tarn {

uint32_t materialKey(const Position& pos) {
  uint32_t key = (uint32_t(pos.material[Black].signature) << 16) | pos.material[White].signature;
  const Bitboard whiteBishops = pos.pieces(White, Bishop), blackBishops = pos.pieces(Black, Bishop);
  if (whiteBishops & DarkSquares) key ^= 0x88888888u;
  if (whiteBishops & LightSquares) key ^= 0xA513981Eu;
  if (blackBishops & DarkSquares) key ^= 0xC9310FBAu;
  if (blackBishops & LightSquares) key ^= 0xDA0A87B4u;
  return key;
}

int gamePhase(int avgNonPawn) {
  if (avgNonPawn <= 1150) return 0;
  if (avgNonPawn >= 2700) return MaxPhase;
  return (avgNonPawn - 1150) * MaxPhase / 1550;
}

const MaterialInfo& getMaterialInfo(MaterialInfo& info, const Position& pos) {
  const uint32_t key = materialKey(pos);
  if (info.valid && info.key == key) return info;
  info.key = key;
  info.valid = true;
  info.netIndex = nn::selectNetwork(pos);

  const int d = materialSum(pos, White) - materialSum(pos, Black);
  int bonus = d;
  if (d > 875 && !pos.pieces(Black, Queen)) bonus = d + 200;
  if (d < -875 && !pos.pieces(White, Queen)) bonus = d - 200;
  info.materialBonus = bonus * 65537;

  for (Color c : {White, Black}) info.strength[c] = 410 * popCount(pos.pieces(c, Queen)) + nonPawnMaterial(pos, c);
  info.avgNonPawn = (nonPawnMaterial(pos, White) + nonPawnMaterial(pos, Black)) >> 1;
  info.phase = gamePhase(info.avgNonPawn);
  return info;
}

}  // namespace tarn
