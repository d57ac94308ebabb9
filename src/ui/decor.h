// Decoration shared by the screens: the drifting backdrop, the animated and
// the plain title, and a die face. Everything is driven by the frame time.
#pragma once

#include <cstdint>
#include <string>

#include "ui/app.h"

namespace ui {

// The whole window background of the frame: a slowly scrolling checker with
// chess pieces drifting across it, muted by a cream veil. Screens call it first.
void drawBackdrop(Ctx& ctx);

// The game's name, assembled letter by letter by chess pieces flying in.
// Cells start at y = top; pieces enter from the right edge of the area of the
// given width centred on cx. stagger is the delay between letters (0.6 s when <= 0).
void drawAnimatedTitle(Ctx& ctx, double cx, double top, double width, double size, double stagger);

// A static title centred on cx, its box starting near y.
void drawPlainTitle(Ctx& ctx, double cx, double y, const std::string& text, double size);

// One die face showing value (clamped to 1..6), rotated by angle radians about r's centre.
void drawDie(cairo_t* cr, const Rect& r, int value, double angle, std::uint32_t bodyRgb, std::uint32_t pipRgb);

// Length in seconds of one cycle of the animated title for a given stagger.
double animatedTitleCycle(double stagger);

}  // namespace ui
