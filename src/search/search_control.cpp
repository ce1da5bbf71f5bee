#include "search/search_control.h"

#include <algorithm>
#include <cstdlib>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "board/game_record.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "eval/nn/network_set.h"
#include "search/game_decisions.h"
#include "search/iterative_deepening.h"
#include "search/search_snapshots.h"
#include "search/time_management.h"

namespace tarn {

SearchLimits searchLimits;
std::atomic<int> stopRequest{NoStop};
std::atomic<int> ponderState{NotPondering};
std::atomic<int> workersRunning{0};

namespace {

constexpr int MaxThreads = 256;
constexpr int MaxHistoryKeys = 100;
constexpr int FullWidthWorker = 6;  // this worker searches the root without reductions

struct ThreadSlot {
  std::mutex mutex;
  std::condition_variable wake;
  bool go = false;
  bool quit = false;
  std::thread handle;
  std::unique_ptr<SearchThread> thread;
};

struct Request {
  Position position{};
  CastlingSetup setup{};
  Key history[MaxHistoryKeys];
  int historyCount = 0;
  int mode = ModeIdle;
  bool pending = false;
};

ThreadSlot slots[MaxThreads];
std::atomic<int> threadCount{0};

std::mutex engineMutex;
std::condition_variable requestPosted;  // a request was posted or withdrawn, or a ponder/stop signal
std::condition_variable stateChanged;   // a request was taken, or the control thread became idle
Request request;
Request current;  // the request being searched, read by the workers
bool controlIdle = true;
bool controlQuit = false;

SearchCallbacks callbacks;
BookProbe bookProbe;
std::atomic<int> reportedScore{0};
std::atomic<int> currentMaxDepth{MaxDepth};

// How often the request's position occurred before with the same side to move.
int repetitionsOf(const Request& r) {
  int count = 0;
  for (int i = r.historyCount - 2; i >= 0; i -= 2) count += r.history[i] == r.position.key;
  return count;
}

void enterHistory(SearchThread& t, const Request& r) {
  t.repetitions.clear();
  for (int i = 0; i < r.historyCount; ++i) t.repetitions.add(r.history[i], 1);
}

void prepareThread(SearchThread& t, const Request& r) {
  t.prepare(r.position);
  t.setup = r.setup;
  t.root.setup = &t.setup;
  enterHistory(t, r);
  t.mode = r.mode;
  t.eval->contemptMid = r.mode == ModeInfinite ? 0 : searchLimits.contemptMid;
  t.eval->contemptEnd = r.mode == ModeInfinite ? 0 : searchLimits.contemptEnd;
  t.eval->contemptSide = r.position.sideToMove;
  t.rootReductions = t.index != FullWidthWorker;
}

void workerLoop(ThreadSlot& slot) {
  for (;;) {
    {
      std::unique_lock lock(slot.mutex);
      slot.wake.wait(lock, [&] { return slot.go || slot.quit; });
      if (slot.quit) return;
    }
    SearchThread& t = *slot.thread;
    prepareThread(t, current);
    iterativeDeepening(t, currentMaxDepth.load());
    {
      std::lock_guard lock(slot.mutex);
      slot.go = false;
    }
    slot.wake.notify_all();
  }
}

void startWorker(int i) {
  ThreadSlot& slot = slots[i];
  slot.thread = std::make_unique<SearchThread>(i);
  slot.go = slot.quit = false;
  slot.handle = std::thread(workerLoop, std::ref(slot));
}

void stopWorker(int i) {
  ThreadSlot& slot = slots[i];
  {
    std::lock_guard lock(slot.mutex);
    slot.quit = true;
  }
  slot.wake.notify_all();
  if (slot.handle.joinable()) slot.handle.join();
  slot.thread.reset();
}

// Workers 1..count-1, started or stopped to match the count asked for.
void resizeWorkers(int count) {
  const int current = threadCount.load();
  for (int i = current - 1; i >= count && i >= 1; --i) stopWorker(i);
  for (int i = std::max(current, 1); i < count; ++i) startWorker(i);
  threadCount.store(count);
}

Move runSearch(SearchThread& main, int maxDepth) {
  const int wanted = std::clamp(searchLimits.threads, 1, MaxThreads);
  if (wanted != threadCount.load()) resizeWorkers(wanted);
  main.tt->age.fetch_add(1, std::memory_order_relaxed);
  currentMaxDepth.store(maxDepth);
  workersRunning.store(1);
  const int count = threadCount.load();
  for (int i = 1; i < count; ++i) {
    ThreadSlot& slot = slots[i];
    {
      std::lock_guard lock(slot.mutex);
      slot.go = true;
    }
    slot.wake.notify_all();
  }
  const Move best = iterativeDeepening(main, maxDepth);
  main.previousRootScore[main.root.sideToMove] = main.slots[0].score;
  workersRunning.store(0);
  for (int i = 1; i < count; ++i) {
    ThreadSlot& slot = slots[i];
    std::unique_lock lock(slot.mutex);
    slot.wake.wait(lock, [&] { return !slot.go; });
  }
  if (FullWidthWorker < count) slots[FullWidthWorker].thread->histories->clear();
  firstSearchOfGame.store(false, std::memory_order_relaxed);
  return best;
}

// Infinite analysis and pondering answer only when told to.
void waitForRelease(int mode) {
  std::unique_lock lock(engineMutex);
  while (!stopRequest.load() && !controlQuit &&
         (mode == ModeInfinite || ponderState.load() == Pondering))
    requestPosted.wait_for(lock, std::chrono::seconds(1));
}

Move ponderMoveAfter(const SearchThread& main, Move best) {
  Position after = main.root;
  if (!isPseudoLegal(after, best, true, AnyKind)) return NullMove;
  makeMoveChecked(after, best);
  if (const TTSlot slot = main.tt->probe(after.key)) {
    const Move m = slot.read().move;
    if (m && !isMarker(m) && isPseudoLegal(after, m, true, AnyKind)) return m;
  }
  const PvLine& pv = main.slots[0].pv;
  if (pv.length > 1 && pv.moves[0] == best && !isMarker(pv.moves[1]) && isPseudoLegal(after, pv.moves[1], true, AnyKind))
    return pv.moves[1];
  return NullMove;
}

void controlLoop() {
  SearchThread& main = *slots[0].thread;
  BookProbe probe;
  for (;;) {
    {
      std::unique_lock lock(engineMutex);
      requestPosted.wait(lock, [] { return request.pending || controlQuit; });
      if (controlQuit) return;
      current = request;
      probe = bookProbe;
      request.pending = false;
      controlIdle = false;
      stopRequest.store(NoStop);
      // Set before the front end can answer a "ponderhit" for this search.
      if (current.mode == ModePonder) ponderState.store(Pondering);
    }
    stateChanged.notify_all();

    const int mode = current.mode;
    Move best = NullMove;
    prepareThread(main, current);
    const bool over = mode != ModeInfinite && checkGameOver(main.root, repetitionsOf(current)) != GameRunning;
    bool fromBook = false;
    int score = 0;
    if (!over && mode == ModeThink && searchLimits.useBook && main.root.ply < MaxBookPly && probe) {
      const BookAnswer answer = probe(main.root, current.history, current.historyCount);
      if (callbacks.book) callbacks.book(main, answer);
      best = answer.move;
      fromBook = best != NullMove;
      score = answer.score;
    }
    if (!over && !fromBook) {
      const int depth = mode == ModeInfinite ? MaxDepth
                        : mode == ModeThink && searchLimits.fixedDepth >= 1 ? searchLimits.fixedDepth
                                                                             : searchLimits.maxDepth;
      best = runSearch(main, depth);
      score = main.slots[0].score;
      if (mode == ModeInfinite || mode == ModePonder) waitForRelease(mode);
    }

    std::unique_lock lock(engineMutex);
    SearchResult result;
    result.best = best;
    result.ponder = best ? ponderMoveAfter(main, best) : NullMove;
    result.discarded = stopRequest.load() == StopAndDiscard;
    result.mode = mode;
    result.ponderHit = mode == ModePonder && ponderState.load() == PonderHit;
    result.fromBook = fromBook;
    result.score = score;
    result.elapsedSeconds = fromBook || over ? 0.0 : secondsSince(main.searchStart);
    result.root = &main.root;
    controlIdle = true;
    stopRequest.store(NoStop);
    ponderState.store(NotPondering);
    if (callbacks.bestMove) callbacks.bestMove(result);
    lock.unlock();
    stateChanged.notify_all();
    requestPosted.notify_all();  // a follow-up request may have been posted
  }
}

}  // namespace

void setSearchCallbacks(SearchCallbacks c) { callbacks = std::move(c); }

void setBookProbe(BookProbe probe) {
  std::lock_guard lock(engineMutex);
  bookProbe = std::move(probe);
}

void startThreads(int count) {
  count = std::clamp(count, 1, MaxThreads);
  // The threads must stop before anything they read is destroyed at exit: those
  // objects exist before the exit handler is registered, so they outlive it.
  nn::networks();
  transpositionTable();
  static const bool stopAtExit = (std::atexit(shutdownThreads), true);
  (void)stopAtExit;
  if (!slots[0].thread) {
    slots[0].thread = std::make_unique<SearchThread>(0);
    controlQuit = false;
    slots[0].handle = std::thread(controlLoop);
    threadCount.store(1);
  }
  stopSearch(StopAndDiscard);
  resizeWorkers(count);
  searchLimits.threads = count;
}

void shutdownThreads() {
  if (!slots[0].thread) return;
  stopSearch(StopAndDiscard);
  resizeWorkers(1);
  {
    std::lock_guard lock(engineMutex);
    controlQuit = true;
  }
  requestPosted.notify_all();
  if (slots[0].handle.joinable()) slots[0].handle.join();
  slots[0].thread.reset();
  threadCount.store(0);
}

namespace {

// With the engine mutex held.
void postRequest(const Position& pos, const Key* keys, int mode) {
  request.position = pos;
  request.setup = pos.setup ? *pos.setup : CastlingSetup{};
  request.position.setup = &request.setup;
  const int available = std::min({int(pos.fiftyCounter), int(pos.ply), MaxHistoryKeys});
  request.historyCount = 0;
  if (keys)
    for (int p = pos.ply - available; p < pos.ply; ++p) request.history[request.historyCount++] = keys[p];
  request.mode = mode;
  request.pending = true;
}

}  // namespace

void requestSearch(const Position& pos, const Key* keys, int mode) {
  {
    std::lock_guard lock(engineMutex);
    postRequest(pos, keys, mode);
  }
  requestPosted.notify_all();
}

void requestSearchFromCallback(const Position& pos, const Key* keys, int mode) { postRequest(pos, keys, mode); }

void stopSearch(int reason) {
  std::unique_lock lock(engineMutex);
  request.pending = false;
  if (!controlIdle) stopRequest.store(reason);
  lock.unlock();
  requestPosted.notify_all();
  lock.lock();
  stateChanged.wait(lock, [] { return controlIdle || controlQuit; });
}

void waitForRequestTaken() {
  std::unique_lock lock(engineMutex);
  stateChanged.wait(lock, [] { return !request.pending || controlQuit; });
}

void waitUntilIdle() {
  std::unique_lock lock(engineMutex);
  stateChanged.wait(lock, [] { return (!request.pending && controlIdle) || controlQuit || !slots[0].thread; });
}

void ponderHit() {
  waitForRequestTaken();
  {
    std::lock_guard lock(engineMutex);
    if (ponderState.load() == Pondering) ponderState.store(PonderHit);
  }
  requestPosted.notify_all();
}

void ponderMiss() {
  waitForRequestTaken();
  {
    std::lock_guard lock(engineMutex);
    if (ponderState.load() == Pondering) ponderState.store(PonderMiss);
  }
  requestPosted.notify_all();
}

bool ponderSearchPending() {
  waitForRequestTaken();
  std::lock_guard lock(engineMutex);
  return !controlIdle && current.mode == ModePonder && ponderState.load() == Pondering;
}

void stopSearchNow() {
  waitForRequestTaken();
  {
    std::lock_guard lock(engineMutex);
    if (!controlIdle) stopRequest.store(StopAndAnswer);
  }
  requestPosted.notify_all();
}

bool searchActive() {
  std::lock_guard lock(engineMutex);
  return request.pending || !controlIdle;
}

bool thinkingSearchActive() {
  std::lock_guard lock(engineMutex);
  return !controlIdle && current.mode == ModeThink;
}

int lastReportedScore() { return reportedScore.load(std::memory_order_relaxed); }

void clearThreadTables() {
  for (ThreadSlot& slot : slots)
    if (slot.thread) slot.thread->clearTables();
}

void newGameSearchState() {
  for (ThreadSlot& slot : slots)
    if (slot.thread) {
      slot.thread->clearTables();
      slot.thread->previousRootScore[White] = slot.thread->previousRootScore[Black] = ScoreNone;
    }
  resetGameDecisions();
  transpositionTable().age.fetch_add(2, std::memory_order_relaxed);
}

uint64_t totalNodes() {
  uint64_t n = 0;
  const int count = threadCount.load(std::memory_order_relaxed);
  for (int i = 0; i < count; ++i)
    if (slots[i].thread) n += slots[i].thread->nodes.load(std::memory_order_relaxed);
  return n;
}

uint64_t totalTbHits() {
  uint64_t n = 0;
  const int count = threadCount.load(std::memory_order_relaxed);
  for (int i = 0; i < count; ++i)
    if (slots[i].thread) n += slots[i].thread->tbHits.load(std::memory_order_relaxed);
  return n;
}

bool activeThreadCountStarted() { return threadCount.load() > 0; }

int activeThreadCount() { return std::max(1, threadCount.load(std::memory_order_relaxed)); }

int mainThreadDepth() { return slots[0].thread ? slots[0].thread->iterationDepth.load(std::memory_order_relaxed) : 0; }

int threadsAtDepth(int depth) {
  int n = 0;
  const int count = threadCount.load(std::memory_order_relaxed);
  for (int i = 0; i < count; ++i)
    if (slots[i].thread && slots[i].thread->iterationDepth.load(std::memory_order_relaxed) >= depth) ++n;
  return n;
}

void reportCurrentMove(SearchThread& t) {
  if (!t.silent && callbacks.currentMove) callbacks.currentMove(t);
}

void reportSnapshot(SearchThread& t) {
  if (t.silent || !searchSnapshotsEnabled()) return;
  SearchSnapshot s;
  s.elapsedSeconds = std::max(0.000001, secondsSince(t.searchStart));
  s.nodes = totalNodes();
  s.qnodes = t.qnodes.load(std::memory_order_relaxed);
  s.depth = t.iterationDepth.load(std::memory_order_relaxed);
  s.selDepth = t.selDepth;
  s.score = t.slots[0].score;
  s.currentMove = t.currentRootMove;
  s.currentMoveNumber = t.currentRootMoveNumber;
  s.ponderMove = t.slots[0].pv.length > 1 ? t.slots[0].pv.moves[1] : NullMove;
  s.lines.assign(t.slots, t.slots + std::max(1, t.slotCount));
  pushSearchSnapshot(std::move(s));
}

void reportPv(SearchThread& t, int line, PvBound bound) {
  if (t.silent) return;
  reportedScore.store(t.slots[0].score, std::memory_order_relaxed);
  if (callbacks.pv) callbacks.pv(t, line, bound);
  reportSnapshot(t);
}

SearchOutcome searchFixedDepth(const Position& pos, int depth, const Key* history) {
  auto t = std::make_unique<SearchThread>(0);
  t->silent = true;
  Request r;
  r.position = pos;
  r.setup = pos.setup ? *pos.setup : CastlingSetup{};
  r.position.setup = &r.setup;
  r.mode = ModeThink;
  if (history) {
    const int available = std::min({int(pos.fiftyCounter), int(pos.ply), MaxHistoryKeys});
    for (int p = pos.ply - available; p < pos.ply; ++p) r.history[r.historyCount++] = history[p];
  }
  const SearchLimits saved = searchLimits;
  searchLimits.useTime = false;
  searchLimits.maxNodes = 0;
  stopRequest.store(NoStop);
  prepareThread(*t, r);
  t->tt->age.fetch_add(1, std::memory_order_relaxed);
  SearchOutcome outcome;
  outcome.best = iterativeDeepening(*t, depth);
  outcome.score = t->slots[0].score;
  outcome.pv = t->slots[0].pv;
  outcome.nodes = t->nodes.load();
  outcome.rules = t->rules;
  searchLimits = saved;
  return outcome;
}

}  // namespace tarn
