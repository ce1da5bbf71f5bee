#include "frontend/traffic_log.h"

#include <cstdio>

namespace tarn {

void TrafficLog::setPath(std::string path) {
  std::lock_guard lock(mutex);
  filePath = std::move(path);
}

void TrafficLog::append(std::string_view text) {
  if (!isEnabled()) return;
  std::lock_guard lock(mutex);
  if (filePath.empty()) return;
  std::FILE* file = std::fopen(filePath.c_str(), "a");
  if (!file) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

void TrafficLog::received(std::string_view line) {
  if (!isEnabled()) return;
  std::string entry = "Received : ";
  entry.append(line);
  entry += '\n';
  append(entry);
}

}  // namespace tarn
