// Arbitrary bytes as a network file: the reader must refuse what it cannot use,
// never read outside its buffers, and leave every network either loaded or at
// zero parameters; whatever loaded must then evaluate a position.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/nn/forward.h"
#include "eval/nn/kernels.h"
#include "eval/nn/network_set.h"

using namespace tarn;
using namespace tarn::nn;

namespace {

struct Fixture {
  NetworkSet set;
  CastlingSetup setup{};
  Position pos{};

  Fixture() {
    initZobrist();
    initAttackTables();
    readFen(pos, "r1bqk2r/pp1n1ppp/2p1pn2/3p4/1bPP4/2N1PN2/PP1B1PPP/R2QKB1R w KQkq - 0 1", setup);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Fixture* fixture = new Fixture;
  NetworkSet& set = fixture->set;
  const int loaded = readNetworks(set, std::span<const uint8_t>(data, size));
  if (loaded < 0 || loaded > NetworkRecordCount || loaded != set.loadedCount()) std::abort();
  // A refused network must be all zeros. Scanning 3.6 MB per input would
  // dominate the run, so every 16th input is checked.
  static unsigned inputs = 0;
  const bool scan = inputs++ % 16 == 0;
  PawnNetEntry pawn{};
  computePawnStructure<ActiveKernels>(set.pawnNet(), fixture->pos, pawn);
  for (int k = 0; k < NetworkRecordCount; ++k) {
    const ChessBaseNet& net = set.record(k);
    if (!net.loaded()) {
      const int16_t* p = net.parameters();
      if (scan && std::any_of(p, p + net.totalParameters(), [](int16_t v) { return v != 0; })) std::abort();
      continue;
    }
    if (k == NetworkRecordCount - 1) continue;  // the pawn-structure network ran above
    Accumulator acc;
    net.refreshAccumulator(fixture->pos, acc);
    const int value = net.usesPawnInput() ? net.evaluateWithPawnInput(acc, &pawn) : net.evaluateAccumulator(acc);
    if (value < -32768 || value > 32767) std::abort();
  }
  return 0;
}
