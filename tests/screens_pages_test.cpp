// The gallery, settings, about and licences screens driven through the real
// frame loop: scripted clicks, drags, wheel notches and keys, with the
// composed frames read back as pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <cairo.h>
#include <unistd.h>

#include "core/chess.h"
#include "core/json.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/audio.h"
#include "platform/paths.h"
#include "platform/save_crypt.h"
#include "theme.h"
#include "ui/app.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/gpu.h"
#include "ui/widgets.h"

// Fontconfig and pango keep their font cache until the process ends, which a
// sanitizer build's leak checker would report. Weak, so that another file of
// this test binary may bring the same list.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libpangoft2-1.0.so\n";
}

namespace {

// ---- a throw-away home, no real display or sound ------------------------------

std::string makeTempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvane-pages-XXXXXX").string();
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
constexpr std::uint32_t kPrimary = 0x8A4B1C;
constexpr std::uint32_t kDarkText = 0x3A2810;

int channel(std::uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

int colourDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) d = std::max(d, std::abs(channel(a, shift) - channel(b, shift)));
    return d;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string settingsFile() { return paths::dataDir() + "/settings.dat"; }

// The settings as written in "settings.dat", opened and parsed.
js::Value settingsOnDisk() {
    std::string text;
    if (platform::saveDecrypt(fileBytes(settingsFile()), &text) != platform::SaveReadResult::Ok) return {};
    return js::parse(text);
}

// ---- the harness: a hidden window, the real frame loop, a scripted clock -----

class Harness {
public:
    Harness(int w, int h) : w_(w), h_(h) {
        window_ = SDL_CreateWindow("pages", 0, 0, w, h, SDL_WINDOW_HIDDEN);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE) : nullptr;
        ui::gpuInit(renderer_);
        ui::FrameHooks hooks;
        hooks.now = [this] { return clock_; };
        hooks.samplePointer = [this] {
            ui::PointerSample p;
            p.x = mouseX_;
            p.y = mouseY_;
            p.left = held_;
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
    double u() const { return ui::layoutScale(w_, h_); }
    double s(double v) const { return v * u(); }
    int width() const { return w_; }
    int height() const { return h_; }

    void frame() {
        clock_ += kStep;
        loop_->runFrame();
    }
    void moveTo(double x, double y) {
        mouseX_ = x;
        mouseY_ = y;
    }
    // A press and release at (x, y) within one frame.
    void click(double x, double y) {
        moveTo(x, y);
        pushButton(SDL_MOUSEBUTTONDOWN);
        pushButton(SDL_MOUSEBUTTONUP);
        frame();
        moveTo(-1, -1);
    }
    void click(const ui::Rect& r) { click(r.cx(), r.cy()); }
    void press(double x, double y) {
        moveTo(x, y);
        held_ = true;
        pushButton(SDL_MOUSEBUTTONDOWN);
        frame();
    }
    void dragTo(double x, double y) {
        moveTo(x, y);
        frame();
    }
    void release() {
        held_ = false;
        pushButton(SDL_MOUSEBUTTONUP);
        frame();
    }
    void key(int code) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = code;
        SDL_PushEvent(&e);
        frame();
    }
    // Wheel notches over (x, y); negative scrolls towards the end.
    void wheel(double x, double y, int notches) {
        moveTo(x, y);
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = notches;
        SDL_PushEvent(&e);
        frame();
    }

    // Runs one frame and keeps its composed picture.
    void capture() {
        capture_ = true;
        frame();
        capture_ = false;
    }
    std::uint32_t pixel(double x, double y) const {
        const int ix = std::clamp(static_cast<int>(x), 0, w_ - 1);
        const int iy = std::clamp(static_cast<int>(y), 0, h_ - 1);
        return pixels_[static_cast<std::size_t>(iy) * static_cast<std::size_t>(w_) + ix] & 0xFFFFFF;
    }
    int countNear(const ui::Rect& r, std::uint32_t rgb, int tolerance) const {
        int n = 0;
        for (int y = static_cast<int>(r.y); y < static_cast<int>(r.bottom()); ++y) {
            for (int x = static_cast<int>(r.x); x < static_cast<int>(r.right()); ++x) {
                if (colourDistance(pixel(x, y), rgb) <= tolerance) ++n;
            }
        }
        return n;
    }
    std::vector<std::uint32_t> region(const ui::Rect& r) const {
        std::vector<std::uint32_t> out;
        for (int y = static_cast<int>(r.y); y < static_cast<int>(r.bottom()); ++y) {
            for (int x = static_cast<int>(r.x); x < static_cast<int>(r.right()); ++x) out.push_back(pixel(x, y));
        }
        return out;
    }

    ui::Rect backButton() const {
        const double m = s(16);
        return {m, m, s(130), s(34)};
    }
    double headerH() const { return s(60); }

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
    bool held_ = false;
    bool capture_ = false;
    std::vector<std::uint32_t> pixels_;
};

// ---- fixture: fresh progress and settings, the screen opened above the menu ----

class PagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_Init(SDL_INIT_VIDEO);
        store::init();
        ui::registerBundledFonts();
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
    }
    void TearDown() override { i18n::setLanguage("en"); }

    static void open(Harness& h, ui::ScreenKind kind) {
        ui::GameState menu;
        menu.kind = ui::ScreenKind::Menu;
        ui::Game::instance().resetTo(menu);
        ui::GameState top;
        top.kind = kind;
        ui::Game::instance().push(top);
        h.frame();
    }
    static ui::ScreenKind topKind() { return ui::Game::instance().top().kind; }
    static int depth() { return ui::Game::instance().depth(); }

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

// ---- navigation ---------------------------------------------------------------

TEST_F(PagesTest, BackButtonAndEscapeReturnToTheMenu) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    for (ui::ScreenKind kind : {ui::ScreenKind::Gallery, ui::ScreenKind::Settings, ui::ScreenKind::About,
                                ui::ScreenKind::Licenses}) {
        SCOPED_TRACE(static_cast<int>(kind));
        open(h, kind);
        ASSERT_EQ(topKind(), kind);
        h.click(h.backButton());
        EXPECT_EQ(topKind(), ui::ScreenKind::Menu);
        EXPECT_EQ(depth(), 1);

        open(h, kind);
        h.frame();
        EXPECT_EQ(topKind(), kind) << "left without input";
        h.key(SDLK_ESCAPE);
        EXPECT_EQ(topKind(), ui::ScreenKind::Menu);
        EXPECT_EQ(depth(), 1);
    }
}

// The centre line of the about page's first link below the header, in
// reference units at size factor 1.
constexpr double kAboutFirstLink = 26 + 42 + 36 + 28 + 24 + 26 + 22 + 30 + 26;

TEST_F(PagesTest, AboutLicencesButtonOpensTheLicencesAndLinksTakeTheirClick) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::About);

    // A link: dimmed under the mouse, its click swallowed without effect.
    const double linkY = h.headerH() + kAboutFirstLink;
    const ui::Rect linkBand{h.width() / 2.0 - 80, linkY - 8, 160, 16};
    h.moveTo(-1, -1);
    h.capture();
    const int plain = h.countNear(linkBand, kPrimary, 10);
    h.moveTo(h.width() / 2.0, linkY);
    h.capture();
    const int hovered = h.countNear(linkBand, kPrimary, 10);
    EXPECT_GT(plain, 40);
    EXPECT_LT(hovered, plain / 2);
    h.click(h.width() / 2.0, linkY);
    h.frame();
    EXPECT_EQ(topKind(), ui::ScreenKind::About);
    EXPECT_EQ(depth(), 2);

    // In a 720-high window the button sits 78 above the bottom edge.
    h.click(h.width() / 2.0, h.height() - 78 + 25);
    EXPECT_EQ(topKind(), ui::ScreenKind::Licenses);
    EXPECT_EQ(depth(), 3);
    h.frame();
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ui::ScreenKind::About);
}

TEST_F(PagesTest, AboutButtonStaysAboveTheBottomInShortWindowsAndLinksWinOverIt) {
    // 313 high: the small-window factor 0.62 at the 0.72 layout floor, and a
    // column taller than the window, so the button is pulled up over the credits.
    Harness h(1280, 313);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::About);
    const double k = 0.62 * 0.72;
    const double buttonTop = h.height() - 78 * k;
    const double buttonBottom = buttonTop + 50 * k;

    // Measure where the last link ends up, the way the column stacks its lines.
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(scratch);
    auto linkHeight = [&](const char* text, double size) {
        ui::TextStyle style;
        style.size = size;
        double w = 0, th = 0;
        ui::measureText(cr, text, style, &w, &th);
        return th;
    };
    const double headerH = 52 * 0.72;  // compact below 460.8
    double y = headerH + kAboutFirstLink * k;
    y += linkHeight("hallo@orlavan-software.de", 17 * k) + 17 * k / 2;
    y += linkHeight("www.orlavan-software.de", 17 * k) + 17 * k / 2;
    y += (14 + 24 + 24 + 22) * k;
    y += linkHeight("Zelvane Chess Core 1.0.3", 15 * k) + 15 * k / 2;
    y += (10 + 24 + 24 + 22) * k;
    y += linkHeight("Orlavan Software \u00B7 Musik", 15 * k) + 15 * k / 2;
    const double lastLinkY = y + 22 * k;
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    ASSERT_GT(lastLinkY, buttonTop + 2) << "the test expects the button over the last link";
    ASSERT_LT(lastLinkY, buttonBottom - 2);

    h.click(h.width() / 2.0, lastLinkY);
    h.frame();
    EXPECT_EQ(topKind(), ui::ScreenKind::About) << "the link lies above the button";
    // Beside the link's text the button still answers.
    h.click(h.width() / 2.0 + h.s(280) / 2 - 8, buttonBottom - 3);
    EXPECT_EQ(topKind(), ui::ScreenKind::Licenses);
}

// ---- gallery ---------------------------------------------------------------------

// Where the gallery puts its chips and cards in a 1280 x 720 window.
ui::Rect galleryChip(const Harness& h, int p) {
    const double chipW = std::min((h.width() - h.s(24) - 9 * h.s(6)) / 10, h.s(92));
    const double x0 = (h.width() - (10 * chipW + 9 * h.s(6))) / 2;
    return {x0 + p * (chipW + h.s(6)), h.headerH() + h.s(4), chipW, h.s(28)};
}
ui::Rect galleryCard(const Harness& h, int i) {
    const double margin = h.s(16), gap = h.s(10);
    const double y0 = h.headerH() + h.s(4) + h.s(28) + h.s(8);
    const int cols = std::clamp(static_cast<int>((h.width() - 2 * margin) / h.s(230)), 2, 5);
    const int rows = (10 + cols - 1) / cols;
    const double cardW = (h.width() - 2 * margin - (cols - 1) * gap) / cols;
    const double cardH = std::min((h.height() - h.s(34) - y0 - (rows - 1) * gap) / rows, 1.26 * cardW);
    return {margin + (i % cols) * (cardW + gap), y0 + (i / cols) * (cardH + gap), cardW, cardH};
}
// The card's mini board in the looks of the level's stage: its dark squares
// (opaque, so their colour is exact) cover a good part of the board's area.
bool cardShown(const Harness& h, int i, int level) {
    const ui::Rect r = galleryCard(h, i);
    const double side = std::min(r.w - h.s(16), 0.56 * r.h);
    const ui::Rect board{r.cx() - side / 2, r.y + h.s(8), side, side};
    const std::uint32_t dark = theme::boardForStage(levels::configFor(level).stage).dark;
    return h.countNear(board, dark, 6) > side * side / 10;
}
// Chip p drawn selected: the primary fill at its left end, clear of the label.
bool chipSelected(const Harness& h, int p) {
    const ui::Rect r = galleryChip(h, p);
    return h.countNear(ui::Rect{r.x + 5, r.y + 8, 6, r.h - 16}, kPrimary, 12) > 40;
}

TEST_F(PagesTest, GalleryOpensOnTheRangeOfTheHighestSolveAndPagesByChips) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    addSolve(3);
    addSolve(27);
    ASSERT_NE(levels::configFor(3).stage, levels::configFor(27).stage);
    open(h, ui::ScreenKind::Gallery);
    h.capture();
    EXPECT_TRUE(chipSelected(h, 2));
    EXPECT_FALSE(chipSelected(h, 0));
    EXPECT_TRUE(cardShown(h, 0, 27));
    EXPECT_FALSE(cardShown(h, 1, 27));

    h.click(galleryChip(h, 0));
    h.capture();
    EXPECT_TRUE(chipSelected(h, 0));
    EXPECT_TRUE(cardShown(h, 0, 3));
    EXPECT_FALSE(cardShown(h, 1, 3));

    // A range without wins: no cards, the notice in the middle of the grid.
    h.click(galleryChip(h, 5));
    h.capture();
    EXPECT_TRUE(chipSelected(h, 5));
    EXPECT_FALSE(cardShown(h, 0, 51));
    const ui::Rect top = galleryCard(h, 0);
    const double midY = (top.y + h.height() - h.s(34)) / 2;
    EXPECT_GT(h.countNear(ui::Rect{h.width() / 2.0 - 150, midY - 10, 300, 20}, 0x8A7456, 12), 30);
}

TEST_F(PagesTest, GalleryWithoutWinsShowsOnlyItsNotice) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::Gallery);
    h.capture();
    for (int p : {0, 5, 9}) EXPECT_FALSE(chipSelected(h, p));
    EXPECT_GT(h.countNear(ui::Rect{h.width() / 2.0 - 150, h.height() / 2.0 - 20, 300, 40}, 0x8A7456, 12), 30);
    // A click where chip 0 would be picks no page: the first win recorded
    // while the screen is open still chooses the range it opens on.
    h.click(galleryChip(h, 0));
    addSolve(45);
    h.capture();
    EXPECT_TRUE(chipSelected(h, 4));
    EXPECT_TRUE(cardShown(h, 0, 45));
}

TEST_F(PagesTest, GalleryLevelHundredOpensTheLastRangeAndTenWinsFillTheGrid) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    for (int level = 91; level <= 100; ++level) addSolve(level);
    open(h, ui::ScreenKind::Gallery);
    h.capture();
    EXPECT_TRUE(chipSelected(h, 9));
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(cardShown(h, i, 91 + i)) << "card " << i;
    EXPECT_LE(galleryCard(h, 9).bottom(), h.height() - h.s(34) + 0.5);
}

TEST_F(PagesTest, GalleryCardWithoutFinalPositionShowsTheStartingPosition) {
    const std::string start = chess::Board::startPosition().fen();
    auto boardPixels = [](const std::string& fen) {
        store::resetProgress();
        addSolve(12, fen);
        Harness h(1280, 720);
        open(h, ui::ScreenKind::Gallery);
        h.capture();
        const ui::Rect r = galleryCard(h, 0);
        const double side = std::min(r.w - h.s(16), 0.56 * r.h);
        return h.region(ui::Rect{r.cx() - side / 2 + 2, r.y + h.s(8) + 2, side - 4, side - 4});
    };
    const std::vector<std::uint32_t> empty = boardPixels("");
    EXPECT_EQ(empty, boardPixels(start));
    EXPECT_NE(empty, boardPixels("4k3/8/8/8/8/8/8/4K2Q w - - 0 1"));
}

// ---- settings ----------------------------------------------------------------

// The settings column at 1280 x 720: 620 wide and centred, content from y = 66.
constexpr double kColumnX = 330, kColumnW = 620;
constexpr double kFlipRowY = 96, kMusicSliderY = 244, kLanguageGridY = 364, kResetButtonY = 590;

ui::Rect languageCell(int i) { return {kColumnX + (i % 5) * 118, kLanguageGridY + (i / 5) * 36, 112, 30}; }

int languageIndex(const std::string& code) {
    const auto& all = i18n::languages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].code == code) return static_cast<int>(i);
    }
    return -1;
}

TEST_F(PagesTest, SettingsLanguageChangeSavesAndRebuildsTheScreenInTheNewLanguage) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::Settings);
    const ui::Rect title{h.width() / 2.0 - 200, 15, 400, 32};
    h.capture();
    const int englishTitle = h.countNear(title, kDarkText, 24);
    EXPECT_TRUE(h.countNear(ui::Rect{languageCell(0).x + 4, languageCell(0).y + 6, 6, 18}, kPrimary, 12) == 0)
        << "a chosen language leaves the System cell unselected";

    const ui::Screen* before = ui::Game::instance().current();
    const int de = languageIndex("de");
    ASSERT_GE(de, 0);
    h.click(languageCell(de + 1));
    EXPECT_EQ(store::settings().language, "de");
    EXPECT_EQ(i18n::currentLanguage(), "de");
    EXPECT_EQ(settingsOnDisk()["language"].asString(), "de");
    h.capture();
    EXPECT_NE(ui::Game::instance().current(), before) << "rebuilt for the new texts";
    EXPECT_EQ(topKind(), ui::ScreenKind::Settings);
    // "Einstellungen" is far wider than "Settings".
    EXPECT_GT(h.countNear(title, kDarkText, 24), englishTitle * 13 / 10);

    // Cell 0 follows the system language and is the selected one afterwards.
    h.click(languageCell(0));
    EXPECT_EQ(store::settings().language, "");
    EXPECT_EQ(settingsOnDisk()["language"].asString(), "");
    h.capture();
    EXPECT_GT(h.countNear(ui::Rect{languageCell(0).x + 4, languageCell(0).y + 6, 6, 18}, kPrimary, 12), 40);
}

TEST_F(PagesTest, SettingsToggleFlipsAndSavesAtOnce) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::Settings);
    h.click(kColumnX + kColumnW - 30, kFlipRowY + 19);
    EXPECT_TRUE(store::settings().flipBoard);
    EXPECT_TRUE(settingsOnDisk()["flipBoard"].asBool(false));
    EXPECT_TRUE(store::settings().showLegalMoves);
}

TEST_F(PagesTest, SettingsVolumeFollowsTheDragAndIsSavedOnlyOnRelease) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    store::saveSettings();
    open(h, ui::ScreenKind::Settings);
    const std::string saved = fileBytes(settingsFile());
    const double y = kMusicSliderY + 11;

    h.press(kColumnX + 0.2 * kColumnW, y);
    EXPECT_NEAR(audio::musicVolume(), 0.2, 0.01);
    h.dragTo(kColumnX + 0.5 * kColumnW, y);
    EXPECT_NEAR(audio::musicVolume(), 0.5, 0.01);
    // Dragged past the end and below the track: still the music slider, clamped.
    h.dragTo(kColumnX + kColumnW + 5, y + 15);
    EXPECT_NEAR(audio::musicVolume(), 1.0, 1e-9);
    h.dragTo(kColumnX + 0.7 * kColumnW, y);
    EXPECT_NEAR(store::settings().musicVolume, 0.7, 0.01);
    EXPECT_EQ(fileBytes(settingsFile()), saved) << "nothing written during the drag";

    h.release();
    EXPECT_NE(fileBytes(settingsFile()), saved);
    EXPECT_NEAR(settingsOnDisk()["musicVolume"].asNumber(0), 0.7, 0.01);
    EXPECT_NEAR(store::settings().sfxVolume, 0.75, 1e-9) << "the other slider is untouched";

    const std::string afterRelease = fileBytes(settingsFile());
    h.frame();
    h.frame();
    EXPECT_EQ(fileBytes(settingsFile()), afterRelease) << "saved once, not on every idle frame";
}

TEST_F(PagesTest, SettingsDialogBlocksEscapeAndEverythingBehindIt) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::Settings);
    const ui::Rect reset{kColumnX, kResetButtonY, 260, 34};
    h.click(reset);

    h.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ui::ScreenKind::Settings) << "Escape only closes the dialog";
    EXPECT_EQ(depth(), 2);
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(topKind(), ui::ScreenKind::Menu);

    // A click outside the panel cancels; the toggle under it stays as it was.
    open(h, ui::ScreenKind::Settings);
    h.click(reset);
    h.click(kColumnX + kColumnW - 30, kFlipRowY + 19);
    EXPECT_FALSE(store::settings().flipBoard);
    EXPECT_EQ(topKind(), ui::ScreenKind::Settings);
    h.click(reset);
    h.click(h.backButton());
    EXPECT_EQ(topKind(), ui::ScreenKind::Settings) << "the back click only cancelled the dialog";
    EXPECT_FALSE(store::settings().flipBoard);
    h.click(h.backButton());
    EXPECT_EQ(topKind(), ui::ScreenKind::Menu);
}

TEST_F(PagesTest, SettingsConfirmedResetClearsProgressButKeepsSettings) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    addSolve(5);
    store::recordBest(5, store::LevelBest{3, 12, 60000});
    store::advanceUnlockedLevel(6);
    store::SavedGame game;
    game.level = 6;
    game.fen = chess::Board::startPosition().fen();
    game.startFen = game.fen;
    store::saveGame(game);
    store::settings().flipBoard = true;
    store::settings().musicVolume = 0.4;
    open(h, ui::ScreenKind::Settings);

    h.click(kColumnX + 1, kResetButtonY + 17);  // the left end of the button
    // On the panel, clear of its buttons, over the "Deutsch" cell behind it:
    // the dialog stays open and the language stays.
    h.click(languageCell(languageIndex("de") + 1));
    EXPECT_EQ(store::settings().language, "en");
    EXPECT_GT(store::unlockedLevel(), 1);
    h.key(SDLK_RETURN);
    EXPECT_EQ(store::unlockedLevel(), 1);
    EXPECT_TRUE(store::solves().empty());
    EXPECT_TRUE(store::levelBests().empty());
    EXPECT_FALSE(store::hasSavedGame());
    EXPECT_TRUE(store::settings().flipBoard);
    EXPECT_NEAR(store::settings().musicVolume, 0.4, 1e-9);
    EXPECT_EQ(topKind(), ui::ScreenKind::Settings);
}

// ---- licences ------------------------------------------------------------------

TEST_F(PagesTest, LicencesScrollToTheirEndAndStopThere) {
    Harness h(1280, 720);
    ASSERT_TRUE(h.ready());
    open(h, ui::ScreenKind::Licenses);
    // At the end the last row's name sits 162 above the bottom edge: 24 rows of
    // 92, 50 of introduction and 84 of closing note and margin.
    const ui::Rect lastName{h.width() / 2.0 - 60, h.height() - 162.0 - 7, 120, 14};
    const ui::Rect note{h.width() / 2.0 - 250, h.height() - 52.0 - 14, 500, 28};
    h.capture();
    EXPECT_LT(h.countNear(lastName, kDarkText, 30), 10);

    for (int i = 0; i < 6; ++i) h.wheel(h.width() / 2.0, 400, -10);
    h.capture();
    const int atEnd = h.countNear(lastName, kDarkText, 30);
    EXPECT_GT(atEnd, 40);
    EXPECT_GT(h.countNear(note, 0x8A7456, 20), 60);

    h.wheel(h.width() / 2.0, 400, -5);
    h.capture();
    EXPECT_EQ(h.countNear(lastName, kDarkText, 30), atEnd) << "the offset is clamped at the end";

    // Back to the top with a drag downwards.
    h.press(h.width() / 2.0, 200);
    for (int i = 1; i <= 20; ++i) h.dragTo(h.width() / 2.0, 200 + 100.0 * i);
    h.release();
    h.capture();
    EXPECT_LT(h.countNear(lastName, kDarkText, 30), 10);
    EXPECT_EQ(topKind(), ui::ScreenKind::Licenses) << "the release ending a drag is no click";
}

}  // namespace

