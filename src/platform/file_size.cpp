#include "platform/file_size.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarn {

std::optional<uint64_t> readableFileSize(const std::string& path) {
  // Opening (rather than only stat-ing) is the test that matters: a file we
  // cannot read later is as good as absent. Without O_NONBLOCK a named pipe
  // under a table's name would hold the open until some writer appeared.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  if (!regular) return std::nullopt;
  return uint64_t(info.st_size);
}

}  // namespace tarn
