// The opening book: its table and pool, its file, the choice of a move, the
// save filter, building from games and learning from a lost game.
#include <gtest/gtest.h>

#include <cmath>

#include "board/make_move.h"
#include "frontend/book_builder.h"
#include "frontend/engine_book.h"
#include "frontend/opening_book.h"
#include "frontend/pgn_test_support.h"

namespace tarn::test {
namespace {

// Keys that share chain head 5 (the low 17 bits), distinct above them.
Key keyInSlot(int slot, uint64_t n) { return (n << 17) | uint64_t(slot); }

std::string record(Key key, int16_t value) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += char(key >> (8 * i));
  bytes += char(uint16_t(value) & 0xFF);
  bytes += char(uint16_t(value) >> 8);
  return bytes;
}

struct Game {
  std::shared_ptr<CastlingSetup> setup = std::make_shared<CastlingSetup>();
  Position pos{};
  std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();

  explicit Game(const std::string& fen = StartFen) {
    initBoardTables();
    EXPECT_TRUE(readFen(pos, fen, *setup));
    record->reset(pos);
  }
  Game& play(std::initializer_list<const char*> moves) {
    for (const char* m : moves) EXPECT_TRUE(playMoveText(m, pos, record.get())) << m;
    return *this;
  }
  // The position after `move` from the current one, without playing it.
  Position after(const char* move) const {
    Position p = pos;
    EXPECT_TRUE(playMoveText(move, p, nullptr)) << move;
    return p;
  }
  KeyHistory history() const { return KeyHistory::of(*record); }
};

TEST(OpeningBook, FileRecordsLoadAndAPartialRecordIsDropped) {
  TempFolder folder;
  const std::string path = folder.file("two.tcb");
  writeWholeFile(path, record(0x1234, 2) + record(0x5678, -1) + "\x01\x02\x03\x04\x05");
  OpeningBook book;
  BookLoadReport report = book.load(path);
  EXPECT_TRUE(report.opened);
  EXPECT_EQ(report.records, 2);
  EXPECT_EQ(report.strayBytes, 5);
  EXPECT_EQ(book.positions(), 2);
  EXPECT_EQ(book.find(0x5678)->value, -1);

  // A second load finds every position: nothing is added, the values are set again.
  book.add(0x1234, 0, MoverUnknown, true);
  report = book.load(path);
  EXPECT_EQ(report.records, 2);
  EXPECT_EQ(book.positions(), 2);
  EXPECT_EQ(book.find(0x1234)->value, 2);

  EXPECT_FALSE(book.load(folder.file("missing.tcb")).opened);
  EXPECT_FALSE(book.load(folder.path()).opened);  // a folder opens but does not read
}

TEST(OpeningBook, RecordsWithValuesNoBookWritesAreSkipped) {
  TempFolder folder;
  const std::string path = folder.file("damaged.tcb");
  writeWholeFile(path, record(1, 2) + record(2, -30000) + record(3, 101) + record(4, 100) + record(5, -100));
  OpeningBook book;
  const BookLoadReport report = book.load(path);
  EXPECT_EQ(report.records, 5);
  EXPECT_EQ(report.damaged, 2);
  EXPECT_EQ(book.positions(), 3);
  EXPECT_EQ(book.find(2), nullptr);
  EXPECT_EQ(book.find(3), nullptr);
}

TEST(OpeningBook, GameResultsCountUntilAPlainValueReplacesTheMarker) {
  OpeningBook book;
  book.add(42, BookWin, MoverWhite, true);
  book.add(42, BookDraw, MoverWhite, true);
  EXPECT_EQ(book.find(42)->value, BookGamesMarker);
  book.add(42, 1, MoverUnknown, true);
  book.add(42, BookLoss, MoverBlack, true);
  const BookEntry* e = book.find(42);
  EXPECT_EQ(e->value, 1);
  EXPECT_EQ(e->wins, 1);
  EXPECT_EQ(e->draws, 1);
  EXPECT_EQ(e->losses, 1);
  EXPECT_EQ(e->mover, MoverBlack);
  EXPECT_EQ(book.positions(), 1);
}

TEST(OpeningBook, ChainsGrowFromThePoolUntilItIsFull) {
  CapturedStatus status;
  OpeningBook book;
  // Consecutive keys fill the heads, then chains of two and three; slot 6 stays free.
  uint64_t key = 0;
  for (; book.poolUsed() < BookPoolSize; ++key)
    if ((key & (BookTableSize - 1)) != 6) book.add(key, 1, MoverUnknown, true);
  EXPECT_EQ(book.positions(), BookTableSize - 1 + BookPoolSize);
  EXPECT_EQ(status.texts, std::vector<std::string>{});

  const Key refused = keyInSlot(5, 999999);
  EXPECT_EQ(book.add(refused, 1, MoverUnknown, true), OpeningBook::AddOutcome::Full);
  EXPECT_EQ(status.last(), "Book Full!");
  EXPECT_EQ(book.find(refused), nullptr);
  // A free head slot still takes a position; a known position is still updated.
  EXPECT_EQ(book.add(keyInSlot(6, 1), 2, MoverUnknown, false), OpeningBook::AddOutcome::Inserted);
  EXPECT_EQ(status.last(), "Position Added. 6\nValue 2");
  EXPECT_EQ(book.add(5, -2, MoverUnknown, false), OpeningBook::AddOutcome::Updated);
  EXPECT_EQ(status.last(), "Position Exists. 5\nValue was 1 now -2");
  EXPECT_EQ(book.positions(), BookTableSize + BookPoolSize);
}

TEST(OpeningBook, RemovingAnEntryKeepsTheRestOfItsChain) {
  const Game game;
  const Position pos = game.after("e4");
  const int slot = int(pos.key & (BookTableSize - 1));
  // The position first (the head), in the middle, last, and alone.
  for (int place : {0, 2, 4, -1}) {
    CapturedStatus status;
    OpeningBook book;
    const int others = place < 0 ? 0 : 4;
    for (int i = 0; i <= others; ++i) {
      if (i == place || (place < 0 && i == 0)) book.add(pos, 1, true);
      if (i < others) book.add(keyInSlot(slot, uint64_t(i + 1) << 20), i, MoverUnknown, true);
    }
    ASSERT_EQ(book.positions(), others + 1);
    EXPECT_TRUE(book.remove(pos, false));
    EXPECT_EQ(status.last(), "Position Removed. " + std::to_string(slot) + "\nValue was 1");
    EXPECT_EQ(book.positions(), others);
    EXPECT_EQ(book.find(pos.key), nullptr);
    for (int i = 0; i < others; ++i) EXPECT_NE(book.find(keyInSlot(slot, uint64_t(i + 1) << 20)), nullptr) << place;
    EXPECT_FALSE(book.remove(pos, false));
    EXPECT_EQ(status.last(), "Position does not exist. " + std::to_string(slot) + "\n");
    // The freed place takes the position again.
    book.add(pos, -1, true);
    EXPECT_EQ(book.find(pos.key)->value, -1);
    EXPECT_EQ(book.positions(), others + 1);
  }
}

TEST(OpeningBook, CandidatesAreTheLegalMovesIntoBookPositions) {
  Game game;
  OpeningBook book;
  book.add(game.after("e4"), 2, true);
  book.add(game.after("Nf3"), 0, true);
  book.add(game.after("d4"), -1, true);
  BookCandidate found[MaxBookCandidates];
  const int count = book.candidates(game.pos, game.history(), found);
  ASSERT_EQ(count, 3);
  int sum = 0;
  for (int i = 0; i < count; ++i) sum += found[i].value;
  EXPECT_EQ(sum, 1);
}

TEST(OpeningBook, TheBookNeverSteersIntoARepetition) {
  Game game;
  game.play({"Nf3", "Nf6", "Ng1", "Ng8"});  // back at the start, White to move
  OpeningBook book;
  book.add(game.after("Nf3"), 2, true);  // occurred at ply 1
  book.add(game.after("e4"), 1, true);
  BookCandidate found[MaxBookCandidates];
  ASSERT_EQ(book.candidates(game.pos, game.history(), found), 1);
  EXPECT_EQ(found[0].value, 1);
  KeyGenerator random;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(book.chooseMove(game.pos, game.history(), random).score, 2);
}

TEST(OpeningBook, ChoiceFavoursTwoAndKeepsTheSideToMovesSign) {
  Game white;
  OpeningBook book;
  const char* moves[] = {"e4", "d4", "c4"};
  for (int v = 0; v <= 2; ++v) book.add(white.after(moves[v]), v, true);
  KeyGenerator random;
  int chosen[3] = {0, 0, 0};
  const int draws = 27000;
  for (int i = 0; i < draws; ++i) {
    const BookChoice c = book.chooseMove(white.pos, white.history(), random);
    ASSERT_EQ(c.candidates, 3);
    ++chosen[c.score - 1];  // value + 1
  }
  // Two draws at most replace a value of magnitude 1 or less, a third one a 0:
  // 17/27 for 2, 8/27 for 1, 2/27 for 0.
  EXPECT_NEAR(chosen[2], 17000, 600);
  EXPECT_NEAR(chosen[1], 8000, 600);
  EXPECT_NEAR(chosen[0], 2000, 400);

  // Black to move with the same values: only the 0 is one of Black's.
  Game black;
  black.play({"e4"});
  OpeningBook forBlack;
  const char* replies[] = {"e5", "d5", "c5"};
  for (int v = 0; v <= 2; ++v) forBlack.add(black.after(replies[v]), v, true);
  const BookChoice c = forBlack.chooseMove(black.pos, black.history(), random);
  EXPECT_EQ(c.candidates, 1);
  EXPECT_EQ(c.score, 1);
  EXPECT_EQ(moveToCoordinate(c.move, black.pos, false), "e7e5");
  forBlack.add(black.after("d5"), -2, true);
  EXPECT_EQ(forBlack.chooseMove(black.pos, black.history(), random).candidates, 2);

  OpeningBook empty;
  EXPECT_EQ(empty.chooseMove(white.pos, white.history()).move, NullMove);
}

TEST(OpeningBook, SaveWritesPlainEntriesAndGameEntriesThatPassTheFilter) {
  TempFolder folder;
  OpeningBook book;
  book.add(1, 2, MoverUnknown, true);
  for (int i = 0; i < 3; ++i) book.add(2, BookWin, MoverWhite, true);  // 100 %
  book.add(3, BookWin, MoverBlack, true);
  book.add(3, BookLoss, MoverBlack, true);                              // 50 %, for Black
  book.add(4, BookDraw, MoverWhite, true);
  book.add(4, BookLoss, MoverWhite, true);                              // 25 %
  const std::string path = folder.file("out.tcb");
  int written = 0;
  ASSERT_TRUE(book.save(path, 2, 50, 40, &written));
  EXPECT_EQ(written, 3);
  EXPECT_EQ(readWholeFile(path).size(), 3u * BookRecordSize);
  EXPECT_EQ(book.find(2)->value, 0);                   // written: now a plain 0
  EXPECT_EQ(book.find(4)->value, BookGamesMarker);     // dropped: left as it was
  OpeningBook reread;
  reread.load(path);
  EXPECT_EQ(reread.positions(), 3);
  EXPECT_EQ(reread.find(1)->value, 2);
  EXPECT_EQ(reread.find(3)->value, 0);

  // A failed save keeps the old file.
  const std::string before = readWholeFile(path);
  for (uint64_t k = 10; k < 5000; ++k) book.add(k, 1, MoverUnknown, true);
  std::string error;
  {
    const FileSizeLimit diskFull(4096);
    EXPECT_FALSE(book.save(path, 0, 0, 0, nullptr, &error));
  }
  EXPECT_EQ(readWholeFile(path), before);
  EXPECT_FALSE(error.empty());
}

const char* const ThreeGames =
    "[Event \"a\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 "
    "7. Bb3 d6 8. c3 O-O 9. h3 Nb8 10. d4 Nbd7 11. Nbd2 Bb7 12. Bc2 Re8 1-0\n\n"
    "[Event \"b\"]\n[Result \"0-1\"]\n\n1. e4 e5 2. Nf3 Nf6 0-1\n\n"
    "[Event \"c\"]\n[Result \"1/2-1/2\"]\n\n1. d4 d5 1/2-1/2\n";

TEST(BookBuilder, PositionsBetweenTheMovesAreCountedForTheirMover) {
  initBoardTables();
  TempFolder folder;
  const std::string path = folder.file("games.pgn");
  writeWholeFile(path, ThreeGames);
  OpeningBook book;
  EXPECT_EQ(buildFromPgn(book, path, {}), 3);
  Game game;
  const BookEntry* e4 = book.find(game.after("e4").key);
  ASSERT_NE(e4, nullptr);
  EXPECT_EQ(e4->wins, 1);
  EXPECT_EQ(e4->losses, 1);
  EXPECT_EQ(e4->mover, MoverWhite);
  game.play({"e4", "e5", "Nf3"});
  const BookEntry* nf6 = book.find(game.after("Nf6").key);
  ASSERT_NE(nf6, nullptr);
  EXPECT_EQ(nf6->wins, 1);
  EXPECT_EQ(nf6->mover, MoverBlack);

  // Up to move 10: nothing after ply 20; from move 2: nothing before ply 3.
  OpeningBook limited;
  EXPECT_EQ(buildFromPgn(limited, path, {50000, 2, 10}), 3);
  Game first;
  first.play({"e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6", "O-O", "Be7", "Re1", "b5", "Bb3", "d6", "c3", "O-O",
              "h3", "Nb8", "d4", "Nbd7"});
  EXPECT_NE(limited.find(first.pos.key), nullptr);                  // ply 20
  EXPECT_EQ(limited.find(first.after("Nbd2").key), nullptr);        // ply 21
  EXPECT_EQ(limited.find(Game().after("e4").key), nullptr);         // ply 1
  EXPECT_NE(limited.find(first.record->positionAfter(3).key), nullptr);

  // At most the maximum number of games is read.
  OpeningBook two;
  EXPECT_EQ(buildFromPgn(two, path, {2, 1, 10}), 2);
  EXPECT_EQ(two.find(Game().after("d4").key), nullptr);
  EXPECT_EQ(buildFromPgn(two, folder.file("missing.pgn"), {}), -1);
}

TEST(BookBuilder, AddPgnKeepsWhatThePercentagesLetThrough) {
  initBoardTables();
  TempFolder folder;
  const std::string path = folder.file("games.pgn");
  writeWholeFile(path, ThreeGames);
  replaceOpeningBook();
  Game game;
  openingBook().add(game.after("a4"), -2, true);  // a plain entry survives the filter
  EXPECT_EQ(addPgnToOpeningBook(path, {}, BookFilter{1, 50, 40}), 3);
  const OpeningBook& book = openingBook();
  EXPECT_EQ(book.find(game.after("a4").key)->value, -2);
  EXPECT_EQ(book.find(game.after("e4").key)->value, 0);   // 1 win, 1 loss: 50 %
  EXPECT_NE(book.find(game.after("d4").key), nullptr);    // a draw: 50 %
  game.play({"e4", "e5", "Nf3"});
  EXPECT_EQ(book.find(game.after("Nc6").key), nullptr);   // Black lost with it: 0 %
  EXPECT_NE(book.find(game.after("Nf6").key), nullptr);   // Black won with it

  // A cancelled build leaves the book as it was.
  std::string many;
  for (int i = 0; i < 10; ++i) many += ThreeGames;
  writeWholeFile(path, many);
  const int before = book.positions();
  EXPECT_EQ(addPgnToOpeningBook(path, {}, BookFilter{}, [](int) { return false; }), BookBuildCancelled);
  EXPECT_EQ(openingBook().positions(), before);
  replaceOpeningBook();
}

TEST(BookLearning, TheLosersLastBookMovesAreRemoved) {
  Game game;
  game.play({"f3", "e5", "g4", "Qh4#"});
  OpeningBook book;
  Game line;
  for (const char* m : {"f3", "e5", "g4", "Qh4#"}) {
    book.add(line.after(m), 0, true);
    line.play({m});
  }
  book.add(Game().after("d4"), 0, true);  // White has another book move at the start
  book.learnFromLoss(*game.record, BlackWon);
  // White's g4 and f3 go (f3: the start still has d4, so the walk stops there);
  // Black's moves stay.
  EXPECT_EQ(book.find(game.record->positionAfter(3).key), nullptr);
  EXPECT_NE(book.find(game.record->positionAfter(2).key), nullptr);
  EXPECT_EQ(book.find(game.record->positionAfter(1).key), nullptr);
  EXPECT_NE(book.find(game.record->positionAfter(4).key), nullptr);

  OpeningBook untouched;
  untouched.add(game.record->positionAfter(3), 0, true);
  untouched.learnFromLoss(*game.record, GameDrawn);
  EXPECT_EQ(untouched.positions(), 1);
}

TEST(BookLearning, TheWalkStopsWhereTheLoserStillHasAnotherMove) {
  Game game;
  game.play({"e4", "e5", "Nf3", "Nc6", "Bc4", "Nd4", "Nxe5", "Qg5", "Nxf7", "Qxg2", "Rf1", "Qxe4+", "Be2", "Nf3#"});
  OpeningBook book;
  // Black won; White's book moves: Nf3 (ply 3) and Bc4 (ply 5), with an
  // alternative to Bc4 (Bb5) in the book.
  book.add(game.record->positionAfter(3), 0, true);
  book.add(game.record->positionAfter(5), 0, true);
  Position beforeBc4 = game.record->positionAfter(4);
  Position bb5 = beforeBc4;
  ASSERT_TRUE(playMoveText("Bb5", bb5, nullptr));
  book.add(bb5, 1, true);
  book.learnFromLoss(*game.record, BlackWon);
  EXPECT_EQ(book.find(game.record->positionAfter(5).key), nullptr);
  EXPECT_NE(book.find(game.record->positionAfter(3).key), nullptr);
}

TEST(BookFiles, AbsolutePathsAreUsedAsTheyAre) {
  EXPECT_EQ(bookFilePath("/opt/tarn", "TestBook.tcb"), "/opt/tarn/TestBook.tcb");
  EXPECT_EQ(bookFilePath("/opt/tarn", "books/my.tcb"), "/opt/tarn/books/my.tcb");
  EXPECT_EQ(bookFilePath("/opt/tarn", "/home/ann/my.tcb"), "/home/ann/my.tcb");
  EXPECT_EQ(bookFilePath("/opt/tarn", ""), "");
}

TEST(BookFiles, LoadAndSaveSayWhatHappened) {
  initBoardTables();
  TempFolder folder;
  CapturedOutput out;
  CapturedStatus status;
  replaceOpeningBook();
  const std::string path = folder.file("b.tcb");
  writeWholeFile(path, record(7, 1) + record(8, 30000) + "xyz");
  ASSERT_TRUE(loadOpeningBookFile(path, out.out()));
  EXPECT_EQ(out.take(), (std::vector<std::string>{
                            "info string 2 opening positions loaded.",
                            "info string book " + path + ": 1 records with impossible values skipped",
                            "info string book " + path + ": 3 bytes at the end (not a whole record) ignored"}));
  EXPECT_EQ(status.last(), "2 Positions Loaded");
  EXPECT_EQ(openingBookFile(), path);

  EXPECT_FALSE(loadOpeningBookFile(folder.file("none.tcb"), out.out()));
  EXPECT_EQ(out.take(), std::vector<std::string>{"info string Error Loading Book : " + folder.file("none.tcb")});

  EXPECT_FALSE(saveOpeningBookFile(folder.file("missing/b.tcb"), BookFilter{0, 0, 0}, out.out()));
  ASSERT_EQ(out.take().size(), 1u);
  EXPECT_EQ(status.last().rfind("Book not saved: ", 0), 0u);
  replaceOpeningBook();
}

TEST(OpeningBook, ACloneIsIndependentOfItsOriginal) {
  OpeningBook book;
  for (uint64_t n = 1; n <= 3; ++n) book.add(keyInSlot(11, n), 1, MoverUnknown, true);
  const auto copy = book.clone();
  book.add(keyInSlot(11, 2), -2, MoverUnknown, true);
  book.add(keyInSlot(11, 4), 1, MoverUnknown, true);
  EXPECT_EQ(copy->find(keyInSlot(11, 2))->value, 1);
  EXPECT_EQ(copy->find(keyInSlot(11, 4)), nullptr);
  EXPECT_EQ(copy->positions(), 3);
  EXPECT_NE(copy->find(keyInSlot(11, 3)), nullptr);
}

}  // namespace
}  // namespace tarn::test
