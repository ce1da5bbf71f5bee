// Book files: any bytes load without harm; every whole record with a value a
// book can hold is found afterwards with that value, the rest is counted as
// damage, and what is saved loads again to the same book.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "frontend/opening_book.h"

namespace {

using namespace tarn;

// A fresh book costs 10 MB of zeroing: books are reused for this many inputs,
// which also lets loads add to what earlier ones left.
constexpr int InputsPerBook = 256;

std::string temporaryPath(const char* name) {
  return std::string(P_tmpdir) + "/tarn-fuzz-book-" + std::to_string(getpid()) + "-" + name;
}

void require(bool ok, const char* what, size_t size) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_opening_book: %s (input of %zu bytes)\n", what, size);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<OpeningBook> book, again;  // again: what the saves load to
  static std::map<Key, int> expected;               // what the book must hold
  static int inputs = 0;
  if (!book || ++inputs % InputsPerBook == 0) {
    book = std::make_unique<OpeningBook>();
    again = std::make_unique<OpeningBook>();
    expected.clear();
  }
  static const std::string path = temporaryPath("in.tcb"), saved = temporaryPath("out.tcb");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), long(size));

  const BookLoadReport report = book->load(path);
  require(report.opened, "a readable file did not open", size);
  require(report.records == int(size / BookRecordSize), "records miscounted", size);
  require(report.strayBytes == int(size % BookRecordSize), "stray bytes miscounted", size);
  int damaged = 0;
  for (size_t at = 0; at + BookRecordSize <= size; at += BookRecordSize) {
    Key key = 0;
    for (int i = 7; i >= 0; --i) key = (key << 8) | data[at + size_t(i)];
    const int value = int16_t(uint16_t(data[at + 8] | (data[at + 9] << 8)));
    if (value < -BookMaxPlainValue || value > BookMaxPlainValue) ++damaged;
    else expected[key] = value;
  }
  require(report.damaged == damaged, "damage miscounted", size);
  require(report.refused == 0, "a small book was full", size);
  require(book->positions() == int(expected.size()), "positions miscounted", size);
  for (const auto& [key, value] : expected) {
    const BookEntry* e = book->find(key);
    require(e && e->value == value, "a loaded record is not found with its value", size);
  }

  int written = 0;
  require(book->save(saved, 0, 0, 0, &written), "save failed", size);
  // The save filter takes 100 and more for the games marker: such an entry is written, and kept, as 0.
  for (auto& [key, value] : expected)
    if (value == BookMaxPlainValue) value = 0;
  require(written == book->positions(), "save wrote another number of records", size);
  require(again->load(saved).records == written && again->positions() == written, "a saved book loads differently",
          size);
  for (const auto& [key, value] : expected)
    require(again->find(key) && again->find(key)->value == value, "lost in save", size);
  std::remove(path.c_str());
  std::remove(saved.c_str());
  return 0;
}
