// Renders one screen off-screen and writes the composed frame as a PNG:
//   shoot SCREEN WxH OUT.png [SECONDS [ACTION...]]
// SCREEN is a start-screen name (menu, levels, playing:N, solved:N, replay:N, gallery,
// settings, about, licenses) or splash. Frame time advances in fixed steps up
// to SECONDS (default 1.0). Unless XDG_DATA_HOME is set, settings and progress
// live in a temporary directory that is removed afterwards. Each ACTION runs
// on one frame from the second on: "X,Y" clicks there, "X,Y,N" turns the wheel
// N notches there (negative: towards the end). The smallest text size of the
// last frame and the texts that did not fit are reported on standard error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <SDL.h>
#include <cairo.h>

#include "headless/headless.h"
#include "core/storage.h"
#include "i18n.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/startup.h"

namespace {

constexpr double kFrameStep = 1.0 / 60.0;

int usage() {
    std::fputs("usage: shoot SCREEN WxH OUT.png [SECONDS [X,Y[,WHEEL]...]]\n"
               "  SCREEN: splash menu levels playing[:N] solved[:N] replay[:N] gallery settings about licenses\n",
               stderr);
    return 2;
}

bool writePng(SDL_Renderer* renderer, const std::string& out) {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer, &w, &h);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(image);
    const bool read = SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                           cairo_image_surface_get_data(image),
                                           cairo_image_surface_get_stride(image)) == 0;
    cairo_surface_mark_dirty(image);
    const bool written = read && cairo_surface_write_to_png(image, out.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    return written;
}

struct Action {
    double x = 0, y = 0;
    int wheel = 0;  // 0: a click
};

void queueAction(const Action& a) {
    SDL_Event e{};
    if (a.wheel != 0) {
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = a.wheel;
        SDL_PushEvent(&e);
        return;
    }
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        SDL_PushEvent(&e);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return usage();
    const std::string screen = argv[1];
    int w = 0, h = 0;
    if (std::sscanf(argv[2], "%dx%d", &w, &h) != 2 || w < 1 || h < 1) return usage();
    const std::string out = argv[3];
    const double seconds = argc >= 5 ? std::atof(argv[4]) : 1.0;
    std::vector<Action> actions;
    for (int i = 5; i < argc; ++i) {
        Action a;
        if (std::sscanf(argv[i], "%lf,%lf,%d", &a.x, &a.y, &a.wheel) < 2) return usage();
        actions.push_back(a);
    }

    ui::GameState state;
    if (screen != "splash" && !ui::stateForScreenName(screen, state)) return usage();

    headless::TempDataHome dataHome("shoot", true);
    store::init();
    i18n::setLanguage(store::settings().language);
    ui::Game::instance().resetTo(state);
    const headless::Window view("shoot", w, h);
    if (!view.renderer) return 1;

    const int frames = std::max(1, static_cast<int>(std::lround(seconds / kFrameStep)));
    double clock = 0;
    int frame = 0;
    bool written = false;
    ui::FrameHooks hooks;
    hooks.now = [&clock] { return clock; };
    // No hover anywhere, except where this frame's action happens.
    hooks.samplePointer = [&] {
        const std::size_t a = static_cast<std::size_t>(frame - 2);
        if (frame >= 2 && a < actions.size()) return ui::PointerSample{actions[a].x, actions[a].y};
        return ui::PointerSample{-1, -1};
    };
    hooks.beforePresent = [&](SDL_Renderer* r) {
        if (frame != frames) return;
        written = writePng(r, out);
        const ui::TextFrameStats& text = ui::textFrameStats();
        std::fprintf(stderr, "[text] kleinste Schrift %.2f px, %d Texte passen nicht%s%s\n", text.smallestSize,
                     text.overflowing, text.overflowing ? ", zuerst: " : "", text.firstOverflow.c_str());
    };
    {
        ui::FrameLoop loop(view.window, view.renderer, store::settings(), ui::WindowStart{}, std::move(hooks));
        for (frame = 1; frame <= frames; ++frame) {
            clock = frame * kFrameStep;
            if (frame >= 2 && static_cast<std::size_t>(frame - 2) < actions.size()) queueAction(actions[frame - 2]);
            if (!loop.runFrame() && frame < frames) break;
        }
    }
    if (!written) {
        std::fprintf(stderr, "shoot: could not write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
