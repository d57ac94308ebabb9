// The frame loop driven frame by frame with scripted events, clock and pointer.
#include <cairo.h>

#include <tuple>
#include <vector>

#include "ui/app.h"
#include "ui/gpu.h"
#include "ui_shell_support.h"

namespace {

using FrameLoopTest = shelltest::HeadlessWindow;

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
    for (int notches : {1, 2, -1}) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = notches;
        SDL_PushEvent(&e);
    }
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
    for (auto [w, h, scale] : {std::tuple{1024, 768, 0.8}, {1280, 900, 1.0}, {2560, 1440, 2.0}}) {
        SDL_SetWindowSize(window_, w, h);
        frameAt(loop.ctx().t + 0.02);
        EXPECT_DOUBLE_EQ(loop.ctx().w, w);
        EXPECT_DOUBLE_EQ(loop.ctx().h, h);
        EXPECT_DOUBLE_EQ(loop.ctx().ui, scale);
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

}  // namespace
