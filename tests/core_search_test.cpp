// The computer opponent: the search pinned bit for bit, the level cap and hints.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string>

#include "core/chess.h"
#include "core/pgn.h"

using chess::Board;
using chess::Move;

namespace {

double zero() { return 0.0; }

// Every root move with its score in the shortest text that reads back as
// the same double, in the returned order; `calls` counts the random draws.
std::string scoredMoves(const Board& b, int level, int* calls) {
    int k = 0;
    const chess::RandomSource scripted = [&k] { return k++ * 37 % 100 / 100.0; };
    std::string line;
    for (const chess::ScoredMove& s : chess::calculateAiMoves(b, level, scripted)) {
        char score[32];
        *std::to_chars(score, score + sizeof score - 1, s.score).ptr = 0;
        line += (line.empty() ? "" : " ") + chess::coordinateOf(s.move) + ':' + score;
    }
    *calls = k;
    return line;
}

// Openings, sharp middlegames, endgames around 50 material, mates, the
// stalemate trap and many queens, at every search level a level can ask for:
// every score, every order, every call of the random source stays as recorded.
TEST(Search, ScoredListsMatchThePinnedTable) {
    std::ifstream in(ZELVANE_TEST_DATA "/search.txt");
    ASSERT_TRUE(in) << "search.txt";
    int lists = 0;
    for (std::string row; std::getline(in, row);) {
        if (row.empty() || row[0] == '#') continue;
        const std::size_t bar = row.find(" | "), levelsEnd = row.find(" | ", bar + 3);
        const std::string fen = row.substr(0, bar), expected = row.substr(levelsEnd + 3);
        for (char level : row.substr(bar + 3, levelsEnd - bar - 3)) {
            int calls = 0;
            EXPECT_EQ(scoredMoves(Board::fromFen(fen), level - '0', &calls), expected) << fen << " at " << level;
            EXPECT_EQ(calls, static_cast<int>(std::count(expected.begin(), expected.end(), ' ')) + 1) << fen;
            ++lists;
        }
    }
    EXPECT_EQ(lists, 30 * 4);
}

TEST(Search, NoLegalMoveGivesNoMoveAndNoHint) {
    const Board mated = Board::fromFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    EXPECT_EQ(chess::aiMove(mated, 3, zero), (Move{-1, -1}));
    Move out{12, 34};
    EXPECT_FALSE(chess::suggest(mated, 3, zero, &out));
    EXPECT_EQ(out, (Move{12, 34}));
}

// Flags left by an earlier move generation would make every quiet move look
// lost; the hint is searched on a board read back from the FEN.
TEST(Search, HintIgnoresStaleFlagsAndLeavesTheBoardAlone) {
    const std::string fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    Board b = Board::fromFen(fen);
    b.isFinished = b.checkMate = true;
    EXPECT_EQ(chess::coordinateOf(chess::aiMove(b, 3, zero)), "f1b5");
    Move hint;
    ASSERT_TRUE(chess::suggest(b, 3, zero, &hint));
    EXPECT_EQ(chess::coordinateOf(hint), "b1c3");
    EXPECT_EQ(b.fen(), fen);
    EXPECT_TRUE(b.isFinished && b.checkMate);
}

}  // namespace
