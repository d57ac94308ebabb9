// The texture cache and the immediate drawing on a software renderer.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "ui/gpu.h"
#include "ui_draw_support.h"

namespace {

// A 64 x 64 software renderer, cleared to black, with the texture layer on it.
class GpuTest : public ::testing::Test {
protected:
    std::uint32_t at(int x, int y) { return canvas_.rgb(x, y); }
    static void paintWhite(cairo_t* cr, void* counter) {
        if (counter) ++*static_cast<int*>(counter);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
    }
    SDL_Texture* white(const std::string& key, int w, int h, int* counter = nullptr) {
        return ui::gpuTexture(key, w, h, paintWhite, counter);
    }
    drawtest::Canvas canvas_{64, 64};
};

// Rectangles snap to whole device pixels; a scale of 0 or less counts as 1.
TEST_F(GpuTest, RectanglesRoundToWholeDevicePixels) {
    ui::gpuSetScale(-3);
    ui::gpuFillRect(0.4, 0.4, 10.5, 10.5, 0xFF0000, 1.0);
    ui::gpuSetScale(2.0);
    ui::gpuFillRect(10, 10, 2.25, 2.25, 0x00FF00, 1.0);  // 20, 20, 4.5 -> 5 pixels
    for (auto [x, y, rgb] : {std::tuple{0, 0, 0xFF0000u}, {10, 10, 0xFF0000u}, {11, 11, 0u}, {19, 19, 0u},
                             {24, 24, 0x00FF00u}, {25, 25, 0u}}) {
        EXPECT_EQ(at(x, y), rgb) << x << "," << y;
    }
}

// The figures are what premultiplied compositing gives: the texture's colour
// times the blit's opacity, over the ground times one minus the covered part.
// A software renderer refuses that blend mode; it must still come out so.
TEST_F(GpuTest, BlitsBlendLikePremultipliedCompositingOnAnyRenderer) {
    auto paintHalfOrange = [](cairo_t* cr, void*) {
        cairo_set_source_rgba(cr, 1, 0.5, 0, 0.5);
        cairo_paint(cr);
    };
    SDL_Texture* orange = ui::gpuTexture("orange", 8, 8, paintHalfOrange, nullptr);
    SDL_Texture* mask = white("mask", 8, 8);
    ASSERT_TRUE(orange && mask);
    constexpr std::uint32_t kGround = 0x204060;
    const struct {
        const char* what;
        std::function<void(double x)> blit;
        std::uint32_t expected;
    } cases[] = {
        {"half-covered texture", [&](double x) { ui::gpuBlit(orange, x, 0, 8, 8, 1.0); }, 0x8F6030},
        {"half-covered texture faded", [&](double x) { ui::gpuBlit(orange, x, 0, 8, 8, 0.6); }, 0x635343},
        {"tinted mask (a highlight)", [&](double x) { ui::gpuBlitTinted(mask, x, 0, 8, 8, 0xD04020, 0.55); }, 0x81403D},
        {"tinted mask, opaque", [&](double x) { ui::gpuBlitTinted(mask, x, 0, 8, 8, 0x00FF00, 1.0); }, 0x00FF00},
        {"opacity above 1 is clamped", [&](double x) { ui::gpuBlit(mask, x, 0, 8, 8, 1.7); }, 0xFFFFFF},
        {"opacity below 0 is clamped", [&](double x) { ui::gpuBlit(mask, x, 0, 8, 8, -0.2); }, kGround},
        {"rotated", [&](double x) { ui::gpuBlitRotated(mask, x + 4, 4, 8, 8, 90, 1.0); }, 0xFFFFFF},
    };
    ASSERT_TRUE(ui::gpuStraightAlpha()) << "the software renderer has no premultiplied blending";
    ui::gpuFillRect(0, 0, 64, 64, kGround, 1.0);
    double x = 0;
    for (const auto& c : cases) {
        c.blit(x);
        // Within one step of rounding on each channel.
        EXPECT_LE(drawtest::channelDistance(at(static_cast<int>(x) + 4, 4), c.expected), 1) << c.what;
        x += 9;
    }
}

TEST_F(GpuTest, PaintingHappensOncePerKeyAndSize) {
    int paints = 0;
    SDL_Texture* a = white("board:1", 16, 16, &paints);
    EXPECT_EQ(white("board:1", 16, 16, &paints), a);
    EXPECT_EQ(paints, 1);
    int w = 0;
    SDL_QueryTexture(white("board:1", 24, 16, &paints), nullptr, nullptr, &w, nullptr);
    EXPECT_EQ(paints, 2) << "a new size repaints";
    EXPECT_EQ(w, 24);
    EXPECT_EQ(ui::gpuCacheSize(), 1) << "the new size replaced the old";
    EXPECT_EQ(white("empty", 0, 16), nullptr);
}

TEST_F(GpuTest, FullCacheEvictsTheLeastRecentlyHitThird) {
    auto key = [](int i) {
        char name[16];
        std::snprintf(name, sizeof name, "k%03d", i);
        return std::string(name);
    };
    ui::gpuBeginFrame();
    for (int i = 0; i < 901; ++i) white(key(i), 2, 2);
    ASSERT_EQ(ui::gpuCacheSize(), 901);
    // Hits in later frames protect the first 20 keys; every other key was never hit.
    for (int i = 0; i < 20; ++i) {
        ui::gpuBeginFrame();
        white(key(i), 2, 2);
    }
    white("new", 2, 2);
    EXPECT_EQ(ui::gpuCacheSize(), 901 - 300 + 1);
    // The never-hit entries go first, in key order: k020 .. k319.
    int paints = 0;
    for (int kept : {0, 19, 320}) white(key(kept), 2, 2, &paints);
    EXPECT_EQ(paints, 0);
    for (int evicted : {319, 20}) white(key(evicted), 2, 2, &paints);
    EXPECT_EQ(paints, 2);
}

}  // namespace
