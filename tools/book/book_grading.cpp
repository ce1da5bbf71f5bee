#include "book/book_grading.h"

#include <algorithm>

namespace tarn::book {

std::vector<int> backedUpValues(const OpeningTree& tree, const std::vector<int>& scores) {
  const size_t count = tree.nodes().size();
  std::vector<std::vector<int>> children(count);
  for (const TreeEdge& e : tree.edges()) children[size_t(e.parent)].push_back(e.child);
  // Every move adds a ply, so the lines hold no cycle; a node's children are
  // valued before the node itself.
  std::vector<int> value(count);
  std::vector<bool> done(count, false);
  std::vector<std::pair<int, size_t>> stack;
  for (size_t root = 0; root < count; ++root) {
    if (done[root]) continue;
    stack.push_back({int(root), 0});
    while (!stack.empty()) {
      auto& [node, next] = stack.back();
      const std::vector<int>& kids = children[size_t(node)];
      if (next < kids.size()) {
        const int child = kids[next++];
        if (!done[size_t(child)]) stack.push_back({child, 0});
        continue;
      }
      int best = scores[size_t(node)];
      for (int child : kids) best = std::max(best, -value[size_t(child)]);
      value[size_t(node)] = best;
      done[size_t(node)] = true;
      stack.pop_back();
    }
  }
  return value;
}

std::vector<EdgeVerdict> gradeMoves(const OpeningTree& tree, const std::vector<int>& scores, const GradingRules& rules) {
  const std::vector<TreeEdge>& edges = tree.edges();
  const std::vector<int> value = backedUpValues(tree, scores);

  std::vector<EdgeVerdict> verdicts(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) {
    EdgeVerdict& v = verdicts[i];
    v.moverScore = -value[size_t(edges[i].child)];
    v.reference = value[size_t(edges[i].parent)];
    v.kept = v.moverScore >= rules.minMoverScore && v.moverScore >= v.reference - rules.maxDeficit;
    if (!v.kept) continue;
    v.grade = v.moverScore >= v.reference - rules.strongMargin ? 2 : v.moverScore >= v.reference - rules.fairMargin ? 1 : 0;
  }
  return verdicts;
}

std::vector<BookValue> bookValues(const OpeningTree& tree, const std::vector<EdgeVerdict>& verdicts) {
  const std::vector<TreeEdge>& edges = tree.edges();
  std::vector<int> grade(tree.nodes().size(), -1);
  for (size_t i = 0; i < edges.size(); ++i)
    if (verdicts[i].kept) grade[size_t(edges[i].child)] = std::max(grade[size_t(edges[i].child)], verdicts[i].grade);

  std::vector<BookValue> values;
  for (size_t n = 0; n < grade.size(); ++n) {
    if (grade[n] < 0) continue;
    // The side to move in the position is the one that did not just move.
    const int sign = tree.nodes()[n].sideToMove == Black ? 1 : -1;
    values.push_back({tree.nodes()[n].key, sign * grade[n]});
  }
  return values;
}

}  // namespace tarn::book
