#include "eval/tb/syzygy_material.h"

namespace tarn::syzygy {

namespace {

// One odd 64-bit constant per side and piece type (pawn..queen). Any fixed
// values keep the few hundred materials apart; a test checks every name that
// initialisation enumerates.
constexpr Key KeyFactor[2][5] = {
    {0x9E3779B97F4A7C15ULL, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL, 0xD6E8FEB86659FD93ULL,
     0xA0761D6478BD642FULL},
    {0xE7037ED1A0B428DBULL, 0x8EBC6AF09C88C6E3ULL, 0x589965CC75374CC3ULL, 0x1D8E4E27C47D124FULL,
     0xF1357AEA2E62A9C5ULL},
};

// Name letters by piece type pawn..queen, and the order names write them in.
constexpr char Letter[5] = {'P', 'N', 'B', 'R', 'Q'};
constexpr int NameOrder[5] = {Queen, Rook, Bishop, Knight, Pawn};

int typeOfLetter(char c) {
  for (int t = 0; t < 5; ++t)
    if (Letter[t] == c) return t;
  return -1;
}

}  // namespace

int Material::men() const {
  int n = 2;
  for (int side = 0; side < 2; ++side)
    for (int t = 0; t < 5; ++t) n += count[side][t];
  return n;
}

bool Material::symmetric() const {
  for (int t = 0; t < 5; ++t)
    if (count[0][t] != count[1][t]) return false;
  return true;
}

Material Material::swapped() const {
  Material m;
  for (int t = 0; t < 5; ++t) {
    m.count[0][t] = count[1][t];
    m.count[1][t] = count[0][t];
  }
  return m;
}

Key materialKey(const Material& m) {
  Key key = 0;
  for (int side = 0; side < 2; ++side)
    for (int t = 0; t < 5; ++t) key += m.count[side][t] * KeyFactor[side][t];
  return key;
}

Key materialKey(const Position& pos) {
  Key key = 0;
  for (int c = 0; c < 2; ++c)
    for (int t = Pawn; t <= Queen; ++t) key += Key(popCount(pos.pieces(Color(c), t))) * KeyFactor[c][t];
  return key;
}

std::string tableName(const Material& m) {
  std::string name;
  for (int side = 0; side < 2; ++side) {
    if (side == 1) name += 'v';
    name += 'K';
    for (int t : NameOrder) name.append(m.count[side][t], Letter[t]);
  }
  return name;
}

bool parseTableName(std::string_view name, Material& m) {
  m = Material{};
  const size_t v = name.find('v');
  if (v == std::string_view::npos) return false;
  const std::string_view sides[2] = {name.substr(0, v), name.substr(v + 1)};
  for (int side = 0; side < 2; ++side) {
    const std::string_view s = sides[side];
    if (s.empty() || s[0] != 'K') return false;
    for (char c : s.substr(1)) {
      const int t = typeOfLetter(c);
      if (t < 0) return false;
      ++m.count[side][t];
    }
  }
  return m.men() <= MaxTableMen;
}

}  // namespace tarn::syzygy
