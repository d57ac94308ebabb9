// The playing screen driven through the real frame loop: scripted clicks on
// board squares and buttons, keys, and the composed frame read back as pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "core/chess.h"
#include "core/json.h"
#include "core/levels.h"
#include "core/storage.h"
#include "i18n.h"
#include "platform/paths.h"
#include "platform/save_crypt.h"
#include "theme.h"
#include "ui/app.h"
#include "ui/board.h"
#include "ui/draw.h"
#include "ui/frame.h"
#include "ui/gpu.h"
#include "ui_shell_support.h"

namespace {

constexpr double kStep = 0.1;  // frame step of the scripted clock, seconds
constexpr int kEscape = 27;
constexpr int kKeyZ = 122;
constexpr std::uint32_t kBannerTurn = 0x8A4B1C;
constexpr std::uint32_t kBannerThinking = 0x8A7456;
constexpr std::uint32_t kBannerCheck = 0xA62626;

using shelltest::channel;

// Largest per-channel difference.
int colourDistance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) d = std::max(d, std::abs(channel(a, shift) - channel(b, shift)));
    return d;
}

enum class Roll { PlayerWins, Tie, ComputerWins };

// An srand() seed whose first two dice (the player's, then the computer's) roll this way.
unsigned seedForDice(Roll roll) {
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        const int p = std::rand() % 6 + 1;
        const int n = std::rand() % 6 + 1;
        const Roll rolled = p > n ? Roll::PlayerWins : p == n ? Roll::Tie : Roll::ComputerWins;
        if (rolled == roll) return seed;
    }
}

double threadMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The saved game as written in "saves.dat", opened and parsed.
js::Value savedGameOnDisk() {
    std::ifstream in(paths::dataDir() + "/saves.dat", std::ios::binary);
    const std::string sealed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string text;
    if (platform::saveDecrypt(sealed, &text) != platform::SaveReadResult::Ok) return {};
    return js::parse(text)["current_game"];
}

// ---- fixture: the shell's headless window, stores loaded once, fresh progress ----

class PlayingScreenTest : public shelltest::HeadlessWindow {
public:
    // Drives the real frame loop on the fixture's window at one size, with a
    // scripted clock, clicks and keys, and reads the composed frame back.
    class Harness {
    public:
        Harness(PlayingScreenTest& fixture, int w, int h) : t_(fixture), w_(w), h_(h) {
            SDL_SetWindowSize(t_.window_, w, h);
            t_.startLoop();
            t_.pointer_ = offWindow();
            t_.beforePresent_ = [this] {
                if (capture_) readPixels();
            };
        }

        // One frame of kStep seconds; returns the processor time it took in
        // milliseconds (thread time, so that other processes do not count).
        double frame() {
            const double t0 = threadMs();
            t_.frameAt(t_.clock_ + kStep);
            return threadMs() - t0;
        }
        void run(double seconds) {
            for (double t = 0; t < seconds - 1e-9; t += kStep) frame();
        }
        double clock() const { return t_.clock_; }

        // A left click (press and release) at (x, y), queued for the next frame.
        void queueClick(double x, double y) {
            t_.pointer_.x = x;
            t_.pointer_.y = y;
            t_.pushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
            t_.pushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
        }
        void queueCtrlKey(int code) {
            t_.pushKey(code, KMOD_LCTRL);
            t_.pointer_.ctrl = true;
        }
        void click(double x, double y) {
            queueClick(x, y);
            frame();
            t_.pointer_ = offWindow();
        }
        void key(int code, bool ctrl) {
            t_.pushKey(code, ctrl ? KMOD_LCTRL : KMOD_NONE);
            t_.pointer_.ctrl = ctrl;
            frame();
            t_.pointer_ = offWindow();
        }

        // Runs one frame and keeps its composed picture for pixel probes.
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
        // How many pixels of the rectangle are within tolerance of rgb.
        int countNear(const ui::Rect& r, std::uint32_t rgb, int tolerance) const {
            int n = 0;
            for (int y = static_cast<int>(r.y); y < static_cast<int>(r.bottom()); ++y) {
                for (int x = static_cast<int>(r.x); x < static_cast<int>(r.right()); ++x) {
                    if (colourDistance(pixel(x, y), rgb) <= tolerance) ++n;
                }
            }
            return n;
        }
    // ---- where the screen puts things, in window coordinates ----
        double s(double v) const { return v * ui::layoutScale(w_, h_); }
        bool landscape() const { return w_ > 1.15 * h_; }
        ui::Rect boardArea() const {
            const double pad = s(12);
            if (landscape()) {
                const double sw = std::max(std::min(0.3 * w_, s(330)), s(240));
                return {pad, pad, w_ - sw - 3 * pad, h_ - 2 * pad};
            }
            return {pad, pad, w_ - 2 * pad, std::min(w_ - 2 * pad, 0.62 * h_)};
        }
        ui::Rect panel() const {
            const double pad = s(12);
            const ui::Rect area = boardArea();
            if (landscape()) {
                const double sw = std::max(std::min(0.3 * w_, s(330)), s(240));
                return {w_ - sw - pad, pad, sw, h_ - 2 * pad};
            }
            const double top = area.bottom() + s(6);
            return {pad, top, w_ - 2 * pad, h_ - top - pad};
        }
        ui::BoardView view(bool playerWhite) const {
            return ui::layoutBoard(t_.loop_->ctx(), boardArea(), !playerWhite);
        }
        ui::Rect backButton() const {
            const ui::Rect r = panel();
            return landscape() ? ui::Rect{r.x, r.y, std::min(s(120), r.w), s(30)} : ui::Rect{r.x, r.y, s(96), s(28)};
        }
        ui::Rect undoButton() const {
            const ui::Rect r = panel();
            if (!landscape()) return {r.x, r.y + s(34), s(110), s(30)};
            return {r.x, actionRowY(), (r.w - s(8)) / 2, s(34)};
        }
        ui::Rect hintButton() const {
            const ui::Rect r = panel();
            if (!landscape()) return {r.x + s(118), r.y + s(34), s(110), s(30)};
            const double half = (r.w - s(8)) / 2;
            return {r.x + half + s(8), actionRowY(), half, s(34)};
        }
        ui::Rect banner() const {
            const ui::Rect r = panel();
            if (!landscape()) return {r.x + r.w - s(150), r.y, s(150), s(28)};
            return {r.x, actionRowY() - s(38), r.w, s(30)};
        }
        ui::Rect continueButton() const {
            const double cardH = std::min(h_ - s(40), s(300));
            const double top = (h_ - cardH) / 2;
            return {w_ / 2.0 - s(80), top + cardH - s(56), s(160), s(38)};
        }

        void clickSquare(chess::Sq sq, bool playerWhite) {
            const ui::Rect r = ui::squareRect(view(playerWhite), sq);
            click(r.cx(), r.cy());
        }
        void clickRect(const ui::Rect& r) { click(r.cx(), r.cy()); }

    private:
        // The side panel's action row sits lower when the level names a handicap.
        double actionRowY() const {
            const ui::Rect r = panel();
            const levels::LevelConfig cfg = levels::configFor(ui::Game::instance().top().level);
            const double handicap = levels::handicapKey(cfg.handicap).empty() ? 0 : s(19);
            return r.y + s(38) + s(26) + s(19) + handicap + s(8) + s(18) + s(26) + s(38);
        }
        static ui::PointerSample offWindow() {
            ui::PointerSample p;
            p.x = p.y = -1;
            return p;
        }
        void readPixels() {
            pixels_.assign(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0);
            SDL_RenderReadPixels(t_.renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels_.data(), w_ * 4);
        }

        PlayingScreenTest& t_;
        int w_, h_;
        bool capture_ = false;
        std::vector<std::uint32_t> pixels_;
    };

protected:
    static void SetUpTestSuite() {
        shelltest::headlessEnvironment();
        store::init();
        i18n::setLanguage("en");
        ui::registerBundledFonts();
    }

    void SetUp() override {
        HeadlessWindow::SetUp();
        store::resetProgress();
        store::settings().flipBoard = false;
        store::settings().showLegalMoves = true;
    }

    // Opens a level above the menu and lets the frame build it. A new game's
    // dice are decided by the srand() seed chosen here.
    void open(Harness& h, int level, bool resume, std::uint32_t seed, Roll roll = Roll::PlayerWins) {
        ui::GameState menu;
        menu.kind = ui::ScreenKind::Menu;
        ui::Game::instance().resetTo(menu);
        ui::GameState playing;
        playing.kind = ui::ScreenKind::Playing;
        playing.level = level;
        playing.seed = seed;
        playing.resume = resume;
        ui::Game::instance().push(playing);
        std::srand(seedForDice(roll));
        h.frame();
    }

    // A new game past the dice: the roll settles, Continue is clicked.
    // Returns the clock of the screen's first frame, where its game clock starts.
    double startGame(Harness& h, int level, Roll roll = Roll::PlayerWins) {
        open(h, level, false, 4242, roll);
        const double firstFrame = h.clock();
        h.run(1.5);
        h.clickRect(h.continueButton());
        return firstFrame;
    }

    // Frame by frame until the banner turns to the player: the computer has
    // just moved and its piece is still sliding.
    static bool waitForReply(Harness& h) {
        for (int i = 0; i < 40; ++i) {
            h.capture();
            if (colourDistance(h.pixel(h.banner().x + h.s(12), h.banner().cy()), kBannerTurn) <= 24) return true;
        }
        return false;
    }

    // Waits until the periodic save has caught up with the computer's reply
    // (the saved history reaches `entries`).
    static bool waitForSavedHistory(Harness& h, std::size_t entries, double limit = 4.0) {
        for (double t = 0; t < limit; t += kStep) {
            if (store::savedGame().valid && store::savedGame().history.size() >= entries) return true;
            h.frame();
        }
        return false;
    }

    // The player's move by the engine's own suggestion, clicked on the board.
    static chess::Move playSuggested(Harness& h, const chess::Board& position, bool playerWhite) {
        chess::Move m;
        auto rnd = [] { return 0.5; };
        EXPECT_TRUE(chess::suggest(position, 3, rnd, &m));
        h.clickSquare(m.from, playerWhite);
        h.clickSquare(m.to, playerWhite);
        return m;
    }

    static bool onSolvedScreen() { return ui::Game::instance().top().kind == ui::ScreenKind::Solved; }

    // Plays the player's side until the game ends, checking the save after
    // every move; returns the number of player moves.
    int playToTheEnd(Harness& h, bool playerWhite, int maxMoves = 120) {
        int moves = store::savedGame().valid ? store::savedGame().moves : 0;
        for (int i = 0; i < maxMoves && !onSolvedScreen(); ++i) {
            const store::SavedGame before = store::savedGame();
            const chess::Board position = chess::Board::fromFen(before.fen);
            chess::Board expected = position;
            const chess::Move m = playSuggested(h, position, playerWhite);
            expected.makeMove(m.from, m.to);
            moves += 1;
            if (onSolvedScreen()) break;
            checkSaved(expected.fen(), before.history.size() + 1, moves);
            h.frame();  // a mate is recorded in the frame after the move
            if (onSolvedScreen()) break;
            if (!waitForSavedHistory(h, before.history.size() + 2)) h.run(0.2);
        }
        return moves;
    }

    // The game in memory and the one in "saves.dat" both hold this state.
    static void checkSaved(const std::string& fen, std::size_t historySize, int moves) {
        const store::SavedGame& saved = store::savedGame();
        ASSERT_TRUE(saved.valid);
        EXPECT_EQ(fen, saved.fen);
        ASSERT_EQ(historySize, saved.history.size());
        EXPECT_EQ(fen, saved.history.back().fen);
        EXPECT_EQ(moves, saved.moves);
        const js::Value disk = savedGameOnDisk();
        EXPECT_EQ(fen, disk["fen"].asString());
        EXPECT_EQ(historySize, disk["history"].size());
        EXPECT_EQ(moves, disk["moves"].asInt(-1));
    }

    static void savePosition(int level, const std::string& fen, const std::vector<store::HistoryEntry>& history,
                             int moves, bool playerWhite, std::int64_t elapsedMs = 0) {
        store::SavedGame game;
        game.level = level;
        game.seed = 77;
        game.fen = fen;
        game.startFen = fen;
        game.moves = moves;
        game.history = history;
        game.playerWhite = playerWhite;
        game.elapsedMs = elapsedMs;
        store::saveGame(game);
    }
};

// The dice overlay dims the whole window, the strip above the board included.
bool diceShown(const PlayingScreenTest::Harness& h) { return channel(h.pixel(h.boardArea().cx(), 2), 16) < 0xC0; }

// ---- a whole game ----------------------------------------------------------------

TEST_F(PlayingScreenTest, LevelOneFromTheDiceToTheSolvedScreen) {
    Harness h(*this, 1280, 720);
    // A tie: the player opens with White.
    open(h, 1, false, 4242, Roll::Tie);
    EXPECT_FALSE(store::savedGame().valid) << "a game in the dice phase is not saved";
    // The Continue button only exists once the dice have settled after 1.4 s.
    h.run(1.0);
    h.clickRect(h.continueButton());
    h.capture();
    EXPECT_TRUE(diceShown(h));
    h.run(0.5);
    h.clickRect(h.continueButton());
    h.capture();
    EXPECT_FALSE(diceShown(h));

    const levels::LevelConfig cfg = levels::configFor(1);
    // The first player move is saved with the start position of the level behind it.
    chess::Board start = chess::Board::fromFen(cfg.startingFen);
    chess::Board expected = start;
    const chess::Move first = playSuggested(h, start, true);
    expected.makeMove(first.from, first.to);
    checkSaved(expected.fen(), 1, 1);
    EXPECT_EQ(start.fen(), store::savedGame().startFen);
    EXPECT_TRUE(store::savedGame().playerWhite);
    ASSERT_TRUE(waitForSavedHistory(h, 2));

    const int moves = playToTheEnd(h, true);
    ASSERT_TRUE(onSolvedScreen()) << "no result after " << moves << " moves";
    const ui::GameState& solved = ui::Game::instance().top();
    EXPECT_EQ(ui::Outcome::Win, solved.outcome);
    EXPECT_EQ(1, solved.level);
    EXPECT_EQ(moves, solved.moves);
    EXPECT_TRUE(solved.playerWhite);
    chess::Board final = chess::Board::fromFen(solved.finalFen);
    final.getMoves();
    EXPECT_TRUE(final.checkMate);

    EXPECT_FALSE(store::savedGame().valid);
    EXPECT_TRUE(savedGameOnDisk().isNull());
    ASSERT_EQ(1u, store::levelBests().count(1));
    EXPECT_EQ(levels::computeStars(moves, cfg.optimumMoves), store::levelBests().at(1).stars);
    EXPECT_EQ(moves, store::levelBests().at(1).moves);
    ASSERT_EQ(1u, store::solves().size());
    EXPECT_EQ(solved.finalFen, store::solves()[0].finalFen);
    EXPECT_GE(store::unlockedLevel(), 2);
}

// ---- leaving and resuming ----------------------------------------------------------

TEST_F(PlayingScreenTest, LeavingAndResumingKeepsPositionClockColourAndHistory) {
    Harness h(*this, 1280, 720);
    const double firstFrame = startGame(h, 2);
    playSuggested(h, chess::Board::fromFen(levels::configFor(2).startingFen), true);
    ASSERT_TRUE(waitForSavedHistory(h, 2));
    playSuggested(h, chess::Board::fromFen(store::savedGame().fen), true);
    // Escape as soon as the computer has replied: the reply and the clock are kept.
    ASSERT_TRUE(waitForReply(h));
    h.key(kEscape, false);
    EXPECT_EQ(ui::ScreenKind::Menu, ui::Game::instance().top().kind);
    const store::SavedGame left = store::savedGame();
    ASSERT_TRUE(left.valid);
    EXPECT_EQ(4u, left.history.size());
    EXPECT_EQ(left.history.back().fen, left.fen);
    EXPECT_EQ(2, left.moves);
    EXPECT_NEAR((h.clock() - firstFrame) * 1000, static_cast<double>(left.elapsedMs), 5.0);
    h.run(1.0);  // time on the menu does not count

    // Reopened with resume (and another seed): no dice, same game, clock continues.
    open(h, 2, true, 999);
    const chess::Board position = chess::Board::fromFen(left.fen);
    chess::Board expected = position;
    const chess::Move m = playSuggested(h, position, true);
    expected.makeMove(m.from, m.to);
    checkSaved(expected.fen(), 5, 3);
    EXPECT_EQ(left.startFen, store::savedGame().startFen);
    EXPECT_EQ(left.seed, store::savedGame().seed);
    EXPECT_TRUE(store::savedGame().playerWhite);
    for (std::size_t i = 0; i < left.history.size(); ++i) {
        EXPECT_EQ(left.history[i].notation, store::savedGame().history[i].notation);
    }
    const std::int64_t resumedClock = store::savedGame().elapsedMs;
    EXPECT_GE(resumedClock, left.elapsedMs);
    EXPECT_LT(resumedClock, left.elapsedMs + 600) << "the clock counted the time on the menu";

    // Back button: leaves as Escape does.
    ASSERT_TRUE(waitForSavedHistory(h, 6));
    h.clickRect(h.backButton());
    EXPECT_EQ(ui::ScreenKind::Menu, ui::Game::instance().top().kind);
    EXPECT_EQ(6u, store::savedGame().history.size());

    // The same seed resumes without being asked to.
    open(h, 2, false, 4242);
    h.capture();
    EXPECT_FALSE(diceShown(h));
    h.key(kEscape, false);

    // Another seed without resume starts a new game; the old save stays until then.
    open(h, 2, false, 31337);
    h.run(0.5);
    EXPECT_EQ(6u, store::savedGame().history.size());
    h.capture();
    EXPECT_TRUE(diceShown(h));
}

// ---- the computer opens -------------------------------------------------------------

TEST_F(PlayingScreenTest, LostDiceGiveTheComputerWhiteWithTheMirroredHandicap) {
    Harness h(*this, 1280, 720);
    startGame(h, 3, Roll::ComputerWins);

    // The computer waits 0.45 s before its first move.
    h.capture();
    EXPECT_LE(colourDistance(h.pixel(h.banner().x + h.s(12), h.banner().cy()), kBannerThinking), 24);
    h.run(0.6);
    h.capture();
    EXPECT_LE(colourDistance(h.pixel(h.banner().x + h.s(12), h.banner().cy()), kBannerTurn), 24);

    // The player sees Black at the bottom: the black king on e8 sits on the bottom row.
    const ui::BoardView view = h.view(false);
    EXPECT_TRUE(view.flipped);
    const ui::Rect e8 = ui::squareRect(view, chess::squareFromName("e8"));
    EXPECT_NEAR(view.rect.bottom(), e8.bottom(), 1e-6);
    const std::uint32_t kingBody = h.pixel(e8.cx(), e8.y + 0.7 * e8.h);
    EXPECT_LT(channel(kingBody, 8), 0x60) << "a dark piece at the bottom";

    const levels::LevelConfig cfg = levels::configFor(3);
    const chess::Board mirrored = chess::Board::fromFen(chess::mirrorFen(cfg.startingFen));
    const ui::Rect e1 = ui::squareRect(view, chess::squareFromName("e1"));
    EXPECT_GT(channel(h.pixel(e1.cx(), e1.y + 0.7 * e1.h), 8), 0xA0) << "the computer's white king at the top";

    ASSERT_TRUE(waitForSavedHistory(h, 1));
    const store::SavedGame& saved = store::savedGame();
    EXPECT_FALSE(saved.playerWhite);
    EXPECT_EQ(mirrored.fen(), saved.startFen);
    EXPECT_TRUE(saved.history[0].byWhite);
    EXPECT_EQ(0, saved.moves);
    EXPECT_EQ(chess::Color::Black, chess::Board::fromFen(saved.fen).turn);
    // The computer, now White, has only king and pawns.
    int whiteOfficers = 0;
    for (chess::Piece p : chess::Board::fromFen(saved.fen).sq) {
        if (p != 0 && chess::isWhite(p) && p != 'K' && p != 'P') ++whiteOfficers;
    }
    EXPECT_EQ(0, whiteOfficers);

    // Undo at the first move brings back the mirrored start; the computer then opens again.
    h.clickRect(h.undoButton());
    EXPECT_EQ(mirrored.fen(), store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(0, store::savedGame().moves);
    EXPECT_FALSE(store::savedGame().playerWhite);
    ASSERT_TRUE(waitForSavedHistory(h, 1));
    EXPECT_EQ(chess::Color::Black, chess::Board::fromFen(store::savedGame().fen).turn);
}

// ---- undo ---------------------------------------------------------------------------------

TEST_F(PlayingScreenTest, UndoTakesBackTheReplyAndTheMoveTogether) {
    Harness h(*this, 1280, 720);
    startGame(h, 8);
    const std::string start = levels::configFor(8).startingFen;
    // Undo is inert before the first move.
    h.clickRect(h.undoButton());
    playSuggested(h, chess::Board::fromFen(start), true);
    const store::SavedGame afterFirst = store::savedGame();
    ASSERT_EQ(1u, afterFirst.history.size());

    // While the computer thinks neither Undo nor Ctrl+Z do anything.
    h.clickRect(h.undoButton());
    h.key(kKeyZ, true);
    EXPECT_EQ(1u, store::savedGame().history.size());
    ASSERT_TRUE(waitForSavedHistory(h, 2));
    const store::SavedGame afterReply = store::savedGame();

    // Second player move, then undo with Ctrl+Z once the reply is in.
    playSuggested(h, chess::Board::fromFen(afterReply.fen), true);
    ASSERT_TRUE(waitForSavedHistory(h, 4));
    h.key(kKeyZ, true);
    EXPECT_EQ(afterReply.fen, store::savedGame().fen);
    EXPECT_EQ(2u, store::savedGame().history.size());
    EXPECT_EQ(1, store::savedGame().moves);
    EXPECT_EQ(afterReply.fen, savedGameOnDisk()["fen"].asString()) << "an undo is saved at once";

    // Undo button and Ctrl+Z in the same frame undo once.
    h.queueClick(h.undoButton().cx(), h.undoButton().cy());
    h.queueCtrlKey(kKeyZ);
    h.frame();
    EXPECT_EQ(start, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(0, store::savedGame().moves);
    // The restored position is playable.
    playSuggested(h, chess::Board::fromFen(start), true);
    EXPECT_EQ(1u, store::savedGame().history.size());
}

TEST_F(PlayingScreenTest, UndoDuringTheSlideOfTheReplyKeepsTheGameConsistent) {
    Harness h(*this, 1280, 720);
    startGame(h, 9);
    const std::string start = levels::configFor(9).startingFen;
    playSuggested(h, chess::Board::fromFen(start), true);
    ASSERT_TRUE(waitForReply(h));
    h.clickRect(h.undoButton());
    EXPECT_EQ(start, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    h.run(1.0);
    EXPECT_EQ(0u, store::savedGame().history.size()) << "the undone computer move does not come back";
}

TEST_F(PlayingScreenTest, UndoInAResumedGameEndingOnThePlayersOwnMoveTakesBackOne) {
    Harness h(*this, 1280, 720);
    // A save whose last entry is the player's own move while the player is to move.
    chess::Board b = chess::Board::startPosition();
    std::vector<store::HistoryEntry> history;
    const char* line[] = {"e2", "e4", "e7", "e5", "g1", "f3"};
    for (int i = 0; i < 6; i += 2) {
        const chess::Sq from = chess::squareFromName(line[i]);
        const chess::Sq to = chess::squareFromName(line[i + 1]);
        const chess::Piece moved = b.at(from);
        b.makeMove(from, to);
        history.push_back({b.fen(), chess::notationFor(moved, from, to, false).text, chess::kindOf(moved),
                           chess::isWhite(moved)});
    }
    std::string fen = b.fen();
    fen.replace(fen.find(" b "), 3, " w ");
    savePosition(52, fen, history, 2, true, 30000);
    open(h, 52, true, 0);
    h.key(kKeyZ, true);
    const store::SavedGame& saved = store::savedGame();
    EXPECT_EQ(2u, saved.history.size());
    EXPECT_EQ(history[1].fen, saved.fen);
    EXPECT_EQ(1, saved.moves);
    EXPECT_GE(saved.elapsedMs, 30000);
}

// ---- hint -----------------------------------------------------------------------------------

// Squares of the board whose corner shows the hint's magenta.
int magentaSquares(PlayingScreenTest::Harness& h) {
    const ui::BoardView view = h.view(true);
    int n = 0;
    for (chess::Sq sq = 0; sq < 64; ++sq) {
        const ui::Rect r = ui::squareRect(view, sq);
        const std::uint32_t corner = h.pixel(r.x + 0.06 * r.w, r.y + 0.06 * r.h);
        if (channel(corner, 16) > 0xC0 && channel(corner, 8) < 0x90 && channel(corner, 0) > 0x70) ++n;
    }
    return n;
}

// Advances to a frame in which the blinking highlights are on.
void toBlinkOn(PlayingScreenTest::Harness& h) {
    while (std::fmod(h.clock() + kStep, 0.5) >= 0.2) h.frame();
}

TEST_F(PlayingScreenTest, HintShowsForFourSecondsAndCapsTheWinAtOneStar) {
    Harness h(*this, 1280, 720);
    // During the roll the Hint button does nothing.
    open(h, 4, false, 5);
    h.clickRect(h.hintButton());
    h.run(1.5);
    h.clickRect(h.continueButton());
    toBlinkOn(h);
    h.capture();
    EXPECT_EQ(0, magentaSquares(h));

    h.clickRect(h.hintButton());
    toBlinkOn(h);
    h.capture();
    EXPECT_EQ(2, magentaSquares(h));
    h.run(3.0);
    toBlinkOn(h);
    h.capture();
    EXPECT_EQ(2, magentaSquares(h)) << "still shown before 4 s";
    h.run(1.0);
    toBlinkOn(h);
    h.capture();
    EXPECT_EQ(0, magentaSquares(h)) << "gone after 4 s";

    const chess::Board start = chess::Board::fromFen(levels::configFor(4).startingFen);
    chess::Board expected = start;
    const chess::Move m = playSuggested(h, start, true);
    expected.makeMove(m.from, m.to);
    checkSaved(expected.fen(), 1, 1);
    EXPECT_TRUE(store::savedGame().hintUsed);
    ASSERT_TRUE(waitForSavedHistory(h, 2));

    const int moves = playToTheEnd(h, true);
    ASSERT_TRUE(onSolvedScreen());
    EXPECT_EQ(ui::Outcome::Win, ui::Game::instance().top().outcome);
    ASSERT_GT(levels::computeStars(moves, levels::configFor(4).optimumMoves), 1)
        << "the game should have earned more than one star without the hint";
    ASSERT_EQ(1u, store::levelBests().count(4));
    EXPECT_EQ(1, store::levelBests().at(4).stars);
    ASSERT_EQ(1u, store::solves().size());
    EXPECT_EQ(1, store::solves()[0].stars);
}

// ---- the end of a game -----------------------------------------------------------------

TEST_F(PlayingScreenTest, StalemateIsADrawThatRecordsNothingButClearsTheSave) {
    Harness h(*this, 1280, 720);
    savePosition(5, "7k/5K2/8/6Q1/8/8/8/8 w - - 0 1", {}, 9, true, 1000);
    open(h, 5, true, 0);
    h.clickSquare(chess::squareFromName("g5"), true);
    h.clickSquare(chess::squareFromName("g6"), true);
    h.frame();
    ASSERT_TRUE(onSolvedScreen());
    EXPECT_EQ(ui::Outcome::Draw, ui::Game::instance().top().outcome);
    EXPECT_EQ(10, ui::Game::instance().top().moves);
    EXPECT_FALSE(store::savedGame().valid);
    EXPECT_TRUE(savedGameOnDisk().isNull());
    EXPECT_TRUE(store::levelBests().empty());
    EXPECT_TRUE(store::solves().empty());
    EXPECT_EQ(1, store::unlockedLevel());
}

TEST_F(PlayingScreenTest, CheckTurnsTheBannerRedAndIllegalClicksChangeNothing) {
    Harness h(*this, 1280, 720);
    const std::string fen = "4k3/8/8/8/8/8/4r3/R3K3 w - - 0 1";
    savePosition(6, fen, {}, 3, true);
    open(h, 6, true, 0);
    h.capture();
    EXPECT_LE(colourDistance(h.pixel(h.banner().x + h.s(12), h.banner().cy()), kBannerCheck), 24);
    // An empty square with nothing selected, then a move that leaves the king in check.
    h.clickSquare(chess::squareFromName("d4"), true);
    h.clickSquare(chess::squareFromName("a1"), true);
    h.clickSquare(chess::squareFromName("a7"), true);
    h.run(2.5);
    EXPECT_EQ(fen, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(3, store::savedGame().moves);
}

// ---- layouts -------------------------------------------------------------------------------

struct WindowSize {
    int w, h;
};

class PlayingLayoutTest : public PlayingScreenTest, public ::testing::WithParamInterface<WindowSize> {};

TEST_P(PlayingLayoutTest, BoardPanelAndButtonsAreWhereTheyAreDrawn) {
    const WindowSize size = GetParam();
    Harness h(*this, size.w, size.h);
    startGame(h, 1);
    h.capture();

    const ui::Rect area = h.boardArea();
    const ui::BoardView view = h.view(true);
    EXPECT_GE(view.rect.x - view.frame, area.x - 0.5);
    EXPECT_LE(view.rect.right() + view.frame, area.right() + 0.5);
    EXPECT_GE(view.rect.y - view.frame, area.y - 0.5);
    EXPECT_LE(view.rect.bottom() + view.frame, area.bottom() + 0.5);
    const ui::Rect panel = h.panel();
    EXPECT_TRUE(h.landscape() ? view.rect.right() + view.frame <= panel.x : view.rect.bottom() + view.frame <= panel.y);

    // Empty middle squares show the board's own colours: d4 dark, e4 light.
    const theme::BoardTheme& look = theme::boardForStage(1);
    const ui::Rect d4 = ui::squareRect(view, chess::squareFromName("d4"));
    const ui::Rect e4 = ui::squareRect(view, chess::squareFromName("e4"));
    EXPECT_LE(colourDistance(h.pixel(d4.cx(), d4.cy()), look.dark), 6);
    EXPECT_LE(colourDistance(h.pixel(e4.cx(), e4.cy()), look.light), 6);

    // Dark panel text in the level line (side panel) or the status line (bottom panel).
    const ui::Rect textLine = h.landscape() ? ui::Rect{panel.x, panel.y + h.s(38), panel.w, h.s(22)}
                                            : ui::Rect{panel.x + h.s(106), panel.y, h.s(150), h.s(28)};
    EXPECT_GT(h.countNear(textLine, 0x3A2810, 40), 20);
    EXPECT_LE(colourDistance(h.pixel(h.banner().x + h.s(12), h.banner().cy()), kBannerTurn), 24);

    // The Hint button takes the click where it is drawn, the Back button too.
    h.clickRect(h.hintButton());
    toBlinkOn(h);
    h.capture();
    EXPECT_EQ(2, magentaSquares(h));
    h.clickRect(h.backButton());
    EXPECT_EQ(ui::ScreenKind::Menu, ui::Game::instance().top().kind);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlayingLayoutTest,
                         ::testing::Values(WindowSize{860, 560}, WindowSize{1280, 720}, WindowSize{1920, 1080},
                                           WindowSize{1151, 1000}, WindowSize{1150, 1000}, WindowSize{720, 1100}),
                         [](const ::testing::TestParamInfo<WindowSize>& info) {
                             return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
                         });

// ---- nothing heavy per frame --------------------------------------------------------------

TEST_F(PlayingScreenTest, IdleFramesCreateNoTextures) {
    Harness h(*this, 1280, 720);
    startGame(h, 1);
    h.run(1.0);
    const int cached = ui::gpuCacheSize();
    h.run(3.0);
    EXPECT_EQ(cached, ui::gpuCacheSize());
}

// The longest frame per level while the computer moves (the search runs inside
// one frame), next to the median frame, printed as a table. Slow (every
// level), so it only runs on request:
//   tests_screens --gtest_also_run_disabled_tests --gtest_filter='*FrameTimes*'
TEST_F(PlayingScreenTest, DISABLED_FrameTimesWhileTheComputerMoves) {
    Harness h(*this, 1280, 720);
    for (int level = 1; level <= levels::kTotalLevels; ++level) {
        store::resetProgress();
        startGame(h, level);
        std::vector<double> times;
        std::string position = levels::configFor(level).startingFen;
        if (position.empty()) position = chess::Board::startPosition().fen();
        for (int move = 0; move < 6 && !onSolvedScreen(); ++move) {
            const std::size_t entries = store::savedGame().valid ? store::savedGame().history.size() : 0;
            playSuggested(h, chess::Board::fromFen(position), true);
            for (int i = 0; i < 40 && store::savedGame().history.size() < entries + 2 && !onSolvedScreen(); ++i) {
                times.push_back(h.frame());
            }
            ASSERT_GE(store::savedGame().history.size(), entries + 2) << "level " << level;
            position = store::savedGame().fen;
        }
        std::sort(times.begin(), times.end());
        std::printf("level %3d  search level %d  longest frame %7.1f ms  median %5.1f ms  (%zu frames)\n", level,
                    levels::configFor(level).aiLevel, times.back(), times[times.size() / 2], times.size());
    }
}

}  // namespace
