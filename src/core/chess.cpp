#include "core/chess.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/chess_position.h"

namespace chess {
namespace {

constexpr int fileOf(Sq s) { return s & 7; }
constexpr int rankOf(Sq s) { return s >> 3; }
constexpr Sq sqOf(int rank, int file) { return rank * 8 + file; }
constexpr Color other(Color c) { return c == Color::White ? Color::Black : Color::White; }

constexpr const char* kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::vector<std::string> splitFields(const std::string& text, std::size_t maxFields) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (fields.size() < maxFields) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size()) break;
        const std::size_t start = i;
        while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        fields.push_back(text.substr(start, i - start));
    }
    fields.resize(maxFields);
    return fields;
}

int parseClock(const std::string& field, int whenEmpty) {
    if (field.empty()) return whenEmpty;
    const long value = std::strtol(field.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

char swapCase(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
    return c;
}

}  // namespace

// ---- move lists -------------------------------------------------------------------

bool TargetList::contains(int square) const {
    for (int t : *this) {
        if (t == square) return true;
    }
    return false;
}

const TargetList& MoveMap::from(Sq f) const {
    static const TargetList kNone{};
    return f >= 0 && f < 64 ? targets[f] : kNone;
}

bool MoveMap::contains(Sq f, Sq t) const { return f >= 0 && f < 64 && targets[f].contains(t); }

int MoveMap::count() const {
    int n = 0;
    for (const TargetList& list : targets) n += list.size();
    return n;
}

std::vector<Move> MoveMap::flat() const {
    std::vector<Move> moves;
    moves.reserve(static_cast<std::size_t>(count()));
    for (Sq f = 0; f < 64; ++f) {
        for (int t : targets[f]) moves.push_back({f, t});
    }
    return moves;
}

// ---- board ------------------------------------------------------------------------

Board Board::startPosition() { return fromFen(kStartFen); }

Board Board::fromFen(const std::string& text) {
    Board b;
    b.whiteShort = b.whiteLong = b.blackShort = b.blackLong = false;
    const std::vector<std::string> f = splitFields(text, 6);

    int rank = 7;
    int file = 0;
    for (char c : f[0]) {
        if (c == '/') {
            if (rank >= 0) --rank;  // further ranks fall off the board anyway
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file = std::min(file + (c - '0'), 8);
        } else if (rank >= 0 && rank <= 7 && file <= 7) {
            b.sq[sqOf(rank, file)] = c;
            ++file;
        }
    }

    b.turn = f[1] == "b" ? Color::Black : Color::White;
    b.whiteShort = f[2].find('K') != std::string::npos;
    b.whiteLong = f[2].find('Q') != std::string::npos;
    b.blackShort = f[2].find('k') != std::string::npos;
    b.blackLong = f[2].find('q') != std::string::npos;
    b.enPassant = squareFromName(f[3]);
    b.halfMove = parseClock(f[4], 0);
    b.fullMove = parseClock(f[5], 1);
    return b;
}

std::string Board::fen() const {
    std::string out;
    out.reserve(90);
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const Piece p = sq[sqOf(rank, file)];
            if (p == 0) {
                ++empty;
                continue;
            }
            if (empty > 0) out += static_cast<char>('0' + empty);
            empty = 0;
            out += p;
        }
        if (empty > 0) out += static_cast<char>('0' + empty);
        if (rank > 0) out += '/';
    }
    out += turn == Color::White ? " w " : " b ";
    const std::size_t castlingStart = out.size();
    if (whiteShort) out += 'K';
    if (whiteLong) out += 'Q';
    if (blackShort) out += 'k';
    if (blackLong) out += 'q';
    if (out.size() == castlingStart) out += '-';
    out += ' ';
    if (enPassant >= 0 && enPassant < 64) {
        std::string name = squareName(enPassant);
        name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
        out += name;
    } else {
        out += '-';
    }
    out += ' ' + std::to_string(halfMove) + ' ' + std::to_string(fullMove);
    return out;
}

Piece Board::at(Sq s) const { return s >= 0 && s < 64 ? sq[s] : 0; }

Sq Board::kingSquare(Color c) const {
    const void* found = std::memchr(sq.data(), c == Color::White ? 'K' : 'k', sq.size());
    return found ? static_cast<Sq>(static_cast<const Piece*>(found) - sq.data()) : -1;
}

int Board::materialSum() const {
    int sum = 0;
    for (Piece p : sq) sum += pieceValue(p);
    return sum;
}

// ---- move generation --------------------------------------------------------------

MoveMap Board::getMoves(int skipTestAbove) {
    const internal::Position position(*this);
    internal::MoveList list;
    const int movable = position.generate(list);
    const bool filter = skipTestAbove <= 0 || movable <= skipTestAbove;
    if (filter) position.keepLegal(list);

    MoveMap moves;
    for (int i = 0; i < list.size; ++i) moves.targets[list.moves[i].from].push_back(list.moves[i].to);
    moves.any = list.size > 0;
    if (filter && !moves.any) {
        isFinished = true;
        if (position.inCheck()) checkMate = true;
    }
    return moves;
}

void Board::makeMove(Sq from, Sq to) {
    if (from < 0 || from > 63 || to < 0 || to > 63 || sq[from] == 0) return;
    const bool blackMoved = turn == Color::Black;
    internal::Position position(*this);
    const bool resetsClock = position.play(from, to);
    position.copyTo(*this);
    if (blackMoved) ++fullMove;
    halfMove = resetsClock ? 0 : halfMove + 1;
}

bool Board::tryMove(Sq from, Sq to) {
    const MoveMap moves = getMoves(0);
    if (from < 0 || from > 63 || !moves.contains(from, to)) return false;
    makeMove(from, to);
    return true;
}

bool Board::playingPlayerInCheck() const { return internal::Position(*this).inCheck(); }

bool Board::nonPlayingPlayerInCheck() const {
    const internal::Position position(*this);
    const Sq king = position.kingSquare(other(turn));
    return king != -1 && position.isAttacked(king, turn);
}

long long perft(const Board& board, int depth) {
    return depth <= 0 ? 1 : internal::perft(internal::Position(board), depth);
}

Result resultOf(const Board& board) {
    if (board.checkMate) return Result::Checkmate;
    if (board.isFinished) return Result::Stalemate;
    return Result::InProgress;
}

std::vector<int> threatenedSquares(const Board& board, Color own) {
    Board copy = board;
    copy.turn = other(board.turn);
    copy.isFinished = false;
    copy.checkMate = false;
    const MoveMap moves = copy.getMoves(0);
    std::vector<int> threatened;
    for (Sq f = 0; f < 64; ++f) {
        for (int t : moves.targets[f]) {
            const Piece p = board.sq[t];
            if (p != 0 && colorOf(p) == own && std::find(threatened.begin(), threatened.end(), t) == threatened.end()) {
                threatened.push_back(t);
            }
        }
    }
    return threatened;
}

// ---- names and mirroring -------------------------------------------------------------

std::string squareName(Sq s) {
    if (s < 0 || s > 63) return "-";
    return {static_cast<char>('A' + fileOf(s)), static_cast<char>('1' + rankOf(s))};
}

Sq squareFromName(const std::string& name) {
    if (name.size() != 2) return -1;
    const char f = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    const char r = name[1];
    if (f < 'a' || f > 'h' || r < '1' || r > '8') return -1;
    return sqOf(r - '1', f - 'a');
}

std::string mirrorFen(const std::string& text) {
    std::vector<std::string> f = splitFields(text, 6);
    if (f[2].empty()) f[2] = "-";
    if (f[3].empty()) f[3] = "-";
    if (f[4].empty()) f[4] = "0";
    if (f[5].empty()) f[5] = "1";

    std::vector<std::string> ranks;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = f[0].find('/', start);
        ranks.push_back(f[0].substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    std::string placement;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!placement.empty() || it != ranks.rbegin()) placement += '/';
        for (char c : *it) placement += swapCase(c);
    }

    std::string castling = "-";
    if (f[2] != "-") {
        std::string swapped;
        for (char c : f[2]) swapped += swapCase(c);
        castling.clear();
        for (char right : {'K', 'Q', 'k', 'q'}) {
            if (swapped.find(right) != std::string::npos) castling += right;
        }
        if (castling.empty()) castling = "-";
    }

    std::string enPassant = "-";
    const std::string& ep = f[3];
    if (ep != "-" && ep.size() == 2 && ep[1] >= '1' && ep[1] <= '8') {
        enPassant = {ep[0], static_cast<char>('i' - ep[1])};
    }

    return placement + " w " + castling + " " + enPassant + " " + f[4] + " " + f[5];
}

// ---- notation -------------------------------------------------------------------------

Notation notationFor(Piece moved, Sq from, Sq to, bool captured) {
    Notation n;
    n.pieceKind = kindOf(moved) == 'P' ? 0 : kindOf(moved);
    auto lowerName = [](Sq s) {
        std::string name = squareName(s);
        if (name[0] >= 'A' && name[0] <= 'H') name[0] = static_cast<char>(name[0] + 32);
        return name;
    };
    n.text = lowerName(from) + (captured ? "\u00D7" : "\u2013") + lowerName(to);
    return n;
}

}  // namespace chess
