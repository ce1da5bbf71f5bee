#include "search/search_thread.h"

#include "eval/nn/inference.h"

namespace tarn {

SearchThread::SearchThread(int index)
    : index(index), tt(&transpositionTable()), histories(std::make_unique<Histories>()),
      eval(std::make_unique<EvalContext>()) {
  histories->clear();
}

void SearchThread::clearTables() {
  histories->clear();
  eval->clear();
}

void SearchThread::prepare(const Position& position) {
  setup = position.setup ? *position.setup : CastlingSetup{};
  root = position;
  root.setup = &setup;
  rootGamePly = root.ply;
  nodes.store(0, std::memory_order_relaxed);
  qnodes.store(0, std::memory_order_relaxed);
  tbHits.store(0, std::memory_order_relaxed);
  iterationDepth.store(0, std::memory_order_relaxed);
  selDepth = 0;
  multiPvIndex = 0;
  abort = false;
  lastClockCheck = 0;
  currentRootMove = NullMove;
  currentRootMoveNumber = 0;

  // The root's network accumulator; every later ply is kept up to date from it.
  StackEntry& rootEntry = stack(0);
  const int index = getMaterialInfo(eval->materialInfo, root).netIndex;
  rootEntry.netIndex = index >= 0 && nn::network(index).loaded() ? index : -1;
  if (rootEntry.netIndex >= 0) nn::refresh(rootEntry.netIndex, root, rootEntry.accumulator);
}

}  // namespace tarn
