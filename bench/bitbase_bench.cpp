// Bitbase micro-benchmarks: loading the committed archive (the part of start-up
// the bitbases cost) and one probe of each table. Compare runs made side by
// side; the machines are shared.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbases.h"

namespace {

using namespace tarn;

// The archive the build copies beside the executable, read from the source tree.
std::string archivePath() {
  const std::string here = __FILE__;
  return here.substr(0, here.rfind('/')) + "/../data/EndgameBitbases.tbb";
}

struct ProbePositions {
  std::vector<CastlingSetup> setups;
  std::vector<Position> positions;
  BitbaseSet tables;

  ProbePositions() {
    initZobrist();
    initAttackTables();
    std::vector<uint8_t> set;
    readBitbaseSet(archivePath(), set);
    if (tables.load(set) != BitbaseCount) std::abort();
    const char* fens[] = {
        "8/8/8/4k3/8/8/4P3/4K3 w - - 0 1",     "8/4p3/8/8/4k3/8/4P3/4K3 b - - 0 1",
        "8/8/8/4k3/8/8/3PP3/4K3 w - - 0 1",    "8/8/3k4/3p4/3P4/8/6P1/6K1 b - - 0 1",
        "8/8/8/2k5/8/p7/8/K6Q w - - 0 1",      "7k/8/8/8/8/8/1p6/4K1R1 b - - 0 1",
        "8/6k1/8/8/5K2/8/6PN/8 w - - 0 1",     "8/1b6/6p1/8/4k3/8/8/1K6 b - - 0 1",
    };
    setups.resize(std::size(fens));
    for (size_t i = 0; i < std::size(fens); ++i) {
      Position pos{};
      if (!readFen(pos, fens[i], setups[i])) std::abort();
      positions.push_back(pos);
    }
  }
};

void BM_LoadBitbaseArchive(benchmark::State& state) {
  initZobrist();
  initAttackTables();
  for (auto _ : state) {
    std::vector<uint8_t> set;
    readBitbaseSet(archivePath(), set);
    BitbaseSet tables;
    benchmark::DoNotOptimize(tables.load(set));
  }
}
BENCHMARK(BM_LoadBitbaseArchive)->Unit(benchmark::kMillisecond);

// One probe per iteration, cycling through a position of every table.
void BM_ProbeBitbases(benchmark::State& state) {
  static const ProbePositions probes;
  size_t i = 0;
  for (auto _ : state) {
    int score = 0;
    benchmark::DoNotOptimize(probeBitbases(probes.tables, probes.positions[i], score));
    benchmark::DoNotOptimize(score);
    if (++i == probes.positions.size()) i = 0;
  }
}
BENCHMARK(BM_ProbeBitbases);

}  // namespace
