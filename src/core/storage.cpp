#include "core/storage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>

#include "core/json.h"
#include "core/levels.h"
#include "platform/file_writer.h"
#include "platform/fs.h"
#include "platform/paths.h"
#include "platform/save_crypt.h"

namespace store {

namespace {

// Our own files are a few kilobytes; anything this large was not written by
// the game and is set aside unread rather than pulled into memory.
constexpr std::int64_t kMaxSealedBytes = 16 * 1024 * 1024;

const char* const kStandardStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

struct State {
    Settings settings;
    int unlocked = 1;
    std::map<int, LevelBest> bests;
    std::vector<SolveEntry> solves;
    SavedGame game;
    bool loaded = false;
    bool demo = false;
    bool readOnly = false;            // another running game owns the files
    std::set<std::string> keepAsIs;  // files that exist but could not be read
};

State& st() {
    static State state;
    return state;
}

std::string settingsPath() { return paths::dataDir() + "/settings.dat"; }
std::string savesPath() { return paths::dataDir() + "/saves.dat"; }

// ---- shared sealed reader and writer --------------------------------------------

// A file that fails to open is set aside so that it is never read again; when
// that is impossible it stays as it is for the rest of the run.
void setAside(const std::string& path) {
    State& s = st();
    if (s.readOnly) return;  // the game that owns the files deals with it
    if (platform::fs::replaceAtomic(path, path + ".manipuliert")) {
        std::fprintf(stderr, "[storage] %s war nicht lesbar — beiseitegelegt\n", path.c_str());
        return;
    }
    s.keepAsIs.insert(path);
    std::fprintf(stderr, "[storage] %s war nicht lesbar — lässt sich nicht beiseitelegen und bleibt unverändert\n",
                 path.c_str());
}

// The opened plain text, or "" when the file is missing, empty or unreadable.
// A file that exists but cannot be read at all (permissions, I/O errors) is
// never overwritten in this run: the player's progress may still be in it.
std::string readSealed(const std::string& path) {
    std::string content;
    std::string reason;
    switch (platform::fs::readFile(path, kMaxSealedBytes, &content, &reason)) {
        case platform::fs::ReadStatus::Missing: return {};
        case platform::fs::ReadStatus::Unreadable:
            st().keepAsIs.insert(path);
            std::fprintf(stderr, "[storage] %s lässt sich nicht lesen (%s) — es gelten die Vorgaben, die Datei bleibt "
                         "unverändert\n", path.c_str(), reason.c_str());
            return {};
        case platform::fs::ReadStatus::TooLarge:  // not written by the game: set aside unread
            setAside(path);
            return {};
        case platform::fs::ReadStatus::Ok: break;
    }
    if (content.empty()) return {};
    std::string text;
    if (platform::saveDecrypt(content, &text) != platform::SaveReadResult::Ok) {
        setAside(path);
        return {};
    }
    return text;
}

// Sealed here, written by the writer thread; failures are silent and keep the
// previous file as it was.
void writeSealed(const std::string& path, const js::Value& value) {
    const State& s = st();
    if (s.readOnly || s.keepAsIs.count(path)) return;
    platform::queueFileReplace(path, platform::saveEncrypt(value.dump()));
}

js::Value readObject(const std::string& path) {
    const std::string text = readSealed(path);
    if (text.empty()) return {};
    js::Value v = js::parse(text);
    return v.isObject() ? v : js::Value();
}

// ---- number helpers -------------------------------------------------------------

double clamp01(double x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }

// Truncation toward zero that stays defined for NaN and huge values.
std::int64_t truncInt64(double x) {
    if (std::isnan(x)) return 0;
    if (x >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
    if (x < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(x);
}

std::int64_t int64Of(const js::Value& v) { return v.isNumber() ? truncInt64(v.asNumber(0)) : 0; }

// Leading decimal digits, as strtol reads them; 0 when there are none.
int leadingInt(const std::string& s) {
    const long n = std::strtol(s.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(n, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

js::Value num(std::int64_t x) { return js::Value(static_cast<long long>(x)); }

// ---- settings --------------------------------------------------------------------

void takeBool(const js::Value& v, bool& field) {
    if (v.isBool()) field = v.asBool(field);
}

void applySettings(const js::Value& o, Settings& s) {
    if (o["language"].isString()) s.language = o["language"].asString();
    takeBool(o["soundOn"], s.soundOn);
    if (o["musicVolume"].isNumber()) s.musicVolume = clamp01(o["musicVolume"].asNumber(0));
    if (o["sfxVolume"].isNumber()) s.sfxVolume = clamp01(o["sfxVolume"].asNumber(0));
    takeBool(o["flipBoard"], s.flipBoard);
    takeBool(o["showLegalMoves"], s.showLegalMoves);
    if (o["windowW"].isNumber() && o["windowW"].asInt(0) >= 1) s.windowW = std::max(o["windowW"].asInt(0), 640);
    if (o["windowH"].isNumber() && o["windowH"].asInt(0) >= 1) s.windowH = std::max(o["windowH"].asInt(0), 520);
    if (o["windowX"].isNumber()) s.windowX = o["windowX"].asInt(0);
    if (o["windowY"].isNumber()) s.windowY = o["windowY"].asInt(0);
    takeBool(o["maximized"], s.maximized);
    takeBool(o["fullscreen"], s.fullscreen);
}

js::Value settingsJson(const Settings& s) {
    js::Object o;
    o["language"] = s.language;
    o["soundOn"] = s.soundOn;
    o["musicVolume"] = s.musicVolume;
    o["sfxVolume"] = s.sfxVolume;
    o["flipBoard"] = s.flipBoard;
    o["showLegalMoves"] = s.showLegalMoves;
    o["windowW"] = s.windowW;
    o["windowH"] = s.windowH;
    o["windowX"] = s.windowX;
    o["windowY"] = s.windowY;
    o["maximized"] = s.maximized;
    o["fullscreen"] = s.fullscreen;
    return js::Value(std::move(o));
}

// ---- progress: reading ---------------------------------------------------------

void applyBests(const js::Value& levelStars, std::map<int, LevelBest>& bests) {
    for (const auto& [name, v] : levelStars.asObject()) {
        LevelBest b;  // a member that is not an object gives zeros
        b.stars = v["stars"].asInt(0);
        b.moves = v["moves"].asInt(0);
        b.elapsedMs = int64Of(v["elapsedMs"]);
        bests[leadingInt(name)] = b;
    }
}

void applySolves(const js::Value& list, std::vector<SolveEntry>& solves) {
    for (const js::Value& v : list.asArray()) {
        SolveEntry e;
        e.level = v["level"].asInt(0);
        e.moves = v["moves"].asInt(0);
        e.stars = v["stars"].asInt(0);
        e.elapsedMs = int64Of(v["elapsedMs"]);
        e.solvedAt = int64Of(v["solvedAt"]);
        e.finalFen = v["finalFen"].asString();
        e.startFen = v["startFen"].asString();
        for (const js::Value& m : v["playedMoves"].asArray()) e.playedMoves.push_back(m.asString());
        if (e.level > 0) solves.push_back(std::move(e));
    }
}

HistoryEntry historyEntryFrom(const js::Value& v) {
    HistoryEntry h;
    h.fen = v["fen"].asString();
    h.notation = v["notation"].asString();
    const std::string& piece = v["piece"].asString();
    h.pieceKind = piece.empty() ? 0 : piece[0];
    h.byWhite = v["byWhite"].asBool(false);
    return h;
}

void applyGame(const js::Value& g, SavedGame& game) {
    if (!g.isObject() || !g["fen"].isString() || g["fen"].asString().empty()) return;
    game = SavedGame();
    game.level = std::max(g["level"].asInt(0), 1);
    game.seed = static_cast<std::uint32_t>(static_cast<std::uint64_t>(int64Of(g["seed"])) & 0xFFFFFFFFu);
    game.fen = g["fen"].asString();
    game.startFen = g["startFen"].asString();
    game.elapsedMs = int64Of(g["elapsedMs"]);
    game.savedAt = int64Of(g["savedAt"]);
    game.moves = g["moves"].asInt(0);
    game.hintUsed = g["hintUsed"].asBool(false);
    game.playerWhite = g["playerWhite"].asBool(true);
    for (const js::Value& h : g["history"].asArray()) game.history.push_back(historyEntryFrom(h));
    game.valid = true;
}

void applyProgress(const js::Value& o, State& s) {
    if (o["unlocked_level"].isNumber()) s.unlocked = std::max(o["unlocked_level"].asInt(0), 1);
    applyBests(o["level_stars"], s.bests);
    applySolves(o["solves_list"], s.solves);
    applyGame(o["current_game"], s.game);
}

// ---- progress: writing ---------------------------------------------------------

js::Value gameJson(const SavedGame& g) {
    js::Array history;
    for (const HistoryEntry& h : g.history) {
        js::Object e;
        e["fen"] = h.fen;
        e["notation"] = h.notation;
        e["piece"] = h.pieceKind ? std::string(1, h.pieceKind) : std::string();
        e["byWhite"] = h.byWhite;
        history.emplace_back(std::move(e));
    }
    js::Object o;
    o["level"] = g.level;
    o["seed"] = static_cast<long long>(g.seed);
    o["fen"] = g.fen;
    o["startFen"] = g.startFen;
    o["elapsedMs"] = num(g.elapsedMs);
    o["moves"] = g.moves;
    o["history"] = std::move(history);
    o["hintUsed"] = g.hintUsed;
    o["playerWhite"] = g.playerWhite;
    o["savedAt"] = num(g.savedAt);
    return js::Value(std::move(o));
}

js::Value progressJson(const State& s) {
    js::Object bests;
    for (const auto& [level, b] : s.bests) {
        js::Object e;
        e["stars"] = b.stars;
        e["moves"] = b.moves;
        e["elapsedMs"] = num(b.elapsedMs);
        bests[std::to_string(level)] = std::move(e);
    }
    js::Array solves;
    for (const SolveEntry& e : s.solves) {
        js::Object o;
        o["level"] = e.level;
        o["moves"] = e.moves;
        o["elapsedMs"] = num(e.elapsedMs);
        o["solvedAt"] = num(e.solvedAt);
        o["stars"] = e.stars;
        o["finalFen"] = e.finalFen;
        if (!e.startFen.empty()) o["startFen"] = e.startFen;
        if (!e.playedMoves.empty()) {
            js::Array moves(e.playedMoves.begin(), e.playedMoves.end());
            o["playedMoves"] = std::move(moves);
        }
        solves.emplace_back(std::move(o));
    }
    js::Object o;
    if (s.game.valid) o["current_game"] = gameJson(s.game);
    o["level_stars"] = std::move(bests);
    o["solves_list"] = std::move(solves);
    o["unlocked_level"] = s.unlocked;
    return js::Value(std::move(o));
}

// The demonstration mode must leave the real progress file alone.
void writeSaves() {
    if (st().demo) return;
    writeSealed(savesPath(), progressJson(st()));
}

bool isBetter(const SolveEntry& a, const SolveEntry& b) {
    if (a.stars != b.stars) return a.stars > b.stars;
    if (a.moves != b.moves) return a.moves < b.moves;
    return a.elapsedMs < b.elapsedMs;
}

// ---- demonstration mode --------------------------------------------------------

void startDemo(int n) {
    State& s = st();
    s.demo = true;
    s.unlocked = n + 1;
    const std::int64_t now = nowMs();
    for (int level = 1; level <= n; ++level) {
        const levels::LevelConfig cfg = levels::configFor(level);
        SolveEntry e;
        e.level = level;
        e.moves = cfg.optimumMoves + 4 * (level % 4) - 2;
        e.elapsedMs = 97000 + 7000LL * (level - 1);
        e.solvedAt = now - 3600000LL * (n - level);
        e.finalFen = cfg.startingFen.empty() ? kStandardStartFen : cfg.startingFen;
        e.stars = levels::computeStars(e.moves, cfg.optimumMoves);
        s.bests[level] = LevelBest{e.stars, e.moves, e.elapsedMs};
        s.solves.push_back(std::move(e));
    }
    std::fprintf(stderr, "[storage] ZELVANE_SOLVES=%d — %d Erfolge nur zur ANSICHT, es wird nichts geschrieben\n", n,
                 n);
}

// The number of demonstration solves "ZELVANE_SOLVES" asks for; 0 for none.
long demoSolves() {
    const char* value = std::getenv("ZELVANE_SOLVES");
    return value ? std::strtol(value, nullptr, 10) : 0;
}

void checkDemo() {
    const long n = demoSolves();
    if (n < 1) return;
    startDemo(static_cast<int>(std::min<long>(n, levels::kTotalLevels)));
}

}  // namespace

void init(bool readOnly) {
    State& s = st();
    if (s.loaded) return;
    s.loaded = true;
    s.readOnly = readOnly;
    if (!readOnly) {
        platform::fs::removeLeftoverTemporaries(settingsPath());
        platform::fs::removeLeftoverTemporaries(savesPath());
    }
    applySettings(readObject(settingsPath()), s.settings);
    applyProgress(readObject(savesPath()), s);
    checkDemo();
}

bool demoRequested() { return demoSolves() >= 1; }

void flush() { platform::flushFileWrites(); }

std::string storedLanguage() {
    std::string content;
    std::string text;
    if (platform::fs::readFile(settingsPath(), kMaxSealedBytes, &content) != platform::fs::ReadStatus::Ok) return {};
    if (platform::saveDecrypt(content, &text) != platform::SaveReadResult::Ok) return {};
    const js::Value v = js::parse(text);
    return v.isObject() ? v["language"].asString() : std::string();
}

Settings& settings() { return st().settings; }

void saveSettings() { writeSealed(settingsPath(), settingsJson(st().settings)); }

std::int64_t nowMs() {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return static_cast<std::int64_t>(ns.count() / 1000000);
}

int unlockedLevel() { return st().unlocked; }
const std::map<int, LevelBest>& levelBests() { return st().bests; }
const std::vector<SolveEntry>& solves() { return st().solves; }
const SavedGame& savedGame() { return st().game; }
bool hasSavedGame() { return st().game.valid; }

void advanceUnlockedLevel(int level) {
    State& s = st();
    if (s.unlocked >= level) return;
    s.unlocked = std::min(level, kAllUnlocked);
    writeSaves();
}

LevelBest recordBest(int level, const LevelBest& result) {
    auto& bests = st().bests;
    auto it = bests.find(level);
    if (it == bests.end()) {
        bests[level] = result;
        writeSaves();
        return result;
    }
    // Each field improves on its own, so a best may combine several games.
    const LevelBest old = it->second;
    LevelBest merged;
    merged.stars = std::max(old.stars, result.stars);
    merged.moves = old.moves <= 0 ? result.moves : std::min(old.moves, result.moves);
    merged.elapsedMs = old.elapsedMs < 1 ? result.elapsedMs : std::min(old.elapsedMs, result.elapsedMs);
    it->second = merged;
    writeSaves();
    return merged;
}

void recordSolve(const SolveEntry& entry) {
    SolveEntry e = entry;
    if (e.solvedAt == 0) e.solvedAt = nowMs();
    auto& list = st().solves;
    auto same = std::find_if(list.begin(), list.end(), [&](const SolveEntry& x) { return x.level == e.level; });
    if (same == list.end()) {
        list.push_back(std::move(e));
    } else if (isBetter(e, *same)) {
        *same = std::move(e);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const SolveEntry& a, const SolveEntry& b) { return a.level < b.level; });
    if (list.size() > static_cast<std::size_t>(kMaxSolves)) list.resize(kMaxSolves);
    writeSaves();
}

void saveGame(const SavedGame& game) {
    SavedGame& g = st().game;
    g = game;
    g.valid = true;
    g.savedAt = nowMs();
    writeSaves();
}

void clearGame() {
    st().game = SavedGame();
    writeSaves();
}

void resetProgress() {
    State& s = st();
    s.unlocked = 1;
    s.bests.clear();
    s.solves.clear();
    s.game = SavedGame();
    writeSaves();
}

}  // namespace store
