// PGN files: any bytes are split into games without harm, each game plays on
// a consistent position, and a game written back reads to the same position.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/notation.h"
#include "board/zobrist.h"
#include "frontend/game_files.h"
#include "frontend/pgn_reader.h"
#include "frontend/pgn_writer.h"

namespace {

using namespace tarn;

std::string_view input;

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_pgn_reader: %s\ninput (%zu bytes): %.*s\n", what, input.size(), int(input.size()),
               input.data());
  std::abort();
}

// Every game of `text`, each handed to `visit` with its start, record and end.
template <typename Visit>
int forEachGame(const std::string& text, Visit visit) {
  std::FILE* file = text.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  require(file != nullptr, "no stream");
  static const std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
  PgnReader reader(file);
  PgnHeader header;
  std::string moveText;
  while (reader.nextGame(header, moveText)) {
    require(moveText.size() <= MaxMoveTextLength, "move text beyond its limit");
    require(header.white.size() <= PgnNameLength && header.fen.size() <= PgnFenLength &&
                header.result.size() <= PgnResultLength && header.timeControl.size() <= PgnTimeControlLength,
            "tag beyond its limit");
    CastlingSetup setup{};
    Position start{};
    bool chess960 = false;
    if (!readGameStart(header, start, setup, chess960)) continue;
    chess960Mode = chess960;
    record->reset(start);
    Position end = start;
    parseMovetext(*record, moveText, end);
    visit(header, start, *record, end, chess960);
  }
  std::fclose(file);
  return reader.gamesRead();
}

bool consistent(const Position& p) {
  Position fresh = p;
  refreshPosition(fresh);
  return fresh.key == p.key && fresh.checkers == p.checkers && std::memcmp(fresh.board, p.board, sizeof p.board) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (initZobrist(), initAttackTables(), true);
  (void)ready;
  input = std::string_view(reinterpret_cast<const char*>(data), size);
  const std::string text(input);

  forEachGame(text, [](const PgnHeader&, const Position&, GameRecord& record, const Position& end, bool chess960) {
    require(consistent(end), "a game ended in an inconsistent position");
    // Only a game the record holds completely can be written back.
    if (record.count >= MaxRecordedPlies - 4 || end.ply != record.count) return;
    GameTags tags;
    tags.chess960 = chess960;
    const std::string written = pgnGameText(record, tags);
    const Key expected = end.key;
    int games = 0;
    forEachGame(written, [&](const PgnHeader&, const Position&, GameRecord&, const Position& again, bool) {
      require(again.key == expected, "a written game reads back to another position");
      ++games;
    });
    require(games == 1, "a written game does not read back as one game");
  });
  chess960Mode = false;
  return 0;
}
