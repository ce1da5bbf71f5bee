#include "eval/tb/bitbase_archive.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "eval/tb/arithmetic_decoder.h"
#include "eval/tb/bitbase_limits.h"
#include "eval/tb/burrows_wheeler.h"
#include "eval/tb/move_to_front.h"
#include "eval/tb/run_length.h"

namespace tarn {

namespace {

// Entries unpacked at once: each needs some 12 MB of stage buffers.
constexpr size_t MaxUnpackThreads = 4;

// Reads bytes from memory or from a file, whichever the archive is in.
class ByteSource {
 public:
  explicit ByteSource(std::span<const uint8_t> memory) : memory_(memory) {}
  explicit ByteSource(std::FILE* file) : file_(file) {}

  // Fills `out` with n bytes; false when the source ends first.
  bool read(std::vector<uint8_t>& out, size_t n) {
    out.resize(n);
    if (n == 0) return true;
    if (file_) return std::fread(out.data(), 1, n, file_) == n;
    if (memory_.size() - position_ < n) {
      position_ = memory_.size();
      return false;
    }
    std::memcpy(out.data(), memory_.data() + position_, n);
    position_ += n;
    return true;
  }
  bool atEnd() {
    if (!file_) return position_ == memory_.size();
    const int c = std::fgetc(file_);
    if (c == EOF) return true;
    std::ungetc(c, file_);
    return false;
  }

 private:
  std::span<const uint8_t> memory_;
  size_t position_ = 0;
  std::FILE* file_ = nullptr;
};

struct EntryHeader {
  int type;
  int nameLength;
  int32_t dataSize;

  bool valid() const {
    return type >= 1 && type <= 4 && nameLength >= 0 && nameLength <= MaxEntryNameLength && dataSize >= 0 &&
           dataSize <= MaxEntryDataSize;
  }
};

EntryHeader parseHeader(const uint8_t* h) {
  const int16_t nameLength = int16_t(uint16_t(h[2] | h[3] << 8));
  const int32_t dataSize = int32_t(uint32_t(h[4]) | uint32_t(h[5]) << 8 | uint32_t(h[6]) << 16 | uint32_t(h[7]) << 24);
  return {h[0], nameLength, dataSize};
}

// The name is the text before the first zero byte, compared without regard to case.
bool isBitbaseName(const std::vector<uint8_t>& name) {
  const char* expected = BitbaseFileName;
  size_t i = 0;
  for (; i < name.size() && name[i] != 0; ++i) {
    if (expected[i] == '\0' || std::tolower(name[i]) != std::tolower(static_cast<unsigned char>(expected[i])))
      return false;
  }
  return expected[i] == '\0';
}

struct PendingEntry {
  std::vector<uint8_t> data, unpacked;
  bool unpackedWell = false;

  void unpack() { unpackedWell = unpackEntry(data, unpacked); }
};

// Unpacking dominates loading, so the entries of a batch are unpacked side by
// side, one thread each; without a thread an entry is unpacked here.
void unpackAll(std::vector<PendingEntry>& entries) {
  std::vector<std::thread> helpers;
  for (size_t i = 1; i < entries.size(); ++i) {
    try {
      helpers.emplace_back(&PendingEntry::unpack, &entries[i]);
    } catch (const std::system_error&) {
      entries[i].unpack();
    }
  }
  if (!entries.empty()) entries[0].unpack();
  for (std::thread& t : helpers) t.join();
}

// Entries are read a batch at a time, which bounds the memory held for a file
// of many entries, and appended in file order.
ArchiveStatus readEntries(ByteSource& source, std::vector<uint8_t>& set) {
  set.clear();
  const size_t batchSize = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, MaxUnpackThreads);
  std::vector<PendingEntry> batch;
  std::vector<uint8_t> header, name;
  ArchiveStatus status = ArchiveStatus::Complete;
  bool first = true;
  while (status == ArchiveStatus::Complete) {
    batch.clear();
    while (batch.size() < batchSize) {
      if (source.atEnd()) {
        if (first) return ArchiveStatus::BadFirstHeader;
        break;
      }
      const bool headerRead = source.read(header, ArchiveHeaderSize);
      const EntryHeader h = headerRead ? parseHeader(header.data()) : EntryHeader{0, 0, 0};
      if (!headerRead || !h.valid()) {
        if (first) return ArchiveStatus::BadFirstHeader;
        status = ArchiveStatus::Damaged;
        break;
      }
      first = false;
      std::vector<uint8_t> data;
      if (!source.read(name, size_t(h.nameLength)) || !source.read(data, size_t(h.dataSize))) {
        status = ArchiveStatus::Damaged;
        break;
      }
      if (h.dataSize == 0 || !isBitbaseName(name)) continue;
      batch.push_back({std::move(data), {}, false});
    }
    if (batch.empty()) return status;
    unpackAll(batch);
    for (const PendingEntry& e : batch) {
      if (!e.unpackedWell || e.unpacked.size() > MaxSetBytes - set.size()) return ArchiveStatus::Damaged;
      set.insert(set.end(), e.unpacked.begin(), e.unpacked.end());
    }
  }
  return status;
}

}  // namespace

bool unpackEntry(std::span<const uint8_t> data, std::vector<uint8_t>& out) {
  std::vector<uint8_t> a, b;
  if (!decodeArithmetic(data, a, MaxStageBytes)) return false;
  if (!decodeRunLength(a, b, MaxStageBytes)) return false;
  decodeMoveToFront(b, a);
  if (!inverseBurrowsWheeler(a, b, MaxStageBytes)) return false;
  return decodeRunLength(b, out, MaxStageBytes);
}

ArchiveStatus readBitbaseSet(std::span<const uint8_t> archive, std::vector<uint8_t>& set) {
  ByteSource source(archive);
  return readEntries(source, set);
}

ArchiveStatus readBitbaseSet(const std::string& path, std::vector<uint8_t>& set) {
  set.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return ArchiveStatus::Missing;
  ByteSource source(file);
  const ArchiveStatus status = readEntries(source, set);
  std::fclose(file);
  return status;
}

}  // namespace tarn
