#include "ui/pgn_export.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "core/chess.h"
#include "core/levels.h"
#include "core/pgn.h"
#include "i18n.h"
#include "platform/fs.h"
#include "platform/paths.h"
#include "ui/draw.h"

namespace ui {

namespace {

constexpr double kNoteSeconds = 5.0;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "$HOME/Documents" and the like, as xdg-user-dirs writes them.
std::string expandHome(std::string value, const std::string& home) {
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
}

// XDG_DOCUMENTS_DIR from the environment or from user-dirs.dirs; "" when unset.
std::string documentsFolder() {
    const std::string home = env("HOME");
    std::string dir = env("XDG_DOCUMENTS_DIR");
    if (dir.empty()) {
        const std::string config = env("XDG_CONFIG_HOME").empty() ? home + "/.config" : env("XDG_CONFIG_HOME");
        std::ifstream in(config + "/user-dirs.dirs");
        const std::string key = "XDG_DOCUMENTS_DIR=\"";
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(key, 0) == 0 && line.size() > key.size() && line.back() == '"') {
                dir = line.substr(key.size(), line.size() - key.size() - 1);
            }
        }
    }
    dir = expandHome(dir, home);
    // A documents folder set to the home folder itself means the player has none.
    if (dir.empty() || dir == home || !platform::fs::isDir(dir)) return "";
    return dir;
}

}  // namespace

bool playerWasWhite(const store::SolveEntry& e) {
    if (e.finalFen.empty()) return true;
    return chess::Board::fromFen(e.finalFen).turn == chess::Color::Black;
}

namespace {
bool hasGame(const store::SolveEntry& e) { return !e.playedMoves.empty() && !e.startFen.empty(); }
}  // namespace

std::string startFenOf(const store::SolveEntry& e) { return hasGame(e) ? e.startFen : e.finalFen; }

std::vector<std::string> movesOf(const store::SolveEntry& e) {
    return hasGame(e) ? e.playedMoves : std::vector<std::string>{};
}

std::string pgnOfGame(int level, std::int64_t playedAtMs, bool playerWhite, const std::string& startFen,
                      const std::vector<std::string>& moves) {
    chess::PgnFacts facts;
    facts.level = level;
    facts.elo = levels::configFor(level).elo;
    facts.playedAtMs = playedAtMs;
    facts.playerWhite = playerWhite;
    facts.playerName = i18n::tr("pgn.player");
    return chess::pgnFor(startFen, moves, facts);
}

std::string pgnOfSolve(const store::SolveEntry& e) {
    return pgnOfGame(e.level, e.solvedAt, playerWasWhite(e), startFenOf(e), movesOf(e));
}

// The history text is "<from>–<to>" or "<from>×<to>": its first and last two bytes.
std::vector<std::string> movesOfHistory(const std::vector<store::HistoryEntry>& history) {
    std::vector<std::string> moves;
    for (const store::HistoryEntry& h : history) {
        if (h.notation.size() < 4) break;
        moves.push_back(h.notation.substr(0, 2) + h.notation.substr(h.notation.size() - 2));
    }
    return moves;
}

bool copyToClipboard(const std::string& text) {
    if (SDL_SetClipboardText(text.c_str()) == 0) return true;
    std::fprintf(stderr, "[pgn] Zwischenablage nicht verfügbar: %s\n", SDL_GetError());
    return false;
}

std::string pgnFileName(int level, std::int64_t playedAtMs) {
    const std::time_t secs = static_cast<std::time_t>(playedAtMs / 1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    char name[80];
    std::snprintf(name, sizeof name, "orlavan-chess-level-%d-%04d-%02d-%02d.pgn", level, (tm.tm_year + 1900) % 10000,
                  tm.tm_mon + 1, tm.tm_mday);
    return name;
}

std::string pgnFolder() {
    const std::string documents = documentsFolder();
    return documents.empty() ? paths::dataDir() : documents;
}

std::string savePgnFile(int level, std::int64_t playedAtMs, const std::string& text) {
    const std::string path = pgnFolder() + "/" + pgnFileName(level, playedAtMs);
    if (platform::fs::writeFileAtomic(path, text)) return path;
    std::fprintf(stderr, "[pgn] %s konnte nicht geschrieben werden\n", path.c_str());
    return "";
}

void showExportNote(ExportNote& note, const Ctx& ctx, const std::string& text) {
    note.text = text;
    note.until = ctx.t + kNoteSeconds;
}

void drawExportNote(Ctx& ctx, const ExportNote& note, double bottom) {
    if (note.until < ctx.t || note.text.empty()) return;
    TextStyle style = sansText(std::round(ctx.s(13)), 0xFDF6E8, false, Align::Center);
    style.maxWidth = ctx.w - ctx.s(60);
    double w = 0;
    double h = 0;
    measureText(ctx.cr, note.text, style, &w, &h);
    w = std::min(w, style.maxWidth);
    const Rect pill{ctx.w / 2 - w / 2 - ctx.s(14), bottom - h - ctx.s(12), w + ctx.s(28), h + ctx.s(10)};
    fillRoundedRect(ctx.cr, pill, pill.h / 2, 0x3A2810, 0.88);
    drawTextCentered(ctx.cr, pill.cx(), pill.cy(), note.text, style);
}

}  // namespace ui
