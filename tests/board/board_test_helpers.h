// Shared pieces of the board tests: table set-up, reference files, positions
// with their own castling record, random games, and a brute-force rules oracle
// that knows nothing of the attack tables or generators under test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "support/chess960_scope.h"

namespace tarn::test {

// ---- Process set-up -----------------------------------------------------------

// Keys and attack tables are built once per process; the piece-square table gets
// arbitrary non-zero entries so that psqScore bookkeeping is actually exercised.
// Entries stay small enough that no sum of 32 of them can overflow.
inline bool prepareBoardTables() {
  static const bool ready = [] {
    initZobrist();
    initAttackTables();
    std::mt19937_64 rng(20240611);
    for (auto& row : pieceSquareTable)
      for (int32_t& entry : row) entry = int32_t(rng() % (1u << 21)) - (1 << 20);
    return true;
  }();
  return ready;
}

inline const bool boardTablesPrepared = prepareBoardTables();

// ---- Reference files ----------------------------------------------------------

inline std::string dataPath(std::string_view name) { return std::string(TARN_TEST_DATA) + "/" + std::string(name); }

inline std::vector<std::string> readLines(std::string_view name) {
  std::ifstream in(dataPath(name));
  EXPECT_TRUE(in.good()) << "cannot open " << dataPath(name);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::string readFile(std::string_view name) {
  std::ifstream in(dataPath(name), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << dataPath(name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline std::string trim(std::string_view s) {
  const size_t begin = s.find_first_not_of(" \t\r\n");
  if (begin == std::string_view::npos) return "";
  const size_t end = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(begin, end - begin + 1));
}

inline std::vector<std::string> split(std::string_view s, char separator) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (;;) {
    const size_t end = s.find(separator, begin);
    parts.push_back(trim(s.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin)));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

// The first `count` space-separated fields of a FEN.
inline std::string fenFields(std::string_view fen, int count) {
  std::istringstream in{std::string(fen)};
  std::string out, field;
  for (int i = 0; i < count && in >> field; ++i) out += (i ? " " : "") + field;
  return out;
}

// One line of a perft file: "FEN ;D1 n ;D2 n ...".
struct PerftLine {
  std::string file;
  int line = 0;
  std::string fen;
  std::vector<uint64_t> counts;  // counts[d - 1] for depth d
};

inline std::vector<PerftLine> readPerftFile(std::string_view name) {
  std::vector<PerftLine> result;
  int number = 0;
  for (const std::string& text : readLines(name)) {
    ++number;
    if (trim(text).empty()) continue;
    const std::vector<std::string> parts = split(text, ';');
    PerftLine entry{std::string(name), number, parts[0], {}};
    for (size_t i = 1; i < parts.size(); ++i) {
      std::istringstream in(parts[i]);
      std::string depth;
      uint64_t count = 0;
      in >> depth >> count;
      entry.counts.push_back(count);
    }
    result.push_back(entry);
  }
  return result;
}

// One line of a SAN file: "FEN ; uci MOVE ; san SAN [; note triple] [; stdsan SAN]".
struct SanLine {
  int line = 0;
  std::string fen, uci, san, stdsan;
};

inline std::vector<SanLine> readSanFile(std::string_view name) {
  std::vector<SanLine> result;
  int number = 0;
  for (const std::string& text : readLines(name)) {
    ++number;
    if (trim(text).empty()) continue;
    const std::vector<std::string> parts = split(text, ';');
    SanLine entry{number, parts[0], "", "", ""};
    for (size_t i = 1; i < parts.size(); ++i) {
      const size_t space = parts[i].find(' ');
      const std::string label = parts[i].substr(0, space);
      const std::string value = space == std::string::npos ? "" : trim(parts[i].substr(space));
      if (label == "uci") entry.uci = value;
      else if (label == "san") entry.san = value;
      else if (label == "stdsan") entry.stdsan = value;
    }
    result.push_back(entry);
  }
  return result;
}

// Collects the faults a property test finds over many positions, so that one run
// reports how many there are with a few examples instead of stopping at the first.
class Findings {
 public:
  void add(std::string text) {
    if (examples.size() < 6) examples.push_back(std::move(text));
    ++total;
  }
  int count() const { return total; }
  ::testing::AssertionResult none() const {
    if (!total) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << total << " found, for example:";
    for (const std::string& e : examples) failure << "\n  " << e;
    return failure;
  }

 private:
  int total = 0;
  std::vector<std::string> examples;
};

// ---- Positions ------------------------------------------------------------------

// A position together with the castling record it points to; copies share the record
// as the positions of one game do.
struct Board {
  std::shared_ptr<CastlingSetup> setup = std::make_shared<CastlingSetup>();
  Position pos{};

  std::string fen() const { return toFen(pos); }
};

// Reads a FEN that the test knows to be valid.
inline Board boardFromFen(std::string_view fen) {
  Board b;
  b.setup->clear();
  const char* message = nullptr;
  const bool ok = readFen(b.pos, fen, *b.setup, &message);
  EXPECT_TRUE(ok) << "rejected: " << fen << " (" << (message ? message : "no message") << ")";
  return b;
}

inline Board chess960Board(int number) {
  Board b;
  b.setup->clear();
  EXPECT_TRUE(setupChess960(b.pos, number, *b.setup)) << number;
  return b;
}

// Every field of the record, for failure messages.
inline std::string describe(const Position& p) {
  std::ostringstream out;
  out << toFen(p) << std::hex << " key " << p.key << " pawnKey " << p.pawnKey << " checkers " << p.checkers
      << " blockers " << p.blockers[0] << "/" << p.blockers[1] << " pinners " << p.pinners[0] << "/" << p.pinners[1]
      << std::dec << " psq " << p.psqScore << " material " << p.material[0].signature << ":" << p.material[0].weight
      << " " << p.material[1].signature << ":" << p.material[1].weight;
  return out.str();
}

// Compares every field of two position records (padding aside).
inline ::testing::AssertionResult samePosition(const Position& a, const Position& b) {
  std::vector<std::string> differences;
  auto check = [&](bool same, const char* field) {
    if (!same) differences.push_back(field);
  };
  check(std::equal(std::begin(a.board), std::end(a.board), std::begin(b.board)), "board");
  check(std::equal(std::begin(a.pieceBB), std::end(a.pieceBB), std::begin(b.pieceBB)), "pieceBB");
  check(a.colourBB[0] == b.colourBB[0] && a.colourBB[1] == b.colourBB[1], "colourBB");
  check(a.occupied == b.occupied, "occupied");
  check(a.key == b.key, "key");
  check(a.pawnKey == b.pawnKey, "pawnKey");
  for (int c = 0; c < 2; ++c) {
    check(a.material[c].signature == b.material[c].signature, c ? "material[1].signature" : "material[0].signature");
    check(a.material[c].weight == b.material[c].weight, c ? "material[1].weight" : "material[0].weight");
  }
  check(a.psqScore == b.psqScore, "psqScore");
  check(a.kingSquare[0] == b.kingSquare[0] && a.kingSquare[1] == b.kingSquare[1], "kingSquare");
  check(a.ply == b.ply, "ply");
  check(a.sideToMove == b.sideToMove, "sideToMove");
  check(a.castlingRights == b.castlingRights, "castlingRights");
  check(a.epSquare == b.epSquare, "epSquare");
  check(a.fiftyCounter == b.fiftyCounter, "fiftyCounter");
  check(a.setup == b.setup, "setup");
  check(a.checkers == b.checkers, "checkers");
  check(a.blockers[0] == b.blockers[0] && a.blockers[1] == b.blockers[1], "blockers");
  check(a.pinners[0] == b.pinners[0] && a.pinners[1] == b.pinners[1], "pinners");
  if (differences.empty()) return ::testing::AssertionSuccess();
  std::string list;
  for (const std::string& d : differences) list += " " + d;
  return ::testing::AssertionFailure() << "fields differ:" << list << "\n  first:  " << describe(a)
                                       << "\n  second: " << describe(b);
}

// A position is self-consistent when rebuilding its derived fields changes nothing.
inline ::testing::AssertionResult consistent(const Position& p) {
  Position fresh = p;
  refreshPosition(fresh);
  return samePosition(p, fresh);
}

inline std::vector<Move> legalMoves(const Position& p) {
  MoveList list(PromoteAll);
  generateLegal(p, list);
  std::vector<Move> moves;
  moves.reserve(size_t(list.size()));
  for (Move m : list) moves.push_back(m);
  return moves;
}

inline std::string moveToCoordinateText(const Position& p, Move m) { return moveToCoordinate(m, p, isChess960()); }

inline Position afterMove(const Position& p, Move m) {
  Position next = p;
  makeMoveChecked(next, m);
  return next;
}

// ---- Brute-force rules oracle ---------------------------------------------------
//
// Works on the mailbox alone with explicit walks, so that a fault in the attack
// tables, the generators or the legality test cannot hide itself.

constexpr int KingSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int StraightSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int DiagonalSteps[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

inline bool onBoard(int file, int row) { return file >= 0 && file < 8 && row >= 0 && row < 8; }

using Mailbox = std::array<PieceCode, 64>;

inline Mailbox mailboxOf(const Position& p) {
  Mailbox m;
  std::copy(std::begin(p.board), std::end(p.board), m.begin());
  return m;
}

// Pieces of colour c (kings included) attacking square s on the given board.
inline Bitboard bruteAttackers(const Mailbox& board, int s, Color c) {
  Bitboard result = 0;
  const int f = fileOf(s), r = rowOf(s);
  auto pieceAt = [&](int file, int row) { return board[makeSquare(file, row)]; };
  for (const auto& d : KnightSteps)
    if (onBoard(f + d[0], r + d[1]) && pieceAt(f + d[0], r + d[1]) == makePiece(c, Knight))
      result |= bit(makeSquare(f + d[0], r + d[1]));
  for (const auto& d : KingSteps)
    if (onBoard(f + d[0], r + d[1]) && pieceAt(f + d[0], r + d[1]) == makePiece(c, King))
      result |= bit(makeSquare(f + d[0], r + d[1]));
  // A white pawn attacks from one row nearer rank 1 (a higher row number).
  const int pawnRow = c == White ? r + 1 : r - 1;
  for (int df : {-1, 1})
    if (onBoard(f + df, pawnRow) && pieceAt(f + df, pawnRow) == makePiece(c, Pawn))
      result |= bit(makeSquare(f + df, pawnRow));
  auto slide = [&](const int (&steps)[4][2], int sliderType) {
    for (const auto& d : steps)
      for (int ff = f + d[0], rr = r + d[1]; onBoard(ff, rr); ff += d[0], rr += d[1]) {
        const PieceCode p = pieceAt(ff, rr);
        if (p == Empty) continue;
        if (p == makePiece(c, sliderType) || p == makePiece(c, Queen)) result |= bit(makeSquare(ff, rr));
        break;
      }
  };
  slide(StraightSteps, Rook);
  slide(DiagonalSteps, Bishop);
  return result;
}

inline int bruteKingSquare(const Mailbox& board, Color c) {
  for (int s = 0; s < 64; ++s)
    if (board[s] == makePiece(c, King)) return s;
  return -1;
}

inline bool bruteInCheck(const Mailbox& board, Color c) {
  const int k = bruteKingSquare(board, c);
  return k >= 0 && bruteAttackers(board, k, ~c) != 0;
}

// Plays a move on a bare board: castling as king onto own rook, en passant onto
// `epSquare`, promotion by the move's code.
inline Mailbox bruteMake(Mailbox board, Move m, int epSquare) {
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode piece = board[from];
  const Color us = colorOf(piece);
  if (typeOf(piece) == King && board[to] == makePiece(us, Rook)) {
    const int row = rowOf(from);
    const bool hSide = to > from;
    board[from] = Empty;
    board[to] = Empty;
    board[makeSquare(hSide ? 6 : 2, row)] = piece;
    board[makeSquare(hSide ? 5 : 3, row)] = makePiece(us, Rook);
    return board;
  }
  if (typeOf(piece) == Pawn && to == epSquare && board[to] == Empty && fileOf(from) != fileOf(to))
    board[makeSquare(fileOf(to), rowOf(from))] = Empty;
  board[to] = piece;
  board[from] = Empty;
  if (typeOf(piece) == Pawn && (rowOf(to) == 0 || rowOf(to) == 7))
    board[to] = makePiece(us, PromotionType[promotionCode(m)]);
  return board;
}

// Every legal move of the side to move, sorted, promotions in all four kinds.
inline std::vector<Move> bruteLegalMoves(const Position& p) {
  const Mailbox board = mailboxOf(p);
  const Color us = p.sideToMove;
  std::vector<Move> pseudo;
  auto addPawnMove = [&](int from, int to) {
    if (rowOf(to) == 0 || rowOf(to) == 7)
      for (int code = 0; code < 4; ++code) pseudo.push_back(makeMove(from, to, code));
    else
      pseudo.push_back(makeMove(from, to));
  };
  for (int s = 0; s < 64; ++s) {
    const PieceCode piece = board[s];
    if (piece == Empty || colorOf(piece) != us) continue;
    const int f = fileOf(s), r = rowOf(s);
    auto target = [&](int file, int row) { return board[makeSquare(file, row)]; };
    auto enemyOrEmpty = [&](int file, int row) {
      const PieceCode t = target(file, row);
      return t == Empty || colorOf(t) != us;
    };
    switch (typeOf(piece)) {
      case Pawn: {
        const int dir = us == White ? -1 : 1;
        const int startRow = us == White ? 6 : 1;
        if (onBoard(f, r + dir) && target(f, r + dir) == Empty) {
          addPawnMove(s, makeSquare(f, r + dir));
          if (r == startRow && target(f, r + 2 * dir) == Empty) pseudo.push_back(makeMove(s, makeSquare(f, r + 2 * dir)));
        }
        for (int df : {-1, 1}) {
          if (!onBoard(f + df, r + dir)) continue;
          const int to = makeSquare(f + df, r + dir);
          const PieceCode t = board[to];
          if ((t != Empty && colorOf(t) != us) || to == p.epSquare) addPawnMove(s, to);
        }
        break;
      }
      case Knight:
      case King:
        for (const auto& d : (typeOf(piece) == Knight ? KnightSteps : KingSteps))
          if (onBoard(f + d[0], r + d[1]) && enemyOrEmpty(f + d[0], r + d[1]))
            pseudo.push_back(makeMove(s, makeSquare(f + d[0], r + d[1])));
        break;
      default: {
        const int type = typeOf(piece);
        auto slide = [&](const int (&steps)[4][2]) {
          for (const auto& d : steps)
            for (int ff = f + d[0], rr = r + d[1]; onBoard(ff, rr); ff += d[0], rr += d[1]) {
              if (!enemyOrEmpty(ff, rr)) break;
              pseudo.push_back(makeMove(s, makeSquare(ff, rr)));
              if (target(ff, rr) != Empty) break;
            }
        };
        if (type != Bishop) slide(StraightSteps);
        if (type != Rook) slide(DiagonalSteps);
      }
    }
  }

  std::vector<Move> legal;
  for (Move m : pseudo)
    if (!bruteInCheck(bruteMake(board, m, p.epSquare), us)) legal.push_back(m);

  // Castling, by the Chess960 rules: king and rook on their squares, every square
  // either of them crosses or lands on empty but for the two of them, the king not
  // in check, no square the king crosses attacked, and the king safe where it lands.
  const int king = bruteKingSquare(board, us);
  const int firstRight = us == White ? 0 : 2;
  if (king >= 0 && !bruteInCheck(board, us) && p.setup)
    for (int index = firstRight; index < firstRight + 2; ++index) {
      if (!(p.castlingRights & (1 << index))) continue;
      const int rook = p.setup->rookSquare[index];
      if (rook == NoSquare || board[rook] != makePiece(us, Rook) || rowOf(rook) != rowOf(king)) continue;
      const bool hSide = index == firstRight;
      if ((rook > king) != hSide) continue;
      const int row = rowOf(king);
      const int kingTo = makeSquare(hSide ? 6 : 2, row), rookTo = makeSquare(hSide ? 5 : 3, row);
      bool ok = true;
      const int lo = std::min({king, rook, kingTo, rookTo}), hi = std::max({king, rook, kingTo, rookTo});
      for (int s = lo; s <= hi; ++s)
        if (s != king && s != rook && board[s] != Empty) ok = false;
      for (int s = std::min(king, kingTo) + 1; s < std::max(king, kingTo) && ok; ++s)
        if (bruteAttackers(board, s, ~us)) ok = false;
      const Move m = makeMove(king, rook);
      if (ok && !bruteInCheck(bruteMake(board, m, p.epSquare), us)) legal.push_back(m);
    }
  std::sort(legal.begin(), legal.end());
  return legal;
}

// ---- Random games ---------------------------------------------------------------

// Castling, en passant and promotions are rare in uniform random play, so the
// chooser prefers them when they are on offer.
inline Move chooseRandomMove(const Position& p, const std::vector<Move>& moves, std::mt19937_64& rng) {
  std::vector<Move> special;
  for (Move m : moves) {
    const int to = toSquare(m);
    const PieceCode piece = p.board[fromSquare(m)];
    const bool castling = isCastling(p, m);
    const bool enPassant = typeOf(piece) == Pawn && to == p.epSquare;
    const bool promotion = typeOf(piece) == Pawn && (bit(to) & PromotionRanks);
    const bool doublePush = typeOf(piece) == Pawn && (fromSquare(m) ^ to) == 16;
    if (castling || enPassant || promotion || (doublePush && rng() % 4 == 0)) special.push_back(m);
  }
  if (!special.empty() && rng() % 3 != 0) return special[rng() % special.size()];
  return moves[rng() % moves.size()];
}

// Start positions with castling in many arrangements, en passant and promotions near.
inline std::vector<std::string> randomGameStarts() {
  return {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
      "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
      "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
      "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
      "r3k2r/8/8/8/3pPp2/8/8/R3K1RR b KQkq e3 0 1",
      "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9",
      "2nnrbkr/p1qppppp/8/1ppb4/6PP/3PP3/PPP2P2/BQNNRBKR w HEhe - 1 9",
      "1rqbkrbn/1ppppp1p/1n6/p1N3p1/8/2P4P/PP1PPPP1/1RQBKRBN w FBfb - 0 9",
      "rbbqn1kr/pp2p1pp/6n1/2pp1p2/2P4P/P7/BP1PPPP1/R1BQNNKR w HAha - 0 9",
      "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 1",
      "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1",
  };
}

// Plays up to `plies` random legal moves from `start`, calling visit(before, move)
// before every move; stops at mate or stalemate. Returns the final position.
template <class Visit>
Board playRandomGame(Board start, int plies, std::mt19937_64& rng, Visit&& visit) {
  Board b = std::move(start);
  for (int i = 0; i < plies; ++i) {
    const std::vector<Move> moves = legalMoves(b.pos);
    if (moves.empty()) break;
    const Move m = chooseRandomMove(b.pos, moves, rng);
    visit(b.pos, m);
    makeMoveChecked(b.pos, m);
  }
  return b;
}

// A varied set of positions met in random games from standard and Chess960 starts.
inline const std::vector<Board>& randomPositions() {
  static const std::vector<Board> positions = [] {
    prepareBoardTables();
    std::vector<Board> result;
    std::mt19937_64 rng(7);
    std::vector<Board> starts;
    for (const std::string& fen : randomGameStarts()) starts.push_back(boardFromFen(fen));
    for (int n : {0, 105, 226, 518, 747, 959}) starts.push_back(chess960Board(n));
    for (int round = 0; round < 12; ++round)
      for (const Board& start : starts)
        playRandomGame(start, 120, rng, [&](const Position& p, Move) {
          if (rng() % 4 == 0) result.push_back(Board{start.setup, p});
        });
    return result;
  }();
  return positions;
}

}  // namespace tarn::test
