// The platform layer (src/platform), tested here with the front end that uses it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "frontend/frontend_test_support.h"
#include "platform/clock.h"
#include "platform/executable_folder.h"
#include "platform/local_time.h"
#include "platform/mapped_file.h"
#include "platform/message_hooks.h"

namespace tarn::test {
namespace {

TEST(Platform, FolderOfPathDropsTheLastPartAndRepeatedSeparators) {
  EXPECT_EQ(folderOfPath("/opt/tarn/bin/tarnchess"), "/opt/tarn/bin");
  EXPECT_EQ(folderOfPath("/opt//tarn///bin/tarnchess"), "/opt/tarn/bin");
  EXPECT_EQ(folderOfPath("build/tarnchess"), "build");
  EXPECT_EQ(folderOfPath("/tarnchess"), "/");
  EXPECT_EQ(folderOfPath("tarnchess"), ".");
  EXPECT_EQ(folderOfPath("/a/b/"), "/a/b");
}

TEST(Platform, ExecutableFolderHoldsThisTest) {
  const std::string folder = executableFolder();
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(std::filesystem::exists(folder + "/tarn_frontend_tests"));
  EXPECT_EQ(pathBesideExecutable("x.dft"), folder + "/x.dft");
}

TEST(Platform, CurrentDirectoryCanBeSetAndRead) {
  const std::string before = currentDirectory();
  ASSERT_FALSE(before.empty());
  TempFolder folder;
  ASSERT_TRUE(setCurrentDirectory(folder.path()));
  EXPECT_EQ(std::filesystem::canonical(currentDirectory()), std::filesystem::canonical(folder.path()));
  EXPECT_FALSE(setCurrentDirectory(folder.path() + "/missing"));
  ASSERT_TRUE(setCurrentDirectory(before));
  EXPECT_EQ(currentDirectory(), before);
}

TEST(Platform, ClockIsMonotonic) {
  const TimePoint start = clockNow();
  double last = 0;
  for (int i = 0; i < 1000; ++i) {
    const double s = secondsSince(start);
    EXPECT_GE(s, last);
    last = s;
  }
  EXPECT_GE(millisecondsSince(start), 0);
}

TEST(Platform, LocalTimeIsACalendarTime) {
  const LocalTime t = localTimeNow();
  EXPECT_GE(t.year, 2020);
  EXPECT_GE(t.month, 1);
  EXPECT_LE(t.month, 12);
  EXPECT_GE(t.day, 1);
  EXPECT_LE(t.day, 31);
  EXPECT_LE(t.hour, 23);
  EXPECT_LE(t.minute, 59);
  EXPECT_LE(t.second, 60);
}

TEST(Platform, MappedFileShowsTheFileBytes) {
  TempFolder folder;
  std::string content;
  for (int i = 0; i < 100000; ++i) content += char(i * 7);
  writeWholeFile(folder.file("table.rtbw"), content);

  MappedFile file;
  ASSERT_TRUE(file.open(folder.file("table.rtbw")));
  ASSERT_TRUE(file.isOpen());
  ASSERT_EQ(file.size(), content.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data()), file.size()), content);

  MappedFile moved = std::move(file);
  EXPECT_FALSE(file.isOpen());
  EXPECT_TRUE(moved.isOpen());
  EXPECT_EQ(moved.data()[1], uint8_t(7));
  moved.close();
  EXPECT_FALSE(moved.isOpen());
  EXPECT_EQ(moved.size(), 0u);
  moved.close();  // harmless twice
}

TEST(Platform, MappedFileFailuresAreReturnValues) {
  TempFolder folder;
  MappedFile file;
  EXPECT_FALSE(file.open(folder.file("missing.rtbz")));
  writeWholeFile(folder.file("empty.rtbz"), "");
  EXPECT_FALSE(file.open(folder.file("empty.rtbz")));
  EXPECT_FALSE(file.open(folder.path()));
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.data(), nullptr);
}

std::string lastMessage;
int beeps = 0;

TEST(Platform, MessagesAndBeepsGoOnlyToInstalledHooks) {
  installMessageHooks(nullptr, nullptr);
  showMessage("Game Over", "White Mates");  // nothing happens, nothing breaks
  beep();

  installMessageHooks([](const char* title, const char* text) { lastMessage = std::string(title) + ": " + text; },
                      [] { ++beeps; });
  showMessage("Game Over", "White Mates");
  beep();
  EXPECT_EQ(lastMessage, "Game Over: White Mates");
  EXPECT_EQ(beeps, 1);

  installMessageHooks(nullptr, nullptr);
  showMessage("Other", "Text");
  beep();
  EXPECT_EQ(lastMessage, "Game Over: White Mates");
  EXPECT_EQ(beeps, 1);
}

}  // namespace
}  // namespace tarn::test
