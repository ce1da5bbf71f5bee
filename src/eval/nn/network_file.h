// The network file "NeuralNets.tnn" as a sequence of records, read from disk or
// from memory, or written to disk.
//
// A record is a little-endian u32 blobSize followed by blobSize bytes of body.
// Bodies larger than MaxBlobSize are refused before anything of them is read:
// the reader keeps one body buffer of exactly that size and never reads past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace tarn::nn {

constexpr uint32_t MaxBlobSize = 3'000'000;

enum class BodyStatus {
  Ok,
  EndOfFile,  // not even the four bytes of blobSize were left
  TooLarge,   // blobSize above MaxBlobSize; the body was not read
  Truncated,  // the file ended inside the body
};

class NetworkFile {
 public:
  NetworkFile() = default;
  ~NetworkFile();
  NetworkFile(const NetworkFile&) = delete;
  NetworkFile& operator=(const NetworkFile&) = delete;

  // A file on disk, opened for reading or writing in binary mode; isOpen() says whether it worked.
  static std::unique_ptr<NetworkFile> openForReading(const std::string& path);
  static std::unique_ptr<NetworkFile> openForWriting(const std::string& path);
  // Bytes in memory, read like a file; the caller keeps them alive.
  static std::unique_ptr<NetworkFile> fromMemory(std::span<const uint8_t> bytes);

  bool isOpen() const { return file_ != nullptr || memory_.data() != nullptr; }

  // Reads the next record's blobSize and body. On Ok, `body` views the body until
  // the next call.
  BodyStatus readRecord(std::span<const uint8_t>& body);
  // Appends one record; false when the body is too large or the write failed.
  bool writeRecord(std::span<const uint8_t> body);
  // Flushes and closes a file being written; false if anything failed on the way.
  bool close();

 private:
  size_t readBytes(uint8_t* out, size_t n);

  std::FILE* file_ = nullptr;
  bool writing_ = false;
  bool writeFailed_ = false;
  std::span<const uint8_t> memory_;
  size_t memoryPosition_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;  // MaxBlobSize bytes, made on the first body read from disk
};

}  // namespace tarn::nn
