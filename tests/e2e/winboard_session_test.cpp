// WinBoard sessions through the real executable.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>

#include "e2e/e2e_support.h"
#include "e2e/engine_session.h"

namespace tarn::test {
namespace {

TEST(WinBoardSession, GreetingFeaturesAndPing) {
  const ProcessResult r = runEngine("xboard\nprotover 2\nnew\nforce\ne2e4\nping 7\nping\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  std::vector<std::string> expected = {"feature done=0"};
  for (const std::string& line : startupReports()) expected.push_back(line);
  for (const char* line : {"feature myname=\"TarnChess Blitz 2.83 avx2\" name=1 setboard=1 ping=1 smp=1",
                           "feature variants=\"normal,fischerandom\"", "feature done=1", "pong 7", "pong 0"})
    expected.push_back(line);
  EXPECT_EQ(splitLines(r.out), expected);
}

TEST(WinBoardSession, FirstLineIsHandledBeforeTheEngineExists) {
  const ProcessResult r = runEngine("ping 3\nsetboard 8/8/8/8/8/8/8/8 w - -\ne2e4\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  const std::vector<std::string> lines = splitLines(r.out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "pong 3");
  EXPECT_EQ(lines[1], "feature done=0");
}

TEST(WinBoardSession, QuitAsFirstLineEndsAfterStartUp) {
  const ProcessResult r = runEngine("quit\nping 1\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out.find("pong"), std::string::npos);
}

TEST(WinBoardSession, DebugLogComesFromTheSettingsFile) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  writeWholeFile(copy.file("engineWB.dft"), "DebugLog=1\r\n");
  const ProcessResult r = copy.run("xboard\nprotover 2\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(readWholeFile(copy.file("testlog.txt")), "Received : protover 2\nReceived : quit\n");
}

bool startsWith(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }

// An engine in WinBoard mode, past its greeting.
struct WinBoardGame : ::testing::Test {
  EngineCopy copy;
  std::unique_ptr<EngineSession> engine;
  void SetUp() override {
    ASSERT_TRUE(copy.ok());
    writeWholeFile(copy.file("engineWB.dft"), "BookEnabled=0\n");
    engine = std::make_unique<EngineSession>(copy.executable());
    ASSERT_TRUE(engine->started());
    engine->send("xboard");
    engine->send("protover 2");
    engine->readUntil([](const std::string& l) { return l == "feature done=1"; });
    ASSERT_FALSE(engine->timedOut());
  }
  std::vector<std::string> untilMove() {
    auto lines = engine->readUntilPrefix("move ", std::chrono::seconds(60));
    EXPECT_FALSE(engine->timedOut()) << "no move";
    return lines;
  }
};

TEST_F(WinBoardGame, PlaysThinksAndLogsTheGame) {
  engine->send("new");
  engine->send("level 0 1 0");
  engine->send("post");
  engine->send("time 6000");
  engine->send("otim 6000");
  engine->send("go");
  std::vector<std::string> lines = untilMove();
  // Thinking lines: depth, score, centiseconds, nodes and the moves in SAN.
  const bool thinking = std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return !l.empty() && l[0] >= '1' && l[0] <= '9' && std::count(l.begin(), l.end(), ' ') >= 4;
  });
  EXPECT_TRUE(thinking);
  engine->send("nopost");
  engine->send("e7e5");
  lines = untilMove();
  EXPECT_EQ(lines.size(), 1u) << lines.front();  // no thinking lines with nopost
  // "?" alone makes a long search answer at once; "ping" is answered after the move.
  engine->send("st 60");
  engine->send("b8c6");
  engine->send("?");
  engine->send("ping 7");
  lines = engine->readUntilPrefix("pong");
  ASSERT_FALSE(engine->timedOut());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(startsWith(lines[lines.size() - 2], "move ")) << lines[lines.size() - 2];
  EXPECT_EQ(lines.back(), "pong 7");
  engine->send("name Ann");
  engine->send("result 0-1 {Black wins}");
  engine->send("ping 8");
  engine->readUntilPrefix("pong 8");
  EXPECT_EQ(engine->quit(), 0);
  const std::string log = readWholeFile(copy.file("WinboardGames.pgn"));
  EXPECT_NE(log.find("[Round \"1\"]\n"), std::string::npos) << log;
  EXPECT_NE(log.find("[Black \"Ann\"]\n[Result \"0-1\"]\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n\n1. "), std::string::npos) << log;
}

TEST_F(WinBoardGame, AnInterruptSignalDoesNotEndTheEngine) {
  engine->send("new");
  engine->send("force");
  engine->signal(SIGINT);
  engine->send("ping 3");
  engine->readUntilPrefix("pong 3");
  EXPECT_FALSE(engine->timedOut());
  EXPECT_EQ(engine->quit(), 0);
}

TEST_F(WinBoardGame, ClaimsARepetitionAfterTheOpponentsMove) {
  engine->send("new");
  engine->send("force");
  for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"}) engine->send(m);
  engine->send("go");  // Black to move: the engine answers
  untilMove();
  engine->send("force");
  engine->send("undo");
  engine->send("f6g8");
  const std::vector<std::string> lines = engine->readUntilPrefix("1/2-1/2");
  EXPECT_FALSE(engine->timedOut());
  EXPECT_EQ(lines.back(), "1/2-1/2 {Draw by Repetition}");
}

}  // namespace
}  // namespace tarn::test
