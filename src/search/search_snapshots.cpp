#include "search/search_snapshots.h"

#include <atomic>
#include <deque>

namespace tarn {

namespace {

constexpr size_t MaxQueued = 64;

std::atomic<bool> enabled{false};
std::mutex queueMutex;
std::deque<SearchSnapshot> queue;

}  // namespace

void enableSearchSnapshots(bool on) { enabled.store(on, std::memory_order_relaxed); }
bool searchSnapshotsEnabled() { return enabled.load(std::memory_order_relaxed); }

void pushSearchSnapshot(SearchSnapshot snapshot) {
  std::lock_guard lock(queueMutex);
  if (queue.size() >= MaxQueued) queue.pop_front();
  queue.push_back(std::move(snapshot));
}

std::vector<SearchSnapshot> drainSearchSnapshots() {
  std::lock_guard lock(queueMutex);
  std::vector<SearchSnapshot> taken(std::make_move_iterator(queue.begin()), std::make_move_iterator(queue.end()));
  queue.clear();
  return taken;
}

}  // namespace tarn
