// Index computation and file layout: the constant tables against the format's
// published values, sub-table sizes of real files, and the worked example.
#include "eval/tb/syzygy_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "eval/tb/syzygy_material.h"
#include "eval/tb/syzygy_registry.h"
#include "eval/tb/syzygy_table.h"
#include "eval/syzygy_test_support.h"

namespace tarn::syzygy {
namespace {

using test::readBytes;
using test::smallTables;

// Squares of the format: a1 = 0, h8 = 63.
constexpr int sq(const char* name) { return (name[0] - 'a') + 8 * (name[1] - '1'); }

struct ParsedFile {
  std::vector<uint8_t> bytes;
  std::unique_ptr<TableFile> table;
  ParsedFile(const std::string& name, TableKind kind) : bytes(readBytes(smallTables() + "/" + name + TableExtension[kind])) {
    Material m;
    if (parseTableName(name, m)) table = TableFile::parse(bytes, kind, m);
  }
};

TEST(SyzygyIndex, ConstantTablesMatchThePublishedValues) {
  const int leadCounts[6][4] = {{6, 6, 6, 6},           {252, 180, 108, 36},     {5201, 2645, 953, 125},
                                {70315, 25375, 5491, 295}, {700336, 178696, 23176, 496}, {5479348, 984494, 76104, 610}};
  for (int pawns = 1; pawns <= 6; ++pawns)
    for (int f = 0; f < 4; ++f) EXPECT_EQ(leadCount(pawns, f), leadCounts[pawns - 1][f]) << pawns << " " << f;
  const int starts2[24] = {0, 47, 92, 135, 176, 215, 0, 35, 68, 99, 128, 155, 0, 23, 44, 63, 80, 95, 0, 11, 20, 27, 32, 35};
  const int starts3[24] = {0, 1081, 2071, 2974, 3794, 4535, 0, 595, 1123, 1588, 1994, 2345,
                           0, 253,  463,  634,  770,  875,  0, 55,  91,   112,  122,  125};
  for (int j = 0; j < 24; ++j) {
    EXPECT_EQ(leadStart(1, j), j % 6);
    EXPECT_EQ(leadStart(2, j), starts2[j]) << j;
    EXPECT_EQ(leadStart(3, j), starts3[j]) << j;
  }
  // King pairs: the first and last numbers of each part, impossible squares -1.
  EXPECT_EQ(kingPairCode(0, sq("d1")), 0);
  EXPECT_EQ(kingPairCode(0, sq("a1")), -1);
  EXPECT_EQ(kingPairCode(0, sq("c2")), -1);
  EXPECT_EQ(kingPairCode(5, sq("h8")), 338);
  EXPECT_EQ(kingPairCode(6, sq("c1")), 339);
  EXPECT_EQ(kingPairCode(6, sq("c3")), 441);
  EXPECT_EQ(kingPairCode(6, sq("a3")), -1);
  EXPECT_EQ(kingPairCode(8, sq("a1")), 452);
  EXPECT_EQ(kingPairCode(9, sq("h7")), 440);
  EXPECT_EQ(kingPairCode(9, sq("h8")), 461);
  EXPECT_EQ(binomial(3, 4), 0u);
  EXPECT_EQ(binomial(63, 6), 67945521u);
  EXPECT_EQ(binomial(48, 0), 1u);
}

TEST(SyzygyIndex, SubTableSizesOfRealFiles) {
  struct Case {
    const char* name;
    TableKind kind;
    uint64_t size;
  };
  for (const Case& c : {Case{"KQvK", WdlKind, 31332}, Case{"KRvK", DtzKind, 31332}, Case{"KRvKR", WdlKind, 1911252},
                        Case{"KQQvK", WdlKind, 873642}, Case{"KPvK", WdlKind, 23436}, Case{"KPvKP", WdlKind, 1066524},
                        Case{"KRvKP", WdlKind, 1429596}, Case{"KRvKP", DtzKind, 1429596}}) {
    const ParsedFile file(c.name, c.kind);
    ASSERT_TRUE(file.table) << c.name;
    const int classes = file.table->hasPawns() ? 4 : 1;
    for (int f = 0; f < classes; ++f) EXPECT_EQ(file.table->sub(f, 0).layout.size, c.size) << c.name << " " << f;
  }
}

// Every table of the test set parses, in both kinds.
TEST(SyzygyIndex, EveryTestTableParses) {
  int parsed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(smallTables())) {
    const std::string stem = entry.path().stem().string();
    const TableKind kind = entry.path().extension() == ".rtbw" ? WdlKind : DtzKind;
    EXPECT_TRUE(ParsedFile(stem, kind).table) << entry.path();
    ++parsed;
  }
  EXPECT_EQ(parsed, 70);
}

// The worked example of the format description: White Kc3 Qh5, Black Kg7.
TEST(SyzygyIndex, WorkedExampleIndices) {
  const ParsedFile wdl("KQvK", WdlKind), dtz("KQvK", DtzKind);
  ASSERT_TRUE(wdl.table && dtz.table);

  // Black to move reads the second side's list: black king, white queen, white king.
  const SubTable& blackToMove = wdl.table->sub(0, 1);
  EXPECT_EQ(std::vector<int>(blackToMove.pieces, blackToMove.pieces + 3), (std::vector<int>{14, 5, 6}));
  int squares[3] = {sq("g7"), sq("h5"), sq("c3")};
  uint64_t index = 0;
  ASSERT_TRUE(computeIndex(blackToMove.layout, squares, index));
  EXPECT_EQ(index, 25339u);

  // White to move in the distance file: white king, black king, white queen.
  const SubTable& whiteToMove = dtz.table->sub(0, 0);
  EXPECT_EQ(std::vector<int>(whiteToMove.pieces, whiteToMove.pieces + 3), (std::vector<int>{6, 14, 5}));
  int squares2[3] = {sq("c3"), sq("g7"), sq("h5")};
  ASSERT_TRUE(computeIndex(whiteToMove.layout, squares2, index));
  EXPECT_EQ(index, 30936u);

  // Kings side by side have no index.
  int adjacent[4] = {sq("a1"), sq("b2"), sq("c3"), sq("d4")};
  const ParsedFile kings("KQQvK", WdlKind);
  ASSERT_TRUE(kings.table);
  EXPECT_FALSE(computeIndex(kings.table->sub(0, 0).layout, adjacent, index));
}

TEST(SyzygyMaterial, NamesAndKeys) {
  std::vector<std::string> names;
  forEachCandidateName([](const std::string& n, void* out) { static_cast<std::vector<std::string>*>(out)->push_back(n); },
                       &names);
  ASSERT_EQ(names.size(), 1511u);
  EXPECT_EQ(names.front(), "KQvK");
  EXPECT_EQ(names[5], "KQvKQ");
  EXPECT_EQ(names[6], "KQvKR");
  EXPECT_EQ(names.back(), "KPPPvKPP");
  // Stronger side first: never the weaker one.
  EXPECT_EQ(std::count(names.begin(), names.end(), "KRvKQ"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "KRBvKRN"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "KRNvKRB"), 0);

  std::set<Key> keys;
  for (const std::string& name : names) {
    Material m;
    ASSERT_TRUE(parseTableName(name, m)) << name;
    EXPECT_EQ(tableName(m), name);
    EXPECT_TRUE(keys.insert(materialKey(m)).second) << name;
    if (!m.symmetric()) {
      EXPECT_TRUE(keys.insert(materialKey(m.swapped())).second) << name;
    }
  }
  Material m;
  EXPECT_FALSE(parseTableName("KQvQ", m));
  EXPECT_FALSE(parseTableName("KQK", m));
  EXPECT_FALSE(parseTableName("KQQQQQQvK", m));

  // A position keys as the name with White first.
  test::TestPosition pos("8/8/8/4k3/8/8/1P6/KR6 b - - 0 1");
  ASSERT_TRUE(pos.ok);
  ASSERT_TRUE(parseTableName("KRPvK", m));
  EXPECT_EQ(materialKey(pos.pos), materialKey(m));
  EXPECT_NE(materialKey(pos.pos), materialKey(m.swapped()));
}

}  // namespace
}  // namespace tarn::syzygy
