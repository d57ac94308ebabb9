// The screen stack, the frame context's click rules and the start-up rules.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include <SDL_keycode.h>

#include "ui/app.h"
#include "ui/startup.h"

namespace {

ui::GameState stateOf(ui::ScreenKind kind) {
    ui::GameState s;
    s.kind = kind;
    return s;
}

// Push, replace and pop apply in order, and a pop never takes the last screen.
TEST(ScreenStack, OperationsApplyInOrderAndTheStackNeverEmpties) {
    ui::Game& game = ui::Game::instance();
    game.resetTo(ui::GameState{});
    game.push(stateOf(ui::ScreenKind::Menu));
    game.push(stateOf(ui::ScreenKind::About));
    game.replace(stateOf(ui::ScreenKind::Licenses));
    for (auto [depth, kind] : {std::pair{3, ui::ScreenKind::Licenses}, {2, ui::ScreenKind::Menu},
                               {1, ui::ScreenKind::Splash}, {1, ui::ScreenKind::Splash}}) {
        EXPECT_EQ(game.depth(), depth);
        EXPECT_EQ(game.top().kind, kind) << depth;
        game.pop();
    }
}

// Each change, even one that ends where it started, builds the screen afresh
// at the next frame, and not before.
TEST(ScreenStack, ScreensAreBuiltAtTheNextFrameAfterEveryChange) {
    ui::Game& game = ui::Game::instance();
    game.resetTo(ui::GameState{});
    game.ensureScreen();
    const ui::Screen* built = game.current();
    ASSERT_NE(built, nullptr);
    game.ensureScreen();
    EXPECT_EQ(game.current(), built) << "no change, no rebuild";
    const std::pair<const char*, void (*)(ui::Game&)> changes[] = {
        {"pop of the last", [](ui::Game& g) { g.pop(); }},
        {"push and pop", [](ui::Game& g) { g.push(stateOf(ui::ScreenKind::Menu)); g.pop(); }},
        {"replace", [](ui::Game& g) { g.replace(stateOf(ui::ScreenKind::Splash)); }},
        {"invalidate", [](ui::Game& g) { g.invalidate(); }},
    };
    for (const auto& [name, change] : changes) {
        change(game);
        EXPECT_EQ(game.current(), built) << name << ": not before the next frame";
        game.ensureScreen();
        EXPECT_NE(game.current(), built) << name;
        built = game.current();
    }
    game.push(stateOf(static_cast<ui::ScreenKind>(42)));
    game.ensureScreen();
    EXPECT_EQ(game.current(), built) << "an unknown kind keeps the current screen";
}

// A left release inside claims the click, once a frame; a miss claims nothing,
// a right press is never used up. The right and bottom edges are outside.
TEST(FrameContext, OnlyTheFirstClaimOfAReleaseInsideGetsTheClick) {
    const ui::Rect r{10, 20, 30, 40};
    for (auto [x, y, inside] : {std::tuple{10.0, 20.0, true}, {39.999, 59.999, true}, {40.0, 30.0, false},
                                {20.0, 60.0, false}}) {
        ui::Ctx ctx;
        ctx.in.mouseX = x;
        ctx.in.mouseY = y;
        ctx.in.rightPressed = true;
        EXPECT_FALSE(ctx.takeClick(r)) << "no release, no click";
        ctx.in.released = true;
        EXPECT_FALSE(ctx.takeClick(ui::Rect{0, 0, 5, 5}));
        EXPECT_EQ(ctx.hover(r), inside) << x << "," << y;
        for (int twice = 0; twice < 2; ++twice) EXPECT_EQ(ctx.takeRightClick(r), inside) << x << "," << y;
        EXPECT_EQ(ctx.takeClick(r), inside) << x << "," << y;
        EXPECT_FALSE(ctx.takeClick(r)) << "claimed once";
    }
}

// Tab, Shift+Tab and the arrows left over at the end of a frame move the focus
// over that frame's controls in drawing order, wrapping at the ends; the first
// such key only shows the ring, and pressing the mouse hides it again.
TEST(FrameContext, FocusMovesInDrawingOrderAndTheFirstKeyOnlyShowsIt) {
    ui::Ctx ctx;
    auto frame = [&](std::vector<int> keys, std::vector<int> mods = {}, bool press = false) {
        ctx.in = ui::Input{};
        ctx.in.keys = std::move(keys);
        ctx.in.keyMods = std::move(mods);
        ctx.in.pressed = press;
        ctx.beginFocusFrame();
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ctx.focusId(ui::Rect{0, 40.0 * i, 100, 30}), i + 1);
        ctx.endFocusFrame();
        return ctx.focus.visible ? ctx.focus.current : -1;
    };
    const int shift = KMOD_LSHIFT;
    EXPECT_EQ(frame({SDLK_a}), -1) << "other keys leave it hidden";
    EXPECT_EQ(frame({SDLK_TAB}, {shift}), 3) << "Shift+Tab shows it on the last control";
    EXPECT_EQ(frame({}, {}, true), -1);
    EXPECT_EQ(frame({SDLK_TAB, SDLK_TAB, SDLK_TAB}), 2) << "the first Tab shows where it was, the others move";
    EXPECT_EQ(frame({}), 2);
    EXPECT_DOUBLE_EQ(ctx.focus.rect.y, 40) << "where the focused control was drawn";
    EXPECT_EQ(frame({SDLK_DOWN, SDLK_RIGHT}), 1) << "wraps forwards";
    EXPECT_EQ(frame({SDLK_TAB}, {shift}), 3) << "wraps backwards";
    EXPECT_EQ(frame({SDLK_TAB, SDLK_UP}, {KMOD_NONE, shift}), 3) << "each key keeps its own modifiers";
    EXPECT_EQ(frame({SDLK_LEFT, SDLK_a, SDLK_UP}), 1);

    // Enter or Space on the focused control, once per frame.
    ctx.in = ui::Input{};
    ctx.in.keys = {SDLK_RETURN, SDLK_SPACE};
    ctx.beginFocusFrame();
    const int first = ctx.focusId(ui::Rect{}), second = ctx.focusId(ui::Rect{});
    EXPECT_FALSE(ctx.takeActivation(second));
    EXPECT_TRUE(ctx.takeActivation(first));
    EXPECT_FALSE(ctx.takeActivation(first));
    EXPECT_TRUE(ctx.in.keys.empty()) << "the control used both keys";
}

TEST(FrameContext, LayoutScaleIsClampedAndSmallWindowsAreCompact) {
    // Width-bound, height-bound, both ends of the clamp, and compact by width or by height.
    for (auto [w, h, scale, compact] : {std::tuple{1024.0, 768.0, 0.8, false}, {3000.0, 518.4, 0.72, false},
                                        {800.0, 600.0, 0.72, false}, {5000.0, 3000.0, 2.0, false},
                                        {780.0, 600.0, 0.72, true}, {1280.0, 450.0, 0.72, true}}) {
        ui::Ctx ctx;
        ctx.w = w;
        ctx.h = h;
        ctx.ui = ui::layoutScale(w, h);
        EXPECT_DOUBLE_EQ(ctx.ui, scale) << w << "x" << h;
        EXPECT_EQ(ctx.compact(), compact) << w << "x" << h;
    }
}

TEST(StartUp, WindowOptionsLaterWinAndBadSizesAreSkipped) {
    store::Settings s;
    const char* good[] = {"zelvane", "--fullscreen", "--size", "800x600", "--bogus", "--windowed"};
    EXPECT_TRUE(ui::applyWindowOptions(6, good, s));
    EXPECT_EQ(s.windowW, 800);
    EXPECT_EQ(s.windowH, 600);
    EXPECT_FALSE(s.fullscreen);

    store::Settings t;
    const char* bad[] = {"zelvane", "--size", "639x480", "--size", "800", "--size", "--fullscreen"};
    EXPECT_FALSE(ui::applyWindowOptions(7, bad, t));
    EXPECT_EQ(t.windowW, 0);
    EXPECT_FALSE(t.fullscreen) << "the value after --size is consumed, valid or not";

    const char* last[] = {"zelvane", "--windowed", "--size"};
    t.fullscreen = true;
    EXPECT_FALSE(ui::applyWindowOptions(3, last, t));
    EXPECT_FALSE(t.fullscreen);
}

// At first two thirds of the display's width, bounded by its height and kept
// on small displays; a remembered size shrinks to the display, a given one never.
TEST(StartUp, InitialWindowSize) {
    for (auto [w, h, given, uw, uh, wantW, wantH] :
         {std::tuple{0, 0, false, 1920, 1080, 1280, 852}, {0, 0, false, 2560, 1400, 1707, 1136},
          {0, 0, false, 3440, 1440, 2044, 1360}, {0, 0, false, 800, 600, 780, 520},
          {3000, 2000, false, 1920, 1080, 1900, 1000}, {3000, 2000, false, 0, 0, 3000, 2000},
          {3000, 2000, true, 1920, 1080, 3000, 2000}}) {
        store::Settings s;
        s.windowW = w;
        s.windowH = h;
        const ui::Size r = ui::initialWindowSize(s, given, uw, uh);
        EXPECT_EQ(r.w, wantW) << w << " on " << uw << "x" << uh;
        EXPECT_EQ(r.h, wantH) << w << " on " << uw << "x" << uh;
    }
}

TEST(StartUp, RememberedPositionStaysOnTheUsableArea) {
    struct Case {
        int x, y, areaX, areaY, areaW, areaH, w, h, wantX, wantY;
    };
    for (const Case& c : {Case{-500, 100, 0, 0, 1920, 1050, 860, 560, 0, 100},
                          Case{300, 0, 0, 24, 1920, 1050, 860, 560, 300, 54},  // title bar 30 below the top
                          Case{5000, 5000, 0, 0, 1920, 1050, 860, 560, 1060, 490},
                          Case{200, 200, 10, 0, 800, 600, 1200, 900, 10, 30},  // larger than the area
                          Case{-500, -20, 0, 0, 0, 0, 860, 560, -500, -20}}) {  // unknown area
        const ui::Point p = ui::placeOnDisplay(c.x, c.y, c.areaX, c.areaY, c.areaW, c.areaH, c.w, c.h);
        EXPECT_EQ(p.x, c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(p.y, c.wantY) << c.x << "," << c.y;
    }
}

}  // namespace
