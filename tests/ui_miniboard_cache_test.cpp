// Mini boards are painted once per position, look and pixel size, then copied.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/chess.h"
#include "theme.h"
#include "ui/board.h"

namespace {

std::vector<std::uint32_t> paintOnce(const chess::Board& board, bool flipped, double x, double scale = 1.0) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 240, 200);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.2, 0.3, 0.4);
    cairo_paint(cr);
    cairo_scale(cr, scale, scale);
    ui::paintMiniBoard(cr, ui::Rect{x, 10, 160, 160}, board, theme::allBoards()[3], flipped);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::vector<std::uint32_t> pixels(240 * 200);
    for (int y = 0; y < 200; ++y) std::memcpy(&pixels[y * 240], data + y * stride, 240 * 4);
    cairo_surface_destroy(surface);
    return pixels;
}

TEST(MiniBoardCache, CopiesMatchTheFirstPaintingAndFollowTheirInputs) {
    const chess::Board start = chess::Board::startPosition();
    const std::vector<std::uint32_t> first = paintOnce(start, false, 20);
    EXPECT_EQ(paintOnce(start, false, 20), first);  // the second one is a copy

    // Each input makes its own picture.
    EXPECT_NE(paintOnce(start, true, 20), first);
    chess::Board moved = start;
    moved.makeMove(12, 28);
    EXPECT_NE(paintOnce(moved, false, 20), first);
    EXPECT_NE(paintOnce(start, false, 20, 1.2), first);

    // Shifted by whole pixels the picture only moves.
    const std::vector<std::uint32_t> shifted = paintOnce(start, false, 30);
    for (int y = 12; y < 168; y += 7) {
        for (int x = 22; x < 178; x += 5) EXPECT_EQ(shifted[y * 240 + x + 10], first[y * 240 + x]) << x << "," << y;
    }
}

}  // namespace

namespace {

// Mean luminance of the pixels of a cell that are not the square's own colour:
// the piece, its outline and its shadow.
double pieceLuminance(const std::vector<std::uint32_t>& pixels, int cx, int cy, int cell, std::uint32_t square) {
    double sum = 0;
    int count = 0;
    for (int y = cy + 1; y < cy + cell - 1; ++y) {
        for (int x = cx + 1; x < cx + cell - 1; ++x) {
            const std::uint32_t p = pixels[y * 240 + x] & 0xFFFFFF;
            if (std::abs(theme::luminance(p) - theme::luminance(square)) < 0.03) continue;
            sum += theme::luminance(p);
            ++count;
        }
    }
    return count ? sum / count : 0;
}

TEST(MiniBoardCache, SmallPiecesKeepTheirColour) {
    // 15 px cells, as on the level select's cards in a small window. b2 and
    // a7 are both dark squares: the white pawn must read lighter than the black one.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 240, 200);
    cairo_t* cr = cairo_create(surface);
    ui::paintMiniBoard(cr, ui::Rect{0, 0, 120, 120}, chess::Board::startPosition(), theme::allBoards()[0], false);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::vector<std::uint32_t> pixels(240 * 200);
    const auto* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < 200; ++y) {
        std::memcpy(&pixels[y * 240], data + y * cairo_image_surface_get_stride(surface), 240 * 4);
    }
    cairo_surface_destroy(surface);
    const std::uint32_t dark = theme::allBoards()[0].dark;
    const double whitePawn = pieceLuminance(pixels, 15, 90, 15, dark);  // b2
    const double blackPawn = pieceLuminance(pixels, 0, 15, 15, dark);   // a7
    EXPECT_GT(whitePawn, blackPawn + 0.05) << whitePawn << " vs " << blackPawn;
}

}  // namespace
