#include "frontend/engine_services.h"

#include <atomic>

#include "eval/evaluate.h"
#include "eval/nn/network_set.h"
#include "eval/tb/bitbases.h"
#include "search/transposition_table.h"

namespace tarn {

namespace {

std::atomic<int> tableMegabytes{0};
std::atomic<int> tablebasePieces{0};

}  // namespace

int loadEndgameBitbases(const std::string& folder) { return loadBitbases(folder); }

int loadNeuralNets(const std::string& folder) { return nn::loadNetworks(folder); }

void buildEvaluationTables() { initEvaluation(); }

void buildSearchTables() {}

bool resizeTranspositionTable(int megabytes) {
  if (!transpositionTable().resize(uint64_t(megabytes) << 20)) return false;
  tableMegabytes.store(megabytes, std::memory_order_relaxed);
  return true;
}

int transpositionTableMegabytes() { return tableMegabytes.load(std::memory_order_relaxed); }

void clearAllTables() { transpositionTable().clear(); }

void clearSearchHistories() {}

int initTablebases(const std::string&) {
  tablebasePieces.store(0, std::memory_order_relaxed);
  return 0;
}

int largestTablebase() { return tablebasePieces.load(std::memory_order_relaxed); }

void createOpeningBook() {}

bool loadOpeningBook(const std::string&) { return false; }

void startSearchThreads(int) {}

void stopSearchThreads() {}

}  // namespace tarn
