// Board looks and colour arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "theme.h"

namespace {

TEST(Theme, StagesMapToLooksAndClamp) {
    EXPECT_STREQ(theme::boardForStage(1).id, "pine");
    EXPECT_STREQ(theme::boardForStage(2).id, "olive");
    EXPECT_STREQ(theme::boardForStage(10).id, "obsidian");
    EXPECT_STREQ(theme::boardForStage(11).id, "obsidian");
    EXPECT_STREQ(theme::boardForStage(1000).id, "obsidian");
    EXPECT_STREQ(theme::boardForStage(0).id, "pine");
    EXPECT_STREQ(theme::boardForStage(-5).id, "pine");
    EXPECT_EQ(&theme::boardForStage(3), &theme::allBoards()[2]);
}

TEST(Theme, TableIsCompleteAndNamed) {
    const auto& boards = theme::allBoards();
    ASSERT_EQ(boards.size(), 10u);
    for (const theme::BoardTheme& b : boards) {
        EXPECT_EQ(std::string(b.nameKey), std::string("boards.") + b.id);
        EXPECT_GT(theme::luminance(b.light), theme::luminance(b.dark)) << b.id;
        for (std::uint32_t c : {b.light, b.dark, b.border, b.coord}) EXPECT_EQ(c >> 24, 0u);
    }
    EXPECT_EQ(boards[0].light, 0xf1e3c3u);
    EXPECT_EQ(boards[9].check.rgb, 0xff5a5au);
    EXPECT_DOUBLE_EQ(boards[9].check.alpha, 0.95);
    const auto& title = theme::titleColors();
    ASSERT_EQ(title.size(), 10u);
    EXPECT_EQ(title.front(), 0xE8633Au);
    EXPECT_EQ(title.back(), 0xE8633Au);
}

TEST(Theme, MixClampsAndRoundsHalvesAway) {
    EXPECT_EQ(theme::mix(0x000000, 0xFFFFFF, 0.5), 0x808080u);
    EXPECT_EQ(theme::mix(0xFF123456, 0x00ABCDEF, -1.0), 0x123456u);
    EXPECT_EQ(theme::mix(0xFF123456, 0xFFABCDEF, 2.0), 0xABCDEFu);
    EXPECT_EQ(theme::mix(0x123456, 0xABCDEF, std::nan("")), 0xABCDEFu);
    EXPECT_EQ(theme::mix(0xFFFFFF, 0x000000, 0.5), 0x808080u);  // -127.5 + 255 = 127.5 -> 128
    EXPECT_EQ(theme::lighten(0x8A6A3A, 0.18), 0x9F855Du);
    EXPECT_EQ(theme::darken(0x808080, 1.0), 0x000000u);
    EXPECT_EQ(theme::lighten(0x123456, 0.0), 0x123456u);
}

TEST(Theme, Luminance) {
    EXPECT_DOUBLE_EQ(theme::luminance(0xFFFFFF), 1.0);
    EXPECT_DOUBLE_EQ(theme::luminance(0x000000), 0.0);
    EXPECT_NEAR(theme::luminance(0x00FF00), 0.7152, 1e-12);
    EXPECT_DOUBLE_EQ(theme::luminance(0xFF000000), 0.0);
}

}  // namespace
