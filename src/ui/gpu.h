// Cairo drawings cached as premultiplied textures, and immediate drawing
// straight into the current frame. Coordinates are window coordinates; the
// high-density scale is applied here.
#pragma once

#include <cstdint>
#include <string>

#include <SDL.h>

typedef struct _cairo cairo_t;

namespace ui {

using PaintFn = void (*)(cairo_t* cr, void* arg);
using TargetPaintFn = void (*)(void* arg);

void gpuInit(SDL_Renderer* renderer);
void gpuShutdown();
SDL_Renderer* gpuRenderer();
void gpuBeginFrame();
int gpuDrawCalls();
void gpuSetScale(double s);
double gpuScale();
// The blend mode given to cached textures (premultiplied, or plain blending
// where the renderer refuses the custom mode).
SDL_BlendMode gpuBlendMode();
// True where the renderer refused premultiplied blending: cached textures then
// hold straight colour, so that plain blending applies their opacity once.
bool gpuStraightAlpha();
// Turns cairo's premultiplied ARGB32 pixels into straight colour, in place.
void unpremultiplyPixels(unsigned char* data, int w, int h, int stride);
int gpuCacheSize();

// The texture for key, painted by paint(cr, arg) at w x h pixels on a miss.
SDL_Texture* gpuTexture(const std::string& key, int w, int h, PaintFn paint, void* arg);
// A cached render target painted with the renderer itself; redraw repaints a hit.
SDL_Texture* gpuRenderTarget(const std::string& key, int w, int h, TargetPaintFn paint, void* arg, bool redraw);
void gpuDrop(const std::string& key);

void gpuFillRect(double x, double y, double w, double h, std::uint32_t rgb, double alpha);
void gpuStrokeRect(double x, double y, double w, double h, std::uint32_t rgb, double alpha);
void gpuBlit(SDL_Texture* tex, double x, double y, double w, double h, double alpha);
void gpuBlitTinted(SDL_Texture* tex, double x, double y, double w, double h, std::uint32_t rgb, double alpha);
void gpuBlitAdditive(SDL_Texture* tex, double x, double y, double w, double h, std::uint32_t rgb, double alpha);
void gpuBlitRotated(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg, double alpha);
void gpuBlitMirrored(SDL_Texture* tex, double cx, double cy, double w, double h, double angleDeg, bool flip,
                     double alpha);
void gpuBlitPivot(SDL_Texture* tex, double x, double y, double w, double h, double px, double py, double angleDeg,
                  bool flip, double alpha);
void gpuSetClip(double x, double y, double w, double h);
void gpuClearClip();

// Named timing sections for the statistics line; inert without "ZELVANE_STATS".
void profBegin(const char* name);
void profEnd(const char* name);
std::string profReport();

}  // namespace ui
