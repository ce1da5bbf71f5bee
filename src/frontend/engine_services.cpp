#include "frontend/engine_services.h"

#include <atomic>

#include "eval/evaluate.h"
#include "eval/nn/network_set.h"
#include "eval/tb/bitbases.h"
#include "eval/tb/syzygy.h"
#include "frontend/engine_book.h"
#include "search/search_control.h"
#include "search/search_switches.h"
#include "search/transposition_table.h"

namespace tarn {

namespace {

std::atomic<int> tableMegabytes{0};

}  // namespace

int loadEndgameBitbases(const std::string& folder) { return loadBitbases(folder); }

int loadNeuralNets(const std::string& folder) { return nn::loadNetworks(folder); }

void buildEvaluationTables() { initEvaluation(); }

void buildSearchTables() { initSearchTables(); }

// The table is shared by the search threads: a running search is stopped first.
bool resizeTranspositionTable(int megabytes) {
  stopSearch(StopAndDiscard);
  if (!transpositionTable().resize(uint64_t(megabytes) << 20)) return false;
  clearThreadTables();
  tableMegabytes.store(megabytes, std::memory_order_relaxed);
  return true;
}

int transpositionTableMegabytes() { return tableMegabytes.load(std::memory_order_relaxed); }

void clearAllTables() {
  stopSearch(StopAndDiscard);
  transpositionTable().clear();
  clearThreadTables();
}

void clearSearchHistories() {
  stopSearch(StopAndDiscard);
  newGameSearchState();
}

void reloadTablebases(const std::string& path) {
  stopSearch(StopAndDiscard);
  initTablebases(path);
}

void createOpeningBook() {
  replaceOpeningBook();
  installBookProbe();
}

bool loadOpeningBook(const std::string& folder, const std::string& bookPath, ProtocolOutput& out) {
  const std::string path = bookFilePath(folder, bookPath);
  return !path.empty() && loadOpeningBookFile(path, out);
}

void startSearchThreads(int count) { startThreads(count); }

void stopSearchThreads() { shutdownThreads(); }

}  // namespace tarn
