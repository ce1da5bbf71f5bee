// The opening book: loading a file of a million records (the book then holds
// as many as its table and pool take and refuses the rest), and choosing a
// book move, which makes every legal move and looks its position up.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "frontend/opening_book.h"

namespace {

using namespace tarn;

constexpr int MillionRecords = 1000000;

std::string bookOfRandomKeys(int records) {
  const std::string path = std::string(P_tmpdir) + "/tarn-bench-book-" + std::to_string(getpid()) + ".tcb";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  uint64_t state = 0x9E3779B97F4A7C15ULL;
  for (int i = 0; i < records; ++i) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    char record[BookRecordSize];
    for (int b = 0; b < 8; ++b) record[b] = char(state >> (8 * b));
    record[8] = char(i % 5 - 2), record[9] = char(i % 5 < 2 ? 0xFF : 0);
    out.write(record, BookRecordSize);
  }
  return path;
}

void BookLoadMillionRecords(benchmark::State& state) {
  const std::string path = bookOfRandomKeys(MillionRecords);
  for (auto _ : state) {
    state.PauseTiming();
    auto book = std::make_unique<OpeningBook>();
    state.ResumeTiming();
    const BookLoadReport report = book->load(path);
    benchmark::DoNotOptimize(report.records);
    state.counters["stored"] = book->positions();
    state.counters["refused"] = report.refused;
  }
  state.SetItemsProcessed(state.iterations() * MillionRecords);
  std::remove(path.c_str());
}
BENCHMARK(BookLoadMillionRecords)->Unit(benchmark::kMillisecond);

void BookChooseMove(benchmark::State& state) {
  initZobrist();
  initAttackTables();
  CastlingSetup setup{};
  Position start{};
  readFen(start, StartFen, setup);
  OpeningBook book;
  // Every reply of the start position is in the book.
  MoveList legal;
  generateLegal(start, legal);
  for (Move m : legal) {
    Position after = start;
    makeMoveChecked(after, m);
    book.add(after, 2, true);
  }
  KeyGenerator random;
  for (auto _ : state) benchmark::DoNotOptimize(book.chooseMove(start, KeyHistory{}, random).move);
}
BENCHMARK(BookChooseMove);

}  // namespace
