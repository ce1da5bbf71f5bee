// Helpers of the Syzygy tests: the table copies under tests/data, reference
// lines, scratch folders and positions from FEN.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"

namespace tarn::test {

// The 3- and 4-man tables.
inline std::string smallTables() { return std::string(TARN_TEST_DATA) + "/syzygy"; }
inline std::string testData(const std::string& name) { return std::string(TARN_TEST_DATA) + "/" + name; }

inline void initBoard() {
  initZobrist();
  static const bool built = (initAttackTables(), true);
  (void)built;
}

// One line "FEN ; key value ; key value ...".
struct ReferenceLine {
  std::string fen;
  std::map<std::string, std::string> fields;
  int number(const std::string& key) const { return std::stoi(fields.at(key)); }
};

inline std::vector<ReferenceLine> readReference(const std::string& path) {
  std::vector<ReferenceLine> lines;
  std::ifstream in(path);
  for (std::string text; std::getline(in, text);) {
    if (text.empty()) continue;
    ReferenceLine line;
    size_t start = 0;
    for (bool first = true;; first = false) {
      const size_t end = text.find(" ; ", start);
      const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (first) {
        line.fen = part;
      } else {
        const size_t blank = part.find(' ');
        line.fields[part.substr(0, blank)] = blank == std::string::npos ? "" : part.substr(blank + 1);
      }
      if (end == std::string::npos) break;
      start = end + 3;
    }
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A fresh temporary folder, removed with its contents at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarn-syzygy-XXXXXX").string();
    folder = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return folder; }
  std::string file(const std::string& name) const { return folder + "/" + name; }
  // Copies a table file of the test data here.
  void copyTable(const std::string& name) const {
    std::filesystem::copy_file(smallTables() + "/" + name, file(name),
                               std::filesystem::copy_options::overwrite_existing);
  }

 private:
  std::string folder;
};

// A position with its own castling record.
struct TestPosition {
  CastlingSetup setup{};
  Position pos{};
  explicit TestPosition(const std::string& fen) {
    initBoard();
    ok = readFen(pos, fen, setup);
  }
  TestPosition(const TestPosition&) = delete;
  TestPosition& operator=(const TestPosition&) = delete;
  bool ok = false;
};

}  // namespace tarn::test
