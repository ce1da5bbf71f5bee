#include "board/notation.h"

#include <cstdio>
#include <cstring>

#include "board/fen.h"
#include "board/game_record.h"
#include "board/legality.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/zobrist.h"

namespace tarn {

namespace {

constexpr char PieceLetter[6] = {'\0', 'N', 'B', 'R', 'Q', 'K'};
constexpr char PromotionLetterUpper[4] = {'Q', 'N', 'R', 'B'};

char fileLetter(int s) { return char('a' + fileOf(s)); }
char rankDigit(int s) { return char('8' - rowOf(s)); }

bool isPromotion(const Position& pos, Move m) {
  return typeOf(pos.board[fromSquare(m)]) == Pawn && (bit(toSquare(m)) & PromotionRanks);
}

bool isCapture(const Position& pos, Move m) {
  return pos.board[toSquare(m)] != Empty ||
         (typeOf(pos.board[fromSquare(m)]) == Pawn && toSquare(m) == pos.epSquare);
}

// SAN without promotion and check mark: piece, disambiguation, capture, destination.
char* writeSanBody(char* p, Move m, const Position& pos) {
  const int from = fromSquare(m), to = toSquare(m);
  const PieceCode piece = pos.board[from];
  const int type = typeOf(piece);
  bool needFile = false, needRank = false;
  if (type != Pawn) {
    MoveList legal;
    generateLegal(pos, legal);
    for (Move other : legal) {
      const int otherFrom = fromSquare(other);
      if (otherFrom == from || toSquare(other) != to || pos.board[otherFrom] != piece) continue;
      if (fileOf(otherFrom) != fileOf(from))
        needFile = true;
      else
        needRank = true;
    }
  }
  const bool capture = isCapture(pos, m);
  if (type != Pawn) *p++ = PieceLetter[type];
  if (needFile || (type == Pawn && capture)) *p++ = fileLetter(from);
  if (needRank) *p++ = rankDigit(from);
  if (capture) *p++ = 'x';
  *p++ = fileLetter(to);
  *p++ = rankDigit(to);
  return p;
}

bool isCastlingChar(char c) { return c == '0' || c == 'O' || c == 'o'; }
bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
bool isRankChar(char c) { return c >= '1' && c <= '8'; }

}  // namespace

int moveToCoordinate(char* out, Move m, const Position& pos, bool chess960) {
  if (m == NullMove || isMarker(m)) {
    out[0] = '\0';
    return 0;
  }
  int from = fromSquare(m), to = toSquare(m);
  if (isCastling(pos, m) && !chess960) {
    to = castlingKingDestination(from, to);
    from = makeSquare(4, rowOf(from));
  }
  const char* promotion = "";
  static constexpr const char* PromotionText[4] = {"q", "n", "r", "b"};
  if (isPromotion(pos, m)) promotion = PromotionText[promotionCode(m)];
  return std::snprintf(out, MoveTextSize, "%c%c%c%c%s", fileLetter(from), rankDigit(from), fileLetter(to), rankDigit(to),
                       promotion);
}

std::string moveToCoordinate(Move m, const Position& pos, bool chess960) {
  char buffer[MoveTextSize];
  return std::string(buffer, size_t(moveToCoordinate(buffer, m, pos, chess960)));
}

bool moveToText(char* out, Move m, const Position& pos, TextStyle style) {
  if (style == Coordinate) {
    moveToCoordinate(out, m, pos, isChess960());
    if (m == NullMove || isMarker(m)) return true;
    return isPseudoLegal(pos, m, true, AnyKind);
  }
  if (m == NullMove) return std::strcpy(out, "Null"), true;
  if (m == MarkerTT) return std::strcpy(out, "<tt>"), true;
  if (m == MarkerDraw) return std::strcpy(out, "<draw>"), true;
  if (m == MarkerTable) return std::strcpy(out, "<table>"), true;
  if (!isPseudoLegal(pos, m, true, AnyKind)) return std::strcpy(out, "xx"), false;

  char* p = out;
  const int from = fromSquare(m), to = toSquare(m);
  if (isCastling(pos, m)) {
    const char* text = from < to ? "O-O" : "O-O-O";
    std::memcpy(p, text, std::strlen(text));
    p += std::strlen(text);
  } else if (style == San) {
    p = writeSanBody(p, m, pos);
  } else {
    const int type = typeOf(pos.board[from]);
    if (type != Pawn) *p++ = PieceLetter[type];
    *p++ = fileLetter(from);
    *p++ = rankDigit(from);
    *p++ = isCapture(pos, m) ? 'x' : '-';
    *p++ = fileLetter(to);
    *p++ = rankDigit(to);
  }
  if (isPromotion(pos, m)) {
    *p++ = '=';
    *p++ = PromotionLetterUpper[promotionCode(m)];
  }
  Position after = pos;
  if (makeMoveChecked(after, m)) *p++ = isCheckmate(after) ? '#' : '+';
  if (style == San) {
    *p++ = ' ';
  } else {
    while (p - out < 7) *p++ = ' ';
  }
  *p = '\0';
  return true;
}

std::string moveToText(Move m, const Position& pos, TextStyle style) {
  char buffer[MoveTextSize];
  moveToText(buffer, m, pos, style);
  return buffer;
}

Move parseCoordinateMove(std::string_view text) {
  size_t i = 0;
  auto peek = [&]() { return i < text.size() ? text[i] : '\0'; };
  int fromFile = 0, fromRow = 0, toFile = 0, toRow = 0;
  if (isFileChar(peek())) fromFile = peek() - 'a', ++i;
  if (isRankChar(peek())) fromRow = '8' - peek(), ++i;
  if (isFileChar(peek())) toFile = peek() - 'a', ++i;
  if (isRankChar(peek())) toRow = '8' - peek(), ++i;
  if (peek() == '=') ++i;
  const char c = peek();
  const int promo = (c == 'n' || c == 'N') ? PromoKnight : (c == 'b' || c == 'B') ? PromoBishop : (c == 'r' || c == 'R') ? PromoRook : PromoQueen;
  return makeMove(makeSquare(fromFile, fromRow), makeSquare(toFile, toRow), promo);
}

MoveFields parseMoveText(std::string_view text, const Position& pos) {
  MoveFields f;
  size_t i = 0;
  auto peek = [&](size_t ahead = 0) { return i + ahead < text.size() ? text[i + ahead] : '\0'; };

  if (isCastlingChar(peek()) && peek(1) == '-' && isCastlingChar(peek(2))) {
    const Color us = pos.sideToMove;
    const bool aSide = peek(3) == '-' && isCastlingChar(peek(4));
    const int king = pos.kingSquare[us];
    const int rook = pos.setup ? pos.setup->rookSquare[(us == White ? 0 : 2) + (aSide ? 1 : 0)] : NoSquare;
    f.fromFile = fileOf(king);
    f.fromRow = rowOf(king);
    f.toFile = rook == NoSquare ? (aSide ? 0 : 7) : fileOf(rook);
    f.toRow = rowOf(king);
    f.pieceType = AnyPieceType;
    return f;
  }

  switch (peek()) {
    case 'B': f.pieceType = Bishop, ++i; break;
    case 'K': f.pieceType = King, ++i; break;
    case 'N': f.pieceType = Knight, ++i; break;
    case 'Q': f.pieceType = Queen, ++i; break;
    case 'R': f.pieceType = Rook, ++i; break;
    case 'P':
    case 'p': ++i; break;
    default: break;
  }
  auto skipSeparator = [&]() {
    if (peek() == 'x' || peek() == '-') ++i;
  };
  skipSeparator();
  int file1 = -1, row1 = -1;
  if (isFileChar(peek())) file1 = peek() - 'a', ++i;
  skipSeparator();
  if (isRankChar(peek())) row1 = '8' - peek(), ++i;
  skipSeparator();
  f.toFile = file1;
  f.toRow = row1;
  if (isFileChar(peek())) {
    f.fromFile = file1;
    f.toFile = peek() - 'a';
    ++i;
  }
  if (isRankChar(peek())) {
    f.fromRow = row1;
    f.toRow = '8' - peek();
    ++i;
  }
  if (peek() == '=') ++i;
  switch (peek()) {
    case 'N': case 'n': f.promotionType = Knight; break;
    case 'B': case 'b': f.promotionType = Bishop; break;
    case 'R': case 'r': f.promotionType = Rook; break;
    case 'K': f.promotionType = King; break;
    case 'P': case 'p': f.promotionType = Pawn; break;
    default: f.promotionType = Queen; break;
  }
  return f;
}

bool matchAndPlayMove(Position& pos, const MoveFields& fields, int pieceType, int promotionType, GameRecord* record) {
  if (fields.toFile < 0 || fields.toRow < 0) return false;
  if (fields.fromFile >= 0 && fields.fromRow >= 0 && fields.fromFile == fields.toFile && fields.fromRow == fields.toRow)
    return false;
  const int wanted = makeSquare(fields.toFile, fields.toRow);

  MoveList list;
  generatePseudoLegal(pos, list);
  Move found = NullMove;
  for (Move m : list) {
    if (isIllegal(pos, m)) continue;
    const int from = fromSquare(m);
    bool matches = toSquare(m) == wanted;
    if (!matches && isCastling(pos, m)) {
      const int kingTo = castlingKingDestination(from, toSquare(m));
      matches = kingTo == wanted && distance(from, kingTo) > 1;
    }
    if (!matches) continue;
    const int type = typeOf(pos.board[from]);
    if (fields.fromRow < 0) {
      if (fields.fromFile >= 0 && fields.fromFile != fileOf(from)) continue;
      if (pieceType != AnyPieceType && pieceType != type) continue;
    } else if (fields.fromFile >= 0) {
      if (makeSquare(fields.fromFile, fields.fromRow) != from) continue;
    } else {
      if (fields.fromRow != rowOf(from) || (pieceType != AnyPieceType && pieceType != type)) continue;
    }
    found = m;
  }
  if (found == NullMove) return false;

  // The requested promotion piece; only a pawn reaching the last rank carries one.
  found &= 0x0FFF;
  if (isPromotion(pos, found)) found |= Move(promotionCodeOf(promotionType) << 12);

  const Position before = pos;
  makeMoveChecked(pos, found);
  refreshPosition(pos);
  if (record) record->appendMove(found, before);
  return true;
}

bool playMoveText(std::string_view text, Position& pos, GameRecord* record) {
  if (text.substr(0, 4) == "Null") {
    // Passing while in check would leave the king capturable.
    if (pos.checkers) return false;
    const Position before = pos;
    makeNullMove(pos);
    if (record) record->appendMove(NullMove, before);
    return true;
  }
  const MoveFields fields = parseMoveText(text, pos);
  return matchAndPlayMove(pos, fields, fields.pieceType, fields.promotionType, record);
}

namespace {

// Walks PGN movetext; skips what is not a move and keeps brace comments.
class MovetextWalker {
 public:
  MovetextWalker(GameRecord& record, std::string_view text, Position& pos, const SkippedMoveHandler& skipped)
      : record(record), text(text), pos(pos), skipped(skipped) {}

  void run() {
    while (i < text.size()) {
      const char c = text[i++];
      skipAnnotations();
      if (c >= '0' && c <= '9') readNumberedMoves();
    }
  }

 private:
  GameRecord& record;
  std::string_view text;
  Position& pos;
  const SkippedMoveHandler& skipped;
  size_t i = 0;

  char peek() const { return i < text.size() ? text[i] : '\0'; }

  // Skips a nested group that opened at text[i - 1] until its matching close.
  std::string_view skipGroup(char open, char close) {
    const size_t begin = i;
    int depth = 1;
    while (i < text.size() && depth) {
      if (text[i] == open) ++depth;
      else if (text[i] == close) --depth;
      ++i;
    }
    return text.substr(begin, i - begin - (depth == 0 ? 1 : 0));
  }

  // NAGs, variations, bracketed text and comments that follow the current character.
  void skipAnnotations() {
    for (;;) {
      const char c = peek();
      if (c == '$') {
        ++i;
        while (peek() >= '0' && peek() <= '9') ++i;
      } else if (c == '(') {
        ++i, skipGroup('(', ')');
      } else if (c == '[') {
        ++i, skipGroup('[', ']');
      } else if (c == '{') {
        ++i;
        const std::string_view comment = skipGroup('{', '}');
        const int last = record.count - 1;
        if (last >= 0 && last < MaxRecordedPlies)
          record.comments[size_t(last)] = std::string(comment.substr(0, MaxCommentLength));
      } else {
        return;
      }
    }
  }

  static bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
  static bool startsAnnotation(char c) { return c == '$' || c == '(' || c == '[' || c == '{'; }

  void readNumberedMoves() {
    while ((peek() >= '0' && peek() <= '9') || peek() == '.') ++i, skipAnnotations();
    const int tokens = pos.sideToMove == White ? 2 : 1;
    for (int t = 0; t < tokens && i < text.size(); ++t) {
      while (i < text.size() && (isSpaceOrControl(peek()) || (peek() >= '0' && peek() <= '9') || peek() == '.')) {
        ++i;
        skipAnnotations();
      }
      // The token ends at a blank or where an annotation starts, so that a comment
      // written right after a move belongs to that move.
      char token[40];
      int length = 0;
      while (i < text.size() && !isSpaceOrControl(peek()) && !startsAnnotation(peek())) {
        const char c = text[i++];
        if (length < 39) token[length++] = c;
      }
      const char first = length ? token[0] : '\0';
      if ((first >= 'a' && first <= 'h') || (first >= 'A' && first <= 'Z')) {
        const std::string_view move(token, size_t(length));
        if (!playMoveText(move, pos, &record) && skipped) skipped(move, pos);
      }
      skipAnnotations();
    }
  }
};

}  // namespace

void parseMovetext(GameRecord& record, std::string_view movetext, Position& pos, const SkippedMoveHandler& skipped) {
  MovetextWalker(record, movetext, pos, skipped).run();
}

}  // namespace tarn
