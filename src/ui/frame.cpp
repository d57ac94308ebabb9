#include "ui/frame.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include <cairo.h>

#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/startup.h"

namespace ui {

namespace {

constexpr double kDoubleClickSeconds = 0.3;
constexpr double kMaxFrameStep = 0.1;
constexpr double kGeometrySaveInterval = 2.0;
constexpr double kPlacementSettle = 0.4;
constexpr Uint32 kNotPlainWindowed =
    SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED;

PointerSample sdlPointer() {
    int x = 0, y = 0;
    const Uint32 buttons = SDL_GetMouseState(&x, &y);
    const SDL_Keymod mod = SDL_GetModState();
    PointerSample p;
    p.x = x;
    p.y = y;
    p.left = (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
    p.middle = (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) != 0;
    p.ctrl = (mod & KMOD_CTRL) != 0;
    p.shift = (mod & KMOD_SHIFT) != 0;
    return p;
}

// The usable area of the window's display, or its full area if that is unknown.
SDL_Rect usableBounds(int display) {
    SDL_Rect r{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(display, &r) != 0 || r.w < 1) {
        r = SDL_Rect{0, 0, 0, 0};
        SDL_GetDisplayBounds(display, &r);
    }
    return r;
}

}  // namespace

FrameLoop::FrameLoop(SDL_Window* window, SDL_Renderer* renderer, store::Settings& settings, const WindowStart& start,
                     FrameHooks hooks)
    : window_(window),
      renderer_(renderer),
      settings_(settings),
      hooks_(std::move(hooks)),
      lastFullscreen_(settings.fullscreen),
      placePending_(start.placePending),
      hasPos_(start.hasPos),
      ignoreWindowEventsUntil_(start.ignoreWindowEventsUntil),
      rememberedX_(start.rememberedX),
      rememberedY_(start.rememberedY) {
    if (!hooks_.samplePointer) hooks_.samplePointer = sdlPointer;
    if (!hooks_.saveSettings) hooks_.saveSettings = store::saveSettings;
    if (!hooks_.stopwatch) hooks_.stopwatch = hooks_.now;
    ctx_.ui = 1.0;
    lastFrame_ = hooks_.now();
    statStart_ = lastFrame_;
}

FrameLoop::~FrameLoop() { destroyOverlay(); }

void FrameLoop::destroyOverlay() {
    if (overlayTex_) SDL_DestroyTexture(overlayTex_);
    if (overlay_) cairo_surface_destroy(overlay_);
    overlayTex_ = nullptr;
    overlay_ = nullptr;
    overlayW_ = overlayH_ = 0;
}

void FrameLoop::resetInput() {
    ctx_.in = Input{};
    ctx_.clickUsed = false;
}

bool FrameLoop::plainWindowed() const {
    return !settings_.fullscreen && (SDL_GetWindowFlags(window_) & kNotPlainWindowed) == 0;
}

void FrameLoop::handleWindowEvent(const SDL_WindowEvent& event) {
    // The window manager's answer to our own placement is not the player's doing.
    if (hooks_.now() < ignoreWindowEventsUntil_) return;
    const bool plain = plainWindowed();
    switch (event.event) {
        case SDL_WINDOWEVENT_RESIZED:
            if (!plain) break;
            settings_.windowW = event.data1;
            settings_.windowH = event.data2;
            geometryDirty_ = true;
            break;
        case SDL_WINDOWEVENT_MOVED:
            if (!plain) break;
            settings_.windowX = event.data1;
            settings_.windowY = event.data2;
            geometryDirty_ = true;
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            settings_.maximized = true;
            geometryDirty_ = true;
            break;
        case SDL_WINDOWEVENT_RESTORED:
            settings_.maximized = false;
            geometryDirty_ = true;
            break;
        default: break;
    }
}

void FrameLoop::handleEvent(const SDL_Event& event, bool& running) {
    Input& in = ctx_.in;
    switch (event.type) {
        case SDL_QUIT: running = false; break;
        case SDL_KEYDOWN: {
            const SDL_Keycode key = event.key.keysym.sym;
            if (key == SDLK_F11) {
                settings_.fullscreen = !settings_.fullscreen;
                hooks_.saveSettings();
            } else if (key == SDLK_q && (event.key.keysym.mod & KMOD_CTRL)) {
                running = false;
            } else {
                // A quick tap may let go of Ctrl before the frame samples it:
                // each key keeps the modifiers of its own event.
                const Uint16 mod = event.key.keysym.mod;
                in.keys.push_back(static_cast<int>(key));
                in.keyMods.push_back(mod);
                if (mod & KMOD_CTRL) in.ctrl = true;
                if (mod & KMOD_SHIFT) in.shift = true;
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT) in.pressed = true;
            if (event.button.button == SDL_BUTTON_RIGHT) in.rightPressed = true;
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                const double now = hooks_.now();
                in.released = true;
                if (now - lastRelease_ < kDoubleClickSeconds) in.doubleClick = true;
                lastRelease_ = now;
            }
            break;
        case SDL_MOUSEWHEEL: in.wheel += event.wheel.y; break;
        case SDL_WINDOWEVENT: handleWindowEvent(event.window); break;
        default: break;
    }
}

void FrameLoop::applyFullscreen() {
    if (settings_.fullscreen == lastFullscreen_) return;
    SDL_SetWindowFullscreen(window_, settings_.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    lastFullscreen_ = settings_.fullscreen;
}

void FrameLoop::samplePointer() {
    const PointerSample p = hooks_.samplePointer();
    Input& in = ctx_.in;
    in.mouseX = p.x;
    in.mouseY = p.y;
    in.mouseDown = p.left;
    in.middleDown = p.middle;
    in.dragDx = p.x - prevMouseX_;
    in.dragDy = p.y - prevMouseY_;
    in.ctrl = in.ctrl || p.ctrl;
    in.shift = in.shift || p.shift;
}

void FrameLoop::ensureOverlay(int pw, int ph) {
    if (overlay_ && overlayW_ == pw && overlayH_ == ph) return;
    destroyOverlay();
    overlay_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph);
    overlayTex_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, pw, ph);
    overlayW_ = pw;
    overlayH_ = ph;
    ++overlayAllocations_;
    if (!overlayTex_) return;
    // Cairo's pixels are premultiplied: blend them as such where the renderer can.
    const SDL_BlendMode premultiplied = SDL_ComposeCustomBlendMode(
        SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
        SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
    overlayPremultiplied_ = SDL_SetTextureBlendMode(overlayTex_, premultiplied) == 0;
    if (!overlayPremultiplied_) SDL_SetTextureBlendMode(overlayTex_, SDL_BLENDMODE_BLEND);
}

void FrameLoop::drawFrame(int pw, int ph, double scale) {
    ensureOverlay(pw, ph);
    cairo_t* cr = cairo_create(overlay_);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_scale(cr, scale, scale);

    ctx_.w = pw / scale;
    ctx_.h = ph / scale;
    ctx_.ui = layoutScale(ctx_.w, ctx_.h);
    ctx_.cr = cr;
    const double now = hooks_.now();
    ctx_.dt = std::min(now - lastFrame_, kMaxFrameStep);
    ctx_.t = now;

    const double t0 = hooks_.stopwatch();
    gpuSetScale(scale);
    gpuBeginFrame();
    beginTextFrame();
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer_, 243, 235, 221, 255);
    SDL_RenderClear(renderer_);
    Game::instance().update(ctx_);
    if (hooks_.afterUpdate) hooks_.afterUpdate();
    cairo_destroy(cr);
    ctx_.cr = nullptr;
    cairo_surface_flush(overlay_);
    const double t1 = hooks_.stopwatch();
    if (overlayTex_) {
        unsigned char* pixels = cairo_image_surface_get_data(overlay_);
        const int stride = cairo_image_surface_get_stride(overlay_);
        if (!overlayPremultiplied_) {
            // Plain blending would apply the opacity a second time.
            unpremultiplyPixels(pixels, pw, ph, stride);
            cairo_surface_mark_dirty(overlay_);
        }
        SDL_UpdateTexture(overlayTex_, nullptr, pixels, stride);
        SDL_RenderCopy(renderer_, overlayTex_, nullptr, nullptr);
    }
    if (hooks_.beforePresent) hooks_.beforePresent(renderer_);
    SDL_RenderPresent(renderer_);
    const double t2 = hooks_.stopwatch();
    lastTimes_ = FrameTimes{t1 - t0, t2 - t1};

    if (placePending_) placeWindow();
    if (hooks_.statsOn) reportStats(pw, ph);
    if (geometryDirty_ && ctx_.t - lastGeometrySave_ > kGeometrySaveInterval) {
        hooks_.saveSettings();
        lastGeometrySave_ = ctx_.t;
        geometryDirty_ = false;
    }
    placePending_ = false;
    lastFrame_ = now;
}

void FrameLoop::placeWindow() {
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
    const SDL_Rect usable = usableBounds(display);
    int ww = 0, wh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    if (hasPos_) {
        const Point p = placeOnDisplay(rememberedX_, rememberedY_, usable.x, usable.y, usable.w, usable.h, ww, wh);
        SDL_SetWindowPosition(window_, p.x, p.y);
    } else {
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    ignoreWindowEventsUntil_ = hooks_.now() + kPlacementSettle;

    SDL_Rect full{0, 0, 0, 0};
    SDL_GetDisplayBounds(display, &full);
    int wx = 0, wy = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(window_, &wx, &wy);
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right);
    char remembered[48] = "nichts (mittig)";
    if (hasPos_) std::snprintf(remembered, sizeof remembered, "%d,%d", rememberedX_, rememberedY_);
    std::printf("[fenster] Schirm %dx%d, nutzbar %dx%d ab %d,%d · Fenster %dx%d bei %d,%d · Rahmen o%d l%d u%d r%d · "
                "gemerkt %s\n",
                full.w, full.h, usable.w, usable.h, usable.x, usable.y, ww, wh, wx, wy, top, left, bottom, right,
                remembered);
    std::fflush(stdout);
}

void FrameLoop::reportStats(int pw, int ph) {
    statFrames_ += 1;
    statCpu_ += lastTimes_.work;
    statGpu_ += lastTimes_.present;
    statLongest_ = std::max(statLongest_, lastTimes_.work);
    const double end = hooks_.now();
    if (end - statStart_ < 1.0) return;
    std::fprintf(stderr, "[stats] %3d fps   CPU %5.1f ms (max %5.1f)   GPU %5.1f ms   %d Kopien  %dx%d %s\n",
                 statFrames_, statCpu_ * 1000 / statFrames_, statLongest_ * 1000, statGpu_ * 1000 / statFrames_,
                 gpuDrawCalls(), pw, ph, profReport().c_str());
    statFrames_ = 0;
    statCpu_ = statGpu_ = statLongest_ = 0;
    statStart_ = end;
}

bool FrameLoop::runFrame() {
    resetInput();
    bool running = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(event, running);
    applyFullscreen();
    samplePointer();

    int pw = 0, ph = 0;
    SDL_GetRendererOutputSize(renderer_, &pw, &ph);
    if (pw > 0 && ph > 0) {
        int ww = 0, wh = 0;
        SDL_GetWindowSize(window_, &ww, &wh);
        const double scale = (ww >= 1 && pw >= 1) ? static_cast<double>(pw) / ww : 1.0;
        drawFrame(pw, ph, scale);
        if (ctx_.quitRequested) running = false;
        if (hooks_.terminate && *hooks_.terminate) running = false;
    }
    prevMouseX_ = ctx_.in.mouseX;
    prevMouseY_ = ctx_.in.mouseY;
    return running;
}

void FrameLoop::rememberGeometry() {
    if (!plainWindowed()) return;
    int w = 0, h = 0, x = 0, y = 0;
    SDL_GetWindowSize(window_, &w, &h);
    SDL_GetWindowPosition(window_, &x, &y);
    if (w <= 0 || h <= 0) return;
    settings_.windowW = w;
    settings_.windowH = h;
    settings_.windowX = x;
    settings_.windowY = y;
}

}  // namespace ui
