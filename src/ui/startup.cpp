#include "ui/startup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/levels.h"

namespace ui {

namespace {

// The level after the first ":" of a screen name, 1 without one, kept in range.
int levelFromName(const std::string& name) {
    long level = 1;
    const auto colon = name.find(':');
    if (colon != std::string::npos) level = std::strtol(name.c_str() + colon + 1, nullptr, 10);
    return static_cast<int>(std::clamp<long>(level, 1, levels::kTotalLevels));
}

}  // namespace

InfoOption findInfoOption(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return InfoOption::Version;
        if (std::strcmp(argv[i], "--help") == 0) return InfoOption::Help;
    }
    return InfoOption::None;
}

std::string versionText() {
    char text[128];
    std::snprintf(text, sizeof text, "%s %s (Build %d)\n", kProductName, kVersion, kBuildNumber);
    return text;
}

std::string helpText() {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s %s\n"
                  "  --version    Version ausgeben\n"
                  "  --fullscreen im Vollbild starten\n"
                  "  --windowed   im Fenster starten\n"
                  "  --size BxH   mit dieser Fenstergroesse starten\n",
                  kProductName, kVersion);
    return text;
}

bool applyWindowOptions(int argc, const char* const* argv, store::Settings& settings) {
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--fullscreen") == 0) {
            settings.fullscreen = true;
        } else if (std::strcmp(arg, "--windowed") == 0) {
            settings.fullscreen = false;
        } else if (std::strcmp(arg, "--size") == 0) {
            if (i + 1 >= argc) break;
            int w = 0, h = 0;
            if (std::sscanf(argv[i + 1], "%dx%d", &w, &h) == 2 && w >= 640 && h >= 480) {
                settings.windowW = w;
                settings.windowH = h;
                sizeGiven = true;
            }
            ++i;  // the value is used up, valid or not
        }
    }
    return sizeGiven;
}

bool stateForScreenName(const std::string& name, GameState& state) {
    state = GameState{};
    static const struct {
        const char* name;
        ScreenKind kind;
    } kExact[] = {
        {"menu", ScreenKind::Menu},         {"levels", ScreenKind::LevelSelect}, {"gallery", ScreenKind::Gallery},
        {"settings", ScreenKind::Settings}, {"about", ScreenKind::About},        {"licenses", ScreenKind::Licenses},
    };
    for (const auto& entry : kExact) {
        if (name == entry.name) {
            state.kind = entry.kind;
            return true;
        }
    }
    if (name.rfind("solved", 0) == 0) {
        state.kind = ScreenKind::Solved;
        state.level = levelFromName(name);
        state.moves = 21;
        state.elapsedMs = 254000;
        state.finalFen = levels::configFor(state.level).startingFen;
        return true;
    }
    if (name.rfind("replay", 0) == 0) {
        state.kind = ScreenKind::Replay;
        state.level = levelFromName(name);
        return true;
    }
    if (name.rfind("playing", 0) == 0) {
        state.kind = ScreenKind::Playing;
        state.level = levelFromName(name);
        state.seed = 12345;
        return true;
    }
    return false;
}

Size initialWindowSize(const store::Settings& settings, bool sizeGiven, int uw, int uh) {
    const bool knownDisplay = uw > 0 && uh > 0;
    if (sizeGiven) return {settings.windowW, settings.windowH};
    if (settings.windowW >= 1 && settings.windowH >= 1) {
        if (!knownDisplay) return {settings.windowW, settings.windowH};
        return {std::min(settings.windowW, uw - 20), std::min(settings.windowH, uh - 80)};
    }
    // Nothing known at all: the smallest window the game is laid out for.
    if (!knownDisplay) return {kMinWindowW, kMinWindowH};

    // The first window takes about two thirds of the usable width in the
    // board-and-panel aspect 1.503, at least 860 wide (and so at least 560
    // high), and no taller than the usable height less 80 for the title bar:
    // a 1920 x 1080 display gives 1280 x 852. A display smaller than that
    // floor gets a window 20 narrower and 80 lower than itself.
    constexpr double kAspect = 1.503;
    double w = std::max(uw * 2.0 / 3.0, double(kMinWindowW));
    double h = w / kAspect;
    if (h > uh - 80) {
        h = uh - 80;
        w = std::max(kAspect * h, double(kMinWindowW));
    }
    const int width = static_cast<int>(std::lround(std::min(w, uw - 20.0)));
    const int height = static_cast<int>(std::lround(std::max(std::min(h, uh - 80.0), double(kMinWindowH))));
    return {width, std::min(height, uh - 80)};
}

Point placeOnDisplay(int rememberedX, int rememberedY, int ux, int uy, int uw, int uh, int ww, int wh) {
    if (uw <= 0 || uh <= 0) return {rememberedX, rememberedY};
    const int x = std::clamp(rememberedX, ux, std::max(ux, ux + uw - ww));
    const int y = std::clamp(rememberedY, uy + 30, std::max(uy + 30, uy + uh - wh));
    return {x, y};
}

}  // namespace ui
