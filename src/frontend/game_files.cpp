#include "frontend/game_files.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "board/notation.h"
#include "frontend/engine_identity.h"
#include "frontend/line_reader.h"
#include "frontend/pgn_reader.h"
#include "frontend/status_messages.h"

namespace tarn {

namespace {

constexpr size_t PositionLineLimit = 3999;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

void showGameStatus(int n, std::string_view extra, const PgnHeader& h) {
  char text[1024];
  std::snprintf(text, sizeof text, "Game %d\n%.*sEvent: %s\nTime Control: %s\nWhite: %s\nBlack: %s\nResult: %s\n", n,
                int(extra.size()), extra.data(), h.event.c_str(), h.timeControl.c_str(), h.white.c_str(),
                h.black.c_str(), h.result.c_str());
  showStatus(text);
}

void setChess960(bool on) { chess960Mode.store(on, std::memory_order_relaxed); }

}  // namespace

bool readGameStart(const PgnHeader& header, Position& pos, CastlingSetup& setup, bool& chess960, const char** message) {
  Position start{};
  CastlingSetup startSetup{};
  if (!readFen(start, header.fen.empty() ? StartFenShort : header.fen, startSetup, message)) return false;
  setup = startSetup;
  pos = start;
  pos.setup = &setup;
  chess960 = header.chess960 || hasChess960Castling(pos);
  return true;
}

std::optional<double> positionTarget(std::string_view line) {
  std::optional<double> target;
  const auto has = [&](std::string_view text) { return line.find(text) != std::string_view::npos; };
  if (has("1/2-1/2") || has("|Draw") || has("0.5")) target = 0.5;
  if (has("0-1") || has("|Black") || has("0.0")) target = 0.0;
  if (has("1-0") || has("|White") || has("1.0")) target = 1.0;
  for (size_t i = line.find('"'); i != std::string_view::npos; i = line.find('"', i + 1)) {
    if (i + 1 < line.size() && line[i + 1] >= '0' && line[i + 1] <= '9') {
      target = std::strtod(std::string(line.substr(i + 1, 32)).c_str(), nullptr);
      break;
    }
  }
  return target;
}

GameTags mainGameTags(const EngineState& state, int round) {
  GameTags tags;
  const std::string player = state.active->playerName;
  const int colour = state.engineColor;
  tags.white = colour == EnginePlaysWhite || colour == EnginePlaysBoth ? EngineName : player;
  tags.black = colour == EnginePlaysBlack || colour == EnginePlaysBoth ? EngineName : player;
  tags.result = gameResult.load(std::memory_order_relaxed);
  tags.round = round;
  tags.chess960 = isChess960();
  tags.baseMinutes = state.options.clockMinutes;
  tags.incrementSeconds = state.options.clockIncrement;
  tags.currentPly = state.game.position.ply;
  tags.time = localTimeNow();
  return tags;
}

bool saveMainGame(const EngineState& state, const std::string& path, int round, std::string* error) {
  if (appendGameToFile(path, state.game.record, mainGameTags(state, round), error)) return true;
  showStatus("Cannot Open File.");
  return false;
}

int loadGame(EngineState& state, const std::string& path, int n) {
  const FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file || n < 1) return 0;
  PgnHeader header;
  std::string moveText;
  const int found = readPgnGame(file.get(), n, header, moveText);
  if (found < n) return found;

  Position start{};
  CastlingSetup setup{};
  bool chess960 = false;
  const char* message = nullptr;
  if (!readGameStart(header, start, setup, chess960, &message)) {
    showStatus(message ? message : "Not a valid Position");
    return 0;
  }
  setChess960(chess960);
  state.newGame(toFen(start));
  GameState& game = state.game;
  parseMovetext(game.record, moveText, game.position);
  if (header.currentPly != -1) {
    game.position = game.record.positionAfter(header.currentPly);
    game.position.setup = &game.setup;
  }
  showGameStatus(n, "", header);
  return n;
}

int loadPosition(EngineState& state, const std::string& path, int n) {
  const FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file || n < 1) return 0;
  LineReader reader(file.get());
  std::string line;
  int lines = 0;
  while (lines < n && reader.readLine(line, PositionLineLimit)) ++lines;
  if (lines < n) return lines;

  Position start{};
  CastlingSetup setup{};
  const char* message = nullptr;
  if (!readFen(start, line, setup, &message)) {
    showStatus(message ? message : "Not a valid Position");
    return 0;
  }
  start.setup = &setup;
  setChess960(hasChess960Castling(start));
  state.newGame(toFen(start));

  std::string extra;
  if (const auto target = positionTarget(line)) {
    char text[64];
    std::snprintf(text, sizeof text, "Target: %.3f\n", *target);
    extra = text;
  }
  showGameStatus(n, extra, PgnHeader{});
  return n;
}

void pasteTranscript(EngineState& state, std::string_view text) {
  if (text.empty()) return;
  if (const size_t at = text.find("[FEN \""); at != std::string_view::npos) {
    const size_t begin = at + 6;
    const size_t end = text.find('"', begin);
    const std::string_view fen = text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
    Position start{};
    CastlingSetup setup{};
    const char* message = nullptr;
    if (!readFen(start, fen, setup, &message)) {
      showStatus(message ? message : "Not a valid Position");
      return;
    }
    start.setup = &setup;
    setChess960(text.find("[Variant \"fischerandom\"") != std::string_view::npos || hasChess960Castling(start));
    state.newGame(toFen(start));
    showStatus("Position Pasted.");
  }
  // Tag lines are no moves; a tag at the very start would be walked as move text.
  std::string moves;
  for (size_t begin = 0; begin < text.size();) {
    size_t end = text.find('\n', begin);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(begin, end - begin);
    if (line.find_first_not_of(" \t") == std::string_view::npos || line[line.find_first_not_of(" \t")] != '[')
      moves += line;
    begin = end;
  }
  GameState& game = state.game;
  if (!game.hasPosition()) state.newGame();
  parseMovetext(game.record, moves, game.position);
}

}  // namespace tarn
