// Everything the game remembers between runs: the settings ("settings.dat")
// and the player's progress ("saves.dat"), both sealed files in the data
// directory. UI thread only; the files are replaced on a writer thread of
// their own, from sealed copies taken at each change.
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

// Loads both files once; later calls do nothing. readOnly: another running
// game owns the data directory, so nothing on disk is changed (no writes, no
// clean-up of interrupted writes, nothing set aside).
void init(bool readOnly = false);
// "ZELVANE_SOLVES" asks for the demonstration mode, which never writes progress.
bool demoRequested();
// Waits until every change so far is on disk; writes otherwise happen in the
// background (at exit and where a test reads the files).
void flush();
// The interface language stored in the settings file, read without loading
// or changing anything; empty when there is none.
std::string storedLanguage();
Settings& settings();
void saveSettings();
// Wall-clock milliseconds since the Unix epoch.
std::int64_t nowMs();

int unlockedLevel();
const std::map<int, LevelBest>& levelBests();
const std::vector<SolveEntry>& solves();
const SavedGame& savedGame();
bool hasSavedGame();

// Each writer queues the whole progress for writing at once (never in
// demonstration mode).
void advanceUnlockedLevel(int level);
LevelBest recordBest(int level, const LevelBest& result);
void recordSolve(const SolveEntry& entry);
void saveGame(const SavedGame& game);
void clearGame();
void resetProgress();

}  // namespace store
