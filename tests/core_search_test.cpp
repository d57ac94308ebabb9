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

// Every root move with its score in the shortest text that reads back as
// the same double, in the returned order; `calls` counts the random draws.
std::string scoredMoves(const Board& b, int level, int* calls = nullptr) {
    int k = 0;
    const chess::RandomSource scripted = [&k] { return k++ * 37 % 100 / 100.0; };
    std::string line;
    for (const ScoredMove& s : chess::calculateAiMoves(b, level, scripted)) {
        char score[32];
        *std::to_chars(score, score + sizeof score - 1, s.score).ptr = 0;
        line += (line.empty() ? "" : " ") + moveName(s.move) + ':' + score;
    }
    if (calls) *calls = k;
    return line;
}

// Openings, sharp middlegames, endgames around 50 material, mates, the
// stalemate trap and many queens, at every search level a level can ask for:
// every score, every order, every call of the random source stays as recorded.
TEST(Search, ScoredListsMatchThePinnedTable) {
    std::ifstream in(ZELVANE_TEST_DATA "/search.txt");
    ASSERT_TRUE(in) << "search.txt";
    Board b;
    std::string fen;
    int lists = 0;
    for (std::string row; std::getline(in, row);) {
        if (row.empty() || row[0] == '#') continue;
        const std::string rest = row.substr(row.find(' ') + 1);
        if (row.rfind("fen ", 0) == 0) {
            b = Board::fromFen(fen = rest);
            continue;
        }
        for (char level : row.substr(0, row.find(' '))) {
            int calls = 0;
            EXPECT_EQ(scoredMoves(b, level - '0', &calls), rest) << fen << " at level " << level;
            EXPECT_EQ(calls, static_cast<int>(std::count(rest.begin(), rest.end(), ' ')) + 1) << fen;
            ++lists;
        }
    }
    EXPECT_EQ(lists, 30 * 4);
}

// 34 material: endgames are searched one level deeper (level 3 as four, 4 as
// five), never past five.
TEST(Search, EndgameBumpStopsAtLevelFive) {
    const Board endgame = Board::fromFen("8/8/8/6Q1/8/8/3r4/5K1k w - - 0 1");
    const std::string five = scoredMoves(endgame, 5);
    EXPECT_EQ(scoredMoves(endgame, 4), five);
    EXPECT_EQ(scoredMoves(endgame, 99), five);
    EXPECT_NE(scoredMoves(endgame, 3), five);
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
