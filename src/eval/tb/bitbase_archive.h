// The archive "EndgameBitbases.tbb": a sequence of entries, each an 8-byte
// little-endian header (type u8 in 1..4, one unused byte, nameLength i16 of at
// most 512, dataSize i32 of at most 1,200,001), nameLength bytes of a
// zero-terminated name and dataSize bytes of compressed data.
//
// The bitbase set is the data of every entry named "EndgameBitbases.tbb"
// (compared in lower case), unpacked and appended in file order. Unpacking runs
// five stages: arithmetic decoding, run-length decoding, move-to-front
// decoding, the inverse Burrows–Wheeler transform and run-length decoding again.
//
// Damage is answered, never trusted: a bad first header gives an empty set; a
// later bad header, a file that ends inside an entry, an entry whose stages
// fail or a set that would outgrow MaxSetBytes ends the reading, and the set
// keeps the entries before that point. The records read from the set check
// their own consistency (bitbase_record.h).
//
// Unpacking takes most of the loading time, so a few entries at a time
// are unpacked side by side on their own threads; the result is the same as
// unpacking them one after another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace tarn {

constexpr size_t ArchiveHeaderSize = 8;

enum class ArchiveStatus {
  Complete,        // every entry was read to the end of the file
  Missing,         // the file could not be opened
  BadFirstHeader,  // the first header failed its checks: nothing was read
  Damaged,         // reading stopped early; the set holds the entries before the damage
};

// Unpacks one entry's compressed data through the five stages into `out`;
// false when a stage finds the data damaged or too large.
bool unpackEntry(std::span<const uint8_t> data, std::vector<uint8_t>& out);

// Reads the bitbase set from an archive held in memory or on disk.
ArchiveStatus readBitbaseSet(std::span<const uint8_t> archive, std::vector<uint8_t>& set);
ArchiveStatus readBitbaseSet(const std::string& path, std::vector<uint8_t>& set);

}  // namespace tarn
