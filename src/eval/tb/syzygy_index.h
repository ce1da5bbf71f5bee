// Index computation of Syzygy tables: from the squares of a position's pieces,
// listed in a sub-table's piece order, to the position's number in that table.
//
// Squares here are the table format's own: a1 = 0, h1 = 7, a2 = 8, h8 = 63
// (our boards count from a8; the prober converts). The piece list is cut into
// groups: a leading group (two kings, three unique pieces, or the pawns of the
// leading colour), the other colour's pawns, then runs of equal pieces. Each
// group has a number of placements N and a factor; the index is the sum of
// factor * placement number. Symmetries come first: pawnless positions are
// turned into the a1-d1-d4 triangle, pawn positions mirrored onto the a-d files.
#pragma once

#include <cstdint>

#include "eval/tb/syzygy_material.h"

namespace tarn::syzygy {

// How one sub-table numbers its positions.
struct IndexLayout {
  int men = 0;
  bool pawns = false;
  int leadSize = 0;     // 2 (two kings), 3 (three unique pieces) or the leading pawns L
  int otherPawns = 0;   // O: the other colour's pawns, right after the leading group
  int fileClass = 0;    // pawn tables: file class of the leading pawn (0 a/h ... 3 d/e)
  int groupCount = 0;   // remaining groups, in list order
  uint8_t groupStart[MaxTableMen] = {};
  uint8_t groupSize[MaxTableMen] = {};
  uint64_t leadFactor = 0, otherFactor = 0;
  uint64_t groupFactor[MaxTableMen] = {};
  uint64_t size = 0;    // number of indices
};

// Cuts the list after the leading group (and the other pawns) into runs of
// equal codes and hands out the factors by the order nibbles; false when the
// order values leave a group without a factor.
bool buildIndexLayout(IndexLayout& layout, const uint8_t* pieceCodes, int order, int order2);

// Pawn tables: among the leading pawns squares[0..count-1], moves the one the
// format leads with into slot 0 and returns its file class; -1 when a pawn
// stands on the first or last rank.
int chooseLeadingPawn(int* squares, int count);

// The index of the placement `squares` (one per slot, changed in place by the
// symmetries); false for placements the table cannot number (adjacent kings,
// pawns on the last ranks), which only illegal positions have.
bool computeIndex(const IndexLayout& layout, int* squares, uint64_t& index);

// ---- The constant tables, exposed for tests ---------------------------------

uint64_t binomial(int n, int k);
int leadCount(int pawns, int fileClass);      // N of a leading pawn group
int leadStart(int pawns, int leadSlot);       // first code of a lead slot
int kingPairCode(int triangleClass, int secondKing);  // -1 where impossible

}  // namespace tarn::syzygy
