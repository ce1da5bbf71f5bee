// The book the engine plays from: the process's one OpeningBook, its file,
// the messages of loading and saving, and the probe the search asks.
#pragma once

#include <memory>
#include <string>

#include "frontend/book_builder.h"
#include "frontend/opening_book.h"
#include "frontend/protocol_output.h"

namespace tarn {

// The process's book (created empty on first use).
OpeningBook& openingBook();

// Replaces the book by `book`, or by an empty one. The search must not be running.
void replaceOpeningBook(std::unique_ptr<OpeningBook> book = nullptr);

// The file a "BookPath" value names: an absolute path as it is, any other
// relative to `folder` (the executable's). Empty for an empty value.
std::string bookFilePath(const std::string& folder, const std::string& bookPath);

// The file the book was last loaded from or saved to, for reports.
std::string openingBookFile();

// Loads `path` into the book and says so: "info string %d opening positions
// loaded." (or "info string Error Loading Book : PATH") on `out`, the count on
// the status line and, on failure, a message box. Damage, stray bytes and
// records refused by a full book get an "info string" line each.
bool loadOpeningBookFile(const std::string& path, ProtocolOutput& out);

// Saves the book to `path` with `filter` (a plain save passes minGames 0 and
// percentages 0). A failure is reported on the status line and as "info string".
bool saveOpeningBookFile(const std::string& path, const BookFilter& filter, ProtocolOutput& out);

// The editor's "Add PGN": builds from the games of `pgnPath` on a copy of the
// book, then keeps what `filter` lets through (game entries with value 0, plain
// entries as they were) as the new book. Returns the number of games read; -1
// when the file cannot be opened and BookBuildCancelled when `progress` stopped
// the build: the book is then unchanged.
constexpr int BookBuildCancelled = -2;
int addPgnToOpeningBook(const std::string& pgnPath, const BookBuildLimits& limits, const BookFilter& filter,
                        const BookBuildProgress& progress = {});

// The search asks this book before an ordinary search.
void installBookProbe();

}  // namespace tarn
