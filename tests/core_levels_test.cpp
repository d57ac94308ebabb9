// The level table, the handicap positions, the star rule, and the computer
// opponent the levels set up: the search pinned bit for bit and hints.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

#include "core/chess.h"
#include "core/levels.h"
#include "core/pgn.h"

using chess::Board;
using chess::Move;
using levels::Handicap;

namespace {

struct HandicapRow {
    const char* key;
    const char* fen;  // the computer (Black) lacks pieces
    const char* mirrored;  // the computer opens as White: the player keeps the full army and both castles
};
// Indexed by levels::Handicap.
const HandicapRow kHandicaps[] = {
    {"", "", ""},
    {"handicap.king_pawns", "4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/4K3 w KQkq - 0 1"},
    {"handicap.king_pawns_rooks", "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1"},
    {"handicap.no_queen_minus_rook", "1nb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1NB1KBNR w KQkq - 0 1"},
    {"handicap.no_queen", "rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR w KQkq - 0 1"},
    {"handicap.no_queen_no_knights", "r1b1kb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/R1B1KB1R w KQkq - 0 1"},
    {"handicap.no_knights", "r1bqkb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
     "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/R1BQKB1R w KQkq - 0 1"},
};

// A configuration in the table's own text form.
std::string rowOf(const levels::LevelConfig& c) {
    std::ostringstream out;
    out << c.level << ' ' << c.stage << ' ' << c.inStage << ' ' << c.elo << ' ' << c.aiLevel << ' '
        << static_cast<int>(c.handicap) << ' ' << c.timeLimitSec << ' ' << c.optimumMoves;
    return out.str();
}

// Every row of the table, so that every band edge of every level is pinned.
TEST(Levels, EveryLevelMatchesTheTable) {
    std::ifstream in(ZELVANE_TEST_DATA "/levels_table.txt");
    ASSERT_TRUE(in) << "levels_table.txt";
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream f(line);
        int level, stage, inStage, elo, aiLevel, handicap;
        f >> level >> stage >> inStage >> elo >> aiLevel >> handicap;
        const levels::LevelConfig cfg = levels::configFor(level);
        EXPECT_EQ(rowOf(cfg), line);
        EXPECT_EQ(cfg.startingFen, kHandicaps[handicap].fen) << level;
        EXPECT_EQ(levels::eloFor(level), elo);
        EXPECT_EQ(levels::stageOf(level), stage);
        EXPECT_EQ(levels::isLastLevel(level), level == 100);
        ++rows;
    }
    EXPECT_EQ(rows, levels::kTotalLevels);
}

TEST(Levels, OutOfRangeLevelsAreClamped) {
    for (const auto& [asked, level] : {std::pair{0, 1}, {-5, 1}, {101, 100}, {250, 100}}) {
        EXPECT_EQ(rowOf(levels::configFor(asked)), rowOf(levels::configFor(level))) << asked;
        EXPECT_EQ(levels::configFor(asked).startingFen, levels::configFor(level).startingFen) << asked;
    }
    EXPECT_EQ(levels::eloFor(-4), 150);
    EXPECT_EQ(levels::eloFor(1000), 1900);
    EXPECT_EQ(levels::stageOf(0), 1);
    EXPECT_EQ(levels::stageOf(250), 25);
    EXPECT_FALSE(levels::isLastLevel(101));
}

TEST(Levels, HandicapPositionsKeysAndMirrors) {
    for (int h = 1; h <= 6; ++h) {
        const HandicapRow& row = kHandicaps[h];
        EXPECT_EQ(levels::handicapKey(static_cast<Handicap>(h)), row.key);
        EXPECT_EQ(chess::mirrorFen(row.fen), row.mirrored) << row.key;
    }
    EXPECT_EQ(levels::handicapKey(Handicap::None), "");
    EXPECT_EQ(levels::handicapKey(static_cast<Handicap>(42)), "");
}

TEST(Levels, StarsWithinTheOptimumAndOneAndAHalfTimesIt) {
    const int cases[][3] = {
        // moves, optimum, stars
        {14, 14, 3}, {15, 14, 2}, {21, 14, 2}, {22, 14, 1}, {1, 1, 3},   {2, 1, 2},    {3, 1, 1},
        {15, 15, 3}, {16, 15, 2}, {23, 15, 2}, {24, 15, 1}, {5, 0, 3},   {500, -1, 3},
    };
    for (const auto& c : cases) EXPECT_EQ(levels::computeStars(c[0], c[1]), c[2]) << c[0] << " of " << c[1];
}

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
