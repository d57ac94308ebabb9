// The level select: ten pages of ten level cards, each with a mini board of
// the level's starting position on its stage's board, the level number, the
// opponent's strength, the board's name and the best stars. Any level can be
// started from here; the frontier level only picks the first page and the
// "now" badge. With a suspended game, its own card resumes it and any other
// card first asks whether to give it up.
#include <SDL_keycode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/chess.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "theme.h"
#include "ui/app.h"
#include "ui/board.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr int kPages = 10;
constexpr int kPerPage = 10;
constexpr std::uint32_t kAccent = 0x8A4B1C;
constexpr std::uint32_t kDark = 0x3A2810;
constexpr std::uint32_t kMuted = kWidgetMutedText;
constexpr std::uint32_t kBadgeText = 0xFDF6E8;
constexpr const char* kEnDash = "\xE2\x80\x93";
constexpr double kCardRoom = 3;  // around a card in its picture, for the outline

std::string number(long long n) { return std::to_string(n); }

TextStyle cardText(double size, bool bold, std::uint32_t colour, double maxWidth) {
    TextStyle style = sansText(std::round(size), colour, bold, Align::Center);
    style.maxWidth = maxWidth;
    return style;
}

int starsOf(int level) {
    const auto& bests = store::levelBests();
    const auto it = bests.find(level);
    return it == bests.end() ? 0 : it->second.stars;
}

// A card's picture: all of the card but the hover ring, painted upright.
struct CardPicture {
    Rect face;  // the card inside the picture, in window units
    double ui;
    int level;
    bool isNext;
    int stars;
};

class LevelSelectScreen : public Screen {
public:
    ~LevelSelectScreen() override = default;
    void update(Ctx& ctx) override;

private:
    void pageChips(Ctx& ctx, double headerH);
    void cardKeys(Ctx& ctx, int firstCard, int cols, int active);
    static void drawCard(Ctx& ctx, const Rect& r, int level, bool isNext, int stars);
    static void paintCard(cairo_t* cr, void* arg);
    static void levelCard(Ctx& ctx, const Rect& r, int level, bool isNext, int stars);
    void cardChosen(int level);
    void askToReplace(Ctx& ctx);

    int page_ = -1;    // 0..9; chosen from the frontier level on the first frame
    int confirm_ = 0;  // level waiting for the player's yes to drop the suspended game; 0: none
};

void startLevel(int level) {
    store::clearGame();
    Game::instance().push(freshGame(level));
}

void LevelSelectScreen::cardChosen(int level) {
    const store::SavedGame& saved = store::savedGame();
    if (!saved.valid) {
        startLevel(level);
    } else if (saved.level == level) {
        GameState game;
        game.kind = ScreenKind::Playing;
        game.level = level;
        game.seed = saved.seed;
        game.resume = true;
        Game::instance().push(game);
    } else {
        confirm_ = level;
    }
}

void LevelSelectScreen::askToReplace(Ctx& ctx) {
    const int answer =
        confirmDialog(ctx, i18n::tr("levelSwitch.title", {{"n", number(confirm_)}}),
                      i18n::tr("levelSwitch.message", {{"m", number(store::savedGame().level)}}),
                      i18n::tr("levelSwitch.start"), i18n::tr("common.cancel"));
    if (answer == 1) startLevel(confirm_);
    if (answer != 0) confirm_ = 0;
}

void LevelSelectScreen::update(Ctx& ctx) {
    // While the question is open nothing behind it may react: it sees no input.
    const bool asking = confirm_ != 0;
    const Input input = ctx.in;
    if (asking) {
        ctx.in = Input{};
        ctx.in.mouseX = ctx.in.mouseY = -1e9;
    }
    drawBackdrop(ctx);
    const int active = std::clamp(store::unlockedLevel(), 1, levels::kTotalLevels);
    if (page_ < 0) page_ = (active - 1) / kPerPage;

    bool back = false;
    screenHeader(ctx, i18n::tr("levels.headline", {{"n", number(active)}}), &back);
    if (back || ctx.in.hasKey(SDLK_ESCAPE)) {
        Game::instance().pop();
        return;
    }
    const double headerH = ctx.compact() ? ctx.s(52) : ctx.s(60);
    pageChips(ctx, headerH);

    const double w = ctx.w;
    const double margin = ctx.s(16);
    const double gap = ctx.s(10);
    const double top = headerH + ctx.s(4) + ctx.s(28) + gap;
    const int cols = std::clamp(static_cast<int>((w - 2 * margin) / ctx.s(230)), 2, 5);
    const int rows = (kPerPage + cols - 1) / cols;
    const double cardW = (w - 2 * margin - (cols - 1) * gap) / cols;
    // Never taller than 1.3 times the width, however much room there is.
    const double cardH = std::min((ctx.h - ctx.s(34) - top - (rows - 1) * gap) / rows, 1.3 * cardW);
    cardKeys(ctx, ctx.focus.count + 1, cols, active);

    for (int i = 0; i < kPerPage; ++i) {
        const int level = page_ * kPerPage + i + 1;
        if (level > levels::kTotalLevels) break;
        const Rect r{margin + (i % cols) * (cardW + gap), top + (i / cols) * (cardH + gap), cardW, cardH};
        drawCard(ctx, r, level, level == active, starsOf(level));
        const bool chosen = focusStop(ctx, r, ctx.s(10));
        if (ctx.takeClick(r) || chosen) {
            cardChosen(level);
            if (confirm_ == 0) return;
        }
    }
    footer(ctx, ctx.h);
    // A question opened this frame sees what is left of this frame's input, so
    // the Enter that chose the card does not also answer it.
    if (asking) ctx.in = input;
    if (confirm_ != 0) askToReplace(ctx);
}

// PageUp and PageDown turn the page; the arrows walk over the cards in the
// grid and on into the neighbouring pages. Before any key was used the first
// arrow lands on the frontier level's card.
void LevelSelectScreen::cardKeys(Ctx& ctx, int firstCard, int cols, int active) {
    Input& in = ctx.in;
    const int turn = in.takeKey(SDLK_PAGEDOWN) - in.takeKey(SDLK_PAGEUP);
    page_ = std::clamp(page_ + turn, 0, kPages - 1);
    int idx = ctx.focus.current - firstCard;
    const bool onCard = ctx.focus.visible && idx >= 0 && idx < kPerPage;
    const bool arrows =
        in.hasKey(SDLK_LEFT) || in.hasKey(SDLK_RIGHT) || in.hasKey(SDLK_UP) || in.hasKey(SDLK_DOWN);
    if (!arrows || (ctx.focus.visible && !onCard)) return;
    const int dx = in.takeKey(SDLK_RIGHT) - in.takeKey(SDLK_LEFT);
    const int dy = in.takeKey(SDLK_DOWN) - in.takeKey(SDLK_UP);
    if (!onCard) {
        const bool frontierHere = (active - 1) / kPerPage == page_;
        ctx.setFocus(firstCard + (frontierHere ? (active - 1) % kPerPage : 0));
        return;
    }
    idx += dx + dy * cols;
    // Past the first or last card of a page the walk goes on in the next one.
    const int shift = idx < 0 ? -1 : idx >= kPerPage ? 1 : 0;
    if (page_ + shift >= 0 && page_ + shift < kPages) {
        page_ += shift;
        idx -= shift * kPerPage;
    }
    ctx.setFocus(firstCard + std::clamp(idx, 0, kPerPage - 1));
}

// A row of ten chips "1–10" … "91–100"; a click shows that page in this same frame.
void LevelSelectScreen::pageChips(Ctx& ctx, double headerH) {
    const double chipH = ctx.s(28);
    const double chipGap = ctx.s(6);
    const double chipW = std::min((ctx.w - ctx.s(24) - 9 * chipGap) / kPages, ctx.s(92));
    const double x0 = (ctx.w - (kPages * chipW + 9 * chipGap)) / 2;
    const double y = headerH + ctx.s(4);
    for (int p = 0; p < kPages; ++p) {
        const std::string label = number(p * kPerPage + 1) + kEnDash + number(p * kPerPage + kPerPage);
        if (plainButton(ctx, {x0 + p * (chipW + chipGap), y, chipW, chipH}, label, p == page_)) page_ = p;
    }
}

// The card is painted once per level, state, size and language into a
// texture and then only copied; the hover ring is drawn over it.
void LevelSelectScreen::drawCard(Ctx& ctx, const Rect& r, int level, bool isNext, int stars) {
    const double scale = gpuScale();
    const int pw = static_cast<int>(std::lround((r.w + 2 * ctx.s(kCardRoom)) * scale));
    const int ph = static_cast<int>(std::lround((r.h + 2 * ctx.s(kCardRoom)) * scale));
    const double w = pw / scale;
    const double h = ph / scale;
    CardPicture picture{Rect{(w - r.w) / 2, (h - r.h) / 2, r.w, r.h}, ctx.ui, level, isNext, stars};
    char key[128];
    std::snprintf(key, sizeof key, "levels:card:%d:%d:%d:%dx%d:%.4f:%s", level, isNext ? 1 : 0, stars, pw, ph,
                  ctx.ui, i18n::currentLanguage().c_str());
    gpuBlit(gpuTexture(key, pw, ph, paintCard, &picture), r.cx() - w / 2, r.cy() - h / 2, w, h, 1.0);
    if (ctx.hover(r)) strokeRoundedRect(ctx.cr, r, ctx.s(10), ctx.s(2), kAccent, 0.6);
}

void LevelSelectScreen::paintCard(cairo_t* cr, void* arg) {
    const CardPicture& c = *static_cast<const CardPicture*>(arg);
    Ctx card;  // a context of its own: a picture is neither hovered nor clicked
    card.cr = cr;
    card.ui = c.ui;
    levelCard(card, c.face, c.level, c.isNext, c.stars);
}

void LevelSelectScreen::levelCard(Ctx& ctx, const Rect& r, int level, bool isNext, int stars) {
    cairo_t* cr = ctx.cr;
    const levels::LevelConfig cfg = levels::configFor(level);
    const theme::BoardTheme& look = theme::boardForStage(cfg.stage);
    const double radius = ctx.s(10);

    fillRoundedRect(cr, r, radius, look.light, 0.96);
    strokeRoundedRect(cr, r, radius, isNext ? ctx.s(3) : ctx.s(1.5), look.border, isNext ? 1.0 : 0.8);

    // The level's own starting position, white always at the bottom.
    const double pad = ctx.s(8);
    const double boardSide = std::min(r.w - 2 * pad, 0.58 * r.h);
    const chess::Board position =
        cfg.startingFen.empty() ? chess::Board::startPosition() : chess::Board::fromFen(cfg.startingFen);
    paintMiniBoard(cr, {r.cx() - boardSide / 2, r.y + pad, boardSide, boardSide}, position, look, false);

    const double textW = r.w - ctx.s(10);
    double ty = r.y + pad + boardSide + ctx.s(4);
    const double s1 = std::round(std::min(ctx.s(15), 0.1 * r.h));
    drawText(cr, r.cx(), ty, i18n::tr("levels.tileLevel", {{"n", number(level)}}), cardText(s1, true, kDark, textW));
    ty += 1.25 * s1;
    const double s2 = std::round(std::min(ctx.s(12), 0.085 * r.h));
    drawText(cr, r.cx(), ty, i18n::tr("playing.eloLabel", {{"n", number(cfg.elo)}}), cardText(s2, false, kAccent, textW));
    ty += 1.25 * s2;
    drawText(cr, r.cx(), ty, i18n::tr(look.nameKey), cardText(s2, false, kMuted, textW));

    starRating(cr, r.cx(), r.y + r.h - ctx.s(13), ctx.s(13), stars, 3, 1.0);

    if (isNext) {
        const TextStyle badgeText = cardText(ctx.s(11), true, kBadgeText, 0);
        double tw = 0, th = 0;
        const std::string now = i18n::tr("levels.now");
        measureText(cr, now, badgeText, &tw, &th);
        const Rect badge{r.x + r.w - tw - ctx.s(22), r.y + ctx.s(7), tw + ctx.s(12), th + ctx.s(4)};
        fillRoundedRect(cr, badge, badge.h / 2, kAccent, 0.95);
        drawTextCentered(cr, badge.cx(), badge.cy(), now, badgeText);
    }
}

}  // namespace

std::unique_ptr<Screen> makeLevelSelectScreen() { return std::make_unique<LevelSelectScreen>(); }

}  // namespace ui
