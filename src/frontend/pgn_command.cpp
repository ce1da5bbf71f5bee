#include "frontend/pgn_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/notation.h"
#include "board/zobrist.h"
#include "frontend/game_files.h"
#include "frontend/pgn_reader.h"

namespace tarn {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The full-move number of the game's FEN tag (1 when it has none): our positions
// count moves from the start of the game, a FEN reader expects them from there.
int startingMoveNumber(const std::string& fen) {
  size_t at = 0;
  for (int field = 0; field < 5 && at != std::string::npos; ++field) {
    at = fen.find_first_not_of(' ', at);
    if (at != std::string::npos) at = fen.find(' ', at);
  }
  if (at == std::string::npos) return 1;
  const int number = std::atoi(fen.c_str() + at);
  return number >= 1 ? number : 1;
}

// The FEN of `pos` with its move number counted on from the game's FEN tag.
std::string finalFen(const Position& pos, const Position& start, const std::string& tagFen) {
  std::string fen = toFen(pos);
  const int plies = pos.ply - start.ply + (start.sideToMove == Black ? 1 : 0);
  const int moveNumber = startingMoveNumber(tagFen) + plies / 2;
  return fen.substr(0, fen.find_last_of(' ') + 1) + std::to_string(moveNumber);
}

}  // namespace

int runPgnCommand(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tarnchess pgn FILE\n");
    return 1;
  }
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(argv[2], "rb"));
  if (!file) {
    std::fprintf(stderr, "tarnchess pgn: cannot open \"%s\"\n", argv[2]);
    return 1;
  }
  initZobrist();
  initAttackTables();

  PgnReader reader(file.get());
  PgnHeader header;
  std::string moveText;
  const auto record = std::make_unique<GameRecord>();
  std::string out;
  while (reader.nextGame(header, moveText)) {
    const int number = reader.gamesRead();
    Position start{};
    CastlingSetup setup{};
    bool chess960 = false;
    const char* message = nullptr;
    if (!readGameStart(header, start, setup, chess960, &message)) {
      std::string reason = message ? message : "unreadable";
      for (char& c : reason)
        if (c == '\n') c = ' ';
      std::fprintf(stderr, "game %d skipped: its FEN tag \"%s\" is no position: %s\n", number, header.fen.c_str(),
                   reason.c_str());
      continue;
    }
    if (reader.moveTextWasCut())
      std::fprintf(stderr, "game %d: move text beyond %zu characters ignored\n", number, MaxMoveTextLength);
    chess960Mode.store(chess960, std::memory_order_relaxed);
    record->reset(start);
    Position pos = start;
    parseMovetext(*record, moveText, pos, [&](std::string_view token, const Position& at) {
      std::fprintf(stderr, "game %d skipped %.*s at ply %d\n", number, int(token.size()), token.data(),
                   at.ply - start.ply + 1);
    });
    // The reader's default "X" stands for a game without a Result tag.
    const std::string result = header.result.empty() || header.result == "X" ? "*" : header.result;
    out = "game " + std::to_string(number) + " plies " + std::to_string(pos.ply - start.ply) + " result " + result +
          " fen " + finalFen(pos, start, header.fen) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  std::printf("games %d\n", reader.gamesRead());
  std::fflush(stdout);
  return 0;
}

}  // namespace tarn
