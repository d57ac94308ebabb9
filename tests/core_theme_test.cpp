// Board looks and colour arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "theme.h"

namespace {

TEST(Theme, OneLookPerStageClamped) {
    for (const auto& [stage, id] : {std::pair{-5, "pine"}, {1, "pine"}, {2, "olive"}, {10, "obsidian"},
                                    {1000, "obsidian"}}) {
        EXPECT_STREQ(theme::boardForStage(stage).id, id) << stage;
    }
    for (const theme::BoardTheme& b : theme::allBoards()) {
        EXPECT_EQ(std::string(b.nameKey), std::string("boards.") + b.id);
        EXPECT_GT(theme::luminance(b.light), theme::luminance(b.dark)) << b.id;
    }
}

// Channels round half away from zero; the share is clamped and the top byte dropped.
TEST(Theme, MixClampsAndRoundsHalvesAway) {
    EXPECT_EQ(theme::mix(0xFFFFFF, 0x000000, 0.5), 0x808080u);  // 127.5 -> 128
    EXPECT_EQ(theme::mix(0xFF123456, 0x00ABCDEF, -1.0), 0x123456u);
    EXPECT_EQ(theme::mix(0xFF123456, 0xFFABCDEF, 2.0), 0xABCDEFu);
    EXPECT_EQ(theme::mix(0x123456, 0xABCDEF, std::nan("")), 0xABCDEFu);
    EXPECT_EQ(theme::lighten(0x8A6A3A, 0.18), 0x9F855Du);
    EXPECT_DOUBLE_EQ(theme::luminance(0x00FF00), 0.7152);
}

}  // namespace
