#include "core/chess.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace chess {
namespace {

constexpr int fileOf(Sq s) { return s & 7; }
constexpr int rankOf(Sq s) { return s >> 3; }
constexpr Sq sqOf(int rank, int file) { return rank * 8 + file; }
constexpr Color other(Color c) { return c == Color::White ? Color::Black : Color::White; }

// ---- square stepping --------------------------------------------------------
// Each returns the neighbouring square in one direction, or -1 off the board.

constexpr Sq up(Sq s) { return s < 0 || s > 55 ? -1 : s + 8; }
constexpr Sq down(Sq s) { return s < 8 ? -1 : s - 8; }
constexpr Sq left(Sq s) { return s < 0 || fileOf(s) == 0 ? -1 : s - 1; }
constexpr Sq right(Sq s) { return s < 0 || fileOf(s) == 7 ? -1 : s + 1; }
constexpr Sq upLeft(Sq s) { return s < 0 || s > 55 || fileOf(s) == 0 ? -1 : s + 7; }
constexpr Sq upRight(Sq s) { return s < 0 || s > 55 || fileOf(s) == 7 ? -1 : s + 9; }
constexpr Sq downLeft(Sq s) { return s < 8 || fileOf(s) == 0 ? -1 : s - 9; }
constexpr Sq downRight(Sq s) { return s < 8 || fileOf(s) == 7 ? -1 : s - 7; }
constexpr Sq upLeftUp(Sq s) { return s < 0 || s > 48 || fileOf(s) == 0 ? -1 : s + 15; }
constexpr Sq upLeftLeft(Sq s) { return s < 0 || s > 55 || fileOf(s) < 2 ? -1 : s + 6; }
constexpr Sq upRightUp(Sq s) { return s < 0 || s > 46 || fileOf(s) == 7 ? -1 : s + 17; }
constexpr Sq upRightRight(Sq s) { return s < 0 || s > 55 || fileOf(s) > 5 ? -1 : s + 10; }
constexpr Sq downLeftDown(Sq s) { return s < 17 || fileOf(s) == 0 ? -1 : s - 17; }
constexpr Sq downLeftLeft(Sq s) { return s < 8 || fileOf(s) < 2 ? -1 : s - 10; }
constexpr Sq downRightDown(Sq s) { return s < 15 || fileOf(s) == 7 ? -1 : s - 15; }
constexpr Sq downRightRight(Sq s) { return s < 8 || fileOf(s) > 5 ? -1 : s - 6; }

using Step = Sq (*)(Sq);

// The order of these tables fixes the order of generated moves.
constexpr Step kRookDirs[] = {up, down, right, left};
constexpr Step kBishopDirs[] = {upLeft, upRight, downLeft, downRight};
constexpr Step kQueenDirs[] = {up, down, right, left, upLeft, upRight, downLeft, downRight};
constexpr Step kKnightDirs[] = {upRightUp,    upRightRight,   upLeftUp,       upLeftLeft,
                                downLeftLeft, downLeftDown,   downRightRight, downRightDown};

// Step functions evaluated once for every square, so the generator reads a table.
template <std::size_t N>
struct StepTable {
    std::array<std::array<std::int8_t, N>, 64> next{};
};

template <std::size_t N>
constexpr StepTable<N> makeStepTable(const Step (&dirs)[N]) {
    StepTable<N> table;
    for (int s = 0; s < 64; ++s) {
        for (std::size_t d = 0; d < N; ++d) table.next[s][d] = static_cast<std::int8_t>(dirs[d](s));
    }
    return table;
}

constexpr StepTable<4> kRookSteps = makeStepTable(kRookDirs);
constexpr StepTable<4> kBishopSteps = makeStepTable(kBishopDirs);
constexpr StepTable<8> kQueenSteps = makeStepTable(kQueenDirs);
constexpr StepTable<8> kKnightSteps = makeStepTable(kKnightDirs);

constexpr Sq kG1 = 6;
constexpr Sq kC1 = 2;
constexpr Sq kG8 = 62;
constexpr Sq kC8 = 58;

bool isOwn(Piece p, Color mover) { return p != 0 && colorOf(p) == mover; }

// ---- pseudo-legal moves ---------------------------------------------------------

template <std::size_t N>
void slideMoves(const Board& b, Color mover, Sq from, TargetList& out, const StepTable<N>& steps) {
    for (std::size_t d = 0; d < N; ++d) {
        Sq s = steps.next[from][d];
        while (s != -1) {
            const Piece p = b.sq[s];
            if (p != 0) {
                if (colorOf(p) != mover) out.push_back(s);
                break;
            }
            out.push_back(s);
            s = steps.next[s][d];
        }
    }
}

template <std::size_t N>
void stepMoves(const Board& b, Color mover, Sq from, TargetList& out, const StepTable<N>& steps) {
    for (std::size_t d = 0; d < N; ++d) {
        const Sq s = steps.next[from][d];
        if (s != -1 && !isOwn(b.sq[s], mover)) out.push_back(s);
    }
}

void whitePawnMoves(const Board& b, Sq s, TargetList& out) {
    if (s > 55) return;
    if (b.sq[s + 8] == 0) {
        out.push_back(s + 8);
        if (s >= 8 && s <= 15 && b.sq[s + 16] == 0) out.push_back(s + 16);
    }
    auto capturable = [&](Sq t) { return (b.sq[t] != 0 && !isWhite(b.sq[t])) || t == b.enPassant; };
    if (fileOf(s) != 0 && capturable(s + 7)) out.push_back(s + 7);
    if (fileOf(s) != 7 && capturable(s + 9)) out.push_back(s + 9);
}

void blackPawnMoves(const Board& b, Sq s, TargetList& out) {
    if (s < 8) return;
    if (b.sq[s - 8] == 0) {
        out.push_back(s - 8);
        if (s >= 48 && s <= 55 && b.sq[s - 16] == 0) out.push_back(s - 16);
    }
    auto capturable = [&](Sq t) { return isWhite(b.sq[t]) || t == b.enPassant; };
    if (fileOf(s) != 7 && capturable(s - 7)) out.push_back(s - 7);
    if (fileOf(s) != 0 && capturable(s - 9)) out.push_back(s - 9);
}

void pieceMoves(const Board& b, Piece p, Sq s, TargetList& out) {
    const Color mover = colorOf(p);
    switch (kindOf(p)) {
        case 'P':
            if (mover == Color::White) {
                whitePawnMoves(b, s, out);
            } else {
                blackPawnMoves(b, s, out);
            }
            break;
        case 'N': stepMoves(b, mover, s, out, kKnightSteps); break;
        case 'B': slideMoves(b, mover, s, out, kBishopSteps); break;
        case 'R': slideMoves(b, mover, s, out, kRookSteps); break;
        case 'Q': slideMoves(b, mover, s, out, kQueenSteps); break;
        case 'K': stepMoves(b, mover, s, out, kQueenSteps); break;
        default: break;
    }
}

// ---- attacks --------------------------------------------------------------------

// The first piece met walking from `from` along direction d, or 0.
template <std::size_t N>
Piece firstPieceAlong(const Board& b, Sq from, std::size_t d, const StepTable<N>& steps, bool& adjacent) {
    adjacent = true;
    for (Sq s = steps.next[from][d]; s != -1; s = steps.next[s][d]) {
        if (b.sq[s] != 0) return b.sq[s];
        adjacent = false;
    }
    return 0;
}

// True when a piece of colour c attacks the square: pawns attack their two
// forward diagonals whether anything stands there or not, pushes attack nothing.
bool isSquareAttacked(const Board& b, Sq target, Color c) {
    auto ofC = [c](Piece p) { return p != 0 && colorOf(p) == c; };

    for (std::size_t d = 0; d < 4; ++d) {  // up, down, right, left
        bool adjacent = false;
        const Piece p = firstPieceAlong(b, target, d, kQueenSteps, adjacent);
        if (!ofC(p)) continue;
        const Piece k = kindOf(p);
        if (k == 'R' || k == 'Q' || (k == 'K' && adjacent)) return true;
    }
    for (std::size_t d = 4; d < 8; ++d) {  // upLeft, upRight, downLeft, downRight
        bool adjacent = false;
        const Piece p = firstPieceAlong(b, target, d, kQueenSteps, adjacent);
        if (!ofC(p)) continue;
        const Piece k = kindOf(p);
        if (k == 'B' || k == 'Q' || (k == 'K' && adjacent)) return true;
        // A pawn attacks from the diagonals that point towards its own side.
        const bool towardsAttacker = c == Color::Black ? d < 6 : d >= 6;
        if (k == 'P' && adjacent && towardsAttacker) return true;
    }
    for (std::size_t d = 0; d < 8; ++d) {
        const Sq s = kKnightSteps.next[target][d];
        if (s != -1 && ofC(b.sq[s]) && kindOf(b.sq[s]) == 'N') return true;
    }
    return false;
}

// True when colour c attacks the king of the other colour.
bool isAttackingKing(const Board& b, Color c) {
    const Sq king = b.kingSquare(other(c));
    return king != -1 && isSquareAttacked(b, king, c);
}

struct Castle {
    bool Board::*right;
    Piece king;
    Piece rook;
    Sq kingFrom;
    Sq rookFrom;
    Sq mustBeEmpty[3];
    int emptyCount;
    Sq mustNotBeAttacked[3];  // where the king stands, crosses and lands
    Sq destination;
};

// Queen side before king side, per colour.
constexpr Castle kWhiteCastles[] = {
    {&Board::whiteLong, 'K', 'R', 4, 0, {1, 2, 3}, 3, {4, 3, 2}, kC1},
    {&Board::whiteShort, 'K', 'R', 4, 7, {5, 6, -1}, 2, {4, 5, 6}, kG1},
};
constexpr Castle kBlackCastles[] = {
    {&Board::blackLong, 'k', 'r', 60, 56, {57, 58, 59}, 3, {60, 59, 58}, kC8},
    {&Board::blackShort, 'k', 'r', 60, 63, {61, 62, -1}, 2, {60, 61, 62}, kG8},
};

bool castlePrepared(const Board& b, const Castle& c) {
    if (!(b.*c.right) || b.sq[c.kingFrom] != c.king || b.sq[c.rookFrom] != c.rook) return false;
    for (int i = 0; i < c.emptyCount; ++i) {
        if (b.sq[c.mustBeEmpty[i]] != 0) return false;
    }
    return true;
}

void addCastles(const Board& b, MoveMap& moves) {
    const Castle* castles = b.turn == Color::White ? kWhiteCastles : kBlackCastles;
    const Color opponent = other(b.turn);
    for (int i = 0; i < 2; ++i) {
        const Castle& c = castles[i];
        if (!castlePrepared(b, c)) continue;
        const bool attacked = isSquareAttacked(b, c.mustNotBeAttacked[0], opponent) ||
                              isSquareAttacked(b, c.mustNotBeAttacked[1], opponent) ||
                              isSquareAttacked(b, c.mustNotBeAttacked[2], opponent);
        if (!attacked) moves.targets[c.kingFrom].push_back(c.destination);
    }
}

// The board on which each candidate move is tried. The side to move and the
// en-passant square are kept so that an en-passant capture is judged with the
// captured pawn gone.
Board legalityBoard(const Board& b) {
    Board test;
    test.sq = b.sq;
    test.whiteShort = b.whiteShort;
    test.whiteLong = b.whiteLong;
    test.blackShort = b.blackShort;
    test.blackLong = b.blackLong;
    test.turn = b.turn;
    test.enPassant = b.enPassant;
    test.halfMove = 0;
    test.fullMove = 1;
    test.isFinished = false;
    test.checkMate = false;
    return test;
}

// Plays one move on the board without touching the side to move or the clocks.
// Returns whether it captured a piece or moved a pawn.
bool placeMove(Board& b, Sq from, Sq to) {
    const Piece moving = b.sq[from];
    const Piece captured = b.sq[to];
    b.sq[to] = moving;
    b.sq[from] = 0;
    const bool pawn = kindOf(moving) == 'P';
    if (pawn) {
        if (b.turn == Color::White) {
            if (to >= 56) b.sq[to] = 'Q';
            if (to == b.enPassant && to > 7) b.sq[to - 8] = 0;
            b.enPassant = (from >= 8 && from <= 15 && to >= 24 && to <= 31) ? fileOf(from) + 16 : -1;
        } else {
            if (to <= 7) b.sq[to] = 'q';
            if (to == b.enPassant && to < 56) b.sq[to + 8] = 0;
            b.enPassant = (from >= 48 && from <= 55 && to >= 32 && to <= 39) ? fileOf(from) + 40 : -1;
        }
    } else {
        b.enPassant = -1;
    }
    switch (from) {
        case 4: b.whiteShort = b.whiteLong = false; break;
        case 60: b.blackShort = b.blackLong = false; break;
        case 0: b.whiteLong = false; break;
        case 7: b.whiteShort = false; break;
        case 56: b.blackLong = false; break;
        case 63: b.blackShort = false; break;
        default: break;
    }
    // A rook taken on its corner takes its side's castling right with it.
    if (captured == 'R' && to == 0) b.whiteLong = false;
    if (captured == 'R' && to == 7) b.whiteShort = false;
    if (captured == 'r' && to == 56) b.blackLong = false;
    if (captured == 'r' && to == 63) b.blackShort = false;
    return pawn || captured != 0;
}

// The rook's part of a castle, when the king move is one.
bool castleRookMove(Piece moving, Sq from, Sq to, Sq& rookFrom, Sq& rookTo) {
    if (moving != 'K' && moving != 'k') return false;
    if (from == 4 && to == 2) { rookFrom = 0; rookTo = 3; return true; }
    if (from == 60 && to == 58) { rookFrom = 56; rookTo = 59; return true; }
    if (from == 4 && to == 6) { rookFrom = 7; rookTo = 5; return true; }
    if (from == 60 && to == 62) { rookFrom = 63; rookTo = 61; return true; }
    return false;
}

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

// ---- pieces -----------------------------------------------------------------------

bool isWhite(Piece p) { return p >= 'A' && p <= 'Z'; }
Color colorOf(Piece p) { return isWhite(p) ? Color::White : Color::Black; }
Piece kindOf(Piece p) { return p >= 'a' && p <= 'z' ? static_cast<Piece>(p - 32) : p; }

int pieceValue(Piece p) {
    switch (kindOf(p)) {
        case 'P': return 1;
        case 'N': return 3;
        case 'B': return 3;
        case 'R': return 5;
        case 'Q': return 9;
        case 'K': return 10;
        default: return 0;
    }
}

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
    MoveMap moves;
    int movable = 0;
    for (Sq s = 0; s < 64; ++s) {
        if (!isOwn(sq[s], turn)) continue;
        pieceMoves(*this, sq[s], s, moves.targets[s]);
        if (!moves.targets[s].empty()) ++movable;
    }
    addCastles(*this, moves);

    if (skipTestAbove > 0 && movable > skipTestAbove) {
        moves.any = moves.count() > 0;
        return moves;
    }

    const Board test = legalityBoard(*this);
    const Color mover = turn;
    int kept = 0;
    for (Sq s = 0; s < 64; ++s) {
        TargetList& list = moves.targets[s];
        int legal = 0;
        for (int i = 0; i < list.size(); ++i) {
            Board tried = test;
            tried.makeMove(s, list[i]);
            if (!isAttackingKing(tried, other(mover))) list.set(legal++, list[i]);
        }
        list.truncate(legal);
        kept += legal;
    }
    moves.any = kept > 0;
    if (!moves.any) {
        isFinished = true;
        if (playingPlayerInCheck()) checkMate = true;
    }
    return moves;
}

void Board::makeMove(Sq from, Sq to) {
    if (from < 0 || from > 63 || to < 0 || to > 63 || sq[from] == 0) return;
    const Piece moving = sq[from];
    const bool resetsClock = placeMove(*this, from, to);
    Sq rookFrom = -1;
    Sq rookTo = -1;
    // A castle moves its rook too and counts once, as the rook's half-move.
    // Generation only castles with the rook in its corner; a king jump without
    // one stays a plain king move.
    bool zeroClock = resetsClock;
    if (castleRookMove(moving, from, to, rookFrom, rookTo) && sq[rookFrom] != 0) {
        zeroClock = placeMove(*this, rookFrom, rookTo);
    }
    if (turn == Color::White) {
        turn = Color::Black;
    } else {
        turn = Color::White;
        ++fullMove;
    }
    halfMove = zeroClock ? 0 : halfMove + 1;
}

bool Board::tryMove(Sq from, Sq to) {
    const MoveMap moves = getMoves(0);
    if (from < 0 || from > 63 || !moves.contains(from, to)) return false;
    makeMove(from, to);
    return true;
}

bool Board::playingPlayerInCheck() const { return isAttackingKing(*this, other(turn)); }
bool Board::nonPlayingPlayerInCheck() const { return isAttackingKing(*this, turn); }

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
            if (isOwn(p, own) && std::find(threatened.begin(), threatened.end(), t) == threatened.end()) {
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
