// Arbitrary bytes as a bitbase archive, as one entry's packed data, as the
// input of each later stage on its own and as an unpacked set of records:
// every stage must stay within its buffer and every record that loads must be
// consistent enough to probe. Whatever loads, probing covered endings must
// answer without reading outside the tables. Feeding the later stages and the
// records directly reaches code that random bytes rarely get to through the
// arithmetic decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/tb/arithmetic_decoder.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbase_limits.h"
#include "eval/tb/bitbases.h"
#include "eval/tb/burrows_wheeler.h"
#include "eval/tb/move_to_front.h"
#include "eval/tb/run_length.h"

using namespace tarn;

namespace {

struct Fixture {
  std::vector<Position> positions;
  CastlingSetup setup{};

  Fixture() {
    initZobrist();
    initAttackTables();
    // One position of each table, both colours as the strong side.
    for (const char* fen : {"8/8/8/4k3/8/8/4P3/4K3 w - - 0 1", "8/4p3/8/8/4k3/8/4P3/4K3 b - - 0 1",
                            "8/8/8/4k3/8/8/3PP3/4K3 w - - 0 1", "8/8/3k4/3p4/3P4/8/6P1/6K1 b - - 0 1",
                            "8/8/8/2k5/8/p7/8/K6Q w - - 0 1", "7k/8/8/8/8/8/1p6/4K1R1 b - - 0 1",
                            "8/6k1/8/8/5K2/8/6PN/8 w - - 0 1", "8/1b6/6p1/8/4k3/8/8/1K6 b - - 0 1"}) {
      Position pos{};
      if (readFen(pos, fen, setup)) positions.push_back(pos);
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture* fixture = new Fixture;
  const std::span<const uint8_t> bytes(data, size);

  std::vector<uint8_t> out;
  if (unpackEntry(bytes, out) && out.size() > MaxStageBytes) std::abort();

  // Each stage alone, with a small limit so that overruns are reached quickly.
  constexpr size_t SmallLimit = 4096;
  if (decodeArithmetic(bytes, out, SmallLimit) && out.size() > SmallLimit) std::abort();
  if (decodeRunLength(bytes, out, SmallLimit) && out.size() > SmallLimit) std::abort();
  decodeMoveToFront(bytes, out);
  if (out.size() != size) std::abort();
  if (inverseBurrowsWheeler(bytes, out, SmallLimit) && out.size() > SmallLimit) std::abort();

  static BitbaseSet tables;
  auto loadAndProbe = [&](std::span<const uint8_t> set) {
    const int loaded = tables.load(set);
    if (loaded < 0 || loaded > BitbaseCount) std::abort();
    for (const Position& pos : fixture->positions) {
      int score = 0;
      probeBitbases(tables, pos, score);
    }
  };
  std::vector<uint8_t> set;
  readBitbaseSet(bytes, set);
  if (set.size() > MaxSetBytes) std::abort();
  loadAndProbe(set);
  // The bytes as an unpacked set: the records' own checks.
  loadAndProbe(bytes);
  return 0;
}
