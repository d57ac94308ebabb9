// Orlavan's Chess: start-up, the frame loop and the orderly shutdown.
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/storage.h"
#include "i18n.h"
#include "ui/app_icon.h"
#include "platform/crash.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/gpu.h"
#include "ui/startup.h"

#if __has_include("platform/audio.h")
#include "platform/audio.h"
#define ZELVANE_HAS_AUDIO 1
#else
#define ZELVANE_HAS_AUDIO 0
#endif

namespace {

volatile std::sig_atomic_t g_terminate = 0;

// Seconds on a steady clock, counted from the first call.
double nowSeconds() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration_cast<nanoseconds>(steady_clock::now() - start).count() / 1e9;
}

// The first signal ends the loop after its frame (settings are saved); a
// second one means the player wants out now. Only async-signal-safe calls
// here: closing the mixer could deadlock on a lock the interrupted code
// holds, and the sound stops with the process anyway.
void onTerminationSignal(int sig) {
    if (g_terminate) std::_Exit(128 + sig);
    g_terminate = 1;
}

void startSound(const store::Settings& settings) {
#if ZELVANE_HAS_AUDIO
    audio::init();
    audio::setEnabled(settings.soundOn);
    audio::setMusicVolume(settings.musicVolume);
    audio::setSfxVolume(settings.sfxVolume);
    if (settings.soundOn) audio::startMusic();
#else
    (void)settings;
#endif
}

void tickSound() {
#if ZELVANE_HAS_AUDIO
    audio::tick();
#endif
}

void stopSound() {
#if ZELVANE_HAS_AUDIO
    audio::shutdown();
#endif
}

// Another game already uses this data directory: two copies would overwrite
// each other's progress, so this one asks the running one to come forward,
// tells the player and ends.
void refuseSecondCopy() {
    platform::knockOnLock(paths::dataDir());
    i18n::setLanguage(store::storedLanguage());
    const std::string text = i18n::tr("instance.running");
    std::fprintf(stderr, "[start] %s läuft schon mit %s — kein zweites Fenster\n", ui::kProductName,
                 paths::dataDir().c_str());
    // Nothing to save here, so a termination signal may end the waiting box at once.
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) std::signal(sig, SIG_DFL);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, ui::kProductName, text.c_str(), nullptr);
}

// Loads the stores as the only game using the data directory, or read-only
// for a demonstration next to a running game. False when this copy must end.
bool loadStores() {
    switch (platform::lockDataDir(paths::dataDir())) {
        case platform::LockResult::Acquired: break;
        case platform::LockResult::HeldElsewhere:
            if (!store::demoRequested()) {
                refuseSecondCopy();
                return false;
            }
            store::init(true);
            return true;
        case platform::LockResult::Unavailable:
            std::fprintf(stderr, "[storage] %s/Zelvane.lock lässt sich nicht anlegen — ein zweites Spiel wird nicht "
                         "erkannt\n", paths::dataDir().c_str());
            break;
    }
    store::init();
    return true;
}

// A second start knocked: bring this window to the front.
void answerKnock(SDL_Window* window) {
    if (!platform::lockKnocked()) return;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
}

void applyScreenOverride() {
    const char* name = std::getenv("ZELVANE_SCREEN");
    if (!name) return;
    ui::GameState state;
    if (!ui::stateForScreenName(name, state)) {
        std::fputs("ZELVANE_SCREEN: menu levels playing[:N] solved[:N] gallery settings about licenses\n", stderr);
    }
    if (state.kind != ui::ScreenKind::Splash) ui::Game::instance().resetTo(state);
}

// Usable size of the first display, or its full size when that is unknown.
ui::Size displayArea() {
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(0, &r) != 0 || r.w < 1) {
        r = SDL_Rect{0, 0, 0, 0};
        SDL_GetDisplayBounds(0, &r);
    }
    return {r.w, r.h};
}

// The game's icon instead of the desktop's generic one, drawn like the icon files.
void setWindowIcon(SDL_Window* window) {
    constexpr int kIconPx = 64;
    std::vector<std::uint32_t> pixels = icon::straightArgb(kIconPx);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kIconPx, kIconPx, 32, kIconPx * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(window, surface);  // copies the pixels
    SDL_FreeSurface(surface);
}

SDL_Renderer* createRenderer(SDL_Window* window) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer;
}

void reportRenderer(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
        const char* driver = SDL_GetCurrentVideoDriver();
        std::printf("[video] Treiber %s, Renderer %s%s%s\n", driver ? driver : "?", info.name ? info.name : "?",
                    (info.flags & SDL_RENDERER_ACCELERATED) ? " (beschleunigt)" : " (Software!)",
                    (info.flags & SDL_RENDERER_PRESENTVSYNC) ? ", VSync an" : ", VSync AUS");
    }
    std::printf("[video] zur Wahl:");
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo driverInfo;
        if (SDL_GetRenderDriverInfo(i, &driverInfo) == 0 && driverInfo.name) std::printf(" %s", driverInfo.name);
    }
    std::printf("\n");
    std::fflush(stdout);
}

// Fullscreen, a size from the command line, or a window placed after its first frame.
ui::WindowStart applyWindowMode(SDL_Window* window, const store::Settings& settings, bool sizeGiven) {
    ui::WindowStart start;
    start.rememberedX = settings.windowX;
    start.rememberedY = settings.windowY;
    if (settings.fullscreen) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return start;
    }
    if (!sizeGiven) {
        start.hasPos = settings.hasPosition();
        start.placePending = true;
        start.ignoreWindowEventsUntil = 1e18;  // until the placement after the first frame
    }
    if (settings.maximized) SDL_MaximizeWindow(window);
    return start;
}

}  // namespace

int main(int argc, char** argv) {
    paths::redirectDiagnostics();
    switch (ui::findInfoOption(argc, argv)) {
        case ui::InfoOption::Version: std::fputs(ui::versionText().c_str(), stdout); return 0;
        case ui::InfoOption::Help: std::fputs(ui::helpText().c_str(), stdout); return 0;
        case ui::InfoOption::None: break;
    }

    SDL_SetHint("SDL_NO_SIGNAL_HANDLERS", "1");
    std::signal(SIGTERM, onTerminationSignal);
    std::signal(SIGINT, onTerminationSignal);
    std::signal(SIGHUP, onTerminationSignal);
    platform::installCrashHandler();
    paths::prepareFontconfig();
    {
        std::random_device device("default");
        std::srand(device() ^ static_cast<unsigned>(std::time(nullptr)));
    }

    if (!loadStores()) return 0;
    store::Settings& settings = store::settings();
    const bool sizeGiven = ui::applyWindowOptions(argc, argv, settings);
    i18n::setLanguage(settings.language);
    applyScreenOverride();

    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    const ui::Size display = displayArea();
    const ui::Size size = ui::initialWindowSize(settings, sizeGiven, display.w, display.h);
    SDL_Window* window =
        SDL_CreateWindow(ui::kProductName, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, size.w, size.h,
                         SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) {
        std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
        return 1;
    }
    SDL_SetWindowMinimumSize(window, ui::kMinWindowW, ui::kMinWindowH);
    setWindowIcon(window);
    const ui::WindowStart start = applyWindowMode(window, settings, sizeGiven);

    SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "linear");
    SDL_Renderer* renderer = createRenderer(window);
    if (!renderer) {
        std::fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
        return 1;
    }
    reportRenderer(renderer);

    ui::gpuInit(renderer);
    ui::registerBundledFonts();
    startSound(settings);

    ui::FrameHooks hooks;
    hooks.now = nowSeconds;
    hooks.afterUpdate = tickSound;
    hooks.terminate = &g_terminate;
    hooks.statsOn = std::getenv("ZELVANE_STATS") != nullptr;
    ui::FrameLoop loop(window, renderer, settings, start, std::move(hooks));
    constexpr double kKnockCheckSeconds = 0.5;
    double lastKnockCheck = 0;
    while (loop.runFrame()) {
        if (nowSeconds() - lastKnockCheck < kKnockCheckSeconds) continue;
        lastKnockCheck = nowSeconds();
        answerKnock(window);
    }

    ui::Game::instance().quit();
    loop.rememberGeometry();
    std::printf("[fenster] sichere %dx%d bei %d,%d%s\n", settings.windowW, settings.windowH, settings.windowX,
                settings.windowY, settings.maximized ? " (maximiert)" : "");
    std::fflush(stdout);
    store::saveSettings();
    store::flush();
    ui::gpuShutdown();
    stopSound();
    loop.destroyOverlay();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
