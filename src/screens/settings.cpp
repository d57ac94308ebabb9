// The settings screen: board flip and legal-move marks, the two volumes, the
// interface language and deleting all progress, in one scrollable column.
// Every change is saved at once; a volume drag is saved when it ends.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>
#include <cairo.h>

#include "core/storage.h"
#include "i18n.h"
#include "platform/audio.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/widgets.h"

namespace ui {

namespace {

constexpr double kColumnMaxW = 620;   // reference units
constexpr double kContentH = 560;     // reference units, five language columns
constexpr double kLanguageButtonW = 112;
constexpr double kLanguageButtonH = 30;
constexpr double kLanguageGap = 6;
constexpr double kVolumeEpsilon = 0.000001;

// The widths of a language button: the reference width, or more where a
// language's name would not fit at full size; the system choice spans two
// buttons when its label needs it.
struct LanguageButtons {
    double width = 0;
    int systemSpan = 1;
};

LanguageButtons measureLanguageButtons(const Ctx& ctx) {
    TextStyle style;
    style.size = std::max(ctx.s(15), kMinTextSize);
    style.bold = true;  // the selected one is bold
    const double padding = ctx.s(18);
    double widest = 0, w = 0, h = 0;
    for (const i18n::Language& language : i18n::languages()) {
        measureText(ctx.cr, language.nativeName, style, &w, &h);
        widest = std::max(widest, w);
    }
    LanguageButtons out;
    out.width = std::max(ctx.s(kLanguageButtonW), widest + padding);
    measureText(ctx.cr, i18n::tr("settings.languageSystem"), style, &w, &h);
    if (w + padding > out.width) out.systemSpan = 2;
    return out;
}

// Columns of the language grid for a column of width w: as many as fit, at least two.
int languageColumns(const Ctx& ctx, double w, double buttonW) {
    const double g = ctx.s(kLanguageGap);
    return std::max(2, static_cast<int>((w + g) / (buttonW + g)));
}

class SettingsScreen : public Screen {
public:
    ~SettingsScreen() override = default;
    void update(Ctx& ctx) override;

private:
    double section(Ctx& ctx, const Rect& col, double y, const std::string& title);
    void content(Ctx& ctx, const Rect& col);
    void volumeSlider(Ctx& ctx, const Rect& col, double y, const std::string& label, double& volume,
                      void (*apply)(double));

    void keepFocusInView(const Ctx& ctx, const Rect& col, double contentH);

    double scroll_ = 0;
    int confirm_ = 0;
    bool volumeUnsaved_ = false;  // a slider moved during the drag that is still going on
    LanguageButtons buttons_;     // measured once per layout scale
    double buttonWFor_ = -1;
};

void SettingsScreen::update(Ctx& ctx) {
    // While the dialog is open nothing behind it may react: it sees no input.
    const Input input = ctx.in;
    const bool blanked = confirm_ != 0;
    if (blanked) {
        ctx.in = Input{};
        ctx.in.mouseX = ctx.in.mouseY = -1e9;
    }

    drawBackdrop(ctx);
    bool back = false;
    screenHeader(ctx, i18n::tr("settings.headline"), &back);
    if (confirm_ == 0 && (back || input.hasKey(SDLK_ESCAPE))) {
        Game::instance().pop();
        return;
    }

    const double headerH = ctx.s(ctx.compact() ? 52 : 60);
    const double margin = std::max((ctx.w - ctx.s(kColumnMaxW)) / 2, ctx.s(24));
    const Rect col{margin, headerH + ctx.s(6), ctx.w - 2 * margin, ctx.h - headerH - ctx.s(46)};
    // Very narrow columns hold fewer languages per row and grow longer.
    if (buttonWFor_ != ctx.ui) {
        buttons_ = measureLanguageButtons(ctx);
        buttonWFor_ = ctx.ui;
    }
    const int cols = languageColumns(ctx, col.w, buttons_.width);
    const int slots = static_cast<int>(i18n::languages().size()) + buttons_.systemSpan;
    const int extraRows = (slots + cols - 1) / cols - 5;
    const double contentH =
        ctx.s(kContentH) + std::max(0, extraRows) * ctx.s(kLanguageButtonH + kLanguageGap);
    applyScroll(ctx, col, contentH, &scroll_);
    keepFocusInView(ctx, col, contentH);

    cairo_save(ctx.cr);
    cairo_rectangle(ctx.cr, col.x, col.y, col.w, col.h);
    cairo_clip(ctx.cr);
    content(ctx, col);
    cairo_restore(ctx.cr);
    scrollbar(ctx, col, contentH, scroll_);
    footer(ctx, ctx.h);

    // The controls may have used keys of the frame; only a blanked frame gets its input back.
    if (blanked) ctx.in = input;
    if (confirm_ == 1) {
        const int answer = confirmDialog(ctx, i18n::tr("settings.resetProgress"), i18n::tr("settings.resetConfirm"),
                                         i18n::tr("settings.resetOk"), i18n::tr("common.cancel"));
        if (answer == 1) store::resetProgress();
        if (answer != 0) confirm_ = 0;
    }
}

// A control reached with the keyboard scrolls into the column. The previous
// frame drew it, so its place is known before this frame draws anything.
void SettingsScreen::keepFocusInView(const Ctx& ctx, const Rect& col, double contentH) {
    if (!ctx.focus.visible) return;
    const Rect& r = ctx.focus.rect;
    if (r.h <= 0 || r.h > col.h) return;
    const double maxScroll = std::max(contentH - col.h, 0.0);
    if (r.y < col.y) scroll_ = std::clamp(scroll_ - (col.y - r.y) - ctx.s(8), 0.0, maxScroll);
    if (r.bottom() > col.bottom()) scroll_ = std::clamp(scroll_ + (r.bottom() - col.bottom()) + ctx.s(8), 0.0, maxScroll);
}

double SettingsScreen::section(Ctx& ctx, const Rect& col, double y, const std::string& title) {
    drawText(ctx.cr, col.x, y, title, sansText(std::round(ctx.s(15)), 0x8A4B1C, true));
    drawLine(ctx.cr, col.x, y + ctx.s(22), col.right(), y + ctx.s(22), ctx.s(1), 0xCDB88A, 0.8);
    return y + ctx.s(30);
}

// A labelled volume slider; a change is applied at once and saved when the drag ends.
void SettingsScreen::volumeSlider(Ctx& ctx, const Rect& col, double y, const std::string& label, double& volume,
                                  void (*apply)(double)) {
    drawText(ctx.cr, col.x, y, label, sansText(std::round(ctx.s(13)), kWidgetMutedText, false));
    const double v = slider(ctx, Rect{col.x, y + ctx.s(18), col.w, ctx.s(22)}, volume);
    if (std::fabs(v - volume) > kVolumeEpsilon) {
        volume = v;
        apply(v);
        volumeUnsaved_ = true;
    }
}

void SettingsScreen::content(Ctx& ctx, const Rect& col) {
    store::Settings& s = store::settings();
    const double rowH = ctx.s(38);
    const double gap = ctx.s(8);
    double y = col.y - scroll_;

    y = section(ctx, col, y, i18n::tr("settings.gameplay"));
    if (toggleRow(ctx, Rect{col.x, y, col.w, rowH}, i18n::tr("settings.flipBoard"), s.flipBoard) != s.flipBoard) {
        s.flipBoard = !s.flipBoard;
        store::saveSettings();
    }
    y += rowH + gap;
    if (toggleRow(ctx, Rect{col.x, y, col.w, rowH}, i18n::tr("settings.showLegalMoves"), s.showLegalMoves) !=
        s.showLegalMoves) {
        s.showLegalMoves = !s.showLegalMoves;
        store::saveSettings();
    }
    y += rowH + 2 * gap;

    y = section(ctx, col, y, i18n::tr("settings.music"));
    volumeSlider(ctx, col, y, i18n::tr("settings.musicVolume"), s.musicVolume, audio::setMusicVolume);
    y += ctx.s(52);
    volumeSlider(ctx, col, y, i18n::tr("settings.sfxVolume"), s.sfxVolume, audio::setSfxVolume);
    y += ctx.s(56);
    // The volume follows the drag live; the file is written once it ends.
    if (volumeUnsaved_ && !ctx.in.mouseDown) {
        volumeUnsaved_ = false;
        store::saveSettings();
    }

    y = section(ctx, col, y, i18n::tr("settings.language"));
    const double bw = buttons_.width;
    const double bh = ctx.s(kLanguageButtonH);
    const double g = ctx.s(kLanguageGap);
    const int cols = languageColumns(ctx, col.w, bw);
    const std::vector<i18n::Language>& languages = i18n::languages();
    const int cells = static_cast<int>(languages.size()) + 1;
    for (int i = 0; i < cells; ++i) {
        const std::string code = i == 0 ? std::string() : languages[i - 1].code;
        const std::string label = i == 0 ? i18n::tr("settings.languageSystem") : languages[i - 1].nativeName;
        const int slot = i == 0 ? 0 : i - 1 + buttons_.systemSpan;
        const double w = i == 0 ? buttons_.systemSpan * bw + (buttons_.systemSpan - 1) * g : bw;
        const Rect cell{col.x + (slot % cols) * (bw + g), y + (slot / cols) * (bh + g), w, bh};
        if (plainButton(ctx, cell, label, s.language == code)) {
            s.language = code;
            i18n::setLanguage(code);
            store::saveSettings();
            // Rebuilt with the new texts on the next frame.
            Game::instance().invalidate();
        }
    }
    const int slots = cells - 1 + buttons_.systemSpan;
    y += ((slots + cols - 1) / cols) * (bh + g) + ctx.s(16);

    y = section(ctx, col, y, i18n::tr("settings.data"));
    if (plainButton(ctx, Rect{col.x, y, std::min(ctx.s(260), col.w), ctx.s(34)}, i18n::tr("settings.resetProgress"),
                    false)) {
        confirm_ = 1;
    }
}

}  // namespace

std::unique_ptr<Screen> makeSettingsScreen() { return std::make_unique<SettingsScreen>(); }

}  // namespace ui
