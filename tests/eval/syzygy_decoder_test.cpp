// Decompression: the worked example, and damaged headers and indexes, which
// must give "no value" instead of wrong reads.
#include "eval/tb/syzygy_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "eval/tb/syzygy_table.h"
#include "eval/syzygy_test_support.h"

namespace tarn::syzygy {
namespace {

std::vector<uint8_t> tableBytes(const char* name) { return test::readBytes(test::smallTables() + "/" + name); }

std::unique_ptr<TableFile> parseAs(const std::vector<uint8_t>& bytes, const char* name, TableKind kind) {
  Material m;
  return parseTableName(name, m) ? TableFile::parse(bytes, kind, m) : nullptr;
}

TEST(SyzygyDecoder, WorkedExampleValues) {
  const std::vector<uint8_t> wdl = tableBytes("KQvK.rtbw");
  ASSERT_EQ(wdl.size(), 272u);
  const auto table = parseAs(wdl, "KQvK", WdlKind);
  ASSERT_TRUE(table);
  // White to move: one value for every index, a win (4 - 2).
  EXPECT_TRUE(table->sub(0, 0).pairs.isSingleValue());
  EXPECT_EQ(decodeValue(table->sub(0, 0).pairs, wdl, 12345), 4);
  const PairsData& black = table->sub(0, 1).pairs;
  EXPECT_EQ(black.blockBits, 6);
  EXPECT_EQ(black.realBlocks, 2u);
  EXPECT_EQ(black.left.size(), 17u);
  EXPECT_EQ(black.span[15], 256u);
  EXPECT_EQ(black.span[4], 32u);
  EXPECT_EQ(black.dataOffset, 0x80u);
  EXPECT_EQ(decodeValue(black, wdl, 25339), 0);  // Black to move loses

  const std::vector<uint8_t> dtz = tableBytes("KQvK.rtbz");
  const auto distances = parseAs(dtz, "KQvK", DtzKind);
  ASSERT_TRUE(distances);
  const PairsData& white = distances->sub(0, 0).pairs;
  EXPECT_EQ(white.flags, 0);
  EXPECT_EQ(white.blockBits, 9);
  EXPECT_EQ(white.left.size(), 217u);
  EXPECT_EQ(white.indexOffset, 686u);
  EXPECT_EQ(white.dataOffset, 768u);
  EXPECT_EQ(decodeValue(white, dtz, 30936), 5);
}

// The compression header of KQvK.rtbw's second sub-table, at offset 0x0C.
constexpr size_t HeaderOffset = 0x0C;

TEST(SyzygyDecoder, DamagedHeadersAreRefused) {
  const std::vector<uint8_t> good = tableBytes("KQvK.rtbw");
  PairsData d;
  ASSERT_EQ(readPairsHeader(good, HeaderOffset, d), 0x5Au);

  auto refused = [&](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    PairsData damaged;
    return readPairsHeader(bytes, HeaderOffset, damaged) == 0;
  };
  EXPECT_TRUE(refused(HeaderOffset + 8, 57));  // longest code beyond the bit window
  EXPECT_TRUE(refused(HeaderOffset + 9, 0));   // codes of no bits
  EXPECT_TRUE(refused(HeaderOffset + 9, 8));   // shortest code longer than the longest
  EXPECT_TRUE(refused(HeaderOffset + 2, 0));   // no values per index entry
  EXPECT_TRUE(refused(HeaderOffset + 10, 0xFF));  // first symbols that make no canonical code
  // Symbol 0 = pair (0, 11): a pair that contains itself.
  EXPECT_TRUE(refused(0x26, 0x00));
  // Symbol 1 = pair (3, 0x113): a half beyond the 17 symbols.
  EXPECT_TRUE(refused(0x29 + 1, 0x30 | 0x0F) && refused(0x29 + 2, 0x11));
  // Cut short anywhere inside the header.
  for (size_t length = HeaderOffset; length < 0x5A; ++length) {
    PairsData cut;
    EXPECT_EQ(readPairsHeader(std::span<const uint8_t>(good.data(), length), HeaderOffset, cut), 0u) << length;
  }
}

TEST(SyzygyDecoder, DamagedIndexGivesNoValue) {
  std::vector<uint8_t> bytes = tableBytes("KQvK.rtbw");
  const auto table = parseAs(bytes, "KQvK", WdlKind);
  ASSERT_TRUE(table);
  const PairsData& d = table->sub(0, 1).pairs;
  ASSERT_EQ(d.indexOffset, 0x5Au);
  EXPECT_EQ(decodeValue(d, bytes, 31332 * 4), -1);  // beyond the index
  bytes[0x5A] = 7;                                  // the entry names a block that does not exist
  EXPECT_EQ(decodeValue(d, bytes, 100), -1);
  bytes[0x5A] = 0;                                  // walks back past block 0
  bytes[0x5E] = 0;
  bytes[0x5F] = 0;
  EXPECT_EQ(decodeValue(d, bytes, 0), -1);
  bytes[0x5A] = 0;                                  // walks forward past the last block
  bytes[0x5E] = 0xFF;
  bytes[0x5F] = 0xFF;
  EXPECT_EQ(decodeValue(d, bytes, 31331), -1);
}

}  // namespace
}  // namespace tarn::syzygy
