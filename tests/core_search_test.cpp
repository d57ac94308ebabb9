// The computer opponent: mates, the stalemate trap, the random spread and hints.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/chess.h"

using chess::Board;
using chess::Move;
using chess::ScoredMove;

namespace {

double zero() { return 0.0; }

// A copy, so the result outlives a temporary list.
std::optional<ScoredMove> find(const std::vector<ScoredMove>& scored, Move m) {
    for (const ScoredMove& s : scored) {
        if (s.move == m) return s;
    }
    return std::nullopt;
}

TEST(Search, MateInOneIsFoundAtEveryLevel) {
    // Back-rank mate with little material, and the fool's mate with a full board.
    const Board backRank = Board::fromFen("6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1");
    const Board fools = Board::fromFen("rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2");
    for (int level = 0; level <= 3; ++level) {
        EXPECT_EQ(chess::aiMove(backRank, level, zero), (Move{0, 56})) << level;
        EXPECT_EQ(chess::aiMove(fools, level, zero), (Move{59, 31})) << level;
        const std::vector<ScoredMove> scored = chess::calculateAiMoves(fools, level, zero);
        // 1000 - 1 for the mate, plus a small positional term.
        EXPECT_NEAR(scored.front().score, 999.0, 20.0) << level;
    }
}

TEST(Search, NoLegalMoveGivesNoMoveAndNoHint) {
    const Board mated = Board::fromFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    EXPECT_EQ(chess::aiMove(mated, 3, zero), (Move{-1, -1}));
    Move out{12, 34};
    EXPECT_FALSE(chess::suggest(mated, 3, zero, &out));
    EXPECT_EQ(out, (Move{12, 34}));
}

// White to move; Qd7-c7 stalemates the lone black king (its pawn is blocked).
// Material is exactly 50, so no endgame bump.
const char* kStalemateTrap = "k7/3Q4/1K6/7p/7P/8/PPP5/RN3BR1 w - - 0 1";

TEST(Search, StalemateTrapUnseenAtLevelZeroAvoidedAbove) {
    const Board b = Board::fromFen(kStalemateTrap);
    ASSERT_EQ(b.materialSum(), 50);
    const Move stalemate{51, 50};
    const std::optional<ScoredMove> level0 = find(chess::calculateAiMoves(b, 0, zero), stalemate);
    ASSERT_TRUE(level0);
    EXPECT_GT(level0->score, 250.0);  // just the material balance of 280

    for (int level = 1; level <= 3; ++level) {
        const std::vector<ScoredMove> scored = chess::calculateAiMoves(b, level, zero);
        const std::optional<ScoredMove> s = find(scored, stalemate);
        ASSERT_TRUE(s);
        EXPECT_NEAR(s->score, -1001.0, 20.0) << level;
        EXPECT_NE(scored.front().move, stalemate);
    }
}

TEST(Search, DeterministicWithZeroNoiseTiesKeepGenerationOrder) {
    const Board start = Board::startPosition();
    const std::vector<ScoredMove> scored = chess::calculateAiMoves(start, 0, zero);
    ASSERT_EQ(scored.size(), 20u);
    for (std::size_t i = 1; i < scored.size(); ++i) EXPECT_GE(scored[i - 1].score, scored[i].score);
    // b1-c3, g1-f3, d2-d4 and e2-e4 share the best score: generation order wins.
    EXPECT_EQ(scored[0].move, (Move{1, 18}));
    EXPECT_EQ(scored[1].move, (Move{6, 21}));
    EXPECT_EQ(scored[2].move, (Move{11, 27}));
    EXPECT_EQ(scored[3].move, (Move{12, 28}));
    EXPECT_EQ(chess::aiMove(start, 2, zero), chess::aiMove(start, 2, zero));
}

TEST(Search, RandomSourceIsCalledOncePerRootMoveInGenerationOrder) {
    // Half-move clock 15 widens the spread to 5.
    const Board b = Board::fromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 15 3");
    Board copy = b;
    const std::vector<Move> order = copy.getMoves().flat();

    int calls = 0;
    const chess::RandomSource counting = [&calls] { return (calls++ % 10) / 10.0; };
    const std::vector<ScoredMove> noisy = chess::calculateAiMoves(b, 1, counting);
    const std::vector<ScoredMove> plain = chess::calculateAiMoves(b, 1, zero);
    EXPECT_EQ(calls, static_cast<int>(order.size()));
    ASSERT_EQ(noisy.size(), order.size());

    for (std::size_t i = 0; i < order.size(); ++i) {
        const double expectedNoise = std::floor((i % 10) / 10.0 * 5 * 10) / 10;
        const std::optional<ScoredMove> n = find(noisy, order[i]);
        const std::optional<ScoredMove> p = find(plain, order[i]);
        ASSERT_TRUE(n && p);
        EXPECT_NEAR(n->score - p->score, expectedNoise, 1e-9) << i;
    }
}

TEST(Search, EndgamesAreSearchedOneLevelDeeperUpToFive) {
    auto scores = [](const Board& b, int level) {
        std::vector<double> out;
        for (const ScoredMove& s : chess::calculateAiMoves(b, level, zero)) out.push_back(s.score);
        return out;
    };
    const Move rookToB6{9, 41};

    // With 50 material, level 0 scores the quiet Rb6 by material alone and
    // level 1 sees the pawn take the rook.
    const Board rich = Board::fromFen("k7/pppppp2/8/8/8/8/1R5P/QQ4K1 w - - 0 1");
    ASSERT_EQ(rich.materialSum(), 50);
    EXPECT_GT(find(chess::calculateAiMoves(rich, 0, zero), rookToB6)->score, 150.0);
    EXPECT_LT(find(chess::calculateAiMoves(rich, 1, zero), rookToB6)->score, 150.0);

    // With 29 material, level 0 already sees the king take the rook on b7.
    const Board endgame = Board::fromFen("k7/8/8/8/8/8/1R6/6K1 w - - 0 1");
    ASSERT_LT(endgame.materialSum(), 50);
    const std::optional<ScoredMove> hanging = find(chess::calculateAiMoves(endgame, 0, zero), Move{9, 49});
    ASSERT_TRUE(hanging);
    EXPECT_LT(hanging->score, 10.0);  // rook lost: 0 material, not +50

    // Levels past the top are capped at five.
    EXPECT_EQ(scores(endgame, 4), scores(endgame, 5));
    EXPECT_EQ(scores(endgame, 5), scores(endgame, 99));
}

TEST(Search, SuggestLeavesTheBoardAlone) {
    Board b = Board::fromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    b.getMoves();
    const std::string before = b.fen();
    b.isFinished = true;  // stale flags are ignored by the hint's fresh copy
    Move hint;
    ASSERT_TRUE(chess::suggest(b, 3, zero, &hint));
    EXPECT_EQ(b.fen(), before);
    EXPECT_TRUE(b.isFinished);
    EXPECT_FALSE(b.checkMate);
    Board fresh = Board::fromFen(before);
    EXPECT_EQ(hint, chess::aiMove(fresh, 3, zero));
    EXPECT_TRUE(fresh.getMoves().contains(hint.from, hint.to));
}

}  // namespace
