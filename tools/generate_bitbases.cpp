// Computes the endgame bitbases by retrograde analysis and writes the archive
// "EndgameBitbases.tbb".
//
//   generate_bitbases OUTPUT [--verify]     solve, build the records, write the archive
//   generate_bitbases --sample TABLE COUNT SEED
//                                          print COUNT random legal positions of table
//                                          TABLE (2..9) as "FEN;bit" lines, bit 1 when
//                                          the strong side does not win
//
// The same build always writes the same bytes: the solver iterates in a fixed
// order, block numbering follows first appearance and no clock or random
// source enters the archive.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bitbases/bitbase_tables.h"
#include "bitbases/endgame_solver.h"
#include "bitbases/record_builder.h"
#include "board/attacks.h"
#include "board/zobrist.h"
#include "eval/tb/bitbase_index.h"
#include "eval/tb/bitbases.h"

using namespace tarn;
using namespace tarn::bitbase_gen;

namespace {

// Unpacked bytes per archive entry: every stage of an entry stays within the
// reader's 1,300,000-byte buffers even when run-length coding grows the data
// by a third.
constexpr size_t EntryBytes = 900'000;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uint64_t nextRandom(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

int sample(int table, long count, uint64_t seed) {
  EndgameSolver solver;
  std::vector<TablePosition> chosen;
  uint64_t seen = 0;
  // Reservoir sampling over the table's legal positions, repeatable by seed.
  forEachTablePosition(table, [&](const TablePosition& p) {
    ++seen;
    if (chosen.size() < size_t(count)) {
      chosen.push_back(p);
    } else {
      const uint64_t r = nextRandom(seed) % seen;
      if (r < uint64_t(count)) chosen[size_t(r)] = p;
    }
  });
  for (const TablePosition& p : chosen) {
    const uint64_t wins = solver.whiteWins(p.setup, p.side);
    std::printf("%s;%d\n", fenOf(p).c_str(), (wins >> p.whiteKing & 1) ? 0 : 1);
  }
  return 0;
}

int generate(const std::string& output, bool verify) {
  const auto start = std::chrono::steady_clock::now();
  EndgameSolver solver;
  std::vector<std::vector<uint8_t>> records;
  for (int table = TableKPK; table <= TableKBPK; ++table) {
    bitbase_writer::TableBits bits;
    if (!fillTable(solver, table, bits)) return 1;
    bitbase_writer::RecordStats stats;
    records.push_back(bitbase_writer::buildSmallestRecord(bits, &stats));
    std::printf("table %d: %zu bytes of bits, blocks of %u bytes, %u distinct, record %zu bytes (%.1f s)\n",
                table + 1, bits.bits.size(), stats.blockSize, stats.blockCount, stats.bytes, secondsSince(start));
    std::fflush(stdout);
  }
  if (verify) {
    const uint64_t wrong = solver.verifySolved();
    std::printf("verification: %llu inconsistent positions (%.1f s)\n", static_cast<unsigned long long>(wrong),
                secondsSince(start));
    if (wrong) return 1;
  }
  for (const std::string& line : solver.report()) std::printf("  %s\n", line.c_str());

  std::vector<uint8_t> set = bitbase_writer::buildChecksumRecord(records);
  for (const auto& r : records) set.insert(set.end(), r.begin(), r.end());
  std::vector<uint8_t> archive;
  if (!bitbase_writer::buildArchive(set, EntryBytes, archive)) return 1;

  // Read back what was written, as the engine will.
  BitbaseSet check;
  if (check.load(set) != BitbaseCount) {
    std::fprintf(stderr, "generate_bitbases: the set does not read back\n");
    return 1;
  }
  std::FILE* file = std::fopen(output.c_str(), "wb");
  if (!file || std::fwrite(archive.data(), 1, archive.size(), file) != archive.size() || std::fclose(file) != 0) {
    std::fprintf(stderr, "generate_bitbases: cannot write %s\n", output.c_str());
    return 1;
  }
  std::printf("set %zu bytes, archive %zu bytes in %zu entries (%.1f s)\n", set.size(), archive.size(),
              (set.size() + EntryBytes - 1) / EntryBytes, secondsSince(start));
  return 0;
}

// The solver's answer for one position given as FEN: "win" when White wins.
int probe(const std::string& fen) {
  Setup s;
  int whiteKing = -1, square = 0;
  size_t i = 0;
  for (; i < fen.size() && fen[i] != ' '; ++i) {
    const char c = fen[i];
    if (c == '/') continue;
    if (c >= '1' && c <= '8') {
      square += c - '0';
      continue;
    }
    const std::string letters = "pnbrqk";
    const size_t type = letters.find(char(std::tolower(c)));
    if (type == std::string::npos || square > 63) return 2;
    const Color colour = std::isupper(c) ? White : Black;
    if (colour == White && type == King)
      whiteKing = square;
    else
      s.add(colour, int(type), square);
    ++square;
  }
  if (whiteKing < 0 || i + 1 >= fen.size()) return 2;
  EndgameSolver solver;
  const uint64_t wins = solver.whiteWins(s, fen[i + 1] == 'w' ? White : Black);
  std::printf("%s\n", (wins >> whiteKing & 1) ? "win" : "no win");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  initZobrist();
  initAttackTables();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "--sample") {
    const int table = std::atoi(args[1].c_str()) - 1;
    if (table < TableKPK || table > TableKBPK) return 2;
    return sample(table, std::atol(args[2].c_str()), std::strtoull(args[3].c_str(), nullptr, 10));
  }
  if (args.size() == 2 && args[0] == "--probe") return probe(args[1]);
  if (args.size() == 1 || (args.size() == 2 && args[1] == "--verify"))
    return generate(args[0], args.size() == 2);
  std::fprintf(stderr, "usage: %s OUTPUT [--verify]\n       %s --sample TABLE COUNT SEED\n", argv[0], argv[0]);
  return 2;
}
