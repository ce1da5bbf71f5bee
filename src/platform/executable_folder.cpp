#include "platform/executable_folder.h"

#include <limits.h>
#include <unistd.h>

#include <vector>

namespace tarn {

std::string folderOfPath(std::string_view path) {
  std::string collapsed;
  collapsed.reserve(path.size());
  for (char c : path)
    if (c != '/' || collapsed.empty() || collapsed.back() != '/') collapsed += c;
  const size_t last = collapsed.rfind('/');
  if (last == std::string::npos) return ".";
  if (last == 0) return "/";
  return collapsed.substr(0, last);
}

std::string executableFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return ".";
  return folderOfPath(std::string_view(buffer.data(), size_t(length)));
}

std::string pathBesideExecutable(std::string_view name) {
  std::string folder = executableFolder();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder + std::string(name);
}

bool setCurrentDirectory(const std::string& folder) { return chdir(folder.c_str()) == 0; }

std::string currentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (!getcwd(buffer.data(), buffer.size())) return {};
  return buffer.data();
}

}  // namespace tarn
