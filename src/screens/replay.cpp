// A won game from the gallery, stepped through move by move: the board on the
// level's look with the last move marked, the move list with the current move
// marked, buttons and Left/Right/Home/End, and the move sounds.
#include <SDL_keycode.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/chess.h"
#include "core/levels.h"
#include "core/pgn.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/audio.h"
#include "theme.h"
#include "ui/app.h"
#include "ui/board.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/pgn_export.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr std::uint32_t kBody = 0x3A2810;
constexpr std::uint32_t kMuted = 0x8A7456;
constexpr std::uint32_t kCream = 0xFAF4E6;
constexpr std::uint32_t kOutline = 0xCDB88A;
constexpr std::uint32_t kMark = 0xE8C77A;

enum class Step { Home, Back, Forward, End };

class ReplayScreen : public Screen {
public:
    explicit ReplayScreen(const GameState& state);
    ~ReplayScreen() override = default;
    void update(Ctx& ctx) override;

private:
    int lastPly() const { return static_cast<int>(moves_.size()); }
    void go(Step step);
    void goTo(int ply);
    void playMoveSound() const;
    void controls(Ctx& ctx, const Rect& row);
    void moveList(Ctx& ctx, const Rect& box);

    int level_;
    const theme::BoardTheme* look_;
    bool playerWhite_ = true;
    std::vector<chess::Board> positions_;  // [0] the start, [i] after move i
    std::vector<chess::Move> moves_;
    std::vector<std::string> san_;
    int firstNumber_ = 1;      // move number of the first move
    bool blackFirst_ = false;  // the first move is Black's
    int ply_ = 0;
    MoveAnim anim_;
    double listScroll_ = 0;
    int shownPly_ = -1;  // the ply the list last scrolled to
};

ReplayScreen::ReplayScreen(const GameState& state)
    : level_(state.level), look_(&theme::boardForStage(levels::configFor(state.level).stage)) {
    const store::SolveEntry* entry = nullptr;
    for (const store::SolveEntry& e : store::solves()) {
        if (e.level == level_) {
            entry = &e;
            break;
        }
    }
    const chess::GameLine line =
        entry ? chess::replayLine(startFenOf(*entry), movesOf(*entry)) : chess::replayLine("", {});
    playerWhite_ = entry ? playerWasWhite(*entry) : true;
    moves_ = line.moves;
    san_ = line.san;
    firstNumber_ = line.start.fullMove;
    blackFirst_ = line.start.turn == chess::Color::Black;
    positions_.push_back(line.start);
    for (const chess::Move& m : moves_) {
        chess::Board next = positions_.back();
        next.makeMove(m.from, m.to);
        positions_.push_back(next);
    }
    // The check marks of the board come from a full move generation per position.
    for (chess::Board& b : positions_) b.getMoves();
}

void ReplayScreen::go(Step step) {
    switch (step) {
        case Step::Home:
            goTo(0);
            break;
        case Step::Back:
            goTo(ply_ - 1);
            break;
        case Step::Forward:
            goTo(ply_ + 1);
            break;
        case Step::End:
            goTo(lastPly());
            break;
    }
}

// One move forward slides the piece and sounds like the game did; any other
// jump just shows the position.
void ReplayScreen::goTo(int ply) {
    ply = std::clamp(ply, 0, lastPly());
    if (ply == ply_) return;
    const bool forwardOne = ply == ply_ + 1;
    ply_ = ply;
    anim_ = MoveAnim{};
    if (!forwardOne) {
        audio::play(audio::Sfx::Click);
        return;
    }
    const chess::Move m = moves_[static_cast<std::size_t>(ply_ - 1)];
    anim_.from = m.from;
    anim_.to = m.to;
    anim_.piece = positions_[static_cast<std::size_t>(ply_)].at(m.to);
    playMoveSound();
}

void ReplayScreen::playMoveSound() const {
    const chess::Board& before = positions_[static_cast<std::size_t>(ply_ - 1)];
    const chess::Board& after = positions_[static_cast<std::size_t>(ply_)];
    const chess::Move m = moves_[static_cast<std::size_t>(ply_ - 1)];
    const chess::Piece moved = before.at(m.from);
    const bool pawn = chess::kindOf(moved) == 'P';
    const bool captured = before.at(m.to) != 0 || (pawn && m.to == before.enPassant);
    audio::MoveFacts facts;
    facts.piece = chess::kindOf(moved);
    facts.capture = captured;
    facts.byPlayer = chess::isWhite(moved) == playerWhite_;
    facts.mate = after.checkMate;
    facts.check = after.playingPlayerInCheck();
    facts.promoted = pawn && chess::kindOf(after.at(m.to)) == 'Q';
    facts.castled = chess::kindOf(moved) == 'K' && std::abs(m.from % 8 - m.to % 8) == 2;
    audio::play(audio::forPlayedMove(facts));
}

void ReplayScreen::update(Ctx& ctx) {
    if (anim_.from != -1 && anim_.t < 1) anim_.t += ctx.dt / anim_.duration;
    drawBackdrop(ctx);
    bool back = false;
    screenHeader(ctx, i18n::tr("pgn.replayHeadline", {{"n", std::to_string(level_)}}), &back);
    if (back || ctx.in.hasKey(SDLK_ESCAPE)) {
        Game::instance().pop();
        return;
    }
    for (int key : ctx.in.keys) {
        if (key == SDLK_HOME) go(Step::Home);
        if (key == SDLK_LEFT) go(Step::Back);
        if (key == SDLK_RIGHT) go(Step::Forward);
        if (key == SDLK_END) go(Step::End);
    }
    // The arrows step through the game here, so they do not also move the focus.
    for (int key : {SDLK_HOME, SDLK_LEFT, SDLK_RIGHT, SDLK_END}) ctx.in.takeKey(key);

    const double headerH = ctx.s(ctx.compact() ? 52 : 60);
    const double pad = ctx.s(16);
    const double bodyH = ctx.h - headerH - pad;
    Rect boardArea;
    Rect panel;
    // Wide beyond 23:20, as on the other board screens.
    if (20 * ctx.w > 23 * ctx.h) {
        boardArea = {pad, headerH, 0.6 * ctx.w - 2 * pad, bodyH};
        panel = {0.6 * ctx.w, headerH, 0.4 * ctx.w - pad, bodyH};
    } else {
        boardArea = {pad, headerH, ctx.w - 2 * pad, 0.58 * bodyH};
        panel = {pad, headerH + 0.58 * bodyH + ctx.s(8), ctx.w - 2 * pad, 0.42 * bodyH - ctx.s(8)};
    }

    const chess::Board& board = positions_[static_cast<std::size_t>(ply_)];
    BoardState state;
    state.board = &board;
    state.look = look_;
    if (ply_ > 0) {
        state.lastFrom = moves_[static_cast<std::size_t>(ply_ - 1)].from;
        state.lastTo = moves_[static_cast<std::size_t>(ply_ - 1)].to;
    }
    state.showLegalMoves = false;
    state.check = board.playingPlayerInCheck();
    state.kingInCheck = state.check ? board.kingSquare(board.turn) : -1;
    state.anim = &anim_;
    drawBoard(ctx, layoutBoard(ctx, boardArea, !playerWhite_), state);

    const std::string status =
        ply_ == 0 ? i18n::tr("pgn.replayStart")
                  : i18n::tr("pgn.replayMove", {{"n", std::to_string(ply_)}, {"total", std::to_string(lastPly())}});
    TextStyle statusStyle = sansText(std::round(ctx.s(15)), kBody, true, Align::Center);
    statusStyle.maxWidth = panel.w;
    drawText(ctx.cr, panel.cx(), panel.y, status, statusStyle);

    const double rowH = ctx.s(42);
    const Rect listBox{panel.x, panel.y + ctx.s(28), panel.w, panel.h - ctx.s(28) - rowH - ctx.s(10)};
    if (moves_.empty()) {
        TextStyle note = sansText(std::round(ctx.s(13)), kMuted, false, Align::Center);
        note.wrapWidth = panel.w - ctx.s(20);
        drawTextCentered(ctx.cr, listBox.cx(), listBox.cy(), i18n::tr("pgn.replayNoMoves"), note);
    } else {
        moveList(ctx, listBox);
    }
    controls(ctx, {panel.x, panel.bottom() - rowH, panel.w, rowH});
}

// Start, back, forward, end: icon buttons, faint where there is nothing to step to.
void ReplayScreen::controls(Ctx& ctx, const Rect& row) {
    const double gap = ctx.s(8);
    const double w = std::min((row.w - 3 * gap) / 4, ctx.s(90));
    const double x0 = row.cx() - (4 * w + 3 * gap) / 2;
    const Step steps[] = {Step::Home, Step::Back, Step::Forward, Step::End};
    for (int i = 0; i < 4; ++i) {
        const Rect r{x0 + i * (w + gap), row.y, w, row.h};
        const bool forward = i >= 2;
        const bool possible = forward ? ply_ < lastPly() : ply_ > 0;
        const bool clicked = plainButton(ctx, r, "", false);
        const double size = 0.4 * row.h;
        const double alpha = possible ? 1.0 : 0.35;
        const int dir = forward ? 1 : 3;
        const bool toEnd = i == 0 || i == 3;
        const double shift = toEnd ? (forward ? -0.12 : 0.12) * size : 0;
        drawTriangleIcon(ctx.cr, r.cx() + shift, r.cy(), size, dir, kBody, alpha);
        if (toEnd) {
            const double barX = r.cx() + (forward ? 0.32 : -0.32) * size;
            fillRect(ctx.cr, {barX - 0.06 * size, r.cy() - 0.45 * size, 0.12 * size, 0.9 * size}, kBody, alpha);
        }
        if (clicked) go(steps[i]);
    }
}

// "12. Nf3 Nc6" rows; the current move sits on a marked cell and a click on a
// move jumps there.
void ReplayScreen::moveList(Ctx& ctx, const Rect& box) {
    cairo_t* cr = ctx.cr;
    fillRoundedRect(cr, box, ctx.s(8), kCream, 0.85);
    strokeRoundedRect(cr, box, ctx.s(8), ctx.s(1), kOutline, 0.8);
    const Rect area{box.x + ctx.s(4), box.y + ctx.s(6), box.w - ctx.s(8), box.h - ctx.s(12)};
    const double rowH = ctx.s(24);
    const int slots = lastPly() + (blackFirst_ ? 1 : 0);
    const int rows = (slots + 1) / 2;
    const double content = rows * rowH;
    const double maxScroll = std::max(content - area.h, 0.0);

    // Follow the current move whenever it changes; the wheel scrolls freely in between.
    if (shownPly_ != ply_) {
        shownPly_ = ply_;
        const int row = ply_ == 0 ? 0 : (ply_ - 1 + (blackFirst_ ? 1 : 0)) / 2;
        const double top = row * rowH;
        if (top < listScroll_) listScroll_ = top;
        if (top + rowH > listScroll_ + area.h) listScroll_ = top + rowH - area.h;
    }
    applyScroll(ctx, area, content, &listScroll_);
    listScroll_ = std::clamp(listScroll_, 0.0, maxScroll);

    const double numberW = ctx.s(44);
    const double cellW = std::min((area.w - numberW) / 2, ctx.s(130));
    const TextStyle numberStyle = sansText(std::round(ctx.s(13)), kMuted, false, Align::Right);
    const TextStyle moveStyle = sansText(std::round(ctx.s(14)), kBody, false, Align::Left);
    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    cairo_clip(cr);
    for (int row = std::max(static_cast<int>(listScroll_ / rowH), 0); row < rows; ++row) {
        const double top = area.y + row * rowH - listScroll_;
        if (top >= area.bottom()) break;
        const std::string label = std::to_string(firstNumber_ + row) + (row == 0 && blackFirst_ ? "..." : ".");
        drawText(cr, area.x + numberW - ctx.s(8), top + ctx.s(4), label, numberStyle);
        for (int col = 0; col < 2; ++col) {
            const int ply = 2 * row + col - (blackFirst_ ? 1 : 0) + 1;  // the position after this move
            if (ply < 1 || ply > lastPly()) continue;
            const Rect cell{area.x + numberW + col * cellW, top + ctx.s(1), cellW - ctx.s(4), rowH - ctx.s(2)};
            if (ply == ply_) fillRoundedRect(cr, cell, ctx.s(5), kMark, 0.9);
            drawText(cr, cell.x + ctx.s(6), top + ctx.s(4), san_[static_cast<std::size_t>(ply - 1)], moveStyle);
            if (cell.y >= area.y && cell.bottom() <= area.bottom() && ctx.takeClick(cell)) goTo(ply);
        }
    }
    cairo_restore(cr);
    scrollbar(ctx, area, content, listScroll_);
}

}  // namespace

std::unique_ptr<Screen> makeReplayScreen(const GameState& state) { return std::make_unique<ReplayScreen>(state); }

}  // namespace ui
