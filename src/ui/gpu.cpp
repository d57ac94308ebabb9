#include "ui/gpu.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include <cairo.h>

namespace ui {

namespace {

struct Entry {
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0;
    std::int64_t lastUsed = 0;  // 0: not requested again since it was made
};

struct ProfEntry {
    double total = 0;
    double started = 0;
    int calls = 0;
};

constexpr std::size_t kCacheLimit = 900;

struct State {
    SDL_Renderer* ren = nullptr;
    double scale = 1.0;
    int drawCalls = 0;
    std::int64_t frame = 0;
    std::map<std::string, Entry> cache;
    SDL_BlendMode premultiplied = SDL_BLENDMODE_BLEND;
    std::map<std::string, ProfEntry> prof;
    bool profOn = std::getenv("ZELVANE_STATS") != nullptr;
};

State& st() {
    static State state;
    return state;
}

Uint8 alphaByte(double alpha) {
    if (alpha < 0) return 0;
    if (alpha > 1) return 255;
    return static_cast<Uint8>(alpha * 255 + 0.5);
}

Uint8 channel(std::uint32_t rgb, int shift, double alpha) {
    return static_cast<Uint8>(std::lround(((rgb >> shift) & 0xFF) * alpha));
}

bool straightAlpha() { return st().premultiplied == SDL_BLENDMODE_BLEND; }

int px(double v) { return static_cast<int>(std::lround(v * st().scale)); }

// Edges are rounded, not sizes, so rectangles that meet in window units also
// meet in pixels: tiled blits then show no seams or double-blended lines.
SDL_Rect pixelRect(double x, double y, double w, double h) {
    const int left = px(x);
    const int top = px(y);
    return SDL_Rect{left, top, px(x + w) - left, px(y + h) - top};
}

// Premultiplied colour fades with its opacity; straight colour keeps its own.
void fade(SDL_Texture* tex, double alpha) {
    const Uint8 a = alphaByte(alpha);
    const Uint8 c = straightAlpha() ? 255 : a;
    SDL_SetTextureAlphaMod(tex, a);
    SDL_SetTextureColorMod(tex, c, c, c);
}

std::uint32_t* pixelRow(unsigned char* data, int stride, int y) {
    return reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
}

// Fully transparent pixels of straight colour take the colour of a visible
// neighbour: smooth scaling and rotation mix them into the edge, which would
// otherwise darken towards black there. Only visible pixels are read, so the
// pass can work in place.
void bleedIntoTransparent(unsigned char* data, int w, int h, int stride) {
    constexpr int kNeighbours[8][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {1, 1}, {-1, 1}, {1, -1}};
    for (int y = 0; y < h; ++y) {
        std::uint32_t* row = pixelRow(data, stride, y);
        for (int x = 0; x < w; ++x) {
            if (row[x] >> 24) continue;
            for (const auto& d : kNeighbours) {
                const int nx = x + d[0], ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                const std::uint32_t n = pixelRow(data, stride, ny)[nx];
                if (n >> 24) {
                    row[x] = n & 0xFFFFFF;
                    break;
                }
            }
        }
    }
}

void destroyEntry(Entry& entry) {
    if (entry.tex) SDL_DestroyTexture(entry.tex);
    entry.tex = nullptr;
}

// Drops the least recently hit third once the cache has outgrown its limit.
void evictIfFull() {
    auto& cache = st().cache;
    if (cache.size() <= kCacheLimit) return;
    std::vector<std::pair<std::int64_t, std::string>> order;
    order.reserve(cache.size());
    for (const auto& [key, entry] : cache) order.emplace_back(entry.lastUsed, key);
    std::sort(order.begin(), order.end());
    const std::size_t drop = order.size() / 3;
    for (std::size_t i = 0; i < drop; ++i) {
        auto it = cache.find(order[i].second);
        destroyEntry(it->second);
        cache.erase(it);
    }
}

// Removes a cached entry of another size; true when key is cached at w x h.
bool cachedAtSize(const std::string& key, int w, int h) {
    auto& cache = st().cache;
    auto it = cache.find(key);
    if (it == cache.end()) return false;
    if (it->second.w == w && it->second.h == h) return true;
    destroyEntry(it->second);
    cache.erase(it);
    return false;
}

void paintTarget(SDL_Texture* tex, TargetPaintFn paint, void* arg) {
    SDL_Renderer* ren = st().ren;
    SDL_Texture* previous = SDL_GetRenderTarget(ren);
    SDL_SetRenderTarget(ren, tex);
    SDL_SetRenderDrawBlendMode(ren, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(ren, 0, 0, 0, 0);
    SDL_RenderClear(ren);
    if (paint) paint(arg);
    SDL_SetRenderTarget(ren, previous);
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void gpuInit(SDL_Renderer* renderer) {
    gpuShutdown();
    State& s = st();
    s.ren = renderer;
    s.premultiplied = SDL_ComposeCustomBlendMode(SDL_BLENDFACTOR_ONE, SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA,
                                                 SDL_BLENDOPERATION_ADD, SDL_BLENDFACTOR_ONE,
                                                 SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA, SDL_BLENDOPERATION_ADD);
    SDL_Texture* probe = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
    if (!probe) return;
    if (SDL_SetTextureBlendMode(probe, s.premultiplied) != 0) {
        std::fputs("[gpu] kein vormultipliziertes Mischen — nehme das normale\n", stderr);
        s.premultiplied = SDL_BLENDMODE_BLEND;
    }
    SDL_DestroyTexture(probe);
}

void gpuShutdown() {
    State& s = st();
    for (auto& [key, entry] : s.cache) destroyEntry(entry);
    s.cache.clear();
    s.ren = nullptr;
}

SDL_Renderer* gpuRenderer() { return st().ren; }

void gpuBeginFrame() {
    st().drawCalls = 0;
    ++st().frame;
}

int gpuDrawCalls() { return st().drawCalls; }

void gpuSetScale(double s) { st().scale = s > 0 ? s : 1.0; }

double gpuScale() { return st().scale; }

SDL_BlendMode gpuBlendMode() { return st().premultiplied; }

bool gpuStraightAlpha() { return straightAlpha(); }

void unpremultiplyPixels(unsigned char* data, int w, int h, int stride) {
    // Fills leave long runs of one colour: convert each run once.
    std::uint32_t lastIn = 0, lastOut = 0;
    for (int y = 0; y < h; ++y) {
        std::uint32_t* row = pixelRow(data, stride, y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            if (a == 0 || a == 255) continue;  // most pixels: nothing to do
            if (p != lastIn) {
                lastIn = p;
                lastOut = a << 24;
                for (int shift : {16, 8, 0}) {
                    const std::uint32_t c = (((p >> shift) & 0xFF) * 255 + a / 2) / a;
                    lastOut |= std::min<std::uint32_t>(c, 255) << shift;
                }
            }
            row[x] = lastOut;
        }
    }
}

int gpuCacheSize() { return static_cast<int>(st().cache.size()); }

SDL_Texture* gpuTexture(const std::string& key, int w, int h, PaintFn paint, void* arg) {
    State& s = st();
    if (!s.ren || w < 1 || h < 1) return nullptr;
    if (cachedAtSize(key, w, h)) {
        Entry& hit = s.cache[key];
        hit.lastUsed = s.frame;
        return hit.tex;
    }
    evictIfFull();

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_set_device_scale(surface, s.scale, s.scale);
    cairo_t* cr = cairo_create(surface);
    if (paint) paint(cr, arg);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    if (straightAlpha()) {
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        unpremultiplyPixels(data, w, h, stride);
        bleedIntoTransparent(data, w, h, stride);
    }

    SDL_Texture* tex = SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (!tex) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    SDL_UpdateTexture(tex, nullptr, cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface));
    SDL_SetTextureBlendMode(tex, s.premultiplied);
    cairo_surface_destroy(surface);
    s.cache[key] = Entry{tex, w, h, 0};
    return tex;
}

SDL_Texture* gpuRenderTarget(const std::string& key, int w, int h, TargetPaintFn paint, void* arg, bool redraw) {
    State& s = st();
    if (!s.ren || w < 1 || h < 1) return nullptr;
    if (cachedAtSize(key, w, h)) {
        SDL_Texture* tex = s.cache[key].tex;
        if (redraw) paintTarget(tex, paint, arg);
        return tex;
    }
    SDL_Texture* tex = SDL_CreateTexture(s.ren, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
    if (!tex) return nullptr;
    SDL_SetTextureBlendMode(tex, s.premultiplied);
    paintTarget(tex, paint, arg);
    s.cache[key] = Entry{tex, w, h, s.frame};
    return tex;
}

void gpuDrop(const std::string& key) {
    auto& cache = st().cache;
    auto it = cache.find(key);
    if (it == cache.end()) return;
    destroyEntry(it->second);
    cache.erase(it);
}

void gpuFillRect(double x, double y, double w, double h, std::uint32_t rgb, double alpha) {
    State& s = st();
    if (!s.ren || w <= 0 || h <= 0) return;
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_SetRenderDrawBlendMode(s.ren, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(s.ren, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alphaByte(alpha));
    SDL_RenderFillRect(s.ren, &r);
    ++s.drawCalls;
}

void gpuStrokeRect(double x, double y, double w, double h, std::uint32_t rgb, double alpha) {
    State& s = st();
    if (!s.ren || w <= 0 || h <= 0) return;
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_SetRenderDrawBlendMode(s.ren, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(s.ren, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alphaByte(alpha));
    SDL_RenderDrawRect(s.ren, &r);
    ++s.drawCalls;
}

void gpuBlit(SDL_Texture* tex, double x, double y, double w, double h, double alpha) {
    State& s = st();
    if (!s.ren || !tex) return;
    fade(tex, alpha);
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_RenderCopy(s.ren, tex, nullptr, &r);
    ++s.drawCalls;
}

void gpuBlitTinted(SDL_Texture* tex, double x, double y, double w, double h, std::uint32_t rgb, double alpha) {
    State& s = st();
    if (!s.ren || !tex) return;
    alpha = std::clamp(alpha, 0.0, 1.0);
    const double tint = straightAlpha() ? 1.0 : alpha;
    SDL_SetTextureAlphaMod(tex, alphaByte(alpha));
    SDL_SetTextureColorMod(tex, channel(rgb, 16, tint), channel(rgb, 8, tint), channel(rgb, 0, tint));
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_RenderCopy(s.ren, tex, nullptr, &r);
    ++s.drawCalls;
}

void gpuBlitAdditive(SDL_Texture* tex, double x, double y, double w, double h, std::uint32_t rgb, double alpha) {
    State& s = st();
    if (!s.ren || !tex) return;
    alpha = std::clamp(alpha, 0.0, 1.0);
    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_ADD);
    SDL_SetTextureAlphaMod(tex, 255);
    SDL_SetTextureColorMod(tex, channel(rgb, 16, alpha), channel(rgb, 8, alpha), channel(rgb, 0, alpha));
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_RenderCopy(s.ren, tex, nullptr, &r);
    SDL_SetTextureBlendMode(tex, s.premultiplied);
    ++s.drawCalls;
}

void gpuBlitRotated(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg, double alpha) {
    gpuBlitMirrored(tex, cx, cy, w, h, angleDeg, false, alpha);
}

void gpuBlitMirrored(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg, bool flip,
                     double alpha) {
    State& s = st();
    if (!s.ren || !tex) return;
    fade(tex, alpha);
    const SDL_Rect r = pixelRect(cx - w * 0.5, cy - h * 0.5, w, h);
    SDL_RenderCopyEx(s.ren, tex, nullptr, &r, angleDeg, nullptr, flip ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
    ++s.drawCalls;
}

void gpuBlitPivot(SDL_Texture* tex, double x, double y, double w, double h, double pivotX, double pivotY,
                  double angleDeg, bool flip, double alpha) {
    State& s = st();
    if (!s.ren || !tex) return;
    fade(tex, alpha);
    const SDL_Rect r = pixelRect(x, y, w, h);
    const SDL_Point pivot{px(pivotX), px(pivotY)};
    SDL_RenderCopyEx(s.ren, tex, nullptr, &r, angleDeg, &pivot, flip ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
    ++s.drawCalls;
}

void gpuSetClip(double x, double y, double w, double h) {
    if (!st().ren) return;
    const SDL_Rect r = pixelRect(x, y, w, h);
    SDL_RenderSetClipRect(st().ren, &r);
}

void gpuClearClip() {
    if (st().ren) SDL_RenderSetClipRect(st().ren, nullptr);
}

void profBegin(const char* name) {
    if (!st().profOn) return;
    st().prof[name].started = steadySeconds();
}

void profEnd(const char* name) {
    if (!st().profOn) return;
    ProfEntry& entry = st().prof[name];
    entry.calls += 1;
    entry.total += steadySeconds() - entry.started;
}

std::string profReport() {
    std::string report;
    for (auto& [name, entry] : st().prof) {
        if (entry.calls == 0) continue;
        char part[128];
        std::snprintf(part, sizeof part, " %s %.1f", name.c_str(), entry.total * 1000 / entry.calls);
        report += part;
        entry.total = 0;
        entry.calls = 0;
    }
    return report;
}

}  // namespace ui
