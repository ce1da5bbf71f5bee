#include "bitbases/record_builder.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "bitbases/packing_stages.h"
#include "eval/tb/bitbase_limits.h"
#include "eval/tb/bitbase_record.h"

namespace tarn::bitbase_writer {

namespace {

void putWord(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

// Fills the free bits of one block: a block whose fixed bits all agree becomes
// all zeros or all ones, which most blocks of a table share; otherwise free
// bits copy the nearest fixed bit before them, keeping runs unbroken.
void fillFreeBits(uint8_t* bits, const uint8_t* care, size_t bytes) {
  bool anyZero = false, anyOne = false;
  for (size_t i = 0; i < bytes; ++i) {
    anyOne |= (bits[i] & care[i]) != 0;
    anyZero |= (~bits[i] & care[i] & 0xFF) != 0;
  }
  if (!anyZero || !anyOne) {
    std::fill(bits, bits + bytes, anyOne ? 0xFF : 0x00);
    return;
  }
  int last = 0;
  for (size_t b = 0; b < bytes * 8; ++b) {
    const int bit = (bits[b >> 3] >> (b & 7)) & 1;
    if ((care[b >> 3] >> (b & 7)) & 1)
      last = bit;
    else if (bit != last)
      bits[b >> 3] ^= uint8_t(1 << (b & 7));
  }
}

}  // namespace

std::vector<uint8_t> buildRecord(const TableBits& table, uint32_t blockSize, RecordStats* stats) {
  std::vector<uint8_t> bits = table.bits;
  const size_t total = bits.size();
  const size_t blocks = total / blockSize;
  std::map<std::vector<uint8_t>, uint32_t> numbers;
  std::vector<uint16_t> index(blocks);
  std::vector<uint8_t> stored;
  for (size_t k = 0; k < blocks; ++k) {
    uint8_t* block = bits.data() + k * blockSize;
    fillFreeBits(block, table.care.data() + k * blockSize, blockSize);
    std::vector<uint8_t> key(block, block + blockSize);
    auto [it, added] = numbers.try_emplace(std::move(key), uint32_t(numbers.size()));
    if (added) stored.insert(stored.end(), block, block + blockSize);
    index[k] = uint16_t(it->second);
  }
  std::vector<uint8_t> record;
  if (numbers.size() > 65536) return record;
  putWord(record, uint32_t(total));
  putWord(record, uint32_t(numbers.size()));
  putWord(record, blockSize);
  for (const uint16_t i : index) record.push_back(uint8_t(i)), record.push_back(uint8_t(i >> 8));
  record.insert(record.end(), stored.begin(), stored.end());
  if (stats) *stats = {blockSize, uint32_t(numbers.size()), record.size()};
  return record;
}

std::vector<uint8_t> buildSmallestRecord(const TableBits& table, RecordStats* stats) {
  std::vector<uint8_t> best;
  for (uint32_t blockSize = 8; blockSize <= 4096; blockSize *= 2) {
    if (table.bits.size() % blockSize) break;
    RecordStats s;
    std::vector<uint8_t> record = buildRecord(table, blockSize, &s);
    if (!record.empty() && (best.empty() || record.size() < best.size())) {
      best = std::move(record);
      if (stats) *stats = s;
    }
  }
  return best;
}

std::vector<uint8_t> buildChecksumRecord(const std::vector<std::vector<uint8_t>>& otherRecords) {
  std::vector<uint8_t> sums;
  for (const auto& r : otherRecords) putWord(sums, recordChecksum(r));
  std::vector<uint8_t> record;
  putWord(record, uint32_t(sums.size()));
  putWord(record, 1);
  putWord(record, uint32_t(sums.size()));
  record.push_back(0);
  record.push_back(0);
  record.insert(record.end(), sums.begin(), sums.end());
  return record;
}

void appendEntry(std::vector<uint8_t>& archive, std::span<const uint8_t> raw, const std::string& name, uint8_t type) {
  appendPackedEntry(archive, packEntry(raw), name, type);
}

void appendPackedEntry(std::vector<uint8_t>& archive, std::span<const uint8_t> data, const std::string& name,
                       uint8_t type) {
  const uint16_t nameLength = uint16_t(name.size() + 1);
  archive.push_back(type);
  archive.push_back(0);
  archive.push_back(uint8_t(nameLength));
  archive.push_back(uint8_t(nameLength >> 8));
  putWord(archive, uint32_t(data.size()));
  archive.insert(archive.end(), name.begin(), name.end());
  archive.push_back(0);
  archive.insert(archive.end(), data.begin(), data.end());
}

bool buildArchive(std::span<const uint8_t> set, size_t chunkBytes, std::vector<uint8_t>& archive) {
  archive.clear();
  if (set.size() > MaxSetBytes) {
    std::fprintf(stderr, "the set of %zu bytes exceeds %zu\n", set.size(), MaxSetBytes);
    return false;
  }
  for (size_t at = 0; at < set.size(); at += chunkBytes) {
    const std::span<const uint8_t> chunk = set.subspan(at, std::min(chunkBytes, set.size() - at));
    PackedSizes s;
    const std::vector<uint8_t> data = packEntry(chunk, &s);
    const size_t largest = std::max({chunk.size(), s.runLength1, s.transform, s.moveToFront, s.runLength2});
    if (largest > MaxStageBytes || data.size() > size_t(MaxEntryDataSize)) {
      std::fprintf(stderr, "entry at %zu: a stage needs %zu bytes, the packed data %zu\n", at, largest, data.size());
      return false;
    }
    appendPackedEntry(archive, data, BitbaseFileName);
  }
  return true;
}

}  // namespace tarn::bitbase_writer
