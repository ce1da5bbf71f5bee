#include "book/opening_tree.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "board/fen.h"
#include "board/game_record.h"
#include "board/notation.h"

namespace tarn::book {

namespace {

struct StartPosition {
  CastlingSetup setup{};
  Position pos{};
  StartPosition() { readFen(pos, StartFen, setup); }
};

const Position& startPosition() {
  static const StartPosition start;
  return start.pos;
}

}  // namespace

OpeningTree::OpeningTree() { addNode(startPosition()); }

int OpeningTree::addNode(const Position& pos) {
  const auto [it, added] = nodeIndex.try_emplace(pos.key, int(nodeList.size()));
  if (added) nodeList.push_back({pos.key, toFen(pos), pos.sideToMove});
  return it->second;
}

bool OpeningTree::addLine(const std::string& moveText) {
  static const std::unique_ptr<GameRecord> record = std::make_unique<GameRecord>();
  const Position& start = startPosition();
  record->reset(start);
  Position end = start;
  bool complete = true;
  parseMovetext(*record, moveText, end, [&](std::string_view, const Position&) { complete = false; });
  ++lineCount;

  Position pos = start;
  for (int i = start.ply; i < record->count; ++i) {
    const int parent = addNode(pos);
    playMoveText(record->moveText(i), pos, nullptr);
    const int child = addNode(pos);
    if (edgeIndex.try_emplace({parent, child}, int(edgeList.size())).second) {
      std::string move = record->moveText(i);
      move.erase(move.find_last_not_of(' ') + 1);  // the record pads its texts
      edgeList.push_back({parent, child, move});
    }
  }
  return complete;
}

OpeningTree readOpeningLines(const std::vector<std::string>& files) {
  OpeningTree tree;
  for (const std::string& name : files) {
    std::ifstream in(name);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", name.c_str());
      continue;
    }
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
      if (header) {  // "eco name pgn"
        header = false;
        continue;
      }
      const size_t tab = line.rfind('\t');
      if (tab == std::string::npos) continue;
      if (!tree.addLine(line.substr(tab + 1)))
        std::fprintf(stderr, "%s: a move of \"%s\" does not play\n", name.c_str(), line.c_str());
    }
  }
  return tree;
}

}  // namespace tarn::book
