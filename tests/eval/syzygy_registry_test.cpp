// Finding, registering and mapping tables: folder lists, incomplete and damaged
// files with their messages, lazy mapping.
#include "eval/tb/syzygy_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "eval/tb/syzygy.h"
#include "eval/syzygy_test_support.h"

namespace tarn::syzygy {
namespace {

using test::ScratchFolder;
using test::TestPosition;

std::string capturedOut, capturedErr;

struct SyzygyRegistry : ::testing::Test {
  void SetUp() override {
    test::initBoard();
    capturedOut.clear();
    capturedErr.clear();
    setMessageSinks([](std::string_view t) { capturedOut.append(t); }, [](std::string_view t) { capturedErr.append(t); });
  }
  void TearDown() override {
    initTablebases("");
    setMessageSinks(nullptr, nullptr);
  }
  // Well inside the probe-depth rule.
  static int wdl(const std::string& fen) {
    TestPosition p(fen);
    return p.ok ? probeWdl(p.pos, 100) : 99;
  }
  static RootProbe root(const std::string& fen) {
    TestPosition p(fen);
    return probeRoot(p.pos);
  }
};

constexpr const char* QueenWins = "8/8/8/4k3/8/8/8/KQ6 w - - 0 1";
constexpr const char* RookWins = "8/8/8/4k3/8/8/8/KR6 w - - 0 1";

TEST_F(SyzygyRegistry, EmptyPathsRegisterNothing) {
  initTablebases(test::smallTables());
  EXPECT_EQ(largestTablebaseMen(), 4);
  EXPECT_EQ(wdl(QueenWins), 2);
  for (const char* path : {"", "<empty>"}) {
    initTablebases(path);
    EXPECT_EQ(largestTablebaseMen(), 0) << path;
    EXPECT_EQ(wdl(QueenWins), WdlNone) << path;
    EXPECT_EQ(root(QueenWins).wdl, WdlNone) << path;
  }
  EXPECT_EQ(capturedOut + capturedErr, "");
}

TEST_F(SyzygyRegistry, TablesAreFoundInEveryFolderOfThePath) {
  ScratchFolder first, second;
  second.copyTable("KQvK.rtbw");
  first.copyTable("KRvK.rtbw");
  initTablebases("/nonexistent;" + first.path() + ";;" + second.path());
  EXPECT_EQ(largestTablebaseMen(), 3);
  EXPECT_EQ(wdl(QueenWins), 2);
  EXPECT_EQ(wdl(RookWins), 2);
  EXPECT_EQ(wdl("8/8/8/4k3/8/8/8/KN6 w - - 0 1"), WdlNone);
  // No distance file: the root probe has no answer, the search probe does.
  EXPECT_EQ(root(QueenWins).wdl, WdlNone);
  EXPECT_EQ(capturedOut + capturedErr, "");
}

TEST_F(SyzygyRegistry, IncompleteFilesAreReportedAndNotUsed) {
  ScratchFolder first, second;
  std::vector<uint8_t> bytes = test::readBytes(test::smallTables() + "/KQvK.rtbw");
  bytes.pop_back();
  test::writeBytes(first.file("KQvK.rtbw"), bytes);
  second.copyTable("KQvK.rtbw");
  second.copyTable("KQvK.rtbz");
  // The first file that opens decides, complete or not.
  initTablebases(first.path() + ";" + second.path());
  EXPECT_EQ(capturedErr, "Incomplete tablebase file KQvK..rtbw\n");
  EXPECT_EQ(capturedOut, "info string Incomplete tablebase file KQvK..rtbw\n");
  EXPECT_EQ(largestTablebaseMen(), 0);
  EXPECT_EQ(wdl(QueenWins), WdlNone);

  // An incomplete distance file counts as absent.
  capturedOut.clear();
  capturedErr.clear();
  bytes = test::readBytes(test::smallTables() + "/KQvK.rtbz");
  bytes.resize(bytes.size() - 16);
  test::writeBytes(first.file("KQvK.rtbw"), test::readBytes(test::smallTables() + "/KQvK.rtbw"));
  test::writeBytes(first.file("KQvK.rtbz"), bytes);
  initTablebases(first.path() + ";" + second.path());
  EXPECT_EQ(capturedErr, "Incomplete tablebase file KQvK..rtbz\n");
  EXPECT_EQ(capturedOut, "info string Incomplete tablebase file KQvK..rtbz\n");
  EXPECT_EQ(largestTablebaseMen(), 3);
  EXPECT_EQ(wdl(QueenWins), 2);
  EXPECT_EQ(root(QueenWins).wdl, WdlNone);
}

TEST_F(SyzygyRegistry, FilesAreMappedOnFirstUse) {
  initTablebases(test::smallTables());
  TestPosition p(QueenWins);
  TableEntry* entry = findEntry(materialKey(p.pos));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name, "KQvK");
  EXPECT_FALSE(entry->mapped[WdlKind].load());
  EXPECT_FALSE(entry->mapped[DtzKind].load());
  EXPECT_EQ(probeWdl(p.pos, 100), 2);
  EXPECT_TRUE(entry->mapped[WdlKind].load());
  EXPECT_FALSE(entry->mapped[DtzKind].load());
  EXPECT_EQ(probeRoot(p.pos).wdl, 2);
  EXPECT_TRUE(entry->mapped[DtzKind].load());
  // The colour-swapped material finds the same entry.
  TestPosition swapped("8/8/8/4K3/8/8/8/kq6 w - - 0 1");
  EXPECT_EQ(findEntry(materialKey(swapped.pos)), entry);
  EXPECT_EQ(probeWdl(swapped.pos, 100), -2);
}

TEST_F(SyzygyRegistry, BadMagicDropsTheMaterial) {
  ScratchFolder folder;
  for (const char* name : {"KQvK.rtbw", "KQvK.rtbz", "KRvK.rtbw", "KRvK.rtbz"}) folder.copyTable(name);
  std::vector<uint8_t> bytes = test::readBytes(folder.file("KQvK.rtbw"));
  bytes[0] ^= 1;
  test::writeBytes(folder.file("KQvK.rtbw"), bytes);
  initTablebases(folder.path());
  EXPECT_EQ(largestTablebaseMen(), 3);
  EXPECT_EQ(wdl(QueenWins), WdlNone);
  EXPECT_EQ(capturedErr, "Corrupted table.\n");
  // Dropped: the material is not tried again, the distance file neither.
  EXPECT_EQ(wdl(QueenWins), WdlNone);
  EXPECT_EQ(root(QueenWins).wdl, WdlNone);
  EXPECT_EQ(capturedErr, "Corrupted table.\n");
  TestPosition p(QueenWins);
  EXPECT_EQ(findEntry(materialKey(p.pos)), nullptr);
  // Other materials are untouched.
  EXPECT_EQ(wdl(RookWins), 2);
  EXPECT_EQ(root(RookWins).wdl, 2);
}

TEST_F(SyzygyRegistry, DamagedLayoutIsACorruptedTable) {
  ScratchFolder folder;
  folder.copyTable("KRvKP.rtbz");
  folder.copyTable("KRvKP.rtbw");
  std::vector<uint8_t> bytes = test::readBytes(folder.file("KRvKP.rtbz"));
  bytes[4] ^= 0x02;  // says "no pawns"
  test::writeBytes(folder.file("KRvKP.rtbz"), bytes);
  initTablebases(folder.path());
  const char* fen = "8/8/8/4k3/8/p7/8/KR6 w - - 0 1";
  const int before = wdl(fen);
  EXPECT_EQ(capturedErr, "");
  EXPECT_EQ(root(fen).wdl, WdlNone);
  EXPECT_EQ(capturedErr, "Corrupted table.\n");
  // The whole material is dropped, its good file included.
  EXPECT_EQ(wdl(fen), WdlNone);
  EXPECT_EQ(before, 2);
}

TEST_F(SyzygyRegistry, VanishedFileCannotBeMapped) {
  ScratchFolder folder;
  folder.copyTable("KQvK.rtbw");
  initTablebases(folder.path());
  std::filesystem::remove(folder.file("KQvK.rtbw"));
  EXPECT_EQ(wdl(QueenWins), WdlNone);
  EXPECT_EQ(capturedErr, "CreateFileMapping() failed, error = 2.\nCould not map KQvK.rtbw into memory.\n");
}

// A named pipe or a folder under a table's name is no table: skipped, never
// waited on (opening a pipe for reading would wait for a writer).
TEST_F(SyzygyRegistry, NonRegularFilesAreSkipped) {
  ScratchFolder folder;
  ASSERT_EQ(mkfifo(folder.file("KQvK.rtbw").c_str(), 0600), 0);
  folder.copyTable("KRvK.rtbw");
  ASSERT_EQ(mkfifo(folder.file("KRvK.rtbz").c_str(), 0600), 0);
  std::filesystem::create_directory(folder.file("KNvK.rtbw"));
  initTablebases(folder.path());
  EXPECT_EQ(largestTablebaseMen(), 3);
  EXPECT_EQ(wdl(QueenWins), WdlNone);
  EXPECT_EQ(wdl("8/8/8/4k3/8/8/8/KN6 w - - 0 1"), WdlNone);
  EXPECT_EQ(wdl(RookWins), 2);
  EXPECT_EQ(root(RookWins).wdl, WdlNone);
  EXPECT_EQ(capturedOut + capturedErr, "");
}

TEST_F(SyzygyRegistry, ReinitialisingForgetsTheOldTables) {
  ScratchFolder folder;
  folder.copyTable("KQvK.rtbw");
  initTablebases(test::smallTables());
  EXPECT_EQ(wdl(RookWins), 2);
  initTablebases(folder.path());
  EXPECT_EQ(largestTablebaseMen(), 3);
  EXPECT_EQ(wdl(RookWins), WdlNone);
  EXPECT_EQ(wdl(QueenWins), 2);
}

}  // namespace
}  // namespace tarn::syzygy
