// Shapes and single-style text on a cairo context, and the game's own fonts.
#pragma once

#include <cstdint>
#include <string>

#include "ui/app.h"

namespace ui {

enum class Align : std::int32_t { Left = 0, Center = 1, Right = 2 };

struct TextStyle {
    const char* family = "DejaVu Sans, Orlavan Chess CJK";  // a pango family list
    double size = 16;                                       // pixels of the context
    bool bold = false;
    bool italic = false;
    std::uint32_t color = 0x000000;
    double alpha = 1.0;
    Align align = Align::Left;
    double maxWidth = 0;   // > 0: shrink to fit this width ...
    double minScale = 0;   // ... but not below this scale
    double wrapWidth = 0;  // > 0: wrap into lines of at most this width ...
    double maxHeight = 0;  // ... and shrink the block to fit this height when > 0
};

// No text is drawn smaller than this, in pixels at density 1: shrinking to fit
// stops here, and smaller sizes asked for are raised to it.
inline constexpr double kMinTextSize = 11.0;

// What the texts of one frame came to: the smallest size drawn, and the texts
// that did not fit their box even at their smallest size.
struct TextFrameStats {
    double smallestSize = 0;  // 0 while no text was drawn
    int overflowing = 0;
    std::string firstOverflow;  // the first of them, for diagnostics
};
// Called by the frame loop before the screens draw.
void beginTextFrame();
const TextFrameStats& textFrameStats();

// The style the screens use for their own texts: pango's "sans", shrinking to
// at most 60 % when a maxWidth is set.
TextStyle sansText(double size, std::uint32_t color, bool bold = false, Align align = Align::Left);

void setColor(cairo_t* cr, std::uint32_t rgb, double alpha);
void fillRect(cairo_t* cr, const Rect& r, std::uint32_t rgb, double alpha);
void roundedRectPath(cairo_t* cr, const Rect& r, double radius);
void fillRoundedRect(cairo_t* cr, const Rect& r, double radius, std::uint32_t rgb, double alpha);
void strokeRoundedRect(cairo_t* cr, const Rect& r, double radius, double lineWidth, std::uint32_t rgb, double alpha);
void fillCircle(cairo_t* cr, double cx, double cy, double r, std::uint32_t rgb, double alpha);
void strokeCircle(cairo_t* cr, double cx, double cy, double r, double lineWidth, std::uint32_t rgb, double alpha);
void drawLine(cairo_t* cr, double x1, double y1, double x2, double y2, double width, std::uint32_t rgb,
              double alpha);
// A soft shadow of the current path, offset by (dx, dy); the path stays.
void softShadowFromPath(cairo_t* cr, double dx, double dy, double blur, std::uint32_t rgb, double alpha);

void measureText(cairo_t* cr, const std::string& text, const TextStyle& style, double* w, double* h);
// Top of the text at y; x is its left edge, centre or right edge after style.align.
void drawText(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& style);
void drawTextCentered(cairo_t* cr, double cx, double cy, const std::string& text, const TextStyle& style);

// Registers the shipped font files with fontconfig; true when all of them were.
bool registerBundledFonts();

}  // namespace ui
