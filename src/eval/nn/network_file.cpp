#include "eval/nn/network_file.h"

#include <cstring>

namespace tarn::nn {

NetworkFile::~NetworkFile() { close(); }

std::unique_ptr<NetworkFile> NetworkFile::openForReading(const std::string& path) {
  auto f = std::make_unique<NetworkFile>();
  f->file_ = std::fopen(path.c_str(), "rb");
  return f;
}

std::unique_ptr<NetworkFile> NetworkFile::openForWriting(const std::string& path) {
  auto f = std::make_unique<NetworkFile>();
  f->file_ = std::fopen(path.c_str(), "wb");
  f->writing_ = true;
  return f;
}

std::unique_ptr<NetworkFile> NetworkFile::fromMemory(std::span<const uint8_t> bytes) {
  auto f = std::make_unique<NetworkFile>();
  // An empty span still counts as an open (empty) file.
  static const uint8_t nothing = 0;
  f->memory_ = bytes.data() ? bytes : std::span<const uint8_t>(&nothing, 0);
  return f;
}

size_t NetworkFile::readBytes(uint8_t* out, size_t n) {
  if (file_) return std::fread(out, 1, n, file_);
  const size_t available = memory_.size() - memoryPosition_;
  const size_t count = n < available ? n : available;
  if (count) std::memcpy(out, memory_.data() + memoryPosition_, count);
  memoryPosition_ += count;
  return count;
}

BodyStatus NetworkFile::readRecord(std::span<const uint8_t>& body) {
  body = {};
  uint8_t sizeBytes[4];
  if (writing_ || !isOpen() || readBytes(sizeBytes, 4) != 4) return BodyStatus::EndOfFile;
  const uint32_t blobSize = uint32_t(sizeBytes[0]) | uint32_t(sizeBytes[1]) << 8 | uint32_t(sizeBytes[2]) << 16 |
                            uint32_t(sizeBytes[3]) << 24;
  if (blobSize > MaxBlobSize) return BodyStatus::TooLarge;

  if (!file_) {
    // Memory needs no copy: the body is viewed where it lies.
    if (memory_.size() - memoryPosition_ < blobSize) {
      memoryPosition_ = memory_.size();
      return BodyStatus::Truncated;
    }
    body = memory_.subspan(memoryPosition_, blobSize);
    memoryPosition_ += blobSize;
    return BodyStatus::Ok;
  }
  if (!buffer_) buffer_ = std::make_unique_for_overwrite<uint8_t[]>(MaxBlobSize);
  if (readBytes(buffer_.get(), blobSize) != blobSize) return BodyStatus::Truncated;
  body = std::span<const uint8_t>(buffer_.get(), blobSize);
  return BodyStatus::Ok;
}

bool NetworkFile::writeRecord(std::span<const uint8_t> body) {
  if (!writing_ || !file_ || body.size() > MaxBlobSize) return false;
  const uint32_t size = uint32_t(body.size());
  const uint8_t sizeBytes[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
  if (std::fwrite(sizeBytes, 1, 4, file_) != 4 || std::fwrite(body.data(), 1, body.size(), file_) != body.size())
    writeFailed_ = true;
  return !writeFailed_;
}

bool NetworkFile::close() {
  if (!file_) return !writeFailed_;
  const bool ok = std::fclose(file_) == 0 && !writeFailed_;
  file_ = nullptr;
  return ok;
}

}  // namespace tarn::nn
