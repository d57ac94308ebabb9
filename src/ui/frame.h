// The frame loop: one input record per frame from SDL's events, the screen
// update, the cairo overlay composited over the renderer's output, the window
// geometry kept in the settings, and the optional statistics line.
#pragma once

#include <csignal>
#include <functional>

#include <SDL.h>

#include "core/storage.h"
#include "ui/app.h"

typedef struct _cairo_surface cairo_surface_t;

namespace ui {

// Mouse buttons and modifiers as sampled once per frame.
struct PointerSample {
    double x = 0, y = 0;
    bool left = false, middle = false;
    bool ctrl = false, shift = false;
};

// Where the window stands after start-up.
struct WindowStart {
    bool placePending = false;           // position the window after the first frame
    bool hasPos = false;                 // the remembered position is usable
    double ignoreWindowEventsUntil = 0;  // clock time
    int rememberedX = -1, rememberedY = -1;
};

// What the loop takes from its surroundings; tests script all of it.
struct FrameHooks {
    std::function<double()> now;                  // seconds, monotonic; required
    std::function<double()> stopwatch;            // times the frame's parts; default: now
    std::function<PointerSample()> samplePointer; // default: SDL's mouse and key state
    std::function<void()> saveSettings;           // default: store::saveSettings
    std::function<void()> afterUpdate;            // runs right after the screens (sound)
    std::function<void(SDL_Renderer*)> beforePresent;  // sees the composed frame
    const volatile std::sig_atomic_t* terminate = nullptr;  // set by a signal: stop
    bool statsOn = false;
};

class FrameLoop {
public:
    FrameLoop(SDL_Window* window, SDL_Renderer* renderer, store::Settings& settings, const WindowStart& start,
              FrameHooks hooks);
    ~FrameLoop();
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;

    // Runs one frame; false once the loop is to end.
    bool runFrame();
    // Stores the plain windowed size and position in the settings.
    void rememberGeometry();
    void destroyOverlay();

    Ctx& ctx() { return ctx_; }
    bool geometryDirty() const { return geometryDirty_; }
    double ignoreWindowEventsUntil() const { return ignoreWindowEventsUntil_; }
    // How often the overlay was (re)allocated; it should follow size changes only.
    int overlayAllocations() const { return overlayAllocations_; }
    bool overlayPremultiplied() const { return overlayPremultiplied_; }

    // Stopwatch seconds of the last drawn frame: the frame's own work up to the
    // end of the screen's update, and the overlay upload with the present.
    struct FrameTimes {
        double work = 0, present = 0;
    };
    FrameTimes lastFrameTimes() const { return lastTimes_; }

private:
    void resetInput();
    void handleEvent(const SDL_Event& event, bool& running);
    void handleWindowEvent(const SDL_WindowEvent& event);
    bool plainWindowed() const;
    void applyFullscreen();
    void samplePointer();
    void ensureOverlay(int pw, int ph);
    void drawFrame(int pw, int ph, double scale);
    void placeWindow();
    void reportStats(int pw, int ph);

    SDL_Window* window_;
    SDL_Renderer* renderer_;
    store::Settings& settings_;
    FrameHooks hooks_;

    Ctx ctx_;
    double lastFrame_;
    double lastRelease_ = -10.0;
    double prevMouseX_ = 0, prevMouseY_ = 0;
    bool lastFullscreen_;
    bool geometryDirty_ = false;
    double lastGeometrySave_ = 0;
    bool placePending_;
    bool hasPos_;
    double ignoreWindowEventsUntil_;
    int rememberedX_, rememberedY_;

    cairo_surface_t* overlay_ = nullptr;
    SDL_Texture* overlayTex_ = nullptr;
    int overlayW_ = 0, overlayH_ = 0;
    int overlayAllocations_ = 0;
    bool overlayPremultiplied_ = false;

    FrameTimes lastTimes_;
    int statFrames_ = 0;
    double statCpu_ = 0, statGpu_ = 0;
    double statLongest_ = 0;  // the slowest update of the current second
    double statStart_;
};

}  // namespace ui
