// Writing files so that a failure never destroys what was there.
//
// A whole-file write goes to a temporary file in the same folder, is flushed to
// the disk and only then renamed over the old file, so a reader sees either the
// old contents or the new, never a truncated mix. An append that fails part way
// cuts the file back to its old length, so a half-written record never stays at
// its end.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Replaces the file at `path` by `contents`. On failure the old file is unchanged,
// no temporary file is left behind, and `error` (when given) says what failed.
bool replaceFileContents(const std::string& path, std::string_view contents, std::string* error = nullptr);

// Appends `text` to the file at `path`, creating it when absent. On failure the
// file keeps its old contents and `error` (when given) says what failed.
bool appendToFile(const std::string& path, std::string_view text, std::string* error = nullptr);

}  // namespace tarn
