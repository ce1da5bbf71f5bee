// The eight tables of the archive filled from the solver's results, in the
// index layout of src/eval/tb/bitbase_index.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "bitbases/endgame_solver.h"
#include "bitbases/record_builder.h"

namespace tarn::bitbase_gen {

// A legal position of one table: the solver's view (White the side the solver
// answers for) with the white king's square and the side to move.
struct TablePosition {
  Setup setup;
  int whiteKing;
  Color side;
};

// Calls f for every legal position of table `table` (TableKPK..TableKBPK),
// white king squares in increasing order; positions that reach the same index
// are all visited.
void forEachTablePosition(int table, const std::function<void(const TablePosition&)>& f);

// The position's index in its table.
uint64_t tableIndex(int table, const TablePosition& p);

// The table's bits (set = the strong side does not win) and the indices that
// matter. Returns false when two positions of one index disagree.
bool fillTable(EndgameSolver& solver, int table, bitbase_writer::TableBits& out);

// FEN of a table position, fifty-move counter 0.
std::string fenOf(const TablePosition& p);

}  // namespace tarn::bitbase_gen
