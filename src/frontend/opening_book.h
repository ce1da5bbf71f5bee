// The opening book: positions with a small signed value, kept in memory as a
// hash table with overflow chains and on disk as a file of 10-byte records.
//
// A book move is found by looking up the positions the legal moves lead to,
// not the position itself. Values run from White's point of view: -100..100 are
// plain values (the editor sets -2..2: 2 is a move to play, 0 one to play
// rarely); positions added from games carry the marker 101 and count the
// games' results until a filtered save turns them into plain 0 entries.
//
// File format ("*.tcb"): records of an 8-byte key and a 2-byte value, both
// little-endian, with no header. Records are written in slot order; a reader
// must not depend on the order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/game_record.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace tarn {

constexpr int BookTableSize = 1 << 17;   // chain heads, indexed by the low bits of the key
constexpr int BookPoolSize = 200000;     // overflow entries, handed out in order and never reused
constexpr int BookRecordSize = 10;
constexpr int MaxBookCandidates = 64;

constexpr int BookEmpty = -30000;         // value of a free slot
constexpr int BookMaxPlainValue = 100;    // above: a game result being added, or the games marker
constexpr int BookGamesMarker = 101;
constexpr int BookWin = 101, BookDraw = 102, BookLoss = 103;  // results of the side that moved in

enum BookMover : uint8_t { MoverWhite = 0, MoverBlack = 1, MoverUnknown = 2 };

struct BookEntry {
  Key key = 0;
  BookEntry* next = nullptr;
  int16_t value = BookEmpty;
  uint16_t wins = 0;     // games won by the side that moved into the position
  uint16_t draws = 0;
  uint16_t losses = 0;   // games lost by that side, or without a known result
  uint8_t mover = MoverWhite;
};
static_assert(sizeof(BookEntry) == 32);

// The keys of the game's positions by ply counter, for the rule that the book
// never steers into a repetition. keys[i] is the key at ply firstPly + i.
struct KeyHistory {
  const Key* keys = nullptr;
  int firstPly = 0;
  int endPly = 0;

  Key at(int ply) const { return ply >= firstPly && ply < endPly ? keys[ply - firstPly] : 0; }
  static KeyHistory of(const GameRecord& record) { return {record.keys.data(), 0, int(record.keys.size())}; }
};

struct BookCandidate {
  Move move;
  int value;
};

struct BookChoice {
  Move move = NullMove;   // NullMove when the book has none
  int score = 0;          // what is reported: value + 1 for values >= 0, else the value
  int candidates = 0;     // candidates of the side to move's sign
};

// What reading a book file found.
struct BookLoadReport {
  bool opened = false;
  int records = 0;      // complete records read
  int refused = 0;      // records not stored because the book was full
  int damaged = 0;      // records with a value no book writes, skipped
  int strayBytes = 0;   // a partial record at the end of the file, dropped
};

// A record to be written: the key and value of an entry that passes the filter.
struct BookRecord {
  Key key;
  int16_t value;
};

class OpeningBook {
 public:
  OpeningBook();
  OpeningBook(const OpeningBook&) = delete;
  OpeningBook& operator=(const OpeningBook&) = delete;

  enum class AddOutcome { Inserted, Updated, Full };

  // Adds or updates the position with key `key`. A value of at most 100 is
  // stored as it is; 101, 102 and 103 count a win, draw or loss of `mover` and
  // mark the entry as built from games. Unless `quiet`, the status line says
  // what happened; "Book Full!" is shown whenever the pool is exhausted.
  AddOutcome add(Key key, int value, int mover, bool quiet);

  // The editor's add: the position's key, with the side not to move as the mover.
  AddOutcome add(const Position& pos, int value, bool quiet);

  // Deletes the position's entry; false when it had none.
  bool remove(const Position& pos, bool quiet);

  // Adds the records of a book file (values as they are, the mover unknown).
  BookLoadReport load(const std::string& path);

  // The records a save writes, in slot order. A plain entry is written as it
  // is; an entry built from games only when it has at least `minGames` games and
  // its mover scored at least `whitePercent` (White) or `blackPercent` (Black or
  // unknown): its value then becomes 0, in memory too.
  std::vector<BookRecord> filteredRecords(int minGames, double whitePercent, double blackPercent);

  // Writes filteredRecords() to `path`. The old file is replaced only when the
  // whole new one was written; on failure `error` says why and nothing changed.
  bool save(const std::string& path, int minGames, double whitePercent, double blackPercent, int* written = nullptr,
            std::string* error = nullptr);

  // The book moves of `pos` with their values, in generation order; a move whose
  // position occurred in the last fifty-move span with the same side to move
  // is left out. Returns the number written to `out` (at most 64).
  int candidates(const Position& pos, const KeyHistory& history, BookCandidate* out) const;

  // Picks a book move of the side to move's sign, favouring values of magnitude
  // 2 and playing 0 least often.
  BookChoice chooseMove(const Position& pos, const KeyHistory& history, KeyGenerator& random) const;
  // The same with the process-wide generator, stepped a time-dependent number of times first.
  BookChoice chooseMove(const Position& pos, const KeyHistory& history) const;

  // After a decisive game (`result` WhiteWon or BlackWon): removes the loser's
  // last book moves, going back from the end of the game (at most ply 60) to a
  // position where the loser still has another book move.
  void learnFromLoss(GameRecord& record, int result);

  // A copy of the whole book, game counters included.
  std::unique_ptr<OpeningBook> clone() const;

  // The entry of `key`, or null.
  const BookEntry* find(Key key) const;

  int positions() const { return stored; }
  int poolUsed() const { return poolCount; }

 private:
  AddOutcome insert(Key key, int value, int mover, bool quiet, bool announceFull);
  BookEntry* head(Key key) const { return &entries[size_t(key & (BookTableSize - 1))]; }

  std::unique_ptr<BookEntry[]> entries;  // the chain heads, then the pool
  int poolCount = 0;
  int stored = 0;
};

// The process-wide generator of book choices, seeded once at start.
KeyGenerator& bookRandom();

}  // namespace tarn
