// Legal moves, castling, en passant, promotion and the game result.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/chess.h"
#include "core/levels.h"

using chess::Board;
using chess::Color;

namespace {

const char* const kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

TEST(MoveGeneration, PerftMatchesTheTable) {
    std::ifstream in(ZELVANE_TEST_DATA "/perft.txt");
    ASSERT_TRUE(in) << "perft.txt";
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t fen = line.find(' ', line.find(' ') + 1) + 1;
        const long long nodes = std::stoll(line.substr(line.find(' ') + 1));
        EXPECT_EQ(chess::perft(Board::fromFen(line.substr(fen)), std::stoi(line)), nodes) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 20);
}

// Whatever either side plays from every level's start position or its mirror,
// no game reaches a position without a king or with the mover's king attacked.
TEST(MoveGeneration, RandomGamesFromEveryLevelKeepBothKings) {
    std::set<std::string> starts = {kStartFen};
    for (int level = 1; level <= levels::kTotalLevels; ++level) {
        const std::string fen = levels::configFor(level).startingFen;
        if (!fen.empty()) starts.insert({fen, chess::mirrorFen(fen)});
    }
    ASSERT_EQ(starts.size(), 13u);
    std::mt19937 rng(1307);
    for (int game = 0; game < 130; ++game) {
        Board b = Board::fromFen(*std::next(starts.begin(), game % 13));
        for (int ply = 0; ply < 300; ++ply) {
            const std::vector<chess::Move> moves = b.getMoves().flat();
            if (moves.empty()) break;
            const chess::Move m = moves[rng() % moves.size()];
            b.makeMove(m.from, m.to);
            ASSERT_FALSE(b.nonPlayingPlayerInCheck()) << b.fen();
            ASSERT_TRUE(b.kingSquare(Color::White) != -1 && b.kingSquare(Color::Black) != -1) << b.fen();
        }
    }
}

TEST(Result, FollowsTheLegalMoves) {
    const std::tuple<const char*, int, chess::Result, const char*> cases[] = {
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", 0, chess::Result::Checkmate, "fool's mate"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", 0, chess::Result::Stalemate, "stalemate"},
        {"3b3k/8/2p5/1pPn4/K7/PP6/8/8 w - b6 0 2", 1, chess::Result::InProgress, "en passant takes the checker"},
        {"8/8/8/3q4/8/8/8/R7 w - - 0 1", 14, chess::Result::InProgress, "no kings: nothing is check"},
        {"8/8/8/3q4/8/8/8/8 w - - 0 1", 0, chess::Result::Stalemate, "no pieces to move"},
    };
    for (const auto& [fen, count, result, why] : cases) {
        Board b = Board::fromFen(fen);
        EXPECT_EQ(chess::resultOf(b), chess::Result::InProgress) << why;
        const chess::MoveMap moves = b.getMoves();
        EXPECT_EQ(moves.count(), count) << why;
        EXPECT_EQ(moves.any, count > 0) << why;
        EXPECT_EQ(chess::resultOf(b), result) << why;
    }
}

TEST(EnPassant, IsOfferedOnlyWhenTheKingStaysSafe) {
    const std::tuple<const char*, chess::Sq, chess::Sq, bool, const char*> cases[] = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", 36, 43, true, "plain capture"},
        {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", 36, 43, false, "both pawns leave the king's rank"},
        {"7K/8/8/8/R2pP2k/8/8/8 b - e3 0 1", 27, 20, false, "black: both pawns leave the rank"},
        {"4r2k/8/8/3pP3/8/8/8/4K3 w - d6 0 1", 36, 43, false, "capturer pinned on the file"},
        {"7b/8/8/3pP3/8/8/1K6/7k w - d6 0 1", 36, 43, false, "capturer pinned on the diagonal"},
        {"b6k/8/8/3pP3/8/8/6K1/8 w - d6 0 1", 36, 43, false, "captured pawn shielded the diagonal"},
        {"7k/8/8/3pP3/4K3/8/8/8 w - d6 0 1", 36, 43, true, "takes the checking pawn"},
        {"8/8/8/4k3/3Pp3/8/8/4K3 b - d3 0 1", 28, 19, true, "black takes the checking pawn"},
    };
    for (const auto& [fen, from, to, offered, why] : cases) {
        EXPECT_EQ(Board::fromFen(fen).getMoves().contains(from, to), offered) << why;
    }
}

// Castles need the right, the rook in its corner, empty squares between and
// no attack on the king's start, crossing and landing squares.
TEST(Castling, OfferedWhenAllowed) {
    // The king's castling destinations offered.
    const std::tuple<const char*, std::vector<int>, const char*> cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", {}, "no rights"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w K - 0 1", {6}, "king side right only"},
        {"r3k3/8/8/8/8/8/8/R3K3 w KQ - 0 1", {2}, "no rook on h1"},
        {"r3k2r/8/8/8/8/8/8/RN2K2R w KQ - 0 1", {6}, "b1 occupied"},
        {"r3kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2}, "f1 attacked"},
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", {2, 6}, "only b1 attacked: allowed"},
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", {6}, "c1 attacked"},
        {"4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1", {}, "king in check"},
        {"4k3/8/8/8/8/8/3p4/R3K2R w KQ - 0 1", {}, "pawn gives check"},
        {"4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", {2}, "pawn attacks g1"},
        {"r3k2r/4P3/8/8/8/8/8/4K3 b kq - 0 1", {}, "pawn attacks d8 and f8"},
        {"r3k2r/P7/8/8/8/8/8/4K3 b kq - 0 1", {58, 62}, "pawn attacks b8 only"},
        {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", {62}, "d8 attacked"},
    };
    for (const auto& [fen, offered, why] : cases) {
        Board b = Board::fromFen(fen);
        const chess::Sq king = b.kingSquare(b.turn);
        const chess::MoveMap moves = b.getMoves();  // kept alive: from() points into it
        std::vector<int> castles;
        std::copy_if(moves.from(king).begin(), moves.from(king).end(), std::back_inserter(castles),
                     [king](int t) { return t == king - 2 || t == king + 2; });
        EXPECT_EQ(castles, offered) << why;
    }
}

// Promotion is always to a queen; castling rights go with the king, the rook
// or the rook taken on its corner; an empty or off-board source changes nothing.
TEST(MakeMove, PlaysTheMoveWithItsSideEffects) {
    const std::tuple<const char*, chess::Sq, chess::Sq, const char*> cases[] = {
        {kStartFen, 12, 28, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {"4k2r/6P1/8/8/8/8/8/4K3 w - - 3 1", 54, 63, "4k2Q/8/8/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/8/8/1p6/R3K3 b - - 0 1", 9, 0, "4k3/8/8/8/8/8/8/q3K3 w - - 0 2"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", 36, 43, "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", 28, 19, "4k3/8/8/8/8/3p4/8/4K3 w - - 0 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 4 10", 4, 6, "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 5 10"},
        {"r3k2r/8/8/8/8/8/8/R4RK1 b kq - 5 10", 60, 58, "2kr3r/8/8/8/8/8/8/R4RK1 w - - 6 11"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 7, 63, "r3k2R/8/8/8/8/8/8/R3K3 b Qq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", 56, 0, "4k2r/8/8/8/8/8/8/r3K2R w Kk - 0 2"},
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", 9, 0, "r3k2r/8/8/8/8/8/8/b3K2R w Kkq - 0 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 4, 5, "r3k2r/8/8/8/8/8/8/R4K1R b kq - 1 1"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", 63, 62, "r3k1r1/8/8/8/8/8/8/R3K2R w KQq - 1 2"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", 0, 8, "r3k2r/8/8/8/8/8/R7/4K2R b Kkq - 1 1"},
        {kStartFen, 20, 28, kStartFen}, {kStartFen, -1, 20, kStartFen}, {kStartFen, 12, 64, kStartFen},
    };
    for (const auto& [fen, from, to, after] : cases) {
        Board b = Board::fromFen(fen);
        b.makeMove(from, to);
        EXPECT_EQ(b.fen(), after) << fen << " " << from << "-" << to;
    }
}

// tryMove plays only a legal move. With more movable pieces than asked,
// getMoves skips the legality test: the pinned rook's sideways moves stay.
TEST(MakeMove, TryMoveAndTheSkippedLegalityTest) {
    Board b = Board::startPosition();
    EXPECT_FALSE(b.tryMove(12, 36));
    EXPECT_FALSE(b.tryMove(-1, 20));
    EXPECT_EQ(b.fen(), kStartFen);
    EXPECT_TRUE(b.tryMove(12, 28));
    const std::tuple<const char*, int, int> cases[] = {
        {"4r2k/8/8/8/8/8/4R3/4K3 w - - 0 1", 5, 10},
        {"4r2k/8/8/8/8/8/PPPPR3/4K3 w - - 0 1", 5, 20},
        {"4r2k/8/8/8/8/8/PPPPR3/4K3 w - - 0 1", 0, 17},
    };
    for (const auto& [fen, skipAbove, count] : cases)
        EXPECT_EQ(Board::fromFen(fen).getMoves(skipAbove).count(), count) << fen;
}

// White to move: Black's bishop could take the knight on c3 and the rook the
// a2 pawn; the king on g1 is not attackable by a legal move.
TEST(Threats, PiecesTheOpponentCouldTake) {
    const Board b = Board::fromFen("r3k3/8/8/8/1b6/2N5/P7/6K1 w - - 0 1");
    EXPECT_EQ(chess::threatenedSquares(b, Color::White), (std::vector<int>{18, 8}));
    EXPECT_TRUE(chess::threatenedSquares(Board::startPosition(), Color::White).empty());
}

}  // namespace
