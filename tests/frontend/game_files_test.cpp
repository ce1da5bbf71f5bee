// The main game and its files: loading games and positions, pasting
// transcripts, saving, taking back, and the record's capacity.
#include <gtest/gtest.h>

#include "frontend/engine_identity.h"
#include "frontend/pgn_test_support.h"

namespace tarn::test {
namespace {

struct GameFiles : ::testing::Test {
  void SetUp() override { initBoardTables(); state.newGame(); }
  void TearDown() override { chess960Mode = false; }

  std::string fen() const { return toFen(state.game.position); }

  EngineState state;
  TempFolder folder;
  CapturedStatus status;
};

const char* const TwoGames =
    "[Event \"First\"]\n[White \"A\"]\n[Black \"B\"]\n[Result \"1-0\"]\n[TimeControl \"60+1\"]\n\n"
    "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 1-0\n\n"
    "[Event \"Second\"]\n[CurrentPly \"3\"]\n[Result \"*\"]\n\n1. d4 d5 2. c4 e6 3. Nc3 *\n";

TEST_F(GameFiles, LoadingAGameBeyondTheFileChangesNothing) {
  const std::string path = folder.file("two.pgn");
  writeWholeFile(path, TwoGames);
  ASSERT_TRUE(state.game.playMoveToken("e4"));
  const std::string before = fen();
  EXPECT_EQ(loadGame(state, path, 3), 2);
  EXPECT_EQ(fen(), before);
  EXPECT_EQ(state.game.record.count, 1);
  EXPECT_EQ(loadGame(state, folder.file("missing.pgn"), 1), 0);
  EXPECT_EQ(fen(), before);
}

TEST_F(GameFiles, ALoadedGameShowsItsEndOrItsSavedPly) {
  const std::string path = folder.file("two.pgn");
  writeWholeFile(path, TwoGames);
  ASSERT_EQ(loadGame(state, path, 1), 1);
  EXPECT_EQ(state.game.record.count, 14);
  EXPECT_EQ(state.game.position.ply, 14);
  EXPECT_EQ(status.last(), "Game 1\nEvent: First\nTime Control: 60+1\nWhite: A\nBlack: B\nResult: 1-0\n");

  ASSERT_EQ(loadGame(state, path, 2), 2);
  EXPECT_EQ(state.game.record.count, 5);
  EXPECT_EQ(state.game.position.ply, 3);  // the CurrentPly tag
  EXPECT_EQ(fen(), "rnbqkbnr/ppp1pppp/8/3p4/2PP4/8/PP2PPPP/RNBQKBNR b KQkq - 0 2");
}

TEST_F(GameFiles, Chess960FollowsTheVariantTagOrTheCastlingRooks) {
  const std::string path = folder.file("960.pgn");
  writeWholeFile(path,
                 "[Event \"a\"]\n[FEN \"nbbrkrqn/pppppppp/8/8/8/8/PPPPPPPP/NBBRKRQN w FDfd - 0 1\"]\n\n1. f3 *\n\n"
                 "[Event \"b\"]\n\n1. e4 *\n\n"
                 "[Event \"c\"]\n[FEN \"not a position\"]\n\n1. e4 *\n");
  ASSERT_EQ(loadGame(state, path, 1), 1);
  EXPECT_TRUE(isChess960());
  ASSERT_EQ(loadGame(state, path, 2), 2);
  EXPECT_FALSE(isChess960());
  const std::string before = fen();
  EXPECT_EQ(loadGame(state, path, 3), 0);
  EXPECT_EQ(status.last().rfind("Not a valid Position", 0), 0u) << status.last();
  EXPECT_EQ(fen(), before);
}

TEST_F(GameFiles, PositionListsGiveTheirTargets) {
  const std::string path = folder.file("list.epd");
  writeWholeFile(path,
                 "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - c9 \"1-0\";\r\n"
                 "8/8/8/4k3/8/8/4K3/8 w - - |Draw\n"
                 "garbage\n");
  ASSERT_EQ(loadPosition(state, path, 1), 1);
  EXPECT_EQ(state.game.position.sideToMove, Black);
  EXPECT_NE(status.last().find("Target: 1.000\n"), std::string::npos);
  ASSERT_EQ(loadPosition(state, path, 2), 2);
  EXPECT_NE(status.last().find("Target: 0.500\n"), std::string::npos);
  EXPECT_EQ(loadPosition(state, path, 3), 0);
  EXPECT_EQ(fen().substr(0, 17), "8/8/8/4k3/8/8/4K3");
  EXPECT_EQ(loadPosition(state, path, 9), 3);
}

TEST(PositionTarget, MarksAndQuotedNumbers) {
  EXPECT_EQ(positionTarget("fen ; 1-0"), 1.0);
  EXPECT_EQ(positionTarget("fen ; |Black"), 0.0);
  EXPECT_EQ(positionTarget("fen ; 1/2-1/2"), 0.5);
  EXPECT_EQ(positionTarget("fen c9 \"0.734\";"), 0.734);
  EXPECT_EQ(positionTarget("fen ; 0-1 then 1-0"), 1.0);  // the later test wins
  EXPECT_FALSE(positionTarget("fen bm e4;").has_value());
}

TEST_F(GameFiles, PastedTranscriptsStartFromTheirFenOrGoOnFromTheGame) {
  ASSERT_TRUE(state.game.playMoveToken("d4"));
  pasteTranscript(state, "1... Nf6 2. c4 e6");
  EXPECT_EQ(state.game.record.count, 4);
  EXPECT_EQ(fen(), "rnbqkb1r/pppp1ppp/4pn2/8/2PP4/8/PP2PPPP/RNBQKBNR w KQkq - 0 3");

  pasteTranscript(state, "[FEN \"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1\"]\n\n1. O-O-O Kf7 2. Rh7+ *");
  EXPECT_EQ(status.texts[status.texts.size() - 1], "Position Pasted.");
  EXPECT_EQ(fen(), "8/5k1R/8/8/8/8/8/2KR4 b - - 3 2");
  EXPECT_EQ(state.game.record.count, 3);

  const std::string before = fen();
  pasteTranscript(state, "");
  pasteTranscript(state, "[FEN \"8/8/8/8\"]\n1. e4");
  EXPECT_EQ(fen(), before);
}

TEST_F(GameFiles, SavedGamesNameTheEngineAndThePlayer) {
  activeSettings.setPlayerName("Ann");
  state.engineColor = EnginePlaysBlack;
  ASSERT_TRUE(state.game.playMoveToken("e4"));
  gameResult = BlackWon;
  const std::string path = folder.file("saved.pgn");
  ASSERT_TRUE(saveMainGame(state, path, 7));
  const auto games = readAllGames(readWholeFile(path));
  ASSERT_EQ(games.size(), 1u);
  EXPECT_EQ(games[0]->header.white, "Ann");
  EXPECT_EQ(games[0]->header.black, EngineName);
  EXPECT_EQ(games[0]->header.result, "0-1");
  EXPECT_EQ(games[0]->header.gameNumber, 7);
  EXPECT_EQ(games[0]->plies(), 1);

  EXPECT_FALSE(saveMainGame(state, folder.file("missing/saved.pgn"), -1));
  EXPECT_EQ(status.last(), "Cannot Open File.");
  gameResult = GameRunning;
}

TEST_F(GameFiles, TakingBackReplaysTheRecordAndTheNextMoveOverwrites) {
  for (const char* move : {"e4", "e5", "Nf3", "Nc6"}) ASSERT_TRUE(state.game.playMoveToken(move));
  state.game.takeBack(2);
  EXPECT_EQ(fen(), "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2");
  EXPECT_EQ(state.game.record.count, 4);
  ASSERT_TRUE(state.game.playMoveToken("Bc4"));
  EXPECT_EQ(state.game.record.count, 3);
  state.game.takeBack(10);
  EXPECT_EQ(fen(), StartFen);
}

TEST_F(GameFiles, AFullRecordStillPlaysTheMoveButSaysItIsNotRecorded) {
  const char* const shuffle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
  for (int i = 0; i < MaxRecordedPlies - 4; ++i) ASSERT_TRUE(state.game.playMoveToken(shuffle[i % 4]));
  EXPECT_EQ(state.game.record.count, MaxRecordedPlies - 4);
  EXPECT_TRUE(status.texts.empty());
  ASSERT_TRUE(state.game.playMoveToken("e4"));
  EXPECT_EQ(status.last(), "Hit Maximum Move Number");
  EXPECT_EQ(state.game.record.count, MaxRecordedPlies - 4);
  EXPECT_EQ(state.game.position.ply, MaxRecordedPlies - 3);
}

}  // namespace
}  // namespace tarn::test
