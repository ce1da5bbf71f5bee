// Saved games: the tag layout, the move layout, and that every game written
// reads back to the same moves and position, whatever side starts.
#include <gtest/gtest.h>

#include "board/movegen.h"
#include "board/notation.h"
#include "frontend/pgn_test_support.h"
#include "frontend/pgn_writer.h"

namespace tarn::test {
namespace {

// Plays up to `plies` legal moves, chosen by a fixed rule, on `pos` and records them.
void playMoves(GameRecord& record, Position& pos, int plies) {
  for (int i = 0; i < plies; ++i) {
    MoveList legal;
    generateLegal(pos, legal);
    if (legal.empty()) return;
    const Move m = legal[(i * 7 + 3) % legal.size()];
    ASSERT_TRUE(playMoveText(moveToCoordinate(m, pos, isChess960()), pos, &record));
  }
}

struct WrittenGame {
  std::shared_ptr<CastlingSetup> setup = std::make_shared<CastlingSetup>();
  Position start{}, end{};
  std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
};

std::unique_ptr<WrittenGame> gameFrom(const std::string& fen, int plies) {
  initBoardTables();
  auto g = std::make_unique<WrittenGame>();
  EXPECT_TRUE(readFen(g->start, fen, *g->setup));
  g->record->reset(g->start);
  g->end = g->start;
  playMoves(*g->record, g->end, plies);
  return g;
}

GameTags fixedTags(int result) {
  GameTags tags;
  tags.white = "TarnChess Blitz 2.83 avx2";
  tags.black = "Ann";
  tags.result = result;
  tags.baseMinutes = 5;
  tags.incrementSeconds = 2;
  tags.currentPly = 4;
  tags.time = LocalTime{2026, 3, 7, 9, 5, 1};
  return tags;
}

TEST(PgnWriter, AStandardGameHasItsTagsInOrderAndOneFullMoveALine) {
  initBoardTables();
  auto g = gameFrom(StartFen, 0);
  for (const char* move : {"e4", "e5", "Nf3", "Nc6", "Bb5"}) ASSERT_TRUE(playMoveText(move, g->end, g->record.get()));
  EXPECT_EQ(pgnGameText(*g->record, fixedTags(WhiteWon)),
            "[Event \"Tarn Chess Game\"]\n"
            "[Date \"2026.03.07\"]\n"
            "[Time \"09:05:01\"]\n"
            "[TimeControl \"300+2.0\"]\n"
            "[CurrentPly \"4\"]\n"
            "[White \"TarnChess Blitz 2.83 avx2\"]\n"
            "[Black \"Ann\"]\n"
            "[Result \"1-0\"]\n"
            "\n"
            "1. e2-e4   e7-e5   \n"
            "2. Ng1-f3  Nb8-c6  \n"
            "3. Bf1-b5  \n"
            "1-0\n\n");
}

TEST(PgnWriter, OptionalTagsAndEscapes) {
  auto g = gameFrom("4k3/8/8/8/8/8/8/4K2R w K - 0 1", 0);
  GameTags tags = fixedTags(GameRunning);
  tags.round = 3;
  tags.chess960 = true;
  tags.black = "A \"quoted\" name";
  tags.time.year = 0;  // no clock reading
  const std::string text = pgnGameText(*g->record, tags);
  EXPECT_NE(text.find("[Date \"????.??.??\"]\n[Round \"3\"]\n[Variant \"fischerandom\"]\n"), std::string::npos);
  EXPECT_NE(text.find("[Black \"A \\\"quoted\\\" name\"]"), std::string::npos);
  EXPECT_NE(text.find("[Result \"*\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n[SetUp \"1\"]\n\n*\n\n"),
            std::string::npos);
}

class WrittenGamesReadBack : public ::testing::TestWithParam<const char*> {};

TEST_P(WrittenGamesReadBack, ToTheSameMovesAndPosition) {
  const std::string fen = GetParam();
  initBoardTables();
  WrittenGame probe;
  ASSERT_TRUE(readFen(probe.start, fen, *probe.setup));
  const Chess960Scope notation(hasChess960Castling(probe.start));

  const auto g = gameFrom(fen, 120);
  GameTags tags = fixedTags(GameDrawn);
  tags.chess960 = isChess960();
  const std::string text = pgnGameText(*g->record, tags);
  if (g->start.sideToMove == Black) {
    EXPECT_NE(text.find("\n\n1. "), std::string::npos) << text;
  }

  const auto games = readAllGames(text + text);
  ASSERT_EQ(games.size(), 2u);
  for (const auto& read : games) {
    EXPECT_TRUE(read->skipped.empty()) << text;
    EXPECT_EQ(read->chess960, isChess960());
    EXPECT_EQ(read->header.result, "1/2-1/2");
    EXPECT_EQ(read->header.currentPly, 4);
    EXPECT_EQ(read->end.key, g->end.key) << text;
    EXPECT_EQ(read->plies(), g->end.ply - g->start.ply);
    // A FEN tag gives ply 0 whichever side is to move; the moves follow from there.
    const int shift = read->start.ply - g->start.ply;
    for (int i = g->start.ply; i < g->record->count; ++i)
      EXPECT_STREQ(read->record->moveText(i + shift), g->record->moveText(i));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, WrittenGamesReadBack,
    ::testing::Values(StartFen,
                      // Black to move with and without the move counters (ply 0 and ply 1).
                      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1",
                      "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -",
                      "r1bqk2r/1ppp1ppp/2n2n2/8/1pPN4/4P1P1/PP3PBP/RN1QK2R b KQkq - 0 9",
                      // Chess960, known by its castling rooks alone.
                      "nbbrkrqn/pppppppp/8/8/8/8/PPPPPPPP/NBBRKRQN w FDfd - 0 1",
                      "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9"));

TEST(PgnWriter, AppendingAddsGamesAndAFailedAppendChangesNothing) {
  TempFolder folder;
  const std::string path = folder.file("games.pgn");
  auto g = gameFrom(StartFen, 30);
  ASSERT_TRUE(appendGameToFile(path, *g->record, fixedTags(BlackWon)));
  ASSERT_TRUE(appendGameToFile(path, *g->record, fixedTags(WhiteWon)));
  const auto games = readAllGames(readWholeFile(path));
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[0]->header.result, "0-1");
  EXPECT_EQ(games[1]->header.result, "1-0");
  EXPECT_EQ(games[1]->end.key, g->end.key);

  const std::string before = readWholeFile(path);
  std::string error;
  {
    const FileSizeLimit diskFull(before.size() + 100);
    EXPECT_FALSE(appendGameToFile(path, *g->record, fixedTags(WhiteWon), &error));
  }
  EXPECT_EQ(readWholeFile(path), before);
  EXPECT_FALSE(error.empty());
}

TEST(PgnWriter, TranscriptsKeepWithinTheirLengthAndCarryTheirStart) {
  auto g = gameFrom(StartFen, 200);
  const std::string full = transcriptText(*g->record, false, 1 << 20);
  EXPECT_EQ(full.substr(0, 3), "1. ");
  const std::string cut = transcriptText(*g->record, false, 2000);
  EXPECT_LE(cut.size(), 2000u);
  EXPECT_EQ(full.substr(0, cut.size() - 1), cut.substr(0, cut.size() - 1));

  auto black = gameFrom("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", 4);
  EXPECT_EQ(transcriptText(*black->record, true, 2000).substr(0, 26), "[Variant \"fischerandom\"]\n[");
  const std::string plain = transcriptText(*black->record, false, 2000);
  EXPECT_EQ(plain.find("[FEN \"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1\"]\n[SetUp \"1\"]\n\n1. "), 0u)
      << plain;
}

}  // namespace
}  // namespace tarn::test
