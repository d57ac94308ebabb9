// The playing screen: one game of a level, from the dice roll that decides
// who opens to checkmate or stalemate, with undo, a hint, the move history
// and a game that is saved as it goes so that it can be resumed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <cairo.h>

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
#include "ui/pieces.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr std::uint32_t kBackground = 0xF3EBDD;
constexpr std::uint32_t kDark = 0x3A2810;
constexpr std::uint32_t kMuted = 0x8A7456;
constexpr std::uint32_t kAccent = 0x8A4B1C;
constexpr std::uint32_t kLight = 0xFDF6E8;
constexpr std::uint32_t kCream = 0xFAF4E6;
constexpr std::uint32_t kOutline = 0xCDB88A;
constexpr std::uint32_t kInert = 0xECE2CC;
constexpr std::uint32_t kCheckRed = 0xA62626;
constexpr std::uint32_t kDim = 0x1A1208;  // the veil behind the dice
constexpr double kDimAlpha = 0.55;

constexpr int kEscapeKey = 27;
constexpr int kZKey = 122;

constexpr double kAiDelay = 0.45;      // seconds before the computer moves
constexpr double kSaveInterval = 2.0;  // seconds between periodic saves
constexpr double kHintSeconds = 4.0;
constexpr double kDiceRollSeconds = 1.4;
constexpr double kSlideSeconds = 0.18;
constexpr int kHintSearchLevel = 3;  // hints always search at full strength

enum class Phase { Dice = 0, Play = 1 };

// The search's random source: the process-wide rand() stream as [0, 1).
double engineRand() { return std::rand() / 2147483648.0; }

std::string number(long long n) { return std::to_string(n); }

// Dims everything drawn so far, where the overlay holds drawings only inside
// `drawn`: there the veil goes on the overlay, over them; everywhere else on
// the renderer, a plain fill instead of a pass over the overlay's empty
// pixels. The edge between the two lies on whole pixels, so no pixel gets
// the veil twice or not at all.
void dimWindow(Ctx& ctx, const Rect& drawn, std::uint32_t rgb, double alpha) {
    const double scale = gpuScale();
    auto snap = [scale](double v) { return std::round(v * scale) / scale; };
    const double x0 = std::clamp(snap(drawn.x), 0.0, ctx.w), x1 = std::clamp(snap(drawn.right()), x0, ctx.w);
    const double y0 = std::clamp(snap(drawn.y), 0.0, ctx.h), y1 = std::clamp(snap(drawn.bottom()), y0, ctx.h);
    gpuFillRect(0, 0, ctx.w, y0, rgb, alpha);
    gpuFillRect(0, y1, ctx.w, ctx.h - y1, rgb, alpha);
    gpuFillRect(0, y0, x0, y1 - y0, rgb, alpha);
    gpuFillRect(x1, y0, ctx.w - x1, y1 - y0, rgb, alpha);
    fillRect(ctx.cr, {x0, y0, x1 - x0, y1 - y0}, rgb, alpha);
}

// A text style in the family the screens use for their own texts.
TextStyle textStyle(double size, bool bold, std::uint32_t color) {
    return sansText(std::round(size), color, bold);
}

struct Layout {
    bool landscape = true;
    Rect boardArea;
    Rect panel;
};

// Board on the left and a side panel on the right in wide windows; board on
// top and a bottom panel otherwise.
Layout layoutFor(const Ctx& ctx) {
    Layout out;
    const double w = ctx.w;
    const double h = ctx.h;
    const double pad = ctx.s(12);
    out.landscape = w > 1.15 * h;
    if (out.landscape) {
        const double sw = std::max(std::min(0.3 * w, ctx.s(330)), ctx.s(240));
        out.boardArea = {pad, pad, w - sw - 3 * pad, h - 2 * pad};
        out.panel = {w - sw - pad, pad, sw, h - 2 * pad};
    } else {
        out.boardArea = {pad, pad, w - 2 * pad, std::min(w - 2 * pad, 0.62 * h)};
        const double top = out.boardArea.bottom() + ctx.s(6);
        out.panel = {pad, top, w - 2 * pad, h - top - pad};
    }
    return out;
}

class PlayingScreen : public Screen {
public:
    explicit PlayingScreen(const GameState& state);
    void update(Ctx& ctx) override;

private:
    chess::Color playerColor() const { return playerWhite_ ? chess::Color::White : chess::Color::Black; }
    bool playerToMove() const { return board_.turn == playerColor(); }
    // Both wait for the end of the dice: a hint during the roll would be for a
    // position the lost roll may still mirror, and would mark the game as hinted.
    bool canUndo() const { return phase_ == Phase::Play && !history_.empty() && playerToMove() && !board_.isFinished; }
    bool canHint() const { return phase_ == Phase::Play && playerToMove() && !board_.isFinished; }
    std::int64_t elapsedMs() const;
    std::string startFen() const;

    void refresh();
    void tick(Ctx& ctx);
    void persist();
    void playMoveSound(chess::Piece moved, bool captured, bool castled, bool promoted, bool byPlayer);
    void applyMove(chess::Sq from, chess::Sq to, bool byPlayer);
    void doAiMove();
    void handleBoardInput(Ctx& ctx, const BoardView& view);
    void handleKeys(Ctx& ctx);
    void continueAfterDice();
    void undo();
    void hint();
    void leave();
    void finish();

    BoardState boardState() const;
    bool sidePanel(Ctx& ctx, const Rect& r);
    bool bottomPanel(Ctx& ctx, const Rect& r);
    bool actionButton(Ctx& ctx, const Rect& r, const std::string& label, bool enabled);
    void actionRow(Ctx& ctx, const Rect& undoRect, const Rect& hintRect);
    void turnBanner(Ctx& ctx, const Rect& r);
    void historyList(Ctx& ctx, const Rect& box);
    void historyRow(Ctx& ctx, const Rect& area, int i, double rowH);
    // Drawn over the board and the panel, whose drawings all lie inside panel.
    void diceOverlay(Ctx& ctx, const Rect& panel);

    int level_;
    std::uint32_t seed_;
    levels::LevelConfig cfg_;
    const theme::BoardTheme* look_;
    chess::Board board_;
    chess::MoveMap moves_;
    bool check_ = false;
    std::vector<int> threats_;
    bool playerWhite_ = true;
    int moveCount_ = 0;
    std::vector<store::HistoryEntry> history_;
    bool hintUsed_ = false;
    chess::Sq selected_ = -1;
    chess::Sq lastFrom_ = -1;
    chess::Sq lastTo_ = -1;
    chess::Sq hintFrom_ = -1;
    chess::Sq hintTo_ = -1;
    double hintUntil_ = -1.0;
    Phase phase_ = Phase::Dice;
    int diceP_ = 1;
    int diceN_ = 1;
    double diceStart_ = -1.0;
    bool aiOpens_ = false;
    double aiDueAt_ = -1.0;
    MoveAnim anim_;
    double elapsedBase_ = 0;
    double startT_ = -1.0;
    double lastSaveT_ = 0;
    bool finished_ = false;
    std::string startFen_;
    std::int64_t elapsedMsCached_ = 0;
    double histScroll_ = 0;
    bool histFollow_ = true;
    double now_ = 0;      // frame time of the running update
    bool acted_ = false;  // Undo or Hint already ran in this frame
};

// ---- the game ------------------------------------------------------------------

PlayingScreen::PlayingScreen(const GameState& state)
    : level_(state.level <= 0 ? 1 : state.level),
      seed_(state.seed),
      cfg_(levels::configFor(level_)),
      look_(&theme::boardForStage(cfg_.stage)) {
    anim_.duration = kSlideSeconds;
    const store::SavedGame& saved = store::savedGame();
    if (saved.valid && saved.level == level_ && (state.resume || saved.seed == seed_)) {
        board_ = chess::Board::fromFen(saved.fen);
        moveCount_ = saved.moves;
        history_ = saved.history;
        hintUsed_ = saved.hintUsed;
        elapsedBase_ = static_cast<double>(saved.elapsedMs);
        playerWhite_ = saved.playerWhite;
        startFen_ = saved.startFen;
        seed_ = saved.seed;
        phase_ = Phase::Play;
    } else {
        board_ = cfg_.startingFen.empty() ? chess::Board::startPosition() : chess::Board::fromFen(cfg_.startingFen);
        diceP_ = std::rand() % 6 + 1;
        diceN_ = std::rand() % 6 + 1;
        startFen_ = board_.fen();
    }
    refresh();
}

std::int64_t PlayingScreen::elapsedMs() const {
    if (startT_ >= 0) return static_cast<std::int64_t>((now_ - startT_) * 1000.0 + elapsedBase_);
    return static_cast<std::int64_t>(elapsedBase_);
}

std::string PlayingScreen::startFen() const {
    if (!startFen_.empty()) return startFen_;
    if (!cfg_.startingFen.empty()) return cfg_.startingFen;
    return chess::Board::startPosition().fen();
}

// Everything derived from the position, recomputed only when it changes.
void PlayingScreen::refresh() {
    moves_ = board_.getMoves();
    check_ = board_.playingPlayerInCheck();
    threats_.clear();
    if (playerToMove() && !board_.isFinished) threats_ = chess::threatenedSquares(board_, playerColor());
}

void PlayingScreen::tick(Ctx& ctx) {
    if (startT_ < 0) startT_ = ctx.t;
    elapsedMsCached_ = elapsedMs();
    if (anim_.from != -1 && anim_.t < 1) anim_.t += ctx.dt / anim_.duration;

    if (phase_ == Phase::Dice) {
        if (diceStart_ < 0) diceStart_ = ctx.t;
        return;
    }
    if (finished_) return;
    if (board_.isFinished) {
        finish();
        return;
    }
    if (!playerToMove() || aiOpens_) {
        if (aiDueAt_ < 0) aiDueAt_ = ctx.t + kAiDelay;
        if (ctx.t >= aiDueAt_) doAiMove();
    }
    if (ctx.t - lastSaveT_ > kSaveInterval) {
        lastSaveT_ = ctx.t;
        if (!finished_) persist();
    }
}

void PlayingScreen::persist() {
    store::SavedGame game;
    game.level = level_;
    game.seed = seed_;
    game.fen = board_.fen();
    game.startFen = startFen();
    game.elapsedMs = elapsedMs();
    game.moves = moveCount_;
    game.history = history_;
    game.hintUsed = hintUsed_;
    game.playerWhite = playerWhite_;
    store::saveGame(game);
}

void PlayingScreen::playMoveSound(chess::Piece moved, bool captured, bool castled, bool promoted, bool byPlayer) {
    if (board_.checkMate) {
        audio::play(audio::Sfx::Success);
    } else if (check_) {
        audio::play(audio::Sfx::Pickup);
    } else if (promoted) {
        audio::play(audio::Sfx::Star2);
    } else if (castled) {
        audio::play(audio::Sfx::Drop13);
    } else {
        audio::play(audio::forMove(chess::kindOf(moved), captured, byPlayer));
    }
}

void PlayingScreen::applyMove(chess::Sq from, chess::Sq to, bool byPlayer) {
    const chess::Piece moved = board_.at(from);
    const bool pawn = chess::kindOf(moved) == 'P';
    const bool captured = board_.at(to) != 0 || (pawn && to == board_.enPassant);
    const bool castled = chess::kindOf(moved) == 'K' && std::abs(from % 8 - to % 8) == 2;

    board_.makeMove(from, to);
    const bool promoted = pawn && chess::kindOf(board_.at(to)) == 'Q';
    refresh();

    selected_ = -1;
    lastFrom_ = anim_.from = from;
    lastTo_ = anim_.to = to;
    anim_.t = 0;
    anim_.duration = kSlideSeconds;
    anim_.piece = board_.at(to);
    hintUntil_ = -1;

    const chess::Notation notation = chess::notationFor(moved, from, to, captured);
    store::HistoryEntry entry;
    entry.fen = board_.fen();
    entry.notation = notation.text;
    entry.pieceKind = notation.pieceKind;
    entry.byWhite = chess::isWhite(moved);
    history_.push_back(std::move(entry));

    if (byPlayer) moveCount_ += 1;
    playMoveSound(moved, captured, castled, promoted, byPlayer);
}

// The search runs to completion inside this frame.
void PlayingScreen::doAiMove() {
    aiOpens_ = false;
    aiDueAt_ = -1;
    const chess::Move m = chess::aiMove(board_, cfg_.aiLevel, engineRand);
    if (m.from != -1) applyMove(m.from, m.to, false);
}

void PlayingScreen::handleBoardInput(Ctx& ctx, const BoardView& view) {
    if (finished_ || board_.isFinished || !playerToMove()) return;
    if (!ctx.in.released || ctx.clickUsed) return;
    const chess::Sq sq = squareAt(view, ctx.in.mouseX, ctx.in.mouseY);
    if (sq == -1) return;
    ctx.clickUsed = true;

    const chess::Piece piece = board_.at(sq);
    if (piece != 0 && chess::colorOf(piece) == playerColor()) {
        selected_ = sq;
        audio::play(audio::Sfx::Click);
        return;
    }
    if (selected_ != -1 && moves_.contains(selected_, sq)) {
        applyMove(selected_, sq, true);
        if (!finished_) persist();
    } else if (selected_ != -1) {
        audio::play(audio::Sfx::Illegal);
    }
    selected_ = -1;
}

void PlayingScreen::handleKeys(Ctx& ctx) {
    if (finished_) return;
    if (ctx.in.hasKey(kEscapeKey)) {
        leave();
        return;
    }
    // One action per frame: Ctrl+Z is ignored when a button already acted.
    if (!acted_ && ctx.in.ctrl && ctx.in.hasKey(kZKey) && canUndo()) undo();
}

// The Continue button of the dice: the winner of the roll plays White, and a
// computer that wins takes White with the level's handicap mirrored to its side.
void PlayingScreen::continueAfterDice() {
    phase_ = Phase::Play;
    startFen_ = board_.fen();
    if (diceP_ >= diceN_) return;
    board_ = chess::Board::fromFen(chess::mirrorFen(board_.fen()));
    playerWhite_ = false;
    aiOpens_ = true;
    startFen_ = board_.fen();
    refresh();
}

void PlayingScreen::undo() {
    acted_ = true;
    audio::play(audio::Sfx::Click);
    const bool lastByPlayer = history_.back().byWhite == playerWhite_;
    const std::size_t n = lastByPlayer ? 1 : 2;
    std::string fen;
    if (history_.size() > n) {
        history_.resize(history_.size() - n);
        fen = history_.back().fen;
    } else {
        history_.clear();
        fen = startFen();
    }
    board_ = chess::Board::fromFen(fen);
    refresh();

    moveCount_ = std::max(moveCount_ - 1, 0);
    lastFrom_ = lastTo_ = anim_.from = anim_.to = selected_ = -1;
    anim_.piece = 0;
    anim_.t = 0;
    anim_.duration = kSlideSeconds;
    hintUntil_ = -1;
    aiDueAt_ = -1;
    // Saved at once, so that leaving right after an undo resumes the same game.
    persist();
}

void PlayingScreen::hint() {
    acted_ = true;
    audio::play(audio::Sfx::Click);
    chess::Move m;
    if (!chess::suggest(board_, kHintSearchLevel, engineRand, &m)) return;
    hintUsed_ = true;
    hintFrom_ = m.from;
    hintTo_ = m.to;
    hintUntil_ = now_ + kHintSeconds;
}

// The game stays saved and can be resumed; it is brought up to date first so
// that a computer move or the clock of the last seconds are not lost.
void PlayingScreen::leave() {
    if (finished_) return;
    audio::play(audio::Sfx::Click);
    if (phase_ == Phase::Play) persist();
    Game::instance().pop();
}

void PlayingScreen::finish() {
    finished_ = true;
    Outcome outcome = Outcome::Draw;
    if (chess::resultOf(board_) == chess::Result::Checkmate) {
        outcome = playerToMove() ? Outcome::Loss : Outcome::Win;
    }
    const std::int64_t elapsed = elapsedMs();
    const std::string finalFen = board_.fen();
    store::clearGame();

    if (outcome == Outcome::Win) {
        audio::playWinFanfare();
        const int stars = hintUsed_ ? 1 : levels::computeStars(moveCount_, cfg_.optimumMoves);
        store::recordBest(level_, {stars, moveCount_, elapsed});
        store::recordSolve({level_, moveCount_, elapsed, store::nowMs(), finalFen, stars});
        store::advanceUnlockedLevel(level_ + 1);
    } else {
        audio::playLoseSound();
    }

    GameState next;
    next.kind = ScreenKind::Solved;
    next.level = level_;
    next.seed = 0;
    next.resume = false;
    next.moves = moveCount_;
    next.elapsedMs = elapsed;
    next.finalFen = finalFen;
    next.outcome = outcome;
    next.playerWhite = playerWhite_;
    Game::instance().replace(next);
}

// ---- the frame -----------------------------------------------------------------

BoardState PlayingScreen::boardState() const {
    BoardState state;
    state.board = &board_;
    state.look = look_;
    state.selected = selected_;
    state.lastFrom = lastFrom_;
    state.lastTo = lastTo_;
    if (now_ < hintUntil_) {
        state.hintFrom = hintFrom_;
        state.hintTo = hintTo_;
    }
    if (selected_ != -1) {
        const chess::TargetList& targets = moves_.from(selected_);
        state.legalTargets.assign(targets.begin(), targets.end());
    }
    state.threats = threats_;
    state.showLegalMoves = store::settings().showLegalMoves;
    state.check = check_;
    state.kingInCheck = check_ ? board_.kingSquare(board_.turn) : -1;
    state.anim = &anim_;
    state.still = false;
    return state;
}

void PlayingScreen::update(Ctx& ctx) {
    now_ = ctx.t;
    acted_ = false;
    gpuFillRect(0, 0, ctx.w, ctx.h, kBackground, 1.0);
    tick(ctx);

    const Layout layout = layoutFor(ctx);
    // A player with Black sees Black at the bottom unless the setting turns it back.
    const bool flipped = store::settings().flipBoard != !playerWhite_;
    const BoardView view = layoutBoard(ctx, layout.boardArea, flipped);
    drawBoard(ctx, view, boardState());

    const bool stay = layout.landscape ? sidePanel(ctx, layout.panel) : bottomPanel(ctx, layout.panel);
    if (!stay) return;

    if (phase_ == Phase::Dice) {
        diceOverlay(ctx, layout.panel);
        return;
    }
    handleBoardInput(ctx, view);
    handleKeys(ctx);
}

// ---- panels --------------------------------------------------------------------

std::string backLabel() { return "\u2039 " + i18n::tr("playing.back"); }

// Returns false when the Back button left the screen.
bool PlayingScreen::sidePanel(Ctx& ctx, const Rect& r) {
    if (plainButton(ctx, {r.x, r.y, std::min(ctx.s(120), r.w), ctx.s(30)}, backLabel(), false)) {
        leave();
        return false;
    }
    cairo_t* cr = ctx.cr;
    TextStyle title = textStyle(ctx.s(19), true, kDark);
    title.maxWidth = r.w;
    TextStyle info = textStyle(ctx.s(13), false, kMuted);
    info.maxWidth = r.w;

    double y = r.y + ctx.s(38);
    drawText(cr, r.x, y, i18n::tr("playing.levelLabel", {{"n", number(level_)}}), title);
    y += ctx.s(26);
    drawText(cr, r.x, y, i18n::tr("playing.eloLabel", {{"n", number(cfg_.elo)}}), info);
    y += ctx.s(19);
    const std::string handicap = levels::handicapKey(cfg_.handicap);
    if (!handicap.empty()) {
        TextStyle style = info;
        style.color = kAccent;
        drawText(cr, r.x, y, i18n::tr(handicap), style);
        y += ctx.s(19);
    }
    y += ctx.s(8);
    TextStyle strong = info;
    strong.color = kDark;
    drawText(cr, r.x, y, i18n::tr("playing.moves", {{"n", number(moveCount_)}}), strong);
    y += ctx.s(18);
    drawClockIcon(cr, r.x + ctx.s(6), y + ctx.s(7), ctx.s(12), kMuted, 0.9);
    TextStyle clock = strong;
    clock.maxWidth = r.w - ctx.s(18);
    drawText(cr, r.x + ctx.s(18), y, formatTime(elapsedMsCached_), clock);
    y += ctx.s(26);
    turnBanner(ctx, {r.x, y, r.w, ctx.s(30)});
    y += ctx.s(38);
    const double half = (r.w - ctx.s(8)) / 2;
    actionRow(ctx, {r.x, y, half, ctx.s(34)}, {r.x + half + ctx.s(8), y, half, ctx.s(34)});
    y += ctx.s(42);
    historyList(ctx, {r.x, y, r.w, std::max(r.y + r.h - y - ctx.s(30), ctx.s(60))});

    TextStyle foot = textStyle(ctx.s(11), false, kMuted);
    foot.maxWidth = r.w;
    const int stars = std::max(levels::computeStars(moveCount_, cfg_.optimumMoves), 1);
    drawText(cr, r.x, r.y + r.h - ctx.s(24),
             i18n::tr("playing.optimumHint", {{"n", number(cfg_.optimumMoves)}, {"stars", number(stars)}}), foot);
    return true;
}

// Returns false when the Back button left the screen.
bool PlayingScreen::bottomPanel(Ctx& ctx, const Rect& r) {
    if (plainButton(ctx, {r.x, r.y, ctx.s(96), ctx.s(28)}, backLabel(), false)) {
        leave();
        return false;
    }
    TextStyle status = textStyle(ctx.s(14), true, kDark);
    // Kept clear of the turn banner at the right.
    status.maxWidth = std::max(r.w - ctx.s(106) - ctx.s(158), ctx.s(40));
    const std::string line = i18n::tr("playing.levelLabel", {{"n", number(level_)}}) + "  " +
                             i18n::tr("playing.moves", {{"n", number(moveCount_)}}) + "  " +
                             formatTime(elapsedMsCached_);
    drawText(ctx.cr, r.x + ctx.s(106), r.y + ctx.s(5), line, status);
    turnBanner(ctx, {r.x + r.w - ctx.s(150), r.y, ctx.s(150), ctx.s(28)});

    const double y = r.y + ctx.s(34);
    actionRow(ctx, {r.x, y, ctx.s(110), ctx.s(30)}, {r.x + ctx.s(118), y, ctx.s(110), ctx.s(30)});
    historyList(ctx, {r.x + ctx.s(238), y, std::max(r.w - ctx.s(238), ctx.s(60)), std::max(r.y + r.h - y, ctx.s(40))});
    return true;
}

void PlayingScreen::actionRow(Ctx& ctx, const Rect& undoRect, const Rect& hintRect) {
    if (actionButton(ctx, undoRect, i18n::tr("playing.undo"), canUndo())) undo();
    if (actionButton(ctx, hintRect, i18n::tr("playing.hint"), canHint())) hint();
}

// An enabled button is a plain button; a disabled one is drawn inert and
// takes no click.
bool PlayingScreen::actionButton(Ctx& ctx, const Rect& r, const std::string& label, bool enabled) {
    if (enabled) return plainButton(ctx, r, label, false);
    fillRoundedRect(ctx.cr, r, ctx.s(8), kInert, 0.6);
    strokeRoundedRect(ctx.cr, r, ctx.s(8), ctx.s(1), kOutline, 0.5);
    TextStyle style = textStyle(std::min(0.45 * r.h, ctx.s(14)), false, kMuted);
    style.alpha = 0.6;
    style.maxWidth = r.w - ctx.s(10);
    drawTextCentered(ctx.cr, r.cx(), r.cy(), label, style);
    return false;
}

void PlayingScreen::turnBanner(Ctx& ctx, const Rect& r) {
    std::string text;
    std::uint32_t fill = kMuted;
    std::uint32_t ink = kLight;
    if (check_) {
        text = i18n::tr("playing.check");
        fill = kCheckRed;
    } else if (board_.isFinished) {
        text = "\u2026";
        fill = kInert;
        ink = kMuted;
    } else if (playerToMove()) {
        text = i18n::tr("playing.yourTurn");
        fill = kAccent;
    } else {
        text = i18n::tr("playing.thinking");
    }
    const double pulse = 1 + 0.02 * (1 + std::sin(3.2 * ctx.t)) / 2;
    const Rect scaled{r.cx() - r.w * pulse / 2, r.cy() - r.h * pulse / 2, r.w * pulse, r.h * pulse};
    fillRoundedRect(ctx.cr, scaled, scaled.h / 2, fill, 0.95);
    TextStyle style = textStyle(std::min(0.48 * r.h, ctx.s(14)), true, ink);
    style.maxWidth = r.w - ctx.s(16);
    drawTextCentered(ctx.cr, r.cx(), r.cy(), text, style);
}

void PlayingScreen::historyList(Ctx& ctx, const Rect& box) {
    cairo_t* cr = ctx.cr;
    fillRoundedRect(cr, box, ctx.s(8), kCream, 0.85);
    strokeRoundedRect(cr, box, ctx.s(8), ctx.s(1), kOutline, 0.8);

    const Rect area{box.x + ctx.s(2), box.y + ctx.s(6), box.w - ctx.s(4), box.h - ctx.s(12)};
    const double rowH = ctx.s(20);
    const double content = static_cast<double>(history_.size()) * rowH;
    const double maxScroll = std::max(content - area.h, 0.0);

    const double before = histScroll_;
    applyScroll(ctx, area, content, &histScroll_);
    histScroll_ = std::clamp(histScroll_, 0.0, maxScroll);
    // Scrolling up stops following the newest move; scrolling back to the end resumes it.
    if (std::abs(histScroll_ - before) > 0.01) histFollow_ = histScroll_ >= maxScroll - ctx.s(10);
    if (histFollow_) histScroll_ = maxScroll;

    cairo_save(cr);
    cairo_rectangle(cr, area.x, area.y, area.w, area.h);
    cairo_clip(cr);
    const int first = std::max(static_cast<int>(histScroll_ / rowH), 0);
    for (int i = first; i < static_cast<int>(history_.size()); ++i) {
        const double top = area.y + i * rowH - histScroll_;
        if (top >= area.bottom()) break;
        if (top + rowH > area.y) historyRow(ctx, area, i, rowH);
    }
    cairo_restore(cr);
    scrollbar(ctx, area, content, histScroll_);
}

void PlayingScreen::historyRow(Ctx& ctx, const Rect& area, int i, double rowH) {
    const store::HistoryEntry& entry = history_[static_cast<std::size_t>(i)];
    const double top = area.y + i * rowH - histScroll_;
    const std::uint32_t color = entry.byWhite == playerWhite_ ? kDark : kMuted;
    const TextStyle style = textStyle(std::min(0.7 * rowH, ctx.s(12)), false, color);
    const double x0 = area.x + ctx.s(6);
    const double y = top + ctx.s(3);
    if (entry.byWhite) drawText(ctx.cr, x0, y, number(i / 2 + 1) + ".", style);
    if (entry.pieceKind != 0) {
        paintPieceGlyph(ctx.cr, entry.pieceKind, x0 + ctx.s(26), top + rowH / 2, 0.8 * rowH, color, 0.9);
    }
    drawText(ctx.cr, x0 + ctx.s(38), y, entry.notation, style);
}

void PlayingScreen::diceOverlay(Ctx& ctx, const Rect& panel) {
    cairo_t* cr = ctx.cr;
    const double age = diceStart_ < 0 ? 0.0 : ctx.t - diceStart_;
    dimWindow(ctx, panel.inset(-ctx.s(4)), kDim, kDimAlpha);

    const double cardW = std::min(ctx.w - ctx.s(40), ctx.s(420));
    const double cardH = std::min(ctx.h - ctx.s(40), ctx.s(300));
    const Rect card{(ctx.w - cardW) / 2, (ctx.h - cardH) / 2, cardW, cardH};
    fillRoundedRect(cr, card, ctx.s(16), kBackground, 0.98);
    strokeRoundedRect(cr, card, ctx.s(16), ctx.s(2), kOutline, 1.0);
    const double cx = card.cx();

    const double dieSize = std::min(0.34 * cardH, 0.28 * cardW);
    const double dy = card.y + 0.3 * cardH;
    const double p = std::min(age / kDiceRollSeconds, 1.0);
    const double eased = 1 - std::pow(1 - p, 3);
    const int step = static_cast<int>(24 * eased);
    const bool settled = age > kDiceRollSeconds;
    constexpr double kTurn = 2 * std::numbers::pi;

    double sz = dieSize;
    double top = dy - dieSize / 2;
    int faceP = diceP_;
    int faceN = diceN_;
    double angleP = 0;
    double angleN = 0;
    if (!settled) {
        const double arc = std::sin(std::numbers::pi * p);
        sz = dieSize * (1 + 0.1 * arc);
        top = dy - sz / 2 - arc * dieSize * 0.42;
        faceP = (step * 7 + 2) % 6 + 1;
        faceN = (step * 5 + 4) % 6 + 1;
        angleP = eased * 4 * kTurn;
        angleN = -eased * 5 * kTurn;
    }
    const double grow = (sz - dieSize) / 2;
    drawDie(cr, {cx - 1.15 * dieSize - grow, top, sz, sz}, faceP, angleP, kLight, kDark);
    drawDie(cr, {cx + 0.15 * dieSize - grow, top, sz, sz}, faceN, angleN, kDark, kLight);

    const TextStyle caption = textStyle(ctx.s(13), false, kMuted);
    drawTextCentered(cr, cx - 0.65 * dieSize, dy + 0.75 * dieSize, i18n::tr("dice.player"), caption);
    drawTextCentered(cr, cx + 0.65 * dieSize, dy + 0.75 * dieSize, i18n::tr("dice.npc"), caption);
    if (!settled) return;

    TextStyle result = textStyle(ctx.s(17), true, kAccent);
    result.maxWidth = cardW - ctx.s(32);
    const char* key = diceP_ > diceN_ ? "dice.playerStarts" : diceP_ < diceN_ ? "dice.npcStarts" : "dice.tie";
    drawTextCentered(cr, cx, card.y + 0.63 * cardH, i18n::tr(key), result);
    const Rect button{cx - ctx.s(80), card.y + cardH - ctx.s(56), ctx.s(160), ctx.s(38)};
    if (menuButton(ctx, button, i18n::tr("dice.continueButton"), true)) continueAfterDice();
    // The settled card is modal: nothing behind it takes this frame's click.
    ctx.clickUsed = true;
}

}  // namespace

std::unique_ptr<Screen> makePlayingScreen(const GameState& state) {
    return std::make_unique<PlayingScreen>(state);
}

}  // namespace ui
