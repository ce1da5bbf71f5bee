// What start-up and the protocols ask of the other subsystems.
//
// Each function here is the single place its subsystem plugs in. Until that
// subsystem exists, the body does nothing and reports that nothing was loaded,
// so the start-up sequence, its messages and the protocol commands already run
// in their final order.
#pragma once

#include <string>

#include "frontend/protocol_output.h"

namespace tarn {

// Loads "EndgameBitbases.tbb" from `folder`; the number of bitbases loaded.
int loadEndgameBitbases(const std::string& folder);

// Loads "NeuralNets.tnn"; the number of networks loaded.
int loadNeuralNets(const std::string& folder);

// Evaluation tables (piece-square sums and the like).
void buildEvaluationTables();

// The reduction and move-count tables.
void buildSearchTables();

// Resizes the transposition table to `megabytes` and clears the per-thread
// tables. When the memory cannot be had the previous table stays and false is
// returned.
bool resizeTranspositionTable(int megabytes);
int transpositionTableMegabytes();

// "Clear Hash": clears the transposition table and every thread's tables.
void clearAllTables();

// New game: clears every search thread's history and ordering tables.
void clearSearchHistories();

// Re-initialises tablebase probing with the folders of `path`. A running search
// is stopped first: the old tables are unmapped under it.
void reloadTablebases(const std::string& path);

// Creates the empty book and lets the search ask it; then loads the file of a
// "BookPath" value into it (nothing for an empty value), reporting on `out`.
void createOpeningBook();
bool loadOpeningBook(const std::string& folder, const std::string& bookPath, ProtocolOutput& out);

// Starts `count` search threads (1..256) / shuts them down.
void startSearchThreads(int count);
void stopSearchThreads();

}  // namespace tarn
