// The chess core's working position: the rules of play on a compact mailbox
// that keeps its material balance, king squares and occupancy up to date as
// moves are played, so that move generation and the search never rescan the
// board. Internal to the core; the rest of the game uses chess::Board.
#pragma once

#include <array>
#include <cstdint>

#include "core/chess.h"

namespace chess::internal {

struct PackedMove {
    std::int8_t from;
    std::int8_t to;
};

// Moves in generation order. The storage is left uninitialised: only the
// first `size` entries are ever read. Enough room for every square holding a
// queen, so no position read from FEN can overflow it.
struct MoveList {
    static constexpr int kCapacity = 64 * 27 + 2;
    int size = 0;
    std::array<PackedMove, kCapacity> moves;

    void push(Sq from, Sq to) {
        moves[size++] = {static_cast<std::int8_t>(from), static_cast<std::int8_t>(to)};
    }
};

// What one square character contributes to a position's running totals.
struct Traits {
    std::int8_t color;  // index of colorOf
    std::int8_t kind;   // pawn .. king as 0 .. 5, -1 for any other character
    bool king;          // the king of its colour ('K' or 'k')
    int value;          // 10 x pieceValue, positive for White
};

class Position {
public:
    explicit Position(const Board& b);

    Piece at(Sq s) const { return sq_[s]; }
    Color turn() const { return turn_; }
    // Material in tenths of pawns, White's pieces positive.
    int material() const { return material_; }
    // The lowest-numbered square holding c's king, -1 without one.
    Sq kingSquare(Color c) const;
    bool isAttacked(Sq target, Color by) const;
    // The side to move is in check.
    bool inCheck() const;

    // Pseudo-legal moves of the side to move, castles included; returns the
    // number of pieces with at least one move (castling not counted).
    int generate(MoveList& out) const;
    // Keeps the moves that leave the mover's king unattacked.
    void keepLegal(MoveList& moves) const;
    // What the legality test of the side to move's moves needs, worked out once.
    struct KingSafety {
        bool inCheck;
        std::uint64_t pinned;   // own pieces that alone shield the king from a slider
        std::uint64_t careful;   // out of check, only moves from these squares need a test
        std::uint64_t checkers;  // the pieces giving check (with exactly one king)
    };
    KingSafety kingSafety() const;
    // Would this pseudo-legal move leave the mover's own king attacked?
    bool exposesKing(Sq from, Sq to, const KingSafety& safety) const {
        if (!safety.inCheck && (safety.careful >> from & 1) == 0 && to != enPassant_) return false;
        return exposesKingAfterAll(from, to, safety);
    }
    // material() after the move, without playing it.
    int materialAfter(Sq from, Sq to) const;
    // Plays any move like Board::makeMove, clocks aside; returns whether the
    // half-move clock starts again (a capture or a pawn move).
    bool play(Sq from, Sq to);

    void copyTo(Board& b) const;

private:
    bool exposesKingAfterAll(Sq from, Sq to, const KingSafety& safety) const;
    void put(Sq s, Piece p);
    void remove(Sq s, const Traits& t);
    void add(Sq s, const Traits& t);
    bool moveOne(Sq from, Sq to);
    void generateCastles(MoveList& out) const;
    // Attack test on the board as it would be with `occupied` squares taken
    // and only the `alive` pieces of colour c left.
    bool isAttackedWith(Sq target, Color c, std::uint64_t occupied, std::uint64_t alive) const;
    std::uint64_t attackersWith(Sq target, Color c, std::uint64_t occupied, std::uint64_t alive, bool firstOnly) const;

    std::array<Piece, 64> sq_{};
    std::array<std::uint64_t, 2> occupied_{};  // by colour of the piece character
    // By colour and kind: pawns, knights, bishops, rooks, queens, kings.
    std::array<std::array<std::uint64_t, 6>, 2> kinds_{};
    std::array<Sq, 2> king_{-1, -1};
    std::array<std::int8_t, 2> kingCount_{};
    int material_ = 0;
    Color turn_ = Color::White;
    Sq enPassant_ = -1;
    bool whiteShort_ = false;
    bool whiteLong_ = false;
    bool blackShort_ = false;
    bool blackLong_ = false;
};

// Leaf count of legal move generation below the position.
long long perft(const Position& p, int depth);

}  // namespace chess::internal
