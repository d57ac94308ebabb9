// Widgets: click handling, the slider's grab area, scrolling with drag and
// fling, the confirmation dialog, star reveal and the time formats.
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
    const ui::Rect row{20, 20, 400, 50};  // track from x 362 to 414, knob radius 11
    const int knobOff = 362 + 14;
    const int knobOn = 414 - 14;
    const int cy = 45;

    o.frame(ui::Input{});
    EXPECT_FALSE(ui::toggleRow(o.ctx, row, "Sound", false));
    EXPECT_EQ(o.overlay.rgb(knobOff, cy), 0xFFFFFFu);  // knob at the left end
    EXPECT_LT(o.overlay.alpha(knobOn, cy), 255);       // cream track is translucent there
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", true));

    o.overlay.clear();
    o.frame(releaseAt(100, 40));
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", false));
    // Drawn in its new state: knob on the right over the brown track.
    EXPECT_EQ(o.overlay.rgb(knobOn, cy), 0xFFFFFFu);
    EXPECT_TRUE(near(o.overlay.rgb(knobOff, cy), ui::kWidgetPrimary));
    EXPECT_EQ(o.overlay.alpha(knobOff, cy), 255);
}

// ---- slider --------------------------------------------------------------------

TEST(Slider, GrabAreaReachesBeyondTheTrack) {
    Frame o(600, 200);
    o.ctx.ui = 1.5;  // margins 18 left and right, 15 above and below
    const ui::Rect r{100, 80, 300, 20};

    o.frame(heldAt(250, 90));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.1), 0.5);
    EXPECT_TRUE(o.ctx.clickUsed);

    struct Grab {
        double x, y, value;
    };
    for (const Grab& g : {Grab{100 - 17, 90, 0.0}, {400 + 17, 90, 1.0}, {160, 80 - 14, 0.2}, {160, 100 + 14, 0.2}}) {
        o.frame(heldAt(g.x, g.y));
        EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), g.value) << g.x << "," << g.y;
    }
    // A click whose press and release fall in one frame moves it too.
    ui::Input click = releaseAt(340, 90);
    click.pressed = true;
    o.frame(click);
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.8);

    // Just outside the grab area, or not held: the value passes through untouched.
    for (const ui::Input& in :
         {heldAt(100 - 19, 90), heldAt(250, 80 - 16), heldAt(250, 100 + 16), drawtest::pointerAt(250, 90)}) {
        o.frame(in);
        EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.3);
        EXPECT_FALSE(o.ctx.clickUsed);
    }
}

TEST(Slider, FilledPartEndsAtTheValue) {
    Frame o(400, 100);
    o.frame(ui::Input{});
    ui::slider(o.ctx, ui::Rect{100, 40, 200, 20}, 0.5);
    EXPECT_TRUE(near(o.overlay.rgb(130, 50), ui::kWidgetPrimary));  // filled, left of the knob
    EXPECT_EQ(o.overlay.rgb(200, 50), 0xFFFFFFu);                   // knob centre
    EXPECT_LT(o.overlay.alpha(270, 50), 255);                       // unfilled cream track
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

TEST(Scroll, WheelMovesSixtyUnitsPerNotchAndShortListsStay) {
    Frame o(400, 300);
    o.ctx.ui = 1.5;
    ScrollList list;
    ui::Input wheel = drawtest::pointerAt(100, 100);
    for (auto [notches, expected] : {std::pair{-2, 180.0}, {1, 90.0}, {5, 0.0}}) {
        wheel.wheel = notches;  // negative: towards the user, down the list
        list.step(o, wheel);
        EXPECT_DOUBLE_EQ(list.scroll, expected) << notches;
    }
    // Outside the area the wheel does nothing.
    wheel.mouseX = 380;
    wheel.wheel = -1;
    list.step(o, wheel);
    EXPECT_DOUBLE_EQ(list.scroll, 0);

    ScrollList shortList;
    shortList.content = 150;
    wheel.mouseX = 100;
    shortList.step(o, wheel);
    EXPECT_DOUBLE_EQ(shortList.scroll, 0);
    shortList.step(o, pressAt(100, 100));
    EXPECT_FALSE(o.ctx.scrollDrag.active);
}

TEST(Scroll, FlingCoastsAndStopsBelowTwentyUnitsPerSecond) {
    Frame o(400, 300);
    ScrollList list;
    list.content = 100000;
    list.drag(o, 150, {-10, -10, -10, -10, -10, -10, -10, -10, -10, -10});  // 600 units/s upwards
    const double atRelease = list.scroll;
    EXPECT_GT(o.ctx.scrollDrag.velocity, 400);

    int frames = 0;
    double previous = list.scroll;
    while (o.ctx.scrollDrag.velocity != 0 && frames < 1000) {
        list.step(o, ui::Input{});
        EXPECT_GT(list.scroll, previous);
        previous = list.scroll;
        ++frames;
    }
    EXPECT_LT(frames, 60);  // e^(-6t) takes ~0.5 s from 600 to 20
    EXPECT_GT(list.scroll, atRelease + 50);
    list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, previous);
}

TEST(Scroll, FlingStopsAtTheEndsAndOnATouch) {
    Frame o(400, 300);
    ScrollList list;  // max scroll 800
    list.drag(o, 150, {-60, -60, -60, -60, -60, -60, -60, -60, -60, -60});  // 3600 units/s
    for (int i = 0; i < 120 && o.ctx.scrollDrag.velocity != 0; ++i) list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, 800);
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);

    // Fling upwards, then a touch elsewhere holds it.
    list.drag(o, 150, {20, 20, 20, 20, 20});
    list.step(o, ui::Input{});
    ASSERT_LT(o.ctx.scrollDrag.velocity, -20);
    list.step(o, heldAt(380, 20));  // button held outside the list
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);
    const double held = list.scroll;
    list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, held);
}

TEST(Scroll, ScrollbarThumbFollowsTheOffset) {
    Frame o(400, 300);
    const ui::Rect area{50, 50, 300, 200};
    o.frame(ui::Input{});
    ui::scrollbar(o.ctx, area, 150, 0);  // content fits: nothing
    EXPECT_EQ(o.overlay.alpha(344, 60), 0);

    // At the end of 800 units the thumb sits at the bottom of the track.
    ui::scrollbar(o.ctx, area, 800, 600);
    EXPECT_EQ(o.overlay.alpha(344, 100), 0);
    EXPECT_GT(o.overlay.alpha(344, 220), 80);
    EXPECT_EQ(o.overlay.alpha(344, 250), 0);
}

// ---- dialog --------------------------------------------------------------------

TEST(ConfirmDialog, AnswersByButtonPanelAndKeys) {
    Frame o(800, 600);
    // Panel 420 x 240 at (190, 180); buttons 46 high at y 354: cancel x 210..390, ok x 410..590.
    auto ask = [&](const ui::Input& in) {
        o.frame(in);
        const int answer = ui::confirmDialog(o.ctx, "Leave?", "The game is kept.", "Yes", "No");
        EXPECT_TRUE(o.ctx.clickUsed);  // nothing behind the dialog can be clicked
        return answer;
    };
    EXPECT_EQ(ask(releaseAt(500, 377)), 1);
    EXPECT_EQ(ask(releaseAt(300, 377)), -1);
    EXPECT_EQ(ask(releaseAt(50, 50)), -1);
    EXPECT_EQ(ask(releaseAt(400, 288)), 0);  // on the message
    o.overlay.clear();
    EXPECT_EQ(ask(ui::Input{}), 0);
    // The window is dimmed (black at 0.7), the panel nearly opaque, the ok button filled.
    EXPECT_EQ(o.overlay.argb(20, 20), 0xB3000000u);
    EXPECT_GT(o.overlay.alpha(200, 250), 250);
    EXPECT_TRUE(near(o.overlay.rgb(440, 377), ui::kWidgetPrimary, 25));

    auto withKeys = [](ui::Input in, std::vector<int> keys) {
        in.keys = std::move(keys);
        return in;
    };
    EXPECT_EQ(ask(withKeys({}, {SDLK_KP_ENTER})), 1);
    EXPECT_EQ(ask(withKeys({}, {SDLK_RETURN})), 1);
    EXPECT_EQ(ask(withKeys({}, {SDLK_RETURN, SDLK_ESCAPE})), -1);
    EXPECT_EQ(ask(withKeys(releaseAt(500, 377), {SDLK_ESCAPE})), -1);

    // A click already taken this frame by something drawn before is not an answer.
    o.frame(releaseAt(500, 377));
    o.ctx.clickUsed = true;
    EXPECT_EQ(ui::confirmDialog(o.ctx, "Leave?", "", "Yes", "No"), 0);
}

TEST(BackButton, HeaderReportsTheBackClick) {
    Frame o(1280, 720);
    bool back = false;
    o.frame(releaseAt(40, 30));
    ui::screenHeader(o.ctx, "Settings", &back);
    EXPECT_TRUE(back);
    o.frame(releaseAt(640, 30));
    ui::screenHeader(o.ctx, "Settings", &back);
    EXPECT_FALSE(back);
    EXPECT_FALSE(o.ctx.clickUsed);
    ui::screenHeader(o.ctx, "Settings", nullptr);  // no pointer: drawn all the same
    EXPECT_GT(o.overlay.alpha(100, 30), 200);
}

// ---- stars ---------------------------------------------------------------------

TEST(StarRating, StarsPopInOneAfterAnotherAndUnearnedAreOutlined) {
    // Size 60: centres at 119, 200 and 281.
    Frame popping(400, 120);
    ui::starRating(popping.ctx.cr, 200, 60, 60, 3, 3, 0.5);
    EXPECT_EQ(popping.overlay.alpha(119, 60), 255);
    EXPECT_TRUE(near(popping.overlay.rgb(119, 60), ui::kWidgetStarGold));
    EXPECT_NEAR(popping.overlay.alpha(200, 60), 128, 3);  // half way in
    EXPECT_EQ(popping.overlay.alpha(281, 60), 0);
    // The growing star is smaller: its tip stops short of the full star's.
    EXPECT_GT(popping.overlay.alpha(119, 31), 0);
    EXPECT_EQ(popping.overlay.alpha(200, 31), 0);

    Frame oneOfThree(400, 120);
    ui::starRating(oneOfThree.ctx.cr, 200, 60, 60, 1, 3, 1.0);
    EXPECT_EQ(oneOfThree.overlay.alpha(119, 60), 255);
    EXPECT_EQ(oneOfThree.overlay.alpha(200, 60), 0);  // hollow
    EXPECT_EQ(oneOfThree.overlay.alpha(281, 60), 0);
    EXPECT_GT(oneOfThree.overlay.alpha(200, 31), 0);  // its outline near the top point
    EXPECT_LT(oneOfThree.overlay.alpha(200, 31), 100);
}

// ---- formatting ----------------------------------------------------------------

TEST(Format, TimeSwitchesToHoursAtOneHourAndDatesAreLocalDayMonthYear) {
    for (auto [ms, text] : {std::pair{0LL, "00:00"}, {59999LL, "00:59"}, {754000LL, "12:34"}, {3599999LL, "59:59"},
                            {3600000LL, "1:00:00"}, {36061000LL, "10:01:01"}, {-5000LL, "00:00"}})
        EXPECT_EQ(ui::formatTime(ms), text) << ms;

    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    for (auto [tz, ms, text] : {std::tuple{"UTC0", 0LL, "01.01.1970 00:00"}, {"UTC0", 1700000000123LL, "14.11.2023 22:13"},
                                {"CET-1", 1700000000123LL, "14.11.2023 23:13"}}) {  // one hour east, no database needed
        setenv("TZ", tz, 1);
        tzset();
        EXPECT_EQ(ui::formatDateTime(ms), text) << tz;
    }
    if (oldTz) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
