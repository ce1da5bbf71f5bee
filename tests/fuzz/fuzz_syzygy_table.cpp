// Damaged tablebase files. The input is one byte choosing a real small table,
// then that file's bytes as the mutator left them (flipped, cut, grown). They
// are written into a temporary folder beside intact copies of every other 3-
// and 4-man table, and positions of that material are probed through the
// ordinary start-up and probe functions. Each probe must answer or fail;
// nothing may crash, hang or read outside the mapping.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/tb/syzygy.h"
#include "eval/tb/syzygy_registry.h"
#include "support/board_placement.h"

using namespace tarn;

namespace {

// Files small enough for the mutator, covering pawnless and pawn tables, both
// kinds, symmetric ones, two-king and two-pawn leading groups, value maps and
// distance files that store only one side.
constexpr const char* Tables[] = {"KQvK.rtbw",  "KQvK.rtbz",  "KRRvK.rtbw", "KPvK.rtbw",  "KPvK.rtbz",
                                  "KBvKP.rtbz", "KRvKR.rtbz", "KQvKQ.rtbw", "KPPvK.rtbz", "KNvKP.rtbz",
                                  "KRvKB.rtbz", "KPvKP.rtbz", "KQvKR.rtbw"};
constexpr int TableCount = int(sizeof(Tables) / sizeof(Tables[0]));
constexpr int PositionsPerTable = 12;

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// Random legal positions of a material ("KBvKP"), either side as White, either to move.
std::vector<std::string> randomPositions(const std::string& material, std::mt19937& rng) {
  std::vector<std::string> fens;
  while (fens.size() < size_t(PositionsPerTable)) {
    char board[64];
    for (char& c : board) c = '.';
    const bool swap = rng() & 1;
    int side = 0;
    for (char piece : material) {
      if (piece == 'v') {
        side = 1;
        continue;
      }
      int s;
      do s = int(rng() % 64);
      while (board[s] != '.' || (piece == 'P' && (s < 8 || s >= 56)));
      board[s] = (side == 0) != swap ? piece : char(piece - 'A' + 'a');
    }
    std::string fen = tarn::test::placementField(board, '.');
    fen += (rng() & 1) ? " w - - 0 1" : " b - - 0 1";
    Position pos{};
    CastlingSetup setup{};
    if (readFen(pos, fen, setup)) fens.push_back(fen);
  }
  return fens;
}

struct Fixture {
  std::string folder;
  std::vector<uint8_t> original[TableCount];
  std::vector<std::string> positions[TableCount];

  Fixture() {
    initZobrist();
    initAttackTables();
    std::string pattern = (std::filesystem::temp_directory_path() / "tarn-fuzz-syzygy-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    const std::string source = std::string(TARN_TEST_DATA) + "/syzygy";
    for (const auto& entry : std::filesystem::directory_iterator(source))
      std::filesystem::copy_file(entry.path(), folder + "/" + entry.path().filename().string());
    std::mt19937 rng(20240601);
    for (int t = 0; t < TableCount; ++t) {
      original[t] = readFile(folder + "/" + Tables[t]);
      if (original[t].empty()) std::abort();
      const std::string name = Tables[t];
      positions[t] = randomPositions(name.substr(0, name.find('.')), rng);
    }
    // Damaged files are the point here: their messages would only flood the output.
    syzygy::setMessageSinks([](std::string_view) {}, [](std::string_view) {});
  }
};

Fixture& fixture() {
  static Fixture* f = [] {
    auto* made = new Fixture;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(fixture().folder, ignored);
    });
    return made;
  }();
  return *f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& f = fixture();
  if (size < 1) return 0;
  const int t = data[0] % TableCount;
  const std::string path = f.folder + "/" + Tables[t];
  writeFile(path, data + 1, size - 1);
  initTablebases(f.folder);

  for (const std::string& fen : f.positions[t]) {
    Position pos{};
    CastlingSetup setup{};
    if (!readFen(pos, fen, setup)) std::abort();
    const int wdl = probeWdl(pos, 1000);
    if (wdl < WdlNone || wdl > 2) std::abort();
    const RootProbe root = probeRoot(pos);
    if (root.wdl < WdlNone || root.wdl > 2) std::abort();
    if (root.move) {
      MoveList legal(PromoteAll);
      generateLegal(pos, legal);
      if (!legal.contains(root.move)) std::abort();
    }
  }

  // Unmap before the file is restored: a mapped file must not shrink under us.
  initTablebases("");
  writeFile(path, f.original[t].data(), f.original[t].size());
  return 0;
}
