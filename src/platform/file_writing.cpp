#include "platform/file_writing.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

namespace {

std::string describe(const char* step, const std::string& path, int code) {
  return std::string(step) + " " + path + ": " + strerror(code);
}

// Writes all of `text`, retrying short writes; false with errno set on failure.
bool writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = write(fd, text.data(), text.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (written == 0) {
      errno = EIO;
      return false;
    }
    text.remove_prefix(size_t(written));
  }
  return true;
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The mode a new file gets: the old file's, or what the umask leaves of 0666.
mode_t modeFor(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::string_view contents, std::string* error) {
  std::string temporary = path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    setError(error, describe("cannot create a temporary file beside", path, errno));
    return false;
  }
  fchmod(fd, modeFor(path));
  const bool written = writeAll(fd, contents) && fsync(fd) == 0;
  const int writeError = errno;
  const bool closed = close(fd) == 0;
  if (!written || !closed) {
    unlink(temporary.c_str());
    setError(error, describe("cannot write", path, written ? errno : writeError));
    return false;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    unlink(temporary.c_str());
    setError(error, describe("cannot replace", path, renameError));
    return false;
  }
  return true;
}

bool appendToFile(const std::string& path, std::string_view text, std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    setError(error, describe("cannot open", path, errno));
    return false;
  }
  struct stat before {};
  const bool sized = fstat(fd, &before) == 0;
  if (writeAll(fd, text) && fsync(fd) == 0) {
    if (close(fd) == 0) return true;
    setError(error, describe("cannot write", path, errno));
    return false;
  }
  const int writeError = errno;
  // Take back the part that did get written.
  if (sized) {
    const int ignored = ftruncate(fd, before.st_size);  // nothing more can be done if this fails too
    (void)ignored;
  }
  close(fd);
  setError(error, describe("cannot write", path, writeError));
  return false;
}

}  // namespace tarn
