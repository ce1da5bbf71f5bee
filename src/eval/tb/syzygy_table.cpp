#include "eval/tb/syzygy_table.h"

namespace tarn::syzygy {

namespace {

constexpr uint8_t InfoSplit = 0x01, InfoPawns = 0x02;

uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

size_t roundUp64(size_t offset) { return (offset + 63) & ~size_t(63); }

// A piece list must name exactly the table's pieces: one king a side and the
// counts of its material.
bool listMatchesMaterial(const uint8_t* codes, int men, const Material& material) {
  int seen[2][7] = {};
  for (int i = 0; i < men; ++i) {
    const int side = codes[i] >> 3, type = codes[i] & 7;
    if (codes[i] > 15 || type < 1 || type > 6) return false;
    ++seen[side][type];
  }
  for (int side = 0; side < 2; ++side) {
    if (seen[side][6] != 1) return false;
    for (int t = Pawn; t <= Queen; ++t)
      if (seen[side][t + 1] != material.count[side][t]) return false;
  }
  return true;
}

// Pawnless tables lead with the two kings when no other piece is unique,
// otherwise with three unique pieces.
bool leadsWithKings(const Material& m) {
  for (int side = 0; side < 2; ++side)
    for (int t = Pawn; t <= Queen; ++t)
      if (m.count[side][t] == 1) return false;
  return true;
}

int countOf(const uint8_t* codes, int men, uint8_t code) {
  int n = 0;
  for (int i = 0; i < men; ++i) n += codes[i] == code;
  return n;
}

}  // namespace

int TableFile::mapValue(int fileClass, int category, int value) const {
  const Map& m = maps[fileClass];
  if (value < 0 || value >= m.count[category]) return -1;
  const uint8_t* p = file.data() + m.offset[category];
  return m.wide ? readU16(p + 2 * value) : p[value];
}

std::unique_ptr<TableFile> TableFile::parse(std::span<const uint8_t> bytes, TableKind kind, const Material& material) {
  const size_t size = bytes.size();
  const uint8_t* data = bytes.data();
  const int men = material.men();
  if (kind == DtmKind || size < 16 + 6 || size % 64 != 16) return nullptr;
  if ((uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24) !=
      TableMagic[kind])
    return nullptr;

  auto table = std::make_unique<TableFile>();
  TableFile& t = *table;
  t.file = bytes;
  t.pawns = material.hasPawns();
  const bool symmetric = material.symmetric();
  const uint8_t info = data[4];
  if (((info & InfoPawns) != 0) != t.pawns || (info >> 4) != men) return nullptr;
  if (kind == WdlKind && ((info & InfoSplit) != 0) == symmetric) return nullptr;
  const int fileClasses = t.pawns ? 4 : 1;
  const int sides = kind == WdlKind && !symmetric ? 2 : 1;

  // Leading group: pawns of the colour with fewer pawns (the first side on a tie).
  const int w = material.pawns(0), b = material.pawns(1);
  t.leadSide = b > 0 && (w == 0 || w > b) ? 1 : 0;
  t.leadCount = t.leadSide ? b : w;
  const int otherPawns = t.leadSide ? w : b;
  const bool secondOrder = w > 0 && b > 0;
  const bool kingsLead = !t.pawns && leadsWithKings(material);

  // Piece records, one per file class.
  size_t off = 5;
  for (int f = 0; f < fileClasses; ++f) {
    const size_t record = size_t(men) + 1 + (secondOrder ? 1 : 0);
    if (off + record > size) return nullptr;
    const uint8_t* r = data + off;
    for (int side = 0; side < sides; ++side) {
      SubTable& s = t.subs[f][side];
      const int shift = side ? 4 : 0;
      const int order = (r[0] >> shift) & 15;
      const int order2 = secondOrder ? (r[1] >> shift) & 15 : 15;
      const uint8_t* list = r + 1 + (secondOrder ? 1 : 0);
      for (int i = 0; i < men; ++i) s.pieces[i] = uint8_t((list[i] >> shift) & 15);
      if (!listMatchesMaterial(s.pieces, men, material)) return nullptr;

      IndexLayout& layout = s.layout;
      layout.men = men;
      layout.pawns = t.pawns;
      layout.fileClass = f;
      if (t.pawns) {
        layout.leadSize = t.leadCount;
        layout.otherPawns = otherPawns;
        for (int i = 0; i < men; ++i) {
          const bool lead = i < t.leadCount, other = !lead && i < t.leadCount + otherPawns;
          const uint8_t pawnOf = uint8_t(((lead ? t.leadSide : 1 - t.leadSide) << 3) | 1);
          if ((lead || other) && s.pieces[i] != pawnOf) return nullptr;
        }
      } else {
        layout.leadSize = kingsLead ? 2 : 3;
        for (int i = 0; i < layout.leadSize; ++i) {
          if (countOf(s.pieces, men, s.pieces[i]) != 1) return nullptr;
          if (kingsLead && (s.pieces[i] & 7) != 6) return nullptr;
        }
      }
      if (!buildIndexLayout(layout, s.pieces, order, order2)) return nullptr;
    }
    off += record;
  }
  off += off & 1;

  // Compression headers, in sub-table order.
  for (int f = 0; f < fileClasses; ++f)
    for (int side = 0; side < sides; ++side) {
      off = readPairsHeader(bytes, off, t.subs[f][side].pairs);
      if (off == 0) return nullptr;
    }

  // Distance value maps of the file classes that have one.
  if (kind == DtzKind) {
    for (int f = 0; f < fileClasses; ++f) {
      const uint8_t flags = t.subs[f][0].pairs.flags;
      if (!(flags & DtzHasMap)) continue;
      Map& m = t.maps[f];
      m.wide = (flags & DtzWideMap) != 0;
      if (m.wide) off += off & 1;
      for (int k = 0; k < 4; ++k) {
        const size_t head = m.wide ? 2 : 1;
        if (off + head > size) return nullptr;
        m.count[k] = m.wide ? readU16(data + off) : data[off];
        m.offset[k] = off + head;
        off += head + head * m.count[k];
        if (off > size) return nullptr;
      }
    }
    off += off & 1;
  }

  // Sparse indexes, then size tables, then the 64-byte aligned data blocks.
  for (int f = 0; f < fileClasses; ++f)
    for (int side = 0; side < sides; ++side) {
      SubTable& s = t.subs[f][side];
      if (s.pairs.isSingleValue()) continue;
      const uint64_t perEntry = uint64_t(1) << s.pairs.indexBits;
      s.pairs.indexEntries = (s.layout.size + perEntry - 1) / perEntry;
      s.pairs.indexOffset = off;
      if (s.pairs.indexEntries > size / 6) return nullptr;
      off += size_t(6 * s.pairs.indexEntries);
      if (off > size) return nullptr;
    }
  for (int f = 0; f < fileClasses; ++f)
    for (int side = 0; side < sides; ++side) {
      SubTable& s = t.subs[f][side];
      if (s.pairs.isSingleValue()) continue;
      s.pairs.sizeOffset = off;
      off += 2 * size_t(s.pairs.sizeEntries);
      if (off > size) return nullptr;
    }
  for (int f = 0; f < fileClasses; ++f)
    for (int side = 0; side < sides; ++side) {
      SubTable& s = t.subs[f][side];
      off = roundUp64(off);
      if (s.pairs.isSingleValue()) continue;
      s.pairs.dataOffset = off;
      if (s.pairs.realBlocks > (size >> s.pairs.blockBits)) return nullptr;
      off += size_t(s.pairs.realBlocks) << s.pairs.blockBits;
      if (off > size) return nullptr;
    }
  // Every table the format's writer makes ends here: padding to 64 bytes, then
  // the 16-byte checksum. Anything else means the offsets above are not to be trusted.
  if (roundUp64(off) + 16 != size) return nullptr;
  return table;
}

}  // namespace tarn::syzygy
