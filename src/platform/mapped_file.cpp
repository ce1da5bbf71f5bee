#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tarn {

MappedFile::MappedFile(MappedFile&& other) noexcept
    : bytes(std::exchange(other.bytes, nullptr)), length(std::exchange(other.length, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    close();
    bytes = std::exchange(other.bytes, nullptr);
    length = std::exchange(other.length, 0);
  }
  return *this;
}

bool MappedFile::open(const std::string& path) {
  close();
  failed = Failure::None;
  error = 0;
  // Non-blocking, so that a named pipe in a file's place fails below instead of waiting.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    failed = Failure::Open;
    error = static_cast<unsigned long>(errno);
    return false;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
    failed = Failure::Open;
    error = static_cast<unsigned long>(errno);
    ::close(fd);
    return false;
  }
  void* view = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    failed = Failure::Map;
    error = static_cast<unsigned long>(errno);
  }
  ::close(fd);  // the mapping keeps the file open
  if (view == MAP_FAILED) return false;
  bytes = static_cast<const uint8_t*>(view);
  length = size_t(info.st_size);
  return true;
}

bool MappedFile::close() {
  bool unmapped = true;
  if (bytes && munmap(const_cast<uint8_t*>(bytes), length) != 0) {
    unmapped = false;
    failed = Failure::Unmap;
    error = static_cast<unsigned long>(errno);
  }
  bytes = nullptr;
  length = 0;
  return unmapped;
}

}  // namespace tarn
