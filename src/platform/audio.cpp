#include "platform/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/paths.h"

namespace audio {
namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkFrames = 1024;
constexpr int kMixingChannels = 24;

constexpr Sfx kPlayerMove[6] = {Sfx::Drop0, Sfx::Drop2, Sfx::Drop4, Sfx::Drop6, Sfx::Drop8, Sfx::Drop10};
constexpr Sfx kEnemyMove[6] = {Sfx::Drop1, Sfx::Drop3, Sfx::Drop5, Sfx::Drop7, Sfx::Drop9, Sfx::Drop11};
constexpr Sfx kPlayerCap[6] = {Sfx::Drop12, Sfx::Drop14, Sfx::Pickup, Sfx::Drop10, Sfx::Drop8, Sfx::Drop6};
constexpr Sfx kEnemyCap[6] = {Sfx::Drop13, Sfx::Pickup, Sfx::Drop11, Sfx::Drop9, Sfx::Drop7, Sfx::Drop5};

struct State {
    bool ready = false;
    bool enabled = true;
    double musicVolume = 0.35;
    double sfxVolume = 0.75;
    bool musicWanted = false;
    Mix_Music* music = nullptr;
    std::map<Sfx, Mix_Chunk*> sfx;
    std::vector<Pending> pending;
};

State& st() {
    static State state;
    return state;
}

double clampUnit(double v) {
    // NaN compares false everywhere and would survive std::clamp; treat it as silence.
    if (!(v >= 0.0)) return 0.0;
    return std::min(v, 1.0);
}

int mixerVolume(double v) {
    return static_cast<int>(v * MIX_MAX_VOLUME);
}

void playLater(Sfx sfx, std::uint32_t delayMs) {
    st().pending.push_back({sfx, SDL_GetTicks() + delayMs});
}

void loadEffects() {
    for (Sfx sfx : kAllSfx) {
        const std::string path = paths::asset(fileOf(sfx));
        Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
        if (!chunk) {
            std::fprintf(stderr, "[audio] Effekt fehlt: %s (%s)\n", path.c_str(), SDL_GetError());
            continue;
        }
        st().sfx[sfx] = chunk;
    }
}

void loadMusic() {
    const std::string path = paths::asset(kMusicFile);
    st().music = Mix_LoadMUS(path.c_str());
    if (!st().music) {
        std::fprintf(stderr, "[audio] Musik fehlt: %s (%s)\n", path.c_str(), SDL_GetError());
    }
}

}  // namespace

const char* fileOf(Sfx sfx) {
    static constexpr const char* kFiles[] = {
        "assets/audio/sfx_click.ogg",   "assets/audio/sfx_pickup.ogg",  "assets/audio/sfx_illegal.ogg",
        "assets/audio/sfx_success.ogg", "assets/audio/sfx_star1.ogg",   "assets/audio/sfx_star2.ogg",
        "assets/audio/sfx_star3.ogg",   "assets/audio/sfx_drop_0.ogg",  "assets/audio/sfx_drop_1.ogg",
        "assets/audio/sfx_drop_2.ogg",  "assets/audio/sfx_drop_3.ogg",  "assets/audio/sfx_drop_4.ogg",
        "assets/audio/sfx_drop_5.ogg",  "assets/audio/sfx_drop_6.ogg",  "assets/audio/sfx_drop_7.ogg",
        "assets/audio/sfx_drop_8.ogg",  "assets/audio/sfx_drop_9.ogg",  "assets/audio/sfx_drop_10.ogg",
        "assets/audio/sfx_drop_11.ogg", "assets/audio/sfx_drop_12.ogg", "assets/audio/sfx_drop_13.ogg",
        "assets/audio/sfx_drop_14.ogg",
    };
    const auto index = static_cast<std::size_t>(sfx);
    return index < std::size(kFiles) ? kFiles[index] : "";
}

bool init() {
    State& s = st();
    if (s.ready) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "[audio] kein Klang-Subsystem: %s\n", SDL_GetError());
        return false;
    }
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kChunkFrames) != 0) {
        std::fprintf(stderr, "[audio] Mix_OpenAudio: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kMixingChannels);
    loadEffects();
    loadMusic();
    s.ready = true;
    setMusicVolume(s.musicVolume);
    return true;
}

void shutdown() {
    State& s = st();
    if (!s.ready) return;
    s.ready = false;
    s.musicWanted = false;
    s.pending.clear();
    Mix_HaltMusic();
    Mix_HaltChannel(-1);
    if (s.music) {
        Mix_FreeMusic(s.music);
        s.music = nullptr;
    }
    for (auto& entry : s.sfx) Mix_FreeChunk(entry.second);
    s.sfx.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void setEnabled(bool on) {
    st().enabled = on;
    if (!on) {
        stopMusic();
    } else if (st().musicWanted) {
        startMusic();
    }
}

void setMusicVolume(double v) {
    st().musicVolume = clampUnit(v);
    if (st().ready) Mix_VolumeMusic(mixerVolume(st().musicVolume));
}

void setSfxVolume(double v) {
    st().sfxVolume = clampUnit(v);
}

void play(Sfx sfx) {
    const State& s = st();
    if (!s.ready || !s.enabled || s.sfxVolume <= 0.0) return;
    const auto found = s.sfx.find(sfx);
    if (found == s.sfx.end()) return;
    Mix_VolumeChunk(found->second, mixerVolume(s.sfxVolume));
    Mix_PlayChannel(-1, found->second, 0);
}

void startMusic() {
    State& s = st();
    s.musicWanted = true;
    if (s.ready && s.enabled && s.music && !Mix_PlayingMusic()) Mix_PlayMusic(s.music, -1);
}

void stopMusic() {
    st().musicWanted = false;
    if (st().ready) Mix_HaltMusic();
}

std::vector<Sfx> takeDue(std::vector<Pending>& pending, std::uint32_t now) {
    std::vector<Sfx> due;
    std::vector<Pending> waiting;
    for (const Pending& entry : pending) {
        if (static_cast<std::int32_t>(now - entry.dueMs) >= 0) {
            due.push_back(entry.key);
        } else {
            waiting.push_back(entry);
        }
    }
    pending.swap(waiting);
    return due;
}

void tick() {
    if (st().pending.empty()) return;
    for (Sfx sfx : takeDue(st().pending, SDL_GetTicks())) play(sfx);
}

void playWinFanfare() {
    const State& s = st();
    if (!s.ready || !s.enabled || s.sfxVolume <= 0.0) return;
    play(Sfx::Success);
    playLater(Sfx::Drop7, 220);
    playLater(Sfx::Drop10, 220);
    playLater(Sfx::Drop14, 440);
}

void playLoseSound() {
    play(Sfx::Drop14);
}

Sfx forMove(char piece, bool capture, bool byPlayer) {
    static constexpr char kOrder[] = "PNBRQK";
    std::size_t index = 0;
    if (piece != 0) {
        const char* found = std::strchr(kOrder, piece);
        index = found ? static_cast<std::size_t>(found - kOrder) : 0;
    }
    if (capture) return byPlayer ? kPlayerCap[index] : kEnemyCap[index];
    return byPlayer ? kPlayerMove[index] : kEnemyMove[index];
}

Sfx forPlayedMove(const MoveFacts& m) {
    if (m.mate) return Sfx::Success;
    if (m.check) return Sfx::Pickup;
    if (m.promoted) return Sfx::Star2;
    if (m.castled) return Sfx::Drop13;
    return forMove(m.piece, m.capture, m.byPlayer);
}

bool ready() { return st().ready; }
bool enabled() { return st().enabled; }
double musicVolume() { return st().musicVolume; }
double sfxVolume() { return st().sfxVolume; }
std::size_t pendingCount() { return st().pending.size(); }

}  // namespace audio
