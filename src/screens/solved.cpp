// The result of a finished game: the final position seen from the player's
// side, the outcome, the stars earned (popping in one after another), moves,
// time and the move target, and the way on: next level, again or the menu.
#include <SDL_keycode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
#include "ui/pgn_export.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr std::uint32_t kWinColour = 0x8A4B1C;
constexpr std::uint32_t kMutedColour = kWidgetMutedText;
constexpr std::uint32_t kBodyColour = 0x3A2810;
constexpr double kStarRevealSeconds = 1.2;

TextStyle columnText(const Rect& panel, const Ctx& ctx, double size, bool bold, std::uint32_t colour) {
    TextStyle style = sansText(std::round(size), colour, bold, Align::Center);
    style.maxWidth = panel.w - ctx.s(20);
    return style;
}

std::string number(long long n) { return std::to_string(n); }

class SolvedScreen : public Screen {
public:
    explicit SolvedScreen(const GameState& state);
    ~SolvedScreen() override = default;
    void update(Ctx& ctx) override;

private:
    void drawBoardArea(Ctx& ctx, const Rect& area);
    // Draws the texts from y on and returns the y below them.
    double drawTexts(Ctx& ctx, const Rect& panel, double y);
    // Returns the y below the column.
    double drawButtons(Ctx& ctx, const Rect& panel, double textBottom);
    void copyButton(Ctx& ctx, const Rect& panel, double y);
    void startLevel(int level);

    GameState st_;
    levels::LevelConfig cfg_;
    const theme::BoardTheme* look_;
    chess::Board board_;
    int stars_ = 0;
    double start_ = -1;     // frame time of the first frame; drives the star reveal
    std::int64_t endedAt_;  // the PGN's date
    ExportNote note_;
};

SolvedScreen::SolvedScreen(const GameState& state)
    : st_(state),
      cfg_(levels::configFor(state.level)),
      look_(&theme::boardForStage(cfg_.stage)),
      endedAt_(store::nowMs()) {
    board_ = chess::Board::fromFen(st_.finalFen.empty() ? chess::Board::startPosition().fen() : st_.finalFen);
    const auto& bests = store::levelBests();
    const auto it = bests.find(st_.level);
    stars_ = it == bests.end() ? 0 : it->second.stars;
}

void SolvedScreen::update(Ctx& ctx) {
    if (start_ < 0) start_ = ctx.t;
    drawBackdrop(ctx);

    const double pad = ctx.s(16);
    // Wide beyond 23:20; in integers so that exactly 1.15 stays tall.
    const bool wide = 20 * ctx.w > 23 * ctx.h;
    Rect boardArea;
    Rect panel;
    if (wide) {
        boardArea = {pad, pad, 0.44 * ctx.w, ctx.h - 2 * pad};
        panel = {0.48 * ctx.w, pad, 0.48 * ctx.w, ctx.h - 2 * pad};
    } else {
        boardArea = {pad, pad, ctx.w - 2 * pad, 0.42 * ctx.h};
        const double below = pad + 0.42 * ctx.h + ctx.s(8);
        panel = {pad, below, ctx.w - 2 * pad, ctx.h - below - pad};
    }

    drawBoardArea(ctx, boardArea);
    const double textBottom = drawTexts(ctx, panel, panel.y + ctx.s(10));
    const double columnBottom = drawButtons(ctx, panel, textBottom);
    if (!st_.startFen.empty()) copyButton(ctx, panel, columnBottom);
    drawExportNote(ctx, note_, ctx.h - ctx.s(8));
}

// The final position as a still picture, always from the player's side.
void SolvedScreen::drawBoardArea(Ctx& ctx, const Rect& area) {
    const BoardView view = layoutBoard(ctx, area, !st_.playerWhite);
    BoardState state;
    state.board = &board_;
    state.look = look_;
    state.showLegalMoves = true;
    state.still = true;
    drawBoard(ctx, view, state);
}

double SolvedScreen::drawTexts(Ctx& ctx, const Rect& panel, double y) {
    cairo_t* cr = ctx.cr;
    const double cx = panel.cx();

    const bool won = st_.outcome == Outcome::Win;
    const char* headlineKey = won                           ? "solved.headline"
                              : st_.outcome == Outcome::Draw ? "solved.drawHeadline"
                                                             : "solved.lossHeadline";
    const double headSize = std::round(std::min(ctx.s(34), 0.12 * panel.h));
    drawText(cr, cx, y, i18n::tr(headlineKey), columnText(panel, ctx, headSize, true, won ? kWinColour : kMutedColour));
    y += 1.5 * headSize;

    const TextStyle body = columnText(panel, ctx, ctx.s(16), false, kBodyColour);
    drawText(cr, cx, y, i18n::tr("solved.levelLine", {{"n", number(st_.level)}}), body);
    y += ctx.s(24);

    if (won) {
        const double reveal = std::min((ctx.t - start_) / kStarRevealSeconds, 1.0);
        starRating(cr, cx, y + ctx.s(16), ctx.s(26), stars_, 3, reveal);
        y += ctx.s(44);
    }

    drawText(cr, cx, y, i18n::tr("solved.movesLine", {{"n", number(st_.moves)}}), body);
    y += ctx.s(22);
    drawText(cr, cx, y, i18n::tr("solved.timeLine", {{"time", formatTime(st_.elapsedMs)}}), body);
    y += ctx.s(22);
    const TextStyle hint = columnText(panel, ctx, ctx.s(13), false, kMutedColour);
    drawText(cr, cx, y, i18n::tr("solved.optimumHint", {{"n", number(cfg_.optimumMoves)}}), hint);
    y += ctx.s(20);
    // Why a short win still shows one star.
    if (won && st_.hintUsed) drawText(cr, cx, y, i18n::tr("stars.cappedByHint"), hint);
    y += ctx.s(20);
    return y;
}

// One column at the bottom of the panel, but never far below the texts and
// never over them.
double SolvedScreen::drawButtons(Ctx& ctx, const Rect& panel, double textBottom) {
    const double bh = ctx.s(42);
    const double step = bh + ctx.s(10);
    const double bw = std::min(panel.w - ctx.s(20), ctx.s(300));
    const bool hasNext = st_.level < levels::kTotalLevels;  // the last level has no successor
    const int count = hasNext ? 3 : 2;
    double y = panel.y + panel.h - count * step - ctx.s(4);
    y = std::max(std::min(y, textBottom + ctx.s(28)), textBottom);
    const double x = panel.cx() - bw / 2;

    if (hasNext) {
        if (menuButton(ctx, {x, y, bw, bh}, i18n::tr("solved.nextLevel", {{"n", number(st_.level + 1)}}), true)) {
            startLevel(st_.level + 1);
        }
        y += step;
    }
    if (menuButton(ctx, {x, y, bw, bh}, i18n::tr("solved.again"), !hasNext)) startLevel(st_.level);
    y += step;
    const bool toMenu = menuButton(ctx, {x, y, bw, bh}, i18n::tr("solved.toMenu"), false);
    if (toMenu || ctx.in.hasKey(SDLK_ESCAPE)) {
        GameState menu;
        menu.kind = ScreenKind::Menu;
        Game::instance().resetTo(menu);
    }
    return y + bh;
}

// A smaller button under the column; kept inside the window when space is short.
void SolvedScreen::copyButton(Ctx& ctx, const Rect& panel, double y) {
    const double h = ctx.s(30);
    const double w = std::min(panel.w - ctx.s(20), ctx.s(220));
    const Rect r{panel.cx() - w / 2, std::min(y + ctx.s(12), ctx.h - h - ctx.s(4)), w, h};
    if (!plainButton(ctx, r, i18n::tr("pgn.copy"), false)) return;
    const std::string text = pgnOfGame(st_.level, endedAt_, st_.playerWhite, st_.startFen, st_.playedMoves);
    showExportNote(note_, ctx, i18n::tr(copyToClipboard(text) ? "pgn.copied" : "pgn.copyFailed"));
}

// A fresh game: whatever game was suspended is dropped first.
void SolvedScreen::startLevel(int level) {
    store::clearGame();
    Game::instance().replace(freshGame(level));
}

}  // namespace

std::unique_ptr<Screen> makeSolvedScreen(const GameState& state) { return std::make_unique<SolvedScreen>(state); }

}  // namespace ui
