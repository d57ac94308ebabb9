// The frame loop driven frame by frame with scripted events, clock and pointer;
// the screen stack, the frame context's click rules and the start-up rules.
#include <cairo.h>

#include <tuple>
#include <utility>
#include <vector>

#include "ui/app.h"
#include "ui/gpu.h"
#include "ui/startup.h"
#include "ui_shell_support.h"

namespace {

using FrameLoopTest = shelltest::HeadlessWindow;
using namespace shelltest;  // the event pushers

// Input lives for one frame. A release at most 0.3 s after the one before is a
// double click, but the first release after start never is.
TEST_F(FrameLoopTest, DoubleClickNeedsTwoReleasesWithinThreeTenths) {
    auto& loop = startLoop();
    for (auto [t, release, doubleClick] :
         {std::tuple{0.05, true, false}, {0.30, true, true}, {0.65, true, false}, {0.70, false, false}}) {
        if (release) pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
        frameAt(t);
        EXPECT_EQ(loop.ctx().in.released, release) << t;
        EXPECT_EQ(loop.ctx().in.doubleClick, doubleClick) << t;
    }
}

// A press and its release in one frame are both seen; the held buttons and
// modifiers come from the sample taken after the events.
TEST_F(FrameLoopTest, PressAndReleaseInOneFrameAndSampledButtons) {
    auto& loop = startLoop();
    pointer_ = {100, 50, true, true, true, false};
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    frameAt(0.1);
    const ui::Input& in = loop.ctx().in;
    EXPECT_TRUE(in.pressed && in.released && in.rightPressed);
    EXPECT_TRUE(in.mouseDown && in.middleDown && in.ctrl);
    EXPECT_FALSE(in.shift);
    pointer_ = {90, 70};
    frameAt(0.2);
    EXPECT_DOUBLE_EQ(loop.ctx().in.dragDx, -10);
    EXPECT_DOUBLE_EQ(loop.ctx().in.dragDy, 20);
    EXPECT_FALSE(loop.ctx().in.mouseDown);
}

// A quick Ctrl+Z tap lets go of Ctrl before the frame samples the keyboard:
// each key keeps the modifiers of its own event.
TEST_F(FrameLoopTest, WheelNotchesAddUpAndKeysKeepTheirOrderAndModifiers) {
    auto& loop = startLoop();
    for (int notches : {1, 2, -1}) shelltest::pushWheel(notches);
    pushKey(SDLK_y);
    pushKey(SDLK_z, KMOD_LCTRL);
    pushKey(SDLK_TAB, KMOD_RSHIFT);
    pushKey(SDLK_y);
    frameAt(0.1);  // the sampled keyboard has no modifier held
    const ui::Input& in = loop.ctx().in;
    EXPECT_DOUBLE_EQ(in.wheel, 2);
    EXPECT_EQ(in.keys, (std::vector<int>{SDLK_y, SDLK_z, SDLK_TAB, SDLK_y}));
    EXPECT_EQ(in.keyMods, (std::vector<int>{KMOD_NONE, KMOD_LCTRL, KMOD_RSHIFT, KMOD_NONE}));
    EXPECT_TRUE(in.ctrl && in.shift);
    EXPECT_TRUE(in.hasCtrlKey(SDLK_z));
    EXPECT_FALSE(in.hasCtrlKey(SDLK_y)) << "Ctrl came with another key";
}

TEST_F(FrameLoopTest, CtrlQWindowCloseSignalAndScreenEndTheLoop) {
    startLoop();
    pushKey(SDLK_q);
    EXPECT_TRUE(frameAt(0.1));
    EXPECT_TRUE(loop_->ctx().in.hasKey(SDLK_q)) << "plain q is a key";
    pushKey(SDLK_q, KMOD_RCTRL);
    EXPECT_FALSE(frameAt(0.2));
    EXPECT_FALSE(loop_->ctx().in.hasKey(SDLK_q));

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(frameAt(0.3));
    EXPECT_TRUE(frameAt(0.4));
    terminate_ = 1;
    EXPECT_FALSE(frameAt(0.5));
    terminate_ = 0;
    afterUpdate_ = [](ui::Ctx& ctx) { ctx.quitRequested = true; };
    EXPECT_FALSE(frameAt(0.6));
}

TEST_F(FrameLoopTest, F11SwitchesFullscreenInTheSameFrameAndSavesAtOnce) {
    startLoop();
    for (int toggle = 1; toggle <= 2; ++toggle) {
        const bool fullscreen = toggle == 1;
        pushKey(SDLK_F11);
        frameAt(0.1 * toggle);
        EXPECT_EQ(settings_.fullscreen, fullscreen);
        EXPECT_EQ(saves_, toggle);
        EXPECT_EQ((SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0, fullscreen);
        EXPECT_TRUE(loop_->ctx().in.keys.empty()) << "F11 is not passed on";
    }
}

// Moves and resizes are taken at once but saved only when more than two
// seconds have passed since the last save.
TEST_F(FrameLoopTest, RepeatedMovesAreSavedOnceEveryTwoSeconds) {
    startLoop();
    for (int i = 0; i < 5; ++i) {
        pushWindowEvent(SDL_WINDOWEVENT_MOVED, 100 + i, 200);
        frameAt(0.3 + i * 0.3);
    }
    EXPECT_EQ(settings_.windowX, 104);
    EXPECT_EQ(settings_.windowY, 200);
    EXPECT_EQ(saves_, 0);
    frameAt(2.0);
    EXPECT_EQ(saves_, 0) << "exactly two seconds is not yet more than two";
    frameAt(2.05);
    EXPECT_EQ(saves_, 1);
    pushWindowEvent(SDL_WINDOWEVENT_RESIZED, 1000, 650);
    frameAt(3.0);
    EXPECT_EQ(settings_.windowW, 1000);
    EXPECT_EQ(saves_, 1);
    frameAt(4.1);
    EXPECT_EQ(saves_, 2);
}

// The position is only taken from a plain window; maximising counts in every state.
TEST_F(FrameLoopTest, GeometryIsOnlyTakenInPlainWindowedState) {
    settings_.windowX = 7;
    startLoop();
    settings_.fullscreen = true;  // as if the settings screen had switched it
    frameAt(0.1);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 300, 300);
    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    frameAt(0.2);
    EXPECT_EQ(settings_.windowX, 7);
    EXPECT_TRUE(settings_.maximized);
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    frameAt(0.3);
    EXPECT_FALSE(settings_.maximized);
}

// The window manager's own moves while it places the new window are not the
// player's: they are ignored until 0.4 s after the first frame.
TEST_F(FrameLoopTest, WindowEventsAreIgnoredUntilTheFirstPlacementHasSettled) {
    ui::WindowStart start;
    start.placePending = true;
    start.ignoreWindowEventsUntil = 1e18;
    startLoop(start);

    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    frameAt(1.0);
    EXPECT_DOUBLE_EQ(loop_->ignoreWindowEventsUntil(), 1.4);
    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 50, 60);
    frameAt(1.39);
    EXPECT_FALSE(settings_.maximized);
    EXPECT_EQ(settings_.windowX, -1);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 50, 60);
    frameAt(1.41);
    EXPECT_EQ(settings_.windowX, 50);
}

// The overlay is made anew for each window size, and only then; a stall in the
// clock counts as one step of at most 0.1 s.
TEST_F(FrameLoopTest, ContextAndOverlayFollowTheWindowAndTheStepIsCapped) {
    auto& loop = startLoop();
    frameAt(0.016);
    EXPECT_DOUBLE_EQ(loop.ctx().dt, 0.016);
    frameAt(3.0);
    EXPECT_DOUBLE_EQ(loop.ctx().dt, 0.1);
    EXPECT_EQ(loop.overlayAllocations(), 1);

    int drawn = 0;
    afterUpdate_ = [&](ui::Ctx& ctx) {
        cairo_set_source_rgb(ctx.cr, 0, 0, 1);
        cairo_rectangle(ctx.cr, ctx.w - 10, ctx.h - 10, 10, 10);
        cairo_fill(ctx.cr);
    };
    beforePresent_ = [&] {
        if (shelltest::pixelAt(renderer_, loop.ctx().w - 2, loop.ctx().h - 2) == 0x0000FF) ++drawn;
    };
    for (auto [w, h] : {std::pair{1024, 768}, {1280, 900}, {2560, 1440}}) {
        SDL_SetWindowSize(window_, w, h);
        frameAt(loop.ctx().t + 0.02);
        EXPECT_DOUBLE_EQ(loop.ctx().w, w);
        EXPECT_DOUBLE_EQ(loop.ctx().h, h);
        EXPECT_DOUBLE_EQ(loop.ctx().ui, ui::layoutScale(w, h));
    }
    EXPECT_EQ(loop.overlayAllocations(), 4);
    EXPECT_EQ(drawn, 3) << "the overlay's corner is where the window's is";
}

TEST_F(FrameLoopTest, OverlayIsCompositedOverTheRendererOutput) {
    startLoop();
    constexpr std::uint32_t kBelow = 0x336699;  // drawn straight to the renderer
    std::uint32_t solid = 0, half = 0, clear = 0;
    afterUpdate_ = [](ui::Ctx& ctx) {
        ui::gpuFillRect(0, 0, 60, 60, kBelow, 1.0);
        cairo_set_source_rgba(ctx.cr, 1, 0, 0, 1);
        cairo_rectangle(ctx.cr, 0, 0, 10, 10);
        cairo_fill(ctx.cr);
        cairo_set_source_rgba(ctx.cr, 1, 0, 0, 0.5);
        cairo_rectangle(ctx.cr, 0, 20, 10, 10);
        cairo_fill(ctx.cr);
    };
    beforePresent_ = [&] {
        solid = shelltest::pixelAt(renderer_, 5, 5);
        half = shelltest::pixelAt(renderer_, 5, 25);
        clear = shelltest::pixelAt(renderer_, 5, 45);
    };
    frameAt(0.1);
    EXPECT_EQ(solid, 0xFF0000u);
    EXPECT_EQ(clear, kBelow) << "transparent overlay pixels leave the renderer output alone";
    // Cairo stores half red as (128, 0, 0, 128): it covers half of what lies
    // below, whether or not the renderer can blend premultiplied colour.
    // Off by at most one for rounding: 128 + 0x33 / 2, 0x66 / 2, 0x99 / 2.
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(shelltest::channel(half, shift), shelltest::channel(0x99334C, shift), 1) << shift;

    // The next frame starts from a cleared overlay.
    afterUpdate_ = [](ui::Ctx&) { ui::gpuFillRect(0, 0, 60, 60, kBelow, 1.0); };
    frameAt(0.2);
    EXPECT_EQ(solid, kBelow);
    EXPECT_EQ(half, kBelow);
}

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
