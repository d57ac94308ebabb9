// Mini boards are painted once per position, look, orientation and pixel size, then copied.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/chess.h"
#include "theme.h"
#include "ui/board.h"
#include "ui_draw_support.h"

namespace {

constexpr int kW = 240;

// The pixels of a 240x200 image holding one mini board on a plain ground.
std::vector<std::uint32_t> paint(const chess::Board& board, int look, bool flipped, const ui::Rect& r,
                                 double scale = 1.0) {
    drawtest::Image img(kW, 200);
    img.fill(0x334466);
    cairo_scale(img.cr(), scale, scale);
    ui::paintMiniBoard(img.cr(), r, board, theme::allBoards()[look], flipped);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < img.h(); ++y)
        for (int x = 0; x < kW; ++x) pixels.push_back(img.rgb(x, y));
    return pixels;
}

TEST(MiniBoardCache, CopiesMatchTheFirstPaintingAndFollowEveryInput) {
    const chess::Board start = chess::Board::startPosition();
    const ui::Rect at{20, 10, 160, 160};
    const std::vector<std::uint32_t> first = paint(start, 3, false, at);
    EXPECT_EQ(paint(start, 3, false, at), first) << "the copy differs from the painting";

    chess::Board moved = start;
    moved.makeMove(12, 28);
    EXPECT_NE(paint(start, 3, true, at), first) << "orientation";
    EXPECT_NE(paint(moved, 3, false, at), first) << "position";
    EXPECT_NE(paint(start, 0, false, at), first) << "look";
    EXPECT_NE(paint(start, 3, false, at, 1.2), first) << "pixel size";

    // Shifted by whole pixels the picture only moves.
    const std::vector<std::uint32_t> shifted = paint(start, 3, false, {30, 10, 160, 160});
    for (int y = 12; y < 168; y += 7)
        for (int x = 22; x < 178; x += 5) EXPECT_EQ(shifted[y * kW + x + 10], first[y * kW + x]) << x << "," << y;
}

// Mean luminance of the pixels of a cell that are not the square's own colour:
// the piece, its outline and its shadow.
double pieceLuminance(const std::vector<std::uint32_t>& pixels, int cx, int cy, int cell, std::uint32_t square) {
    double sum = 0;
    int count = 0;
    for (int y = cy + 1; y < cy + cell - 1; ++y)
        for (int x = cx + 1; x < cx + cell - 1; ++x) {
            const double l = theme::luminance(pixels[y * kW + x]);
            if (std::abs(l - theme::luminance(square)) < 0.03) continue;
            sum += l;
            ++count;
        }
    return count ? sum / count : 0;
}

TEST(MiniBoardCache, SmallPiecesKeepTheirColour) {
    // 15 px cells, as on the level select's cards in a small window. b2 and
    // a7 are both dark squares: the white pawn must read lighter than the black one.
    const std::vector<std::uint32_t> pixels = paint(chess::Board::startPosition(), 0, false, {0, 0, 120, 120});
    const std::uint32_t dark = theme::allBoards()[0].dark;
    const double whitePawn = pieceLuminance(pixels, 15, 90, 15, dark);  // b2
    const double blackPawn = pieceLuminance(pixels, 0, 15, 15, dark);   // a7
    EXPECT_GT(whitePawn, blackPawn + 0.05) << whitePawn << " vs " << blackPawn;
}

}  // namespace
