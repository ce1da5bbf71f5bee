#include "frontend/command_line.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/perft.h"
#include "board/zobrist.h"
#include "frontend/bench.h"
#include "frontend/book_command.h"
#include "frontend/pgn_command.h"
#include "frontend/tbprobe_command.h"

namespace tarn {

namespace {

constexpr int MaxPerftDepth = 20;

int runPerft(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnchess perft DEPTH [FEN]\n");
    return 1;
  }
  const std::string_view depthText = argv[2];
  int depth = 0;
  bool digits = !depthText.empty() && depthText.size() <= 3;
  for (char c : depthText) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) depth = depth * 10 + (c - '0');
  }
  if (!digits || depth < 1 || depth > MaxPerftDepth) {
    std::fprintf(stderr, "tarnchess perft: the depth must be a number from 1 to %d, not \"%s\"\n", MaxPerftDepth,
                 argv[2]);
    return 1;
  }
  // The FEN may come as one argument or as its fields, unquoted.
  std::string fen;
  for (int i = 3; i < argc; ++i) {
    if (i > 3) fen += ' ';
    fen += argv[i];
  }
  if (fen.empty()) fen = StartFen;

  Position pos{};
  if (!readCommandLineFen("perft", fen, pos)) return 1;
  chess960Mode.store(hasChess960Castling(pos), std::memory_order_relaxed);
  const std::string report = perftReport(pos, depth);
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
  return 0;
}

int runBenchCommand(int argc, char** argv) {
  int depth = DefaultBenchDepth;
  if (argc > 2) {
    depth = std::atoi(argv[2]);
    if (depth < 1 || depth > 60) {
      std::fprintf(stderr, "tarnchess bench: the depth must be a number from 1 to 60, not \"%s\"\n", argv[2]);
      return 1;
    }
  }
  return runBench(depth);
}

}  // namespace

bool readCommandLineFen(const char* command, const std::string& fen, Position& pos) {
  initZobrist();
  initAttackTables();
  // The position keeps a pointer to its castling setup.
  static CastlingSetup setup;
  const char* message = nullptr;
  if (readFen(pos, fen, setup, &message)) return true;
  std::string reason = message ? message : "unreadable";
  for (char& c : reason)
    if (c == '\n') c = ' ';
  std::fprintf(stderr, "tarnchess %s: invalid FEN \"%s\": %s\n", command, fen.c_str(), reason.c_str());
  return false;
}

std::optional<int> runCommandLineExtra(int argc, char** argv) {
  if (argc < 2) return std::nullopt;
  const std::string_view command = argv[1];
  if (command == "perft") return runPerft(argc, argv);
  if (command == "bench") return runBenchCommand(argc, argv);
  if (command == "tbprobe") return runTbprobeCommand(argc, argv);
  if (command == "pgn") return runPgnCommand(argc, argv);
  if (command == "book") return runBookCommand(argc, argv);
  return std::nullopt;
}

void reportNoWindowProgram() {
  std::fprintf(stderr,
               "tarnchess: this build has no window program; run it from a chess GUI as a UCI or WinBoard engine\n");
}

}  // namespace tarn
