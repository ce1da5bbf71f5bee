// Helpers of the PGN and book tests: games read from text through the real reader.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "board/game_record.h"
#include "board/notation.h"
#include "frontend/frontend_test_support.h"
#include "frontend/game_files.h"
#include "frontend/pgn_reader.h"
#include "frontend/status_messages.h"
#include "support/chess960_scope.h"

namespace tarn::test {

inline std::string dataFile(const std::string& name) { return std::string(TARN_TEST_DATA) + "/" + name; }

// A stdio stream over `text`, closed with the object.
class TextFile {
 public:
  explicit TextFile(const std::string& text)
      : contents(text), handle(fmemopen(contents.empty() ? nullptr : contents.data(), contents.size(), "rb")) {
    if (!handle) handle = std::tmpfile();  // fmemopen refuses an empty buffer
  }
  ~TextFile() {
    if (handle) std::fclose(handle);
  }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  std::FILE* get() const { return handle; }

 private:
  std::string contents;
  std::FILE* handle;
};

// One game as the program reads it: header, start position, record and final position.
struct ReadGame {
  PgnHeader header;
  std::string moveText;
  std::shared_ptr<CastlingSetup> setup = std::make_shared<CastlingSetup>();
  Position start{};
  Position end{};
  std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
  bool chess960 = false;
  bool startRead = false;
  std::vector<std::string> skipped;

  int plies() const { return end.ply - start.ply; }
};

// Every game of a PGN text; moves are read with the Chess960 notation the game needs.
inline std::vector<std::unique_ptr<ReadGame>> readAllGames(const std::string& text) {
  initBoardTables();
  TextFile file(text);
  PgnReader reader(file.get());
  std::vector<std::unique_ptr<ReadGame>> games;
  for (;;) {
    auto g = std::make_unique<ReadGame>();
    if (!reader.nextGame(g->header, g->moveText)) break;
    g->startRead = readGameStart(g->header, g->start, *g->setup, g->chess960);
    if (g->startRead) {
      const bool previous = chess960Mode.exchange(g->chess960);
      g->record->reset(g->start);
      g->end = g->start;
      ReadGame& game = *g;
      parseMovetext(*g->record, g->moveText, g->end,
                    [&game](std::string_view token, const Position&) { game.skipped.emplace_back(token); });
      chess960Mode = previous;
    }
    games.push_back(std::move(g));
  }
  return games;
}

// A status sink that keeps every text, installed while it lives.
class CapturedStatus : public StatusSink {
 public:
  CapturedStatus() { installStatusSink(this); }
  ~CapturedStatus() override { installStatusSink(nullptr); }
  void showStatus(std::string_view text) override { texts.emplace_back(text); }
  std::string last() const { return texts.empty() ? "" : texts.back(); }
  std::vector<std::string> texts;
};

}  // namespace tarn::test
