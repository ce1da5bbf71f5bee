// The layout of one Syzygy file (".rtbw" win/draw/loss or ".rtbz" distance to
// zeroing), parsed once when the file is first mapped.
//
// A file holds sub-tables: pawnless tables one per stored side to move, pawn
// tables one per file class of the leading pawn (and side). Each sub-table has a
// piece list (which piece owns which slot of the index), its index layout and
// its compressed values. Distance files also carry per-file-class value maps.
// Parsing checks that the sections add up to exactly the file's length, so
// everything the decoder later reads lies inside the mapping.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "eval/tb/syzygy_decoder.h"
#include "eval/tb/syzygy_index.h"
#include "eval/tb/syzygy_material.h"

namespace tarn::syzygy {

enum TableKind : int { WdlKind = 0, DtzKind = 1, DtmKind = 2 };

constexpr const char* TableExtension[3] = {".rtbw", ".rtbz", ".rtbm"};
constexpr uint32_t TableMagic[3] = {0x5D23E871, 0xA50C66D7, 0x88AC504B};

// Distance flags of a DTZ sub-table (its compression header's flags byte).
enum DtzFlag : uint8_t {
  DtzStoresSecondSide = 0x01,  // the stored side to move is the table's second side
  DtzHasMap = 0x02,
  DtzWinsExact = 0x04,         // wins stored in plies, not in pairs of plies
  DtzLossesExact = 0x08,
  DtzWideMap = 0x10,           // 16-bit map entries
};

struct SubTable {
  uint8_t pieces[MaxTableMen] = {};  // the format's piece codes (colour << 3 | type 1..6), slot by slot
  IndexLayout layout;
  PairsData pairs;
};

class TableFile {
 public:
  // Parses `bytes` as a file of `kind` for `material` (its first side is the
  // table's first side); nothing when the bytes are not such a file.
  static std::unique_ptr<TableFile> parse(std::span<const uint8_t> bytes, TableKind kind, const Material& material);

  std::span<const uint8_t> bytes() const { return file; }
  bool hasPawns() const { return pawns; }
  // Colour (0 first side, 1 second) and count of the pawns that lead the index.
  int leadColour() const { return leadSide; }
  int leadPawns() const { return leadCount; }
  // Sub-table of a file class (0 for pawnless tables) and stored side (0 for
  // distance files and symmetric tables).
  const SubTable& sub(int fileClass, int side) const { return subs[fileClass][side]; }

  // Distance files: entry `value` of the map for a result category (0 win,
  // 1 loss, 2 cursed win, 3 blessed loss); -1 when that value has no entry.
  int mapValue(int fileClass, int category, int value) const;

 private:
  std::span<const uint8_t> file;
  bool pawns = false;
  int leadSide = 0, leadCount = 0;
  SubTable subs[4][2];
  struct Map {
    size_t offset[4] = {};
    uint16_t count[4] = {};
    bool wide = false;
  } maps[4];
};

}  // namespace tarn::syzygy
