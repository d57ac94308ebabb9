// Every screen in every language at the smallest window, the reference size
// and a large one: no text below the legibility floor and none that overflows
// its box, counted by the text layer itself frame by frame.
#include <functional>

#include "core/chess.h"
#include "core/levels.h"
#include "screens_support.h"
#include "theme.h"
#include "ui_draw_support.h"

namespace {

using namespace screenstest;
using ui::ScreenKind;

ui::GameState solved(ui::Outcome outcome, int moves, bool hintUsed) {
    ui::GameState s = stateOf(ScreenKind::Solved, 37);
    s.outcome = outcome;
    s.moves = moves;
    s.elapsedMs = 3723000;
    s.finalFen = levels::configFor(37).startingFen;
    s.hintUsed = hintUsed;
    return s;
}

// A suspended game with sixty half-moves of history, the player's clock past an hour.
ui::GameState longGame() {
    store::SavedGame g = savedGameAt(12, chess::Board::startPosition().fen());
    for (int i = 0; i < 60; ++i) g.history.push_back({g.fen, i % 2 ? "Qxe7+" : "exd8=Q#", 'Q', i % 2 == 0});
    g.moves = 30;
    g.elapsedMs = 3723000;
    g.hintUsed = true;
    store::saveGame(g);
    ui::GameState s = stateOf(ScreenKind::Playing, 12);
    s.resume = true;
    return s;
}

// A screen brought to the state worth reading; the frames it takes are checked.
struct Case {
    const char* name;
    std::function<ui::GameState()> state;
    double settle = 0;  // seconds to let pass before the last frame (the dice)
    int wheel = 0;      // notches scrolled before the last frame
};

const Case kCases[] = {
    {"splash", [] { return stateOf(ScreenKind::Splash); }},
    {"menu", [] { return stateOf(ScreenKind::Menu); }},
    {"levels", [] { return stateOf(ScreenKind::LevelSelect); }},
    {"gallery", [] { return stateOf(ScreenKind::Gallery); }},
    {"settings, scrolled to the end", [] { return stateOf(ScreenKind::Settings); }, 0, -40},
    {"about", [] { return stateOf(ScreenKind::About); }},
    {"licences", [] { return stateOf(ScreenKind::Licenses); }, 0, -400},
    {"dice", [] { return stateOf(ScreenKind::Playing, 23); }, 1.5},  // the longest handicap
    {"long game", longGame},
    {"won", [] { return solved(ui::Outcome::Win, 140, false); }},
    {"won with a hint", [] { return solved(ui::Outcome::Win, 6, true); }},
    {"lost", [] { return solved(ui::Outcome::Loss, 9, false); }},
    {"drawn", [] { return solved(ui::Outcome::Draw, 31, false); }},
};

class LegibilityTest : public ScreenTest,
                       public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    static void expectReadable(const std::string& where) {
        const ui::TextFrameStats& text = ui::textFrameStats();
        EXPECT_GE(text.smallestSize, ui::kMinTextSize) << where;
        EXPECT_EQ(text.overflowing, 0) << where << ", first: \"" << text.firstOverflow << '"';
    }

    // The only dialog of the game, drawn on its own over a window of this size.
    static void expectReadableDialog(const Harness& h, const std::string& where) {
        drawtest::Image image(static_cast<int>(h.w()), static_cast<int>(h.h()));
        ui::Ctx ctx;
        ctx.cr = image.cr();
        ctx.w = h.w();
        ctx.h = h.h();
        ctx.ui = ui::layoutScale(ctx.w, ctx.h);
        ui::beginTextFrame();
        ui::confirmDialog(ctx, i18n::tr("settings.resetProgress"), i18n::tr("settings.resetConfirm"),
                          i18n::tr("settings.resetOk"), i18n::tr("common.cancel"));
        expectReadable(where + " dialog");
    }
};

TEST_P(LegibilityTest, EveryScreenInEveryLanguageKeepsItsTextsReadableAndInside) {
    const auto [w, h] = GetParam();
    Harness harness(w, h);
    for (const i18n::Language& language : i18n::languages()) {
        store::settings().language = language.code;
        i18n::setLanguage(language.code);
        for (const Case& c : kCases) {
            const std::string where = language.code + " " + c.name + " at " + std::to_string(w) + "x" +
                                      std::to_string(h);
            const ui::GameState state = c.state();
            game().resetTo(stateOf(ScreenKind::Menu));
            if (state.kind != ScreenKind::Menu) game().push(state);
            harness.frame();  // builds and draws the screen
            if (c.wheel != 0 || c.settle > 0) {
                expectReadable(where + ", first frame");
                if (c.wheel != 0) harness.wheel(w / 2.0, h * 0.6, c.wheel);
                if (c.settle > 0) harness.frameAt(harness.clock() + c.settle);
            }
            expectReadable(where);
            if (::testing::Test::HasFailure()) return;  // one language's faults at a time
        }
        expectReadableDialog(harness, language.code);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, LegibilityTest,
                         ::testing::Values(std::pair{860, 560}, std::pair{1280, 720}, std::pair{1920, 1080}));

// Text colours against everything they are drawn on, as the widgets and
// screens pair them; the darkest page is the backdrop's darker tile at its
// 0.45 over the page colour.
TEST(Contrast, BodyTextStandsOutFourAndAHalfToOneSelectedAndDisabledIncluded) {
    constexpr std::uint32_t kPage = 0xF3EBDD, kCheck = 0xA62626;
    const std::uint32_t darkestPage = theme::mix(kPage, 0xD3BB89, 0.45);
    const struct {
        const char* use;
        std::uint32_t text, ground;
    } kPairs[] = {
        {"labels on panels", ui::kWidgetDarkText, ui::kWidgetCream},
        {"labels on the backdrop", ui::kWidgetDarkText, darkestPage},
        {"muted text on panels", ui::kWidgetMutedText, ui::kWidgetCream},
        {"muted text on the page", ui::kWidgetMutedText, kPage},
        {"muted text on the backdrop", ui::kWidgetMutedText, darkestPage},
        {"disabled buttons", ui::kWidgetMutedText, ui::kWidgetCancelFill},
        {"selected chips, primary buttons, your turn", ui::kWidgetLightText, ui::kWidgetPrimary},
        {"the computer's turn", ui::kWidgetLightText, ui::kWidgetMutedText},
        {"check", ui::kWidgetLightText, kCheck},
        {"headlines and links on the backdrop", ui::kWidgetPrimary, darkestPage},
    };
    for (const auto& p : kPairs) EXPECT_GE(theme::contrastRatio(p.text, p.ground), 4.5) << p.use;
}

TEST(Contrast, BoardCoordinatesStandOutThreeToOneOnEveryLook) {
    for (const theme::BoardTheme& look : theme::allBoards()) {
        EXPECT_GE(theme::contrastRatio(theme::coordinateColor(look), look.border), 3.0) << look.id;
    }
    EXPECT_DOUBLE_EQ(theme::contrastRatio(0xFFFFFF, 0x000000), 21.0);
    EXPECT_DOUBLE_EQ(theme::contrastRatio(0x8A4B1C, 0x8A4B1C), 1.0);
}

}  // namespace
