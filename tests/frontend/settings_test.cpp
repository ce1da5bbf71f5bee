#include "frontend/settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>

#include "frontend/frontend_test_support.h"
#include "platform/executable_folder.h"

namespace tarn::test {
namespace {

using Entries = std::map<std::string, std::string>;

Settings fromText(std::string_view text) {
  Settings s;
  s.map.clear();
  readSettingsText(s, text);
  return s;
}

TEST(Settings, CommonDefaults) {
  const Settings s;
  EXPECT_EQ(s.map, (Entries{{"BookEnabled", "1"},
                            {"BookLearn", "1"},
                            {"BookPath", "TestBook.tcb"},
                            {"DrawOffers", "1"},
                            {"EvalWhitePOV", "0"},
                            {"HashMB", "64"},
                            {"LogGames", "1"},
                            {"Resign", "1"},
                            {"SyzygyPath", ""},
                            {"Threads", "1"}}));
  EXPECT_EQ(s.playerName[0], '\0');
  EXPECT_FALSE(s.alwaysWait || s.displayInfo || s.autoFlip || s.evalWhitePOV || s.displayArrows);
}

TEST(Settings, EngineAndGuiDefaults) {
  Settings engine;
  addEngineDefaults(engine);
  EXPECT_EQ(engine["DebugLog"], "0");
  EXPECT_EQ(engine["ContemptMid"], "0");
  EXPECT_EQ(engine["ContemptEnd"], "0");
  EXPECT_EQ(engine["EvalWhitePOV"], "0");
  EXPECT_EQ(engine.map.size(), 13u);

  Settings gui;
  addGuiDefaults(gui);
  EXPECT_EQ(gui["EvalWhitePOV"], "1");
  EXPECT_EQ(gui["ContemptMid"], "12");
  EXPECT_EQ(gui["ContemptEnd"], "4");
  EXPECT_EQ(gui["Ponder"], "0");
  EXPECT_EQ(gui["MaxDepth"], "100");
  EXPECT_EQ(gui["Name"], "Human");
  EXPECT_EQ(gui["Minutes"], "5");
  EXPECT_EQ(gui["Seconds"], "5");
  EXPECT_EQ(gui["DisplayInfo"], "1");
  EXPECT_EQ(gui["DisplayArrows"], "1");
  EXPECT_EQ(gui["ShowLastMove"], "1");
  EXPECT_EQ(gui["AlwaysWait"], "0");
  EXPECT_EQ(gui["AutoFlip"], "1");
  EXPECT_EQ(gui.map.size(), 22u);
  EXPECT_EQ(gui.map.count("DebugLog"), 0u);
}

TEST(Settings, FileValuesReplaceDefaults) {
  Settings s;
  addEngineDefaults(s);
  readSettingsText(s, "Threads=4\nHashMB=256\n");
  EXPECT_EQ(s["Threads"], "4");
  EXPECT_EQ(s["HashMB"], "256");
  EXPECT_EQ(s["DebugLog"], "0");
}

TEST(Settings, KeyIsTextBeforeTheFirstEquals) {
  EXPECT_EQ(fromText("BookPath=books/a=b.tcb\n").map, (Entries{{"BookPath", "books/a=b.tcb"}}));
  EXPECT_EQ(fromText("==Key=Value\n").map, (Entries{{"Key", "Value"}}));
  EXPECT_EQ(fromText("Key=\n").map, (Entries{{"Key", ""}}));
  EXPECT_EQ(fromText("Key= spaced value \n").map, (Entries{{"Key", " spaced value "}}));
}

TEST(Settings, LineWithoutEqualsIsAKeyWithoutItsLineEnd) {
  EXPECT_EQ(fromText("Lonely\n").map, (Entries{{"Lonely", ""}}));
  EXPECT_EQ(fromText("Lonely\r\n").map, (Entries{{"Lonely", ""}}));
  EXPECT_EQ(fromText("Lonely").map, (Entries{{"Lonely", ""}}));
}

TEST(Settings, CarriageReturnsBeforeTheLineEndAreDropped) {
  EXPECT_EQ(fromText("BookPath=TestBook.tcb\r\nThreads=2\r\r\n").map,
            (Entries{{"BookPath", "TestBook.tcb"}, {"Threads", "2"}}));
}

TEST(Settings, EmptyLinesAddNothing) {
  EXPECT_EQ(fromText("\n\r\n=\n==\nA=1\n\n").map, (Entries{{"A", "1"}}));
}

TEST(Settings, LastLineWithoutLineEnd) { EXPECT_EQ(fromText("A=1\nB=2").map, (Entries{{"A", "1"}, {"B", "2"}})); }

TEST(Settings, LongLinesAreReadInPiecesOf2047Characters) {
  // "K=" and 2045 x fill the first piece; the remaining 55 x form a line of their own.
  const std::string text = "K=" + std::string(2100, 'x') + "\n";
  EXPECT_EQ(fromText(text).map, (Entries{{"K", std::string(2045, 'x')}, {std::string(55, 'x'), ""}}));
  // A line of exactly 2047 characters before its line end reads whole.
  const std::string exact = "K=" + std::string(2045, 'y') + "\nL=1\n";
  EXPECT_EQ(fromText(exact).map, (Entries{{"K", std::string(2045, 'y')}, {"L", "1"}}));
}

TEST(Settings, UnknownKeysAreKeptAndWrittenInKeyOrder) {
  Settings s;
  s.map.clear();
  readSettingsText(s, "Zeta=last\nThreads=4\nAlpha=first\nbeta=lower case sorts after upper\n");
  EXPECT_EQ(settingsText(s), "Alpha=first\nThreads=4\nZeta=last\nbeta=lower case sorts after upper\n");
}

TEST(Settings, KeysSortByUnsignedBytes) {
  Settings s;
  s.map.clear();
  readSettingsText(s, "\xC3\xA9t\xC3\xA9=1\nz=2\n");
  EXPECT_EQ(settingsText(s), "z=2\n\xC3\xA9t\xC3\xA9=1\n");
}

TEST(Settings, SavingAndReadingBackIsStable) {
  const std::string text = "Plain=1\nNoEquals\r\nWith=two=equals\n==Leading=x\n\nTrail\r\r\nEmpty=\n";
  const Settings first = fromText(text);
  const Settings second = fromText(settingsText(first));
  EXPECT_EQ(first.map, second.map);
  EXPECT_EQ(settingsText(second), settingsText(first));
  EXPECT_EQ(first.map.count("NoEquals"), 1u);
  EXPECT_EQ(first.map.count("Trail"), 1u);
}

TEST(Settings, FileRoundTrip) {
  TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  Settings s;
  addGuiDefaults(s);
  s["Extra Key"] = "with = sign";
  ASSERT_TRUE(writeSettingsFile(s, folder.file("engineGUI.dft")));
  const std::string written = readWholeFile(folder.file("engineGUI.dft"));
  EXPECT_EQ(written, settingsText(s));
  EXPECT_NE(written.find("Extra Key=with = sign\n"), std::string::npos);

  Settings back;
  back.map.clear();
  ASSERT_TRUE(loadSettings(back, folder.file("engineGUI.dft")));
  EXPECT_EQ(back.map, s.map);
}

TEST(Settings, WritingTruncates) {
  TempFolder folder;
  writeWholeFile(folder.file("s.dft"), std::string(5000, 'q'));
  Settings s;
  ASSERT_TRUE(writeSettingsFile(s, folder.file("s.dft")));
  EXPECT_EQ(readWholeFile(folder.file("s.dft")), settingsText(s));
}

TEST(Settings, MissingFileLeavesTheDefaults) {
  TempFolder folder;
  Settings s;
  addEngineDefaults(s);
  const Entries before = s.map;
  EXPECT_FALSE(loadSettings(s, folder.file("absent.dft")));
  EXPECT_EQ(s.map, before);
}

TEST(Settings, UnwritableFileIsSkipped) {
  Settings s;
  EXPECT_FALSE(writeSettingsFile(s, "/nonexistent-folder/engineWB.dft"));
}

TEST(Settings, SaveWritesBesideTheExecutable) {
  const std::string name = "frontend_settings_test_" + std::to_string(::getpid()) + ".dft";
  Settings s;
  ASSERT_TRUE(saveSettings(s, name));
  const std::string path = executableFolder() + "/" + name;
  EXPECT_EQ(readWholeFile(path), settingsText(s));
  std::filesystem::remove(path);
}

TEST(Settings, FlagsAreExactlyOneOrTrue) {
  Settings s;
  for (const char* on : {"1", "true"}) {
    s["F"] = on;
    EXPECT_TRUE(settingFlag(s, "F")) << on;
  }
  for (const char* off : {"0", "false", "", "TRUE", "True", "yes", " 1", "1 ", "10", "truee"}) {
    s["F"] = off;
    EXPECT_FALSE(settingFlag(s, "F")) << off;
  }
}

TEST(Settings, NumbersAreTheLeadingDecimalInteger) {
  Settings s;
  const std::pair<const char*, int> cases[] = {{"42", 42},   {"-7", -7},  {"+3", 3},    {"12abc", 12},
                                               {"abc", 0},   {"", 0},     {" 8", 8},    {"0x10", 0},
                                               {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
  for (const auto& [text, value] : cases) {
    s["N"] = text;
    EXPECT_EQ(settingInt(s, "N"), value) << text;
  }
}

TEST(Settings, LookupInsertsTheKey) {
  Settings s;
  EXPECT_EQ(s.map.count("NeverSeen"), 0u);
  EXPECT_FALSE(settingFlag(s, "NeverSeen"));
  EXPECT_EQ(settingInt(s, "AlsoNew"), 0);
  EXPECT_EQ(s.map.count("NeverSeen"), 1u);
  EXPECT_EQ(s.map.at("AlsoNew"), "");
  EXPECT_NE(settingsText(s).find("NeverSeen=\n"), std::string::npos);
}

TEST(Settings, SetIntWritesDecimalText) {
  Settings s;
  setSettingInt(s, "HashMB", 256);
  EXPECT_EQ(s["HashMB"], "256");
  setSettingInt(s, "ContemptMid", -12);
  EXPECT_EQ(s["ContemptMid"], "-12");
}

TEST(Settings, PlayerNameIsCutTo63Characters) {
  Settings s;
  s.setPlayerName("Human");
  EXPECT_STREQ(s.playerName, "Human");
  s.setPlayerName(std::string(100, 'n'));
  EXPECT_EQ(std::string(s.playerName), std::string(63, 'n'));
  s.setPlayerName("");
  EXPECT_STREQ(s.playerName, "");
}

TEST(Settings, CopyingARecordCopiesMapNameAndFlags) {
  Settings gui;
  addGuiDefaults(gui);
  gui.setPlayerName("Ada");
  gui.displayArrows = true;
  gui.autoFlip = true;
  Settings active;
  active = gui;
  EXPECT_EQ(active.map, gui.map);
  EXPECT_STREQ(active.playerName, "Ada");
  EXPECT_TRUE(active.displayArrows);
  EXPECT_TRUE(active.autoFlip);
  EXPECT_FALSE(active.alwaysWait);
}

}  // namespace
}  // namespace tarn::test
