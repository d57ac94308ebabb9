// Frame timings of one screen, drawn headless by the game's own frame loop
// with SDL's software renderer and render batching on:
//   frame_bench SCREEN WxH SECONDS
// SCREEN is splash, menu, levels, playing[:N] (a game in progress), dice[:N]
// (a new game rolling its dice, rolled again every two seconds), solved[:N],
// gallery (37 wins), settings, about or licenses. Frame time advances 1/60 s
// per frame for SECONDS. Prints the median and 95th percentile of the frame's
// own work (up to the end of the screen's update: our drawing and the queued
// blits) and of the overlay upload with the present, where the renderer does
// its rasterising, and the resident memory at the first and the last frame;
// runs of a minute or more also print the memory after every minute. Times
// are processor time of the main thread.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <SDL.h>
#include <unistd.h>

#include "headless/headless.h"
#include "core/chess.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "ui/app.h"
#include "ui/frame.h"
#include "ui/startup.h"

namespace {

constexpr double kFrameStep = 1.0 / 60.0;
constexpr int kGalleryWins = 37;
constexpr double kDiceReroll = 2.0;

int usage() {
    std::fputs("usage: frame_bench SCREEN WxH SECONDS\n"
               "  SCREEN: splash menu levels playing[:N] dice[:N] solved[:N] gallery settings about licenses\n",
               stderr);
    return 2;
}

// Processor time of this thread: the figures stay honest on a busy machine,
// where wall-clock time would count the waits for a free core.
double threadSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The screen to measure; "playing" resumes a game so that no dice show.
bool stateFor(const std::string& screen, ui::GameState& state) {
    if (screen == "splash") {
        state = ui::GameState{};
        return true;
    }
    if (screen.rfind("dice", 0) == 0) return ui::stateForScreenName("playing" + screen.substr(4), state);
    if (screen == "gallery") ::setenv("ZELVANE_SOLVES", std::to_string(kGalleryWins).c_str(), 1);
    return ui::stateForScreenName(screen, state);
}

void resumeGameOf(ui::GameState& state) {
    const levels::LevelConfig cfg = levels::configFor(state.level);
    store::SavedGame game;
    game.valid = true;
    game.level = state.level;
    game.seed = state.seed;
    game.fen = cfg.startingFen.empty() ? chess::Board::startPosition().fen() : cfg.startingFen;
    game.startFen = game.fen;
    store::saveGame(game);
    state.resume = true;
}

struct Spread {
    double median = 0, p95 = 0;
};

Spread spreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[static_cast<std::size_t>(q * (values.size() - 1) + 0.5)]; };
    return {at(0.5) * 1000, at(0.95) * 1000};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return usage();
    const std::string screen = argv[1];
    int w = 0, h = 0;
    if (std::sscanf(argv[2], "%dx%d", &w, &h) != 2 || w < 1 || h < 1) return usage();
    const double seconds = std::atof(argv[3]);
    if (!(seconds > 0)) return usage();

    headless::TempDataHome dataHome("bench", false);
    ui::GameState state;
    if (!stateFor(screen, state)) return usage();
    store::init();
    i18n::setLanguage(store::settings().language);
    if (screen.rfind("playing", 0) == 0) resumeGameOf(state);
    ui::Game::instance().resetTo(state);

    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    const headless::Window view("frame_bench", w, h);
    if (!view.renderer) return 1;

    const long frames = std::max(1L, std::lround(seconds / kFrameStep));
    const long framesPerMinute = std::lround(60 / kFrameStep);
    std::vector<double> work, present;
    work.reserve(static_cast<std::size_t>(frames));
    present.reserve(static_cast<std::size_t>(frames));
    double clock = 0;
    double rssStart = 0;
    double restartAt = kDiceReroll;
    ui::FrameHooks hooks;
    hooks.now = [&clock] { return clock; };
    hooks.stopwatch = threadSeconds;
    hooks.samplePointer = [] { return ui::PointerSample{-1, -1}; };  // no hover anywhere
    {
        ui::FrameLoop loop(view.window, view.renderer, store::settings(), ui::WindowStart{}, std::move(hooks));
        for (long frame = 1; frame <= frames; ++frame) {
            clock = static_cast<double>(frame) * kFrameStep;
            // Keep the screen under test: the splash would give way to the menu.
            const bool reroll = screen.rfind("dice", 0) == 0 && clock >= restartAt;
            if (ui::Game::instance().top().kind != state.kind || reroll) {
                ui::Game::instance().resetTo(state);
                if (reroll) restartAt += kDiceReroll;
            }
            if (!loop.runFrame()) break;  // a termination signal
            const ui::FrameLoop::FrameTimes times = loop.lastFrameTimes();
            work.push_back(times.work);
            present.push_back(times.present);
            if (frame == 1) rssStart = residentMegabytes();
            if (frame % framesPerMinute == 0) {
                std::printf("%s %dx%d  minute %ld  RSS %.1f MB\n", screen.c_str(), w, h, frame / framesPerMinute,
                            residentMegabytes());
                std::fflush(stdout);
            }
        }
    }
    const Spread own = spreadOf(work);
    const Spread shown = spreadOf(present);
    std::printf("%-9s %dx%d  %ld frames  work median %6.2f p95 %6.2f ms  upload+present median %6.2f p95 %6.2f ms"
                "  RSS %.1f -> %.1f MB\n",
                screen.c_str(), w, h, frames, own.median, own.p95, shown.median, shown.p95, rssStart,
                residentMegabytes());
    return 0;
}
