// Checks a bitbase archive position by position against Syzygy tables.
//
//   check_bitbases ARCHIVE SYZYGY_FOLDER [--tables LIST] [--sub-endings STRIDE]
//
// LIST names the tables to check, comma-separated (default 2,3,4,5,6,7,8,9).
// Every legal position of tables 2, 3, 4 and 6 to 9 (no en-passant right,
// fifty-move counter 0) goes through the engine's own probe, exactly as the
// evaluation asks it, both as generated (White the strong side) and with the
// colours swapped (Black the strong side). The score's class (a decisive score
// for one side, or neither) must equal the Syzygy win/draw/loss with the
// fifty-move rule ignored: a win that the rule spoils is still a win, and such
// wins are counted apart as "cursed".
//
// Table 5 has no Syzygy table. Its positions are compared with a fresh solve
// by the generator's solver, every position the solver solved is recomputed
// from its moves, and the solved endings of at most four men that table 5
// leads to (captures and promotions) are compared with Syzygy, every
// STRIDE-th legal position (default 1: all of them, some billion positions).
//
// Exit status 0 when nothing disagrees.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bitbases/bitbase_tables.h"
#include "bitbases/endgame_solver.h"
#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbases.h"
#include "eval/tb/syzygy.h"

using namespace tarn;
using namespace tarn::bitbase_gen;

namespace {

// Any bitbase win scores far above this and anything else far below it.
constexpr int DecisiveScore = 500;

struct Counts {
  uint64_t positions = 0, mismatches = 0, wins = 0, cursedWins = 0, refused = 0, noSyzygy = 0;

  void print(const char* what) const {
    std::printf("%-16s positions %11llu  mismatches %llu  wins %llu (cursed %llu)  FEN refused %llu  no Syzygy %llu\n",
                what, static_cast<unsigned long long>(positions), static_cast<unsigned long long>(mismatches),
                static_cast<unsigned long long>(wins), static_cast<unsigned long long>(cursedWins),
                static_cast<unsigned long long>(refused), static_cast<unsigned long long>(noSyzygy));
    std::fflush(stdout);
  }
  bool clean() const { return mismatches == 0 && refused == 0 && noSyzygy == 0; }
};

// +1 when the engine's bitbase score says White wins, -1 Black, 0 neither; 2 when no table answers.
int engineClass(const BitbaseSet& set, const Position& pos) {
  int score;
  if (!probeBitbases(set, pos, score)) return 2;
  const int white = pos.sideToMove == White ? score : -score;
  return white >= DecisiveScore ? 1 : white <= -DecisiveScore ? -1 : 0;
}

bool readPosition(const TablePosition& p, Position& pos, CastlingSetup& setup) {
  return readFen(pos, fenOf(p), setup);
}

void reportMismatch(uint64_t& shown, const std::string& fen, const char* what, int expected, int got) {
  if (shown++ < 10) std::printf("  mismatch %s: %s expected %d, engine %d\n", what, fen.c_str(), expected, got);
}

// Tables 2, 3, 4, 6 to 9: the engine's probe against Syzygy.
Counts checkAgainstSyzygy(const BitbaseSet& set, int table) {
  Counts n;
  uint64_t shown = 0;
  CastlingSetup setup{};
  forEachTablePosition(table, [&](const TablePosition& p) {
    ++n.positions;
    Position pos{};
    if (!readPosition(p, pos, setup)) {
      ++n.refused;
      return;
    }
    const int wdl = probeWdl(pos, 1000);
    if (wdl == WdlNone) {
      ++n.noSyzygy;
      return;
    }
    const int white = pos.sideToMove == White ? wdl : -wdl;
    if (white > 0) ++n.wins;
    if (white == 1) ++n.cursedWins;
    // The tables answer whether the strong side wins; only a pawn each also
    // asks for the other side's win.
    int expected = white > 0 ? 1 : white < 0 && table == TableKPKP ? -1 : 0;
    int got = engineClass(set, pos);
    if (table != TableKPKP && got == -1) got = 0;
    if (got != expected) {
      ++n.mismatches;
      reportMismatch(shown, fenOf(p), "", expected, got);
    }
    Position flipped{};
    flipColours(pos, flipped, FlipSwapColours);
    int gotFlipped = engineClass(set, flipped);
    if (table != TableKPKP && gotFlipped == 1) gotFlipped = 0;
    if (gotFlipped != -expected) {
      ++n.mismatches;
      reportMismatch(shown, fenOf(p), "(colours swapped)", -expected, gotFlipped);
    }
  });
  return n;
}

// Table 5: the engine's probe against the solver, both colours.
Counts checkAgainstSolver(const BitbaseSet& set, EndgameSolver& solver) {
  Counts n;
  uint64_t shown = 0;
  CastlingSetup setup{};
  forEachTablePosition(TableKPPKP, [&](const TablePosition& p) {
    ++n.positions;
    Position pos{};
    if (!readPosition(p, pos, setup)) {
      ++n.refused;
      return;
    }
    const int expected = int(solver.whiteWins(p.setup, p.side) >> p.whiteKing & 1);
    n.wins += uint64_t(expected);
    const int got = engineClass(set, pos);
    if (got != expected) {
      ++n.mismatches;
      reportMismatch(shown, fenOf(p), "", expected, got);
    }
    Position flipped{};
    flipColours(pos, flipped, FlipSwapColours);
    const int gotFlipped = engineClass(set, flipped);
    if (gotFlipped != -expected) {
      ++n.mismatches;
      reportMismatch(shown, fenOf(p), "(colours swapped)", -expected, gotFlipped);
    }
  });
  return n;
}

// The solver's endings of at most four men against Syzygy.
Counts checkSubEndings(EndgameSolver& solver, uint64_t stride) {
  Counts n;
  uint64_t shown = 0, seen = 0;
  CastlingSetup setup{};
  solver.forEachSolved(4, [&](const std::string&, const Setup& s, Color side, uint64_t legal, uint64_t wins) {
    while (legal) {
      const int whiteKing = popLowest(legal);
      if (seen++ % stride) continue;
      ++n.positions;
      const TablePosition p{s, whiteKing, side};
      Position pos{};
      if (!readPosition(p, pos, setup)) {
        ++n.refused;
        continue;
      }
      const int wdl = probeWdl(pos, 1000);
      if (wdl == WdlNone) {
        ++n.noSyzygy;
        continue;
      }
      const int white = pos.sideToMove == White ? wdl : -wdl;
      if (white > 0) ++n.wins;
      if (white == 1) ++n.cursedWins;
      const int expected = white > 0, got = int(wins >> whiteKing & 1);
      if (got != expected) {
        ++n.mismatches;
        reportMismatch(shown, fenOf(p), "(solver)", expected, got);
      }
    }
  });
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  uint64_t stride = 1;
  bool wanted[BitbaseCount] = {};
  bool usage = args.size() < 2 || args.size() % 2 != 0;
  for (size_t i = 2; i + 1 < args.size() && !usage; i += 2) {
    if (args[i] == "--sub-endings") {
      stride = std::strtoull(args[i + 1].c_str(), nullptr, 10);
      usage = stride == 0;
    } else if (args[i] == "--tables") {
      for (size_t at = 0; at < args[i + 1].size(); ++at) {
        const char c = args[i + 1][at];
        if (c >= '2' && c <= '9') wanted[c - '1'] = true;
        else usage |= c != ',';
      }
    } else {
      usage = true;
    }
  }
  if (usage) {
    std::fprintf(stderr, "usage: %s ARCHIVE SYZYGY_FOLDER [--tables LIST] [--sub-endings STRIDE]\n", argv[0]);
    return 2;
  }
  if (std::find(std::begin(wanted), std::end(wanted), true) == std::end(wanted))
    std::fill(std::begin(wanted) + TableKPK, std::end(wanted), true);
  initZobrist();
  initAttackTables();
  std::vector<uint8_t> bytes;
  readBitbaseSet(args[0], bytes);
  BitbaseSet set;
  const int loaded = set.load(bytes);
  std::printf("%d bitbases loaded from %s\n", loaded, args[0].c_str());
  initTablebases(args[1]);
  if (loaded != BitbaseCount || largestTablebaseMen() < 4) {
    std::fprintf(stderr, "check_bitbases: need all nine bitbases and the 3- and 4-man Syzygy tables\n");
    return 1;
  }

  bool clean = true;
  for (int table = TableKPK; table <= TableKBPK; ++table) {
    if (table == TableKPPKP || !wanted[table]) continue;
    const Counts n = checkAgainstSyzygy(set, table);
    n.print(("table " + std::to_string(table + 1)).c_str());
    clean &= n.clean();
  }

  if (!wanted[TableKPPKP]) {
    std::printf("%s\n", clean ? "all agree" : "DISAGREEMENT");
    return clean ? 0 : 1;
  }
  EndgameSolver solver;
  const Counts five = checkAgainstSolver(set, solver);
  five.print("table 5 (solver)");
  const uint64_t inconsistent = solver.verifySolved();
  std::printf("solved endings recomputed from their moves: %llu inconsistent\n",
              static_cast<unsigned long long>(inconsistent));
  std::fflush(stdout);
  const Counts sub = checkSubEndings(solver, stride);
  sub.print("sub-endings <= 4");
  clean &= five.clean() && inconsistent == 0 && sub.clean();
  std::printf("%s\n", clean ? "all agree" : "DISAGREEMENT");
  return clean ? 0 : 1;
}
