// FEN text, mirroring, square names and move notation.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/chess.h"

using chess::Board;

namespace {

// Whatever cannot be read keeps its default, and nothing lands off the board.
TEST(Fen, ReadAndWrittenBack) {
    const std::string cases[][2] = {
        {"8/8/8/8/8/8/8/8 b - - 7 40", "8/8/8/8/8/8/8/8 b - - 7 40"},
        {"4k3/8/8/8/8/8/8/4K3", "4k3/8/8/8/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/8/4P3/8/8/4K3 b - E3 0 1", "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1"},
        {"8/8/8/8/8/8/8/8 w qK - x12 -3", "8/8/8/8/8/8/8/8 w Kq - 0 -3"},
        {"8/8/8/8/8/8/8/8 w - - 99999999999999999999 1", "8/8/8/8/8/8/8/8 w - - 2147483647 1"},
        {"pppppppp/8/8/8/8/8/8/8/QQQQQQQQ w - - 0 1", "pppppppp/8/8/8/8/8/8/8 w - - 0 1"},
        {"kkkkkkkkkkkk/8/8/8/8/8/8/8 w - - 0 1", "kkkkkkkk/8/8/8/8/8/8/8 w - - 0 1"},
        {"9/8/8/8/8/8/8/8 w - - 0 1", "97/8/8/8/8/8/8/8 w - - 0 1"},  // '9' is kept as an odd piece
        {"r3k2r/8/3pP3/8/8/8/8/R3K2R b Qk d6 0 1", "r3k2r/8/3pP3/8/8/8/8/R3K2R b Qk d6 0 1"},
        {"", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {std::string(10000, '8'), "8/8/8/8/8/8/8/8 w - - 0 1"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Board::fromFen(in).fen(), out) << in.substr(0, 60);
}

TEST(Fen, SquareNames) {
    for (const auto& [sq, name] : {std::pair{12, "E2"}, {0, "A1"}, {63, "H8"}}) {
        EXPECT_EQ(chess::squareName(sq), name);
        EXPECT_EQ(chess::squareFromName(name), sq);
    }
    EXPECT_EQ(chess::squareFromName("e4"), 28);
    for (int off : {-1, 64}) EXPECT_EQ(chess::squareName(off), "-") << off;
    for (const char* bad : {"i1", "a9", "a10", "", "-", "a0", "e"}) EXPECT_EQ(chess::squareFromName(bad), -1) << bad;
}

// Ranks reversed, colours and castling letters exchanged, the en-passant rank
// reflected, White to move.
TEST(Mirror, SeenFromTheOtherSide) {
    const char* cases[][2] = {
        {"8/8/8/8/4P3/8/8/8 b Kq e3 5 9", "8/8/8/4p3/8/8/8/8 w Qk e6 5 9"},
        {"8/8/8/3Pp3/8/8/8/8 w - d6 0 1", "8/8/8/8/3pP3/8/8/8 w - d3 0 1"},
        {"8/8/8/8/8/8/8/8 b - - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8", "8/8/8/8/8/8/8/8 w - - 0 1"},
        {"8/8/8/8/8/8/8/8 w xyz e33 0 1", "8/8/8/8/8/8/8/8 w - - 0 1"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(chess::mirrorFen(in), out) << in;
}

TEST(Notation, FromToWithCaptureSign) {
    const std::tuple<chess::Piece, chess::Sq, chess::Sq, bool, char, const char*> cases[] = {
        {'P', 12, 28, false, 0, "e2\u2013e4"}, {'N', 21, 36, true, 'N', "f3\u00D7e5"},
        {'p', 52, 36, false, 0, "e7\u2013e5"}, {'Q', 3, 59, true, 'Q', "d1\u00D7d8"},
        {'k', 60, 62, false, 'K', "e8\u2013g8"},
    };
    for (const auto& [moved, from, to, captured, kind, text] : cases) {
        const chess::Notation n = chess::notationFor(moved, from, to, captured);
        EXPECT_EQ(n.pieceKind, kind) << text;
        EXPECT_EQ(n.text, text);
    }
}

}  // namespace
