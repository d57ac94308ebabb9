// What the tools that drive the game's frames without a display share: a
// throw-away data home and a hidden window drawn by the software renderer.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "ui/draw.h"
#include "ui/gpu.h"

namespace headless {

// Settings and progress in a temporary directory, removed afterwards, so that
// a tool never touches real progress. With keepGiven, an XDG_DATA_HOME that is
// already set is used as it is.
struct TempDataHome {
    std::string path;
    TempDataHome(const std::string& tool, bool keepGiven) {
        if (keepGiven && std::getenv("XDG_DATA_HOME")) return;
        std::string pattern = (std::filesystem::temp_directory_path() / ("zelvane-" + tool + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) return;
        path = pattern;
        ::setenv("XDG_DATA_HOME", path.c_str(), 1);
    }
    ~TempDataHome() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    TempDataHome(const TempDataHome&) = delete;
    TempDataHome& operator=(const TempDataHome&) = delete;
};

// SDL's dummy drivers and a hidden window with the software renderer, scaled
// blits smoothed as in the game, the texture layer and the game's fonts.
// `renderer` stays null when SDL fails; the reason goes to standard error.
struct Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;

    Window(const char* tool, int w, int h) {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "%s: SDL_Init: %s\n", tool, SDL_GetError());
            return;
        }
        window = SDL_CreateWindow(tool, 0, 0, w, h, SDL_WINDOW_HIDDEN);
        renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
        if (!renderer) {
            std::fprintf(stderr, "%s: %s\n", tool, SDL_GetError());
            return;
        }
        ui::gpuInit(renderer);
        ui::registerBundledFonts();
    }
    ~Window() {
        if (renderer) {
            ui::gpuShutdown();
            SDL_DestroyRenderer(renderer);
        }
        if (window) SDL_DestroyWindow(window);
        SDL_Quit();
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
};

}  // namespace headless
