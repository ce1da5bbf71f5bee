// Presence and size of a file without reading or mapping it (tablebase discovery).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarn {

// Size in bytes of the regular file at `path` when it opens for reading;
// nothing when it does not open or is not a regular file.
std::optional<uint64_t> readableFileSize(const std::string& path);

}  // namespace tarn
