// The playing screen: one game of a level, from the dice roll that decides
// who opens to checkmate or stalemate, with undo, a hint, the move history
// and a game that is saved as it goes so that it can be resumed.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include <SDL_keycode.h>
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
#include "ui/pgn_export.h"
#include "ui/pieces.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr std::uint32_t kBackground = 0xF3EBDD;
constexpr std::uint32_t kDark = 0x3A2810;
constexpr std::uint32_t kMuted = kWidgetMutedText;
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
constexpr int kCKey = 99;
constexpr double kDragStart = 6;  // pointer travel (window units) that turns a press into a drag

constexpr double kAiDelay = 0.45;      // seconds before the computer moves
constexpr double kSaveInterval = 2.0;  // seconds between periodic saves
constexpr double kHintSeconds = 4.0;
constexpr double kDiceRollSeconds = 1.4;
constexpr double kSlideSeconds = 0.18;
constexpr int kHintSearchLevel = 3;  // hints always search at full strength

enum class Phase { Dice = 0, Play = 1 };

// A move typed in coordinate form, read as far as it goes: "e2e4", "e2-e4",
// "e4xd5", or with a piece letter in front, "Ng1f3".
struct TypedMove {
    char piece = 0;  // upper-case kind, 0 when none was typed
    chess::Sq from = -1, to = -1;
    bool valid = true;      // the text is a move or the start of one
    bool complete = false;  // both squares are there
};

TypedMove readTyped(const std::string& text) {
    TypedMove m;
    std::size_t i = 0;
    // A lower-case b is the b file, so the bishop needs its capital.
    if (i < text.size() && std::string_view("NBRQKnrqk").find(text[i]) != std::string_view::npos) {
        m.piece = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
    }
    // 1 a square was read, 0 the text ends before it does, -1 it cannot be one.
    auto square = [&](chess::Sq& out) {
        if (i >= text.size()) return 0;
        const char file = text[i++];
        if (file < 'a' || file > 'h') return -1;
        if (i >= text.size()) return 0;
        const char rank = text[i++];
        if (rank < '1' || rank > '8') return -1;
        out = (file - 'a') + 8 * (rank - '1');
        return 1;
    };
    const int first = square(m.from);
    if (first <= 0) {
        m.valid = first == 0;
        return m;
    }
    if (i < text.size() && (text[i] == '-' || text[i] == 'x')) ++i;
    const int second = square(m.to);
    if (second <= 0) {
        m.valid = second == 0;
        return m;
    }
    m.valid = m.complete = i == text.size();
    return m;
}

// The character a key types into a move, or 0: letters (capitals with Shift),
// digits and the hyphen; nothing while Ctrl or Alt is held.
char typedChar(int key, int mods) {
    if (mods & (KMOD_CTRL | KMOD_ALT)) return 0;
    if (key >= SDLK_a && key <= SDLK_z) {
        const char c = static_cast<char>(key);
        return (mods & KMOD_SHIFT) ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
    }
    if ((key >= SDLK_0 && key <= SDLK_9) || key == SDLK_MINUS) return static_cast<char>(key);
    return 0;
}

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
    void onQuit() override;

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
    void chooseSquare(chess::Sq sq);
    void handleDrag(Ctx& ctx, const BoardView& view);
    void drop(chess::Sq sq);
    void handleKeys(Ctx& ctx, const BoardView& view);
    void boardKeys(Ctx& ctx, const BoardView& view);
    void typeKeys(Ctx& ctx);
    void playTyped();
    void copyGame(const Ctx& ctx);
    void settleDice();
    void continueAfterDice();
    void undo();
    void hint();
    void leave();
    void finish();

    BoardState boardState(const Ctx& ctx) const;
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
    bool diceSettled_ = false;
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
    ExportNote note_;     // "copied" after Ctrl+C
    double now_ = 0;      // frame time of the running update
    bool acted_ = false;  // Undo or Hint already ran in this frame
    // A press on one of the player's pieces; it becomes a drag once the pointer moves away.
    chess::Sq dragFrom_ = -1;
    bool dragging_ = false;
    double pressX_ = 0, pressY_ = 0;
    int boardFocus_ = 0;    // the board's focus id in this frame
    chess::Sq cursor_ = -1;  // the keyboard's square cursor, placed when first shown
    std::string typed_;      // a move being typed
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
        if (!diceSettled_ && ctx.t - diceStart_ > kDiceRollSeconds) settleDice();
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
    audio::MoveFacts facts;
    facts.piece = chess::kindOf(moved);
    facts.capture = captured;
    facts.byPlayer = byPlayer;
    facts.mate = board_.checkMate;
    facts.check = check_;
    facts.promoted = promoted;
    facts.castled = castled;
    audio::play(audio::forPlayedMove(facts));
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
    chooseSquare(sq);
}

// A click, or Enter on the cursor: picks up one of the player's pieces, or
// plays the picked-up one there.
void PlayingScreen::chooseSquare(chess::Sq sq) {
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

// Runs before anything is drawn, so that a drop never reaches a button under it.
void PlayingScreen::handleDrag(Ctx& ctx, const BoardView& view) {
    const Input& in = ctx.in;
    if (finished_ || board_.isFinished || !playerToMove()) {
        dragFrom_ = -1;
        dragging_ = false;
        return;
    }
    if (in.pressed && !ctx.clickUsed) {
        const chess::Sq sq = squareAt(view, in.mouseX, in.mouseY);
        const chess::Piece piece = sq == -1 ? 0 : board_.at(sq);
        if (piece != 0 && chess::colorOf(piece) == playerColor()) {
            dragFrom_ = sq;
            dragging_ = false;
            pressX_ = in.mouseX;
            pressY_ = in.mouseY;
        }
    }
    if (dragFrom_ == -1) return;
    if (in.mouseDown && !dragging_ &&
        (std::hypot(in.mouseX - pressX_, in.mouseY - pressY_) > kDragStart ||
         squareAt(view, in.mouseX, in.mouseY) != dragFrom_)) {
        dragging_ = true;
        selected_ = dragFrom_;
        audio::play(audio::Sfx::Click);
    }
    if (in.released || !in.mouseDown) {
        // A press and release without a drag stays a click for handleBoardInput.
        if (dragging_ && in.released) {
            ctx.clickUsed = true;
            drop(squareAt(view, in.mouseX, in.mouseY));
        }
        dragFrom_ = -1;
        dragging_ = false;
    }
}

// The end of a drag: a legal target plays the move where the piece already is
// (no slide); the piece goes back otherwise, with the illegal sound when it
// was let go over another square.
void PlayingScreen::drop(chess::Sq sq) {
    const chess::Sq from = dragFrom_;
    if (sq == from) return;  // put back, still picked up
    if (sq != -1 && moves_.contains(from, sq)) {
        applyMove(from, sq, true);
        anim_.t = 1;
        if (!finished_) persist();
        return;
    }
    if (sq != -1) audio::play(audio::Sfx::Illegal);
    selected_ = -1;
}

void PlayingScreen::handleKeys(Ctx& ctx, const BoardView& view) {
    if (finished_) return;
    Input& in = ctx.in;
    if (in.hasKey(kEscapeKey)) {
        // Escape first lets go of a typed move or a picked-up piece, then leaves.
        if (!typed_.empty()) {
            typed_.clear();
        } else if (selected_ != -1) {
            selected_ = -1;
        } else {
            leave();
            return;
        }
    }
    // One action per frame: Ctrl+Z and Ctrl+H are ignored when a button already acted.
    // The Ctrl of each key comes from its own event, so a quick tap counts.
    if (!acted_ && in.hasCtrlKey(kZKey) && canUndo()) undo();
    if (!acted_ && in.hasCtrlKey(SDLK_h) && canHint()) hint();
    if (in.hasCtrlKey(kCKey)) copyGame(ctx);
    typeKeys(ctx);
    boardKeys(ctx, view);
    playTyped();
}

// Ctrl+C: the game so far as PGN, for any chess tool.
void PlayingScreen::copyGame(const Ctx& ctx) {
    const std::string text = pgnOfGame(level_, store::nowMs(), playerWhite_, startFen(), movesOfHistory(history_));
    showExportNote(note_, ctx, i18n::tr(copyToClipboard(text) ? "pgn.copied" : "pgn.copyFailed"));
}

// The arrows move the square cursor as the board is seen; Enter and Space
// pick up and play. The board is a focus stop of its own, ahead of the panel.
void PlayingScreen::boardKeys(Ctx& ctx, const BoardView& view) {
    Input& in = ctx.in;
    if (ctx.focus.visible && ctx.focus.current != boardFocus_) return;
    const int dx = in.takeKey(SDLK_RIGHT) - in.takeKey(SDLK_LEFT);
    const int dy = in.takeKey(SDLK_UP) - in.takeKey(SDLK_DOWN);
    const int choose = in.takeKey(SDLK_RETURN) + in.takeKey(SDLK_KP_ENTER) + in.takeKey(SDLK_SPACE);
    const bool shown = ctx.focused(boardFocus_);
    if (dx == 0 && dy == 0 && choose == 0) return;
    if (cursor_ == -1) cursor_ = board_.kingSquare(playerColor());
    if (!shown) {
        ctx.setFocus(boardFocus_);  // the first key only shows the cursor
        return;
    }
    const int sign = view.flipped ? -1 : 1;
    const int file = std::clamp(cursor_ % 8 + sign * dx, 0, 7);
    const int rank = std::clamp(cursor_ / 8 + sign * dy, 0, 7);
    cursor_ = file + 8 * rank;
    if (choose == 0) return;
    ctx.focus.activated = boardFocus_;
    if (!board_.isFinished && playerToMove()) chooseSquare(cursor_);
}

// Letters, digits and the hyphen build a typed move; Backspace takes one back.
// A character that cannot continue a move is ignored.
void PlayingScreen::typeKeys(Ctx& ctx) {
    const Input& in = ctx.in;
    for (std::size_t i = 0; i < in.keys.size(); ++i) {
        const int mods = i < in.keyMods.size() ? in.keyMods[i] : 0;
        if (in.keys[i] == SDLK_BACKSPACE) {
            if (!typed_.empty()) typed_.pop_back();
            continue;
        }
        const char c = typedChar(in.keys[i], mods);
        if (c != 0 && readTyped(typed_ + c).valid) typed_ += c;
    }
}

// A complete typed move is played on the player's turn when it is legal (and
// its piece letter, if any, names the piece on its first square).
void PlayingScreen::playTyped() {
    const TypedMove m = readTyped(typed_);
    if (!m.complete || board_.isFinished || !playerToMove()) return;
    typed_.clear();
    selected_ = -1;
    const bool pieceFits = m.piece == 0 || chess::kindOf(board_.at(m.from)) == m.piece;
    if (!pieceFits || !moves_.contains(m.from, m.to)) {
        audio::play(audio::Sfx::Illegal);
        return;
    }
    applyMove(m.from, m.to, true);
    cursor_ = m.to;
    if (!finished_) persist();
}

// The Continue button of the dice: the winner of the roll plays White, and a
// computer that wins takes White with the level's handicap mirrored to its side.
// The board takes the player's side as the result shows, under the dice card,
// so that Continue does not turn it round afterwards.
void PlayingScreen::settleDice() {
    diceSettled_ = true;
    if (diceP_ >= diceN_) return;
    board_ = chess::Board::fromFen(chess::mirrorFen(board_.fen()));
    playerWhite_ = false;
    aiOpens_ = true;
    refresh();
}

void PlayingScreen::continueAfterDice() {
    if (!diceSettled_) settleDice();
    phase_ = Phase::Play;
    startFen_ = board_.fen();
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

// Quitting keeps the game as it stands, its clock up to the last frame included.
void PlayingScreen::onQuit() {
    if (!finished_ && phase_ == Phase::Play) persist();
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
        store::recordSolve(
            {level_, moveCount_, elapsed, store::nowMs(), finalFen, stars, startFen(), movesOfHistory(history_)});
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
    next.startFen = startFen();
    next.playedMoves = movesOfHistory(history_);
    next.hintUsed = hintUsed_;
    Game::instance().replace(next);
}

// ---- the frame -----------------------------------------------------------------

BoardState PlayingScreen::boardState(const Ctx& ctx) const {
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
    if (dragging_) {
        state.lifted = dragFrom_;
        state.liftX = ctx.in.mouseX;
        state.liftY = ctx.in.mouseY;
    }
    if (ctx.focused(boardFocus_)) state.cursor = cursor_;
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
    // The board comes first in reading order, ahead of the panel's buttons.
    boardFocus_ = ctx.focusId(view.rect);
    if (phase_ == Phase::Play) handleDrag(ctx, view);
    drawBoard(ctx, view, boardState(ctx));

    const bool stay = layout.landscape ? sidePanel(ctx, layout.panel) : bottomPanel(ctx, layout.panel);
    if (!stay) return;

    if (phase_ == Phase::Dice) {
        diceOverlay(ctx, layout.panel);
        return;
    }
    handleBoardInput(ctx, view);
    handleKeys(ctx, view);
    drawExportNote(ctx, note_, ctx.h - ctx.s(12));
}

// ---- panels --------------------------------------------------------------------

// Names the screen the button returns to: the level select or the menu.
std::string backLabel() {
    const GameState* under = Game::instance().underTop();
    const bool toLevels = under && under->kind == ScreenKind::LevelSelect;
    return "\u2039 " + i18n::tr(toLevels ? "back.toLevels" : "playing.back");
}

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
        // Long handicaps wrap onto a second line rather than shrink.
        TextStyle style = info;
        style.color = kAccent;
        style.maxWidth = 0;
        style.wrapWidth = r.w;
        double w = 0, h = 0;
        measureText(cr, i18n::tr(handicap), style, &w, &h);
        drawText(cr, r.x, y, i18n::tr(handicap), style);
        y += std::max(ctx.s(19), h + ctx.s(4));
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

    // The star target under the history; a hint caps the win at one star, and
    // the line says so. It wraps rather than shrinking past the floor.
    TextStyle foot = textStyle(ctx.s(11), false, kMuted);
    foot.wrapWidth = r.w;
    const int stars = hintUsed_ ? 1 : std::max(levels::computeStars(moveCount_, cfg_.optimumMoves), 1);
    std::string target = i18n::tr("playing.optimumHint", {{"n", number(cfg_.optimumMoves)}, {"stars", number(stars)}});
    if (hintUsed_) target += " \u00B7 " + i18n::tr("stars.hintUsed");
    double footW = 0, footH = 0;
    measureText(cr, target, foot, &footW, &footH);
    const double footTop = r.y + r.h - std::max(footH, ctx.s(18)) - ctx.s(6);
    historyList(ctx, {r.x, y, r.w, std::max(footTop - y - ctx.s(6), ctx.s(60))});
    drawText(cr, r.x, footTop, target, foot);
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
    // Still a focus stop, so that the order of the stops does not change with the game.
    if (ctx.focused(ctx.focusId(r))) focusRing(ctx, r, ctx.s(8));
    fillRoundedRect(ctx.cr, r, ctx.s(8), kInert, 0.6);
    strokeRoundedRect(ctx.cr, r, ctx.s(8), ctx.s(1), kOutline, 0.5);
    TextStyle style = textStyle(std::min(0.45 * r.h, ctx.s(14)), false, kMuted);
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
    if (!typed_.empty()) text = typed_ + "_";  // the move being typed
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
    if (history_.empty()) {
        // Until the first move the empty list says how to move without a mouse.
        TextStyle help = textStyle(ctx.s(11), false, kMuted);
        help.wrapWidth = area.w - ctx.s(16);
        drawText(cr, area.x + ctx.s(8), area.y + ctx.s(4), i18n::tr("keys.board"), help);
    }
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
    // Enter and Space continue too, unless a focused panel button took them.
    Input& in = ctx.in;
    const bool byKey = ctx.focus.activated == 0 &&
                       in.takeKey(SDLK_RETURN) + in.takeKey(SDLK_KP_ENTER) + in.takeKey(SDLK_SPACE) > 0;
    if (byKey) audio::play(audio::Sfx::Click);
    if (menuButton(ctx, button, i18n::tr("dice.continueButton"), true) || byKey) continueAfterDice();
    // The settled card is modal: nothing behind it takes this frame's click.
    ctx.clickUsed = true;
}

}  // namespace

std::unique_ptr<Screen> makePlayingScreen(const GameState& state) {
    return std::make_unique<PlayingScreen>(state);
}

}  // namespace ui
