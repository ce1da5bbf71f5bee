#include "frontend/opening_book.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "board/make_move.h"
#include "board/movegen.h"
#include "frontend/status_messages.h"
#include "platform/file_writing.h"

namespace tarn {

namespace {

// The choice generator starts from the key generator's seed with a shorter warm-up.
constexpr int BookRandomWarmUp = 32;
// Extra steps before a choice: the clock's milliseconds below this mask.
constexpr int64_t ChoiceStepMask = 127;
// Book moves are looked for only within the game's first plies when learning.
constexpr int LearnPlyLimit = 60;
constexpr uint16_t CounterLimit = 0xFFFF;

std::mutex randomMutex;

int slotOf(Key key) { return int(key & (BookTableSize - 1)); }

void status(const char* format, auto... values) {
  if (!statusShown()) return;
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  showStatus(text);
}

// Counts a game result. A counter about to overflow halves all three, which
// keeps the proportions the filter reads.
void countResult(BookEntry& e, int value) {
  uint16_t& counter = value == BookWin ? e.wins : value == BookDraw ? e.draws : e.losses;
  if (counter == CounterLimit) {
    e.wins /= 2;
    e.draws /= 2;
    e.losses /= 2;
  }
  ++counter;
}

void update(BookEntry& e, int value, int mover) {
  if (value <= BookMaxPlainValue) {
    e.value = int16_t(value);
    return;
  }
  if (e.value == 0 || e.value == BookEmpty) e.value = BookGamesMarker;
  e.mover = uint8_t(mover);
  if (value == BookWin || value == BookDraw || value == BookLoss) countResult(e, value);
}

uint64_t readLittleEndian(const unsigned char* bytes, int count) {
  uint64_t v = 0;
  for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[i];
  return v;
}

void writeLittleEndian(std::string& out, uint64_t v, int count) {
  for (int i = 0; i < count; ++i, v >>= 8) out += char(v & 0xFF);
}

// True when a position with `key` and the side to move after `ply` occurred in
// the last `fifty` plies of the game.
bool repeats(Key key, int ply, int fifty, const KeyHistory& history) {
  for (int p = ply - 2; p >= ply - fifty && p >= 0; p -= 2)
    if (history.at(p) == key) return true;
  return false;
}

int64_t clockMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

KeyGenerator& bookRandom() {
  static KeyGenerator generator = [] {
    KeyGenerator g;
    for (int i = 0; i < BookRandomWarmUp; ++i) g.next();
    return g;
  }();
  return generator;
}

OpeningBook::OpeningBook() : entries(new BookEntry[size_t(BookTableSize) + BookPoolSize]) {}

OpeningBook::AddOutcome OpeningBook::add(Key key, int value, int mover, bool quiet) {
  return insert(key, value, mover, quiet, true);
}

OpeningBook::AddOutcome OpeningBook::insert(Key key, int value, int mover, bool quiet, bool announceFull) {
  const int slot = slotOf(key);
  BookEntry* e = head(key);
  for (;;) {
    if (e->value == BookEmpty) break;
    if (e->key == key) {
      if (!quiet) status("Position Exists. %d\nValue was %d now %d", slot, int(e->value), value);
      update(*e, value, mover);
      return AddOutcome::Updated;
    }
    if (!e->next) {
      if (poolCount >= BookPoolSize) {
        if (announceFull) showStatus("Book Full!");
        return AddOutcome::Full;
      }
      e->next = &entries[size_t(BookTableSize) + size_t(poolCount++)];
      e = e->next;
      break;
    }
    e = e->next;
  }
  ++stored;
  e->key = key;
  update(*e, value, mover);
  if (!quiet) status("Position Added. %d\nValue %d", slot, value);
  return AddOutcome::Inserted;
}

OpeningBook::AddOutcome OpeningBook::add(const Position& pos, int value, bool quiet) {
  const Key key = computeHashKey(pos, pos.sideToMove, pos.epSquare, pos.castlingRights);
  return add(key, value, pos.sideToMove == White ? MoverBlack : MoverWhite, quiet);
}

bool OpeningBook::remove(const Position& pos, bool quiet) {
  const Key key = computeHashKey(pos, pos.sideToMove, pos.epSquare, pos.castlingRights);
  const int slot = slotOf(key);
  BookEntry* first = head(key);
  BookEntry* previous = nullptr;
  for (BookEntry* e = first; e; previous = e, e = e->next) {
    if (e->value == BookEmpty || e->key != key) continue;
    const int old = e->value;
    --stored;
    if (previous) {
      previous->next = e->next;
    } else if (e->next) {
      *first = *e->next;  // the successor moves into the head slot, its link included
    } else {
      *first = BookEntry{};
    }
    if (!quiet) status("Position Removed. %d\nValue was %d", slot, old);
    return true;
  }
  if (!quiet) status("Position does not exist. %d\n", slot);
  return false;
}

BookLoadReport OpeningBook::load(const std::string& path) {
  BookLoadReport report;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return report;
  report.opened = true;
  constexpr size_t RecordsPerRead = 4096;
  unsigned char buffer[RecordsPerRead * BookRecordSize];
  size_t carried = 0;
  for (;;) {
    const size_t got = std::fread(buffer + carried, 1, sizeof buffer - carried, file);
    const size_t available = carried + got;
    const size_t whole = available / BookRecordSize * BookRecordSize;
    for (size_t at = 0; at < whole; at += BookRecordSize) {
      const Key key = readLittleEndian(buffer + at, 8);
      const int value = int16_t(readLittleEndian(buffer + at + 8, 2));
      ++report.records;
      // A book only ever writes plain values; anything else is damage.
      if (value < -BookMaxPlainValue || value > BookMaxPlainValue) {
        ++report.damaged;
        continue;
      }
      if (insert(key, value, MoverUnknown, true, false) == AddOutcome::Full) ++report.refused;
    }
    carried = available - whole;
    if (got == 0) break;
    std::memmove(buffer, buffer + whole, carried);
  }
  // A directory opens but does not read: that is no book.
  if (std::ferror(file)) report.opened = false;
  std::fclose(file);
  report.strayBytes = int(carried);
  if (report.refused) showStatus("Book Full!");
  return report;
}

std::vector<BookRecord> OpeningBook::filteredRecords(int minGames, double whitePercent, double blackPercent) {
  std::vector<BookRecord> records;
  records.reserve(size_t(stored));
  for (int slot = 0; slot < BookTableSize; ++slot) {
    for (BookEntry* e = &entries[size_t(slot)]; e; e = e->next) {
      if (e->value == BookEmpty) continue;
      if (e->value >= BookMaxPlainValue) {
        const int total = e->wins + e->draws + e->losses;
        const double percent = total ? (e->wins + e->draws * 0.5) * 100 / total : 0;
        const double wanted = e->mover == MoverWhite ? whitePercent : blackPercent;
        if (total < minGames || percent < wanted) continue;
        e->value = 0;
      }
      records.push_back({e->key, e->value});
    }
  }
  return records;
}

bool OpeningBook::save(const std::string& path, int minGames, double whitePercent, double blackPercent, int* written,
                       std::string* error) {
  const std::vector<BookRecord> records = filteredRecords(minGames, whitePercent, blackPercent);
  std::string bytes;
  bytes.reserve(records.size() * BookRecordSize);
  for (const BookRecord& r : records) {
    writeLittleEndian(bytes, r.key, 8);
    writeLittleEndian(bytes, uint16_t(r.value), 2);
  }
  if (!replaceFileContents(path, bytes, error)) return false;
  if (written) *written = int(records.size());
  status("%d Positions Saved", int(records.size()));
  return true;
}

std::unique_ptr<OpeningBook> OpeningBook::clone() const {
  auto copy = std::make_unique<OpeningBook>();
  const size_t total = size_t(BookTableSize) + BookPoolSize;
  BookEntry* to = copy->entries.get();
  const BookEntry* from = entries.get();
  for (size_t i = 0; i < total; ++i) {
    to[i] = from[i];
    if (from[i].next) to[i].next = to + (from[i].next - from);
  }
  copy->poolCount = poolCount;
  copy->stored = stored;
  return copy;
}

const BookEntry* OpeningBook::find(Key key) const {
  for (const BookEntry* e = head(key); e; e = e->next)
    if (e->value != BookEmpty && e->key == key) return e;
  return nullptr;
}

int OpeningBook::candidates(const Position& pos, const KeyHistory& history, BookCandidate* out) const {
  MoveList legal;
  generateLegal(pos, legal);
  int count = 0;
  for (Move m : legal) {
    if (count == MaxBookCandidates) break;
    Position after = pos;
    makeMoveChecked(after, m);
    const Key key = computeHashKey(after, after.sideToMove, after.epSquare, after.castlingRights);
    const BookEntry* e = find(key);
    if (!e || repeats(key, after.ply, after.fiftyCounter, history)) continue;
    out[count++] = {m, e->value};
  }
  return count;
}

BookChoice OpeningBook::chooseMove(const Position& pos, const KeyHistory& history, KeyGenerator& random) const {
  BookCandidate all[MaxBookCandidates];
  const int count = candidates(pos, history, all);
  BookCandidate kept[MaxBookCandidates];
  int keptCount = 0;
  for (int i = 0; i < count; ++i)
    if (pos.sideToMove == White ? all[i].value >= 0 : all[i].value <= 0) kept[keptCount++] = all[i];
  BookChoice choice;
  choice.candidates = keptCount;
  if (keptCount == 0) return choice;

  const auto draw = [&] { return kept[uint32_t(random.next()) % uint32_t(keptCount)]; };
  BookCandidate chosen = draw();
  if (std::abs(chosen.value) <= 1) chosen = draw();
  if (chosen.value == 0) chosen = draw();
  choice.move = chosen.move;
  choice.score = chosen.value >= 0 ? chosen.value + 1 : chosen.value;
  return choice;
}

BookChoice OpeningBook::chooseMove(const Position& pos, const KeyHistory& history) const {
  std::lock_guard lock(randomMutex);
  KeyGenerator& random = bookRandom();
  for (int64_t i = clockMilliseconds() & ChoiceStepMask; i > 0; --i) random.next();
  return chooseMove(pos, history, random);
}

void OpeningBook::learnFromLoss(GameRecord& record, int result) {
  if (result != WhiteWon && result != BlackWon) return;
  const Color winner = result == WhiteWon ? White : Black;
  if (record.count < 2) return;
  BookCandidate found[MaxBookCandidates];
  for (int n = std::min(record.count - 1, LearnPlyLimit); n >= 1 && n > record.start.ply; --n) {
    const Position pos = record.positionAfter(n);
    if (pos.sideToMove == winner) {
      remove(pos, true);  // reached by a move of the loser
    } else if (candidates(pos, KeyHistory::of(record), found) > 0) {
      break;
    }
  }
}

}  // namespace tarn
