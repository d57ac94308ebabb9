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

constexpr std::uint32_t kPrimary = 0x8A4B1C;
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

double headerH(const Harness& h) { return h.s(60); }

// ---- about ------------------------------------------------------------------
// The centre line of the about page's first link below the header, in
// reference units at size factor 1.
constexpr double kAboutFirstLink = 26 + 42 + 36 + 28 + 24 + 26 + 22 + 30 + 26;

TEST_F(PagesTest, AboutLinksTakeTheirClickAndTheButtonUnderTheCreditsOpensTheLicences) {
    Harness h(1280, 720);
    open(h, ScreenKind::About);

    // The mail link, in the makers' column on the left: dimmed under the
    // mouse, its click swallowed without effect.
    const double linkX = h.w() / 4 + 8, linkY = headerH(h) + kAboutFirstLink;
    const ui::Rect linkBand{linkX - 80, linkY - 8, 160, 16};
    h.capture();
    const int plain = h.countNear(linkBand, kPrimary, 10);
    h.moveTo(linkX, linkY);
    h.capture();
    EXPECT_GT(plain, 40);
    EXPECT_LT(h.countNear(linkBand, kPrimary, 10), plain / 2);
    h.click(linkX, linkY);
    h.frame();
    EXPECT_EQ(topKind(), ScreenKind::About);
    EXPECT_EQ(game().depth(), 2);

    // Down the credits' column on the right only the button below them leaves.
    double y = headerH(h);
    for (; topKind() == ScreenKind::About && y < h.h(); y += 8) {
        h.click(h.w() * 3 / 4 - 8, y);
        h.frame();
    }
    EXPECT_EQ(topKind(), ScreenKind::Licenses);
    EXPECT_GT(y, h.h() / 3);
    EXPECT_EQ(game().depth(), 3);
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ScreenKind::About);
}

// ---- gallery ---------------------------------------------------------------------

ui::Rect galleryCard(const Harness& h, int i) {
    const double margin = h.s(16), gap = h.s(10);
    const double y0 = headerH(h) + h.s(4) + h.s(28) + h.s(8);
    const int cols = std::clamp(static_cast<int>((h.w() - 2 * margin) / h.s(230)), 2, 5);
    const int rows = (10 + cols - 1) / cols;
    const double cardW = (h.w() - 2 * margin - (cols - 1) * gap) / cols;
    const double cardH = std::min((h.h() - h.s(34) - y0 - (rows - 1) * gap) / rows, 1.26 * cardW);
    return {margin + (i % cols) * (cardW + gap), y0 + (i / cols) * (cardH + gap), cardW, cardH};
}
ui::Rect cardBoard(const Harness& h, int i) {
    const ui::Rect r = galleryCard(h, i);
    const double side = std::min(r.w - h.s(16), 0.56 * r.h);
    return {r.cx() - side / 2, r.y + h.s(8), side, side};
}
// The card's mini board in the looks of the level's stage: its dark squares
// (opaque, so their colour is exact) cover a good part of the board's area.
bool cardShown(const Harness& h, int i, int level) {
    const ui::Rect board = cardBoard(h, i);
    const std::uint32_t dark = theme::boardForStage(levels::configFor(level).stage).dark;
    return h.countNear(board, dark, 6) > board.w * board.w / 10;
}
// Chip p drawn selected: the primary fill at its left end, clear of the label.
bool chipSelected(const Harness& h, int p) {
    const ui::Rect r = pageChip(h, headerH(h), p);
    return h.countNear(ui::Rect{r.x + 5, r.y + 8, 6, r.h - 16}, kPrimary, 12) > 40;
}

TEST_F(PagesTest, GalleryOpensOnTheRangeOfTheHighestSolveAndPagesByChips) {
    Harness h(1280, 720);
    addSolve(3);
    addSolve(27);
    ASSERT_NE(levels::configFor(3).stage, levels::configFor(27).stage);
    open(h, ScreenKind::Gallery);
    h.capture();
    EXPECT_TRUE(chipSelected(h, 2));
    EXPECT_FALSE(chipSelected(h, 0));
    EXPECT_TRUE(cardShown(h, 0, 27));
    EXPECT_FALSE(cardShown(h, 1, 27));

    h.click(pageChip(h, headerH(h), 0));
    h.capture();
    EXPECT_TRUE(chipSelected(h, 0));
    EXPECT_TRUE(cardShown(h, 0, 3));
    EXPECT_FALSE(cardShown(h, 1, 3));

    // A range without wins: no cards, the notice in the middle of the grid.
    h.click(pageChip(h, headerH(h), 5));
    h.capture();
    EXPECT_TRUE(chipSelected(h, 5));
    EXPECT_FALSE(cardShown(h, 0, 51));
    const double midY = (galleryCard(h, 0).y + h.h() - h.s(34)) / 2;
    EXPECT_GT(h.countNear(ui::Rect{h.w() / 2 - 150, midY - 10, 300, 20}, kMutedText, 12), 30);
}

TEST_F(PagesTest, GalleryCardWithoutFinalPositionShowsTheStartingPosition) {
    auto boardPixels = [](const std::string& fen) {
        store::resetProgress();
        addSolve(12, fen);
        Harness h(1280, 720);
        open(h, ScreenKind::Gallery);
        h.capture();
        const ui::Rect r = cardBoard(h, 0);
        return h.region(ui::Rect{r.x + 2, r.y + 2, r.w - 4, r.h - 4});
    };
    const std::vector<std::uint32_t> empty = boardPixels("");
    EXPECT_EQ(empty, boardPixels(chess::Board::startPosition().fen()));
    EXPECT_NE(empty, boardPixels("4k3/8/8/8/8/8/8/4K2Q w - - 0 1"));
}

// ---- settings ----------------------------------------------------------------

// The settings column at 1280 x 720: 620 wide and centred, content from y = 66.
constexpr double kColumnX = 330, kColumnW = 620;
constexpr double kMusicSliderY = 244 + 11, kLanguageGridY = 364, kResetButtonY = 590;

ui::Rect languageCell(int i) { return {kColumnX + (i % 5) * 118, kLanguageGridY + (i / 5) * 36, 112, 30}; }

// Cell 0 is "System"; the catalogue's languages follow.
ui::Rect languageCell(const std::string& code) {
    const auto& all = i18n::languages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].code == code) return languageCell(static_cast<int>(i) + 1);
    }
    ADD_FAILURE() << "no language " << code;
    return {};
}

bool cellSelected(const Harness& h, const ui::Rect& cell) {
    return h.countNear(ui::Rect{cell.x + 4, cell.y + 6, 6, 18}, kPrimary, 12) > 40;
}

TEST_F(PagesTest, SettingsLanguageChangeSavesAndRebuildsTheScreenInTheNewLanguage) {
    Harness h(1280, 720);
    open(h, ScreenKind::Settings);
    const ui::Rect title{h.w() / 2 - 200, 15, 400, 32};
    h.capture();
    const int englishTitle = h.countNear(title, kDarkText, 24);
    EXPECT_FALSE(cellSelected(h, languageCell(0))) << "a chosen language leaves the System cell unselected";

    const ui::Screen* before = game().current();
    h.click(languageCell("de"));
    EXPECT_EQ(store::settings().language, "de");
    EXPECT_EQ(i18n::currentLanguage(), "de");
    EXPECT_EQ(storedJson("settings.dat")["language"].asString(), "de");
    h.capture();
    EXPECT_NE(game().current(), before) << "rebuilt for the new texts";
    EXPECT_EQ(topKind(), ScreenKind::Settings);
    // "Einstellungen" is far wider than "Settings".
    EXPECT_GT(h.countNear(title, kDarkText, 24), englishTitle * 13 / 10);

    // Cell 0 follows the system language and is the selected one afterwards.
    h.click(languageCell(0));
    EXPECT_EQ(store::settings().language, "");
    EXPECT_EQ(storedJson("settings.dat")["language"].asString(), "");
    h.capture();
    EXPECT_TRUE(cellSelected(h, languageCell(0)));
}

TEST_F(PagesTest, SettingsVolumeFollowsTheDragAndIsSavedOnlyOnRelease) {
    Harness h(1280, 720);
    store::saveSettings();
    open(h, ScreenKind::Settings);
    const std::string saved = fileBytes(settingsFile());

    h.press(kColumnX + 0.2 * kColumnW, kMusicSliderY);
    EXPECT_NEAR(audio::musicVolume(), 0.2, 0.01);
    h.dragTo(kColumnX + 0.5 * kColumnW, kMusicSliderY);
    EXPECT_NEAR(audio::musicVolume(), 0.5, 0.01);
    // Dragged past the end and below the track: still the music slider, clamped.
    h.dragTo(kColumnX + kColumnW + 5, kMusicSliderY + 15);
    EXPECT_NEAR(audio::musicVolume(), 1.0, 1e-9);
    h.dragTo(kColumnX + 0.7 * kColumnW, kMusicSliderY);
    EXPECT_NEAR(store::settings().musicVolume, 0.7, 0.01);
    EXPECT_EQ(fileBytes(settingsFile()), saved) << "nothing written during the drag";

    h.release();
    EXPECT_NE(fileBytes(settingsFile()), saved);
    EXPECT_NEAR(storedJson("settings.dat")["musicVolume"].asNumber(0), 0.7, 0.01);
    EXPECT_NEAR(store::settings().sfxVolume, 0.75, 1e-9) << "the other slider is untouched";

    const std::string afterRelease = fileBytes(settingsFile());
    h.run(0.1);
    EXPECT_EQ(fileBytes(settingsFile()), afterRelease) << "saved once, not on every idle frame";

    // A click whose press and release fall into one frame sets and saves the volume too.
    h.click(kColumnX + 0.25 * kColumnW, kMusicSliderY);
    EXPECT_EQ(0.25, store::settings().musicVolume);
    EXPECT_EQ(0.25, storedJson("settings.dat")["musicVolume"].asNumber(0));
}

TEST_F(PagesTest, SettingsConfirmedResetClearsProgressButKeepsSettings) {
    Harness h(1280, 720);
    addSolve(5);
    store::recordBest(5, store::LevelBest{3, 12, 60000});
    store::advanceUnlockedLevel(6);
    store::saveGame(savedGameAt(6, chess::Board::startPosition().fen()));
    store::settings().flipBoard = true;
    store::settings().musicVolume = 0.4;
    open(h, ScreenKind::Settings);

    h.click(kColumnX + 1, kResetButtonY + 17);  // the left end of the button
    // On the panel, clear of its buttons, over the "Deutsch" cell behind it:
    // the dialog stays open and the language stays.
    h.click(languageCell("de"));
    EXPECT_EQ(store::settings().language, "en");
    EXPECT_GT(store::unlockedLevel(), 1);
    h.key(SDLK_RETURN);
    EXPECT_EQ(store::unlockedLevel(), 1);
    EXPECT_TRUE(store::solves().empty());
    EXPECT_TRUE(store::levelBests().empty());
    EXPECT_FALSE(store::hasSavedGame());
    EXPECT_TRUE(store::settings().flipBoard);
    EXPECT_NEAR(store::settings().musicVolume, 0.4, 1e-9);
    EXPECT_EQ(topKind(), ScreenKind::Settings);
}

}  // namespace
