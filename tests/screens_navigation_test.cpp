// Splash, menu, level select and result screens driven through the real frame
// loop: scripted clicks and keys, the stack they leave behind, and a few
// pixels of the composed frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <unistd.h>

#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/paths.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/gpu.h"
#include "ui/widgets.h"

namespace {

// ---- a throw-away home, no real display or sound -----------------------------

std::string makeTempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-nav-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return "/tmp";
    ::setenv("HOME", pattern.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (pattern + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (pattern + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    ::unsetenv("ZELVANE_SOLVES");
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    return pattern;
}

struct TempHome {
    std::string path = makeTempHome();
    ~TempHome() {
        std::error_code ec;
        if (path != "/tmp") std::filesystem::remove_all(path, ec);
    }
};
const TempHome kHome;

constexpr double kStep = 0.05;
constexpr int kEscape = SDLK_ESCAPE;
constexpr int kKeyA = SDLK_a;
constexpr std::uint32_t kPrimary = 0x8A4B1C;
constexpr std::uint32_t kGold = 0xD9A520;

int colourDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) {
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    }
    return d;
}

std::string savesOnDisk() {
    std::ifstream in(paths::dataDir() + "/saves.dat", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ui::GameState stateOf(ui::ScreenKind kind, int level = 1) {
    ui::GameState s;
    s.kind = kind;
    s.level = level;
    return s;
}

ui::Game& game() { return ui::Game::instance(); }

void saveGameOfLevel(int level, std::uint32_t seed) {
    store::SavedGame g;
    g.level = level;
    g.seed = seed;
    g.fen = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
    g.startFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    g.moves = 1;
    store::saveGame(g);
}

// ---- a hidden window, the real frame loop and a scripted clock ---------------

class Harness {
public:
    Harness(int w, int h) : w_(w), h_(h) {
        window_ = SDL_CreateWindow("navigation", 0, 0, w, h, SDL_WINDOW_HIDDEN);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE) : nullptr;
        ui::gpuInit(renderer_);
        ui::FrameHooks hooks;
        hooks.now = [this] { return clock_; };
        hooks.samplePointer = [this] {
            ui::PointerSample p;
            p.x = mouseX_;
            p.y = mouseY_;
            return p;
        };
        hooks.saveSettings = [] {};
        hooks.beforePresent = [this](SDL_Renderer* r) {
            if (capture_) readPixels(r);
        };
        loop_ = std::make_unique<ui::FrameLoop>(window_, renderer_, store::settings(), ui::WindowStart{},
                                                std::move(hooks));
    }
    ~Harness() {
        loop_.reset();
        ui::gpuShutdown();
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
    }

    bool ready() const { return renderer_ != nullptr; }
    double s(double v) const { return v * ui::layoutScale(w_, h_); }
    double w() const { return w_; }
    double h() const { return h_; }
    bool quitRequested() const { return quit_; }
    // A context of this window's size, for the widgets' own placement rules.
    ui::Ctx layoutCtx() const {
        ui::Ctx c;
        c.w = w_;
        c.h = h_;
        c.ui = ui::layoutScale(w_, h_);
        return c;
    }

    void frameAt(double t) {
        clock_ = t;
        quit_ = !loop_->runFrame() || quit_;
    }
    void frame() { frameAt(clock_ + kStep); }
    void run(double seconds) {
        for (double t = 0; t < seconds - 1e-9; t += kStep) frame();
    }

    // Press and release of the left button at (x, y), seen in one frame.
    void click(double x, double y) {
        press(x, y);
        pushButton(SDL_MOUSEBUTTONUP);
        frame();
        mouseX_ = mouseY_ = -1;
    }
    void clickRect(const ui::Rect& r) { click(r.cx(), r.cy()); }
    void press(double x, double y) {
        mouseX_ = x;
        mouseY_ = y;
        pushButton(SDL_MOUSEBUTTONDOWN);
    }
    void release() { pushButton(SDL_MOUSEBUTTONUP); }
    void key(int code) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = code;
        SDL_PushEvent(&e);
        frame();
    }

    // Runs one frame and keeps its composed picture.
    void capture() {
        capture_ = true;
        frame();
        capture_ = false;
    }
    // How many pixels of r are within tolerance of rgb in the captured frame.
    int countNear(const ui::Rect& r, std::uint32_t rgb, int tolerance) const {
        int n = 0;
        for (int y = std::max(0, static_cast<int>(r.y)); y < std::min(h_, static_cast<int>(r.bottom())); ++y) {
            for (int x = std::max(0, static_cast<int>(r.x)); x < std::min(w_, static_cast<int>(r.right())); ++x) {
                const std::uint32_t px = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + x];
                if (colourDistance(px & 0xFFFFFF, rgb) <= tolerance) ++n;
            }
        }
        return n;
    }

private:
    void pushButton(Uint32 type) {
        SDL_Event e{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = static_cast<Sint32>(mouseX_);
        e.button.y = static_cast<Sint32>(mouseY_);
        SDL_PushEvent(&e);
    }
    void readPixels(SDL_Renderer* r) {
        pixels_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0);
        SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels_.data(), w_ * 4);
    }

    int w_, h_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    std::unique_ptr<ui::FrameLoop> loop_;
    double clock_ = 0;
    double mouseX_ = -1, mouseY_ = -1;
    bool capture_ = false;
    bool quit_ = false;
    std::vector<std::uint32_t> pixels_;
};

class NavigationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_Init(SDL_INIT_VIDEO);
        store::init();
        ui::registerBundledFonts();
    }
    void SetUp() override {
        i18n::setLanguage("en");
        store::resetProgress();
    }
    // Puts a screen on top of the menu and lets one frame build it.
    static void openOverMenu(Harness& h, const ui::GameState& state) {
        game().resetTo(stateOf(ui::ScreenKind::Menu));
        game().push(state);
        h.frame();
    }
};

// ---- splash ------------------------------------------------------------------

TEST_F(NavigationTest, SplashWaitsMoreThanFiveSecondsFromItsFirstFrame) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    game().resetTo(stateOf(ui::ScreenKind::Splash));
    h.frameAt(2.0);  // the wait starts here, not when the loop started
    h.frameAt(6.5);
    h.frameAt(7.0);  // exactly five seconds
    EXPECT_EQ(ui::ScreenKind::Splash, game().top().kind);
    h.frameAt(7.02);
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());  // replaced: Back cannot return to it
}

TEST_F(NavigationTest, SplashLeavesOnReleaseOrKeyButNotOnPress) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    game().resetTo(stateOf(ui::ScreenKind::Splash));
    h.frame();
    h.press(600, 300);
    h.frame();
    EXPECT_EQ(ui::ScreenKind::Splash, game().top().kind);
    h.release();
    h.frame();
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());

    game().resetTo(stateOf(ui::ScreenKind::Splash));
    h.frame();
    h.key(kKeyA);
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
}

// ---- menu ----------------------------------------------------------------------

// Where the menu puts button idx of n entries plus quit.
ui::Rect menuButton(const Harness& h, int n, int idx) {
    const double titleSize = std::min({h.w() / 15, h.h() / 10, (h.w() - h.s(32)) / 16 / 0.62});
    const double titleTop = 0.055 * h.h();
    const double top = titleTop + 1.1 * titleSize + h.s(34) + h.s(10);
    const double avail = h.h() - top - h.s(34) - h.s(16);
    const double btnH = std::min((avail - n * h.s(10)) / (n + 1), h.s(46));
    const double btnW = std::min(0.42 * h.w(), h.s(340));
    const double blockH = (n + 1) * btnH + n * h.s(10);
    const double y = top + std::max((avail - blockH) / 2, 0.0) + idx * (btnH + h.s(10));
    return {h.w() / 2 - btnW / 2, y, btnW, btnH};
}

// Clicks one menu button and returns the stack's new top.
ui::GameState clickMenuButton(Harness& h, int n, int idx) {
    game().resetTo(stateOf(ui::ScreenKind::Menu));
    h.frame();
    h.clickRect(menuButton(h, n, idx));
    return game().top();
}

struct WindowSize {
    int w, h;
};

class MenuTest : public NavigationTest, public ::testing::WithParamInterface<WindowSize> {};

TEST_P(MenuTest, EveryButtonOpensItsScreenAndQuitEndsTheLoop) {
    Harness h(GetParam().w, GetParam().h);
    ASSERT_TRUE(h.ready());
    const ui::ScreenKind expected[] = {ui::ScreenKind::LevelSelect, ui::ScreenKind::Playing, ui::ScreenKind::Gallery,
                                       ui::ScreenKind::Settings, ui::ScreenKind::About};
    for (int idx = 0; idx < 5; ++idx) {
        SCOPED_TRACE(idx);
        EXPECT_EQ(expected[idx], clickMenuButton(h, 5, idx).kind);
        EXPECT_EQ(2, game().depth());  // pushed over the menu
    }
    EXPECT_FALSE(h.quitRequested());
    clickMenuButton(h, 5, 5);
    EXPECT_TRUE(h.quitRequested());
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
}

// 860 x 560 is the smallest window; 900 x 400 only happens in fullscreen on a
// small display and squeezes the buttons below their usual height.
INSTANTIATE_TEST_SUITE_P(Sizes, MenuTest,
                         ::testing::Values(WindowSize{1280, 720}, WindowSize{860, 560}, WindowSize{1920, 1080},
                                           WindowSize{900, 400}));

TEST_F(NavigationTest, MenuContinueStartsTheFrontierOrResumesTheSavedGame) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());

    // Fresh progress: level 1, a new game with a new seed.
    const std::uint32_t before = static_cast<std::uint32_t>(store::nowMs()) & 0x7FFFFFFFu;
    ui::GameState started = clickMenuButton(h, 5, 1);
    const std::uint32_t after = static_cast<std::uint32_t>(store::nowMs()) & 0x7FFFFFFFu;
    EXPECT_EQ(ui::ScreenKind::Playing, started.kind);
    EXPECT_EQ(1, started.level);
    EXPECT_FALSE(started.resume);
    if (before <= after) {
        EXPECT_GE(started.seed, before);
        EXPECT_LE(started.seed, after);
    }

    // The next unsolved level once some are won.
    store::advanceUnlockedLevel(12);
    started = clickMenuButton(h, 5, 1);
    EXPECT_EQ(12, started.level);
    EXPECT_FALSE(started.resume);

    // A suspended game wins over the frontier and keeps its seed.
    saveGameOfLevel(7, 4711);
    started = clickMenuButton(h, 5, 1);
    EXPECT_EQ(ui::ScreenKind::Playing, started.kind);
    EXPECT_EQ(7, started.level);
    EXPECT_EQ(4711u, started.seed);
    EXPECT_TRUE(started.resume);
    EXPECT_TRUE(store::savedGame().valid);  // opening it is not clearing it
}

TEST_F(NavigationTest, MenuWithEveryLevelClearedHasNoContinueEntry) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    store::advanceUnlockedLevel(store::kAllUnlocked);
    const ui::ScreenKind expected[] = {ui::ScreenKind::LevelSelect, ui::ScreenKind::Gallery,
                                       ui::ScreenKind::Settings, ui::ScreenKind::About};
    for (int idx = 0; idx < 4; ++idx) {
        SCOPED_TRACE(idx);
        EXPECT_EQ(expected[idx], clickMenuButton(h, 4, idx).kind);
    }
    clickMenuButton(h, 4, 4);
    EXPECT_TRUE(h.quitRequested());
}

// ---- level select ----------------------------------------------------------------

struct Grid {
    double headerH, top, cardW, cardH;
    int cols;
    ui::Rect card(const Harness& h, int i) const {
        return {h.s(16) + (i % cols) * (cardW + h.s(10)), top + (i / cols) * (cardH + h.s(10)), cardW, cardH};
    }
    ui::Rect chip(const Harness& h, int p) const {
        const double chipW = std::min((h.w() - h.s(24) - 9 * h.s(6)) / 10, h.s(92));
        const double x0 = (h.w() - (10 * chipW + 9 * h.s(6))) / 2;
        return {x0 + p * (chipW + h.s(6)), headerH + h.s(4), chipW, h.s(28)};
    }
};

// The grid as the player sees it, for a known number of columns.
Grid gridFor(const Harness& h, int cols) {
    const double ui = h.s(1);
    const bool compact = h.w() < 1100 * ui || h.h() < 640 * ui;
    Grid g;
    g.cols = cols;
    g.headerH = h.s(compact ? 52 : 60);
    g.top = g.headerH + h.s(4) + h.s(28) + h.s(10);
    const int rows = (10 + cols - 1) / cols;
    g.cardW = (h.w() - 2 * h.s(16) - (cols - 1) * h.s(10)) / cols;
    g.cardH = std::min((h.h() - h.s(34) - g.top - (rows - 1) * h.s(10)) / rows, 1.3 * g.cardW);
    return g;
}

// Opens the level select over the menu, clicks at (x, y) and returns the
// level a new game was pushed for, or 0 when none was.
int levelClickedAt(Harness& h, double x, double y) {
    game().resetTo(stateOf(ui::ScreenKind::Menu));
    game().push(stateOf(ui::ScreenKind::LevelSelect));
    h.frame();
    h.click(x, y);
    return game().top().kind == ui::ScreenKind::Playing ? game().top().level : 0;
}

struct ColumnCase {
    int w, h;  // window pixels; at the 0.72 scale floor 360, 648 and 864 are 500, 900 and 1200 units
    int cols;
};

class LevelColumnsTest : public NavigationTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(LevelColumnsTest, ColumnsFollowTheWidth) {
    Harness h(GetParam().w, GetParam().h);
    ASSERT_TRUE(h.ready());
    const int cols = GetParam().cols;
    const Grid g = gridFor(h, cols);
    const ui::Rect lastOfFirstRow = g.card(h, cols - 1);
    const ui::Rect firstOfSecondRow = g.card(h, cols);
    EXPECT_EQ(cols, levelClickedAt(h, lastOfFirstRow.cx(), lastOfFirstRow.cy()));
    EXPECT_EQ(cols + 1, levelClickedAt(h, firstOfSecondRow.cx(), firstOfSecondRow.cy()));
    const ui::Rect last = g.card(h, 9);
    EXPECT_EQ(10, levelClickedAt(h, last.cx(), last.cy()));
}

INSTANTIATE_TEST_SUITE_P(Widths, LevelColumnsTest,
                         ::testing::Values(ColumnCase{360, 600, 2}, ColumnCase{648, 600, 3},
                                           ColumnCase{864, 600, 5}, ColumnCase{1280, 720, 5}));

TEST_F(NavigationTest, LevelCardsInATallWindowStopAtOnePointThreeTimesTheirWidth) {
    Harness h(2000, 1400);  // 1280 x 896 units: the cards would grow taller without the cap
    ASSERT_TRUE(h.ready());
    const Grid g = gridFor(h, 5);
    ASSERT_DOUBLE_EQ(1.3 * g.cardW, g.cardH);
    const ui::Rect first = g.card(h, 0);
    // Just below the first card, in the gap before the second row: nothing.
    EXPECT_EQ(0, levelClickedAt(h, first.cx(), first.bottom() + h.s(5)));
    EXPECT_EQ(6, levelClickedAt(h, first.cx(), first.bottom() + h.s(10) + h.s(2)));
}

TEST_F(NavigationTest, LevelSelectOpensAtTheFrontierPageAndChipsTurnPages) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    const Grid g = gridFor(h, 5);
    const ui::Rect first = g.card(h, 0);
    EXPECT_EQ(1, levelClickedAt(h, first.cx(), first.cy()));

    store::advanceUnlockedLevel(34);
    EXPECT_EQ(31, levelClickedAt(h, first.cx(), first.cy()));

    // A chip shows its page in the same frame; a later click starts from there.
    game().resetTo(stateOf(ui::ScreenKind::Menu));
    game().push(stateOf(ui::ScreenKind::LevelSelect));
    h.frame();
    h.clickRect(g.chip(h, 7));
    EXPECT_EQ(ui::ScreenKind::LevelSelect, game().top().kind);
    h.clickRect(g.card(h, 4));
    EXPECT_EQ(ui::ScreenKind::Playing, game().top().kind);
    EXPECT_EQ(75, game().top().level);
    EXPECT_EQ(3, game().depth());

    store::advanceUnlockedLevel(store::kAllUnlocked);
    EXPECT_EQ(91, levelClickedAt(h, first.cx(), first.cy()));
}

TEST_F(NavigationTest, TheFrontierCardCarriesTheNowBadge) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    store::advanceUnlockedLevel(store::kAllUnlocked);  // level 100 is the frontier, last card of page 9
    game().resetTo(stateOf(ui::ScreenKind::Menu));
    game().push(stateOf(ui::ScreenKind::LevelSelect));
    h.frame();
    h.capture();
    const Grid g = gridFor(h, 5);
    // The badge hugs the top-right corner; the same spot on level 99 shows the same board.
    auto badgeArea = [&](const ui::Rect& r) {
        return ui::Rect{r.right() - h.s(34), r.y + h.s(10), h.s(14), h.s(6)};
    };
    const int withBadge = h.countNear(badgeArea(g.card(h, 9)), kPrimary, 24);
    const int without = h.countNear(badgeArea(g.card(h, 8)), kPrimary, 24);
    const int area = static_cast<int>(h.s(14) * h.s(6));
    EXPECT_GT(withBadge, area / 3);
    EXPECT_LT(without, area / 10);
}

TEST_F(NavigationTest, ACardClickDropsTheSavedGameAndStartsAFreshOne) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    saveGameOfLevel(5, 99);
    const ui::Rect second = gridFor(h, 5).card(h, 1);
    EXPECT_EQ(2, levelClickedAt(h, second.cx(), second.cy()));
    EXPECT_FALSE(store::savedGame().valid);
    EXPECT_FALSE(game().top().resume);
    EXPECT_EQ(0u, game().top().seed & 0x80000000u);
    EXPECT_EQ(3, game().depth());
}

TEST_F(NavigationTest, BackAndEscapeLeaveTheLevelSelectWithoutWritingProgress) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    store::advanceUnlockedLevel(8);
    saveGameOfLevel(3, 5);
    const std::string saves = savesOnDisk();
    ASSERT_FALSE(saves.empty());

    openOverMenu(h, stateOf(ui::ScreenKind::LevelSelect));
    h.key(kEscape);
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());

    openOverMenu(h, stateOf(ui::ScreenKind::LevelSelect));
    h.frame();
    h.clickRect(ui::backButtonRect(h.layoutCtx()));
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());

    EXPECT_EQ(saves, savesOnDisk());  // sealed with a fresh nonce on any write
    EXPECT_TRUE(store::savedGame().valid);
    EXPECT_EQ(8, store::unlockedLevel());
}

// ---- solved ------------------------------------------------------------------------

struct SolvedLayout {
    ui::Rect panel;
    double starsY = 0;      // centre of the star row after a win
    double textBottom = 0;  // below the last text line
};

// Wide windows put the panel right of the board, tall ones below it.
SolvedLayout solvedLayout(const Harness& h, bool won) {
    SolvedLayout l;
    const double pad = h.s(16);
    if (h.w() * 100 > h.h() * 115) {
        l.panel = {0.48 * h.w(), pad, 0.48 * h.w(), h.h() - 2 * pad};
    } else {
        const double below = pad + 0.42 * h.h() + h.s(8);
        l.panel = {pad, below, h.w() - 2 * pad, h.h() - below - pad};
    }
    double y = l.panel.y + h.s(10) + 1.5 * std::round(std::min(h.s(34), 0.12 * l.panel.h)) + h.s(24);
    l.starsY = y + h.s(16);
    if (won) y += h.s(44);
    l.textBottom = y + h.s(22) + h.s(22) + h.s(30);
    return l;
}

ui::Rect solvedButton(const Harness& h, bool won, int count, int idx) {
    const SolvedLayout l = solvedLayout(h, won);
    const double bh = h.s(42);
    const double step = bh + h.s(10);
    const double bw = std::min(l.panel.w - h.s(20), h.s(300));
    double y = l.panel.bottom() - count * step - h.s(4);
    y = std::max(std::min(y, l.textBottom + h.s(28)), l.textBottom);
    return {l.panel.cx() - bw / 2, y + idx * step, bw, bh};
}

ui::GameState solvedState(int level, ui::Outcome outcome) {
    ui::GameState s = stateOf(ui::ScreenKind::Solved, level);
    s.outcome = outcome;
    s.moves = 17;
    s.elapsedMs = 95000;
    return s;
}

// A button's fill, sampled beside its label.
std::uint32_t buttonFillNear(Harness& h, const ui::Rect& r, std::uint32_t rgb) {
    return static_cast<std::uint32_t>(h.countNear({r.x + h.s(4), r.cy() - h.s(3), h.s(10), h.s(6)}, rgb, 12));
}

class SolvedButtonsTest : public NavigationTest, public ::testing::WithParamInterface<WindowSize> {};

TEST_P(SolvedButtonsTest, NextAgainAndMenuAfterALoss) {
    Harness h(GetParam().w, GetParam().h);
    ASSERT_TRUE(h.ready());
    const ui::GameState lost = solvedState(41, ui::Outcome::Loss);

    saveGameOfLevel(12, 1);
    openOverMenu(h, lost);
    h.capture();
    EXPECT_GT(buttonFillNear(h, solvedButton(h, false, 3, 0), kPrimary), 0u);  // next level is the primary one
    EXPECT_EQ(0u, buttonFillNear(h, solvedButton(h, false, 3, 1), kPrimary));
    h.clickRect(solvedButton(h, false, 3, 0));
    EXPECT_EQ(ui::ScreenKind::Playing, game().top().kind);
    EXPECT_EQ(42, game().top().level);
    EXPECT_FALSE(game().top().resume);
    EXPECT_EQ(2, game().depth());  // replaced, not pushed
    EXPECT_FALSE(store::savedGame().valid);

    saveGameOfLevel(12, 1);
    openOverMenu(h, lost);
    h.clickRect(solvedButton(h, false, 3, 1));
    EXPECT_EQ(ui::ScreenKind::Playing, game().top().kind);
    EXPECT_EQ(41, game().top().level);
    EXPECT_FALSE(store::savedGame().valid);

    openOverMenu(h, lost);
    game().push(stateOf(ui::ScreenKind::LevelSelect));  // a deeper stack is reset too
    game().push(lost);
    h.frame();
    h.clickRect(solvedButton(h, false, 3, 2));
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());
}

// 920 x 800 is exactly 1.15 times as wide as high: board above, panel below.
INSTANTIATE_TEST_SUITE_P(Sizes, SolvedButtonsTest,
                         ::testing::Values(WindowSize{1280, 720}, WindowSize{860, 560}, WindowSize{920, 800}));

TEST_F(NavigationTest, AfterTheLastLevelOnlyAgainAndMenuRemain) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    const ui::GameState won = solvedState(levels::kTotalLevels, ui::Outcome::Win);
    saveGameOfLevel(3, 1);
    openOverMenu(h, won);
    h.capture();
    EXPECT_GT(buttonFillNear(h, solvedButton(h, true, 2, 0), kPrimary), 0u);  // "again" is primary now
    EXPECT_EQ(0u, buttonFillNear(h, solvedButton(h, true, 2, 1), kPrimary));
    h.clickRect(solvedButton(h, true, 2, 0));
    EXPECT_EQ(ui::ScreenKind::Playing, game().top().kind);
    EXPECT_EQ(levels::kTotalLevels, game().top().level);
    EXPECT_FALSE(store::savedGame().valid);

    openOverMenu(h, won);
    h.clickRect(solvedButton(h, true, 2, 1));
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());
}

TEST_F(NavigationTest, EscapeOnTheResultGoesToTheMenuKeepingTheSave) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    saveGameOfLevel(9, 3);
    openOverMenu(h, solvedState(9, ui::Outcome::Draw));
    h.key(kEscape);
    EXPECT_EQ(ui::ScreenKind::Menu, game().top().kind);
    EXPECT_EQ(1, game().depth());
    EXPECT_TRUE(store::savedGame().valid);
}

TEST_F(NavigationTest, StarsPopInAfterAWinAndNeverAfterALoss) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    store::LevelBest best;
    best.stars = 3;
    best.moves = 17;
    store::recordBest(6, best);
    const SolvedLayout l = solvedLayout(h, true);
    const ui::Rect stars{l.panel.cx() - h.s(60), l.starsY - h.s(15), h.s(120), h.s(30)};

    game().resetTo(solvedState(6, ui::Outcome::Win));
    h.capture();  // first frame: reveal 0
    EXPECT_EQ(0, h.countNear(stars, kGold, 40));
    h.run(0.6 - kStep);
    h.capture();  // 0.6 s: the first star full, the second growing
    const int half = h.countNear(stars, kGold, 40);
    h.run(0.8);
    h.capture();
    const int full = h.countNear(stars, kGold, 40);
    EXPECT_GT(half, 0);
    EXPECT_GT(full, half);

    // No best stored for the level: the stars stay empty.
    game().resetTo(solvedState(7, ui::Outcome::Win));
    h.frame();
    h.run(1.5);
    h.capture();
    EXPECT_EQ(0, h.countNear(stars, kGold, 40));

    game().resetTo(solvedState(6, ui::Outcome::Loss));
    h.frame();
    h.run(1.5);
    h.capture();
    EXPECT_EQ(0, h.countNear(stars, kGold, 40));
}

}  // namespace
