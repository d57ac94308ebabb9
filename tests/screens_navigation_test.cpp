// Getting around: splash, menu, level select and result screens, and the way
// back from every page, driven through the real frame loop: scripted clicks
// and keys, the stack they leave behind, and a few pixels of the composed frame.
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/levels.h"
#include "ui/decor.h"
#include "screens_support.h"

namespace {

using namespace screenstest;
using ui::ScreenKind;

std::string savesOnDisk() { return fileBytes(paths::dataDir() + "/saves.dat"); }

void saveGameOfLevel(int level, std::uint32_t seed) {
    store::saveGame(savedGameAt(level, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", seed));
}

using NavigationTest = ScreenTest;

// ---- splash ------------------------------------------------------------------

TEST_F(NavigationTest, SplashWaitsFiveSecondsOrLeavesOnAReleaseOrKey) {
    Harness h(1280, 720);
    game().resetTo(stateOf(ScreenKind::Splash));
    h.frameAt(2.0);  // the wait starts here, not when the loop started
    h.frameAt(6.5);
    h.frameAt(7.0);  // exactly five seconds
    EXPECT_EQ(ScreenKind::Splash, topKind());
    h.frameAt(7.02);
    EXPECT_EQ(ScreenKind::Menu, topKind());
    EXPECT_EQ(1, game().depth());  // replaced: Back cannot return to it

    // A release or a key leaves early, a press does not.
    for (bool byKey : {false, true}) {
        game().resetTo(stateOf(ScreenKind::Splash));
        h.frame();
        h.press(600, 300);
        EXPECT_EQ(ScreenKind::Splash, topKind());
        byKey ? h.key(SDLK_a) : h.release();
        EXPECT_EQ(ScreenKind::Menu, topKind()) << byKey;
    }
}

// ---- menu ----------------------------------------------------------------------

// Clicks menu button idx (0-based, Quit last) and returns the stack's new top.
ui::GameState clickMenuButton(Harness& h, int idx) {
    game().resetTo(stateOf(ScreenKind::Menu));
    h.frame();
    h.click(controlRect(h, idx + 1));
    return game().top();
}

class MenuTest : public NavigationTest, public ::testing::WithParamInterface<WindowSize> {};

// With every level cleared the Continue entry is gone and the rest move up.
TEST_P(MenuTest, EveryButtonOpensItsScreenAndQuitEndsTheLoop) {
    for (bool allCleared : {false, true}) {
        SCOPED_TRACE(allCleared);
        Harness h(GetParam().w, GetParam().h);
        if (allCleared) store::advanceUnlockedLevel(store::kAllUnlocked);
        std::vector<ScreenKind> expected{ScreenKind::LevelSelect, ScreenKind::Playing, ScreenKind::Gallery,
                                         ScreenKind::Settings, ScreenKind::About};
        if (allCleared) expected.erase(expected.begin() + 1);
        const int n = static_cast<int>(expected.size());
        for (int idx = 0; idx < n; ++idx) {
            SCOPED_TRACE(idx);
            EXPECT_EQ(expected[idx], clickMenuButton(h, idx).kind);
            EXPECT_EQ(2, game().depth());  // pushed over the menu
        }
        EXPECT_FALSE(h.quitRequested());
        clickMenuButton(h, n);
        EXPECT_TRUE(h.quitRequested());
        EXPECT_EQ(ScreenKind::Menu, topKind());
    }
}

// 860 x 560 is the smallest window; 900 x 400 only happens in fullscreen on a
// small display and squeezes the buttons below their usual height.
INSTANTIATE_TEST_SUITE_P(Sizes, MenuTest,
                         ::testing::Values(WindowSize{860, 560}, WindowSize{1920, 1080}, WindowSize{900, 400}));

// Every frame turns the buttons and scales the title letters to new angles
// and sizes. Nothing of that may stay behind: text laid out at each new angle
// once made the font machinery keep a font per angle, megabytes a minute.
TEST_F(NavigationTest, ThousandsOfMenuFramesKeepTheHeapAndTheTextureCacheFlat) {
    Harness h(480, 270);
    game().resetTo(stateOf(ScreenKind::Menu));
    h.run(ui::animatedTitleCycle(0) + 1);  // every letter and button painted once
    const int textures = ui::gpuCacheSize();
    const std::size_t heap = mallinfo2().uordblks;
    h.run(100);  // 2000 frames
    EXPECT_EQ(ui::gpuCacheSize(), textures);
    const std::size_t grown = mallinfo2().uordblks - std::min(heap, mallinfo2().uordblks);
    EXPECT_LT(grown, 1u << 20) << "bytes the heap grew by";
}

// Fresh progress starts level 1, later the frontier, each a new game with a
// new seed; a suspended game wins over the frontier and keeps its seed.
TEST_F(NavigationTest, MenuContinueStartsTheFrontierOrResumesTheSavedGame) {
    const struct {
        int unlocked, suspended, level;  // suspended: the saved game's level, 0 for none
    } cases[] = {{1, 0, 1}, {12, 0, 12}, {12, 7, 7}};
    Harness h(1280, 720);
    const auto clock = [] { return static_cast<std::uint32_t>(store::nowMs()) & 0x7FFFFFFFu; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        store::advanceUnlockedLevel(c.unlocked);
        if (c.suspended) saveGameOfLevel(c.suspended, 4711);
        const std::uint32_t before = clock();
        const ui::GameState started = clickMenuButton(h, 1);
        const std::uint32_t after = clock();
        EXPECT_EQ(ScreenKind::Playing, started.kind);
        EXPECT_EQ(c.level, started.level);
        EXPECT_EQ(c.suspended != 0, started.resume);
        EXPECT_EQ(c.suspended != 0, store::savedGame().valid);  // opening it is not clearing it
        if (c.suspended) {
            EXPECT_EQ(4711u, started.seed);
        } else if (before <= after) {  // the masked clock did not wrap in between
            EXPECT_GE(started.seed, before);
            EXPECT_LE(started.seed, after);
        }
    }
}

// ---- level select ----------------------------------------------------------------

constexpr int kFirstCard = 12;  // after Back and the ten page chips

// Opens the level select over the menu, clicks card i (0-based) of the page
// it opens on and returns the level a new game was pushed for, or 0 when none was.
int levelOfCard(Harness& h, int i) {
    openOverMenu(h, stateOf(ScreenKind::LevelSelect));
    h.click(controlRect(h, kFirstCard + i));
    return topKind() == ScreenKind::Playing ? game().top().level : 0;
}

// The page of the frontier opens first. PageUp and PageDown turn pages; the
// first arrow lands on the frontier card, the arrows walk the grid into the
// next page, and Enter starts that level.
TEST_F(NavigationTest, LevelSelectOpensAtTheFrontierPageAndTurnsByChipsAndKeys) {
    Harness h(1280, 720);  // five columns
    EXPECT_EQ(1, levelOfCard(h, 0));
    store::advanceUnlockedLevel(14);
    openOverMenu(h, stateOf(ScreenKind::LevelSelect));
    const struct {
        SDL_Keycode key;
        int focus;  // the card under the ring, -1 while there is none
        const char* why;
    } steps[] = {
        {SDLK_PAGEDOWN, -1, "page 3, no ring yet"}, {SDLK_PAGEUP, -1, "page 2 again"},
        {SDLK_RIGHT, 3, "the frontier, level 14"},  {SDLK_DOWN, 8, "one row down: 19"},
        {SDLK_RIGHT, 9, "20"},                      {SDLK_RIGHT, 0, "21, first card of the next page"},
        {SDLK_UP, 5, "a row up from 21 is 16, back on page 2"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.why);
        h.key(step.key);
        const ui::Focus& f = h.ctx().focus;
        EXPECT_EQ(step.focus, f.visible ? f.current - kFirstCard : -1);
    }
    h.key(SDLK_RETURN);
    h.frame();
    EXPECT_EQ(ScreenKind::Playing, topKind());
    EXPECT_EQ(16, game().top().level);

    store::advanceUnlockedLevel(34);
    EXPECT_EQ(31, levelOfCard(h, 0));

    // A chip shows its page in the same frame; a later click starts from there.
    openOverMenu(h, stateOf(ScreenKind::LevelSelect));
    const ui::Rect fifthCard = controlRect(h, kFirstCard + 4);
    h.click(controlRect(h, 2 + 7));
    EXPECT_EQ(ScreenKind::LevelSelect, topKind());
    h.click(fifthCard);
    EXPECT_EQ(ScreenKind::Playing, topKind());
    EXPECT_EQ(75, game().top().level);
    EXPECT_EQ(3, game().depth());

    store::advanceUnlockedLevel(store::kAllUnlocked);
    EXPECT_EQ(91, levelOfCard(h, 0));
}

// The buttons of the confirmation dialog, cancel first; the dialog takes no
// part in the Tab order, so they are placed here.
std::pair<ui::Rect, ui::Rect> dialogButtons(const Harness& h) {
    const double pw = std::min(h.w() - h.s(64), h.s(420));
    const ui::Rect panel{(h.w() - pw) / 2, (h.h() - h.s(240)) / 2, pw, h.s(240)};
    const double bw = (pw - h.s(60)) / 2;
    const ui::Rect cancel{panel.x + h.s(20), panel.bottom() - h.s(66), bw, h.s(46)};
    return {cancel, {cancel.right() + h.s(20), cancel.y, bw, cancel.h}};
}

// With a suspended game, its own card resumes it; any other card asks first,
// and only a yes gives up the suspended game for a fresh one.
TEST_F(NavigationTest, ACardResumesItsSuspendedGameOrAsksBeforeDroppingIt) {
    Harness h(1280, 720);
    const auto [cancel, ok] = dialogButtons(h);
    saveGameOfLevel(2, 99);
    EXPECT_EQ(2, levelOfCard(h, 1));
    EXPECT_TRUE(game().top().resume);
    EXPECT_EQ(99u, game().top().seed);
    openOverMenu(h, stateOf(ScreenKind::LevelSelect));
    const ui::Rect card5 = controlRect(h, kFirstCard + 4), card10 = controlRect(h, kFirstCard + 9);

    // Cancel, Escape, or a click beside the dialog on another card: nothing changes.
    const std::string saves = savesOnDisk();
    for (int way = 0; way < 3; ++way) {
        openOverMenu(h, stateOf(ScreenKind::LevelSelect));
        h.click(card5);
        h.capture();
        EXPECT_TRUE(drawtest::near(h.pixel(ok.x - h.s(30), ok.y - h.s(30)), 0xFAF4E6, 12)) << "the dialog's panel";
        if (way == 0) h.click(cancel);
        if (way == 1) h.key(SDLK_ESCAPE);
        if (way == 2) h.click(card10);
        EXPECT_EQ(ScreenKind::LevelSelect, topKind()) << way;
        h.frame();
        EXPECT_EQ(ScreenKind::LevelSelect, topKind()) << way;
        EXPECT_EQ(2, store::savedGame().level);
    }
    EXPECT_EQ(saves, savesOnDisk());

    // Yes by button or Return: level 5 from its dice, the old game gone.
    for (bool byKey : {false, true}) {
        saveGameOfLevel(2, 99);
        openOverMenu(h, stateOf(ScreenKind::LevelSelect));
        h.click(card5);
        if (byKey) {
            h.key(SDLK_RETURN);
        } else {
            h.click(ok);
        }
        EXPECT_EQ(ScreenKind::Playing, topKind());
        EXPECT_EQ(5, game().top().level);
        EXPECT_FALSE(game().top().resume);
        EXPECT_EQ(0u, game().top().seed & 0x80000000u);
        EXPECT_FALSE(store::savedGame().valid);
        EXPECT_EQ(3, game().depth());
    }
}

// The screens under the menu's buttons and the result, all left by their Back
// (or Menu) button or Escape.
TEST_F(NavigationTest, BackAndEscapeReturnToTheMenuWithoutWritingProgress) {
    Harness h(1280, 720);
    store::advanceUnlockedLevel(8);
    saveGameOfLevel(3, 5);
    const std::string saves = savesOnDisk();
    ASSERT_FALSE(saves.empty());

    for (ScreenKind kind : {ScreenKind::LevelSelect, ScreenKind::Gallery, ScreenKind::Settings, ScreenKind::About,
                            ScreenKind::Licenses, ScreenKind::Solved}) {
        SCOPED_TRACE(static_cast<int>(kind));
        for (bool byKey : {true, false}) {
            openOverMenu(h, stateOf(kind));
            h.frame();
            EXPECT_EQ(kind, topKind()) << "left without input";
            if (byKey) {
                h.key(SDLK_ESCAPE);
            } else if (kind == ScreenKind::Solved) {
                h.click(controlRect(h, 3));  // Menu, the result's last button
            } else {
                h.click(ui::backButtonRect(h.ctx()));
            }
            EXPECT_EQ(ScreenKind::Menu, topKind());
            EXPECT_EQ(1, game().depth());
        }
    }
    EXPECT_EQ(saves, savesOnDisk());  // sealed with a fresh nonce on any write
    EXPECT_TRUE(store::savedGame().valid);
    EXPECT_EQ(8, store::unlockedLevel());
}

// ---- keyboard ----------------------------------------------------------------------

// Tab i times from a fresh screen and Enter: the i-th control takes it. The
// counts are the controls a player sees, in reading order.
struct FocusCase {
    ScreenKind kind;
    int controls;
    const char* what;
    std::vector<int> noEnter = {};  // controls that Enter leaves alone
};

TEST_F(NavigationTest, TabReachesEveryControlOfEveryScreenAndEnterPressesIt) {
    const FocusCase cases[] = {
        {ScreenKind::Menu, 6, "five entries and Quit"},
        {ScreenKind::LevelSelect, 21, "Back, ten page chips, ten cards"},
        {ScreenKind::Gallery, 1, "Back (no wins yet)"},
        {ScreenKind::Settings, 29, "Back, two switches, two sliders, 23 languages, Delete", {4, 5}},
        {ScreenKind::About, 7, "Back, five links, Licenses"},
        {ScreenKind::Licenses, 1, "Back"},
        {ScreenKind::Solved, 3, "Next level, Again, Menu"},
        {ScreenKind::Playing, 4, "the board, Back, Undo (disabled before a move), Hint", {3}},
    };
    Harness h(860, 560);
    for (const FocusCase& c : cases) {
        SCOPED_TRACE(c.what);
        // Opened afresh, with the mouse just moved, and Tabbed to control `id`.
        auto openAt = [&](int id) {
            SetUp();
            saveGameOfLevel(3, 5);  // the playing screen resumes it, past the dice
            ui::GameState state = stateOf(c.kind, 3);
            state.resume = true;
            state.outcome = ui::Outcome::Loss;
            h.moveTo(h.clock(), 1);
            openOverMenu(h, stateOf(ScreenKind::Menu));
            game().push(state);
            h.frame();
            EXPECT_EQ(c.controls, h.ctx().focus.lastCount);
            EXPECT_FALSE(h.ctx().focus.visible) << "no ring before a key";
            for (int i = 0; i < id; ++i) shelltest::pushKey(SDLK_TAB);  // all in one frame
            h.frame();
        };
        openAt(0);
        for (int id = 1; id <= c.controls; ++id) {
            h.key(SDLK_TAB);  // the first one only shows the ring on control 1
            EXPECT_EQ(id, h.ctx().focus.current);
            h.key(SDLK_RETURN);
            const bool inert = std::find(c.noEnter.begin(), c.noEnter.end(), id) != c.noEnter.end();
            EXPECT_EQ(inert ? 0 : id, h.ctx().focus.activated) << "control " << id;
            // A control that led elsewhere or opened a dialog: back to where it was.
            if (topKind() != c.kind || game().depth() != 2 || (c.kind == ScreenKind::Settings && id == c.controls)) {
                openAt(id);
            }
        }
    }
    i18n::setLanguage("en");
}

// ---- solved ------------------------------------------------------------------------

struct SolvedCase {
    WindowSize size;
    int level;
    ui::Outcome outcome;
};

class SolvedButtonsTest : public NavigationTest, public ::testing::WithParamInterface<SolvedCase> {};

// After a loss: Next level (primary), Again, Menu. After the last level there is
// no next one and Again becomes primary. Both new games drop the saved one.
TEST_P(SolvedButtonsTest, NextAgainAndMenu) {
    const SolvedCase c = GetParam();
    Harness h(c.size.w, c.size.h);
    ui::GameState result = stateOf(ScreenKind::Solved, c.level);
    result.outcome = c.outcome;
    const bool last = c.level == levels::kTotalLevels;
    const int count = last ? 2 : 3;

    std::vector<int> newGameLevels{c.level};
    if (!last) newGameLevels.insert(newGameLevels.begin(), c.level + 1);
    for (std::size_t idx = 0; idx < newGameLevels.size(); ++idx) {
        SCOPED_TRACE(idx);
        saveGameOfLevel(12, 1);
        openOverMenu(h, result);
        const ui::Rect button = controlRect(h, static_cast<int>(idx) + 1);
        h.capture();
        EXPECT_EQ(idx == 0, drawnPrimary(h, button));
        h.click(button);
        EXPECT_EQ(ScreenKind::Playing, topKind());
        EXPECT_EQ(newGameLevels[idx], game().top().level);
        EXPECT_FALSE(game().top().resume);
        EXPECT_EQ(2, game().depth());  // replaced, not pushed
        EXPECT_FALSE(store::savedGame().valid);
    }

    openOverMenu(h, stateOf(ScreenKind::LevelSelect));  // a deeper stack is reset too
    game().push(result);
    h.frame();
    const ui::Rect menu = controlRect(h, count);
    h.capture();
    EXPECT_FALSE(drawnPrimary(h, menu));
    h.click(menu);
    EXPECT_EQ(ScreenKind::Menu, topKind());
    EXPECT_EQ(1, game().depth());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolvedButtonsTest,
    ::testing::Values(SolvedCase{{860, 560}, 41, ui::Outcome::Loss}, SolvedCase{{920, 800}, 41, ui::Outcome::Loss},
                      SolvedCase{{1280, 720}, levels::kTotalLevels, ui::Outcome::Win}));

}  // namespace
