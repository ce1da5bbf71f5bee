#include "frontend/uci_search_report.h"

#include <algorithm>
#include <vector>

#include "board/fen.h"
#include "board/notation.h"
#include "frontend/engine_book.h"
#include "frontend/uci_report.h"
#include "search/search_control.h"
#include "search/time_management.h"
#include "search/transposition_table.h"

namespace tarn {

namespace {

// The lines of the MultiPV slots, scores and moves.
std::vector<ReportLine> linesOf(const SearchThread& main, std::vector<std::vector<Move>>& storage) {
  std::vector<ReportLine> lines;
  storage.assign(size_t(main.slotCount), {});
  for (int i = 0; i < main.slotCount; ++i) {
    const RootMove& slot = main.slots[i];
    storage[size_t(i)].assign(slot.pv.moves, slot.pv.moves + slot.pv.length);
    if (storage[size_t(i)].empty() && slot.move) storage[size_t(i)].push_back(slot.move);
    lines.push_back(ReportLine{slot.score, storage[size_t(i)]});
  }
  return lines;
}

}  // namespace

void installUciReports(EngineState& state, ProtocolOutput& out) {
  SearchCallbacks callbacks;
  callbacks.pv = [&out](const SearchThread& main, int line, tarn::PvBound bound) {
    std::vector<std::vector<Move>> storage;
    const std::vector<ReportLine> lines = linesOf(main, storage);
    PvReport report;
    report.depth = main.iterationDepth.load(std::memory_order_relaxed);
    report.selDepth = main.selDepth;
    report.searchedLine = std::min(line, int(lines.size()) - 1);
    report.bound = bound == tarn::PvBound::Upper ? ReportBound::Upper
                   : bound == tarn::PvBound::Lower ? ReportBound::Lower
                                                   : ReportBound::Exact;
    report.elapsedSeconds = secondsSince(main.searchStart);
    report.nodes = totalNodes();
    report.tbHits = totalTbHits();
    report.hashFull = transpositionTable().hashfull();
    report.lines = lines;
    const int count = pvLinesToPrint(main.slotCount, main.mode == ModeInfinite);
    for (const std::string& text : formatPvLines(report, count, main.root, isChess960())) out.line(text);
  };
  callbacks.currentMove = [&out](const SearchThread& main) {
    CurrentMoveReport report;
    report.depth = main.iterationDepth.load(std::memory_order_relaxed);
    report.move = main.currentRootMove;
    report.moveNumber = main.currentRootMoveNumber;
    report.elapsedSeconds = secondsSince(main.searchStart);
    report.nodes = totalNodes();
    report.hashFull = transpositionTable().hashfull();
    out.line(formatCurrentMoveLine(report, main.root, isChess960()));
  };
  callbacks.book = [&out](const SearchThread& main, const BookAnswer& answer) {
    // Only a move is reported: without one the search follows with its own lines.
    if (!answer.move) return;
    const Position& root = main.root;
    const std::string move = moveToCoordinate(answer.move, root, isChess960());
    const int score = root.sideToMove == White ? answer.score : -answer.score;
    out.line("info depth 1 score cp " + std::to_string(score) + " time 0 nodes 0 pv " + move);
    std::string name = openingBookFile();
    name = name.substr(name.find_last_of('/') + 1);
    out.line("info string book move " + move + " from " + name + ", " + std::to_string(answer.candidates) +
             (answer.candidates == 1 ? " candidate" : " candidates"));
  };
  callbacks.bestMove = [&out, &state](const SearchResult& result) {
    // Without a legal move a GUI still needs its answer.
    const std::string line =
        result.best ? formatBestMove(result.best, result.ponder, *result.root, isChess960()) : "bestmove 0000";
    state.log.append(line + "\n");
    out.line(line);
  };
  setSearchCallbacks(std::move(callbacks));
}

void ensureSearchThreads(EngineState& state) {
  if (!activeThreadCountStarted()) startThreads(state.options.threadCount);
}

}  // namespace tarn
