// Shapes and text drawn with cairo and pango into image surfaces.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <fontconfig/fontconfig.h>

#include "i18n.h"
#include "ui/draw.h"
#include "ui_draw_support.h"
#include "ui_shell_support.h"

// Read by the leak checker of sanitizer builds, for this whole test binary.
extern "C" const char* __lsan_default_suppressions() { return shelltest::kLibraryCacheLeaks; }

namespace {

using drawtest::Image;

// Leftmost and rightmost columns with clear ink; -1 for both when there is none.
std::pair<int, int> inkSpan(Image& img) {
    std::pair<int, int> span{-1, -1};
    for (int x = 0; x < img.w(); ++x)
        for (int y = 0; y < img.h(); ++y)
            if (img.alpha(x, y) > 64) {
                if (span.first < 0) span.first = x;
                span.second = x;
                break;
            }
    return span;
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

TEST(Shapes, StadiumsAndSoftShadowsThatKeepThePath) {
    Image c(120, 100);
    ui::fillRoundedRect(c.cr(), ui::Rect{10, 0, 100, 40}, 500, 0x000000, 1.0);  // radius 500 gives a stadium
    for (auto [x, y, a] : {std::tuple{60, 20, 255}, {12, 20, 255}, {12, 2, 0}, {108, 38, 0}}) EXPECT_EQ(c.alpha(x, y), a);

    Image s(100, 100);
    ui::roundedRectPath(s.cr(), ui::Rect{20, 20, 40, 40}, 6);
    double before[4], after[4];
    cairo_path_extents(s.cr(), &before[0], &before[1], &before[2], &before[3]);
    ui::softShadowFromPath(s.cr(), 10, 10, 6, 0x000000, 0.6);
    cairo_path_extents(s.cr(), &after[0], &after[1], &after[2], &after[3]);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(after[i], before[i]);
    // Offset by 10, the shadow's shape spans 30..70 and its soft edge 6 more, darkening inwards.
    EXPECT_EQ(s.alpha(20, 50), 0);
    EXPECT_EQ(s.alpha(78, 50), 0);
    EXPECT_GT(s.alpha(73, 50), 0);
    EXPECT_LT(s.alpha(73, 50), s.alpha(71, 50));
    EXPECT_LT(s.alpha(71, 50), s.alpha(50, 50));
}

TEST_F(TextTest, BundledFontsAreRegisteredUnderTheirFamilies) {
    ASSERT_TRUE(fontsRegistered_) << "build the fonts first (target zelvane_fonts)";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Orlavan Chess CJK"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    ASSERT_NE(match, nullptr);
    FcChar8 *family = nullptr, *file = nullptr;
    FcCharSet* chars = nullptr;
    FcPatternGetString(match, FC_FAMILY, 0, &family);
    FcPatternGetString(match, FC_FILE, 0, &file);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), "Orlavan Chess CJK");
    EXPECT_NE(std::string(reinterpret_cast<const char*>(file)).find("assets/fonts/OrlavanChessCJK.ttf"), std::string::npos);
    ASSERT_EQ(FcPatternGetCharSet(match, FC_CHARSET, 0, &chars), FcResultMatch);
    EXPECT_TRUE(FcCharSetHasChar(chars, U'A'));
    EXPECT_GT(FcCharSetCount(chars), 300u) << "the kana, hangul and hanzi of the texts";
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

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
    EXPECT_EQ(frameOf({{text, tiny}}).overflowing, 0);
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

TEST_F(TextTest, WrappedTextKeepsToItsWidthAndShrinksToItsHeight) {
    Image c(400, 200);
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
        const ui::TextFrameStats stats = frameOf({{text, style}});
        EXPECT_LT(stats.smallestSize, 20);
        EXPECT_EQ(stats.overflowing, room < h * 0.5 ? 1 : 0) << room;
    }
}

// Kanji shared with Chinese keep their Japanese forms in Japanese texts.
TEST_F(TextTest, JapaneseTextTakesJapaneseGlyphForms) {
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

TEST_F(TextTest, AlignmentAnchorsTheTextAtX) {
    ui::TextStyle style;
    style.size = 30;
    style.align = ui::Align::Right;
    Image right(600, 60);
    ui::drawText(right.cr(), 500, 10, "Zug", style);
    EXPECT_LE(inkSpan(right).second, 500);
    EXPECT_GE(inkSpan(right).second, 490);
    style.align = ui::Align::Left;
    Image left(600, 60);
    ui::drawText(left.cr(), 100, 10, "Zug", style);
    EXPECT_GE(inkSpan(left).first, 100);
    EXPECT_LE(inkSpan(left).first, 106);
    style.align = ui::Align::Right;  // ignored by drawTextCentered
    Image centred(600, 60);
    ui::drawTextCentered(centred.cr(), 300, 30, "Zug", style);
    EXPECT_NEAR((inkSpan(centred).first + inkSpan(centred).second) / 2.0, 300, 4);
}

TEST_F(TextTest, TextOnOneContextAfterAnotherIsDrawnOnTheRightOne) {
    ui::TextStyle style;
    style.size = 24;
    for (int round = 0; round < 3; ++round) {
        Image a(200, 50), b(200, 50);
        ui::drawText(a.cr(), 10, 10, "Dame", style);
        ui::drawText(b.cr(), 100, 10, "König", style);
        EXPECT_LT(inkSpan(a).second, 100);
        EXPECT_GE(inkSpan(b).first, 100);
    }
}

}  // namespace
