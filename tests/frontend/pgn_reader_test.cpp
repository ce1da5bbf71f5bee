// The game reader: reference files of independent tools, and the shapes real
// PGN files come in (missing blank lines, byte-order marks, CRLF, other first
// tags, damaged text).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frontend/pgn_test_support.h"

namespace tarn::test {
namespace {

std::string fenFields(const std::string& fen, int count) {
  std::istringstream in(fen);
  std::string out, field;
  for (int i = 0; i < count && in >> field; ++i) out += (i ? " " : "") + field;
  return out;
}

std::string finalFen(const ReadGame& g) {
  const bool previous = chess960Mode.exchange(g.chess960);
  const std::string fen = toFen(g.end);
  chess960Mode = previous;
  return fen;
}

class ReferencePgn : public ::testing::TestWithParam<const char*> {};

// "N ; plies P ; result R ; fen FEN" per game, counted by independent tools.
TEST_P(ReferencePgn, EveryGameEndsInTheReferencePosition) {
  const std::string name = GetParam();
  const auto games = readAllGames(readWholeFile(dataFile("pgn/" + name + ".pgn")));
  std::ifstream expected(dataFile("pgn/" + name + ".expected"));
  std::string line;
  size_t g = 0;
  while (std::getline(expected, line)) {
    if (line.empty() || line[0] == '#') continue;
    ASSERT_LT(g, games.size()) << name;
    const ReadGame& game = *games[g++];
    const std::string where = name + " game " + std::to_string(g);
    ASSERT_TRUE(game.startRead) << where;
    EXPECT_EQ(game.plies(), std::stoi(line.substr(line.find("plies ") + 6))) << where;
    const size_t r = line.find("result ") + 7;
    EXPECT_EQ(game.header.result, line.substr(r, line.find(' ', r) - r)) << where;
    EXPECT_EQ(fenFields(finalFen(game), 5), fenFields(line.substr(line.find("fen ") + 4), 5)) << where;
    EXPECT_TRUE(game.skipped.empty()) << where << ": " << game.skipped.front();
  }
  EXPECT_EQ(g, games.size()) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, ReferencePgn,
                         ::testing::Values("annotated", "chess960", "crlf", "fen_start", "selfplay_permove",
                                           "selfplay_wrapped", "site_first"));

TEST(PgnReader, MovesRightAfterTheTagsAreKept) {
  const auto games = readAllGames("[Event \"a\"]\n[Result \"*\"]\n1. e4 e5 2. Nf3 *\n");
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0]->plies(), 3);
  const auto spaced = readAllGames("[Event \"a\"]\n[Result \"*\"]\n\n1. e4 e5 2. Nf3 *\n");
  EXPECT_EQ(spaced[0]->plies(), 3);
}

TEST(PgnReader, OnlyTheUsualFirstTagsStartAGame) {
  const auto games = readAllGames(
      "[Site \"x\"]\n\n1. d4 *\n\n"
      "[Annotator \"y\"]\n[Event \"z\"]\n\n1. e4 e5 *\n");
  // "[Annotator" starts nothing: it lands in the first game's move text, where
  // bracketed text is skipped; "[Event" starts the second game.
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[0]->plies(), 1);
  EXPECT_EQ(games[1]->header.event, "z");
  EXPECT_EQ(games[1]->plies(), 2);
}

TEST(PgnReader, AGameWithoutMovesEndsWhereTheNextOneBegins) {
  const auto games = readAllGames("[Event \"a\"]\n[Result \"1-0\"]\n[Event \"b\"]\n[Result \"0-1\"]\n\n1. e4 0-1\n");
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[0]->header.result, "1-0");
  EXPECT_EQ(games[0]->plies(), 0);
  EXPECT_EQ(games[1]->header.result, "0-1");
  EXPECT_EQ(games[1]->plies(), 1);
}

TEST(PgnReader, ByteOrderMarkAndCrlfLineEnds) {
  const auto games = readAllGames("\xEF\xBB\xBF[Event \"a\"]\r\n[White \"W\"]\r\n\r\n1. e4 e5\r\n2. Nf3 *\r\n");
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0]->header.white, "W");
  EXPECT_EQ(games[0]->plies(), 3);
}

TEST(PgnReader, DamageStaysInsideItsGame) {
  // An unterminated comment and variation swallow the rest of their own game only.
  const auto games = readAllGames(
      "[Event \"a\"]\n\n1. e4 { never closed\n2. Nf3 *\n\n"
      "[Event \"b\"]\n\n1. d4 ( d3 2. c4 *\n\n"
      "[Event \"c\"]\n\n1. e4 e5 2. Ke3 Nc6 3. Nf3 *\n");
  ASSERT_EQ(games.size(), 3u);
  EXPECT_EQ(games[0]->plies(), 1);
  EXPECT_EQ(games[1]->plies(), 1);
  // Unplayable tokens are skipped; the game goes on with the next one.
  EXPECT_EQ(games[2]->plies(), 3);
  EXPECT_EQ(games[2]->skipped, (std::vector<std::string>{"Ke3", "Nc6"}));
}

TEST(PgnReader, BinaryJunkAndEmptyFilesGiveNoGames) {
  std::string junk(5000, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = char(i * 7919 % 251);
  EXPECT_TRUE(readAllGames(junk).empty());
  EXPECT_TRUE(readAllGames("").empty());
  EXPECT_TRUE(readAllGames("1. e4 e5 *\n").empty());
}

TEST(PgnReader, OverlongMoveTextIsCutAtAWord) {
  std::string text = "[Event \"long\"]\n\n";
  for (int i = 0; i < 20000; ++i) text += "{comment} ";
  text += "\n1. e4 *\n\n[Event \"next\"]\n\n1. d4 *\n";
  initBoardTables();
  TextFile file(text);
  PgnReader reader(file.get());
  PgnHeader header;
  std::string moveText;
  ASSERT_TRUE(reader.nextGame(header, moveText));
  EXPECT_LE(moveText.size(), MaxMoveTextLength);
  EXPECT_TRUE(reader.moveTextWasCut());
  EXPECT_EQ(moveText.back(), ' ');
  ASSERT_TRUE(reader.nextGame(header, moveText));
  EXPECT_EQ(header.event, "next");
  EXPECT_FALSE(reader.moveTextWasCut());
}

TEST(PgnReader, ReadingGameNOfAFileWithFewerGamesReturnsTheirNumber) {
  const std::string text = "[Event \"a\"]\n\n1. e4 *\n\n[Event \"b\"]\n\n1. d4 *\n";
  PgnHeader header;
  std::string moveText = "untouched";
  {
    TextFile file(text);
    EXPECT_EQ(readPgnGame(file.get(), 3, header, moveText), 2);
    EXPECT_EQ(moveText, "untouched");
  }
  TextFile file(text);
  EXPECT_EQ(readPgnGame(file.get(), 2, header, moveText), 2);
  EXPECT_EQ(header.event, "b");
  EXPECT_EQ(moveText, "1. d4 *\n");
}

TEST(PgnHeader, TagsAreReadCutAndUnescaped) {
  PgnHeader h;
  h.readTagLine("[White \"Anna \\\"the rook\\\" Berg\"]");
  h.readTagLine("[WhiteElo \"2400\"]");
  h.readTagLine("[Black \"" + std::string(300, 'b') + "\"]");
  h.readTagLine("[Round \"3.1\"]");
  h.readTagLine("[PlyCount \"?\"]");
  h.readTagLine("[Current Ply \"10\"]");
  h.readTagLine("[Variant \"Chess960\"]");
  h.readTagLine("[Termination \"Time forfeit\"]");
  EXPECT_EQ(h.white, "Anna \"the rook\" Berg");
  EXPECT_EQ(h.black.size(), PgnNameLength);
  EXPECT_EQ(h.gameNumber, 3);
  EXPECT_EQ(h.plyCount, 0);
  EXPECT_EQ(h.currentPly, 10);
  EXPECT_TRUE(h.chess960);
  EXPECT_TRUE(h.lostOnTime);
  EXPECT_EQ(h.result, "X");  // defaults stay for tags that are absent

  PgnHeader other;
  other.readTagLine("[CurrentPly \"7\"]");
  other.readTagLine("[Variant \"Standard\"]");
  other.readTagLine("[Event \"no closing quote");
  EXPECT_EQ(other.currentPly, 7);
  EXPECT_FALSE(other.chess960);
  EXPECT_EQ(other.event, "no closing quote");
}

}  // namespace
}  // namespace tarn::test
