// PGN movetext walked into a game record, against the final positions counted by
// independent tools, and the record's replay of its own long algebraic texts.
#include "board/game_record.h"
#include "board_test_helpers.h"

namespace tarn::test {
namespace {

struct PgnGame {
  std::vector<std::string> tags;
  std::string movetext;

  std::string tag(std::string_view name) const {
    std::string opening = "[";
    opening.append(name).append(" \"");
    for (const std::string& t : tags)
      if (t.rfind(opening, 0) == 0) return t.substr(opening.size(), t.find('"', opening.size()) - opening.size());
    return "";
  }
};

bool startsGame(std::string_view line) {
  for (const char* tag : {"[Event", "[Site", "[Date", "[Round", "[White", "[Black", "[Result", "[ECO", "[PlyCount", "[EventDate"})
    if (line.rfind(tag, 0) == 0) return true;
  return false;
}

// Splits a PGN file the way the game reader does: a game starts at one of the
// usual first tags; its tag lines and the line after them (the empty one) form the
// header; the movetext is every line from there up to and including the line that
// starts the next game. Line ends are kept as they are in the file.
std::vector<PgnGame> splitGames(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t begin = 0; begin < text.size();) {
    const size_t end = text.find('\n', begin);
    lines.push_back(text.substr(begin, end == std::string::npos ? std::string::npos : end + 1 - begin));
    begin = end == std::string::npos ? text.size() : end + 1;
  }
  std::vector<PgnGame> games;
  size_t i = 0;
  while (i < lines.size()) {
    if (!startsGame(lines[i])) {
      ++i;
      continue;
    }
    PgnGame game;
    while (i < lines.size() && lines[i][0] == '[') game.tags.push_back(lines[i++]);
    if (i < lines.size()) ++i;
    for (; i < lines.size(); ++i) {
      game.movetext += lines[i];
      if (startsGame(lines[i])) break;
    }
    games.push_back(game);
  }
  return games;
}

struct Expected {
  int number, plies;
  std::string result, fen;
};

std::vector<Expected> readExpected(const std::string& name) {
  std::vector<Expected> result;
  for (const std::string& line : readLines(name)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> parts = split(line, ';');
    Expected e{std::stoi(parts[0]), 0, "", ""};
    for (size_t i = 1; i < parts.size(); ++i) {
      const size_t space = parts[i].find(' ');
      const std::string label = parts[i].substr(0, space), value = trim(parts[i].substr(space + 1));
      if (label == "plies") e.plies = std::stoi(value);
      if (label == "result") e.result = value;
      if (label == "fen") e.fen = value;
    }
    result.push_back(e);
  }
  return result;
}

bool standardRookSquares(const CastlingSetup& s) {
  return s.rookSquare[0] == H1 && s.rookSquare[1] == A1 && s.rookSquare[2] == H8 && s.rookSquare[3] == A8;
}

// The game's start position as the loader chooses it.
Board startOf(const PgnGame& game, bool& chess960) {
  const std::string fen = game.tag("FEN");
  Board start = boardFromFen(fen.empty() ? StartFenShort : fen);
  const std::string variant = game.tag("Variant");
  chess960 = variant == "fischerandom" || variant == "chess960" || !standardRookSquares(*start.setup);
  return start;
}

// The record is large; one serves all games.
GameRecord& sharedRecord() {
  static const std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
  return *record;
}

class PgnFile : public ::testing::TestWithParam<const char*> {};

TEST_P(PgnFile, FinalPositionsAndPlyCounts) {
  const std::string name = GetParam();
  const std::vector<PgnGame> games = splitGames(readFile("pgn/" + name + ".pgn"));
  const std::vector<Expected> expected = readExpected("pgn/" + name + ".expected");
  ASSERT_EQ(games.size(), expected.size());
  GameRecord& record = sharedRecord();
  for (size_t g = 0; g < games.size(); ++g) {
    const std::string where = name + ".pgn game " + std::to_string(g + 1);
    bool chess960 = false;
    const Board start = startOf(games[g], chess960);
    const Chess960Scope notation(chess960);
    EXPECT_EQ(games[g].tag("Result"), expected[g].result) << where;

    record.reset(start.pos);
    Position pos = start.pos;
    parseMovetext(record, games[g].movetext, pos);
    EXPECT_EQ(record.count, expected[g].plies) << where;
    EXPECT_EQ(pos.ply - start.pos.ply, expected[g].plies) << where;
    EXPECT_EQ(fenFields(toFen(pos), 5), fenFields(expected[g].fen, 5)) << where;
    if (games[g].tag("FEN").empty()) {
      EXPECT_EQ(toFen(pos), expected[g].fen) << where;
    }
    EXPECT_TRUE(consistent(pos)) << where;

    // The record replays its own texts to the same positions and keys.
    const std::vector<Key> keys = record.keys;  // positionAfter rewrites the keys it passes
    const int first = start.pos.ply;
    for (int n : {first, first + 1, (first + record.count) / 2, record.count - 1}) {
      if (n < first || n >= record.count) continue;
      EXPECT_EQ(record.positionAfter(n).key, keys[size_t(n)]) << where << " at ply " << n;
    }
    const Position replayed = record.positionAfter(record.count);
    EXPECT_TRUE(samePosition(replayed, pos)) << where;
  }
}

INSTANTIATE_TEST_SUITE_P(ReferenceGames, PgnFile,
                         ::testing::Values("annotated", "chess960", "crlf", "fen_start", "selfplay_permove",
                                           "selfplay_wrapped", "site_first"));

TEST(Movetext, CommentsBelongToTheMainLineMoveBeforeThem) {
  const std::vector<PgnGame> games = splitGames(readFile("pgn/annotated.pgn"));
  ASSERT_FALSE(games.empty());
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen(StartFenShort);
  record.reset(start.pos);
  Position pos = start.pos;
  parseMovetext(record, games[0].movetext, pos);
  // 3. Nf3!? { A natural developing move. } (3. Ne2 { [%clk 0:04:51] }) ...
  EXPECT_EQ(record.comments[4], " A natural developing move. ");
  EXPECT_EQ(record.comments[10], " Both sides have castled.\nThe comment goes on over\nthree lines. ");
  EXPECT_EQ(record.comments[12], " White: \"quotes\" are fine here. ");
  EXPECT_EQ(record.comments[3], "");
  EXPECT_STREQ(record.moveText(4), "Ng1-f3 ");
  // 45. b7 Kf7 46. b8=Q{ Time trouble. }: written without a space, still b8=Q's.
  EXPECT_STREQ(record.moveText(90), "b7-b8=Q");
  EXPECT_EQ(record.comments[90], " Time trouble. ");
  EXPECT_EQ(record.comments[89], "");
}

TEST(Movetext, SyntheticTexts) {
  struct Case {
    std::string text;
    int plies;
    const char* fen;  // board, side, castling, en passant
  };
  const Case cases[] = {
      {"1. e4 e5 2. Nf3 Nc6 *", 4, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -"},
      {"1.e4 e5 2.Nf3 Nc6 1-0", 4, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -"},
      {"1. e4 $1 (1. d4 d5) 1... e5 {a comment} 2. Nf3 [%eval 0.3] Nc6 $10", 4,
       "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -"},
      {"1. e4{x} e5 2. Nf3(2. f4) Nc6", 4, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -"},
      // Moves that do not fit are skipped and the walk goes on at the next number.
      {"1. e4 e5 2. Qxf7 Nc6 3. Nf3", 3, "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -"},
      // Unbalanced groups end the walk without harm.
      {"1. e4 ( e5 2. Nf3", 1, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"},
      {"1. e4 { never closed", 1, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -"},
      {"", 0, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
      {"1-0", 0, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"},
  };
  GameRecord& record = sharedRecord();
  for (const Case& c : cases) {
    const Board start = boardFromFen(StartFenShort);
    record.reset(start.pos);
    Position pos = start.pos;
    parseMovetext(record, c.text, pos);
    EXPECT_EQ(record.count, c.plies) << c.text;
    EXPECT_EQ(fenFields(toFen(pos), 4), c.fen) << c.text;
  }
}

TEST(Movetext, LongCommentsAreCut) {
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen(StartFenShort);
  record.reset(start.pos);
  Position pos = start.pos;
  parseMovetext(record, "1. e4 {" + std::string(300, 'a') + "} e5 {short}", pos);
  EXPECT_EQ(record.comments[0], std::string(MaxCommentLength, 'a'));
  EXPECT_EQ(record.comments[1], "short");
}

TEST(Movetext, TokensLongerThanTheBufferAreHarmless) {
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen(StartFenShort);
  record.reset(start.pos);
  Position pos = start.pos;
  parseMovetext(record, "1. e4" + std::string(100, '!') + " e5 2. " + std::string(5000, 'N') + " Nf3", pos);
  EXPECT_EQ(record.count, 3);
  EXPECT_TRUE(consistent(pos));
}

// ---- The game record ------------------------------------------------------------------

TEST(GameRecordReplay, NullMovesAreRecordedAndReplayed) {
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen(StartFenShort);
  record.reset(start.pos);
  Position pos = start.pos;
  parseMovetext(record, "1. e4 Null 2. d4 e5", pos);
  EXPECT_EQ(pos.ply, 4);
  EXPECT_EQ(record.count, 4);
  EXPECT_STREQ(record.moveText(1), "Null");
  EXPECT_TRUE(samePosition(record.positionAfter(record.count), pos));
}

TEST(GameRecordReplay, StartWithBlackToMove) {
  // A four-field FEN with Black to move starts at ply 1.
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen("4k3/8/8/8/8/8/8/4K2R b K -");
  ASSERT_EQ(start.pos.ply, 1);
  record.reset(start.pos);
  Position pos = start.pos;
  parseMovetext(record, "1... Kd7 2. Rh7+ Kc6", pos);
  ASSERT_EQ(pos.ply, 4);
  // positionAfter counts by the ply counter, as take-backs and "Current Ply" do.
  EXPECT_TRUE(samePosition(record.positionAfter(4), pos));
  EXPECT_TRUE(samePosition(record.positionAfter(1), start.pos));
  const Position afterOne = record.positionAfter(2);
  EXPECT_EQ(afterOne.ply, 2);
  EXPECT_EQ(afterOne.board[D7], BKing);
}

TEST(GameRecordReplay, FullRecordStopsRecording) {
  GameRecord& record = sharedRecord();
  const Board start = boardFromFen(StartFenShort);
  record.reset(start.pos);
  Position pos = start.pos;
  const char* shuffle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
  int played = 0;
  for (int i = 0; i < 1000; ++i) {
    const Position before = pos;
    ASSERT_TRUE(playMoveText(shuffle[i % 4], pos, &record));
    ++played;
    if (before.ply >= MaxRecordedPlies - 4) {
      EXPECT_EQ(record.count, MaxRecordedPlies - 4) << i;
    }
  }
  EXPECT_EQ(played, 1000);
  EXPECT_EQ(record.count, MaxRecordedPlies - 4);
  EXPECT_TRUE(consistent(pos));
}

}  // namespace
}  // namespace tarn::test
