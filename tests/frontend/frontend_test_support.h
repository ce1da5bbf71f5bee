// Helpers of the front-end unit tests.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include <mutex>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"
#include "frontend/engine_state.h"
#include "frontend/protocol_output.h"

namespace tarn::test {

inline void initBoardTables() {
  initZobrist();
  static const bool built = (initAttackTables(), initEvaluation(), true);
  (void)built;
}

// A protocol output that collects its lines.
class CapturedOutput {
 public:
  // The search thread writes too: the text is shared under a mutex.
  CapturedOutput()
      : output([this](std::string_view text) {
          std::lock_guard lock(mutex);
          this->text.append(text);
        }) {}

  ProtocolOutput& out() { return output; }

  // Everything written so far, split into lines; clears it.
  std::vector<std::string> take() {
    std::lock_guard lock(mutex);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    text.clear();
    return lines;
  }

 private:
  std::mutex mutex;
  std::string text;
  ProtocolOutput output;
};

// A fresh temporary folder, removed with its contents at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarn-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) folder = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return folder; }
  std::string file(const std::string& name) const { return folder + "/" + name; }

 private:
  std::string folder;
};

// While it lives, writes that would make a file larger than `bytes` fail as on
// a full disk (the signal such a write raises is ignored).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  uint64_t previousSoft = 0;
  void (*previousHandler)(int) = nullptr;
};

// The names in `folder`, sorted.
std::vector<std::string> filesIn(const std::string& folder);

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& text);

}  // namespace tarn::test
