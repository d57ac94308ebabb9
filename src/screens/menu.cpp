// The main menu: the animated title with its tagline and a column of gently
// rocking buttons, each carrying a chess piece. It keeps nothing between
// frames; labels and the continue level follow the progress store.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/chess.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/audio.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/pieces.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr std::uint32_t kTaglineColour = kWidgetMutedText;
constexpr double kRockDegrees = 0.9;  // how far a button rocks around its resting tilt
constexpr double kRockSpeed = 0.9;    // radians per second
constexpr double kRockPhase = 0.7;    // phase step from one button to the next
constexpr double kPictureMargin = 9;  // around a button's face in its picture: outline and focus ring

struct Entry {
    const char* key;
    chess::Piece piece;
    double tilt;  // resting tilt in degrees, positive clockwise
    ScreenKind target;
    bool primary;
};

// Where "Continue" leads: the suspended game, or else the next unsolved level.
struct Progress {
    bool allCleared = false;
    int continueLevel = 1;
    store::SavedGame save;
};

Progress readProgress() {
    Progress p;
    const int unlocked = store::unlockedLevel();
    p.allCleared = unlocked > levels::kTotalLevels;
    const int frontier = std::clamp(unlocked, 1, levels::kTotalLevels);
    p.save = store::savedGame();
    p.continueLevel = p.save.valid ? p.save.level : frontier;
    return p;
}

std::vector<Entry> entriesFor(const Progress& p) {
    std::vector<Entry> list;
    list.push_back({p.allCleared ? "menu.allCleared" : "menu.levelSelect", 'K', -0.8, ScreenKind::LevelSelect, true});
    if (!p.allCleared) list.push_back({"menu.continue", 'Q', 1.0, ScreenKind::Playing, false});
    list.push_back({"menu.gallery", 'R', -0.5, ScreenKind::Gallery, false});
    list.push_back({"menu.settings", 'N', 0.7, ScreenKind::Settings, false});
    list.push_back({"menu.about", 'P', -1.0, ScreenKind::About, false});
    return list;
}

const Entry kQuit{"menu.quit", 'p', 0.5, ScreenKind::Menu, false};

GameState stateFor(const Entry& entry, const Progress& p) {
    GameState state;
    state.kind = entry.target;
    if (entry.target != ScreenKind::Playing) return state;
    state.level = p.continueLevel;
    state.resume = p.save.valid;
    state.seed = p.save.valid ? p.save.seed : freshGameSeed();
    return state;
}

// How a button looks under the pointer.
enum class ButtonLook { Plain = 0, Hovered = 1, Held = 2 };

// Everything a button's picture depends on; it is painted into a texture once
// and then only turned, so that no text is laid out at a new angle per frame.
struct ButtonPicture {
    std::string label;
    const Entry* entry;
    ButtonLook look;
    bool focused;
    Rect face;  // the button inside the picture, in window units
    double ui;
};

std::string pictureKey(const ButtonPicture& b, int pw, int ph) {
    char head[96];
    std::snprintf(head, sizeof head, "menu:button:%c:%d:%d:%d:%dx%d:%.4f:", b.entry->piece, b.entry->primary ? 1 : 0,
                  static_cast<int>(b.look), b.focused ? 1 : 0, pw, ph, b.ui);
    return head + b.label;
}

// The button drawn upright: its face, its piece and its label.
void paintButton(cairo_t* cr, void* arg) {
    const ButtonPicture& b = *static_cast<const ButtonPicture*>(arg);
    const Rect& r = b.face;
    Ctx face;  // a context of its own: a picture takes no clicks
    face.cr = cr;
    face.ui = b.ui;
    if (b.look != ButtonLook::Plain) {
        face.in.mouseX = r.cx();
        face.in.mouseY = r.cy();
        face.in.mouseDown = b.look == ButtonLook::Held;
    }
    // The button draws no label of its own: ours keeps clear of the piece on
    // both sides, so long translations shrink instead of running under it.
    menuButton(face, r, "", b.entry->primary);
    if (b.focused) focusRing(face, r, face.s(14));
    const double pieceSize = 0.78 * r.h;
    const double pieceX = r.x + face.s(8);
    paintPieceCairo(cr, b.entry->piece, pieceX, r.cy() - pieceSize / 2, pieceSize, 0.85);
    TextStyle text;
    text.size = std::min(0.42 * r.h, face.s(18));
    text.bold = true;
    text.color = b.entry->primary ? kWidgetLightText : kWidgetDarkText;
    text.maxWidth = r.w - 2 * (pieceX - r.x + pieceSize + face.s(6));
    text.minScale = 0.6;
    drawTextCentered(cr, r.cx(), r.cy(), b.label, text);
}

class MenuScreen : public Screen {
public:
    ~MenuScreen() override = default;
    void update(Ctx& ctx) override;

private:
    static bool tiltedButton(Ctx& ctx, const Rect& r, const std::string& label, const Entry& entry, int idx);
};

// The button's picture turned about its centre together with its piece; the
// click area stays the upright rectangle.
bool MenuScreen::tiltedButton(Ctx& ctx, const Rect& r, const std::string& label, const Entry& entry, int idx) {
    const double rock = std::sin(kRockSpeed * ctx.t + kRockPhase * idx);
    const double degrees = entry.tilt + kRockDegrees * rock;
    const bool hovered = ctx.hover(r);
    const ButtonLook look = !hovered ? ButtonLook::Plain : ctx.in.mouseDown ? ButtonLook::Held : ButtonLook::Hovered;
    const int focusId = ctx.focusId(r);

    // Room around the face for its outline and the hover ring.
    const double scale = gpuScale();
    const int pw = static_cast<int>(std::lround((r.w + 2 * ctx.s(kPictureMargin)) * scale));
    const int ph = static_cast<int>(std::lround((r.h + 2 * ctx.s(kPictureMargin)) * scale));
    const double w = pw / scale;
    const double h = ph / scale;
    ButtonPicture picture{label, &entry, look, ctx.focused(focusId), Rect{(w - r.w) / 2, (h - r.h) / 2, r.w, r.h},
                          ctx.ui};
    SDL_Texture* tex = gpuTexture(pictureKey(picture, pw, ph), pw, ph, paintButton, &picture);
    gpuBlitRotated(tex, r.cx(), r.cy(), w, h, degrees, 1.0);

    const bool chosen = ctx.takeActivation(focusId);
    if (!ctx.takeClick(r) && !chosen) return false;
    audio::play(audio::Sfx::Click);
    return true;
}

void MenuScreen::update(Ctx& ctx) {
    const double w = ctx.w;
    const double h = ctx.h;
    drawBackdrop(ctx);

    const Progress progress = readProgress();
    const std::vector<Entry> entries = entriesFor(progress);
    const int n = static_cast<int>(entries.size());

    const double titleSize = std::min({w / 15, h / 10, (w - ctx.s(32)) / 16 / 0.62});
    const double titleTop = 0.055 * h;
    const double titleH = 1.1 * titleSize;
    drawAnimatedTitle(ctx, w / 2, titleTop, w, titleSize, 0);

    // The buttons share what is left between the tagline and the footer.
    const double taglineH = ctx.s(34);
    const double gap = ctx.s(10);
    const double footerH = ctx.s(34);
    const double top = titleTop + titleH + taglineH + gap;
    const double avail = h - top - footerH - ctx.s(16);
    const double btnH = std::min((avail - n * gap) / (n + 1), ctx.s(46));
    const double btnW = std::min(0.42 * w, ctx.s(340));
    const double blockH = (n + 1) * btnH + n * gap;
    const double firstY = top + std::max((avail - blockH) / 2, 0.0);

    TextStyle tagline = sansText(std::round(ctx.s(15)), kTaglineColour, false, Align::Center);
    tagline.maxWidth = w - ctx.s(48);
    drawTextCentered(ctx.cr, w / 2, titleTop + titleH + taglineH / 2, i18n::tr("app.tagline"), tagline);

    auto buttonRect = [&](int idx) { return Rect{w / 2 - btnW / 2, firstY + idx * (btnH + gap), btnW, btnH}; };
    for (int idx = 0; idx < n; ++idx) {
        const Entry& entry = entries[static_cast<std::size_t>(idx)];
        const std::string label = entry.target == ScreenKind::Playing
                                      ? i18n::tr(entry.key, {{"n", std::to_string(progress.continueLevel)}})
                                      : i18n::tr(entry.key);
        if (tiltedButton(ctx, buttonRect(idx), label, entry, idx)) Game::instance().push(stateFor(entry, progress));
    }
    if (tiltedButton(ctx, buttonRect(n), i18n::tr(kQuit.key), kQuit, n)) ctx.quitRequested = true;

    footer(ctx, h);
}

}  // namespace

std::unique_ptr<Screen> makeMenuScreen() { return std::make_unique<MenuScreen>(); }

}  // namespace ui
