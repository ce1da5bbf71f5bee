// The search threads and how the front ends drive them.
//
// Slot 0 runs the control loop: it sleeps until a front end posts a request,
// searches it with iterative deepening while waking the worker slots, and hands
// the best move back. Workers search the same root with their own copies and
// share only the transposition table. One engine mutex with two condition
// variables guards the request (one signalled when a request is posted or
// withdrawn, one when the control thread takes it or becomes idle); each slot
// has its own mutex and condition variable for its "go" flag.
#pragma once

#include <cstdint>
#include <functional>

#include "board/position.h"
#include "search/search_limits.h"
#include "search/search_thread.h"

namespace tarn {

enum class PvBound : int { Exact = 0, Upper = 1, Lower = 2 };

// The opening book is asked only while the game is young.
constexpr int MaxBookPly = 70;

// The opening book's answer before an ordinary search.
struct BookAnswer {
  Move move = NullMove;  // NullMove: the book has no move, the search runs
  int score = 0;
  int candidates = 0;
};

// Asks the book about `root`. `history` holds the keys of the game's positions
// since the last irreversible move, the last of them at ply root.ply - 1.
using BookProbe = std::function<BookAnswer(const Position& root, const Key* history, int count)>;

// Installs the book the control thread asks before an ordinary search with
// SearchLimits::useBook on; a null probe means no book.
void setBookProbe(BookProbe probe);

// How a search ended, for the front end that asked for it.
struct SearchResult {
  Move best = NullMove;     // NullMove when the search has no move
  Move ponder = NullMove;
  bool discarded = false;   // stopped by a new request or a new game: the move must not be played
  int mode = ModeThink;
  bool ponderHit = false;   // a ponder search whose predicted move was played
  bool fromBook = false;
  int score = 0;            // the root score for the side to move (the book's for a book move)
  double elapsedSeconds = 0;
  const Position* root = nullptr;
};

// What the front end does with the search's reports. Every callback runs on the
// main search thread; a null callback is skipped.
struct SearchCallbacks {
  // A principal variation: `line` is the MultiPV slot being searched, `bound` its result.
  std::function<void(const SearchThread& main, int line, PvBound bound)> pv;
  // The root move now searched (from depth 9 on, after 1.5 seconds).
  std::function<void(const SearchThread& main)> currentMove;
  // The book was asked before the search: its move (or none), reported score
  // and number of candidates.
  std::function<void(const SearchThread& main, const BookAnswer& answer)> book;
  // The answer. Runs with the engine mutex held: a follow-up search is posted
  // with requestSearchFromCallback, and stopSearch returns only after it ran.
  std::function<void(const SearchResult& result)> bestMove;
};

void setSearchCallbacks(SearchCallbacks callbacks);

// Starts `count` threads (1..256), the control thread first; stops the ones beyond.
void startThreads(int count);
// Stops every thread and waits for them.
void shutdownThreads();

// Posts a search of `pos` in `mode` (think, infinite, ponder) with the game's
// recent key history (`keys[p]` for p from ply - fiftyCounter to ply - 1).
void requestSearch(const Position& pos, const Key* keys, int mode);
// The same, from inside the bestMove callback (the engine mutex is held there).
void requestSearchFromCallback(const Position& pos, const Key* keys, int mode);
// Withdraws a pending request, stops the running search with `reason` and waits
// until the control thread is idle (its answer has been handed over).
void stopSearch(int reason);
// Waits until the control thread has taken the last request.
void waitForRequestTaken();
// Waits until the last request has been searched and answered.
void waitUntilIdle();
// A running ponder search becomes an ordinary timed one.
void ponderHit();
// The predicted move was not played: a running ponder search stops, and its
// move must not be played.
void ponderMiss();
// Whether the search taken last is a ponder search still waiting for the
// opponent's move (waits until the last request was taken).
bool ponderSearchPending();
// Stops a running search now; it answers with the move found so far ("move now").
void stopSearchNow();
// True while a search runs or a request is pending.
bool searchActive();
// True while an ordinary thinking search runs.
bool thinkingSearchActive();
// The root score the main thread reported last, for the side to move.
int lastReportedScore();

// Clears every thread's histories and evaluation caches ("Clear Hash", table resize).
void clearThreadTables();
// A new game: thread tables cleared, previous root scores forgotten, the game
// decisions reset and the table aged by two generations.
void newGameSearchState();

// Node and tablebase-hit totals over all threads.
uint64_t totalNodes();
uint64_t totalTbHits();
int activeThreadCount();
// Whether startThreads has run (and shutdownThreads has not since).
bool activeThreadCountStarted();
int mainThreadDepth();
// How many threads have reached `depth` in the running search.
int threadsAtDepth(int depth);

// Used by the node search.
void reportCurrentMove(SearchThread& t);
void reportSnapshot(SearchThread& t);
void reportPv(SearchThread& t, int line, PvBound bound);

// A search of `pos` to `depth` on the calling thread with a fresh thread record
// and no time limit: the bench command and tests. `history` holds the game's
// keys indexed by ply, as GameRecord::keys does, or is null.
struct SearchOutcome {
  Move best = NullMove;
  int score = 0;
  uint64_t nodes = 0;
  PvLine pv;
  RuleCounters rules;
};
SearchOutcome searchFixedDepth(const Position& pos, int depth, const Key* history = nullptr);

}  // namespace tarn
