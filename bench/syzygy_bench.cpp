// Tablebase probes on mapped tables: the search's win/draw/loss probe and the
// root probe, over the positions of the reference files (3 to 5 men). Compare
// runs made side by side; the machines are shared.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/tb/syzygy.h"

namespace {

using namespace tarn;

struct ProbeSet {
  std::string tables;
  std::vector<CastlingSetup> setups;
  std::vector<Position> positions;
  bool ready = false;

  ProbeSet(const std::string& folder, const std::string& fens) : tables(folder) {
    initZobrist();
    initAttackTables();
    if (!std::filesystem::exists(tables)) return;
    std::ifstream in(fens);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find(" ; ")));
    setups.resize(lines.size());
    positions.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
      if (!readFen(positions[i], lines[i], setups[i])) return;
    initTablebases(tables);
    // Map every table the positions reach before timing.
    for (const Position& pos : positions) probeRoot(pos);
    ready = !positions.empty();
  }
};

const ProbeSet& smallSet() {
  static const ProbeSet set(std::string(TARN_TEST_DATA) + "/syzygy", std::string(TARN_TEST_DATA) + "/syzygy_reference_4men.epd");
  return set;
}

const ProbeSet& fullSet() {
  static const ProbeSet set(TARN_SYZYGY_FULL, std::string(TARN_TEST_DATA) + "/syzygy_reference_5men.epd");
  return set;
}

void probeWdlOver(benchmark::State& state, const ProbeSet& set) {
  if (!set.ready) {
    state.SkipWithError("tables not found");
    return;
  }
  initTablebases(set.tables);
  for (const Position& pos : set.positions) probeWdl(pos, 1000);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(probeWdl(set.positions[i], 1000));
    if (++i == set.positions.size()) i = 0;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void probeRootOver(benchmark::State& state, const ProbeSet& set) {
  if (!set.ready) {
    state.SkipWithError("tables not found");
    return;
  }
  initTablebases(set.tables);
  for (const Position& pos : set.positions) probeRoot(pos);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(probeRoot(set.positions[i]));
    if (++i == set.positions.size()) i = 0;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}

void BM_ProbeWdlFourMen(benchmark::State& state) { probeWdlOver(state, smallSet()); }
void BM_ProbeWdlFiveMen(benchmark::State& state) { probeWdlOver(state, fullSet()); }
void BM_ProbeRootFourMen(benchmark::State& state) { probeRootOver(state, smallSet()); }
void BM_ProbeRootFiveMen(benchmark::State& state) { probeRootOver(state, fullSet()); }

BENCHMARK(BM_ProbeWdlFourMen);
BENCHMARK(BM_ProbeWdlFiveMen);
BENCHMARK(BM_ProbeRootFourMen);
BENCHMARK(BM_ProbeRootFiveMen);

}  // namespace
