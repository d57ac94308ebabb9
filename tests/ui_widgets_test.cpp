// Widgets: click handling, the slider's grab area, scrolling with drag and
// fling, the confirmation dialog and the time formats.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "ui/app.h"
#include "ui/widgets.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Frame;
using drawtest::heldAt;
using drawtest::near;
using drawtest::pressAt;
using drawtest::releaseAt;

// ---- clicks --------------------------------------------------------------------

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

// ---- scrolling -----------------------------------------------------------------

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

// ---- dialog ---------------------------------------------------------

TEST(ConfirmDialog, AnswersByButtonPanelAndKeys) {
    Frame o(800, 600);
    auto withKeys = [](ui::Input in, std::vector<int> keys) {
        in.keys = std::move(keys);
        return in;
    };
    // Panel 420 x 240 at (190, 180); buttons 46 high at y 354: cancel x 210..390, ok x 410..590.
    for (auto [in, answer] : {std::pair{releaseAt(500, 377), 1}, {releaseAt(300, 377), -1}, {releaseAt(50, 50), -1},
                              {releaseAt(400, 288), 0}, {ui::Input{}, 0}, {withKeys({}, {SDLK_KP_ENTER}), 1},
                              {withKeys({}, {SDLK_RETURN}), 1}, {withKeys({}, {SDLK_RETURN, SDLK_ESCAPE}), -1},
                              {withKeys(releaseAt(500, 377), {SDLK_ESCAPE}), -1}}) {
        o.frame(in);
        EXPECT_EQ(ui::confirmDialog(o.ctx, "Leave?", "The game is kept.", "Yes", "No"), answer) << in.mouseX;
        EXPECT_TRUE(o.ctx.clickUsed);  // nothing behind the dialog can be clicked
    }
    // A click already taken this frame by something drawn before is not an answer.
    o.frame(releaseAt(500, 377));
    o.ctx.clickUsed = true;
    EXPECT_EQ(ui::confirmDialog(o.ctx, "Leave?", "", "Yes", "No"), 0);
}

// ---- formatting ----------------------------------------------------------------

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

}  // namespace
