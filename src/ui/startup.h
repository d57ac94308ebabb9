// The start-up rules of the game executable that do not need a window:
// command-line options, the start-screen override and the window geometry.
#pragma once

#include <string>

#include "core/storage.h"
#include "ui/app.h"

namespace ui {

inline constexpr const char* kProductName = "Orlavan's Chess";
inline constexpr const char* kVersion = "1.0.1";
inline constexpr int kBuildNumber = 1030;
inline constexpr int kMinWindowW = 860;
inline constexpr int kMinWindowH = 560;

enum class InfoOption { None, Version, Help };

// The first "--version" or "--help" among the arguments; nothing else is looked at.
InfoOption findInfoOption(int argc, const char* const* argv);
std::string versionText();
std::string helpText();

// Applies "--fullscreen", "--windowed" and "--size WxH" to the settings in
// order; true when a valid size was given.
bool applyWindowOptions(int argc, const char* const* argv, store::Settings& settings);

// The start screen named like "ZELVANE_SCREEN" ("menu", "playing:7", ...);
// false (and a splash state) for a name we do not know.
bool stateForScreenName(const std::string& name, GameState& state);

struct Size {
    int w = 0, h = 0;
};

// The size the window opens with, from the settings and the usable display
// area uw x uh (zero or less when unknown).
Size initialWindowSize(const store::Settings& settings, bool sizeGiven, int uw, int uh);

// The remembered top-left corner kept on the usable area (ux, uy, uw, uh) for a
// window of ww x wh; the title bar stays 30 pixels below the top.
struct Point {
    int x = 0, y = 0;
};
Point placeOnDisplay(int rememberedX, int rememberedY, int ux, int uy, int uw, int uh, int ww, int wh);

}  // namespace ui
