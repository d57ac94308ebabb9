// Legal moves, castling, en passant, promotion and the game result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/chess.h"

using chess::Board;
using chess::Color;
using chess::MoveMap;

namespace {

long long perft(Board& board, int depth) {
    const MoveMap moves = board.getMoves(0);
    if (depth == 1) return moves.count();
    long long nodes = 0;
    for (const chess::Move& m : moves.flat()) {
        Board next = board;
        next.makeMove(m.from, m.to);
        nodes += perft(next, depth - 1);
    }
    return nodes;
}

std::vector<int> targetsOf(const MoveMap& moves, chess::Sq from) {
    return {moves.from(from).begin(), moves.from(from).end()};
}

Board playAll(Board b, const std::vector<std::pair<std::string, std::string>>& moves) {
    for (const auto& [from, to] : moves) {
        EXPECT_TRUE(b.tryMove(chess::squareFromName(from), chess::squareFromName(to))) << from << to;
    }
    return b;
}

TEST(MoveGeneration, PerftFromTheStartPosition) {
    Board b = Board::startPosition();
    EXPECT_EQ(perft(b, 1), 20);
    EXPECT_EQ(perft(b, 2), 400);
    EXPECT_EQ(perft(b, 3), 8902);
    EXPECT_EQ(perft(b, 4), 197281);
}

TEST(MoveGeneration, FlatOrderOfTheStartPosition) {
    Board b = Board::startPosition();
    const std::vector<chess::Move> flat = b.getMoves().flat();
    ASSERT_EQ(flat.size(), 20u);
    const std::vector<chess::Move> expectedStart = {{1, 18}, {1, 16}, {6, 23}, {6, 21},
                                                    {8, 16}, {8, 24}, {9, 17}, {9, 25}};
    EXPECT_EQ(std::vector<chess::Move>(flat.begin(), flat.begin() + 8), expectedStart);
    EXPECT_EQ(flat.back(), (chess::Move{15, 31}));
}

TEST(MoveGeneration, SkippingTheLegalityTestDependsOnMovablePieces) {
    // Ten movable pieces: the unfiltered list, flags untouched.
    Board start = Board::startPosition();
    EXPECT_EQ(start.getMoves(5).count(), 20);

    // The pinned rook's sideways moves stay in the unfiltered list only.
    const std::string pinned = "4r2k/8/8/8/8/8/4R3/4K3 w - - 0 1";
    Board few = Board::fromFen(pinned);
    Board all = Board::fromFen(pinned);
    EXPECT_EQ(few.getMoves(5).count(), all.getMoves(0).count());  // two movers: filtered
    Board busy = Board::fromFen("4r2k/8/8/8/8/8/PPPPR3/4K3 w - - 0 1");
    Board busyLegal = busy;
    EXPECT_GT(busy.getMoves(5).count(), busyLegal.getMoves(0).count());
}

TEST(Result, FoolsMate) {
    Board b = playAll(Board::startPosition(), {{"f2", "f3"}, {"e7", "e5"}, {"g2", "g4"}, {"d8", "h4"}});
    const MoveMap moves = b.getMoves();
    EXPECT_FALSE(moves.any);
    EXPECT_EQ(moves.count(), 0);
    EXPECT_TRUE(b.isFinished);
    EXPECT_TRUE(b.checkMate);
    EXPECT_EQ(chess::resultOf(b), chess::Result::Checkmate);
    EXPECT_TRUE(b.playingPlayerInCheck());
}

TEST(Result, StalemateAndInProgress) {
    Board b = Board::fromFen("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_EQ(chess::resultOf(b), chess::Result::InProgress);
    EXPECT_FALSE(b.getMoves().any);
    EXPECT_TRUE(b.isFinished);
    EXPECT_FALSE(b.checkMate);
    EXPECT_EQ(chess::resultOf(b), chess::Result::Stalemate);

    Board rebuilt = Board::fromFen(b.fen());
    EXPECT_EQ(chess::resultOf(rebuilt), chess::Result::InProgress);
}

TEST(Result, BoardWithoutKingsNeverInCheck) {
    Board b = Board::fromFen("8/8/8/3q4/8/8/8/R7 w - - 0 1");
    EXPECT_FALSE(b.playingPlayerInCheck());
    EXPECT_EQ(b.getMoves().count(), 14);
    Board onlyBlack = Board::fromFen("8/8/8/3q4/8/8/8/8 w - - 0 1");
    EXPECT_FALSE(onlyBlack.getMoves().any);
    EXPECT_TRUE(onlyBlack.isFinished);
    EXPECT_FALSE(onlyBlack.checkMate);
}

TEST(MakeMove, DoubleStepSetsEnPassantAndOthersReset) {
    Board b = Board::startPosition();
    b.makeMove(12, 28);
    EXPECT_EQ(b.enPassant, 20);
    EXPECT_EQ(b.turn, Color::Black);
    EXPECT_EQ(b.halfMove, 0);
    b.makeMove(62, 45);  // knight
    EXPECT_EQ(b.enPassant, -1);
    EXPECT_EQ(b.halfMove, 1);
    EXPECT_EQ(b.fullMove, 2);
}

TEST(MakeMove, EmptySourceOrOffBoardSquaresChangeNothing) {
    const Board before = Board::startPosition();
    for (const auto& [from, to] : std::vector<std::pair<int, int>>{{20, 28}, {-1, 20}, {64, 20}, {12, 64}, {12, -7}}) {
        Board b = before;
        b.makeMove(from, to);
        EXPECT_EQ(b.fen(), before.fen()) << from << "-" << to;
    }
}

TEST(MakeMove, PromotionIsAlwaysAQueenAlsoOnCapture) {
    Board white = Board::fromFen("4k2r/6P1/8/8/8/8/8/4K3 w - - 3 1");
    ASSERT_TRUE(white.tryMove(54, 63));
    EXPECT_EQ(white.at(63), 'Q');
    EXPECT_EQ(white.halfMove, 0);
    Board black = Board::fromFen("4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1");
    ASSERT_TRUE(black.tryMove(9, 0));
    EXPECT_EQ(black.at(0), 'q');
    ASSERT_TRUE(Board::fromFen("4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1").tryMove(9, 1));
}

TEST(EnPassant, BothColoursCaptureThePassedPawn) {
    Board white = playAll(Board::fromFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1"), {{"d7", "d5"}});
    EXPECT_EQ(white.enPassant, 43);
    ASSERT_TRUE(white.getMoves().contains(36, 43));
    white.makeMove(36, 43);
    EXPECT_EQ(white.at(35), 0);
    EXPECT_EQ(white.at(43), 'P');

    Board black = playAll(Board::fromFen("4k3/8/8/8/4p3/8/3P4/4K3 w - - 0 1"), {{"d2", "d4"}});
    EXPECT_EQ(black.enPassant, 19);
    ASSERT_TRUE(black.getMoves().contains(28, 19));
    black.makeMove(28, 19);
    EXPECT_EQ(black.at(27), 0);
    EXPECT_EQ(black.at(19), 'p');
}

TEST(EnPassant, JudgedWithTheCapturedPawnStillOnItsSquare) {
    // The double step gives check; taking the checking pawn en passant is not offered.
    Board check = Board::fromFen("7k/8/8/3pP3/4K3/8/8/8 w - d6 0 1");
    EXPECT_TRUE(check.playingPlayerInCheck());
    EXPECT_FALSE(check.getMoves().contains(36, 43));

    // Taking en passant would open the rank to the rook; it is offered anyway.
    Board rank = Board::fromFen("7k/8/8/KPp4r/8/8/8/8 w - c6 0 1");
    EXPECT_TRUE(rank.getMoves().contains(33, 42));
}

TEST(Castling, BothSidesWhenFree) {
    Board b = Board::fromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(targetsOf(b.getMoves(), 4), (std::vector<int>{12, 5, 3, 11, 13, 2, 6}));
    b.turn = Color::Black;
    EXPECT_EQ(targetsOf(b.getMoves(), 60), (std::vector<int>{52, 61, 59, 51, 53, 58, 62}));
}

TEST(Castling, BlockedByOpponentMoveDestinations) {
    struct Case {
        const char* fen;
        std::vector<int> castles;  // destinations expected among the king's targets
        const char* why;
    };
    const std::vector<Case> cases = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", {}, "no rights"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w K - 0 1", {6}, "king side right only"},
        {"r3k3/8/8/8/8/8/8/R3K3 w KQ - 0 1", {2}, "no rook on h1"},
        {"r3k2r/8/8/8/8/8/8/RN2K2R w KQ - 0 1", {6}, "b1 occupied"},
        {"r3kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2}, "f1 reachable by the rook"},
        {"r3k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2}, "g1 reachable"},
        {"r3k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2, 6}, "h8 rook cannot reach the first rank"},
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2, 6}, "only b1 reachable: allowed"},
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", {6}, "c1 reachable"},
        {"4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", {}, "king in check"},
        {"4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1", {2, 6}, "pawn attacks d1 and f1 only diagonally"},
        {"4k3/8/8/8/8/7n/8/R3K2R w KQ - 0 1", {2}, "knight reaches g1"},
        {"r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", {58, 62}, "black both sides"},
        {"r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", {58, 62}, "only b8 reachable: allowed"},
        {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", {62}, "d8 reachable"},
        {"r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", {58}, "f8 reachable"},
    };
    for (const Case& c : cases) {
        Board b = Board::fromFen(c.fen);
        const chess::Sq king = b.kingSquare(b.turn);
        const MoveMap moves = b.getMoves();
        std::vector<int> castles;
        for (int t : moves.from(king)) {
            if (t == king - 2 || t == king + 2) castles.push_back(t);
        }
        EXPECT_EQ(castles, c.castles) << c.why;
    }
}

TEST(Castling, MovesTheRookAndSpendsOneHalfMove) {
    Board b = Board::fromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 4 10");
    ASSERT_TRUE(b.tryMove(4, 6));
    EXPECT_EQ(b.at(6), 'K');
    EXPECT_EQ(b.at(5), 'R');
    EXPECT_EQ(b.at(7), 0);
    EXPECT_FALSE(b.whiteShort);
    EXPECT_FALSE(b.whiteLong);
    EXPECT_TRUE(b.blackShort && b.blackLong);
    EXPECT_EQ(b.halfMove, 5);
    EXPECT_EQ(b.turn, Color::Black);
    ASSERT_TRUE(b.tryMove(60, 58));
    EXPECT_EQ(b.at(59), 'r');
    EXPECT_EQ(b.at(56), 0);
    EXPECT_EQ(b.fullMove, 11);
    EXPECT_EQ(b.fen(), "2kr3r/8/8/8/8/8/8/R4RK1 w - - 6 11");
}

TEST(Castling, RightsLostByMovingNotByBeingCaptured) {
    Board b = Board::fromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    b.makeMove(7, 63);  // rook takes rook on h8
    EXPECT_FALSE(b.whiteShort);
    EXPECT_TRUE(b.blackShort);
    const MoveMap moves = b.getMoves();
    EXPECT_FALSE(moves.contains(60, 62));
    EXPECT_EQ(b.fen(), "r3k2R/8/8/8/8/8/8/R3K3 b Qkq - 0 1");
}

TEST(Threats, PiecesTheOpponentCouldTake) {
    // White to move; Black's bishop could take the knight on c3 and the rook
    // could take the a2 pawn; the king on g1 is not attackable by a legal move.
    const Board b = Board::fromFen("r3k3/8/8/8/1b6/2N5/P7/6K1 w - - 0 1");
    const std::vector<int> threatened = chess::threatenedSquares(b, Color::White);
    EXPECT_EQ(threatened, (std::vector<int>{18, 8}));
    EXPECT_TRUE(chess::threatenedSquares(Board::startPosition(), Color::White).empty());
}

TEST(TryMove, RejectsIllegalAndLeavesTheBoard) {
    Board b = Board::startPosition();
    EXPECT_FALSE(b.tryMove(12, 36));
    EXPECT_FALSE(b.tryMove(-1, 20));
    EXPECT_EQ(b.fen(), Board::startPosition().fen());
    EXPECT_TRUE(b.tryMove(12, 28));
}

}  // namespace
