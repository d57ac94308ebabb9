// The computer opponent: the search pinned bit for bit, the level cap and hints.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string>
#include <vector>

#include "core/chess.h"

using chess::Board;
using chess::Move;
using chess::ScoredMove;

namespace {

double zero() { return 0.0; }

std::string moveName(const Move& m) {
    std::string text = chess::squareName(m.from) + chess::squareName(m.to);
    text[0] = static_cast<char>(text[0] + 32);
    text[2] = static_cast<char>(text[2] + 32);
    return text;
}

// One level's line of the table: the level, then every root move with its
// score in the shortest text that reads back as the same double.
std::string scoredLine(const Board& b, int level, int* calls = nullptr) {
    int k = 0;
    const chess::RandomSource scripted = [&k] { return k++ * 37 % 100 / 100.0; };
    std::string line = std::to_string(level);
    for (const ScoredMove& s : chess::calculateAiMoves(b, level, scripted)) {
        char score[32];
        *std::to_chars(score, score + sizeof score - 1, s.score).ptr = 0;
        line += ' ' + moveName(s.move) + ':' + score;
    }
    if (calls) *calls = k;
    return line;
}

// Openings, sharp middlegames, endgames below 50 material, mates, the
// stalemate trap and many queens: every score, every order, every call of the
// random source must stay as recorded.
TEST(Search, ScoredListsMatchThePinnedTable) {
    std::ifstream in(ZELVANE_TEST_DATA "/search.txt");
    ASSERT_TRUE(in) << "search.txt";
    Board b;
    std::string fen;
    int lines = 0;
    for (std::string expected; std::getline(in, expected);) {
        if (expected.empty() || expected[0] == '#') continue;
        if (expected.rfind("fen ", 0) == 0) {
            fen = expected.substr(4);
            b = Board::fromFen(fen);
            continue;
        }
        int calls = 0;
        const std::string line = scoredLine(b, expected[0] - '0', &calls);
        EXPECT_EQ(line, expected) << fen;
        EXPECT_EQ(calls, static_cast<int>(std::count(line.begin(), line.end(), ' '))) << fen;
        ++lines;
    }
    EXPECT_EQ(lines, 30 * 4);
}

// 29 material: endgames are searched one level deeper, never past five.
TEST(Search, EndgameBumpStopsAtLevelFive) {
    const Board endgame = Board::fromFen("k7/8/8/8/8/8/1R6/6K1 w - - 0 1");
    const std::string five = scoredLine(endgame, 5).substr(1);
    EXPECT_EQ(scoredLine(endgame, 4).substr(1), five);
    EXPECT_EQ(scoredLine(endgame, 99).substr(2), five);
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
    EXPECT_EQ(moveName(chess::aiMove(b, 3, zero)), "f1b5");
    Move hint;
    ASSERT_TRUE(chess::suggest(b, 3, zero, &hint));
    EXPECT_EQ(moveName(hint), "b1c3");
    EXPECT_EQ(b.fen(), fen);
    EXPECT_TRUE(b.isFinished && b.checkMate);
}

}  // namespace
