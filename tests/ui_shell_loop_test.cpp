// The frame loop driven frame by frame with scripted events, clock and pointer.
#include <cairo.h>

#include <string>
#include <vector>

#include "ui/app.h"
#include "ui/gpu.h"
#include "ui_shell_support.h"

namespace {

using shelltest::HeadlessWindow;

class FrameLoopTest : public HeadlessWindow {
protected:
    void SetUp() override {
        HeadlessWindow::SetUp();
        ui::Game::instance().resetTo(ui::GameState{});
    }
};

TEST_F(FrameLoopTest, DoubleClickNeedsTwoReleasesWithinThreeTenths) {
    auto& loop = startLoop();
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    frameAt(0.05);
    EXPECT_TRUE(loop.ctx().in.released);
    EXPECT_FALSE(loop.ctx().in.doubleClick) << "the first release after start never counts";

    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    frameAt(0.30);
    EXPECT_TRUE(loop.ctx().in.doubleClick);

    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    frameAt(0.65);
    EXPECT_TRUE(loop.ctx().in.released && !loop.ctx().in.doubleClick);

    frameAt(0.70);
    EXPECT_FALSE(loop.ctx().in.released) << "input lives for one frame only";
}

TEST_F(FrameLoopTest, PressAndReleaseInOneFrameAndSampledButtons) {
    auto& loop = startLoop();
    pointer_ = {100, 50, true, true, true, false};
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    frameAt(0.1);
    const ui::Input& in = loop.ctx().in;
    EXPECT_TRUE(in.pressed && in.released && in.rightPressed);
    EXPECT_TRUE(in.mouseDown && in.middleDown && in.ctrl) << "the button state comes from the sample after the events";
    EXPECT_FALSE(in.shift);
    EXPECT_DOUBLE_EQ(in.dragDx, 100);
    EXPECT_DOUBLE_EQ(in.dragDy, 50);

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
    pushKey(SDLK_z);
    frameAt(0.2);
    EXPECT_FALSE(loop.ctx().in.hasCtrlKey(SDLK_z));
    EXPECT_FALSE(loop.ctx().in.ctrl);
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

TEST_F(FrameLoopTest, RepeatedMovesAreSavedOnceEveryTwoSeconds) {
    startLoop();
    for (int i = 0; i < 5; ++i) {
        pushWindowEvent(SDL_WINDOWEVENT_MOVED, 100 + i, 200);
        frameAt(0.3 + i * 0.3);
    }
    EXPECT_EQ(settings_.windowX, 104);
    EXPECT_EQ(settings_.windowY, 200);
    EXPECT_EQ(saves_, 0);
    EXPECT_TRUE(loop_->geometryDirty());

    frameAt(2.0);
    EXPECT_EQ(saves_, 0) << "exactly two seconds is not yet more than two";
    frameAt(2.05);
    EXPECT_EQ(saves_, 1);
    EXPECT_FALSE(loop_->geometryDirty());

    pushWindowEvent(SDL_WINDOWEVENT_RESIZED, 1000, 650);
    frameAt(3.0);
    EXPECT_EQ(settings_.windowW, 1000);
    EXPECT_EQ(saves_, 1);
    frameAt(4.1);
    EXPECT_EQ(saves_, 2);
}

TEST_F(FrameLoopTest, GeometryIsOnlyTakenInPlainWindowedState) {
    settings_.windowX = 7;
    startLoop();
    settings_.fullscreen = true;  // as if the settings screen had switched it
    frameAt(0.1);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 300, 300);
    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    frameAt(0.2);
    EXPECT_EQ(settings_.windowX, 7);
    EXPECT_TRUE(settings_.maximized) << "maximising counts in every state";
    pushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    frameAt(0.3);
    EXPECT_FALSE(settings_.maximized);
}

TEST_F(FrameLoopTest, WindowEventsAreIgnoredUntilTheFirstPlacementHasSettled) {
    ui::WindowStart start;
    start.placePending = true;
    start.ignoreWindowEventsUntil = 1e18;
    startLoop(start);

    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    testing::internal::CaptureStdout();
    frameAt(1.0);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(settings_.maximized);
    EXPECT_EQ(report.rfind("[fenster] Schirm ", 0), 0u) << report;
    EXPECT_NE(report.find(" · Fenster 1280x720 bei "), std::string::npos) << report;
    EXPECT_NE(report.find("gemerkt nichts (mittig)\n"), std::string::npos) << report;
    EXPECT_DOUBLE_EQ(loop_->ignoreWindowEventsUntil(), 1.4);

    pushWindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 50, 60);
    frameAt(1.39);
    EXPECT_FALSE(settings_.maximized);
    EXPECT_EQ(settings_.windowX, -1);

    pushWindowEvent(SDL_WINDOWEVENT_MOVED, 50, 60);
    testing::internal::CaptureStdout();
    frameAt(1.41);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the report comes once";
    EXPECT_EQ(settings_.windowX, 50);
}

TEST_F(FrameLoopTest, FrameContextFollowsTheWindowAndCapsTheStep) {
    auto& loop = startLoop();
    frameAt(0.016);
    EXPECT_DOUBLE_EQ(loop.ctx().h, 720);
    EXPECT_DOUBLE_EQ(loop.ctx().dt, 0.016);
    EXPECT_DOUBLE_EQ(loop.ctx().t, 0.016);
    frameAt(3.0);
    EXPECT_DOUBLE_EQ(loop.ctx().dt, 0.1);

    SDL_SetWindowSize(window_, 1024, 768);
    frameAt(3.05);
    EXPECT_DOUBLE_EQ(loop.ctx().w, 1024);
    EXPECT_DOUBLE_EQ(loop.ctx().ui, 0.8);
}

TEST_F(FrameLoopTest, OverlayFollowsSizeChangesAndIsKeptOtherwise) {
    auto& loop = startLoop();
    for (int i = 0; i < 5; ++i) frameAt(0.1 * (i + 1));
    EXPECT_EQ(loop.overlayAllocations(), 1);

    // A window resized every frame: the overlay follows each size and drawing keeps working.
    int drawn = 0;
    afterUpdate_ = [&](ui::Ctx& ctx) {
        cairo_set_source_rgb(ctx.cr, 0, 0, 1);
        cairo_rectangle(ctx.cr, ctx.w - 10, ctx.h - 10, 10, 10);
        cairo_fill(ctx.cr);
    };
    beforePresent_ = [&] {
        int w = 0, h = 0;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        if (shelltest::pixelAt(renderer_, w - 2, h - 2) == 0x0000FF) ++drawn;
    };
    for (int i = 0; i < 20; ++i) {
        SDL_SetWindowSize(window_, 900 + 13 * i, 600 + 7 * i);
        frameAt(1.0 + 0.02 * i);
        EXPECT_DOUBLE_EQ(loop.ctx().w, 900 + 13 * i);
    }
    EXPECT_EQ(loop.overlayAllocations(), 21);
    EXPECT_EQ(drawn, 20);
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
    EXPECT_NEAR(shelltest::channel(half, 16), 128 + shelltest::channel(kBelow, 16) / 2, 2);
    EXPECT_NEAR(shelltest::channel(half, 0), shelltest::channel(kBelow, 0) / 2, 2);

    // The next frame starts from a cleared overlay.
    afterUpdate_ = [](ui::Ctx&) { ui::gpuFillRect(0, 0, 60, 60, kBelow, 1.0); };
    frameAt(0.2);
    EXPECT_EQ(solid, kBelow);
    EXPECT_EQ(half, kBelow);
}

}  // namespace
