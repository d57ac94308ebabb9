// The level table, handicaps and the star rule.
#include <gtest/gtest.h>

#include "core/chess.h"
#include "core/levels.h"

using levels::Handicap;

namespace {

TEST(Levels, FirstLevelOfEveryBand) {
    struct Band {
        int level;
        int elo;
        int aiLevel;
        Handicap handicap;
        int timeLimitSec;
        int optimumMoves;
    };
    const Band bands[] = {
        {1, 150, 0, Handicap::KingPawns, 0, 14},        {7, 256, 0, Handicap::KingPawnsRooks, 0, 17},
        {16, 415, 0, Handicap::NoQueenMinusRook, 0, 20}, {24, 557, 0, Handicap::NoQueen, 0, 24},
        {33, 716, 1, Handicap::NoQueenNoKnights, 0, 27}, {41, 857, 1, Handicap::NoKnights, 0, 30},
        {50, 1016, 1, Handicap::None, 0, 34},            {58, 1158, 2, Handicap::None, 0, 37},
        {67, 1317, 2, Handicap::None, 600, 41},          {75, 1458, 3, Handicap::None, 0, 44},
        {84, 1617, 3, Handicap::None, 420, 48},          {92, 1759, 3, Handicap::None, 300, 51},
        {98, 1865, 3, Handicap::None, 180, 53},          {100, 1900, 3, Handicap::None, 180, 54},
    };
    for (const Band& b : bands) {
        const levels::LevelConfig cfg = levels::configFor(b.level);
        EXPECT_EQ(cfg.level, b.level);
        EXPECT_EQ(cfg.elo, b.elo) << b.level;
        EXPECT_EQ(cfg.aiLevel, b.aiLevel) << b.level;
        EXPECT_EQ(cfg.handicap, b.handicap) << b.level;
        EXPECT_EQ(cfg.timeLimitSec, b.timeLimitSec) << b.level;
        EXPECT_EQ(cfg.optimumMoves, b.optimumMoves) << b.level;
    }
    // The last level of each band still belongs to it.
    EXPECT_EQ(levels::configFor(6).handicap, Handicap::KingPawns);
    EXPECT_EQ(levels::configFor(49).handicap, Handicap::NoKnights);
    EXPECT_EQ(levels::configFor(57).aiLevel, 1);
    EXPECT_EQ(levels::configFor(97).timeLimitSec, 300);
}

TEST(Levels, RatingsAndStages) {
    EXPECT_EQ(levels::eloFor(2), 168);
    EXPECT_EQ(levels::eloFor(10), 309);
    EXPECT_EQ(levels::eloFor(50), 1016);
    EXPECT_EQ(levels::eloFor(-4), 150);
    EXPECT_EQ(levels::eloFor(1000), 1900);
    EXPECT_EQ(levels::stageOf(10), 1);
    EXPECT_EQ(levels::stageOf(11), 2);
    EXPECT_EQ(levels::stageOf(0), 1);
    EXPECT_EQ(levels::stageOf(100), 10);

    const levels::LevelConfig ten = levels::configFor(10);
    EXPECT_EQ(ten.stage, 1);
    EXPECT_EQ(ten.inStage, 10);
    EXPECT_EQ(ten.optimumMoves, 18);
    const levels::LevelConfig eleven = levels::configFor(11);
    EXPECT_EQ(eleven.stage, 2);
    EXPECT_EQ(eleven.inStage, 1);
    EXPECT_TRUE(levels::isLastLevel(100));
    EXPECT_FALSE(levels::isLastLevel(99));
}

TEST(Levels, OutOfRangeLevelsAreClamped) {
    auto same = [](const levels::LevelConfig& a, const levels::LevelConfig& b) {
        return a.level == b.level && a.stage == b.stage && a.inStage == b.inStage && a.elo == b.elo &&
               a.aiLevel == b.aiLevel && a.handicap == b.handicap && a.startingFen == b.startingFen &&
               a.timeLimitSec == b.timeLimitSec && a.optimumMoves == b.optimumMoves;
    };
    EXPECT_TRUE(same(levels::configFor(0), levels::configFor(1)));
    EXPECT_TRUE(same(levels::configFor(-5), levels::configFor(1)));
    EXPECT_TRUE(same(levels::configFor(250), levels::configFor(100)));
    EXPECT_EQ(levels::configFor(250).stage, 10);
    EXPECT_EQ(levels::configFor(250).inStage, 10);
}

TEST(Levels, HandicapPositionsLackOnlyBlackPieces) {
    const Handicap all[] = {Handicap::KingPawns, Handicap::KingPawnsRooks, Handicap::NoQueenMinusRook,
                            Handicap::NoQueen, Handicap::NoQueenNoKnights, Handicap::NoKnights};
    int level = 1;
    for (Handicap h : all) {
        while (levels::configFor(level).handicap != h) ++level;
        const levels::LevelConfig cfg = levels::configFor(level);
        chess::Board b = chess::Board::fromFen(cfg.startingFen);
        EXPECT_EQ(b.fen(), cfg.startingFen);
        int white = 0;
        for (chess::Piece p : b.sq) white += p != 0 && chess::isWhite(p) ? chess::pieceValue(p) : 0;
        EXPECT_EQ(white, 49) << cfg.startingFen;
        EXPECT_TRUE(b.getMoves().any);
        EXPECT_FALSE(levels::handicapKey(h).empty());
    }
    EXPECT_EQ(levels::handicapKey(Handicap::KingPawns), "handicap.king_pawns");
    EXPECT_EQ(levels::handicapKey(Handicap::None), "");
    EXPECT_EQ(levels::handicapKey(static_cast<Handicap>(42)), "");
    EXPECT_TRUE(levels::configFor(50).startingFen.empty());
}

TEST(Stars, ThreeTwoOne) {
    EXPECT_EQ(levels::computeStars(14, 14), 3);
    EXPECT_EQ(levels::computeStars(15, 14), 2);
    EXPECT_EQ(levels::computeStars(21, 14), 2);
    EXPECT_EQ(levels::computeStars(22, 14), 1);
    EXPECT_EQ(levels::computeStars(15, 15), 3);
    EXPECT_EQ(levels::computeStars(23, 15), 2);  // ceil(22.5) = 23
    EXPECT_EQ(levels::computeStars(24, 15), 1);
    EXPECT_EQ(levels::computeStars(5, 0), 3);
    EXPECT_EQ(levels::computeStars(500, -1), 3);
}

}  // namespace
