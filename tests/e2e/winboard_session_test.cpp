// WinBoard sessions through the real executable.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace tarn::test {
namespace {

TEST(WinBoardSession, GreetingFeaturesAndPing) {
  const ProcessResult r = runEngine("xboard\nprotover 2\nnew\ne2e4\nping 7\nping\nquit\n");
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

}  // namespace
}  // namespace tarn::test
