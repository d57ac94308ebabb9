// The animated title and the die.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "theme.h"
#include "ui/decor.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Frame;
using drawtest::Image;
using drawtest::near;

// ---- titles --------------------------------------------------------------------

// The title of 48 px centred in an 800-wide frame: 15 cells of 0.62 of the size.
constexpr double kCellX0 = 400 - 15 * 0.62 * 48 / 2;
constexpr double kCellW = 0.62 * 48;

// The title's pixels at time t, or those of one letter cell (rows 40 to 120) when cell >= 0.
std::vector<std::uint32_t> titleAt(Frame& f, double t, double stagger, int cell = -1) {
    f.clear();
    f.ctx.t = t;
    ui::drawAnimatedTitle(f.ctx, 400, 50, 800, 48, stagger);
    const int x0 = cell < 0 ? 0 : static_cast<int>(kCellX0 + cell * kCellW);
    const int x1 = cell < 0 ? 800 : x0 + static_cast<int>(kCellW);
    std::vector<std::uint32_t> pixels;
    for (int y = cell < 0 ? 0 : 40; y < (cell < 0 ? 160 : 120); ++y)
        for (int x = x0; x < x1; ++x) pixels.push_back(f.canvas.rgb(x, y));
    return pixels;
}

// Pixels that are not the black ground.
int ink(const std::vector<std::uint32_t>& pixels) {
    return static_cast<int>(pixels.size() - std::count(pixels.begin(), pixels.end(), 0u));
}

// Letters are cached pictures blitted like the pieces: nothing goes on the overlay.
TEST(AnimatedTitle, LettersAppearInTurnHoldAndFade) {
    Frame f(800, 160);
    // The first letter stands, the fifth has not even a piece yet.
    EXPECT_GT(ink(titleAt(f, 0.9, 0.6, 0)), 50);
    EXPECT_EQ(ink(titleAt(f, 0.9, 0.6, 4)), 0);
    EXPECT_TRUE(f.overlay.blank());
    // The hold: every letter but the space, and no pieces left.
    for (int i = 0; i < 15; ++i) EXPECT_EQ(ink(titleAt(f, 10.0, 0.6, i)) > 20, i != 9) << i;
    // Letters take the title colours in turn, a repeated letter too ('a' at 3 and 5, 's' at 8 and 13).
    for (int i : {2, 3, 5, 8, 13}) {
        const std::uint32_t expected = theme::titleColors()[i % theme::titleColors().size()];
        const std::vector<std::uint32_t> letter = titleAt(f, 10.0, 0.6, i);
        EXPECT_TRUE(std::any_of(letter.begin(), letter.end(), [&](std::uint32_t p) { return near(p, expected, 2); }))
            << "letter " << i;
    }
    EXPECT_TRUE(f.overlay.blank());
    EXPECT_EQ(ink(titleAt(f, 13.0, 0.6)), 0) << "faded out, in the pause before the next cycle";
}

TEST(AnimatedTitle, RepeatsEveryCycleAndNonPositiveStaggerMeansDefault) {
    Frame f(800, 160);
    // A cycle of 13.26 s: the 15 letters' stagger, a hold and a pause.
    EXPECT_EQ(titleAt(f, 10.0, 0.6), titleAt(f, 10.0 + 13.26, 0.6));
    const std::vector<std::uint32_t> early = titleAt(f, 3.3, 0.6);
    for (double fallback : {0.0, -1.0}) EXPECT_EQ(titleAt(f, 3.3, fallback), early) << fallback;
    EXPECT_NE(titleAt(f, 3.3, 0.3), early);
}

// ---- die -----------------------------------------------------------------------

TEST(DieFace, EveryValueShowsItsPipsOutOfRangeIsClampedAndTurnsAboutItsCentre) {
    constexpr std::uint32_t kPip = 0x202040;
    Image img(200, 200);
    // Which cells of the 3 x 3 grid show a pip, row by row; the face is 100 wide around (100, 100).
    auto pips = [&](int value, double angle) {
        img.clear();
        ui::drawDie(img.cr(), ui::Rect{50, 40, 100, 120}, value, angle, 0xFFFFFF, kPip);
        std::string out;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                out += near(img.rgb(100 + (c - 1) * 26, 100 + (r - 1) * 26), kPip, 2) ? '1' : '0';
        return out;
    };
    const char* faces[] = {"000010000", "100000001", "100010001", "101000101", "101010101", "101101101"};
    // 0 and 9 are clamped to 1 and 6; a quarter turn clockwise moves the diagonal.
    for (auto [v, angle, shown] : {std::tuple{1, 0.0, faces[0]}, {2, 0.0, faces[1]}, {3, 0.0, faces[2]},
                                   {4, 0.0, faces[3]}, {5, 0.0, faces[4]}, {6, 0.0, faces[5]}, {0, 0.0, faces[0]},
                                   {9, 0.0, faces[5]}, {2, M_PI / 2, "001000100"}})
        EXPECT_EQ(pips(v, angle), shown) << v << " turned " << angle;
}

}  // namespace
