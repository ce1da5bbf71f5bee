#include "frontend/book_command.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/notation.h"
#include "board/zobrist.h"
#include "frontend/book_builder.h"
#include "frontend/command_line.h"
#include "frontend/engine_book.h"
#include "frontend/settings.h"
#include "platform/executable_folder.h"

namespace tarn {

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tarnchess book probe [--book FILE] FEN\n"
               "       tarnchess book build [--from F] [--up-to U] [--max-games N] [--min-count C]\n"
               "                            [--white-pct W] [--black-pct B] PGN... OUT.tcb\n");
  return 1;
}

// A whole number in [low, high], or nothing.
std::optional<double> numberArgument(std::string_view text, double low, double high) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !(value >= low && value <= high)) return std::nullopt;
  return value;
}

int runProbe(int argc, char** argv) {
  std::string bookPath;
  bool bookGiven = false;
  std::string fen;
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--book") {
      if (++i >= argc) return usage();
      bookPath = argv[i];
      bookGiven = true;
      continue;
    }
    // The FEN may come as one argument or as its fields, unquoted.
    if (!fen.empty()) fen += ' ';
    fen += arg;
  }
  if (fen.empty()) return usage();
  if (!bookGiven) {
    Settings settings;
    addEngineDefaults(settings);
    loadSettings(settings, pathBesideExecutable("engineWB.dft"));
    bookPath = bookFilePath(executableFolder(), settings["BookPath"]);
  }

  Position pos{};
  if (!readCommandLineFen("book probe", fen, pos)) return 1;
  const bool chess960 = hasChess960Castling(pos);
  chess960Mode.store(chess960, std::memory_order_relaxed);

  const BookLoadReport report = openingBook().load(bookPath);
  if (!report.opened) {
    std::fprintf(stderr, "tarnchess book probe: cannot read the book \"%s\"\n", bookPath.c_str());
    return 1;
  }
  if (report.damaged || report.strayBytes)
    std::fprintf(stderr, "tarnchess book probe: \"%s\" is damaged: %d records and %d bytes skipped\n",
                 bookPath.c_str(), report.damaged, report.strayBytes);

  std::string out;
  BookCandidate found[MaxBookCandidates];
  const KeyHistory noHistory;
  const int count = openingBook().candidates(pos, noHistory, found);
  for (int i = 0; i < count; ++i)
    out += moveToCoordinate(found[i].move, pos, chess960) + " " + std::to_string(found[i].value) + "\n";
  const BookChoice choice = openingBook().chooseMove(pos, noHistory);
  out += "bookmove " + (choice.move ? moveToCoordinate(choice.move, pos, chess960) : std::string("none")) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return 0;
}

int runBuild(int argc, char** argv) {
  BookBuildLimits limits;
  BookFilter filter;
  std::vector<std::string> files;
  struct Flag {
    const char* name;
    double low, high;
    std::function<void(double)> set;
  };
  const Flag flags[] = {
      {"--from", MinBuildMove, MaxBuildMove, [&](double v) { limits.fromMove = int(v); }},
      {"--up-to", MinBuildMove, MaxBuildMove, [&](double v) { limits.upToMove = int(v); }},
      {"--max-games", 1, 2e9, [&](double v) { limits.maxGames = int(v); }},
      {"--min-count", 1, 65535, [&](double v) { filter.minGames = int(v); }},
      {"--white-pct", 0, 100, [&](double v) { filter.whitePercent = v; }},
      {"--black-pct", 0, 100, [&](double v) { filter.blackPercent = v; }},
  };
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const Flag* flag = nullptr;
    for (const Flag& f : flags)
      if (arg == f.name) flag = &f;
    if (!flag) {
      files.emplace_back(arg);
      continue;
    }
    const auto value = i + 1 < argc ? numberArgument(argv[i + 1], flag->low, flag->high) : std::nullopt;
    if (!value) {
      std::fprintf(stderr, "tarnchess book build: %s needs a number from %g to %g\n", flag->name, flag->low,
                   flag->high);
      return 1;
    }
    flag->set(*value);
    ++i;
  }
  if (files.size() < 2) return usage();
  const std::string output = files.back();
  files.pop_back();

  initZobrist();
  initAttackTables();
  OpeningBook& book = openingBook();
  for (const std::string& pgn : files) {
    const int games = buildFromPgn(book, pgn, limits);
    if (games < 0) {
      std::fprintf(stderr, "tarnchess book build: cannot open \"%s\"\n", pgn.c_str());
      return 1;
    }
    limits.maxGames -= games;
    if (limits.maxGames <= 0) break;
  }
  int written = 0;
  std::string error;
  if (!book.save(output, filter.minGames, filter.whitePercent, filter.blackPercent, &written, &error)) {
    std::fprintf(stderr, "tarnchess book build: %s\n", error.c_str());
    return 1;
  }
  std::printf("positions %d\n", written);
  std::fflush(stdout);
  return 0;
}

}  // namespace

int runBookCommand(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string_view what = argv[2];
  if (what == "probe") return runProbe(argc, argv);
  if (what == "build") return runBuild(argc, argv);
  return usage();
}

}  // namespace tarn
