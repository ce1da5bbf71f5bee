// The names in a folder (tablebase discovery looks up thousands of candidate
// names; one listing replaces as many failed opens).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn {

// Names of the entries of `folder` ("." and ".." left out), in no particular
// order; nothing when the folder cannot be read.
std::optional<std::vector<std::string>> folderEntries(const std::string& folder);

}  // namespace tarn
