#include "core/levels.h"

#include <algorithm>
#include <cmath>

namespace levels {
namespace {

struct HandicapFen {
    Handicap h;
    const char* key;
    const char* fen;
};

// Black (the computer before any mirroring) lacks pieces; White has the full army.
constexpr HandicapFen kHandicaps[] = {
    {Handicap::None, "", ""},
    {Handicap::KingPawns, "handicap.king_pawns",
     "4k3/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {Handicap::KingPawnsRooks, "handicap.king_pawns_rooks",
     "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {Handicap::NoQueenMinusRook, "handicap.no_queen_minus_rook",
     "1nb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {Handicap::NoQueen, "handicap.no_queen",
     "rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {Handicap::NoQueenNoKnights, "handicap.no_queen_no_knights",
     "r1b1kb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
    {Handicap::NoKnights, "handicap.no_knights",
     "r1bqkb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"},
};

struct Engine {
    int aiLevel;
    Handicap handicap;
    int timeLimitSec;
};

struct EngineRow {
    int maxRating;  // inclusive upper bound of the band
    Engine engine;
};

constexpr EngineRow kEngineBands[] = {
    {249, {0, Handicap::KingPawns, 0}},
    {399, {0, Handicap::KingPawnsRooks, 0}},
    {549, {0, Handicap::NoQueenMinusRook, 0}},
    {699, {0, Handicap::NoQueen, 0}},
    {849, {1, Handicap::NoQueenNoKnights, 0}},
    {999, {1, Handicap::NoKnights, 0}},
    {1149, {1, Handicap::None, 0}},
    {1299, {2, Handicap::None, 0}},
    {1449, {2, Handicap::None, 600}},
    {1599, {3, Handicap::None, 0}},
    {1749, {3, Handicap::None, 420}},
    {1849, {3, Handicap::None, 300}},
};

constexpr Engine kStrongestEngine = {3, Handicap::None, 180};

Engine engineFor(int rating) {
    for (const EngineRow& row : kEngineBands) {
        if (rating <= row.maxRating) return row.engine;
    }
    return kStrongestEngine;
}

const HandicapFen* entry(Handicap h) {
    for (const HandicapFen& row : kHandicaps) {
        if (row.h == h) return &row;
    }
    return nullptr;
}

}  // namespace

int eloFor(int level) {
    if (level > 99) return 1900;
    if (level <= 1) return 150;
    return static_cast<int>(std::lround((level - 1) / 99.0 * 1750.0 + 150.0));
}

int stageOf(int level) { return (std::max(level, 1) - 1) / 10 + 1; }

bool isLastLevel(int level) { return level == kTotalLevels; }

std::string handicapKey(Handicap h) {
    const HandicapFen* row = entry(h);
    return row ? row->key : "";
}

LevelConfig configFor(int level) {
    LevelConfig cfg;
    if (level > 99) {
        cfg.level = 100;
        cfg.stage = 10;
        cfg.inStage = 10;
    } else if (level <= 1) {
        cfg.level = 1;
        cfg.stage = 1;
        cfg.inStage = 1;
    } else {
        cfg.level = level;
        cfg.stage = (level - 1) / 10 + 1;
        cfg.inStage = (level - 1) % 10 + 1;
    }
    cfg.elo = eloFor(cfg.level);
    const Engine engine = engineFor(cfg.elo);
    cfg.aiLevel = engine.aiLevel;
    cfg.handicap = engine.handicap;
    cfg.timeLimitSec = engine.timeLimitSec;
    const HandicapFen* row = entry(cfg.handicap);
    cfg.startingFen = row ? row->fen : "";
    cfg.optimumMoves = static_cast<int>(std::lround(cfg.level * 0.4 + 14.0));
    return cfg;
}

int computeStars(int moves, int optimum) {
    if (optimum <= 0 || moves <= optimum) return 3;
    if (moves <= static_cast<int>(std::ceil(1.5 * optimum))) return 2;
    return 1;
}

}  // namespace levels
