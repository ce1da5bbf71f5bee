#include "platform/folder_listing.h"

#include <dirent.h>

#include <string_view>

namespace tarn {

std::optional<std::vector<std::string>> folderEntries(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return names;
}

}  // namespace tarn
