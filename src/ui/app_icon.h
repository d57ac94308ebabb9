// The game's icon: the white king on a framed board tile in the colours of
// the first board look. Drawn with cairo, so the same picture feeds the icon
// files of the desktop and the window icon.
#pragma once

#include <cstdint>
#include <vector>

#include <cairo.h>

namespace icon {

// Paints the icon into the square (0, 0)-(size, size) of the context.
void paint(cairo_t* cr, double size);

// The icon as px * px pixels, 0xAARRGGBB with straight (not premultiplied)
// alpha, row by row: what SDL's ARGB8888 surfaces take. Empty when px < 1.
std::vector<std::uint32_t> straightArgb(int px);

}  // namespace icon
