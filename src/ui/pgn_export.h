// Taking a game out of the program as PGN: the text of a won game or of the
// game in progress, the clipboard, a file in the player's documents folder,
// and the short note a screen shows about where the game went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/storage.h"
#include "ui/app.h"

namespace ui {

// The side that won a stored game: the mated side is the one to move.
bool playerWasWhite(const store::SolveEntry& e);
// The game as it was played, or its final position alone for entries kept
// before games were recorded.
std::string startFenOf(const store::SolveEntry& e);
std::vector<std::string> movesOf(const store::SolveEntry& e);

std::string pgnOfGame(int level, std::int64_t playedAtMs, bool playerWhite, const std::string& startFen,
                      const std::vector<std::string>& moves);
std::string pgnOfSolve(const store::SolveEntry& e);
// Coordinate moves ("e2e4") of the playing screen's history entries.
std::vector<std::string> movesOfHistory(const std::vector<store::HistoryEntry>& history);

bool copyToClipboard(const std::string& text);
// "orlavan-chess-level-12-2026-12-07.pgn", local date.
std::string pgnFileName(int level, std::int64_t playedAtMs);
// The XDG documents folder when the player has one, else the data directory.
std::string pgnFolder();
// Writes the file and returns its full path; "" when it could not be written.
std::string savePgnFile(int level, std::int64_t playedAtMs, const std::string& text);

// A note at the bottom of the window about a copy or a save, shown until a time.
struct ExportNote {
    std::string text;
    double until = -1;
};
void showExportNote(ExportNote& note, const Ctx& ctx, const std::string& text);
void drawExportNote(Ctx& ctx, const ExportNote& note, double bottom);

}  // namespace ui
