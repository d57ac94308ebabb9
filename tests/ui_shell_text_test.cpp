// Text drawn with pango into image surfaces: its size rules and its glyphs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "i18n.h"
#include "ui/draw.h"
#include "ui_draw_support.h"
#include "ui_shell_support.h"

// Read by the leak checker of sanitizer builds, for this whole test binary.
extern "C" const char* __lsan_default_suppressions() { return shelltest::kLibraryCacheLeaks; }

namespace {

using drawtest::Image;

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
