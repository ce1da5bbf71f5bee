// Files are replaced or appended to in one piece: a write that fails part way
// leaves the old contents, and no temporary file, behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "frontend/frontend_test_support.h"
#include "frontend/settings.h"
#include "platform/file_writing.h"

namespace tarn::test {
namespace {

const std::string OldText = "the old contents\n";

TEST(FileWriting, ReplaceWritesTheNewContentsAndKeepsThePermissions) {
  TempFolder folder;
  const std::string path = folder.file("book.tcb");
  writeWholeFile(path, OldText);
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(replaceFileContents(path, "new"));
  EXPECT_EQ(readWholeFile(path), "new");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"book.tcb"});
}

TEST(FileWriting, AFailedReplaceLeavesTheOldFileAndNoTemporaryFile) {
  TempFolder folder;
  const std::string path = folder.file("book.tcb");
  writeWholeFile(path, OldText);
  std::string error;
  {
    const FileSizeLimit diskFull(4096);
    EXPECT_FALSE(replaceFileContents(path, std::string(100000, 'x'), &error));
  }
  EXPECT_EQ(readWholeFile(path), OldText);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_EQ(filesIn(folder.path()), std::vector<std::string>{"book.tcb"});

  // A folder that does not exist, and a target that is a folder.
  EXPECT_FALSE(replaceFileContents(folder.file("missing/book.tcb"), "x"));
  std::filesystem::create_directory(folder.file("sub"));
  EXPECT_FALSE(replaceFileContents(folder.file("sub"), "x"));
  EXPECT_EQ(filesIn(folder.path()), (std::vector<std::string>{"book.tcb", "sub"}));
}

TEST(FileWriting, AppendAddsToTheEndAndAFailedAppendTakesItsPartBack) {
  TempFolder folder;
  const std::string path = folder.file("games.pgn");
  ASSERT_TRUE(appendToFile(path, "one\n"));
  ASSERT_TRUE(appendToFile(path, "two\n"));
  EXPECT_EQ(readWholeFile(path), "one\ntwo\n");
  {
    const FileSizeLimit diskFull(4096);
    EXPECT_FALSE(appendToFile(path, std::string(100000, 'x')));
  }
  EXPECT_EQ(readWholeFile(path), "one\ntwo\n");
  EXPECT_FALSE(appendToFile(folder.file("missing/games.pgn"), "x"));
}

TEST(FileWriting, SettingsFilesSurviveAFailedWrite) {
  TempFolder folder;
  const std::string path = folder.file("engineGUI.dft");
  writeWholeFile(path, "Name=Ann\n");
  Settings s;
  s.set("Name", std::string(100000, 'x'));
  {
    const FileSizeLimit diskFull(4096);
    EXPECT_FALSE(writeSettingsFile(s, path));
  }
  EXPECT_EQ(readWholeFile(path), "Name=Ann\n");
}

}  // namespace
}  // namespace tarn::test
