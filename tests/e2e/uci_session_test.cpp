// UCI sessions through the real executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "e2e/e2e_support.h"

namespace tarn::test {
namespace {

// The output after the identification block and the load reports.
std::vector<std::string> replies(const ProcessResult& r) {
  std::vector<std::string> lines = splitLines(r.out);
  const auto after = std::find(lines.begin(), lines.end(), startupReports().back());
  return after == lines.end() ? lines : std::vector<std::string>(after + 1, lines.end());
}

TEST(UciSession, GoPerftPrintsTheDivision) {
  const ProcessResult r = runEngine("uci\nposition startpos\ngo perft 3\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  const std::vector<std::string> lines = replies(r);
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "e2e4: 600"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "g1f3: 440"), lines.end());
  EXPECT_EQ(lines[20], "");
  EXPECT_EQ(lines[21], "Nodes searched: 8902");
}

TEST(UciSession, GoPerftOnAFenWithMoves) {
  const ProcessResult r = runEngine(
      "uci\nposition fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\ngo perft 2\n"
      "position startpos moves e2e4 e7e5\ngo perft 1\nquit\n");
  ASSERT_FALSE(r.timedOut);
  const std::vector<std::string> lines = replies(r);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Nodes searched: 2039"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Nodes searched: 29"), lines.end());
}

TEST(UciSession, GoInAMatedPositionAnswersNullMove) {
  const ProcessResult r = runEngine("uci\nposition startpos moves f2f3 e7e5 g2g4 d8h4\ngo\nquit\n");
  ASSERT_FALSE(r.timedOut);
  const std::vector<std::string> lines = replies(r);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "bestmove 0000");
}

// A script that pipes its commands in and closes the input still gets its move.
TEST(UciSession, EndOfInputAnswersTheSearch) {
  const ProcessResult r = runEngine("uci\nposition startpos\ngo depth 30\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  const std::vector<std::string> lines = replies(r);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("bestmove ", 0), 0u) << lines.back();
}

TEST(UciSession, OptionValuesAreNotCommands) {
  // A path holding the words "go" and "quit" neither searches nor ends the program.
  const ProcessResult r = runEngine(
      "uci\nsetoption name SyzygyPath value /data/go/tb\nisready\n"
      "setoption name SyzygyPath value /tmp/quit\nisready\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(replies(r), (std::vector<std::string>{"readyok", "readyok"}));
}

TEST(UciSession, DebugLogRecordsTheTraffic) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  const ProcessResult r = copy.run(
      "uci\nsetoption name Debug Log value true\nisready\nposition startpos\ngo depth 2\nstop\n"
      "setoption name Debug Log value false\nisready\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  const std::string log = readWholeFile(copy.file("testlog.txt"));
  const std::string head =
      "Received : isready\n"
      "readyok\n"
      "Received : position startpos\n"
      "Received : go depth 2\n"
      "Start Thinking...\n";
  EXPECT_EQ(log.substr(0, head.size()), head);
  EXPECT_NE(log.find("\nbestmove "), std::string::npos);
  EXPECT_NE(log.find("Received : stop\n"), std::string::npos);
  const std::string tail = "Received : setoption name Debug Log value false\n";
  ASSERT_GT(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST(UciSession, NoTrafficLogWithoutDebugLog) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  const ProcessResult r = copy.run("uci\nisready\ngo\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_FALSE(std::filesystem::exists(copy.file("testlog.txt")));
}

TEST(UciSession, OverlongLinesDoNotCrash) {
  std::string input = "uci\nposition startpos moves";
  for (int i = 0; i < 3000; ++i) input += i % 2 ? " g8f6 f6g8" : " g1f3 f3g1";
  input += "\n" + std::string(100000, 'x') + "\nisready\nquit\n";
  const ProcessResult r = runEngine(input);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(replies(r), std::vector<std::string>{"readyok"});
}

// Random bytes and command words (a fixed generator, so a failure reproduces;
// no "perft", whose depth could come out huge) must neither crash nor hang the
// loop: after them the engine still answers and ends on "quit".
TEST(UciSession, JunkInputNeverHangs) {
  uint64_t state = 0x2545F4914F6CDD1DULL;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  static const char* const Words[] = {"position ", "startpos ", "fen ", "moves ", "setoption name ", "value ",
                                      "go ",       "depth ",    "e2e4 ", "O-O ",  "Null ",           "isready",
                                      "8/8/8 ",    "w ",        "KQkq ", "- ",    "Hash ",           "Threads "};
  for (int round = 0; round < 3; ++round) {
    std::string input = "uci\n";
    for (int i = 0; i < 20000; ++i) {
      const uint64_t r = next();
      if (r % 5 == 0)
        input += Words[(r >> 8) % (sizeof(Words) / sizeof(Words[0]))];
      else
        input += char(r >> 16);
      if (r % 37 == 0) input += '\n';
    }
    // Whatever came before, these start on a line of their own.
    input += "\nisready\nquit\n";
    ProcessOptions options;
    options.input = input;
    options.timeout = std::chrono::seconds(60);
    const ProcessResult r = runProcess({enginePath()}, options);
    ASSERT_FALSE(r.timedOut) << "round " << round;
    EXPECT_EQ(r.exitStatus, 0) << "round " << round;
    // "readyok", then at most the report and answer of the last "go", which "quit" stops.
    const std::vector<std::string> lines = splitLines(r.out);
    size_t ready = lines.size();
    while (ready > 0 && lines[ready - 1] != "readyok") --ready;
    ASSERT_GT(ready, 0u) << "round " << round;
    int answers = 0;
    for (size_t i = ready; i < lines.size(); ++i) {
      const bool answer = lines[i].rfind("bestmove ", 0) == 0;
      answers += answer;
      EXPECT_TRUE(answer || lines[i].rfind("info ", 0) == 0) << "round " << round << ": " << lines[i];
    }
    EXPECT_LE(answers, 1) << "round " << round;
  }
}

}  // namespace
}  // namespace tarn::test
