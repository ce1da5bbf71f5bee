// A whole file mapped read-only into memory (tablebase files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { close(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;

  // Which step of the last open() or close() failed, with the system's error code.
  enum class Failure { None, Open, Map, Unmap };

  // Maps the file at `path`, closing any earlier mapping first. False when the
  // file cannot be opened, is empty or cannot be mapped; the object is then
  // closed and failure()/errorCode() say why.
  bool open(const std::string& path);

  // Unmaps the file; harmless when nothing is mapped. False when the system
  // refused to unmap (the object forgets the mapping all the same).
  bool close();

  bool isOpen() const { return bytes != nullptr; }
  size_t size() const { return length; }
  const uint8_t* data() const { return bytes; }
  Failure failure() const { return failed; }
  unsigned long errorCode() const { return error; }

 private:
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  Failure failed = Failure::None;
  unsigned long error = 0;
};

}  // namespace tarn
