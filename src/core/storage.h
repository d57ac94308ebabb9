// Everything the game remembers between runs: the settings ("settings.dat")
// and the player's progress ("saves.dat"), both sealed files in the data
// directory. UI thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace store {

struct Settings {
    std::string language;  // empty: follow the system language
    bool soundOn = true;
    double musicVolume = 0.1;
    double sfxVolume = 0.75;
    bool flipBoard = false;
    bool showLegalMoves = true;
    int windowW = 0;   // 0: no size remembered
    int windowH = 0;
    int windowX = -1;  // -1: no position remembered
    int windowY = -1;
    bool maximized = false;
    bool fullscreen = false;

    bool hasSize() const { return windowW > 0 && windowH > 0; }
    // Far off-screen positions (below -9999) count as none remembered.
    bool hasPosition() const { return windowX != -1 && windowX >= -9999 && windowY >= -9999; }
};

struct LevelBest {
    int stars = 0;
    int moves = 0;               // 0: none recorded
    std::int64_t elapsedMs = 0;  // 0 or less: none recorded
};

struct SolveEntry {
    int level = 0;
    int moves = 0;
    std::int64_t elapsedMs = 0;
    std::int64_t solvedAt = 0;  // ms since the Unix epoch
    std::string finalFen;
    int stars = 0;
    // The game itself, for replay and export; empty in entries written before
    // games were kept (and then the final position is all there is).
    std::string startFen{};
    std::vector<std::string> playedMoves{};  // coordinate form, "e2e4"
};

struct HistoryEntry {
    std::string fen;
    std::string notation;
    char pieceKind = 0;  // 0: not set
    bool byWhite = true;
};

struct SavedGame {
    bool valid = false;
    int level = 1;
    std::uint32_t seed = 0;
    std::string fen;
    std::string startFen;
    std::int64_t elapsedMs = 0;
    int moves = 0;
    std::vector<HistoryEntry> history;
    bool hintUsed = false;
    bool playerWhite = true;
    std::int64_t savedAt = 0;
};

constexpr int kMaxSolves = 200;
// 100 levels open and done.
constexpr int kAllUnlocked = 101;

// Loads both files once; later calls do nothing.
void init();
Settings& settings();
void saveSettings();
// Wall-clock milliseconds since the Unix epoch.
std::int64_t nowMs();

int unlockedLevel();
const std::map<int, LevelBest>& levelBests();
const std::vector<SolveEntry>& solves();
const SavedGame& savedGame();
bool hasSavedGame();

// Each writer persists the whole progress at once (never in demonstration
// mode).
void advanceUnlockedLevel(int level);
LevelBest recordBest(int level, const LevelBest& result);
void recordSolve(const SolveEntry& entry);
void saveGame(const SavedGame& game);
void clearGame();
void resetProgress();

}  // namespace store
