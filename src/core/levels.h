// The 100 levels: rating, opponent strength, handicap and the star rule.
#pragma once

#include <string>

namespace levels {

inline constexpr int kTotalLevels = 100;

enum class Handicap {
    None = 0,
    KingPawns = 1,
    KingPawnsRooks = 2,
    NoQueenMinusRook = 3,
    NoQueen = 4,
    NoQueenNoKnights = 5,
    NoKnights = 6,
};

struct LevelConfig {
    int level = 1;
    int stage = 1;
    int inStage = 1;
    int elo = 150;
    int aiLevel = 0;
    Handicap handicap = Handicap::None;
    std::string startingFen;  // empty: the normal start position
    int timeLimitSec = 0;
    int optimumMoves = 14;
};

LevelConfig configFor(int level);
int eloFor(int level);
int stageOf(int level);
bool isLastLevel(int level);
// Localisation key of the handicap's label; "" for None or an unknown value.
std::string handicapKey(Handicap h);
// Stars (1..3) for a win in `moves` player moves on a level with `optimum`.
int computeStars(int moves, int optimum);

}  // namespace levels
