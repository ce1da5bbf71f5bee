#include "book/book_grading.h"

#include <algorithm>

namespace tarn::book {

std::vector<EdgeVerdict> gradeMoves(const OpeningTree& tree, const std::vector<int>& scores, const GradingRules& rules) {
  const std::vector<TreeEdge>& edges = tree.edges();
  // The best a side can do in a position: its own search, or a line move that scored better.
  std::vector<int> best(scores.begin(), scores.end());
  for (const TreeEdge& e : edges) best[size_t(e.parent)] = std::max(best[size_t(e.parent)], -scores[size_t(e.child)]);

  std::vector<EdgeVerdict> verdicts(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) {
    EdgeVerdict& v = verdicts[i];
    v.moverScore = -scores[size_t(edges[i].child)];
    v.reference = best[size_t(edges[i].parent)];
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
