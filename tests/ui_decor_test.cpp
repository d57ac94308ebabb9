// Backdrop, animated and plain title, die.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "theme.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui_draw_support.h"

namespace {

using drawtest::brightness;
using drawtest::channelOf;
using drawtest::Frame;
using drawtest::Image;
using drawtest::near;

// ---- backdrop ------------------------------------------------------------------

constexpr std::uint32_t kBase = 0xF3EBDD;

// A tile colour muted under the veil: close to the pale base, yet not the base itself.
bool veiled(std::uint32_t pixel) { return pixel != kBase && near(pixel, kBase, 40); }

TEST(Backdrop, VeiledCheckerWithDriftingPieces) {
    Frame f(400, 300);
    ui::drawBackdrop(f.ctx);
    // The tile at the origin: dark top-left quarter, light top-right, dark bottom-right.
    const std::uint32_t dark = f.canvas.rgb(10, 10), light = f.canvas.rgb(46, 10);
    EXPECT_TRUE(veiled(dark)) << std::hex << dark;
    EXPECT_TRUE(veiled(light)) << std::hex << light;
    EXPECT_LT(brightness(dark), brightness(light));
    EXPECT_LT(brightness(f.canvas.rgb(46, 46)), brightness(f.canvas.rgb(10, 46)));
    // The second piece (a queen, 38 units) sits at (326, 74) at t = 0; the top rows are bare.
    int marked = 0;
    for (int y = 74; y < 112; ++y)
        for (int x = 326; x < 364; ++x) marked += !near(f.canvas.rgb(x, y), light, 12) && !near(f.canvas.rgb(x, y), dark, 12);
    EXPECT_GT(marked, 20);
    for (int x = 0; x < 400; x += 7) EXPECT_TRUE(near(f.canvas.rgb(x, 5), light, 3) || near(f.canvas.rgb(x, 5), dark, 3)) << x;
}

// Left half white, right half black: a tile whose position shows from afar.
void paintMarkerTile(cairo_t* cr, void*) {
    ui::fillRect(cr, ui::Rect{0, 0, 72, 72}, 0x000000, 1.0);
    ui::fillRect(cr, ui::Rect{0, 0, 36, 72}, 0xFFFFFF, 1.0);
}

TEST(Backdrop, PatternDriftsLeftOneTileInSixSeconds) {
    Frame f(400, 300);
    ui::drawBackdrop(f.ctx);
    // The veil mutes the real checker; a marker tile under the same key shows where tiles go.
    ui::gpuDrop("backdrop:tile:72");
    ASSERT_NE(ui::gpuTexture("backdrop:tile:72", 72, 72, paintMarkerTile, nullptr), nullptr);
    // +1 where x starts a white half, -1 where it starts a black one.
    auto halfAt = [&](double t, int x) {
        f.clear();
        f.ctx.t = t;
        ui::drawBackdrop(f.ctx);
        const int here = brightness(f.canvas.rgb(x, 10)), next = brightness(f.canvas.rgb(x + 36, 10));
        return here > next + 60 ? 1 : here + 60 < next ? -1 : 0;
    };
    for (double t : {0.0, 6.0, 12.0}) {
        EXPECT_EQ(halfAt(t, 10), 1) << t;  // tiles start at x = -72: 0..36 is a left half
        EXPECT_EQ(halfAt(t, 46), -1) << t;
    }
    EXPECT_EQ(halfAt(3, 10), -1) << "moved 36 units to the left";
    EXPECT_EQ(halfAt(3, 46), 1);
}

TEST(Backdrop, TileIsCachedByItsPixelSize) {
    Frame f(400, 300);
    ui::drawBackdrop(f.ctx);
    EXPECT_TRUE(drawtest::isCached("backdrop:tile:72", 72, 72));
    f.ctx.ui = 1.5;
    ui::drawBackdrop(f.ctx);
    EXPECT_TRUE(drawtest::isCached("backdrop:tile:108", 108, 108));
    f.ctx.ui = 1.0;
    ui::gpuSetScale(2.0);
    ui::drawBackdrop(f.ctx);
    EXPECT_TRUE(drawtest::isCached("backdrop:tile:144", 144, 144));

    // A drawn backdrop does not repaint its tile in later frames.
    const int entries = ui::gpuCacheSize();
    ui::drawBackdrop(f.ctx);
    EXPECT_EQ(ui::gpuCacheSize(), entries);
}

// ---- titles --------------------------------------------------------------------

TEST(AnimatedTitle, CycleLengthAndDefaultStagger) {
    for (double fallback : {0.6, 0.0, -2.0}) EXPECT_NEAR(ui::animatedTitleCycle(fallback), 13.26, 1e-9) << fallback;
    EXPECT_LT(ui::animatedTitleCycle(0.3), 13.26) << "a shorter stagger shortens the cycle";
}

// The title of 48 px centred in an 800-wide frame: 15 cells of 0.62 of the size.
constexpr double kCellX0 = 400 - 15 * 0.62 * 48 / 2;
constexpr double kCellW = 0.62 * 48;

void drawTitleAt(Frame& f, double t, double stagger) {
    f.clear();
    f.ctx.t = t;
    ui::drawAnimatedTitle(f.ctx, 400, 50, 800, 48, stagger);
}

// Letters are cached pictures blitted like the pieces: nothing goes on the overlay.
TEST(AnimatedTitle, LettersAppearInTurnHoldAndFade) {
    Frame f(800, 160);
    auto inkInCell = [&](int i) {
        const int x0 = static_cast<int>(kCellX0 + i * kCellW);
        int ink = 0;
        for (int y = 40; y < 120; ++y)
            for (int x = x0; x < x0 + static_cast<int>(kCellW); ++x) ink += f.canvas.rgb(x, y) != 0;
        return ink;
    };

    drawTitleAt(f, 0.9, 0.6);  // the first letter stands, the fifth has not even a piece yet
    EXPECT_GT(inkInCell(0), 50);
    EXPECT_EQ(inkInCell(4), 0);
    EXPECT_TRUE(f.overlay.blank());

    drawTitleAt(f, 10.0, 0.6);  // the hold: every letter but the space, and no pieces left
    for (int i = 0; i < 15; ++i) EXPECT_EQ(inkInCell(i) > 20, i != 9) << i;
    // Letters take the title colours in turn, a repeated letter too ('a' at 3 and 5, 's' at 8 and 13).
    for (int i : {2, 3, 5, 8, 13}) {
        const std::uint32_t expected = theme::titleColors()[i % theme::titleColors().size()];
        const int x0 = static_cast<int>(kCellX0 + i * kCellW);
        bool found = false;
        for (int y = 50; y < 110 && !found; ++y)
            for (int x = x0; x < x0 + static_cast<int>(kCellW) && !found; ++x) found = near(f.canvas.rgb(x, y), expected, 2);
        EXPECT_TRUE(found) << "letter " << i;
    }
    EXPECT_TRUE(f.overlay.blank());

    drawTitleAt(f, 13.0, 0.6);  // faded out, in the pause before the next cycle
    EXPECT_TRUE(f.canvas.allOf(0));
}

// The title's pixels at time t.
std::vector<std::uint32_t> titleAt(Frame& f, double t, double stagger) {
    drawTitleAt(f, t, stagger);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 800; ++x) pixels.push_back(f.canvas.rgb(x, y));
    return pixels;
}

TEST(AnimatedTitle, RepeatsEveryCycleAndNonPositiveStaggerMeansDefault) {
    Frame f(800, 160);
    EXPECT_EQ(titleAt(f, 10.0, 0.6), titleAt(f, 10.0 + 13.26, 0.6));
    const std::vector<std::uint32_t> early = titleAt(f, 3.3, 0.6);
    for (double fallback : {0.0, -1.0}) EXPECT_EQ(titleAt(f, 3.3, fallback), early) << fallback;
    EXPECT_NE(titleAt(f, 3.3, 0.3), early);
}

// Bounding box of the overlay's ink: left, top, right, bottom.
std::array<int, 4> inkBox(Image& img) {
    std::array<int, 4> box{img.w(), img.h(), -1, -1};
    for (int y = 0; y < img.h(); ++y)
        for (int x = 0; x < img.w(); ++x)
            if (img.alpha(x, y) > 0) box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    return box;
}

TEST(PlainTitle, CentredBoldBrownAndFitsTheWindow) {
    Frame f(600, 120);
    ui::drawPlainTitle(f.ctx, 300, 20, "Gallery", 30.4);
    const auto [left, top, right, bottom] = inkBox(f.overlay);
    ASSERT_GE(right, 0);
    EXPECT_NEAR((left + right) / 2.0, 300, 3);
    EXPECT_NEAR((top + bottom) / 2.0, 38, 5);  // box centred 0.6 of the size below y
    int opaqueBrown = 0;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            opaqueBrown += f.overlay.alpha(x, y) == 255 && near(f.overlay.rgb(x, y), 0x8A4B1C, 1);
    EXPECT_GT(opaqueBrown, 50);

    Frame narrow(200, 120);
    ui::drawPlainTitle(narrow.ctx, 100, 20, "Orlavan's Chess", 24);  // about 215 wide unscaled
    const auto box = inkBox(narrow.overlay);
    EXPECT_LE(box[2] - box[0] + 1, 200 - 48 + 2);
    EXPECT_GE(box[2] - box[0] + 1, 130);
}

// ---- die -----------------------------------------------------------------------

class DieFace : public ::testing::Test {
protected:
    static constexpr std::uint32_t kPip = 0x202040;

    void draw(int value, double angle) {
        img_.clear();
        ui::drawDie(img_.cr(), ui::Rect{50, 40, 100, 120}, value, angle, 0xFFFFFF, kPip);
    }
    // Which cells of the 3 x 3 grid show a pip, row by row; the face is 100 wide around (100, 100).
    std::string pips() {
        std::string out;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) {
                const int x = 100 + (c - 1) * 26, y = 100 + (r - 1) * 26;
                EXPECT_EQ(img_.alpha(x, y), 255);
                out += near(img_.rgb(x, y), kPip, 2) ? '1' : '0';
            }
        return out;
    }
    Image img_{200, 200};
};

TEST_F(DieFace, EveryValueShowsItsPipsOutOfRangeIsClampedAndTurnsAboutItsCentre) {
    const char* expected[] = {"000010000", "100000001", "100010001", "101000101", "101010101", "101101101"};
    for (int v = 1; v <= 6; ++v) {
        draw(v, 0);
        EXPECT_EQ(pips(), expected[v - 1]) << v;
    }
    for (auto [v, shown] : {std::pair{0, 0}, {9, 5}}) {
        draw(v, 0);
        EXPECT_EQ(pips(), expected[shown]) << v;
    }
    draw(2, M_PI / 2);  // a quarter turn clockwise moves the diagonal
    EXPECT_EQ(pips(), "001000100");
}

TEST_F(DieFace, OutlineAndShadow) {
    draw(1, 0);
    EXPECT_LT(channelOf(img_.rgb(51, 100), 16), 0xE0) << "darker outline on the white body";
    EXPECT_EQ(img_.alpha(100, 45), 0) << "no shadow above";
    EXPECT_GT(img_.alpha(104, 153), 0) << "shadow below and to the right";
    EXPECT_EQ(img_.alpha(100, 170), 0) << "but not far";
}

}  // namespace
