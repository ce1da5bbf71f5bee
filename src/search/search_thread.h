// Everything one search thread owns: its copy of the root position, the search
// stack with the per-ply network accumulators, the principal-variation table,
// its histories, repetition table and evaluation context, its counters and, for
// the root, the root move list and the MultiPV slots.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "board/move_list.h"
#include "board/position.h"
#include "eval/eval_context.h"
#include "eval/nn/accumulator.h"
#include "search/history.h"
#include "search/repetition_table.h"
#include "search/search_types.h"
#include "search/transposition_table.h"

namespace tarn {

struct StackEntry {
  int staticEval = ScoreNone;
  Killers killers;
  Move mateThreatMove = NullMove;  // set by the parent: the mover's mate in one
  int pieceTo = 0;                 // continuation index of the move made at this ply
  int threatValue = 0;
  int pawnAdvance = 0;
  bool extended = false;
  bool nullMove = false;
  int moveCount = 0;               // evasions generated here when in check
  int destination = -1;            // of the move made at this ply (for recaptures)
  int netIndex = -1;
  nn::Accumulator accumulator;
};

// How often each pruning, reduction and extension rule acted: a cheap record that
// shows the switches at work.
struct RuleCounters {
  uint64_t reverseFutility = 0, nullMove = 0, tableCaptureCut = 0, probCut = 0, singular = 0, multiCut = 0,
           futileSkip = 0, lateMovePrune = 0, reduced = 0, extended = 0, mateThreat = 0, mateInOne = 0,
           threatMove = 0;
};

struct SearchThread {
  explicit SearchThread(int index);

  int index;
  bool isMain() const { return index == 0; }

  // The root and its castling record (a copy, so the front end may set up a new
  // position while this thread still looks at the old one).
  Position root{};
  CastlingSetup setup{};
  TranspositionTable* tt;

  // Stack entries are addressed by ply + StackOffset, so ply - 4 is always valid.
  static constexpr int StackOffset = 4;
  StackEntry stackEntries[StackSize + StackOffset + 2];
  StackEntry& stack(int ply) { return stackEntries[ply + StackOffset]; }
  PvLine pv[StackSize];

  std::unique_ptr<Histories> histories;
  RepetitionTable repetitions;
  std::unique_ptr<EvalContext> eval;

  // Counters: written by this thread only, read by the reporting thread.
  std::atomic<uint64_t> nodes{0}, qnodes{0}, tbHits{0};
  void countNode() { nodes.store(nodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
  void countQNode() { qnodes.store(qnodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
  void countTbHit() { tbHits.store(tbHits.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }

  std::atomic<int> iterationDepth{0};
  int multiPvIndex = 0;
  int selDepth = 0;
  Move currentRootMove = NullMove;
  int currentRootMoveNumber = 0;
  int rootGamePly = 0;

  MoveList rootMoves;
  bool rootFromTablebase = false;
  RootMove slots[MaxRootMoves];
  int slotCount = 1;

  int64_t searchStart = 0;      // milliseconds
  int64_t iterationStart = 0;   // milliseconds
  double firstMoveTime = 0;     // seconds the first root move of the iteration took
  int instability = 0, previousInstability = 0;
  int bestMoveChanges = 0;
  Move lastBestMove = NullMove;
  int stableSince = 0;          // iteration depth since which the best move has not changed
  int previousRootScore[2] = {ScoreNone, ScoreNone};
  uint8_t age8 = 0;

  RuleCounters rules;
  bool wideWindow = false;        // the root window reaches the mate range
  bool silent = false;           // reports nothing (the bench command)
  bool abort = false;           // this search has been stopped
  uint64_t lastClockCheck = 0;  // node count at the last look at the clock
  int64_t lastSnapshot = 0;     // milliseconds, the last snapshot for the window program
  bool timeControl = false;     // this thread watches the clock (the main thread of a timed search)
  bool nullMovePermitted = true;
  bool rootReductions = true;   // false for the one worker that searches the root in full
  bool useTable = true;         // the "Use Hash Table (tt)" switch
  int mode = 1;

  // Prepares the thread for a new search from `position` (copied with its setup).
  void prepare(const Position& position);
  void clearTables();
};

}  // namespace tarn
