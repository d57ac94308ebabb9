// The texture cache and the immediate drawing on a software renderer; text
// drawn with pango into image surfaces: its size rules and its glyphs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "i18n.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui_draw_support.h"
#include "ui_shell_support.h"

// Read by the leak checker of sanitizer builds, for this whole test binary.
extern "C" const char* __lsan_default_suppressions() { return shelltest::kLibraryCacheLeaks; }

namespace {

using drawtest::Image;

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
    // Keys of one length, so that their order is the numbers' order.
    auto key = [](int i) { return "k" + std::to_string(1000 + i); };
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
    // The never-hit entries go first, in key order: numbers 20 .. 319.
    int paints = 0;
    for (int kept : {0, 19, 320}) white(key(kept), 2, 2, &paints);
    EXPECT_EQ(paints, 0);
    for (int evicted : {319, 20}) white(key(evicted), 2, 2, &paints);
    EXPECT_EQ(paints, 2);
}

class TextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shelltest::headlessEnvironment();
        fontsRegistered_ = ui::registerBundledFonts();
    }
    // Draws text the way a frame does and returns that frame's statistics.
    static ui::TextFrameStats frameOf(const std::vector<std::pair<std::string, ui::TextStyle>>& texts) {
        Image img(400, 200);
        ui::beginTextFrame();
        for (const auto& [text, style] : texts) ui::drawText(img.cr(), 0, 0, text, style);
        return ui::textFrameStats();
    }
    static inline bool fontsRegistered_ = false;
};

// Text shrinks to its box down to its minimum scale, never below 11 px; what
// still does not fit is counted, and the first such text named.
TEST_F(TextTest, TextShrinksToItsBoxButNotBelowMinScaleOrTheFloor) {
    Image c(400, 200);
    const std::string text = "Mitternachtsschach";
    ui::TextStyle style;
    style.size = 40;
    double full = 0, w = 0;
    ui::measureText(c.cr(), text, style, &full, nullptr);
    style.minScale = 0.6;
    style.maxWidth = full / 1.2;
    ui::measureText(c.cr(), text, style, &w, nullptr);
    EXPECT_NEAR(w, full / 1.2, full * 0.03);
    style.maxWidth = full * 0.4;  // would need 0.4
    ui::measureText(c.cr(), text, style, &w, nullptr);
    EXPECT_NEAR(w, full * 0.6, full * 0.03) << "overflows at its minimum scale";

    ui::TextStyle tiny;
    tiny.size = 8;
    EXPECT_EQ(frameOf({{text, tiny}}).smallestSize, ui::kMinTextSize) << "8 px is raised to the floor";
    ui::TextStyle squeezed;
    squeezed.size = 20;
    squeezed.minScale = 0.5;
    ui::measureText(c.cr(), text, squeezed, &full, nullptr);
    squeezed.maxWidth = full / 4;  // would need a quarter: stops at 11 px, not at 10
    const ui::TextFrameStats stats = frameOf({{text, squeezed}, {"Zug", squeezed}});
    EXPECT_DOUBLE_EQ(stats.smallestSize, ui::kMinTextSize);
    EXPECT_EQ(stats.overflowing, 1);
    EXPECT_EQ(stats.firstOverflow, text);
    EXPECT_EQ(frameOf({}).overflowing, 0) << "counted afresh each frame";
}

// Kanji shared with Chinese keep their Japanese forms in Japanese texts.
TEST_F(TextTest, JapaneseTextTakesJapaneseGlyphForms) {
    ASSERT_TRUE(fontsRegistered_) << "build the fonts first (target zelvane_fonts)";
    ui::TextStyle style;
    style.size = 40;
    auto drawn = [&](const char* language) {
        i18n::setLanguage(language);
        Image c(200, 60);
        ui::drawText(c.cr(), 0, 0, "\u76F4\u9AA8\u89D2", style);  // 直骨角
        std::vector<int> ink;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x) ink.push_back(c.alpha(x, y));
        return ink;
    };
    const std::vector<int> japanese = drawn("ja");
    EXPECT_NE(japanese, drawn("zh"));
    EXPECT_EQ(japanese, drawn("ja"));
    i18n::setLanguage("en");
}

}  // namespace
