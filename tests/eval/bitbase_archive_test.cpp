// Reading the archive and its records: which entries make up the set, how
// damage anywhere in the file is answered, and which records count as loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "bitbases/packing_stages.h"
#include "bitbases/record_builder.h"
#include "eval/tb/bitbase_archive.h"
#include "eval/tb/bitbase_limits.h"
#include "eval/tb/bitbases.h"

namespace tarn {
namespace {

using namespace bitbase_writer;
using Bytes = std::vector<uint8_t>;

// A record of `bytes` bytes whose byte k is k * seed, cut into 16-byte blocks.
Bytes patternRecord(size_t bytes, uint8_t seed) {
  TableBits t;
  for (size_t k = 0; k < bytes; ++k) t.bits.push_back(uint8_t(k * seed));
  t.care.assign(bytes, 0xFF);
  return buildRecord(t, 16);
}

// A well-formed set of nine small records, table 1 holding the checksums.
Bytes smallSet() {
  std::vector<Bytes> records;
  for (int t = 1; t < BitbaseCount; ++t) records.push_back(patternRecord(64 * size_t(t), uint8_t(2 * t + 1)));
  Bytes set = buildChecksumRecord(records);
  for (const Bytes& r : records) set.insert(set.end(), r.begin(), r.end());
  return set;
}

Bytes archiveOf(const Bytes& set, size_t chunk = 200) {
  Bytes archive;
  EXPECT_TRUE(buildArchive(set, chunk, archive));
  return archive;
}

Bytes header(int type, int nameLength, int32_t dataSize) {
  const uint32_t size = uint32_t(dataSize);
  return {uint8_t(type), 0, uint8_t(nameLength), uint8_t(nameLength >> 8),
          uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
}

TEST(BitbaseArchive, EntriesOfTheSameNameAppendInFileOrder) {
  const Bytes set = smallSet();
  Bytes read;
  EXPECT_EQ(readBitbaseSet(archiveOf(set, 100), read), ArchiveStatus::Complete);
  EXPECT_EQ(read, set);
  BitbaseSet tables;
  EXPECT_EQ(tables.load(read), BitbaseCount);
  EXPECT_EQ(tables.records[2].byteAt(5), uint8_t(5 * 5));
}

TEST(BitbaseArchive, OtherNamesAndEmptyEntriesAreSkipped) {
  const Bytes set = smallSet();
  Bytes archive;
  appendEntry(archive, Bytes{1, 2, 3}, "readme.txt");
  const Bytes body = archiveOf(set, 100000);
  archive.insert(archive.end(), body.begin(), body.end());
  const Bytes empty = header(1, 20, 0);
  archive.insert(archive.end(), empty.begin(), empty.end());
  for (const char c : std::string("EndgameBitbases.tbb")) archive.push_back(uint8_t(c));
  archive.push_back(0);
  Bytes read;
  EXPECT_EQ(readBitbaseSet(archive, read), ArchiveStatus::Complete);
  EXPECT_EQ(read, set);

  // Names are compared without regard to case.
  Bytes upper;
  appendEntry(upper, set, "ENDGAMEBITBASES.TBB");
  EXPECT_EQ(readBitbaseSet(upper, read), ArchiveStatus::Complete);
  EXPECT_EQ(read, set);

  Bytes foreign;
  appendEntry(foreign, set, "EndgameBitbases.tbb.old");
  EXPECT_EQ(readBitbaseSet(foreign, read), ArchiveStatus::Complete);
  EXPECT_TRUE(read.empty());
  BitbaseSet tables;
  EXPECT_EQ(tables.load(read), 0);
}

TEST(BitbaseArchive, ABadFirstHeaderGivesAnEmptySet) {
  const Bytes valid = archiveOf(smallSet());
  for (const Bytes& bad : {header(0, 20, 10), header(5, 20, 10), header(1, 513, 10), header(1, -1, 10),
                           header(1, 20, MaxEntryDataSize + 1), header(1, 20, -5)}) {
    Bytes archive = bad;
    archive.insert(archive.end(), valid.begin(), valid.end());
    Bytes read{9};
    EXPECT_EQ(readBitbaseSet(archive, read), ArchiveStatus::BadFirstHeader);
    EXPECT_TRUE(read.empty());
  }
  Bytes read;
  EXPECT_EQ(readBitbaseSet(Bytes{}, read), ArchiveStatus::BadFirstHeader);
  EXPECT_EQ(readBitbaseSet(Bytes{1, 0, 20}, read), ArchiveStatus::BadFirstHeader);
}

TEST(BitbaseArchive, DamageLaterKeepsTheEntriesBeforeIt) {
  const Bytes set = smallSet();
  const Bytes archive = archiveOf(set, 300);
  const Bytes first = archiveOf(Bytes(set.begin(), set.begin() + 300), 300);

  Bytes badHeader = first;
  const Bytes bad = header(9, 20, 10);
  badHeader.insert(badHeader.end(), bad.begin(), bad.end());
  Bytes read;
  EXPECT_EQ(readBitbaseSet(badHeader, read), ArchiveStatus::Damaged);
  EXPECT_EQ(read, Bytes(set.begin(), set.begin() + 300));

  // Cut inside the last entry's data.
  const Bytes cut(archive.begin(), archive.end() - 3);
  EXPECT_EQ(readBitbaseSet(cut, read), ArchiveStatus::Damaged);
  EXPECT_LT(read.size(), set.size());
  BitbaseSet tables;
  EXPECT_LT(tables.load(read), BitbaseCount);

  // An entry whose data does not unpack.
  Bytes garbage = first;
  const Bytes h = header(1, 20, 40);
  garbage.insert(garbage.end(), h.begin(), h.end());
  for (const char c : std::string("EndgameBitbases.tbb")) garbage.push_back(uint8_t(c));
  garbage.push_back(0);
  for (int i = 0; i < 40; ++i) garbage.push_back(uint8_t(i * 37));
  EXPECT_EQ(readBitbaseSet(garbage, read), ArchiveStatus::Damaged);
  EXPECT_EQ(read.size(), 300u);
  // Entries are unpacked side by side, but none after the damaged one counts.
  for (int i = 0; i < 6; ++i) garbage.insert(garbage.end(), first.begin(), first.end());
  EXPECT_EQ(readBitbaseSet(garbage, read), ArchiveStatus::Damaged);
  EXPECT_EQ(read.size(), 300u);
}

TEST(BitbaseArchive, TheSetStopsAtItsLimit) {
  // Four entries of 1.2 MB each: the fourth would pass 4,000,000 bytes.
  const Bytes zeros(1'200'000, 0);
  const Bytes data = packEntry(zeros);
  Bytes archive;
  for (int i = 0; i < 4; ++i) appendPackedEntry(archive, data, BitbaseFileName);
  Bytes read;
  EXPECT_EQ(readBitbaseSet(archive, read), ArchiveStatus::Damaged);
  EXPECT_EQ(read.size(), 3'600'000u);
}

TEST(BitbaseArchive, MissingFileLoadsNothing) {
  Bytes read{1};
  EXPECT_EQ(readBitbaseSet(std::string("/nonexistent/EndgameBitbases.tbb"), read), ArchiveStatus::Missing);
  EXPECT_TRUE(read.empty());
}

// Records that cannot be trusted stay empty and do not count.
TEST(BitbaseRecords, InconsistentRecordsAreRefused) {
  auto word = [](Bytes& b, uint32_t v) {
    for (int s = 0; s < 32; s += 8) b.push_back(uint8_t(v >> s));
  };
  auto record = [&](uint32_t total, uint32_t count, uint32_t size, std::vector<uint16_t> index, size_t blockBytes) {
    Bytes r;
    word(r, total), word(r, count), word(r, size);
    for (const uint16_t i : index) r.push_back(uint8_t(i)), r.push_back(uint8_t(i >> 8));
    r.insert(r.end(), blockBytes, 0x5A);
    return r;
  };
  const std::vector<Bytes> bad = {
      record(32, 1, 0, {}, 0),         // block size 0
      record(48, 1, 24, {0, 0}, 24),   // not a power of two
      record(40, 1, 16, {0, 0}, 16),   // does not divide the array
      record(32, 1, 16, {0, 1}, 16),   // index names a block that is not stored
      record(32, 2, 16, {0, 1}, 16),   // blocks cut short
      record(32, 1, 16, {0}, 0),       // index cut short
  };
  for (const Bytes& r : bad) {
    SetCursor cursor{r};
    BitbaseRecord rec;
    size_t begin, end;
    EXPECT_FALSE(rec.read(cursor, begin, end));
    EXPECT_FALSE(rec.loaded());
    EXPECT_EQ(rec.bit(0), -1);
  }
  const Bytes good = record(32, 1, 16, {0, 0}, 16);
  SetCursor cursor{good};
  BitbaseRecord rec;
  size_t begin, end;
  ASSERT_TRUE(rec.read(cursor, begin, end));
  EXPECT_EQ(end, good.size());
  EXPECT_EQ(rec.bit(1), 1);   // 0x5A = 01011010
  EXPECT_EQ(rec.bit(2), 0);
  EXPECT_EQ(rec.bit(255), 0);
  EXPECT_EQ(rec.bit(256), -1);
}

TEST(BitbaseRecords, ChecksumsDecideWhichTablesLoad) {
  Bytes set = smallSet();
  BitbaseSet tables;
  ASSERT_EQ(tables.load(set), BitbaseCount);
  // Flip one byte in the last record's blocks: only that table is refused.
  set[set.size() - 1] ^= 1;
  EXPECT_EQ(tables.load(set), BitbaseCount - 1);
  EXPECT_FALSE(tables.records[BitbaseCount - 1].loaded());
  EXPECT_TRUE(tables.records[1].loaded());
  // A damaged checksum refuses the table it belongs to.
  set = smallSet();
  set[14 + 4] ^= 1;
  EXPECT_EQ(tables.load(set), BitbaseCount - 1);
  EXPECT_FALSE(tables.records[2].loaded());
  // Without its checksum table no table is trusted.
  set = smallSet();
  set[8] = 3;  // table 1's block size
  EXPECT_EQ(tables.load(set), 0);
  // A set that ends early loads the records it holds in full.
  set = smallSet();
  set.resize(set.size() - 100);
  EXPECT_EQ(tables.load(set), BitbaseCount - 1);
}

TEST(BitbaseRecords, LoadingAMissingArchiveEmptiesTheEngineTables) {
  EXPECT_EQ(loadBitbases("/nonexistent"), 0);
  EXPECT_EQ(bitbases().loadedCount, 0);
}

}  // namespace
}  // namespace tarn
