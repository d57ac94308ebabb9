// Pixel helpers for the drawing tests: a cairo image, a software renderer with
// the texture layer on it, the two together as a frame, and colour probes.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/app.h"
#include "ui/gpu.h"

namespace drawtest {

inline int channelOf(std::uint32_t c, int shift) { return static_cast<int>(c >> shift & 0xFF); }

// Largest difference of the red, green and blue channels.
inline int channelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(channelOf(a, shift) - channelOf(b, shift)));
    return worst;
}
inline bool near(std::uint32_t a, std::uint32_t b, int tolerance = 3) { return channelDistance(a, b) <= tolerance; }

// Whether key is in the texture cache: a miss would call the painter.
inline bool isCached(const std::string& key, int w, int h) {
    bool painted = false;
    ui::gpuTexture(
        key, w, h, [](cairo_t*, void* arg) { *static_cast<bool*>(arg) = true; }, &painted);
    if (painted) ui::gpuDrop(key);
    return !painted;
}

// A cairo ARGB32 image surface (premultiplied) with pixel access.
class Image {
public:
    Image(int w, int h)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr_(cairo_create(surface_)) {}
    ~Image() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    cairo_t* cr() { return cr_; }
    int w() const { return cairo_image_surface_get_width(surface_); }
    int h() const { return cairo_image_surface_get_height(surface_); }

    void fill(std::uint32_t rgb) {
        cairo_set_source_rgb(cr_, channelOf(rgb, 16) / 255.0, channelOf(rgb, 8) / 255.0, channelOf(rgb, 0) / 255.0);
        cairo_paint(cr_);
    }
    void clear() {
        cairo_save(cr_);
        cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr_);
        cairo_restore(cr_);
    }
    std::uint32_t argb(double x, double y) {
        cairo_surface_flush(surface_);
        const int stride = cairo_image_surface_get_stride(surface_);
        const auto* row = cairo_image_surface_get_data(surface_) + static_cast<int>(y) * stride;
        return reinterpret_cast<const std::uint32_t*>(row)[static_cast<int>(x)];
    }
    std::uint32_t rgb(double x, double y) { return argb(x, y) & 0xFFFFFF; }
    int alpha(double x, double y) { return static_cast<int>(argb(x, y) >> 24); }
    // No pixel has any coverage.
    bool blank() {
        for (int y = 0; y < h(); ++y)
            for (int x = 0; x < w(); ++x)
                if (alpha(x, y) > 0) return false;
        return true;
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// A software renderer drawing into memory, with the texture layer on it at scale 1.
class Canvas {
public:
    explicit Canvas(int w, int h, std::uint32_t ground = 0x000000) {
        surface_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        renderer_ = SDL_CreateSoftwareRenderer(surface_);
        ui::gpuInit(renderer_);
        ui::gpuSetScale(1.0);
        ui::gpuBeginFrame();
        clear(ground);
    }
    ~Canvas() {
        ui::gpuShutdown();
        SDL_DestroyRenderer(renderer_);
        SDL_FreeSurface(surface_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void clear(std::uint32_t rgb) {
        SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer_, channelOf(rgb, 16), channelOf(rgb, 8), channelOf(rgb, 0), 255);
        SDL_RenderClear(renderer_);
    }
    std::uint32_t rgb(double x, double y) const {
        SDL_RenderFlush(renderer_);
        return raw(static_cast<int>(x), static_cast<int>(y));
    }
    // True when every pixel of the region matches the other canvas shifted by (dx, dy).
    bool sameRegion(const Canvas& other, int x, int y, int w, int h, int dx = 0, int dy = 0) const {
        SDL_RenderFlush(renderer_);
        SDL_RenderFlush(other.renderer_);
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (raw(i, j) != other.raw(i + dx, j + dy)) return false;
        return true;
    }
    bool sameAs(const Canvas& other) const { return sameRegion(other, 0, 0, surface_->w, surface_->h); }

private:
    std::uint32_t raw(int x, int y) const {
        const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + y * surface_->pitch;
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    }

    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
};

// The two halves of a frame: textures on the renderer, vector drawing on the
// cairo overlay that ctx points at.
class Frame {
public:
    Frame(int w, int h) : canvas(w, h), overlay(w, h) {
        ctx.cr = overlay.cr();
        ctx.w = w;
        ctx.h = h;
        ctx.dt = 1.0 / 60;
    }
    // Starts a new frame the way the frame loop does: fresh input, no click taken.
    void frame(const ui::Input& in) {
        ctx.in = in;
        ctx.clickUsed = false;
        ctx.t += ctx.dt;
    }
    void clear() {
        canvas.clear(0x000000);
        overlay.clear();
    }

    Canvas canvas;
    Image overlay;
    ui::Ctx ctx;
};

// The pointer at (x, y) in one frame; the button held, just pressed or just released (a click).
inline ui::Input pointer(double x, double y, bool down, bool pressed, bool released, double dragDy = 0) {
    ui::Input in;
    in.mouseX = x;
    in.mouseY = y;
    in.mouseDown = down;
    in.pressed = pressed;
    in.released = released;
    in.dragDy = dragDy;
    return in;
}
inline ui::Input pointerAt(double x, double y) { return pointer(x, y, false, false, false); }
inline ui::Input releaseAt(double x, double y) { return pointer(x, y, false, false, true); }
inline ui::Input heldAt(double x, double y, double dragDy = 0) { return pointer(x, y, true, false, false, dragDy); }
inline ui::Input pressAt(double x, double y) { return pointer(x, y, true, true, false); }

}  // namespace drawtest
