// Start-up through the real executable: mode selection by the first line, the
// identification block before everything else, window mode and its switch.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace tarn::test {
namespace {

const std::vector<std::string> IdentificationBlock = {
    "id name TarnChess Blitz 2.83 avx2",
    "id author Edric Vollan",
    "option name Hash type spin default 64 min 4 max 65536",
    "option name Clear Hash type button",
    "option name Ponder type check",
    "option name OwnBook type check default true",
    "option name Debug Log type check default false",
    "option name UCI_Chess960 type check default false",
    "option name Threads type spin default 1 min 1 max 256",
    "option name SyzygyPath type string",
    "option name SyzygyProbeDepth type spin default 2 min 1 max 16",
    "option name MultiPV type spin default 1 min 1 max 10",
    "option name ContemptMid type spin default 0 min -50 max 50",
    "option name ContemptEnd type spin default 0 min -50 max 50",
    "uciok",
};

const std::vector<std::string> LoadReports = startupReports();

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(StartupModes, UciFirstLinePrintsTheBlockBeforeTheLoadReports) {
  const ProcessResult r = runEngine("uci\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out), concat(IdentificationBlock, LoadReports));
  EXPECT_EQ(r.err, "");
}

TEST(StartupModes, UciWithCarriageReturnLineEnds) {
  const ProcessResult r = runEngine("uci\r\nisready\r\nquit\r\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(splitLines(r.out), concat(concat(IdentificationBlock, LoadReports), {"readyok"}));
}

TEST(StartupModes, UciNewGameAsFirstLineSelectsUciSilently) {
  const ProcessResult r = runEngine("ucinewgame\nisready\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out), concat(LoadReports, {"readyok"}));
}

TEST(StartupModes, EndOfInputEndsTheUciLoop) {
  const ProcessResult r = runEngine("uci\nisready\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out).back(), "readyok");
}

TEST(StartupModes, LeadingBlankSelectsWinBoard) {
  const ProcessResult r = runEngine(" uci\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(splitLines(r.out), concat({"feature done=0"}, LoadReports));
}

TEST(StartupModes, UpperCaseUciSelectsWinBoard) {
  const ProcessResult r = runEngine("UCI\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(splitLines(r.out), concat({"feature done=0"}, LoadReports));
}

TEST(StartupModes, EmptyInputIsWindowModeWhichThisBuildLacks) {
  const ProcessResult r = runEngine("");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no window program"), std::string::npos);
  EXPECT_EQ(splitLines(r.err).size(), 1u);
}

TEST(StartupModes, GuiSwitchDoesNotReadStandardInput) {
  // Standard input stays open and silent: a program that read it would hang
  // until the runner's timeout.
  ProcessOptions options;
  options.closeInput = false;
  options.timeout = std::chrono::seconds(20);
  const ProcessResult r = runProcess({enginePath(), "--gui"}, options);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("no window program"), std::string::npos);
}

TEST(StartupModes, ProtocolModesNeverWriteSettingsFiles) {
  EngineCopy copy;
  ASSERT_TRUE(copy.ok());
  const std::string original = "Threads=4\nZzUnused=keep me\n";
  writeWholeFile(copy.file("engineWB.dft"), original);
  const ProcessResult r = copy.run("xboard\nquit\n");
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(readWholeFile(copy.file("engineWB.dft")), original);
  EXPECT_FALSE(std::filesystem::exists(copy.file("engineGUI.dft")));
}

TEST(StartupModes, TableSizeSwitchesAreAccepted) {
  for (const char* option : {"-TT256", "-TT3", "-TT20000", "-TTx", "-Threads4"}) {
    const ProcessResult r = runEngine("uci\nisready\nquit\n", {option});
    ASSERT_FALSE(r.timedOut) << option;
    EXPECT_EQ(r.exitStatus, 0) << option;
    EXPECT_EQ(splitLines(r.out).back(), "readyok") << option;
  }
}

}  // namespace
}  // namespace tarn::test
