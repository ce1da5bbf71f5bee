#include "eval/tb/syzygy_registry.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/file_size.h"
#include "platform/folder_listing.h"

namespace tarn::syzygy {

namespace {

constexpr int HashSlots = 4096;
constexpr char StrongestFirst[5] = {'Q', 'R', 'B', 'N', 'P'};

void writeOutput(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void writeError(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

struct HashSlot {
  Key key = 0;
  TableEntry* entry = nullptr;
};

struct Folder {
  std::string path;
  // Its table files when it could be listed; otherwise every name is tried.
  std::optional<std::unordered_set<std::string>> files;
};

struct Registry {
  bool loaded = false;
  std::string path;
  std::vector<Folder> folders;
  std::unique_ptr<TableEntry[]> pawnless, withPawns;
  int pawnlessCount = 0, pawnCount = 0;
  int largest = 0;
  HashSlot hash[HashSlots];
  std::mutex mappingMutex;
  MessageSink toOutput = writeOutput, toError = writeError;
};

Registry registry;

// Letters of one side, strongest first, for every multiset of `count` pieces.
void sideLetters(int count, std::vector<std::string>& out) {
  std::string letters(size_t(count), ' ');
  auto fill = [&](auto& self, int at, int from) -> void {
    if (at == count) {
      out.push_back(letters);
      return;
    }
    for (int i = from; i < 5; ++i) {
      letters[size_t(at)] = StrongestFirst[i];
      self(self, at + 1, i);
    }
  };
  fill(fill, 0, 0);
}

// Whether side `a` is written before side `b` of the same size in the
// published names: the stronger piece at the first difference.
bool writtenFirst(const std::string& a, const std::string& b) {
  for (size_t i = 0; i < a.size(); ++i) {
    const size_t ra = std::string_view(StrongestFirst, 5).find(a[i]);
    const size_t rb = std::string_view(StrongestFirst, 5).find(b[i]);
    if (ra != rb) return ra < rb;
  }
  return true;  // symmetric
}

// The candidate names, by pattern: KXvK, KXvKY, KXYvK, KXYvKZ, KXYZvK, KXYvKZW,
// KXYZvKW, KXYZWvK, then the 7-man patterns 5-0, 4-1, 3-2.
std::vector<std::string> candidateNames() {
  static constexpr int Patterns[11][2] = {{1, 0}, {1, 1}, {2, 0}, {2, 1}, {3, 0}, {2, 2},
                                          {3, 1}, {4, 0}, {5, 0}, {4, 1}, {3, 2}};
  std::vector<std::string> names;
  for (const auto& p : Patterns) {
    std::vector<std::string> first, second;
    sideLetters(p[0], first);
    sideLetters(p[1], second);
    for (const std::string& a : first)
      for (const std::string& b : second)
        if (p[0] != p[1] || writtenFirst(a, b)) names.push_back("K" + a + "vK" + b);
  }
  return names;
}

void report(MessageSink sink, const std::string& text) { sink(text); }

// The first folder where name + extension opens; reports an incomplete file.
// Returns the path, or "" when absent or incomplete.
std::string findFile(const std::string& name, TableKind kind) {
  const std::string fileName = name + TableExtension[kind];
  for (const Folder& folder : registry.folders) {
    if (folder.files && !folder.files->count(fileName)) continue;
    const std::string file = folder.path + "/" + fileName;
    const auto size = readableFileSize(file);
    if (!size) continue;
    if (*size % 64 != 16) {
      // The extension carries its own dot after the one of the text.
      const std::string text = "Incomplete tablebase file " + name + "." + TableExtension[kind];
      report(registry.toError, text + "\n");
      report(registry.toOutput, "info string " + text + "\n");
      return "";
    }
    return file;
  }
  return "";
}

bool insertKey(Key key, TableEntry* entry) {
  for (int i = 0, slot = int(key >> 52); i < HashSlots; ++i, slot = (slot + 1) & (HashSlots - 1)) {
    HashSlot& s = registry.hash[slot];
    if (s.entry && s.key == key) return false;  // the same material found under another name
    if (!s.entry) {
      s.key = key;
      s.entry = entry;
      return true;
    }
  }
  return false;
}

void clearRegistry() {
  registry.pawnless.reset();
  registry.withPawns.reset();
  registry.pawnlessCount = registry.pawnCount = 0;
  registry.folders.clear();
  registry.path.clear();
  for (HashSlot& s : registry.hash) s = HashSlot{};
  registry.largest = 0;
  registry.loaded = false;
}

bool isTableFileName(const std::string& name) {
  if (name.size() < 5) return false;
  const std::string_view extension = std::string_view(name).substr(name.size() - 5);
  return extension == TableExtension[WdlKind] || extension == TableExtension[DtzKind] ||
         extension == TableExtension[DtmKind];
}

std::vector<Folder> splitFolders(const std::string& path) {
  std::vector<Folder> folders;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) {
      Folder folder{path.substr(start, end - start), std::nullopt};
      // Listing once spares the failed opens of the thousands of names not there.
      if (auto names = folderEntries(folder.path)) {
        folder.files.emplace();
        for (std::string& name : *names)
          if (isTableFileName(name)) folder.files->insert(std::move(name));
      }
      folders.push_back(std::move(folder));
    }
    start = end + 1;
  }
  return folders;
}

// Releases a file that turned out unusable and drops its material.
void dropEntry(TableEntry& entry, TableKind kind) {
  entry.layout[kind].reset();
  if (entry.file[kind].isOpen() && !entry.file[kind].close())
    report(registry.toError, "unmap failed, error code " + std::to_string(entry.file[kind].errorCode()) + "\n");
  entry.dropped.store(true, std::memory_order_release);
}

}  // namespace

void setMessageSinks(MessageSink toOutput, MessageSink toError) {
  registry.toOutput = toOutput ? toOutput : writeOutput;
  registry.toError = toError ? toError : writeError;
}

void forEachCandidateName(void (*visit)(const std::string& name, void* context), void* context) {
  for (const std::string& name : candidateNames()) visit(name, context);
}

void initRegistry(const std::string& path) {
  // 1. Forget the previous tables; their files are unmapped with the entries.
  if (registry.loaded) clearRegistry();
  // 2.
  if (path.empty() || path == "<empty>") return;

  // 3.
  registry.path = path;
  registry.folders = splitFolders(path);
  registry.loaded = true;

  // 4, 5. The names whose win/draw/loss file is there and complete, with their
  // other files; the registry is sized for what was found.
  static const std::vector<std::string> names = candidateNames();
  struct Found {
    const std::string* name;
    Material material;
    std::string path[3];
  };
  std::vector<Found> found;
  size_t pawnTables = 0;
  for (const std::string& name : names) {
    Found f{&name, {}, {findFile(name, WdlKind)}};
    if (f.path[WdlKind].empty() || !parseTableName(name, f.material)) continue;
    f.path[DtmKind] = findFile(name, DtmKind);
    f.path[DtzKind] = findFile(name, DtzKind);
    pawnTables += f.material.hasPawns();
    found.push_back(std::move(f));
  }
  registry.pawnless.reset(new (std::nothrow) TableEntry[found.size() - pawnTables]);
  registry.withPawns.reset(new (std::nothrow) TableEntry[pawnTables]);
  if (!registry.pawnless || !registry.withPawns) {
    report(registry.toError, "Out of memory.\n");
    std::exit(1);
  }

  // 6.
  for (Found& f : found) {
    const Material& material = f.material;
    const std::string& name = *f.name;
    TableEntry& e = material.hasPawns() ? registry.withPawns[size_t(registry.pawnCount++)]
                                        : registry.pawnless[size_t(registry.pawnlessCount++)];
    e.name = name;
    e.material = material;
    e.key = materialKey(material);
    e.swappedKey = materialKey(material.swapped());
    e.men = material.men();
    e.symmetric = material.symmetric();
    for (int kind = 0; kind < 3; ++kind) e.path[kind] = std::move(f.path[kind]);
    if (!insertKey(e.key, &e)) continue;
    if (e.swappedKey != e.key) insertKey(e.swappedKey, &e);
    registry.largest = std::max(registry.largest, e.men);
  }
}

int largestMen() { return registry.largest; }

TableEntry* findEntry(Key key) {
  for (int i = 0, slot = int(key >> 52); i < HashSlots; ++i, slot = (slot + 1) & (HashSlots - 1)) {
    const HashSlot& s = registry.hash[slot];
    if (!s.entry) return nullptr;
    if (s.key == key) return s.entry->dropped.load(std::memory_order_acquire) ? nullptr : s.entry;
  }
  return nullptr;
}

const TableFile* tableFile(TableEntry& entry, TableKind kind) {
  if (entry.mapped[kind].load(std::memory_order_acquire)) return entry.layout[kind].get();
  if (entry.path[kind].empty()) return nullptr;

  std::lock_guard lock(registry.mappingMutex);
  if (entry.mapped[kind].load(std::memory_order_relaxed)) return entry.layout[kind].get();
  if (entry.dropped.load(std::memory_order_relaxed)) return nullptr;

  MappedFile& file = entry.file[kind];
  if (!file.open(entry.path[kind])) {
    const char* step = file.failure() == MappedFile::Failure::Map ? "MapViewOfFile()" : "CreateFileMapping()";
    report(registry.toError, std::string(step) + " failed, error = " + std::to_string(file.errorCode()) + ".\n");
    report(registry.toError, "Could not map " + entry.name + TableExtension[kind] + " into memory.\n");
    dropEntry(entry, kind);
    return nullptr;
  }
  // A wrong magic number and a layout that does not add up are both a damaged file.
  entry.layout[kind] = TableFile::parse({file.data(), file.size()}, kind, entry.material);
  if (!entry.layout[kind]) {
    report(registry.toError, "Corrupted table.\n");
    dropEntry(entry, kind);
    return nullptr;
  }
  entry.mapped[kind].store(true, std::memory_order_release);
  return entry.layout[kind].get();
}

}  // namespace tarn::syzygy
