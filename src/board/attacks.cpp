#include "board/attacks.h"

#include <algorithm>
#include <cstdlib>

namespace tarn {

AttackTables attackTables;

namespace {

// Collision-free magics for this square numbering and these masks:
// rooks for squares 0..63, then bishops.
constexpr Bitboard MagicNumbers[128] = {
    0x1080004008801020ULL, 0x0840092002C03000ULL, 0x1900200010400900ULL, 0x0880100008000480ULL,
    0x4200100420080200ULL, 0x8100020100080400ULL, 0x0200040110886200ULL, 0x0200008040220411ULL,
    0x0404800084400220ULL, 0x0000401000402000ULL, 0x0086001081220440ULL, 0x0408800800100280ULL,
    0x000A001201040820ULL, 0x8848800200840080ULL, 0x4001000100040200ULL, 0x0442000102105084ULL,
    0x9080010020804100ULL, 0x0040404000201009ULL, 0x0000808010002009ULL, 0x2200090021D00100ULL,
    0x0008008008040080ULL, 0x0004004002010040ULL, 0x0011040008015042ULL, 0x00000A0001768104ULL,
    0x0000800080204009ULL, 0x2010004140002001ULL, 0x9800200280100080ULL, 0x1000100080080080ULL,
    0x0442000A00049020ULL, 0x2100040080020080ULL, 0x0800120400900148ULL, 0x0010040A00128541ULL,
    0x2800804000800030ULL, 0x1010002000400041ULL, 0x4000200011004100ULL, 0x0610008410800800ULL,
    0x0400802402800800ULL, 0xC100020080800400ULL, 0x0002000802000401ULL, 0x0182085882000401ULL,
    0x0220204000808000ULL, 0x2860100040024022ULL, 0x0001002004110040ULL, 0x99101042000A0020ULL,
    0x0004080004008080ULL, 0x0010040002008080ULL, 0x2012004881020004ULL, 0x8300842444820011ULL,
    0x0088403882010200ULL, 0x0820400080210100ULL, 0x0110910040A00300ULL, 0x0801100280080480ULL,
    0x0242009008200600ULL, 0x1002000489500200ULL, 0x0040800200010080ULL, 0x0091800041000080ULL,
    0x0000209300488001ULL, 0x04C1002414824001ULL, 0x020020000B001041ULL, 0x7000100004200901ULL,
    0x8002002004100802ULL, 0x30010002084C0007ULL, 0x0888221800813004ULL, 0x4000002840840112ULL,
    0xA010041108003100ULL, 0x006082020A002900ULL, 0x6810010619200000ULL, 0x08281A0520000408ULL,
    0x0001104001000400ULL, 0x0018901008048400ULL, 0x00040A0210245280ULL, 0x000200210808A402ULL,
    0x9140048410821200ULL, 0x0800091010820041ULL, 0x20504804832202C0ULL, 0x0100091401081000ULL,
    0x8021011140000012ULL, 0x0810020804450400ULL, 0x208B0542109008A2ULL, 0x0080084A08040204ULL,
    0x0040E2A80811244CULL, 0x2505022008008108ULL, 0x0430220100420040ULL, 0x010A040420220040ULL,
    0x1105000290400000ULL, 0x0093001200822120ULL, 0x4000A62048043004ULL, 0x280120048A015004ULL,
    0x006090002A020814ULL, 0x44042000240800D0ULL, 0x01102800040A4400ULL, 0x1004080080220040ULL,
    0x0001001011004024ULL, 0x0010044000805040ULL, 0x0914041200820100ULL, 0x0004821012821480ULL,
    0x0024040500C05021ULL, 0x0088611002080200ULL, 0x0116080A00040020ULL, 0x4000020080080080ULL,
    0x2450450140840040ULL, 0x0000880201484100ULL, 0x0222020404020092ULL, 0x8081110600002E00ULL,
    0x2842101105000801ULL, 0x1100809008001025ULL, 0x00020202221C0400ULL, 0x0422014022009020ULL,
    0x0210046102100C00ULL, 0xC004008082029102ULL, 0x00AA461801101200ULL, 0x0404080080201108ULL,
    0x020542108C205002ULL, 0x0410544804100100ULL, 0x0040910841100000ULL, 0x0400200042021100ULL,
    0x00004204850400C0ULL, 0x0200100410A42102ULL, 0x1040020801210102ULL, 0x0805040410420000ULL,
    0x2884804130100200ULL, 0x800C262201242000ULL, 0x1058000194108800ULL, 0x0014221054420204ULL,
    0x0104000012A02200ULL, 0x0200881003300100ULL, 0x0140400202840100ULL, 0x0402020801010201ULL,
};

constexpr int RookDirections[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BishopDirections[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

bool onBoard(int file, int row) { return file >= 0 && file < 8 && row >= 0 && row < 8; }

// Attacks from s along the four directions, each ray ending on the first occupied square.
Bitboard slidingAttacks(int s, Bitboard occupied, const int (&dirs)[4][2]) {
  Bitboard result = 0;
  for (const auto& d : dirs) {
    int f = fileOf(s) + d[0], r = rowOf(s) + d[1];
    for (; onBoard(f, r); f += d[0], r += d[1]) {
      result |= bit(makeSquare(f, r));
      if (occupied & bit(makeSquare(f, r))) break;
    }
  }
  return result;
}

// The relevant occupancy squares: each ray without its last square.
Bitboard sliderMask(int s, const int (&dirs)[4][2]) {
  Bitboard result = 0;
  for (const auto& d : dirs) {
    int f = fileOf(s) + d[0], r = rowOf(s) + d[1];
    for (; onBoard(f + d[0], r + d[1]); f += d[0], r += d[1]) result |= bit(makeSquare(f, r));
  }
  return result;
}

// Fills one slider kind; `offset` is where its first slice starts in the shared array.
int buildMagics(Magic* magics, const Bitboard* numbers, const int (&dirs)[4][2], int offset) {
  for (int s = 0; s < 64; ++s) {
    Magic& m = magics[s];
    m.mask = sliderMask(s, dirs);
    m.magic = numbers[s];
    m.bits = uint8_t(popCount(m.mask));
    m.shift = uint8_t(64 - m.bits);
    m.start = uint32_t(offset);
    m.attacks = attackTables.sliderAttacks + offset;
    Bitboard* slice = attackTables.sliderAttacks + offset;
    const int size = 1 << m.bits;
    for (int i = 0; i < size; ++i) slice[i] = 0;
    // Walk every subset of the mask (the carry-rippler enumerates them all).
    Bitboard subset = 0;
    do {
      Bitboard attacks = slidingAttacks(s, subset, dirs);
      Bitboard& slot = slice[m.index(subset)];
      if (slot && slot != attacks) std::abort();  // an unusable magic is a build fault
      slot = attacks;
      subset = (subset - m.mask) & m.mask;
    } while (subset);
    offset += size;
  }
  return offset;
}

Bitboard leaperAttacks(int s, const int (&steps)[8][2]) {
  Bitboard result = 0;
  for (const auto& d : steps)
    if (onBoard(fileOf(s) + d[0], rowOf(s) + d[1])) result |= bit(makeSquare(fileOf(s) + d[0], rowOf(s) + d[1]));
  return result;
}

}  // namespace

void initAttackTables() {
  static constexpr int KingSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
  static constexpr int KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
  AttackTables& t = attackTables;

  int end = buildMagics(t.rookMagic, MagicNumbers, RookDirections, 0);
  end = buildMagics(t.bishopMagic, MagicNumbers + 64, BishopDirections, end);
  if (end != SliderTableSize) std::abort();

  for (int s = 0; s < 64; ++s) {
    t.king[s] = leaperAttacks(s, KingSteps);
    t.knight[s] = leaperAttacks(s, KnightSteps);
    t.rookRays[s] = slidingAttacks(s, 0, RookDirections);
    t.bishopRays[s] = slidingAttacks(s, 0, BishopDirections);
    // A white pawn attacks s from one row nearer rank 1, a black pawn from one row nearer rank 8.
    t.pawnAttackers[White][s] = t.pawnAttackers[Black][s] = 0;
    for (int df : {-1, 1}) {
      if (onBoard(fileOf(s) + df, rowOf(s) + 1)) t.pawnAttackers[White][s] |= bit(makeSquare(fileOf(s) + df, rowOf(s) + 1));
      if (onBoard(fileOf(s) + df, rowOf(s) - 1)) t.pawnAttackers[Black][s] |= bit(makeSquare(fileOf(s) + df, rowOf(s) - 1));
    }
  }

  for (int a = 0; a < 64; ++a)
    for (int b = 0; b < 64; ++b) {
      t.distance[a][b] = uint8_t(std::max(std::abs(fileOf(a) - fileOf(b)), std::abs(rowOf(a) - rowOf(b))));
      t.between[a][b] = t.line[a][b] = t.beyond[a][b] = 0;
      if (a == b) continue;
      for (const auto* dirs : {&RookDirections, &BishopDirections}) {
        if (!(slidingAttacks(a, 0, *dirs) & bit(b))) continue;
        t.between[a][b] = slidingAttacks(a, bit(b), *dirs) & slidingAttacks(b, bit(a), *dirs);
        t.line[a][b] = (slidingAttacks(a, 0, *dirs) & slidingAttacks(b, 0, *dirs)) | bit(a) | bit(b);
        // Walk on from b, away from a, to the edge.
        const int df = (fileOf(b) > fileOf(a)) - (fileOf(b) < fileOf(a));
        const int dr = (rowOf(b) > rowOf(a)) - (rowOf(b) < rowOf(a));
        for (int f = fileOf(b) + df, r = rowOf(b) + dr; onBoard(f, r); f += df, r += dr)
          t.beyond[a][b] |= bit(makeSquare(f, r));
      }
    }
}

}  // namespace tarn
