// Turns full bit arrays into bitbase records with deduplicated blocks, and
// records into an archive.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarn::bitbase_writer {

// A table's bits with the positions that matter: a bit whose `care` bit is 0
// belongs to no legal position the probe can ask about, so the builder may give
// it whatever value lets its block match another.
struct TableBits {
  std::vector<uint8_t> bits;
  std::vector<uint8_t> care;
};

struct RecordStats {
  uint32_t blockSize = 0, blockCount = 0;
  size_t bytes = 0;
};

// The serialised record (totalBytes, blockCount, blockSize, index, blocks).
std::vector<uint8_t> buildRecord(const TableBits& table, uint32_t blockSize, RecordStats* stats = nullptr);

// The smallest record over the block sizes 8..4096.
std::vector<uint8_t> buildSmallestRecord(const TableBits& table, RecordStats* stats = nullptr);

// Table 1: the FNV-1a checksums of the eight other records, as one 32-byte block.
std::vector<uint8_t> buildChecksumRecord(const std::vector<std::vector<uint8_t>>& otherRecords);

// One archive entry: header, name, packed data.
void appendEntry(std::vector<uint8_t>& archive, std::span<const uint8_t> raw, const std::string& name,
                 uint8_t type = 1);
// The same with data packed already.
void appendPackedEntry(std::vector<uint8_t>& archive, std::span<const uint8_t> data, const std::string& name,
                       uint8_t type = 1);

// The whole archive: the set cut into entries of at most `chunkBytes` unpacked
// bytes. False (with a message on stderr) when a stage of some entry would not
// fit the reader's buffers.
bool buildArchive(std::span<const uint8_t> set, size_t chunkBytes, std::vector<uint8_t>& archive);

}  // namespace tarn::bitbase_writer
