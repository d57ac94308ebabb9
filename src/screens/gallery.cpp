// The gallery of won games: one card per stored win with its final position,
// moves, time, date and stars, paged through the levels in ranges of ten.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/chess.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/audio.h"
#include "theme.h"
#include "ui/app.h"
#include "ui/board.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/pgn_export.h"
#include "ui/widgets.h"

namespace ui {

namespace {

constexpr int kPages = 10;
constexpr std::uint32_t kBody = 0x3A2810;
constexpr std::uint32_t kMuted = kWidgetMutedText;
constexpr double kCardRoom = 3;  // around a card in its picture, for the outline

// A centred, possibly two-line message in place of the cards. Pango centres
// wrapped lines within the whole wrap width, while the box is centred by the
// widest line, so the wrap width is narrowed to that line (same line breaks).
void notice(Ctx& ctx, double cy, const std::string& text, double size) {
    TextStyle style = sansText(std::round(ctx.s(size)), kMuted, false, Align::Center);
    style.wrapWidth = std::min(ctx.w - ctx.s(80), ctx.s(560));
    double widest = 0;
    measureText(ctx.cr, text, style, &widest, nullptr);
    style.wrapWidth = std::min(style.wrapWidth, widest + 1);
    drawTextCentered(ctx.cr, ctx.w / 2, cy, text, style);
}

// A card's picture, painted upright.
struct CardPicture {
    Rect face;  // the card inside the picture, in window units
    double ui;
    const store::SolveEntry* entry;
};

class GalleryScreen : public Screen {
public:
    ~GalleryScreen() override = default;
    void update(Ctx& ctx) override;

private:
    void pageChips(Ctx& ctx, double y);
    static void drawCard(Ctx& ctx, const Rect& r, const store::SolveEntry& e);
    static void paintCard(cairo_t* cr, void* arg);
    static void card(Ctx& ctx, const Rect& r, const store::SolveEntry& e);
    void cardActions(Ctx& ctx, const Rect& row, const store::SolveEntry& e);
    bool cardButton(Ctx& ctx, const Rect& r, const std::string& label);

    int page_ = -1;
    // One label size for the card buttons, measured again only for a new button width.
    double labelSize_ = 0;
    double labelSizeWidth_ = -1;
    ExportNote note_;  // where the last copy or save went
};

// Where a card's buttons sit: a row above its stars.
Rect actionRow(const Ctx& ctx, const Rect& card) {
    const double pad = ctx.s(8);
    const double bh = std::round(std::min(ctx.s(22), 0.085 * card.h));
    return Rect{card.x + pad, card.bottom() - ctx.s(22) - bh, card.w - 2 * pad, bh};
}

void GalleryScreen::update(Ctx& ctx) {
    drawBackdrop(ctx);
    bool back = false;
    screenHeader(ctx, i18n::tr("gallery.headline"), &back);
    if (back || ctx.in.hasKey(SDLK_ESCAPE)) {
        Game::instance().pop();
        return;
    }
    const double headerH = ctx.s(ctx.compact() ? 52 : 60);
    const std::vector<store::SolveEntry>& all = store::solves();
    if (all.empty()) {
        notice(ctx, ctx.h / 2, i18n::tr("gallery.empty"), 16);
        footer(ctx, ctx.h);
        return;
    }
    if (page_ < 0) {
        int highest = 1;
        for (const store::SolveEntry& e : all) highest = std::max(highest, e.level);
        page_ = (highest - 1) / 10;
    }
    // PageUp and PageDown turn the pages as the chips do.
    page_ += ctx.in.takeKey(SDLK_PAGEDOWN) - ctx.in.takeKey(SDLK_PAGEUP);
    page_ = std::clamp(page_, 0, kPages - 1);

    const double chipH = ctx.s(28);
    pageChips(ctx, headerH + ctx.s(4));

    std::vector<const store::SolveEntry*> entries;
    for (const store::SolveEntry& e : all) {
        if (e.level > 10 * page_ && e.level <= 10 * page_ + 10) entries.push_back(&e);
    }

    const double y0 = headerH + ctx.s(4) + chipH + ctx.s(8);
    const double bottom = ctx.h - ctx.s(34);
    const double margin = ctx.s(16);
    const double gap = ctx.s(10);
    const int cols = std::clamp(static_cast<int>((ctx.w - 2 * margin) / ctx.s(230)), 2, 5);
    const int rows = (10 + cols - 1) / cols;
    const double cardW = (ctx.w - 2 * margin - (cols - 1) * gap) / cols;
    const double cardH = std::min((bottom - y0 - (rows - 1) * gap) / rows, 1.26 * cardW);

    if (entries.empty()) {
        notice(ctx, (y0 + bottom) / 2, i18n::tr("gallery.emptyRange"), 15);
    } else {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int col = static_cast<int>(i) % cols;
            const int row = static_cast<int>(i) / cols;
            const Rect r{margin + col * (cardW + gap), y0 + row * (cardH + gap), cardW, cardH};
            drawCard(ctx, r, *entries[i]);
            // The buttons change with the pointer, so they stay out of the card's picture.
            cardActions(ctx, actionRow(ctx, r), *entries[i]);
        }
    }
    footer(ctx, ctx.h);
    drawExportNote(ctx, note_, bottom - ctx.s(2));
}

void GalleryScreen::pageChips(Ctx& ctx, double y) {
    const double chipH = ctx.s(28);
    const double chipGap = ctx.s(6);
    const double chipW = std::min((ctx.w - ctx.s(24) - 9 * chipGap) / kPages, ctx.s(92));
    const double x0 = (ctx.w - (kPages * chipW + (kPages - 1) * chipGap)) / 2;
    for (int p = 0; p < kPages; ++p) {
        const std::string label = std::to_string(10 * p + 1) + "\u2013" + std::to_string(10 * p + 10);
        if (plainButton(ctx, Rect{x0 + p * (chipW + chipGap), y, chipW, chipH}, label, p == page_)) page_ = p;
    }
}

// The card is painted once per win, size and language into a texture and
// then only copied.
void GalleryScreen::drawCard(Ctx& ctx, const Rect& r, const store::SolveEntry& e) {
    const double scale = gpuScale();
    const int pw = static_cast<int>(std::lround((r.w + 2 * ctx.s(kCardRoom)) * scale));
    const int ph = static_cast<int>(std::lround((r.h + 2 * ctx.s(kCardRoom)) * scale));
    const double w = pw / scale;
    const double h = ph / scale;
    CardPicture picture{Rect{(w - r.w) / 2, (h - r.h) / 2, r.w, r.h}, ctx.ui, &e};
    char head[160];
    std::snprintf(head, sizeof head, "gallery:card:%d:%d:%lld:%lld:%d:%dx%d:%.4f:%s:", e.level, e.moves,
                  static_cast<long long>(e.elapsedMs), static_cast<long long>(e.solvedAt), e.stars, pw, ph, ctx.ui,
                  i18n::currentLanguage().c_str());
    gpuBlit(gpuTexture(head + e.finalFen, pw, ph, paintCard, &picture), r.cx() - w / 2, r.cy() - h / 2, w, h, 1.0);
}

void GalleryScreen::paintCard(cairo_t* cr, void* arg) {
    const CardPicture& c = *static_cast<const CardPicture*>(arg);
    Ctx face;  // a context of its own for the picture
    face.cr = cr;
    face.ui = c.ui;
    card(face, c.face, *c.entry);
}

void GalleryScreen::card(Ctx& ctx, const Rect& r, const store::SolveEntry& e) {
    cairo_t* cr = ctx.cr;
    const levels::LevelConfig cfg = levels::configFor(e.level);
    const theme::BoardTheme& look = theme::boardForStage(cfg.stage);
    fillRoundedRect(cr, r, ctx.s(10), look.light, 0.96);
    strokeRoundedRect(cr, r, ctx.s(10), ctx.s(1.5), look.border, 0.85);

    const double pad = ctx.s(8);
    const double side = std::min(r.w - 2 * pad, 0.56 * r.h);
    const std::string fen = e.finalFen.empty() ? chess::Board::startPosition().fen() : e.finalFen;
    paintMiniBoard(cr, Rect{r.cx() - side / 2, r.y + pad, side, side}, chess::Board::fromFen(fen), look, false);

    double ty = r.y + pad + side + ctx.s(4);
    const double s1 = std::round(std::min(ctx.s(14), 0.095 * r.h));
    TextStyle title = sansText(s1, kBody, true, Align::Center);
    title.maxWidth = r.w - ctx.s(10);
    drawText(cr, r.cx(), ty, i18n::tr("gallery.levelLine", {{"n", std::to_string(e.level)}}), title);
    ty += 1.3 * s1;

    const double s2 = std::round(std::min(ctx.s(11), 0.075 * r.h));
    TextStyle detail = sansText(s2, kMuted, false, Align::Center);
    detail.maxWidth = r.w - ctx.s(10);
    const std::string moves = i18n::tr("gallery.movesLine", {{"n", std::to_string(e.moves)}});
    drawText(cr, r.cx(), ty, moves + "  \u00B7  " + formatTime(e.elapsedMs), detail);
    drawText(cr, r.cx(), ty + 1.35 * s2, formatDateTime(e.solvedAt), detail);

    starRating(cr, r.cx(), r.bottom() - ctx.s(12), ctx.s(12), e.stars, 3, 1.0);
}

// Replay, Copy PGN and Save PGN side by side.
void GalleryScreen::cardActions(Ctx& ctx, const Rect& row, const store::SolveEntry& e) {
    const double gap = ctx.s(4);
    const double w = (row.w - 2 * gap) / 3;
    const auto at = [&](int i) { return Rect{row.x + i * (w + gap), row.y, w, row.h}; };
    if (w != labelSizeWidth_) {
        labelSizeWidth_ = w;
        labelSize_ = std::round(std::min(ctx.s(12), 0.55 * row.h));
        for (const char* key : {"pgn.replay", "pgn.copy", "pgn.save"}) {
            double textW = 0;
            measureText(ctx.cr, i18n::tr(key), sansText(labelSize_, kBody), &textW, nullptr);
            if (textW > w - ctx.s(8)) labelSize_ = std::max(std::floor(labelSize_ * (w - ctx.s(8)) / textW), 6.0);
        }
    }
    if (cardButton(ctx, at(0), i18n::tr("pgn.replay"))) {
        GameState replay;
        replay.kind = ScreenKind::Replay;
        replay.level = e.level;
        Game::instance().push(replay);
    }
    if (cardButton(ctx, at(1), i18n::tr("pgn.copy"))) {
        const bool copied = copyToClipboard(pgnOfSolve(e));
        showExportNote(note_, ctx, i18n::tr(copied ? "pgn.copied" : "pgn.copyFailed"));
    }
    if (cardButton(ctx, at(2), i18n::tr("pgn.save"))) {
        const std::string path = savePgnFile(e.level, e.solvedAt, pgnOfSolve(e));
        showExportNote(note_, ctx,
                       path.empty() ? i18n::tr("pgn.saveFailed") : i18n::tr("pgn.savedTo", {{"path", path}}));
    }
}

// A small button in the look of the page chips, its label in the card's shared size.
bool GalleryScreen::cardButton(Ctx& ctx, const Rect& r, const std::string& label) {
    fillRoundedRect(ctx.cr, r, 0.5 * r.h, kWidgetCream, ctx.hover(r) ? 0.95 : 0.7);
    strokeRoundedRect(ctx.cr, r, 0.5 * r.h, ctx.s(1), kMuted, 0.6);
    TextStyle style = sansText(labelSize_, kBody, false, Align::Center);
    style.maxWidth = r.w - ctx.s(6);
    drawTextCentered(ctx.cr, r.cx(), r.cy(), label, style);
    const bool chosen = focusStop(ctx, r, 0.5 * r.h);
    if (!ctx.takeClick(r) && !chosen) return false;
    audio::play(audio::Sfx::Click);
    return true;
}

}  // namespace

std::unique_ptr<Screen> makeGalleryScreen() { return std::make_unique<GalleryScreen>(); }

}  // namespace ui
