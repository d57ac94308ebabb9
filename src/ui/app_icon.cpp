#include "ui/app_icon.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "theme.h"
#include "ui/pieces.h"

namespace icon {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kSmallKingColor = 0x1c1a18;
// Height of the middle of the king's cross bar in its box.
constexpr double kCrossBarY = 0.144;

void setColor(cairo_t* cr, std::uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

void roundedSquare(cairo_t* cr, double x, double y, double side, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + side - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + side - radius, y + side - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + side - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

// Four squares of the board, light on the top left like a1's neighbour h1.
void paintChecker(cairo_t* cr, double x, double y, double side, const theme::BoardTheme& board) {
    const double half = side / 2;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 2; ++col) {
            setColor(cr, (row + col) % 2 == 0 ? board.light : board.dark);
            cairo_rectangle(cr, x + col * half, y + row * half, half, half);
            cairo_fill(cr);
        }
    }
}

}  // namespace

void paint(cairo_t* cr, double size) {
    if (cr == nullptr || !(size > 0) || !std::isfinite(size)) return;
    const theme::BoardTheme& board = theme::boardForStage(1);
    // Icons up to 48 px get a thinner frame and a bigger king: every pixel counts.
    const bool small = size < 60;
    const double margin = size * (small ? 0.0 : 0.04);
    const double outer = size - 2 * margin;
    const double frame = std::max(outer * (small ? 0.07 : 0.06), 1.0);

    cairo_save(cr);
    roundedSquare(cr, margin, margin, outer, outer * 0.16);
    setColor(cr, board.border);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    const double inner = outer - 2 * frame;
    paintChecker(cr, margin + frame, margin + frame, inner, board);
    cairo_restore(cr);

    // The piece outlines leave a margin in their box; let the king overlap it.
    const double kingBox = outer * (small ? 1.06 : 0.96);
    const double kingX = (size - kingBox) / 2;
    const double kingY = (size - kingBox) / 2 - outer * 0.01;
    if (small) {
        // Shading and outline would blur into a blot: a flat silhouette reads
        // better. The cross, about one pixel thick here, is centred on a pixel
        // row and column so that it stays sharp instead of two grey halves.
        const double centreX = std::floor(size / 2) + 0.5;
        const double crossBarY = std::floor(kingY + kCrossBarY * kingBox) + 0.5;
        const double centreY = crossBarY - kCrossBarY * kingBox + kingBox / 2;
        ui::paintPieceGlyph(cr, 'K', centreX, centreY, kingBox, kSmallKingColor, 1.0);
    } else {
        ui::paintPieceCairo(cr, 'k', kingX, kingY, kingBox, 1.0);
    }
}

std::vector<std::uint32_t> straightArgb(int px) {
    if (px < 1) return {};
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, px, px);
    cairo_t* cr = cairo_create(surface);
    paint(cr, px);
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(px) * px, 0);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (data != nullptr) {
        for (int y = 0; y < px; ++y) {
            for (int x = 0; x < px; ++x) {
                std::uint32_t argb = 0;
                std::memcpy(&argb, data + y * stride + x * 4, sizeof argb);
                // cairo keeps colours multiplied by alpha; SDL wants them undone.
                const std::uint32_t a = argb >> 24;
                if (a != 0 && a != 255) {
                    auto undo = [a](std::uint32_t c) { return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a); };
                    argb = (a << 24) | (undo((argb >> 16) & 0xff) << 16) | (undo((argb >> 8) & 0xff) << 8) |
                           undo(argb & 0xff);
                }
                pixels[static_cast<std::size_t>(y) * px + x] = argb;
            }
        }
    }
    cairo_surface_destroy(surface);
    return pixels;
}

}  // namespace icon
