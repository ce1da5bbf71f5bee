#include "board/fen.h"

#include <algorithm>
#include <cstdio>

#include "board/attacks.h"
#include "board/movegen.h"

namespace tarn {

std::atomic<bool> chess960Mode{false};

namespace {

constexpr char PieceLetters[] = "PNBRQK  pnbrqk";

int pieceFromLetter(char c) {
  for (int code = 0; code < 14; ++code)
    if (PieceLetters[code] == c && c != ' ') return code;
  return -1;
}

void report(const char** message, const char* text) {
  if (message) *message = text;
}

// Keeps the en-passant square only where the last move can have been a double
// push that the side to move can answer by capturing, which is also the only
// case in which make-move records it. Anything else reads as "no square", so a
// position always has the same key however it was reached.
void settleEnPassantSquare(Position& pos) {
  const int ep = pos.epSquare;
  if (ep == NoSquare) return;
  pos.epSquare = NoSquare;
  if (ep > 63) return;
  const Color us = pos.sideToMove, them = ~us;
  if (relativeRank(us, ep) != 5) return;
  const int pawnSquare = us == White ? ep + 8 : ep - 8;  // where the double-pushed pawn stands
  const int origin = us == White ? ep - 8 : ep + 8;      // where it came from
  if (pos.board[pawnSquare] != makePiece(them, Pawn)) return;
  if (pos.board[ep] != Empty || pos.board[origin] != Empty) return;
  for (Bitboard b = pawnAttackers(us, ep); b;)
    if (pos.board[popLowest(b)] == makePiece(us, Pawn)) {
      pos.epSquare = Square(ep);
      return;
    }
}

// Finds the castling rooks that the rights refer to (X-FEN: the outermost rook
// on each side of the king) and drops every right without its rook.
void locateCastlingRooks(Position& pos, CastlingSetup& setup) {
  for (Color c : {White, Black}) {
    const int king = pos.kingSquare[c];
    const int backRow = c == White ? 7 : 0;
    const PieceCode rook = makePiece(c, Rook);
    const int hIndex = c == White ? 0 : 2, aIndex = hIndex + 1;
    if (rowOf(king) != backRow) pos.castlingRights &= uint8_t(~(3 << hIndex));

    auto holdsRook = [&](int index) {
      const int s = setup.rookSquare[index];
      return s != NoSquare && pos.board[s] == rook;
    };
    if (!holdsRook(hIndex)) {
      int found = -1;
      for (int f = fileOf(king) + 1; f < 8; ++f)
        if (pos.board[makeSquare(f, backRow)] == rook) found = makeSquare(f, backRow);
      if (found >= 0) setup.setRook(hIndex, makeSquare(fileOf(king), backRow), found);
    }
    if (fileOf(king) != 0 && !holdsRook(aIndex)) {
      int found = -1;
      for (int f = fileOf(king) - 1; f >= 0; --f)
        if (pos.board[makeSquare(f, backRow)] == rook) found = makeSquare(f, backRow);
      if (found >= 0) setup.setRook(aIndex, makeSquare(fileOf(king), backRow), found);
    }
    for (int index : {hIndex, aIndex})
      if (!holdsRook(index)) pos.castlingRights &= uint8_t(~(1 << index));
  }
}

bool validateWith(Position& pos, CastlingSetup& setup, const char** message) {
  settleEnPassantSquare(pos);
  refreshPosition(pos);
  locateCastlingRooks(pos, setup);

  int kings[2] = {0, 0}, pawns[2] = {0, 0};
  for (int s = 0; s < 64; ++s) {
    const PieceCode p = pos.board[s];
    if (p == Empty) continue;
    if (typeOf(p) == King) ++kings[colorOf(p)];
    if (typeOf(p) == Pawn) ++pawns[colorOf(p)];
  }
  if (kings[White] > 1 || kings[Black] > 1) return report(message, FenError::TooManyKings), false;
  if (!kings[White] || !kings[Black]) return report(message, FenError::MissingKing), false;
  const Color us = pos.sideToMove;
  if (attackersOf(pos, pos.kingSquare[~us], us)) return report(message, FenError::KingCanBeCaptured), false;
  if (pawns[White] > 8 || pawns[Black] > 8) return report(message, FenError::TooManyPawns), false;
  if (pos.pieceBB[Pawn] & PromotionRanks) return report(message, FenError::PawnOnBackRank), false;
  refreshPosition(pos);
  return true;
}

}  // namespace

bool validatePosition(Position& pos, CastlingSetup& setup, const char** message) {
  pos.setup = &setup;
  return validateWith(pos, setup, message);
}

bool readFen(Position& target, std::string_view text, CastlingSetup& setup, const char** message) {
  CastlingSetup scratch = setup;
  Position pos{};
  for (PieceCode& p : pos.board) p = Empty;
  pos.epSquare = NoSquare;
  pos.setup = &scratch;
  int provisionalKing[2] = {E1, E8};

  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;

  // Board field.
  int index = 0, separatorIndex = 0;
  for (; i < n && index <= 63; ++i) {
    const char c = text[i];
    if (c >= '1' && c <= '8') {
      index += c - '0';
    } else if (const int piece = pieceFromLetter(c); piece >= 0) {
      pos.board[index] = PieceCode(piece);
      if (typeOf(PieceCode(piece)) == King) provisionalKing[colorOf(PieceCode(piece))] = index;
      ++index;
    } else if (c == '/' || c == ' ') {
      index = index == separatorIndex ? index + 8 : (index + 7) & ~7;
      separatorIndex = index;
    }
  }
  if (i < n && text[i] == '/') ++i;
  if (i < n && text[i] == ' ') ++i;

  for (int k = 0; k < 4; ++k) scratch.rookSquare[k] = NoSquare;
  scratch.rebuildMask();

  // Side to move, castling, en passant, half-move clock.
  bool sideSeen = false;
  int field = 0;
  for (; i < n && text[i] != ';' && field < 4; ++i) {
    const char c = text[i];
    if (c == ' ') {
      if (++field == 3) {
        // The half-move clock: its digits, then the full-move number, which is not used.
        pos.ply = 0;
        int clock = 0;
        size_t j = i + 1;
        for (; j < n && text[j] >= '0' && text[j] <= '9'; ++j) clock = std::min(255, clock * 10 + (text[j] - '0'));
        pos.fiftyCounter = uint8_t(clock);
        break;
      }
      continue;
    }
    switch (field) {
      case 0:
        if (!sideSeen && (c == 'w' || c == 'b')) {
          sideSeen = true;
          pos.sideToMove = c == 'w' ? White : Black;
          if (c == 'b') pos.ply = 1;
        }
        break;
      case 1:
        if (c == 'K') pos.castlingRights |= WhiteHSide;
        else if (c == 'Q') pos.castlingRights |= WhiteASide;
        else if (c == 'k') pos.castlingRights |= BlackHSide;
        else if (c == 'q') pos.castlingRights |= BlackASide;
        else if ((c >= 'A' && c <= 'H') || (c >= 'a' && c <= 'h')) {
          const Color colour = c <= 'H' ? White : Black;
          const int file = c - (colour == White ? 'A' : 'a');
          const int king = provisionalKing[colour];
          const int entry = (colour == White ? 0 : 2) + (file > fileOf(king) ? 0 : 1);
          pos.castlingRights |= uint8_t(1 << entry);
          scratch.setRook(entry, king, makeSquare(file, colour == White ? 7 : 0));
        }
        break;
      case 2:
        if (c >= 'a' && c <= 'h' && i + 1 < n && text[i + 1] >= '1' && text[i + 1] <= '8')
          pos.epSquare = makeSquare(c - 'a', '8' - text[i + 1]);
        break;
    }
  }

  if (index < 64 || !sideSeen) return report(message, FenError::NotEnoughSquares), false;
  if (!validateWith(pos, scratch, message)) return false;
  setup = scratch;
  pos.setup = &setup;
  target = pos;
  return true;
}

int writeFen(char* out, const Position& pos) {
  char* p = out;
  for (int row = 0; row < 8; ++row) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const PieceCode piece = pos.board[makeSquare(file, row)];
      if (piece == Empty) {
        ++empty;
        continue;
      }
      if (empty) *p++ = char('0' + empty), empty = 0;
      *p++ = PieceLetters[piece];
    }
    if (empty) *p++ = char('0' + empty);
    if (row < 7) *p++ = '/';
  }
  *p++ = ' ';
  *p++ = pos.sideToMove == White ? 'w' : 'b';
  *p++ = ' ';
  if (!pos.castlingRights) {
    *p++ = '-';
  } else {
    static constexpr char Standard[4] = {'K', 'Q', 'k', 'q'};
    for (int k = 0; k < 4; ++k) {
      if (!(pos.castlingRights & (1 << k))) continue;
      const int rook = pos.setup ? pos.setup->rookSquare[k] : NoSquare;
      if (isChess960() && rook != NoSquare)
        *p++ = char((k < 2 ? 'A' : 'a') + fileOf(rook));
      else
        *p++ = Standard[k];
    }
  }
  *p++ = ' ';
  if (pos.epSquare < 64) {
    *p++ = char('a' + fileOf(pos.epSquare));
    *p++ = char('8' - rowOf(pos.epSquare));
  } else {
    *p++ = '-';
  }
  p += std::snprintf(p, 16, " %d %d", pos.fiftyCounter, fullMoveNumber(pos));
  return int(p - out);
}

std::string toFen(const Position& pos) {
  char buffer[FenBufferSize];
  return std::string(buffer, size_t(writeFen(buffer, pos)));
}

bool setupChess960(Position& target, int n, CastlingSetup& setup) {
  if (n < 0 || n > 959) return false;
  CastlingSetup scratch = setup;
  scratch.clear();
  Position pos{};
  for (PieceCode& p : pos.board) p = Empty;
  pos.epSquare = NoSquare;
  pos.sideToMove = White;
  pos.castlingRights = AllRights;
  pos.setup = &scratch;

  int backRank[8];
  for (int& p : backRank) p = NoPieceType;
  auto placeOnEmpty = [&](int nth, int type) {
    for (int f = 0; f < 8; ++f)
      if (backRank[f] == NoPieceType && nth-- == 0) {
        backRank[f] = type;
        return;
      }
  };
  static constexpr int FirstKnight[10] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 3};
  static constexpr int SecondKnight[10] = {0, 1, 2, 3, 1, 2, 3, 2, 3, 3};
  backRank[2 * (n % 4) + 1] = Bishop;
  backRank[2 * ((n / 4) % 4)] = Bishop;
  placeOnEmpty((n / 16) % 6, Queen);
  const int k = n / 96;
  placeOnEmpty(FirstKnight[k], Knight);
  placeOnEmpty(SecondKnight[k], Knight);  // counted among the squares still empty
  placeOnEmpty(0, Rook);
  placeOnEmpty(0, King);
  placeOnEmpty(0, Rook);

  for (int f = 0; f < 8; ++f) {
    pos.board[makeSquare(f, 7)] = makePiece(White, backRank[f]);
    pos.board[makeSquare(f, 0)] = makePiece(Black, backRank[f]);
    pos.board[makeSquare(f, 6)] = WPawn;
    pos.board[makeSquare(f, 1)] = BPawn;
  }
  if (!validateWith(pos, scratch, nullptr)) return false;
  setup = scratch;
  pos.setup = &setup;
  target = pos;
  return true;
}

void flipColours(const Position& source, Position& target, FlipMode mode) {
  Position pos = source;
  for (int s = 0; s < 64; ++s) {
    const PieceCode p = source.board[s];
    if (mode == FlipSwapColours)
      pos.board[s ^ 56] = p == Empty ? Empty : PieceCode(p ^ 8);
    else
      pos.board[63 - s] = p;
  }
  pos.epSquare = NoSquare;
  pos.ply = 0;
  if (mode == FlipSwapColours) {
    pos.sideToMove = ~source.sideToMove;
    pos.castlingRights = uint8_t(((source.castlingRights & 3) << 2) | ((source.castlingRights >> 2) & 3));
    // The game's castling rooks are shared with the original position: keep only
    // the rights whose king and rook stand where that record expects them.
    for (int k = 0; k < 4; ++k) {
      const Color c = k < 2 ? White : Black;
      const int rook = pos.setup ? pos.setup->rookSquare[k] : NoSquare;
      bool kingOnRank = false;
      for (int f = 0; f < 8; ++f)
        if (pos.board[makeSquare(f, c == White ? 7 : 0)] == makePiece(c, King)) kingOnRank = true;
      if (rook == NoSquare || pos.board[rook] != makePiece(c, Rook) || !kingOnRank) pos.castlingRights &= uint8_t(~(1 << k));
    }
  } else {
    // Rotating puts kings and rooks on the wrong ranks for castling.
    pos.sideToMove = White;
    pos.castlingRights = 0;
  }
  refreshPosition(pos);
  target = pos;
}

bool hasChess960Castling(const Position& pos) {
  static constexpr Square Corner[4] = {H1, A1, H8, A8};
  static constexpr Square KingHome[2] = {E1, E8};
  for (int i = 0; i < 4; ++i) {
    if (!(pos.castlingRights & (1 << i))) continue;
    const Square rook = pos.setup->rookSquare[i];
    if ((rook != NoSquare && rook != Corner[i]) || pos.kingSquare[i / 2] != KingHome[i / 2]) return true;
  }
  return false;
}

}  // namespace tarn
