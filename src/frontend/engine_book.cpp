#include "frontend/engine_book.h"

#include <mutex>

#include "frontend/status_messages.h"
#include "platform/message_hooks.h"
#include "search/search_control.h"

namespace tarn {

namespace {

std::unique_ptr<OpeningBook>& bookSlot() {
  static std::unique_ptr<OpeningBook> book = std::make_unique<OpeningBook>();
  return book;
}

std::mutex fileMutex;
std::string bookFile;

void rememberFile(const std::string& path) {
  std::lock_guard lock(fileMutex);
  bookFile = path;
}

}  // namespace

OpeningBook& openingBook() { return *bookSlot(); }

void replaceOpeningBook(std::unique_ptr<OpeningBook> book) {
  bookSlot() = book ? std::move(book) : std::make_unique<OpeningBook>();
}

std::string bookFilePath(const std::string& folder, const std::string& bookPath) {
  if (bookPath.empty()) return "";
  if (bookPath[0] == '/') return bookPath;
  return folder + "/" + bookPath;
}

std::string openingBookFile() {
  std::lock_guard lock(fileMutex);
  return bookFile;
}

bool loadOpeningBookFile(const std::string& path, ProtocolOutput& out) {
  const BookLoadReport report = openingBook().load(path);
  if (!report.opened) {
    showMessage("Error Loading Opening Book.", path.c_str());
    out.line("info string Error Loading Book : " + path);
    return false;
  }
  rememberFile(path);
  if (statusShown()) showStatus(std::to_string(report.records) + " Positions Loaded");
  out.line("info string " + std::to_string(report.records) + " opening positions loaded.");
  if (report.damaged)
    out.line("info string book " + path + ": " + std::to_string(report.damaged) +
             " records with impossible values skipped");
  if (report.strayBytes)
    out.line("info string book " + path + ": " + std::to_string(report.strayBytes) +
             " bytes at the end (not a whole record) ignored");
  if (report.refused)
    out.line("info string book " + path + ": book full, " + std::to_string(report.refused) +
             " positions not stored");
  return true;
}

bool saveOpeningBookFile(const std::string& path, const BookFilter& filter, ProtocolOutput& out) {
  std::string error;
  if (openingBook().save(path, filter.minGames, filter.whitePercent, filter.blackPercent, nullptr, &error)) {
    rememberFile(path);
    return true;
  }
  showStatus("Book not saved: " + error);
  out.line("info string Error Saving Book : " + error);
  return false;
}

int addPgnToOpeningBook(const std::string& pgnPath, const BookBuildLimits& limits, const BookFilter& filter,
                        const BookBuildProgress& progress) {
  const std::unique_ptr<OpeningBook> work = openingBook().clone();
  bool cancelled = false;
  const auto watch = [&](int games) {
    if (progress(games)) return true;
    cancelled = true;
    return false;
  };
  const int games = buildFromPgn(*work, pgnPath, limits, progress ? BookBuildProgress(watch) : BookBuildProgress{});
  if (games < 0) return games;
  if (cancelled) return BookBuildCancelled;
  replaceOpeningBook(filteredBook(*work, filter));
  showStatus("Finished Adding .PGN");
  return games;
}

void installBookProbe() {
  setBookProbe([](const Position& root, const Key* history, int count) {
    const KeyHistory keys{history, root.ply - count, root.ply};
    const BookChoice choice = openingBook().chooseMove(root, keys);
    return BookAnswer{choice.move, choice.score, choice.candidates};
  });
}

}  // namespace tarn
