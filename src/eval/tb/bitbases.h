// Endgame bitbases: win/not-win bits for the endings with few men, read from
// "EndgameBitbases.tbb" beside the executable.
//
// Nine records are read from the unpacked archive (bitbase_archive.h) in file
// order. Table 1 holds, as its bit array, the checksums of the eight others
// (little-endian u32 each, tables 2 to 9); a record counts as loaded only when
// it is whole and consistent and, for tables 2 to 9, matches its checksum, so a
// damaged archive loads fewer tables rather than wrong ones. The tables are
// read-only after loading; every search thread probes them without locks.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "board/position.h"
#include "eval/tb/bitbase_index.h"
#include "eval/tb/bitbase_record.h"

namespace tarn {

struct BitbaseSet {
  BitbaseRecord records[BitbaseCount];
  int loadedCount = 0;

  // Reads the nine records from an unpacked set, replacing any earlier ones;
  // returns the number loaded.
  int load(std::span<const uint8_t> set);
  void clear();

  // -1 when table `table` is not loaded or the index lies outside it, else the bit.
  int bit(int table, uint64_t index) const { return records[table].bit(index); }
};

// The engine's tables.
const BitbaseSet& bitbases();

// Loads "EndgameBitbases.tbb" from `folder` into the engine's tables, replacing
// the earlier ones (a missing or empty archive leaves none); returns the number
// of bitbases loaded, 0..9. Call only while no search runs.
int loadBitbases(const std::string& folder);

// The bitbase score of the position, in engine units from the side to move's
// point of view, when a loaded bitbase covers it: a decisive score for a win,
// 0 or a small material edge for a position the strong side cannot win, with
// terms for king distances and pawn advance. No answer while an en-passant
// capture is possible, since the tables know no en-passant rights.
bool probeBitbases(const BitbaseSet& set, const Position& pos, int& score);
inline bool probeBitbases(const Position& pos, int& score) { return probeBitbases(bitbases(), pos, score); }

}  // namespace tarn
