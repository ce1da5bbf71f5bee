// The tables found on "SyzygyPath": discovery at initialisation, the registry
// of material combinations, the lookup hash by material key, and the mapping
// of each file on first use.
//
// Initialisation runs while no search is active; it alone writes the registry
// and the hash. Probes from all search threads then read them without locks.
// A file is mapped and parsed the first time a probe needs it, under one mutex
// with a second check after taking it, and its "mapped" flag is published
// with release order, so a thread that sees the flag also sees the layout.
// A file that cannot be mapped or is not a table drops its whole material
// combination: later probes of it fail at once.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "eval/tb/syzygy_material.h"
#include "eval/tb/syzygy_table.h"
#include "platform/mapped_file.h"

namespace tarn::syzygy {

struct TableEntry {
  std::string name;                  // e.g. "KRPvKR"
  Material material;                 // first side as named
  Key key = 0, swappedKey = 0;       // named first side as White, and as Black
  int men = 0;
  bool symmetric = false;
  std::string path[3];               // file of each kind (TableKind); empty when absent
  std::atomic<bool> mapped[3] = {};  // that file is mapped and its layout parsed
  std::atomic<bool> dropped{false};  // mapping failed: the material is no longer probed
  MappedFile file[3];
  std::unique_ptr<TableFile> layout[3];
};

// Forgets every table (unmapping its files), then registers the tables of
// `path`: folders separated by ";", none for "" or "<empty>".
void initRegistry(const std::string& path);

// The largest number of men of a registered table; 0 when none.
int largestMen();

// The entry registered under a material key; nullptr when there is none or it was dropped.
TableEntry* findEntry(Key key);

// The layout of the entry's file of `kind`, mapping it first if needed;
// nullptr when that file is absent or unusable.
const TableFile* tableFile(TableEntry& entry, TableKind kind);

// Where the messages for the protocol partner (standard output) and for a
// person (standard error) go; tests capture them. Null restores the defaults.
using MessageSink = void (*)(std::string_view text);
void setMessageSinks(MessageSink toOutput, MessageSink toError);

// Every table name initialisation tries, in its order (tests).
void forEachCandidateName(void (*visit)(const std::string& name, void* context), void* context);

}  // namespace tarn::syzygy
