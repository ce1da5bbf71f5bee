// Makes the book we ship from the named opening lines, in two steps:
//
//   make_book score --depth D [--shard I/N] [--data FOLDER] TSV...
//       searches every position of the lines to depth D (one thread, a cleared
//       16 MB table for each, so every score is the same on every run and in
//       any shard) and prints "KEY SCORE FEN" lines, score for the side to move
//   make_book build [--report FILE] SCORES... -- TSV... OUT.tcb
//       grades every move of the lines by those scores, keeps the sound ones
//       and writes the book; the report lists every move with its verdict
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/zobrist.h"
#include "book/book_grading.h"
#include "book/opening_tree.h"
#include "frontend/bench.h"
#include "frontend/opening_book.h"
#include "search/search_control.h"
#include "search/time_management.h"
#include "search/transposition_table.h"

using namespace tarn;
using namespace tarn::book;

namespace {

constexpr int TableMegabytes = 16;

int usage() {
  std::fprintf(stderr,
               "usage: make_book score --depth D [--shard I/N] [--data FOLDER] TSV...\n"
               "       make_book build [--report FILE] SCORES... -- TSV... OUT.tcb\n");
  return 2;
}

int score(int argc, char** argv) {
  int depth = 0, shard = 0, shards = 1;
  std::string data = "data";
  std::vector<std::string> files;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--depth" && i + 1 < argc) {
      depth = std::atoi(argv[++i]);
    } else if (arg == "--shard" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%d/%d", &shard, &shards) != 2 || shards < 1 || shard < 0 || shard >= shards)
        return usage();
    } else if (arg == "--data" && i + 1 < argc) {
      data = argv[++i];
    } else {
      files.emplace_back(arg);
    }
  }
  if (depth < 1 || files.empty()) return usage();

  if (!prepareFixedDepthSearches(data, TableMegabytes)) return std::fprintf(stderr, "no memory for the table\n"), 1;
  TranspositionTable& table = transpositionTable();

  const OpeningTree tree = readOpeningLines(files);
  std::fprintf(stderr, "%d lines, %zu positions, %zu moves\n", tree.lines(), tree.nodes().size(), tree.edges().size());
  int done = 0;
  for (size_t n = size_t(shard); n < tree.nodes().size(); n += size_t(shards)) {
    const TreeNode& node = tree.nodes()[n];
    CastlingSetup setup{};
    Position pos{};
    readFen(pos, node.fen, setup);
    // A cleared table of age 0 makes each search independent of the ones before it.
    table.clear();
    table.age.store(0);
    firstSearchOfGame.store(false);
    const SearchOutcome outcome = searchFixedDepth(pos, depth);
    std::printf("%016" PRIx64 " %d %s\n", node.key, outcome.score, node.fen.c_str());
    std::fflush(stdout);
    if (++done % 200 == 0) std::fprintf(stderr, "shard %d: %d positions\n", shard, done);
  }
  return 0;
}

bool readScores(const std::string& file, std::unordered_map<Key, int>& scores) {
  std::ifstream in(file);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    uint64_t key = 0;
    int value = 0;
    if (std::sscanf(line.c_str(), "%" SCNx64 " %d", &key, &value) == 2) scores[key] = value;
  }
  return true;
}

int build(int argc, char** argv) {
  std::string reportFile;
  std::vector<std::string> scoreFiles, files;
  bool lines = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--report" && i + 1 < argc) reportFile = argv[++i];
    else if (arg == "--") lines = true;
    else (lines ? files : scoreFiles).emplace_back(arg);
  }
  if (scoreFiles.empty() || files.size() < 2) return usage();
  const std::string output = files.back();
  files.pop_back();

  initZobrist();
  initAttackTables();
  std::unordered_map<Key, int> byKey;
  for (const std::string& f : scoreFiles)
    if (!readScores(f, byKey)) return std::fprintf(stderr, "cannot read %s\n", f.c_str()), 1;

  const OpeningTree tree = readOpeningLines(files);
  std::vector<int> scores;
  for (const TreeNode& node : tree.nodes()) {
    const auto it = byKey.find(node.key);
    if (it == byKey.end()) return std::fprintf(stderr, "no score for %s\n", node.fen.c_str()), 1;
    scores.push_back(it->second);
  }
  const std::vector<EdgeVerdict> verdicts = gradeMoves(tree, scores);

  OpeningBook book;
  for (const BookValue& v : bookValues(tree, verdicts)) book.add(v.key, v.value, MoverUnknown, true);
  int written = 0;
  std::string error;
  if (!book.save(output, 0, 0, 0, &written, &error)) return std::fprintf(stderr, "%s\n", error.c_str()), 1;

  int kept = 0, grades[3] = {0, 0, 0};
  for (const EdgeVerdict& v : verdicts)
    if (v.kept) ++kept, ++grades[v.grade];
  std::printf("%d lines, %zu positions, %zu moves: %d kept (value 2: %d, 1: %d, 0: %d), %zu dropped; %d book positions\n",
              tree.lines(), tree.nodes().size(), tree.edges().size(), kept, grades[2], grades[1], grades[0],
              verdicts.size() - size_t(kept), written);

  if (!reportFile.empty()) {
    std::ofstream report(reportFile);
    report << "# position before the move\tmove\tscore for the mover\tbest of the position\tverdict\n";
    for (size_t i = 0; i < verdicts.size(); ++i) {
      const TreeEdge& e = tree.edges()[i];
      const EdgeVerdict& v = verdicts[i];
      report << tree.nodes()[size_t(e.parent)].fen << '\t' << e.move << '\t' << v.moverScore << '\t' << v.reference
             << '\t' << (v.kept ? "value " + std::to_string(v.grade) : std::string("dropped")) << '\n';
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  if (command == "score") return score(argc, argv);
  if (command == "build") return build(argc, argv);
  return usage();
}
