// Widgets: click handling, the slider's grab area, scrolling with drag and
// fling, and the time formats; the animated title.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "theme.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/widgets.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Frame;
using drawtest::heldAt;
using drawtest::near;
using drawtest::pressAt;
using drawtest::releaseAt;

TEST(WidgetClicks, OnlyTheFirstWidgetOfAFrameTakesARelease) {
    Frame o(400, 300);
    const ui::Rect a{50, 50, 200, 60};
    const ui::Rect b{100, 70, 200, 60};  // overlaps a

    o.frame(releaseAt(150, 90));
    EXPECT_TRUE(ui::menuButton(o.ctx, a, "First", true));
    EXPECT_FALSE(ui::menuButton(o.ctx, b, "Second", false));
    EXPECT_FALSE(ui::plainButton(o.ctx, b, "Third", false));

    // Next frame the click is fresh again; the drawing order decides.
    o.frame(releaseAt(150, 90));
    EXPECT_TRUE(ui::plainButton(o.ctx, b, "Third", false));
    EXPECT_FALSE(ui::menuButton(o.ctx, a, "First", true));

    // A press or a held button is not a click, nor a release on a disabled letter button.
    o.frame(pressAt(150, 90));
    EXPECT_FALSE(ui::menuButton(o.ctx, a, "First", true));
    o.frame(releaseAt(150, 90));
    EXPECT_FALSE(ui::letterButton(o.ctx, a, "A", true));
    EXPECT_FALSE(o.ctx.clickUsed);
    EXPECT_TRUE(ui::letterButton(o.ctx, a, "A", false));
}

TEST(WidgetClicks, ToggleRowFlipsOnlyInTheFrameOfTheClick) {
    Frame o(500, 100);
    const ui::Rect row{20, 20, 400, 50};  // track from x 362 to 414: the knob's ends at 376 and 400
    o.frame(ui::Input{});
    EXPECT_FALSE(ui::toggleRow(o.ctx, row, "Sound", false));
    EXPECT_EQ(o.overlay.rgb(376, 45), 0xFFFFFFu);
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", true));

    o.overlay.clear();
    o.frame(releaseAt(100, 40));
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", false));
    // Drawn in its new state: the white knob on the right over the brown track.
    EXPECT_EQ(o.overlay.rgb(400, 45), 0xFFFFFFu);
    EXPECT_TRUE(near(o.overlay.rgb(376, 45), ui::kWidgetPrimary));
}

TEST(WidgetClicks, SliderFollowsTheButtonWithinAGrabAreaBeyondTheTrack) {
    Frame o(600, 200);
    o.ctx.ui = 1.5;  // the grab area reaches 18 units beside the track and 15 above and below it
    const ui::Rect r{100, 80, 300, 20};
    // A click whose press and release fall in one frame moves it too.
    ui::Input click = releaseAt(340, 90);
    click.pressed = true;
    // Just outside the grab area, or not held: the value passes through untouched.
    for (auto [in, value] : {std::pair{heldAt(250, 90), 0.5}, {heldAt(83, 90), 0.0}, {heldAt(417, 90), 1.0},
                             {heldAt(160, 66), 0.2}, {heldAt(160, 114), 0.2}, {click, 0.8}, {heldAt(81, 90), 0.3},
                             {heldAt(250, 64), 0.3}, {heldAt(250, 116), 0.3}, {drawtest::pointerAt(250, 90), 0.3}}) {
        o.frame(in);
        EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), value) << in.mouseX << "," << in.mouseY;
        EXPECT_EQ(o.ctx.clickUsed, value != 0.3) << in.mouseX << "," << in.mouseY;
    }
}

// A list of 1000 units in an area of 200, with one item button at its top.
struct ScrollList {
    ui::Rect area{50, 50, 300, 200};
    ui::Rect item{50, 50, 300, 40};
    double content = 1000;
    double scroll = 0;

    // One frame: the list scrolls first, then its item asks for the click.
    bool step(Frame& o, const ui::Input& in) {
        o.frame(in);
        ui::applyScroll(o.ctx, area, content, &scroll);
        return ui::plainButton(o.ctx, item, "Item", false);
    }
    // Presses at y, drags by each step's dy there, then releases; whether the item was clicked.
    bool drag(Frame& o, double y, std::initializer_list<double> steps) {
        step(o, pressAt(100, y));
        for (double dy : steps) step(o, heldAt(100, y, dy));
        return step(o, releaseAt(100, y));
    }
};

TEST(Scroll, ShortDragStillClicksLongDragDoesNot) {
    Frame o(400, 300);
    ScrollList shortDrag, longDrag, backAndForth;
    EXPECT_TRUE(shortDrag.drag(o, 70, {-2, -2}));
    EXPECT_GE(shortDrag.scroll, 4);  // the release frame already coasts a little
    EXPECT_FALSE(longDrag.drag(o, 70, {-2, -2, -2}));
    EXPECT_FALSE(o.ctx.scrollDrag.active);
    // Going back and forth counts the distance travelled, not the net offset.
    EXPECT_FALSE(backAndForth.drag(o, 70, {-4, 3}));
}

TEST(Scroll, WheelMovesSixtyUnitsPerNotchInsideTheAreaAndShortListsStay) {
    Frame o(400, 300);
    o.ctx.ui = 1.5;
    ScrollList list, shortList;
    shortList.content = 150;
    // Negative notches go towards the user, down the list; x 380 is outside the area.
    for (auto [target, x, notches, expected] :
         {std::tuple{&list, 100, -2, 180.0}, {&list, 100, 1, 90.0}, {&list, 100, 5, 0.0}, {&list, 380, -1, 0.0},
          {&shortList, 100, -1, 0.0}}) {
        ui::Input wheel = drawtest::pointerAt(x, 100);
        wheel.wheel = notches;
        target->step(o, wheel);
        EXPECT_DOUBLE_EQ(target->scroll, expected) << x << " " << notches;
    }
    shortList.step(o, pressAt(100, 100));
    EXPECT_FALSE(o.ctx.scrollDrag.active);
}

TEST(Scroll, FlingCoastsToAStopAndStopsAtTheEndsAndOnATouch) {
    Frame o(400, 300);
    ScrollList list;  // max scroll 800
    list.drag(o, 150, {-10, -10, -10, -10, -10, -10, -10, -10, -10, -10});  // 600 units/s upwards
    const double atRelease = list.scroll;
    int frames = 0;
    for (; frames < 1000 && o.ctx.scrollDrag.velocity != 0; ++frames) list.step(o, ui::Input{});
    EXPECT_LT(frames, 60);  // e^(-6t) takes ~0.5 s from 600 to the stop at 20
    EXPECT_GT(list.scroll, atRelease + 50);

    list.drag(o, 150, {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60});  // 3600 units/s
    for (int i = 0; i < 120 && o.ctx.scrollDrag.velocity != 0; ++i) list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, 800);
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);

    // Fling downwards, then a touch elsewhere holds it.
    list.drag(o, 150, {20, 20, 20, 20, 20});
    list.step(o, ui::Input{});
    ASSERT_LT(o.ctx.scrollDrag.velocity, -20);
    list.step(o, heldAt(380, 20));  // button held outside the list
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);
    const double held = list.scroll;
    list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, held);
}

TEST(Format, TimeSwitchesToHoursAtOneHourAndDatesAreLocalDayMonthYear) {
    for (auto [ms, text] : {std::pair{0LL, "00:00"}, {59999LL, "00:59"}, {754000LL, "12:34"}, {3599999LL, "59:59"},
                            {3600000LL, "1:00:00"}, {36061000LL, "10:01:01"}, {-5000LL, "00:00"}})
        EXPECT_EQ(ui::formatTime(ms), text) << ms;

    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    // CET-1 is one hour east and needs no time zone database.
    for (auto [tz, ms, text] : {std::tuple{"UTC0", 0LL, "01.01.1970 00:00"},
                                {"UTC0", 1700000000123LL, "14.11.2023 22:13"},
                                {"CET-1", 1700000000123LL, "14.11.2023 23:13"}}) {
        setenv("TZ", tz, 1);
        tzset();
        EXPECT_EQ(ui::formatDateTime(ms), text) << tz;
    }
    oldTz ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

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

}  // namespace
