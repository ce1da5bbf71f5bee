// Material signatures of Syzygy tables: the piece counts a table name stands
// for, its 64-bit material key and the name itself.
//
// A table name lists one side's pieces after "K", then "v", then the other
// side's: "KRPvKR". The side written first is the table's first side (the
// format's "table-white"); it need not be the real White of a probed position.
// The key is a linear combination of the ten piece counts with fixed constants,
// so a position and a name give the same key for the same material, and the
// colour-swapped material has its own key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "board/position.h"

namespace tarn::syzygy {

constexpr int MaxTableMen = 7;

// Non-king piece counts per side, indexed by our piece types pawn..queen.
struct Material {
  uint8_t count[2][5] = {};

  int men() const;                 // kings included
  int pawns(int side) const { return count[side][Pawn]; }
  bool hasPawns() const { return count[0][Pawn] + count[1][Pawn] > 0; }
  bool symmetric() const;          // both sides hold the same pieces
  Material swapped() const;
  bool operator==(const Material&) const = default;
};

Key materialKey(const Material& m);

// The key of the position's material, real White as the first side.
Key materialKey(const Position& pos);

// "K" + first side's pieces in the order Q, R, B, N, P + "v" + "K" + the other side's.
std::string tableName(const Material& m);

// Reads a name written as tableName writes it (pieces in any order per side);
// false for anything else.
bool parseTableName(std::string_view name, Material& m);

}  // namespace tarn::syzygy
