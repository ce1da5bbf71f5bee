#include "frontend/engine_services.h"

#include <atomic>

namespace tarn {

namespace {

std::atomic<int> tableMegabytes{0};
std::atomic<int> tablebasePieces{0};

}  // namespace

int loadEndgameBitbases(const std::string&) { return 0; }

int loadNeuralNets(const std::string&) { return 0; }

void buildEvaluationTables() {}

void buildSearchTables() {}

void resizeTranspositionTable(int megabytes) { tableMegabytes.store(megabytes, std::memory_order_relaxed); }

int transpositionTableMegabytes() { return tableMegabytes.load(std::memory_order_relaxed); }

void clearAllTables() {}

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
