// Board looks and colour arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "theme.h"

namespace {

TEST(Theme, OneLookPerStageClamped) {
    for (const auto& [stage, id] : {std::pair{-5, "pine"}, {0, "pine"}, {1, "pine"}, {2, "olive"}, {10, "obsidian"},
                                    {11, "obsidian"}, {1000, "obsidian"}}) {
        EXPECT_STREQ(theme::boardForStage(stage).id, id) << stage;
    }
    EXPECT_EQ(&theme::boardForStage(3), &theme::allBoards()[2]);
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
    ASSERT_EQ(theme::titleColors().size(), 10u);
    EXPECT_EQ(theme::titleColors().front(), 0xE8633Au);
}

TEST(Theme, MixClampsAndRoundsHalvesAway) {
    EXPECT_EQ(theme::mix(0x000000, 0xFFFFFF, 0.5), 0x808080u);
    EXPECT_EQ(theme::mix(0xFFFFFF, 0x000000, 0.5), 0x808080u);  // 127.5 -> 128
    EXPECT_EQ(theme::mix(0xFF123456, 0x00ABCDEF, -1.0), 0x123456u);
    EXPECT_EQ(theme::mix(0xFF123456, 0xFFABCDEF, 2.0), 0xABCDEFu);
    EXPECT_EQ(theme::mix(0x123456, 0xABCDEF, std::nan("")), 0xABCDEFu);
    EXPECT_EQ(theme::lighten(0x8A6A3A, 0.18), 0x9F855Du);
    EXPECT_EQ(theme::darken(0x808080, 1.0), 0x000000u);
    EXPECT_DOUBLE_EQ(theme::luminance(0xFFFFFF), 1.0);
    EXPECT_DOUBLE_EQ(theme::luminance(0xFF000000), 0.0);
    EXPECT_DOUBLE_EQ(theme::luminance(0x00FF00), 0.7152);
}

}  // namespace
