// The positions of named opening lines and the moves between them.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "board/position.h"

namespace tarn::book {

struct TreeNode {
  Key key;
  std::string fen;
  Color sideToMove;
};

struct TreeEdge {
  int parent;
  int child;
  std::string move;  // as the game record writes it
};

class OpeningTree {
 public:
  OpeningTree();

  // Adds the moves of one line (PGN move text from the start position). False
  // when a move of it cannot be played; the moves before it are kept.
  bool addLine(const std::string& moveText);

  const std::vector<TreeNode>& nodes() const { return nodeList; }  // in order of first appearance
  const std::vector<TreeEdge>& edges() const { return edgeList; }  // each (parent, child) once
  int lines() const { return lineCount; }

 private:
  int addNode(const Position& pos);

  std::vector<TreeNode> nodeList;
  std::vector<TreeEdge> edgeList;
  std::unordered_map<Key, int> nodeIndex;
  std::map<std::pair<int, int>, int> edgeIndex;
  int lineCount = 0;
};

// Reads the "eco <TAB> name <TAB> pgn" files of the named opening lines; lines
// that do not play through are reported on standard error and kept in part.
OpeningTree readOpeningLines(const std::vector<std::string>& files);

}  // namespace tarn::book
