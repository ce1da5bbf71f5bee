#include "frontend/line_reader.h"

namespace tarn {

bool LineReader::readLine(std::string& line, size_t limit) {
  line.clear();
  bool readAnything = false;
  int c;
  while ((c = std::getc(input)) != EOF) {
    readAnything = true;
    if (c == '\n') break;
    if (line.size() < limit) line += char(c);
  }
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return readAnything;
}

}  // namespace tarn
