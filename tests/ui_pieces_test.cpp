// The vector pieces: outlines, colours, group fading and the
// cached textures, checked on cairo image surfaces and a software renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "ui/pieces.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Canvas;
using drawtest::Image;

constexpr std::uint32_t kGrey = 0x808080;

int red(std::uint32_t rgb) { return drawtest::channelOf(rgb, 16); }

TEST(PiecePainting, LightAndDarkSidesOutlinesShadowAndDetails) {
    Image img(400, 100);
    img.fill(kGrey);
    for (auto [piece, x] : {std::pair{'P', 0}, {'p', 100}, {'N', 200}, {'B', 300}})
        ui::paintPieceCairo(img.cr(), piece, x, 0, 100, 1.0);
    EXPECT_LT(drawtest::channelOf(img.rgb(50, 70), 0), red(img.rgb(50, 70))) << "the warm ivory gradient";
    // Red channel at a point: above or below a bound.
    for (auto [x, y, above, bound, what] :
         {std::tuple{50, 70, true, 200, "white body"}, {150, 70, false, 60, "black body"},
          {50, 32, true, red(img.rgb(50, 70)), "the gradient darkens downwards"},
          {50, 23, false, 80, "dark outline around white"}, {150, 23, true, 180, "light outline around black"},
          {78, 93, false, red(kGrey), "shadow right and down of the foot"}, {235, 32, false, 80, "knight's eye"},
          {242, 32, true, 180, "beside the eye"}, {351, 28, false, 80, "bishop's slit"},
          {344, 28, true, 180, "beside the slit"}})
        EXPECT_TRUE(above ? red(img.rgb(x, y)) > bound : red(img.rgb(x, y)) < bound) << what;
    EXPECT_EQ(img.rgb(50, 2), kGrey) << "nothing above";
}

TEST(PiecePainting, HalfAlphaFadesThePieceAsOne) {
    Image full(100, 100);
    ui::paintPieceCairo(full.cr(), 'N', 0, 0, 100, 1.0);
    Image half(100, 100);
    ui::paintPieceCairo(half.cr(), 'N', 0, 0, 100, 0.5);
    int worst = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) worst = std::max(worst, std::abs(half.alpha(x, y) - full.alpha(x, y) / 2));
    // Without the group, outline over fill would be far more opaque than half.
    EXPECT_LE(worst, 1);
    EXPECT_GT(full.alpha(50, 70), 250);
}

TEST(PieceTextures, OneTexturePerPieceAndDevicePixelSize) {
    Canvas canvas(200, 200, kGrey);
    ui::drawPiece('Q', 0, 0, 60, 1.0, 0);
    EXPECT_TRUE(drawtest::isCached("piece:Q:60", 60, 60));
    ui::drawPiece('Q', 100, 100, 60, 0.5, 0.1);
    ui::drawPieceRotated('Q', 50, 50, 60, 33, 1.0);
    ui::drawPiece('Q', 0, 0, 60.3, 1.0, 0);  // rounds to the same pixel size
    EXPECT_EQ(ui::gpuCacheSize(), 1) << "the same texture serves every call";
    ui::drawPiece('q', 0, 0, 60, 1.0, 0);
    EXPECT_TRUE(drawtest::isCached("piece:q:60", 60, 60));

    // Half the size at twice the display scale is the same 60-pixel texture.
    ui::gpuSetScale(2.0);
    ui::drawPiece('Q', 0, 0, 30, 1.0, 0);
    EXPECT_EQ(ui::gpuCacheSize(), 2);
    ui::drawPiece('Q', 0, 0, 31, 1.0, 0);
    EXPECT_TRUE(drawtest::isCached("piece:Q:62", 62, 62));
}

TEST(PieceTextures, BlitsMatchThePaintedPieceAndHonourLiftAndRotation) {
    Canvas canvas(300, 100, kGrey);
    ui::drawPiece('K', 0, 20, 60, 1.0, 0);
    ui::drawPiece('K', 100, 20, 60, 1.0, 0.25);  // raised by a quarter of its size
    ui::drawPieceRotated('K', 200, 20, 60, 90, 1.0);

    // Compared where the piece is opaque: translucent edges depend on the renderer's blending.
    Image painted(60, 60);
    ui::paintPieceCairo(painted.cr(), 'K', 0, 0, 60, 1.0);
    int worst = 0;
    int opaque = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            if (painted.alpha(x, y) == 255) {
                ++opaque;
                worst = std::max(worst, std::abs(red(canvas.rgb(x, 20 + y)) - red(painted.rgb(x, y))));
            }
        }
    EXPECT_GT(opaque, 600);
    EXPECT_LE(worst, 1) << "texture and direct painting agree";
    EXPECT_TRUE(canvas.sameRegion(canvas, 100, 5, 60, 60, -100, 15)) << "the lifted king is 15 pixels higher";
    // Turned a quarter clockwise, the cross points right.
    EXPECT_EQ(canvas.rgb(54, 50), kGrey);
    EXPECT_NE(canvas.rgb(254, 50), kGrey);
}

}  // namespace
