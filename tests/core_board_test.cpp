// Positions, FEN text, mirroring, square names and move notation.
#include <gtest/gtest.h>

#include <string>

#include "core/chess.h"

using chess::Board;
using chess::Color;

namespace {

const std::string kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(Fen, StartPositionRoundTrips) {
    const Board b = Board::startPosition();
    EXPECT_EQ(b.fen(), kStart);
    EXPECT_EQ(b.materialSum(), 98);
    EXPECT_EQ(b.at(4), 'K');
    EXPECT_EQ(b.at(60), 'k');
    EXPECT_EQ(b.kingSquare(Color::White), 4);
    EXPECT_EQ(b.kingSquare(Color::Black), 60);
    EXPECT_TRUE(b.whiteShort && b.whiteLong && b.blackShort && b.blackLong);
}

TEST(Fen, EmptyBoardWithClocks) {
    const std::string text = "8/8/8/8/8/8/8/8 b - - 7 40";
    const Board b = Board::fromFen(text);
    EXPECT_EQ(b.turn, Color::Black);
    EXPECT_FALSE(b.whiteShort || b.whiteLong || b.blackShort || b.blackLong);
    EXPECT_EQ(b.enPassant, -1);
    EXPECT_EQ(b.halfMove, 7);
    EXPECT_EQ(b.fullMove, 40);
    EXPECT_EQ(b.materialSum(), 0);
    EXPECT_EQ(b.kingSquare(Color::White), -1);
    EXPECT_EQ(b.fen(), text);
}

TEST(Fen, PlacementOnlyUsesReadDefaults) {
    const Board b = Board::fromFen("4k3/8/8/8/8/8/8/4K3");
    EXPECT_EQ(b.turn, Color::White);
    EXPECT_FALSE(b.whiteShort || b.whiteLong || b.blackShort || b.blackLong);
    EXPECT_EQ(b.enPassant, -1);
    EXPECT_EQ(b.halfMove, 0);
    EXPECT_EQ(b.fullMove, 1);
    EXPECT_EQ(b.fen(), "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
}

TEST(Fen, EnPassantSquareWrittenLowerCaseReadInEitherCase) {
    const Board upper = Board::fromFen("4k3/8/8/8/4P3/8/8/4K3 b - E3 0 1");
    const Board lower = Board::fromFen("4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
    EXPECT_EQ(upper.enPassant, 20);
    EXPECT_EQ(lower.enPassant, 20);
    EXPECT_EQ(upper.fen(), "4k3/8/8/8/4P3/8/8/4K3 b - e3 0 1");
}

TEST(Fen, CastlingLettersInAnyOrderAndOddClocks) {
    const Board b = Board::fromFen("8/8/8/8/8/8/8/8 w qK - x12 -3");
    EXPECT_TRUE(b.whiteShort);
    EXPECT_FALSE(b.whiteLong);
    EXPECT_FALSE(b.blackShort);
    EXPECT_TRUE(b.blackLong);
    EXPECT_EQ(b.halfMove, 0);  // no numeric prefix
    EXPECT_EQ(b.fullMove, -3);
    EXPECT_EQ(Board::fromFen("8/8/8/8/8/8/8/8 w - - 99999999999999999999 1").halfMove, 2147483647);
}

TEST(Fen, MalformedTextNeverLeavesTheBoard) {
    // A ninth rank and over-long ranks are dropped instead of written elsewhere.
    const Board nine = Board::fromFen("pppppppp/8/8/8/8/8/8/8/QQQQQQQQ w - - 0 1");
    EXPECT_EQ(nine.materialSum(), 8);
    const Board wide = Board::fromFen("kkkkkkkkkkkk/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(wide.materialSum(), 80);
    EXPECT_EQ(wide.at(48), 0);

    // '9' is not a count: it is stored as an (odd) piece character.
    const Board nineDigit = Board::fromFen("9/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(nineDigit.at(56), '9');
    EXPECT_EQ(Board::fromFen(nineDigit.fen()).fen(), nineDigit.fen());

    EXPECT_EQ(Board::fromFen("").fen(), "8/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(Board::fromFen(std::string(10000, '8')).fen(), "8/8/8/8/8/8/8/8 w - - 0 1");
    std::string junk;
    for (int i = 0; i < 10000; ++i) junk += static_cast<char>((i * 37 + 11) % 256);
    const Board b = Board::fromFen(junk);
    EXPECT_EQ(Board::fromFen(b.fen()).fen(), b.fen());
}

TEST(Fen, SquareNames) {
    EXPECT_EQ(chess::squareName(12), "E2");
    EXPECT_EQ(chess::squareName(0), "A1");
    EXPECT_EQ(chess::squareName(63), "H8");
    EXPECT_EQ(chess::squareName(-1), "-");
    EXPECT_EQ(chess::squareName(64), "-");
    EXPECT_EQ(chess::squareFromName("H8"), 63);
    EXPECT_EQ(chess::squareFromName("e4"), 28);
    for (const char* bad : {"i1", "a9", "a10", "", "-", "a0", "e"}) {
        EXPECT_EQ(chess::squareFromName(bad), -1) << bad;
    }
}

TEST(Mirror, KingAndPawnsHandicapFromTheOtherSide) {
    const std::string mirrored = chess::mirrorFen("4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(mirrored, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/4K3 w KQkq - 0 1");
}

TEST(Mirror, SideCastlingAndEnPassant) {
    EXPECT_EQ(chess::mirrorFen("8/8/8/8/4P3/8/8/8 b Kq e3 5 9"), "8/8/8/4p3/8/8/8/8 w Qk e6 5 9");
    EXPECT_EQ(chess::mirrorFen("8/8/8/8/8/8/8/8 b - - 0 1"), "8/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(chess::mirrorFen("8/8/8/8/8/8/8/8"), "8/8/8/8/8/8/8/8 w - - 0 1");
    EXPECT_EQ(chess::mirrorFen("8/8/8/8/8/8/8/8 w xyz e33 0 1"), "8/8/8/8/8/8/8/8 w - - 0 1");
}

TEST(Mirror, TwiceRestoresPlacementCastlingAndEnPassant) {
    for (const char* fen : {"r3k2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                            "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w Kq c6 3 7",
                            "8/2k5/8/8/8/5K2/8/8 w - - 0 1"}) {
        EXPECT_EQ(chess::mirrorFen(chess::mirrorFen(fen)), fen);
    }
}

TEST(Notation, FromToWithCaptureSign) {
    const chess::Notation pawn = chess::notationFor('P', 12, 28, false);
    EXPECT_EQ(pawn.pieceKind, 0);
    EXPECT_EQ(pawn.text, "e2\u2013e4");
    const chess::Notation knight = chess::notationFor('N', 21, 36, true);
    EXPECT_EQ(knight.pieceKind, 'N');
    EXPECT_EQ(knight.text, "f3\u00D7e5");
    const chess::Notation blackPawn = chess::notationFor('p', 52, 36, false);
    EXPECT_EQ(blackPawn.pieceKind, 0);
    EXPECT_EQ(blackPawn.text, "e7\u2013e5");
    const chess::Notation queen = chess::notationFor('Q', 3, 59, true);
    EXPECT_EQ(queen.pieceKind, 'Q');
    EXPECT_EQ(queen.text, "d1\u00D7d8");
    EXPECT_EQ(chess::notationFor('k', 60, 62, false).pieceKind, 'K');
}

}  // namespace
