#include "frontend/pgn_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tarn {

namespace {

// A single line longer than a whole move text is not a line of a game.
constexpr size_t MaxLineLength = MaxMoveTextLength;

constexpr std::string_view GameStartTags[] = {"[Event", "[Site",   "[Date", "[Round",    "[White",
                                              "[Black", "[Result", "[ECO",  "[PlyCount", "[EventDate"};

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool isBlankLine(std::string_view line) {
  for (char c : line)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

// Appends as much of `line` as fits within the move text limit, cutting at a
// blank so that no word arrives in part.
// Returns false when not all of it fitted.
bool appendLine(std::string& moveText, const std::string& line) {
  const size_t room = MaxMoveTextLength - std::min(moveText.size(), MaxMoveTextLength);
  if (line.size() + 1 <= room) {
    moveText += line;
    moveText += '\n';
    return true;
  }
  size_t cut = std::min(room, line.size());
  while (cut > 0 && static_cast<unsigned char>(line[cut]) > ' ' && cut < line.size()) --cut;
  moveText.append(line, 0, cut);
  return false;
}

}  // namespace

bool startsPgnGame(std::string_view line) {
  for (std::string_view tag : GameStartTags)
    if (line.substr(0, tag.size()) == tag) return true;
  return false;
}

bool PgnReader::fill() {
  bufferPos = 0;
  bufferEnd = std::fread(buffer, 1, sizeof buffer, file);
  return bufferEnd > 0;
}

bool PgnReader::readLine(std::string& line) {
  line.clear();
  cutLines = false;
  bool any = false;
  for (;;) {
    if (bufferPos == bufferEnd && !fill()) break;
    any = true;
    const char* start = buffer + bufferPos;
    const char* end = static_cast<const char*>(std::memchr(start, '\n', bufferEnd - bufferPos));
    const size_t length = size_t((end ? end : buffer + bufferEnd) - start);
    const size_t kept = std::min(length, MaxLineLength - std::min(line.size(), MaxLineLength));
    line.append(start, kept);
    cutLines = cutLines || kept < length;
    bufferPos += length + (end ? 1 : 0);
    if (end) break;
  }
  if (!any) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (atStart) {
    atStart = false;
    if (line.substr(0, ByteOrderMark.size()) == ByteOrderMark) line.erase(0, ByteOrderMark.size());
  }
  return true;
}

bool PgnReader::nextGame(PgnHeader& header, std::string& moveText) {
  header = PgnHeader{};
  moveText.clear();
  textCut = false;
  const auto append = [&](const std::string& text) { textCut = !appendLine(moveText, text) || cutLines || textCut; };
  std::string line;
  if (hasPending) {
    line = std::move(pending);
    hasPending = false;
  } else {
    do {
      if (!readLine(line)) return false;
    } while (!startsPgnGame(line));
  }
  ++games;

  // The tag section: the first line and every line after it that begins with "[".
  // A game-opening tag seen a second time starts the next game (a game without moves).
  std::vector<std::string> opened;
  const auto openingTag = [](const std::string& tagLine) { return tagLine.substr(0, tagLine.find_first_of(" \t\"")); };
  header.readTagLine(line);
  opened.push_back(openingTag(line));
  bool more;
  while ((more = readLine(line)) && !line.empty() && line[0] == '[') {
    if (startsPgnGame(line)) {
      if (std::find(opened.begin(), opened.end(), openingTag(line)) != opened.end()) {
        pending = std::move(line);
        hasPending = true;
        return true;
      }
      opened.push_back(openingTag(line));
    }
    header.readTagLine(line);
  }
  if (!more) return true;
  if (!isBlankLine(line)) append(line);

  while (readLine(line)) {
    if (startsPgnGame(line)) {
      pending = std::move(line);
      hasPending = true;
      break;
    }
    append(line);
  }
  return true;
}

int readPgnGame(std::FILE* file, int n, PgnHeader& header, std::string& moveText) {
  PgnReader reader(file);
  PgnHeader h;
  std::string text;
  while (reader.gamesRead() < n && reader.nextGame(h, text)) {
  }
  if (reader.gamesRead() == n) {
    header = std::move(h);
    moveText = std::move(text);
  }
  return reader.gamesRead();
}

}  // namespace tarn
