// The gallery, settings and about screens driven through the real frame
// loop: scripted clicks, drags and keys, with the composed frames read back
// as pixels.
#include "core/chess.h"
#include "core/levels.h"
#include "platform/audio.h"
#include "screens_support.h"
#include "theme.h"

namespace {

using namespace screenstest;
using ui::ScreenKind;

constexpr std::uint32_t kDarkText = 0x3A2810;
constexpr std::uint32_t kMutedText = ui::kWidgetMutedText;

std::string settingsFile() { return paths::dataDir() + "/settings.dat"; }

class PagesTest : public ScreenTest {
protected:
    static void open(Harness& h, ScreenKind kind) { openOverMenu(h, stateOf(kind)); }

    static void addSolve(int level, const std::string& fen = "") {
        store::SolveEntry e;
        e.level = level;
        e.moves = 20;
        e.elapsedMs = 90000;
        e.solvedAt = 1700000000000;
        e.finalFen = fen;
        e.stars = 2;
        store::recordSolve(e);
    }
};

// ---- about ------------------------------------------------------------------

// Back, then the mail and web links of the makers, the three credits' links,
// and the Licenses button under the credits.
TEST_F(PagesTest, AboutLinksTakeTheirClickAndTheButtonUnderTheCreditsOpensTheLicences) {
    Harness h(1280, 720);
    open(h, ScreenKind::About);

    // The mail link: dimmed under the mouse.
    const ui::Rect mail = controlRect(h, 2);
    h.capture();
    const int plain = h.countNear(mail, kPrimary, 10);
    h.moveTo(mail.cx(), mail.cy());
    h.capture();
    EXPECT_GT(plain, 40);
    EXPECT_LT(h.countNear(mail, kPrimary, 10), plain / 2);

    // The links' clicks are swallowed without leaving; only the button leaves.
    for (int id = 2; id <= 6; ++id) {
        h.click(controlRect(h, id));
        h.frame();
        EXPECT_EQ(topKind(), ScreenKind::About) << id;
        EXPECT_EQ(game().depth(), 2);
    }
    h.click(controlRect(h, 7));
    EXPECT_EQ(topKind(), ScreenKind::Licenses);
    EXPECT_EQ(game().depth(), 3);
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::About);
}

// ---- gallery ---------------------------------------------------------------------

// With wins the gallery shows Back, ten page chips, then three buttons a card.
constexpr int kFirstChip = 2, kFirstCardButton = 12;
int cardsShown(const Harness& h) { return (h.ctx().focus.lastCount - kFirstCardButton + 1) / 3; }

// The cards' mini boards in the looks of the level's stage: their dark squares
// (opaque, so their colour is exact) cover a good part of the grid below the chips.
bool stageShown(const Harness& h, const ui::Rect& chip, int level) {
    const std::uint32_t dark = theme::boardForStage(levels::configFor(level).stage).dark;
    return h.countNear({0, chip.bottom(), h.w(), h.h() - chip.bottom()}, dark, 6) > 2000;
}

// A card without a final position shows the start; the highest win's page opens first.
TEST_F(PagesTest, GalleryCardsShowTheirFinalPositionAndChipsTurnThePages) {
    // Everything above the first card's buttons, in a fresh window at the same frame times.
    auto cardPixels = [](const std::string& fen) {
        store::resetProgress();
        addSolve(12, fen);
        Harness h(1280, 720);
        open(h, ScreenKind::Gallery);
        const ui::Rect replay = controlRect(h, kFirstCardButton);
        h.capture();
        return h.region(ui::Rect{0, 0, h.w(), replay.y - h.s(6)});
    };
    const std::vector<std::uint32_t> empty = cardPixels("");
    EXPECT_EQ(empty, cardPixels(chess::Board::startPosition().fen()));
    EXPECT_NE(empty, cardPixels("4k3/8/8/8/8/8/8/4K2Q w - - 0 1"));

    store::resetProgress();
    Harness h(1280, 720);
    addSolve(3);
    addSolve(27);
    ASSERT_NE(levels::configFor(3).stage, levels::configFor(27).stage);
    open(h, ScreenKind::Gallery);
    const ui::Rect first = controlRect(h, kFirstChip), third = controlRect(h, kFirstChip + 2);
    const ui::Rect sixth = controlRect(h, kFirstChip + 5);
    const struct {
        const ui::Rect* chip;  // clicked first, unless null
        int level;             // the win on the page, 0 for none
    } pages[] = {{nullptr, 27}, {&first, 3}, {&sixth, 0}};
    for (const auto& page : pages) {
        if (page.chip) h.click(*page.chip);
        h.capture();
        const ui::Rect& selected = page.chip ? *page.chip : third;
        EXPECT_TRUE(drawnPrimary(h, selected)) << page.level;
        EXPECT_EQ(&selected == &first, drawnPrimary(h, first)) << page.level;
        EXPECT_EQ(page.level ? 1 : 0, cardsShown(h)) << page.level;
        for (int level : {3, 27}) EXPECT_EQ(level == page.level, stageShown(h, first, level)) << page.level;
    }
    // A range without wins: the notice in the middle of the grid.
    const double midY = (first.bottom() + h.s(8) + h.h() - h.s(34)) / 2;
    EXPECT_GT(h.countNear(ui::Rect{h.w() / 2 - 150, midY - 10, 300, 20}, kMutedText, 12), 30);
}

// ---- settings ----------------------------------------------------------------

// Back, two switches, the music and sound sliders, "System" and the
// catalogue's languages, then Delete progress.
constexpr int kMusicSlider = 4, kSystemCell = 6, kResetButton = 29;

// The cell of a language code; "" is the System cell.
int languageCell(const std::string& code) {
    const auto& all = i18n::languages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].code == code) return kSystemCell + 1 + static_cast<int>(i);
    }
    EXPECT_EQ("", code);
    return kSystemCell;
}

// One visit, as a player makes it: a language and back to the system's, the music
// slider by drag, click and keys, a switch, then Delete progress cancelled and confirmed.
TEST_F(PagesTest, SettingsLanguagesVolumesSwitchAndReset) {
    Harness h(1280, 720);
    addSolve(5);
    store::recordBest(5, store::LevelBest{3, 12, 60000});
    store::advanceUnlockedLevel(6);
    store::saveGame(savedGameAt(6, chess::Board::startPosition().fen()));
    open(h, ScreenKind::Settings);
    const ui::Rect title{h.w() / 2 - 200, 15, 400, 32};
    const ui::Rect system = controlRect(h, kSystemCell), german = controlRect(h, languageCell("de"));
    h.capture();
    const int englishTitle = h.countNear(title, kDarkText, 24);
    EXPECT_FALSE(drawnPrimary(h, system)) << "a chosen language leaves the System cell unselected";

    const ui::Screen* before = game().current();
    h.click(german);
    EXPECT_EQ(store::settings().language, "de");
    EXPECT_EQ(i18n::currentLanguage(), "de");
    EXPECT_EQ(storedJson("settings.dat")["language"].asString(), "de");
    h.capture();
    EXPECT_NE(game().current(), before) << "rebuilt for the new texts";
    EXPECT_EQ(topKind(), ScreenKind::Settings);
    // "Einstellungen" is far wider than "Settings".
    EXPECT_GT(h.countNear(title, kDarkText, 24), englishTitle * 13 / 10);

    // The System cell follows the system language and is the selected one afterwards.
    h.click(system);
    EXPECT_EQ(store::settings().language, "");
    EXPECT_EQ(storedJson("settings.dat")["language"].asString(), "");
    h.capture();
    EXPECT_TRUE(drawnPrimary(h, system));

    // The volume follows the drag and is saved only on release. The slider's
    // track lies inside the reach it grabs the pointer from.
    const std::string saved = fileBytes(settingsFile());
    const ui::Rect grab = controlRect(h, kMusicSlider);
    const double x0 = grab.x + h.s(12), w = grab.w - 2 * h.s(12), y = grab.cy();
    h.press(x0 + 0.2 * w, y);
    EXPECT_NEAR(audio::musicVolume(), 0.2, 0.01);
    h.dragTo(x0 + 0.5 * w, y);
    EXPECT_NEAR(audio::musicVolume(), 0.5, 0.01);
    // Dragged past the end and below the track: still the music slider, clamped.
    h.dragTo(x0 + w + 5, y + 15);
    EXPECT_EQ(1.0, audio::musicVolume());
    h.dragTo(x0 + 0.7 * w, y);
    EXPECT_NEAR(store::settings().musicVolume, 0.7, 0.01);
    EXPECT_EQ(fileBytes(settingsFile()), saved) << "nothing written during the drag";
    h.release();
    EXPECT_NE(fileBytes(settingsFile()), saved);
    EXPECT_EQ(storedJson("settings.dat")["musicVolume"].asNumber(0), store::settings().musicVolume);
    EXPECT_EQ(0.75, store::settings().sfxVolume) << "the other slider is untouched";
    const std::string afterRelease = fileBytes(settingsFile());
    h.run(0.1);
    EXPECT_EQ(fileBytes(settingsFile()), afterRelease) << "saved once, not on every idle frame";
    // A click whose press and release fall into one frame sets and saves the volume too.
    h.click(x0 + 0.25 * w, y);
    EXPECT_EQ(0.25, store::settings().musicVolume);
    EXPECT_EQ(0.25, storedJson("settings.dat")["musicVolume"].asNumber(0));

    // From the keyboard: a switch, and the slider in 5 % steps and to its ends.
    controlRect(h, 2);
    h.key(SDLK_SPACE);
    EXPECT_TRUE(store::settings().flipBoard);
    controlRect(h, kMusicSlider);
    const struct {
        SDL_Keycode key;
        double volume;
    } slides[] = {{SDLK_RIGHT, 0.3}, {SDLK_RIGHT, 0.35}, {SDLK_LEFT, 0.3}, {SDLK_END, 1.0},
                  {SDLK_RIGHT, 1.0}, {SDLK_HOME, 0.0},   {SDLK_LEFT, 0.0}};
    for (const auto& slide : slides) {
        h.key(slide.key);
        EXPECT_EQ(slide.volume, store::settings().musicVolume);
        EXPECT_EQ(kMusicSlider, h.ctx().focus.current) << "Left and Right stay on the slider";
    }
    EXPECT_EQ(0.0, storedJson("settings.dat")["musicVolume"].asNumber(-1));
    h.key(SDLK_DOWN);
    EXPECT_EQ(0.75, store::settings().sfxVolume) << "Up and Down leave the slider untouched";

    // Delete progress: cancelled with Escape, then confirmed with Enter.
    const ui::Rect reset = controlRect(h, kResetButton);
    h.click(reset.x + 1, reset.cy());  // the left end of the button
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(6, store::unlockedLevel()) << "cancelled";
    h.click(reset.x + 1, reset.cy());
    // On the panel, clear of its buttons, over the "Deutsch" cell behind it:
    // the dialog stays open and the language stays.
    h.click(german);
    EXPECT_EQ(store::settings().language, "");
    EXPECT_EQ(6, store::unlockedLevel());
    h.key(SDLK_RETURN);
    EXPECT_EQ(store::unlockedLevel(), 1);
    EXPECT_TRUE(store::solves().empty());
    EXPECT_TRUE(store::levelBests().empty());
    EXPECT_FALSE(store::hasSavedGame());
    EXPECT_TRUE(store::settings().flipBoard);
    EXPECT_EQ(0.0, store::settings().musicVolume);
    EXPECT_EQ(topKind(), ScreenKind::Settings);
}

}  // namespace
