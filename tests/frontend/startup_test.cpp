// The parts of start-up that can run without a process of their own; the
// executable's start-up as a whole is tested end to end (tests/e2e).
#include "frontend/startup.h"

#include <gtest/gtest.h>

#include "search/search_control.h"

#include <climits>

#include "frontend/engine_services.h"
#include "frontend/frontend_test_support.h"

namespace tarn::test {
namespace {

TEST(StartUp, FirstLineChoosesTheMode) {
  EXPECT_EQ(modeOfFirstLine("uci"), RunMode::Uci);
  EXPECT_EQ(modeOfFirstLine("ucinewgame"), RunMode::Uci);
  EXPECT_EQ(modeOfFirstLine("uci please"), RunMode::Uci);
  EXPECT_EQ(modeOfFirstLine("ucix"), RunMode::Uci);
  EXPECT_EQ(modeOfFirstLine(" uci"), RunMode::WinBoard);
  EXPECT_EQ(modeOfFirstLine("UCI"), RunMode::WinBoard);
  EXPECT_EQ(modeOfFirstLine("xboard"), RunMode::WinBoard);
  EXPECT_EQ(modeOfFirstLine("uc"), RunMode::WinBoard);
  EXPECT_EQ(modeOfFirstLine(""), RunMode::WinBoard);
}

TEST(StartUp, IdentificationUnlessUciNew) {
  EXPECT_TRUE(printsIdentification("uci"));
  EXPECT_TRUE(printsIdentification("uci debug"));
  EXPECT_FALSE(printsIdentification("ucinewgame"));
  EXPECT_FALSE(printsIdentification("ucinew"));
  EXPECT_TRUE(printsIdentification("ucine"));
  EXPECT_FALSE(printsIdentification("xboard"));
}

TEST(StartUp, SwitchValues) {
  EXPECT_EQ(switchValue("-TT256", "-TT"), 256);
  EXPECT_EQ(switchValue("--gui -TT 512", "-TT"), 512);
  EXPECT_EQ(switchValue("-TT3", "-TT"), 3);  // start-up checks the range
  EXPECT_EQ(switchValue("-TT-5", "-TT"), -5);
  EXPECT_EQ(switchValue("-TTx", "-TT"), std::nullopt);
  EXPECT_EQ(switchValue("-TT", "-TT"), std::nullopt);
  EXPECT_EQ(switchValue("", "-TT"), std::nullopt);
  EXPECT_EQ(switchValue("-Threads8 -TT64", "-Threads"), 8);
  EXPECT_EQ(switchValue("-Threads8 -TT64", "-TT"), 64);
  EXPECT_EQ(switchValue("-threads8", "-Threads"), std::nullopt);
  EXPECT_EQ(switchValue("-TT99999999999", "-TT"), INT_MAX);
}

TEST(StartUp, GuiSettingsReachEveryMode) {
  const Settings savedGui = guiSettings, savedEngine = engineSettings;
  guiSettings = Settings();
  addGuiDefaults(guiSettings);
  readSettingsText(guiSettings, "Name=Ada Lovelace\nMinutes=3\nSeconds=2\nMaxDepth=12\nPonder=true\nDisplayInfo=0\n");
  engineSettings = Settings();
  addEngineDefaults(engineSettings);
  readSettingsText(engineSettings, "EvalWhitePOV=1\n");

  EngineState state;
  applyGuiSettings(state);
  EXPECT_STREQ(guiSettings.playerName, "Ada Lovelace");
  EXPECT_EQ(state.options.clockMinutes, 3.0);
  EXPECT_EQ(state.options.clockIncrement, 2.0);
  EXPECT_EQ(state.options.depthLimit, 12);
  EXPECT_TRUE(state.options.ponder);
  EXPECT_FALSE(guiSettings.displayInfo);
  EXPECT_TRUE(guiSettings.displayArrows);
  EXPECT_FALSE(guiSettings.alwaysWait);
  EXPECT_TRUE(guiSettings.autoFlip);
  EXPECT_TRUE(guiSettings.evalWhitePOV);
  EXPECT_TRUE(state.options.winBoardWhitePOV);

  guiSettings = savedGui;
  engineSettings = savedEngine;
}

TEST(StartUp, InitEnginePrintsTheLoadReportsAndKeepsSizes) {
  CapturedOutput captured;
  Settings active;
  EngineState state;
  state.active = &active;
  // The book: "BookPath" as it is when absolute.
  TempFolder folder;
  writeWholeFile(folder.file("my.tcb"), std::string(8, '\x01') + std::string(2, '\0') + std::string(8, '\x02') +
                                           std::string(2, '\0'));
  active.set("BookPath", folder.file("my.tcb"));
  initEngine(128, 3, state, captured.out());
  EXPECT_EQ(captured.take(), (std::vector<std::string>{"info string 0 bitbases loaded.",
                                                       "info string 0 neural nets loaded.",
                                                       "info string 2 opening positions loaded."}));
  EXPECT_EQ(state.options.hashMegabytes, 128);
  EXPECT_EQ(transpositionTableMegabytes(), 128);
  EXPECT_EQ(state.options.threadCount, 3);
  EXPECT_EQ(activeThreadCount(), 3);

  active.set("BookPath", folder.file("none.tcb"));
  initEngine(64, 0, state, captured.out());
  EXPECT_EQ(captured.take().back(), "info string Error Loading Book : " + folder.file("none.tcb"));
  EXPECT_EQ(state.options.threadCount, 1);
  EXPECT_EQ(activeThreadCount(), 1);
  shutdownThreads();
}

}  // namespace
}  // namespace tarn::test
