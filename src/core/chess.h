// The chess position, the rules of play, the computer opponent and move notation.
//
// Rules follow chess with two fixed simplifications the rest of the game
// relies on: promotion is always to a queen, and there are no draws except
// stalemate.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace chess {

// 0..63 = file + 8 * rank, a1 = 0, h8 = 63; -1 = no square.
using Sq = int;
// A FEN letter, upper case for White; 0 is an empty square.
using Piece = char;

enum class Color { White = 0, Black = 1 };

struct Move {
    Sq from = -1;
    Sq to = -1;
    friend bool operator==(const Move&, const Move&) = default;
};

constexpr bool isWhite(Piece p) { return p >= 'A' && p <= 'Z'; }
constexpr Color colorOf(Piece p) { return isWhite(p) ? Color::White : Color::Black; }
// The upper-case letter of the piece's kind.
constexpr Piece kindOf(Piece p) { return p >= 'a' && p <= 'z' ? static_cast<Piece>(p - 32) : p; }
constexpr int pieceValue(Piece p) {
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

// Destination squares of one piece, in generation order. A fixed-capacity
// list: a queen reaches at most 27 squares, a king 8 plus two castles, so move
// generation never touches the heap.
class TargetList {
public:
    static constexpr int kCapacity = 27;

    int size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int operator[](int i) const { return squares_[i]; }
    const std::int8_t* begin() const { return squares_; }
    const std::int8_t* end() const { return squares_ + size_; }
    bool contains(int square) const;

    void push_back(int square) { squares_[size_++] = static_cast<std::int8_t>(square); }
    void truncate(int size) { size_ = static_cast<std::uint8_t>(size); }
    void set(int i, int square) { squares_[i] = static_cast<std::int8_t>(square); }

private:
    std::uint8_t size_ = 0;
    std::int8_t squares_[kCapacity];
};

// The moves of one side, grouped by source square.
struct MoveMap {
    std::array<TargetList, 64> targets;
    bool any = false;

    const TargetList& from(Sq f) const;
    bool contains(Sq f, Sq t) const;
    int count() const;
    // Sources ascending and, within a square, in list order.
    std::vector<Move> flat() const;
};

enum class Result { InProgress = 0, Checkmate = 1, Stalemate = 2 };

struct Board {
    std::array<Piece, 64> sq{};
    bool whiteShort = true;
    bool whiteLong = true;
    bool blackShort = true;
    bool blackLong = true;
    Color turn = Color::White;
    Sq enPassant = -1;
    int halfMove = 0;
    int fullMove = 1;
    bool isFinished = false;  // set by getMoves when the side to move has no legal move
    bool checkMate = false;   // set together with isFinished when that side is in check

    static Board startPosition();
    // Never fails: whatever cannot be read keeps its default.
    static Board fromFen(const std::string& text);
    std::string fen() const;

    Piece at(Sq s) const;
    Sq kingSquare(Color c) const;
    int materialSum() const;

    // Moves of the side to move. With skipTestAbove > 0 and more movable
    // pieces than that, the list is returned without the legality test.
    // Sets isFinished / checkMate when nothing legal is found.
    MoveMap getMoves(int skipTestAbove);
    MoveMap getMoves() { return getMoves(0); }
    // Plays the move without any legality test.
    void makeMove(Sq from, Sq to);
    bool tryMove(Sq from, Sq to);
    bool playingPlayerInCheck() const;
    bool nonPlayingPlayerInCheck() const;
};

Result resultOf(const Board& board);
// Leaf count of legal move generation `depth` plies below the board (1 at depth 0).
long long perft(const Board& board, int depth);
// Squares of `own`'s pieces that the side not to move could take with a legal move.
std::vector<int> threatenedSquares(const Board& board, Color own);

std::string squareName(Sq s);
Sq squareFromName(const std::string& name);
// The same position seen from the other side, colours exchanged, White to move.
std::string mirrorFen(const std::string& text);

// ---- the computer opponent -------------------------------------------------

using RandomSource = std::function<double()>;

struct ScoredMove {
    Move move;
    double score = 0.0;
};

// Every legal move with its score, best first. Exposed for the benchmark and
// debugging tool; the game itself asks aiMove.
std::vector<ScoredMove> calculateAiMoves(const Board& board, int level, const RandomSource& rnd);
Move aiMove(const Board& board, int level, const RandomSource& rnd);
bool suggest(const Board& board, int level, const RandomSource& rnd, Move* out);

// ---- move notation ---------------------------------------------------------

struct Notation {
    char pieceKind = 0;  // 'N', 'B', 'R', 'Q', 'K'; 0 for a pawn
    std::string text;    // e2–e4, f3×e5
};

Notation notationFor(Piece moved, Sq from, Sq to, bool captured);

}  // namespace chess
