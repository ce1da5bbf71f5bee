// A transposition-table probe at a random key in a table far larger than the
// caches, half of them hits: cold (a full memory access per probe, the worst
// case) and with the bucket prefetched a few probes ahead, as make-move does
// for the search while it updates the position.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "search/transposition_table.h"

namespace {

using namespace tarn;

uint64_t nextKey(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

template <bool Prefetched>
void TableProbe(benchmark::State& state) {
  static TranspositionTable tt;
  if (!tt.ready() && !tt.resize(uint64_t(state.range(0)) << 20)) {
    state.SkipWithError("cannot allocate the table");
    return;
  }
  tt.clear();
  // Fill half the entries' worth of positions; the probes replay the same key
  // sequence interleaved with fresh keys.
  uint64_t stored = 1;
  const uint64_t storedCount = tt.bucketCount() * EntriesPerBucket / 2;
  for (uint64_t i = 0; i < storedCount; ++i) {
    const Key key = nextKey(stored);
    tt.store(tt.claim(key), key, -100, 100, NullMove, 17, 8, 0, 0, 12, 0);
  }
  constexpr int Ahead = 8;
  uint64_t hitKeys = 1, missKeys = 12345;
  Key keys[Ahead];
  for (Key& k : keys) k = nextKey(hitKeys);
  uint64_t hits = 0, i = 0;
  for (auto _ : state) {
    const Key next = (++i & 1) ? nextKey(hitKeys) : nextKey(missKeys);
    Key key = next;
    if constexpr (Prefetched) {
      key = keys[i % Ahead];
      keys[i % Ahead] = next;
      __builtin_prefetch(tt.bucketOf(next));
    }
    const TTSlot slot = tt.probe(key);
    hits += slot ? 1 : 0;
    benchmark::DoNotOptimize(slot);
  }
  state.counters["hit_rate"] = double(hits) / double(state.iterations());
}

BENCHMARK(TableProbe<false>)->Name("TableProbe/cold")->Arg(1024);
BENCHMARK(TableProbe<true>)->Name("TableProbe/prefetched")->Arg(1024);

}  // namespace
