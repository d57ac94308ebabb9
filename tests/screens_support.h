// Helpers for the screen tests: a hidden window drawn by the software
// renderer, the real frame loop with a scripted clock and pointer, input
// helpers and the composed frame read back as pixels.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/json.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/paths.h"
#include "platform/save_crypt.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/gpu.h"
#include "ui/widgets.h"
#include "ui_draw_support.h"
#include "ui_shell_support.h"

// Weak, as every file of this test binary brings the same list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return shelltest::kLibraryCacheLeaks;
}

namespace screenstest {

// The fill of primary buttons and selected chips, cells and turn banners.
constexpr std::uint32_t kPrimary = 0x8A4B1C;

// The bytes on disk once the store's queued writes have landed.
inline std::string fileBytes(const std::string& path) {
    store::flush();
    return shelltest::contents(path);
}

// A sealed store file of the data folder ("saves.dat", "settings.dat"), opened and parsed.
inline js::Value storedJson(const std::string& name) {
    std::string text;
    if (platform::saveDecrypt(fileBytes(paths::dataDir() + "/" + name), &text) != platform::SaveReadResult::Ok) {
        return {};
    }
    return js::parse(text);
}

inline ui::Game& game() { return ui::Game::instance(); }
inline ui::ScreenKind topKind() { return game().top().kind; }

// A suspended game of level standing at fen, which is also its start.
inline store::SavedGame savedGameAt(int level, const std::string& fen, std::uint32_t seed = 77) {
    store::SavedGame g;
    g.level = level;
    g.seed = seed;
    g.fen = fen;
    g.startFen = fen;
    return g;
}

inline ui::GameState stateOf(ui::ScreenKind kind, int level = 1) {
    ui::GameState s;
    s.kind = kind;
    s.level = level;
    return s;
}

// A hidden window, the real frame loop and a scripted clock and pointer.
class Harness {
public:
    Harness(int w, int h, double step = 0.05) : w_(w), h_(h), step_(step) {
        window_ = SDL_CreateWindow("screens", 0, 0, w, h, SDL_WINDOW_HIDDEN);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE) : nullptr;
        if (!renderer_) {
            ADD_FAILURE() << "no software renderer: " << SDL_GetError();
            return;
        }
        ui::gpuInit(renderer_);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // the window's own and earlier tests' events
        pointer_.x = pointer_.y = -1;
        ui::FrameHooks hooks;
        hooks.now = [this] { return clock_; };
        hooks.samplePointer = [this] { return pointer_; };
        hooks.saveSettings = [] {};
        hooks.beforePresent = [this](SDL_Renderer* r) {
            if (!capture_) return;
            pixels_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0);
            SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels_.data(), w_ * 4);
        };
        loop_ = std::make_unique<ui::FrameLoop>(window_, renderer_, store::settings(), ui::WindowStart{},
                                                std::move(hooks));
    }
    ~Harness() {
        loop_.reset();
        if (renderer_) ui::gpuShutdown();
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
    }

    double w() const { return w_; }
    double h() const { return h_; }
    double s(double v) const { return v * ui::layoutScale(w_, h_); }
    double clock() const { return clock_; }
    bool quitRequested() const { return quit_; }
    const ui::Ctx& ctx() const { return loop_->ctx(); }

    void frameAt(double t) {
        clock_ = t;
        if (loop_) quit_ = !loop_->runFrame() || quit_;
    }
    void frame() { frameAt(clock_ + step_); }
    void run(double seconds) {
        for (double t = 0; t < seconds - 1e-9; t += step_) frame();
    }

    void moveTo(double x, double y) {
        pointer_.x = x;
        pointer_.y = y;
    }
    // A press and release of the left button at (x, y), seen by the next frame.
    void queueClick(double x, double y) {
        moveTo(x, y);
        shelltest::pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
        shelltest::pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    }
    void click(double x, double y) {
        queueClick(x, y);
        frame();
        moveTo(-1, -1);
    }
    void click(const ui::Rect& r) { click(r.cx(), r.cy()); }
    void press(double x, double y) {
        moveTo(x, y);
        pointer_.left = true;
        shelltest::pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
        frame();
    }
    void dragTo(double x, double y) {
        moveTo(x, y);
        frame();
    }
    void release() {
        pointer_.left = false;
        shelltest::pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
        frame();
    }
    // A key-down event with its modifiers. The modifiers live in the event
    // only: like a quick tap, they are let go before the frame samples them.
    void key(SDL_Keycode code, Uint16 mod = KMOD_NONE) {
        shelltest::pushKey(code, mod);
        frame();
    }
    // Wheel notches over (x, y); negative scrolls towards the end.
    void wheel(double x, double y, int notches) {
        moveTo(x, y);
        shelltest::pushWheel(notches);
        frame();
    }

    // Runs one frame and keeps its composed picture for the probes below.
    void capture() {
        capture_ = true;
        frame();
        capture_ = false;
    }
    std::uint32_t pixel(double x, double y) const {
        if (pixels_.empty()) return 0;
        const int ix = std::clamp(static_cast<int>(x), 0, w_ - 1);
        const int iy = std::clamp(static_cast<int>(y), 0, h_ - 1);
        return pixels_[static_cast<std::size_t>(iy) * static_cast<std::size_t>(w_) + ix] & 0xFFFFFF;
    }
    // The pixels of r (clipped to the window), row by row.
    std::vector<std::uint32_t> region(const ui::Rect& r) const {
        std::vector<std::uint32_t> out;
        for (int y = std::max(0, static_cast<int>(r.y)); y < std::min(h_, static_cast<int>(r.bottom())); ++y) {
            for (int x = std::max(0, static_cast<int>(r.x)); x < std::min(w_, static_cast<int>(r.right())); ++x) {
                out.push_back(pixel(x, y));
            }
        }
        return out;
    }
    // How many pixels of r are within tolerance of rgb.
    int countNear(const ui::Rect& r, std::uint32_t rgb, int tolerance) const {
        const std::vector<std::uint32_t> px = region(r);
        return static_cast<int>(
            std::count_if(px.begin(), px.end(), [&](std::uint32_t p) { return drawtest::near(p, rgb, tolerance); }));
    }

private:
    int w_, h_;
    double step_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::unique_ptr<ui::FrameLoop> loop_;
    double clock_ = 0;
    ui::PointerSample pointer_;
    bool capture_ = false;
    bool quit_ = false;
    std::vector<std::uint32_t> pixels_;
};

// Puts a screen on top of the menu and lets one frame build it.
inline void openOverMenu(Harness& h, const ui::GameState& state) {
    game().resetTo(stateOf(ui::ScreenKind::Menu));
    game().push(state);
    h.frame();
}

// Whether r is drawn as the primary or selected one: its fill at the left end, clear of the label.
inline bool drawnPrimary(const Harness& h, const ui::Rect& r) {
    return h.countNear({r.x + 4, r.cy() - 3, 6, 6}, kPrimary, 12) > 20;
}

// Where control `id` (1-based, in reading order) of the screen on top is
// drawn, found the way a keyboard user finds it: Tab until the ring is on it.
// Two frames: the ring moves at the end of the first, the second draws it there.
inline ui::Rect controlRect(Harness& h, int id) {
    const ui::Focus& f = h.ctx().focus;
    const int n = std::max(f.lastCount, 1);
    int tabs = 0, at = f.current;
    if (!f.visible) {
        tabs = 1;  // the first key only shows the ring
        at = std::max(at, 1);
    }
    tabs += (id - at + n) % n;
    for (int i = 0; i < tabs; ++i) shelltest::pushKey(SDLK_TAB);
    h.frame();
    h.frame();
    EXPECT_EQ(id, f.current) << "no control " << id << " of " << f.lastCount;
    return f.rect;
}

struct WindowSize {
    int w, h;
};

// The screens' fixture: a throw-away home and no real display or sound for the
// process, then fresh progress, known settings and an empty clipboard for every test.
class ScreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static const bool ready = [] {
            shelltest::headlessEnvironment();
            static const std::string home = std::getenv("HOME");
            ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
            ::unsetenv("ZELVANE_SOLVES");
            std::atexit([] {
                std::error_code ec;
                if (home.find("zelvane-shell-") != std::string::npos) std::filesystem::remove_all(home, ec);
            });
            SDL_Init(SDL_INIT_VIDEO);
            store::init();
            return ui::registerBundledFonts();
        }();
        (void)ready;
    }
    void SetUp() override {
        store::resetProgress();
        store::Settings& s = store::settings();
        s.language = "en";
        s.flipBoard = false;
        s.showLegalMoves = true;
        s.musicVolume = 0.1;
        s.sfxVolume = 0.75;
        i18n::setLanguage("en");
        SDL_SetClipboardText("");
    }
};

}  // namespace screenstest
