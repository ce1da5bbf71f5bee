// Shared pieces of the network tests: board tables, positions with their own
// castling record, random endgames and games, temporary files, and random
// networks written to a file and loaded back into the process-wide set.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/nn/network_set.h"
#include "eval/nn/random_parameters.h"
#include "support/board_placement.h"

namespace tarn::nn::test {

inline bool prepareBoardTables() {
  static const bool ready = [] {
    initZobrist();
    initAttackTables();
    return true;
  }();
  return ready;
}

// A position with the castling record it points to; copies share the record.
struct Board {
  std::shared_ptr<CastlingSetup> setup = std::make_shared<CastlingSetup>();
  Position pos{};
};

inline Board boardFromFen(std::string_view fen) {
  prepareBoardTables();
  Board b;
  const char* message = nullptr;
  EXPECT_TRUE(readFen(b.pos, fen, *b.setup, &message)) << fen << ": " << (message ? message : "");
  return b;
}

inline std::vector<Move> legalMoves(const Position& pos) {
  MoveList list(PromoteAll);
  generateLegal(pos, list);
  return std::vector<Move>(list.begin(), list.end());
}

// A random legal position with the given men, e.g. "KRPPkrp" (upper case White).
// Pawns stand on ranks 2..7; the side to move is random.
inline Board randomEndgame(std::mt19937_64& rng, std::string_view men) {
  prepareBoardTables();
  for (;;) {
    char board[64];
    std::fill(board, board + 64, '.');
    bool placed = true;
    for (char man : men) {
      const bool pawn = man == 'P' || man == 'p';
      int s = 0, tries = 0;
      do {
        s = int(rng() % 64);
      } while ((board[s] != '.' || (pawn && (s < 8 || s >= 56))) && ++tries < 200);
      if (board[s] != '.') placed = false;
      board[s] = man;
    }
    if (!placed) continue;
    std::string fen = tarn::test::placementField(board, '.');
    fen += rng() % 2 ? " w - - 0 1" : " b - - 0 1";
    Board b;
    if (readFen(b.pos, fen, *b.setup)) return b;
  }
}

// A file in the temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(std::string_view stem) {
    static std::atomic<int> counter{0};
    path_ = (std::filesystem::temp_directory_path() /
             (std::string(stem) + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".tnn"))
                .string();
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

  void write(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<uint8_t> read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

// Random networks generated in a set of their own, written with the writer and
// read back into the process-wide set. Returns the source set, whose parameters
// the reference computations use.
inline const NetworkSet& loadRandomNetworks(uint64_t seed, int magnitude) {
  prepareBoardTables();
  static NetworkSet* source = new NetworkSet;
  fillRandomParameters(*source, seed, magnitude);
  TempFile file("random_networks");
  EXPECT_TRUE(writeNetworks(*source, file.path()));
  EXPECT_EQ(loadNetworkFile(networks(), file.path()), NetworkRecordCount);
  return *source;
}

}  // namespace tarn::nn::test
