// Board looks: one per stage, each named, light squares lighter than dark.
#include <gtest/gtest.h>

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

}  // namespace
