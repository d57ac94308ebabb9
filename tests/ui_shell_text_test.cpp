// Shapes and text drawn with cairo and pango into image surfaces.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "i18n.h"
#include "ui/draw.h"
#include "ui_shell_support.h"

// Read by the leak checker of sanitizer builds, for this whole test binary.
extern "C" const char* __lsan_default_suppressions() { return shelltest::kLibraryCacheLeaks; }

namespace {

class Canvas {
public:
    Canvas(int w, int h) : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr_(cairo_create(surface_)) {}
    ~Canvas() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    cairo_t* cr() { return cr_; }
    std::uint8_t alpha(int x, int y) {
        cairo_surface_flush(surface_);
        const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        return reinterpret_cast<const std::uint32_t*>(row)[x] >> 24;
    }
    // Leftmost and rightmost columns with any ink; -1 for both when the surface is empty.
    std::pair<int, int> ink() {
        std::pair<int, int> span{-1, -1};
        for (int x = 0; x < cairo_image_surface_get_width(surface_); ++x) {
            for (int y = 0; y < cairo_image_surface_get_height(surface_); ++y) {
                if (alpha(x, y) <= 64) continue;
                if (span.first < 0) span.first = x;
                span.second = x;
                break;
            }
        }
        return span;
    }
    int leftmostInk() { return ink().first; }
    int rightmostInk() { return ink().second; }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

class TextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shelltest::headlessEnvironment();
        fontsRegistered_ = ui::registerBundledFonts();
    }
    static bool fontsRegistered_;
};
bool TextTest::fontsRegistered_ = false;

TEST(Shapes, OversizedRadiusGivesAStadium) {
    Canvas c(120, 40);
    ui::fillRoundedRect(c.cr(), ui::Rect{10, 0, 100, 40}, 500, 0x000000, 1.0);
    EXPECT_EQ(c.alpha(60, 20), 255);
    EXPECT_EQ(c.alpha(12, 20), 255) << "the left end is a half circle of radius 20";
    EXPECT_EQ(c.alpha(12, 2), 0);
    EXPECT_EQ(c.alpha(108, 38), 0);
}

TEST(Shapes, SoftShadowLeavesThePathForTheShape) {
    Canvas c(100, 100);
    ui::roundedRectPath(c.cr(), ui::Rect{20, 20, 40, 40}, 6);
    double before[4], after[4];
    cairo_path_extents(c.cr(), &before[0], &before[1], &before[2], &before[3]);
    ui::softShadowFromPath(c.cr(), 10, 10, 6, 0x000000, 0.6);
    cairo_path_extents(c.cr(), &after[0], &after[1], &after[2], &after[3]);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(after[i], before[i]);
    // Offset by 10, the shadow's shape spans 30..70 and its soft edge 6 more.
    EXPECT_EQ(c.alpha(20, 50), 0) << "the shadow is drawn offset";
    EXPECT_GT(c.alpha(73, 50), 0);
    EXPECT_EQ(c.alpha(78, 50), 0);
    EXPECT_LT(c.alpha(73, 50), c.alpha(71, 50)) << "it darkens towards the shape";
    EXPECT_LT(c.alpha(71, 50), c.alpha(50, 50));
}

TEST_F(TextTest, BundledFontsAreRegisteredUnderTheirFamilies) {
    EXPECT_TRUE(fontsRegistered_) << "build the fonts first (target zelvane_fonts)";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Orlavan Chess CJK"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    ASSERT_NE(match, nullptr);
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    FcPatternGetString(match, FC_FAMILY, 0, &family);
    FcPatternGetString(match, FC_FILE, 0, &file);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), "Orlavan Chess CJK");
    EXPECT_NE(std::string(reinterpret_cast<const char*>(file)).find("assets/fonts/OrlavanChessCJK.ttf"),
              std::string::npos);
    FcCharSet* chars = nullptr;
    ASSERT_EQ(FcPatternGetCharSet(match, FC_CHARSET, 0, &chars), FcResultMatch);
    EXPECT_TRUE(FcCharSetHasChar(chars, U'A'));
    EXPECT_GT(FcCharSetCount(chars), 300u) << "the kana, hangul and hanzi of the texts";
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

TEST_F(TextTest, TooWideTextShrinksToItsBoxButNotBelowMinScaleOrTheFloorAndOverflowsAreCounted) {
    Canvas c(400, 200);
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

    // 8 px is raised to the floor; 20 px that would need a quarter stops there too.
    style = ui::TextStyle{};
    style.size = 8;
    ui::beginTextFrame();
    ui::drawText(c.cr(), 0, 0, text, style);
    EXPECT_EQ(ui::textFrameStats().smallestSize, ui::kMinTextSize);
    EXPECT_EQ(ui::textFrameStats().overflowing, 0);
    style.size = 20;
    ui::measureText(c.cr(), text, style, &full, nullptr);
    style.minScale = 0.5;
    style.maxWidth = full / 4;
    ui::beginTextFrame();
    ui::drawText(c.cr(), 0, 0, text, style);
    ui::drawText(c.cr(), 0, 50, "Zug", style);
    EXPECT_DOUBLE_EQ(ui::textFrameStats().smallestSize, ui::kMinTextSize);
    EXPECT_EQ(ui::textFrameStats().overflowing, 1);
    EXPECT_EQ(ui::textFrameStats().firstOverflow, text);
}

TEST_F(TextTest, WrappedTextKeepsToItsWidthAndShrinksToItsHeight) {
    Canvas c(400, 200);
    const std::string text = "Ein langer Satz, der sicher nicht in eine schmale Zeile passt.";
    ui::TextStyle style;
    style.size = 20;
    double oneLineH = 0, w = 0, h = 0;
    ui::measureText(c.cr(), text, style, nullptr, &oneLineH);
    style.wrapWidth = 150;
    ui::measureText(c.cr(), text, style, &w, &h);
    EXPECT_LE(w, 150);
    EXPECT_GE(h, oneLineH * 3);
    // Counted as overflowing only when even the floor does not fit the height.
    for (const double room : {h * 0.7, h * 0.2}) {
        style.maxHeight = room;
        ui::beginTextFrame();
        ui::drawText(c.cr(), 0, 0, text, style);
        EXPECT_LT(ui::textFrameStats().smallestSize, 20);
        EXPECT_EQ(ui::textFrameStats().overflowing, room < h * 0.5 ? 1 : 0) << room;
    }
}

// Kanji shared with Chinese keep their Japanese forms in Japanese texts.
TEST_F(TextTest, JapaneseTextTakesJapaneseGlyphForms) {
    ui::TextStyle style;
    style.size = 40;
    auto drawn = [&](const char* language) {
        i18n::setLanguage(language);
        Canvas c(200, 60);
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

TEST_F(TextTest, AlignmentAnchorsTheTextAtX) {
    ui::TextStyle style;
    style.size = 30;
    style.align = ui::Align::Right;
    Canvas right(600, 60);
    ui::drawText(right.cr(), 500, 10, "Zug", style);
    EXPECT_LE(right.rightmostInk(), 500);
    EXPECT_GE(right.rightmostInk(), 490);

    style.align = ui::Align::Left;
    Canvas left(600, 60);
    ui::drawText(left.cr(), 100, 10, "Zug", style);
    EXPECT_GE(left.leftmostInk(), 100);
    EXPECT_LE(left.leftmostInk(), 106);

    Canvas centred(600, 60);
    style.align = ui::Align::Right;  // ignored by drawTextCentered
    ui::drawTextCentered(centred.cr(), 300, 30, "Zug", style);
    EXPECT_NEAR((centred.leftmostInk() + centred.rightmostInk()) / 2.0, 300, 4);
}

TEST_F(TextTest, EmptyTextDrawsAndMeasuresNothing) {
    Canvas c(100, 50);
    ui::TextStyle style;
    double w = -1, h = -1;
    ui::measureText(c.cr(), "", style, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    ui::drawText(c.cr(), 10, 10, "", style);
    ui::drawTextCentered(c.cr(), 50, 25, "", style);
    EXPECT_EQ(c.rightmostInk(), -1);
}

TEST_F(TextTest, TextOnOneContextAfterAnotherIsDrawnOnTheRightOne) {
    ui::TextStyle style;
    style.size = 24;
    for (int round = 0; round < 3; ++round) {
        Canvas a(200, 50);
        Canvas b(200, 50);
        ui::drawText(a.cr(), 10, 10, "Dame", style);
        ui::drawText(b.cr(), 100, 10, "König", style);
        EXPECT_LT(a.rightmostInk(), 100);
        EXPECT_GE(b.leftmostInk(), 100);
    }
}

}  // namespace
