// Widgets: click handling, the slider's grab area, scrolling with drag and
// fling, the confirmation dialog, star reveal and the time formats.
#include <cairo.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "ui/app.h"
#include "ui/widgets.h"

namespace {

// A frame overlay of w x h pixels with a context that widgets draw on.
class Overlay {
public:
    Overlay(int w, int h)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)), cr_(cairo_create(surface_)) {
        ctx.cr = cr_;
        ctx.w = w;
        ctx.h = h;
        ctx.ui = 1.0;
        ctx.dt = 1.0 / 60;
    }
    ~Overlay() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    // Starts a new frame the way the frame loop does: fresh input, no click taken.
    void frame(const ui::Input& in) {
        ctx.in = in;
        ctx.clickUsed = false;
        ctx.t += ctx.dt;
    }

    void clear() {
        cairo_save(cr_);
        cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr_);
        cairo_restore(cr_);
    }

    // Premultiplied ARGB of a pixel.
    std::uint32_t pixel(int x, int y) {
        cairo_surface_flush(surface_);
        const unsigned char* data = cairo_image_surface_get_data(surface_);
        const int stride = cairo_image_surface_get_stride(surface_);
        return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    }
    int alpha(int x, int y) { return static_cast<int>(pixel(x, y) >> 24); }
    // Colour of an opaque pixel as 0xRRGGBB.
    std::uint32_t rgb(int x, int y) { return pixel(x, y) & 0xFFFFFF; }

    ui::Ctx ctx;

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

ui::Input releaseAt(double x, double y) {
    ui::Input in;
    in.mouseX = x;
    in.mouseY = y;
    in.released = true;
    return in;
}

ui::Input heldAt(double x, double y, double dragDy = 0) {
    ui::Input in;
    in.mouseX = x;
    in.mouseY = y;
    in.mouseDown = true;
    in.dragDy = dragDy;
    return in;
}

bool near(std::uint32_t a, std::uint32_t b, int tolerance = 3) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > tolerance) return false;
    }
    return true;
}

// ---- clicks --------------------------------------------------------------------

TEST(WidgetClicks, OnlyTheFirstWidgetOfAFrameTakesARelease) {
    Overlay o(400, 300);
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

    // A press or a held button is not a click.
    ui::Input press = heldAt(150, 90);
    press.pressed = true;
    o.frame(press);
    EXPECT_FALSE(ui::menuButton(o.ctx, a, "First", true));
    EXPECT_FALSE(o.ctx.clickUsed);
}

TEST(WidgetClicks, LetterButtonNeverClicksWhenDisabled) {
    Overlay o(200, 200);
    const ui::Rect r{20, 20, 60, 60};
    o.frame(releaseAt(50, 50));
    EXPECT_FALSE(ui::letterButton(o.ctx, r, "A", true));
    EXPECT_FALSE(o.ctx.clickUsed);
    EXPECT_TRUE(ui::letterButton(o.ctx, r, "A", false));
}

TEST(WidgetClicks, ToggleRowFlipsOnlyInTheFrameOfTheClick) {
    Overlay o(500, 100);
    const ui::Rect row{20, 20, 400, 50};  // track from x 362 to 414, knob radius 11
    const int knobOff = 362 + 14;
    const int knobOn = 414 - 14;
    const int cy = 45;

    o.frame(ui::Input{});
    EXPECT_FALSE(ui::toggleRow(o.ctx, row, "Sound", false));
    EXPECT_EQ(o.rgb(knobOff, cy), 0xFFFFFFu);     // knob at the left end
    EXPECT_LT(o.alpha(knobOn, cy), 255);          // cream track is translucent there
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", true));

    o.clear();
    o.frame(releaseAt(100, 40));
    EXPECT_TRUE(ui::toggleRow(o.ctx, row, "Sound", false));
    // Drawn in its new state: knob on the right over the brown track.
    EXPECT_EQ(o.rgb(knobOn, cy), 0xFFFFFFu);
    EXPECT_TRUE(near(o.rgb(knobOff, cy), ui::kWidgetPrimary));
    EXPECT_EQ(o.alpha(knobOff, cy), 255);
}

// ---- slider --------------------------------------------------------------------

TEST(Slider, GrabAreaReachesBeyondTheTrack) {
    Overlay o(600, 200);
    o.ctx.ui = 1.5;  // margins 18 left and right, 15 above and below
    const ui::Rect r{100, 80, 300, 20};

    o.frame(heldAt(250, 90));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.1), 0.5);
    EXPECT_TRUE(o.ctx.clickUsed);

    o.frame(heldAt(100 - 17, 90));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.0);
    o.frame(heldAt(400 + 17, 90));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 1.0);
    o.frame(heldAt(160, 80 - 14));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.2);
    o.frame(heldAt(160, 100 + 14));
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.2);

    // Just outside the grab area, or not held: the value passes through untouched.
    for (const ui::Input& in : {heldAt(100 - 19, 90), heldAt(250, 80 - 16), heldAt(250, 100 + 16)}) {
        o.frame(in);
        EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.3);
        EXPECT_FALSE(o.ctx.clickUsed);
    }
    ui::Input hover;
    hover.mouseX = 250;
    hover.mouseY = 90;
    o.frame(hover);
    EXPECT_DOUBLE_EQ(ui::slider(o.ctx, r, 0.3), 0.3);
}

TEST(Slider, FilledPartEndsAtTheValue) {
    Overlay o(400, 100);
    const ui::Rect r{100, 40, 200, 20};
    o.frame(ui::Input{});
    ui::slider(o.ctx, r, 0.5);
    EXPECT_TRUE(near(o.rgb(130, 50), ui::kWidgetPrimary));  // filled, left of the knob
    EXPECT_EQ(o.rgb(200, 50), 0xFFFFFFu);                   // knob centre
    EXPECT_LT(o.alpha(270, 50), 255);                       // unfilled cream track
}

// ---- scrolling -----------------------------------------------------------------

// A list of 1000 units in an area of 200, with one item button at its top.
struct ScrollList {
    ui::Rect area{50, 50, 300, 200};
    ui::Rect item{50, 50, 300, 40};
    double content = 1000;
    double scroll = 0;

    // One frame: the list scrolls first, then its item asks for the click.
    bool step(Overlay& o, const ui::Input& in) {
        o.frame(in);
        ui::applyScroll(o.ctx, area, content, &scroll);
        return ui::plainButton(o.ctx, item, "Item", false);
    }
};

// Presses on the list at y, drags by total units in steps, then releases there.
bool dragAndRelease(Overlay& o, ScrollList& list, double y, double total, int steps) {
    ui::Input press = heldAt(100, y);
    press.pressed = true;
    list.step(o, press);
    for (int i = 0; i < steps; ++i) list.step(o, heldAt(100, y, -total / steps));
    return list.step(o, releaseAt(100, 70));
}

TEST(Scroll, ShortDragStillClicksLongDragDoesNot) {
    Overlay o(400, 300);
    {
        ScrollList list;
        EXPECT_TRUE(dragAndRelease(o, list, 70, 4, 2));
        EXPECT_GE(list.scroll, 4);  // the release frame already coasts a little
    }
    {
        ScrollList list;
        EXPECT_FALSE(dragAndRelease(o, list, 70, 6, 3));
        EXPECT_FALSE(o.ctx.scrollDrag.active);
    }
    // A drag going back and forth counts the distance travelled, not the net offset.
    {
        ScrollList list;
        ui::Input press = heldAt(100, 70);
        press.pressed = true;
        list.step(o, press);
        list.step(o, heldAt(100, 70, -4));
        list.step(o, heldAt(100, 70, 3));
        EXPECT_FALSE(list.step(o, releaseAt(100, 70)));
    }
}

TEST(Scroll, WheelMovesSixtyUnitsPerNotchAndShortListsStay) {
    Overlay o(400, 300);
    o.ctx.ui = 1.5;
    ScrollList list;
    ui::Input wheel;
    wheel.mouseX = 100;
    wheel.mouseY = 100;
    wheel.wheel = -2;  // two notches towards the user: down the list
    list.step(o, wheel);
    EXPECT_DOUBLE_EQ(list.scroll, 180);
    wheel.wheel = 1;
    list.step(o, wheel);
    EXPECT_DOUBLE_EQ(list.scroll, 90);
    wheel.wheel = 5;
    list.step(o, wheel);
    EXPECT_DOUBLE_EQ(list.scroll, 0);

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
    ui::Input press = heldAt(100, 100);
    press.pressed = true;
    shortList.step(o, press);
    EXPECT_FALSE(o.ctx.scrollDrag.active);
}

TEST(Scroll, FlingCoastsAndStopsBelowTwentyUnitsPerSecond) {
    Overlay o(400, 300);
    ScrollList list;
    list.content = 100000;
    ui::Input press = heldAt(100, 150);
    press.pressed = true;
    list.step(o, press);
    for (int i = 0; i < 10; ++i) list.step(o, heldAt(100, 150, -10));  // 600 units/s upwards
    list.step(o, releaseAt(100, 150));
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
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);
    EXPECT_LT(frames, 60);  // e^(-6t) takes ~0.5 s from 600 to 20
    EXPECT_GT(list.scroll, atRelease + 50);
    const double resting = list.scroll;
    list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, resting);
}

TEST(Scroll, FlingStopsAtTheEndsAndOnATouch) {
    Overlay o(400, 300);
    ScrollList list;  // max scroll 800
    ui::Input press = heldAt(100, 150);
    press.pressed = true;
    list.step(o, press);
    for (int i = 0; i < 10; ++i) list.step(o, heldAt(100, 150, -60));  // 3600 units/s
    list.step(o, releaseAt(100, 150));
    for (int i = 0; i < 120 && o.ctx.scrollDrag.velocity != 0; ++i) list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, 800);
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);

    // Fling upwards, then a touch elsewhere holds it.
    list.step(o, press);
    for (int i = 0; i < 5; ++i) list.step(o, heldAt(100, 150, 20));
    list.step(o, releaseAt(100, 150));
    list.step(o, ui::Input{});
    ASSERT_LT(o.ctx.scrollDrag.velocity, -20);
    list.step(o, heldAt(380, 20));  // button held outside the list
    EXPECT_EQ(o.ctx.scrollDrag.velocity, 0);
    const double held = list.scroll;
    list.step(o, ui::Input{});
    EXPECT_DOUBLE_EQ(list.scroll, held);
}

TEST(Scroll, ScrollbarThumbFollowsTheOffset) {
    Overlay o(400, 300);
    const ui::Rect area{50, 50, 300, 200};
    o.frame(ui::Input{});
    ui::scrollbar(o.ctx, area, 150, 0);  // content fits: nothing
    EXPECT_EQ(o.alpha(344, 60), 0);

    // Track 192, thumb max(200 * 192 / 800, 30) = 48; at the end its top is 54 + 144 = 198.
    ui::scrollbar(o.ctx, area, 800, 600);
    EXPECT_EQ(o.alpha(344, 100), 0);
    EXPECT_GT(o.alpha(344, 220), 80);
    EXPECT_EQ(o.alpha(344, 250), 0);
}

// ---- dialog --------------------------------------------------------------------

TEST(ConfirmDialog, AnswersByButtonPanelAndKeys) {
    Overlay o(800, 600);
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
    EXPECT_EQ(ask(ui::Input{}), 0);

    ui::Input keys;
    keys.keys = {SDLK_KP_ENTER};
    EXPECT_EQ(ask(keys), 1);
    keys.keys = {SDLK_RETURN};
    EXPECT_EQ(ask(keys), 1);
    keys.keys = {SDLK_RETURN, SDLK_ESCAPE};
    EXPECT_EQ(ask(keys), -1);
    ui::Input clickAndEscape = releaseAt(500, 377);
    clickAndEscape.keys = {SDLK_ESCAPE};
    EXPECT_EQ(ask(clickAndEscape), -1);

    // A click already taken this frame by something drawn before is not an answer.
    o.frame(releaseAt(500, 377));
    o.ctx.clickUsed = true;
    EXPECT_EQ(ui::confirmDialog(o.ctx, "Leave?", "", "Yes", "No"), 0);
}

TEST(ConfirmDialog, DimsTheWindowAndDrawsThePanel) {
    Overlay o(800, 600);
    o.frame(ui::Input{});
    ui::confirmDialog(o.ctx, "Leave?", "The game is kept.", "Yes", "No");
    EXPECT_NEAR(o.alpha(20, 20), 178, 1);  // black at 0.7
    EXPECT_EQ(o.rgb(20, 20), 0u);
    EXPECT_GT(o.alpha(200, 250), 250);  // the panel is nearly opaque
    EXPECT_TRUE(near(o.rgb(440, 377), ui::kWidgetPrimary, 25));  // ok button's fill
}

// ---- back button and header ----------------------------------------------------

TEST(BackButton, HeaderReportsTheBackClick) {
    Overlay o(1280, 720);
    bool back = false;
    o.frame(releaseAt(40, 30));
    ui::screenHeader(o.ctx, "Settings", &back);
    EXPECT_TRUE(back);
    o.frame(releaseAt(640, 30));
    ui::screenHeader(o.ctx, "Settings", &back);
    EXPECT_FALSE(back);
    EXPECT_FALSE(o.ctx.clickUsed);
    ui::screenHeader(o.ctx, "Settings", nullptr);  // no pointer: drawn all the same
    EXPECT_GT(o.alpha(100, 30), 200);
}

// ---- stars ---------------------------------------------------------------------

TEST(StarRating, StarsPopInOneAfterAnother) {
    Overlay o(400, 120);
    // Size 60: centres at 200 - 81 = 119, 200, 281.
    ui::starRating(o.ctx.cr, 200, 60, 60, 3, 3, 0.5);
    EXPECT_EQ(o.alpha(119, 60), 255);
    EXPECT_TRUE(near(o.rgb(119, 60), ui::kWidgetStarGold));
    const int half = o.alpha(200, 60);  // a = 0.5
    EXPECT_NEAR(half, 128, 3);
    EXPECT_EQ(o.alpha(281, 60), 0);
    // The growing star is smaller: its tip stops short of the full star's.
    EXPECT_GT(o.alpha(119, 60 - 29), 0);
    EXPECT_EQ(o.alpha(200, 60 - 29), 0);
}

TEST(StarRating, UnearnedStarsAreOnlyOutlined) {
    Overlay o(400, 120);
    ui::starRating(o.ctx.cr, 200, 60, 60, 1, 3, 1.0);
    EXPECT_EQ(o.alpha(119, 60), 255);
    EXPECT_EQ(o.alpha(200, 60), 0);  // hollow
    EXPECT_EQ(o.alpha(281, 60), 0);
    EXPECT_GT(o.alpha(200, 31), 0);  // its outline near the top point
    EXPECT_LT(o.alpha(200, 31), 100);
}

// ---- formatting ----------------------------------------------------------------

TEST(Format, TimeSwitchesToHoursAtOneHour) {
    EXPECT_EQ(ui::formatTime(0), "00:00");
    EXPECT_EQ(ui::formatTime(59999), "00:59");
    EXPECT_EQ(ui::formatTime(754000), "12:34");
    EXPECT_EQ(ui::formatTime(3599999), "59:59");
    EXPECT_EQ(ui::formatTime(3600000), "1:00:00");
    EXPECT_EQ(ui::formatTime(36000000 + 61000), "10:01:01");
    EXPECT_EQ(ui::formatTime(-5000), "00:00");
}

TEST(Format, DateTimeIsLocalDayMonthYear) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC0", 1);
    tzset();
    EXPECT_EQ(ui::formatDateTime(0), "01.01.1970 00:00");
    EXPECT_EQ(ui::formatDateTime(1700000000123LL), "14.11.2023 22:13");
    setenv("TZ", "CET-1", 1);  // one hour east, no database needed
    tzset();
    EXPECT_EQ(ui::formatDateTime(1700000000123LL), "14.11.2023 23:13");
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace
