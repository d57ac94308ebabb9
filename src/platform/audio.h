// Sound effects and the looping background music, played through SDL2_mixer.
// A missing device or a missing file never stops the game: the affected
// sounds are simply silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

enum class Sfx : std::int32_t {
    Click,
    Pickup,
    Illegal,
    Success,
    Star1,
    Star2,
    Star3,
    Drop0,
    Drop1,
    Drop2,
    Drop3,
    Drop4,
    Drop5,
    Drop6,
    Drop7,
    Drop8,
    Drop9,
    Drop10,
    Drop11,
    Drop12,
    Drop13,
    Drop14,
};

// Every effect in load order.
inline constexpr Sfx kAllSfx[] = {
    Sfx::Click,  Sfx::Pickup, Sfx::Illegal, Sfx::Success, Sfx::Star1,  Sfx::Star2,
    Sfx::Star3,  Sfx::Drop0,  Sfx::Drop1,   Sfx::Drop2,   Sfx::Drop3,  Sfx::Drop4,
    Sfx::Drop5,  Sfx::Drop6,  Sfx::Drop7,   Sfx::Drop8,   Sfx::Drop9,  Sfx::Drop10,
    Sfx::Drop11, Sfx::Drop12, Sfx::Drop13,  Sfx::Drop14,
};

// File of an effect relative to the asset root, e.g. "assets/audio/sfx_click.ogg".
const char* fileOf(Sfx sfx);
inline constexpr const char* kMusicFile = "assets/audio/bgm_calm.ogg";

// One delayed effect; dueMs is an SDL tick count that may wrap around.
struct Pending {
    Sfx key = Sfx::Click;
    std::uint32_t dueMs = 0;
};

// Opens the device and loads every sound. True when ready (also with missing
// files), false when no device could be opened.
bool init();
// Stops and frees everything; harmless when not ready.
void shutdown();

void setEnabled(bool on);
void setMusicVolume(double v);  // clamped to 0..1
void setSfxVolume(double v);    // clamped to 0..1, used from the next effect on

void play(Sfx sfx);
void startMusic();
void stopMusic();

// Plays the delayed effects that are due; called once per frame.
void tick();

void playWinFanfare();
void playLoseSound();

// The drop sound of a move: piece is a FEN letter (upper case; anything else
// counts as a pawn), capture and byPlayer choose the table.
Sfx forMove(char piece, bool capture, bool byPlayer);

// What a played move is, as far as its sound is concerned.
struct MoveFacts {
    char piece = 0;  // the mover's FEN letter, upper case
    bool capture = false;
    bool byPlayer = false;
    bool mate = false;
    bool check = false;
    bool promoted = false;
    bool castled = false;
};

// The sound of a played move: a mate, a check, a promotion and a castle have
// their own, in that order; any other move drops by piece and capture.
Sfx forPlayedMove(const MoveFacts& m);

// Moves the entries of pending that are due at tick count now (signed 32-bit
// difference, so the wrap of the counter is harmless) into the result, keeping
// the order of both lists.
std::vector<Sfx> takeDue(std::vector<Pending>& pending, std::uint32_t now);

// Read-only looks at the module's state, for the settings screen and tests.
bool ready();
bool enabled();
double musicVolume();
double sfxVolume();
std::size_t pendingCount();

}  // namespace audio
