// The playing screen driven through the real frame loop: scripted clicks on
// board squares and buttons, keys, and the composed frame read back as pixels.
#include <cmath>

#include "core/chess.h"
#include "core/levels.h"
#include "core/pgn.h"
#include "screens_support.h"
#include "ui/board.h"

namespace {

using namespace screenstest;
using shelltest::channel;
using ui::ScreenKind;

constexpr double kStep = 0.1;  // frame step of the scripted clock, seconds
constexpr std::uint32_t kBannerTurn = kPrimary;
constexpr std::uint32_t kBannerThinking = ui::kWidgetMutedText;
constexpr std::uint32_t kBannerCheck = 0xA62626;

enum class Roll { PlayerWins, Tie, ComputerWins };

// An srand() seed whose first two dice (the player's, then the computer's) roll this way.
unsigned seedForDice(Roll roll) {
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        const int p = std::rand() % 6 + 1;
        const int n = std::rand() % 6 + 1;
        if ((p > n ? Roll::PlayerWins : p == n ? Roll::Tie : Roll::ComputerWins) == roll) return seed;
    }
}

js::Value savedGameOnDisk() { return storedJson("saves.dat")["current_game"]; }

// The screen's controls in reading order, found by Tabbing to each: the
// board, Back, Undo, Hint and, once the dice have settled, Continue.
struct Controls {
    ui::BoardView board;
    ui::Rect back, undo, hint, next;
};

Controls findControls(Harness& h, bool flipped = false) {
    Controls c;
    const ui::Rect r = controlRect(h, 1);
    c.board = {r, r.w / 8, 0, flipped};
    c.back = controlRect(h, 2);
    c.undo = controlRect(h, 3);
    c.hint = controlRect(h, 4);
    if (h.ctx().focus.lastCount == 5) c.next = controlRect(h, 5);
    return c;
}

// The turn banner (wide windows) sits right above the action row.
bool bannerIs(const Harness& h, const Controls& c, std::uint32_t rgb) {
    return h.countNear({c.undo.x, c.undo.y - h.s(38), c.undo.w, h.s(30)}, rgb, 24) > 200;
}

// The dice overlay dims the whole window, the strip above the board included.
bool diceShown(const Harness& h) { return channel(h.pixel(h.w() / 3, 2), 16) < 0xC0; }

ui::Rect squareOf(const Controls& c, const char* name) {
    return ui::squareRect(c.board, chess::squareFromName(name));
}
void clickSquare(Harness& h, const Controls& c, const char* name) { h.click(squareOf(c, name)); }

// A drag from one square to another, passing between them, released over `to`.
void dragSquare(Harness& h, const Controls& c, chess::Sq from, chess::Sq to) {
    const ui::Rect a = ui::squareRect(c.board, from);
    const ui::Rect b = ui::squareRect(c.board, to);
    h.press(a.cx(), a.cy());
    h.dragTo((a.cx() + b.cx()) / 2 + 1, (a.cy() + b.cy()) / 2 + 1);
    h.dragTo(b.cx(), b.cy());
    h.release();
}

// How the player's moves are made.
enum class Method { Click, Drag, Keyboard };
const std::string kMethodNames[] = {"Clicks", "Drags", "KeyboardOnly"};

// Squares of the board whose corner shows the hint's magenta.
int magentaSquares(const Harness& h, const Controls& c) {
    int n = 0;
    for (chess::Sq sq = 0; sq < 64; ++sq) {
        const ui::Rect r = ui::squareRect(c.board, sq);
        const std::uint32_t corner = h.pixel(r.x + 0.06 * r.w, r.y + 0.06 * r.h);
        if (channel(corner, 16) > 0xC0 && channel(corner, 8) < 0x90 && channel(corner, 0) > 0x70) ++n;
    }
    return n;
}

// Captures a frame in which the blinking highlights are on.
void captureBlinkOn(Harness& h) {
    while (std::fmod(h.clock() + kStep, 0.5) >= 0.2) h.frame();
    h.capture();
}

// ---- fixture: fresh progress, a level opened above the menu ----

class PlayingScreenTest : public ScreenTest {
protected:
    // Opens a level above the menu and lets the frame build it. A new game's
    // dice are decided by the srand() seed chosen here.
    static void open(Harness& h, int level, bool resume, std::uint32_t seed, Roll roll = Roll::PlayerWins) {
        ui::GameState playing = stateOf(ScreenKind::Playing, level);
        playing.seed = seed;
        playing.resume = resume;
        std::srand(seedForDice(roll));
        openOverMenu(h, playing);
    }

    // A new game past the dice: the roll settles, the controls are found and
    // Continue is clicked. Returns the clock of the screen's first frame, where
    // its game clock starts.
    static double startGame(Harness& h, int level, Roll roll = Roll::PlayerWins) {
        open(h, level, false, 4242, roll);
        const double firstFrame = h.clock();
        h.run(1.5);
        c_ = findControls(h, roll == Roll::ComputerWins);
        h.click(c_.next);
        return firstFrame;
    }

    // Frame by frame until the banner turns to the player: the computer has
    // just moved and its piece is still sliding.
    static bool waitForReply(Harness& h) {
        for (int i = 0; i < 40; ++i) {
            h.capture();
            if (bannerIs(h, c_, kBannerTurn)) return true;
        }
        return false;
    }

    // Waits until the saved history reaches `entries` (the computer's reply is in).
    static bool waitForSavedHistory(Harness& h, std::size_t entries) {
        for (double t = 0; t < 4.0; t += kStep) {
            if (store::savedGame().valid && store::savedGame().history.size() >= entries) return true;
            h.frame();
        }
        return false;
    }

    // White's move by the engine's own suggestion, made by method_;
    // returns the position after it.
    static chess::Board playSuggested(Harness& h, const std::string& fen) {
        chess::Board position = chess::Board::fromFen(fen);
        chess::Move m;
        EXPECT_TRUE(chess::suggest(position, 3, [] { return 0.5; }, &m));
        switch (method_) {
            case Method::Click:
                h.click(ui::squareRect(c_.board, m.from));
                h.click(ui::squareRect(c_.board, m.to));
                break;
            case Method::Drag: dragSquare(h, c_, m.from, m.to); break;
            case Method::Keyboard: keyboardMove(h, position, m); break;
        }
        position.makeMove(m.from, m.to);
        return position;
    }

    // Moves from the keyboard, typed and with the cursor in turn; typed
    // moves alternate between the plain, hyphenated and piece-letter forms.
    static void keyboardMove(Harness& h, const chess::Board& position, const chess::Move& m) {
        static int count = 0;
        const int n = count++;
        if (n % 2 == 0) {
            std::string text = chess::squareName(m.from) + (n % 4 == 2 ? "-" : "") + chess::squareName(m.to);
            for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const char kind = chess::kindOf(position.at(m.from));
            if (n % 8 == 4 && kind != 'P') h.key(std::tolower(kind), KMOD_LSHIFT);  // a capital piece letter
            for (char c : text) h.key(c);
            cursor_ = m.to;
            return;
        }
        if (!h.ctx().focus.visible) {
            h.key(SDLK_UP);  // the first key only shows the cursor
            if (cursor_ == -1) cursor_ = position.kingSquare(chess::Color::White);
        }
        walkCursor(h, m.from);
        h.key(SDLK_RETURN);
        walkCursor(h, m.to);
        h.key(SDLK_SPACE);
    }
    static void walkCursor(Harness& h, chess::Sq to) {
        for (; cursor_ % 8 < to % 8; ++cursor_) h.key(SDLK_RIGHT);
        for (; cursor_ % 8 > to % 8; --cursor_) h.key(SDLK_LEFT);
        for (; cursor_ / 8 < to / 8; cursor_ += 8) h.key(SDLK_UP);
        for (; cursor_ / 8 > to / 8; cursor_ -= 8) h.key(SDLK_DOWN);
    }
    static inline Method method_ = Method::Click;
    static inline Controls c_;
    static inline chess::Sq cursor_ = -1;  // where the screen's keyboard cursor stands

    static bool onSolvedScreen() { return topKind() == ScreenKind::Solved; }

    // Plays White until the game ends, checking the save after every move;
    // returns the number of player moves.
    static int playToTheEnd(Harness& h) {
        int moves = store::savedGame().valid ? store::savedGame().moves : 0;
        for (int i = 0; i < 120 && !onSolvedScreen(); ++i) {
            const store::SavedGame before = store::savedGame();
            const chess::Board expected = playSuggested(h, before.fen);
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

    // A suspended game of level standing at fen after `moves` player moves.
    static void savePosition(int level, const std::string& fen, int moves, bool hintUsed = false,
                             const std::vector<store::HistoryEntry>& history = {}) {
        store::SavedGame saved = savedGameAt(level, fen);
        saved.moves = moves;
        saved.hintUsed = hintUsed;
        saved.history = history;
        store::saveGame(saved);
    }
};

// ---- a whole game ----------------------------------------------------------------

class WholeGameTest : public PlayingScreenTest, public ::testing::WithParamInterface<Method> {
protected:
    void TearDown() override { method_ = Method::Click; }
};

TEST_P(WholeGameTest, LevelOneFromTheDiceToTheSolvedScreen) {
    method_ = GetParam();
    cursor_ = -1;
    Harness h(1280, 720, kStep);
    open(h, 1, false, 4242, Roll::Tie);  // a tie: the player opens with White
    EXPECT_FALSE(store::savedGame().valid) << "a game in the dice phase is not saved";
    // Enter continues only once the dice have settled after 1.4 s.
    h.run(1.0);
    h.key(SDLK_RETURN);
    h.capture();
    EXPECT_TRUE(diceShown(h));
    h.run(0.5);
    if (method_ == Method::Keyboard) {
        h.key(SDLK_RETURN);
    } else {
        c_ = findControls(h);
        h.click(c_.next);
    }
    h.capture();
    EXPECT_FALSE(diceShown(h));

    // The first player move is saved with the start position of the level behind it.
    const levels::LevelConfig cfg = levels::configFor(1);
    checkSaved(playSuggested(h, cfg.startingFen).fen(), 1, 1);
    EXPECT_EQ(chess::Board::fromFen(cfg.startingFen).fen(), store::savedGame().startFen);
    EXPECT_TRUE(store::savedGame().playerWhite);
    ASSERT_TRUE(waitForSavedHistory(h, 2));

    const int moves = playToTheEnd(h);
    ASSERT_TRUE(onSolvedScreen()) << "no result after " << moves << " moves";
    const ui::GameState& solved = game().top();
    EXPECT_EQ(ui::Outcome::Win, solved.outcome);
    EXPECT_EQ(1, solved.level);
    EXPECT_EQ(moves, solved.moves);
    EXPECT_TRUE(solved.playerWhite);
    chess::Board final = chess::Board::fromFen(solved.finalFen);
    final.getMoves();
    EXPECT_TRUE(final.checkMate);

    // The game itself is kept, for the solved screen and in the store: White's
    // mate ends it, and its moves lead from the level's start to the final position.
    // (What a win records besides is pinned by the end-of-game table below.)
    ASSERT_EQ(1u, store::solves().size());
    const store::SolveEntry& kept = store::solves()[0];
    EXPECT_EQ(solved.finalFen, kept.finalFen);
    EXPECT_EQ(chess::Board::fromFen(cfg.startingFen).fen(), kept.startFen);
    EXPECT_EQ(static_cast<std::size_t>(2 * moves - 1), kept.playedMoves.size());
    EXPECT_EQ(solved.finalFen, chess::replayLine(kept.startFen, kept.playedMoves).final.fen());
    EXPECT_EQ(kept.startFen, solved.startFen);
    EXPECT_EQ(kept.playedMoves, solved.playedMoves);
}

INSTANTIATE_TEST_SUITE_P(Methods, WholeGameTest, ::testing::Values(Method::Click, Method::Drag, Method::Keyboard),
                         [](const auto& info) { return kMethodNames[static_cast<int>(info.param)]; });

// ---- leaving and resuming ----------------------------------------------------------

TEST_F(PlayingScreenTest, LeavingAndResumingKeepsPositionClockColourAndHistory) {
    Harness h(1280, 720, kStep);
    const double firstFrame = startGame(h, 2);
    playSuggested(h, levels::configFor(2).startingFen);
    ASSERT_TRUE(waitForSavedHistory(h, 2));
    playSuggested(h, store::savedGame().fen);
    // Escape as soon as the computer has replied: the reply and the clock are kept.
    ASSERT_TRUE(waitForReply(h));
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(ScreenKind::Menu, topKind());
    const store::SavedGame left = store::savedGame();
    ASSERT_TRUE(left.valid);
    EXPECT_EQ(4u, left.history.size());
    EXPECT_EQ(left.history.back().fen, left.fen);
    EXPECT_EQ(2, left.moves);
    EXPECT_NEAR((h.clock() - firstFrame) * 1000, static_cast<double>(left.elapsedMs), 5.0);
    h.run(1.0);  // time on the menu does not count

    // Reopened with resume (and another seed): no dice, same game, clock continues.
    open(h, 2, true, 999);
    checkSaved(playSuggested(h, left.fen).fen(), 5, 3);
    EXPECT_EQ(left.startFen, store::savedGame().startFen);
    EXPECT_EQ(left.seed, store::savedGame().seed);
    EXPECT_TRUE(store::savedGame().playerWhite);
    for (std::size_t i = 0; i < left.history.size(); ++i) {
        EXPECT_EQ(left.history[i].notation, store::savedGame().history[i].notation);
    }
    EXPECT_GE(store::savedGame().elapsedMs, left.elapsedMs);
    EXPECT_LT(store::savedGame().elapsedMs, left.elapsedMs + 600) << "the clock counted the time on the menu";

    // Back button: leaves as Escape does.
    ASSERT_TRUE(waitForSavedHistory(h, 6));
    h.click(c_.back);
    EXPECT_EQ(ScreenKind::Menu, topKind());
    EXPECT_EQ(6u, store::savedGame().history.size());

    // The same seed resumes without being asked to.
    open(h, 2, false, 4242);
    const double opened = h.clock();
    const std::int64_t shown = store::savedGame().elapsedMs;  // saved by the first frame
    h.capture();
    EXPECT_FALSE(diceShown(h));
    // Quitting the program saves the game with its clock up to the last frame.
    h.run(1.0);
    game().quit();
    EXPECT_NEAR(shown + (h.clock() - opened) * 1000, static_cast<double>(store::savedGame().elapsedMs), 1.0);
    EXPECT_EQ(store::savedGame().elapsedMs, savedGameOnDisk()["elapsedMs"].asInt(-1));
    h.key(SDLK_ESCAPE);

    // Another level does not take it, not even with its seed and resume asked for.
    open(h, 3, true, left.seed);
    h.capture();
    EXPECT_TRUE(diceShown(h));
    h.key(SDLK_ESCAPE);

    // Another seed without resume starts a new game; the old save stays until then.
    open(h, 2, false, 31337);
    h.run(0.5);
    EXPECT_EQ(6u, store::savedGame().history.size());
    h.capture();
    EXPECT_TRUE(diceShown(h));
}

// ---- the computer opens -------------------------------------------------------------

TEST_F(PlayingScreenTest, LostDiceGiveTheComputerWhiteWithTheMirroredHandicap) {
    Harness h(1280, 720, kStep);
    startGame(h, 3, Roll::ComputerWins);

    // The computer waits 0.45 s before its first move.
    h.capture();
    EXPECT_TRUE(bannerIs(h, c_, kBannerThinking));
    h.run(0.6);
    h.capture();
    EXPECT_TRUE(bannerIs(h, c_, kBannerTurn));

    // The player sees Black at the bottom: the black king on e8 sits on the bottom row.
    const ui::Rect e8 = squareOf(c_, "e8");
    EXPECT_LT(channel(h.pixel(e8.cx(), e8.y + 0.7 * e8.h), 8), 0x60) << "a dark piece at the bottom";
    const ui::Rect e1 = squareOf(c_, "e1");
    EXPECT_GT(channel(h.pixel(e1.cx(), e1.y + 0.7 * e1.h), 8), 0xA0) << "the computer's white king at the top";

    const std::string mirrored = chess::Board::fromFen(chess::mirrorFen(levels::configFor(3).startingFen)).fen();
    ASSERT_TRUE(waitForSavedHistory(h, 1));
    const store::SavedGame& saved = store::savedGame();
    EXPECT_FALSE(saved.playerWhite);
    EXPECT_EQ(mirrored, saved.startFen);
    EXPECT_TRUE(saved.history[0].byWhite);
    EXPECT_EQ(0, saved.moves);
    EXPECT_EQ(chess::Color::Black, chess::Board::fromFen(saved.fen).turn);

    // Undo at the first move brings back the mirrored start; the computer then opens again.
    h.click(c_.undo);
    EXPECT_EQ(mirrored, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(0, store::savedGame().moves);
    EXPECT_FALSE(store::savedGame().playerWhite);
    ASSERT_TRUE(waitForSavedHistory(h, 1));
    EXPECT_EQ(chess::Color::Black, chess::Board::fromFen(store::savedGame().fen).turn);

    // Left and resumed, the player still has Black: the computer does not move for them.
    h.key(SDLK_ESCAPE);
    open(h, 3, true, 0);
    h.run(1.0);
    h.key(SDLK_ESCAPE);
    EXPECT_EQ(1u, store::savedGame().history.size());
    EXPECT_FALSE(store::savedGame().playerWhite);
}

// ---- undo ---------------------------------------------------------------------------------

TEST_F(PlayingScreenTest, UndoTakesBackTheReplyAndTheMoveTogetherOrThePlayersLoneMove) {
    Harness h(1280, 720, kStep);
    startGame(h, 8);
    const std::string start = levels::configFor(8).startingFen;
    h.click(c_.undo);  // inert before the first move
    playSuggested(h, start);
    ASSERT_EQ(1u, store::savedGame().history.size());

    // While the computer thinks neither Undo nor Ctrl+Z do anything.
    h.click(c_.undo);
    h.key(SDLK_z, KMOD_LCTRL);
    EXPECT_EQ(1u, store::savedGame().history.size());
    ASSERT_TRUE(waitForSavedHistory(h, 2));
    const store::SavedGame afterReply = store::savedGame();

    // Second player move, then undo with a Ctrl+Z tap (Ctrl let go within the frame).
    playSuggested(h, afterReply.fen);
    ASSERT_TRUE(waitForSavedHistory(h, 4));
    h.key(SDLK_z, KMOD_LCTRL);
    EXPECT_EQ(afterReply.fen, store::savedGame().fen);
    EXPECT_EQ(2u, store::savedGame().history.size());
    EXPECT_EQ(1, store::savedGame().moves);
    EXPECT_EQ(afterReply.fen, savedGameOnDisk()["fen"].asString()) << "an undo is saved at once";

    // Undo button and Ctrl+Z in the same frame undo once.
    h.queueClick(c_.undo.cx(), c_.undo.cy());
    shelltest::pushKey(SDLK_z, KMOD_LCTRL);
    h.frame();
    EXPECT_EQ(start, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(0, store::savedGame().moves);
    // The restored position is playable.
    playSuggested(h, start);
    EXPECT_EQ(1u, store::savedGame().history.size());

    // Undo while the reply is still sliding into place.
    ASSERT_TRUE(waitForReply(h));
    h.click(c_.undo);
    EXPECT_EQ(start, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    h.run(1.0);
    EXPECT_EQ(0u, store::savedGame().history.size()) << "the undone computer move does not come back";

    // Resumed from a save whose last entry is the player's own move while the player is to move.
    const auto after = [](std::vector<std::string> moves) { return chess::replayLine("", moves).final.fen(); };
    const std::vector<store::HistoryEntry> history = {{after({"e2e4"}), "e2\u2013e4", 'P', true},
                                                      {after({"e2e4", "e7e5"}), "e7\u2013e5", 'P', false},
                                                      {after({"e2e4", "e7e5", "g1f3"}), "Ng1\u2013f3", 'N', true}};
    std::string fen = history.back().fen;
    fen.replace(fen.find(" b "), 3, " w ");
    savePosition(52, fen, 2, false, history);
    open(h, 52, true, 0);
    h.key(SDLK_z, KMOD_LCTRL);
    const store::SavedGame& saved = store::savedGame();
    EXPECT_EQ(2u, saved.history.size());
    EXPECT_EQ(history[1].fen, saved.fen);
    EXPECT_EQ(1, saved.moves);
}

// ---- hint -----------------------------------------------------------------------------------

TEST_F(PlayingScreenTest, HintShowsForFourSecondsAndIsKeptWithTheGame) {
    Harness h(720, 1100, kStep);  // the panel below the board
    open(h, 4, false, 5);
    c_ = findControls(h);  // 0.8 s into the roll
    h.click(c_.hint);      // does nothing during the roll
    h.run(0.8);
    h.click(controlRect(h, 5));
    captureBlinkOn(h);
    EXPECT_EQ(0, magentaSquares(h, c_));

    h.click(c_.hint);
    captureBlinkOn(h);
    EXPECT_EQ(2, magentaSquares(h, c_));
    h.run(3.0);
    captureBlinkOn(h);
    EXPECT_EQ(2, magentaSquares(h, c_)) << "still shown before 4 s";
    h.run(1.0);
    captureBlinkOn(h);
    EXPECT_EQ(0, magentaSquares(h, c_)) << "gone after 4 s";

    checkSaved(playSuggested(h, levels::configFor(4).startingFen).fen(), 1, 1);
    EXPECT_TRUE(store::savedGame().hintUsed);
    h.click(c_.back);
    EXPECT_EQ(ScreenKind::Menu, topKind());
}

// ---- the end of a game -----------------------------------------------------------------

// A resumed game of level 5 (16 moves for three stars), nine moves in and one
// from its end: what the last move leaves in the store.
TEST_F(PlayingScreenTest, TheLastMoveDecidesTheOutcomeAndWhatIsKept) {
    const struct {
        const char* what;
        const char* to;  // the queen's move from g5
        bool hintUsed;
        ui::Outcome outcome;
        int stars;  // of the best and the kept win, 0 for none
    } cases[] = {
        {"mate", "g7", false, ui::Outcome::Win, 3},
        {"mate after a hint", "g7", true, ui::Outcome::Win, 1},
        {"stalemate", "g6", false, ui::Outcome::Draw, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Harness h(1280, 720, kStep);
        savePosition(5, "7k/5K2/8/6Q1/8/8/8/8 w - - 0 1", 9, c.hintUsed);
        open(h, 5, true, 0);
        c_ = findControls(h);
        clickSquare(h, c_, "g5");
        clickSquare(h, c_, c.to);
        h.frame();  // a finished game is recorded in the frame after the move
        ASSERT_TRUE(onSolvedScreen());
        EXPECT_EQ(c.outcome, game().top().outcome);
        EXPECT_EQ(10, game().top().moves);
        EXPECT_FALSE(store::savedGame().valid);
        EXPECT_TRUE(savedGameOnDisk().isNull());
        EXPECT_EQ(c.stars ? 6 : 1, store::unlockedLevel());
        ASSERT_EQ(c.stars ? 1u : 0u, store::solves().size());
        ASSERT_EQ(c.stars ? 1u : 0u, store::levelBests().count(5));
        if (c.stars == 0) continue;
        EXPECT_EQ(c.stars, store::levelBests().at(5).stars);
        EXPECT_EQ(10, store::levelBests().at(5).moves);
        EXPECT_EQ(c.stars, store::solves()[0].stars);
    }
}

TEST_F(PlayingScreenTest, CheckTurnsTheBannerRedAndIllegalMovesChangeNothing) {
    Harness h(1280, 720, kStep);
    const std::string fen = "4k3/8/8/8/8/8/4r3/R3K3 w - - 0 1";
    savePosition(6, fen, 3);
    open(h, 6, true, 0);
    c_ = findControls(h);
    h.capture();
    EXPECT_TRUE(bannerIs(h, c_, kBannerCheck));
    // An empty square with nothing selected, then a move that leaves the king in check.
    clickSquare(h, c_, "d4");
    clickSquare(h, c_, "a1");
    clickSquare(h, c_, "a7");

    // The same move dragged: the rook follows the pointer and leaves a1 empty meanwhile.
    const ui::Rect a1 = squareOf(c_, "a1");
    const ui::Rect a4 = squareOf(c_, "a4");
    const ui::Rect a7 = squareOf(c_, "a7");
    const auto inner = [](const ui::Rect& r) { return ui::Rect{r.x + 0.25 * r.w, r.y + 0.25 * r.h, 0.5 * r.w, 0.5 * r.h}; };
    h.capture();
    const std::vector<std::uint32_t> rookAtRest = h.region(inner(a1));
    const std::vector<std::uint32_t> emptyA4 = h.region(inner(a4));
    h.press(a1.cx(), a1.cy());
    h.moveTo(a4.cx(), a4.cy());
    h.capture();
    EXPECT_NE(rookAtRest, h.region(inner(a1)));
    EXPECT_NE(emptyA4, h.region(inner(a4)));
    h.dragTo(a7.cx(), a7.cy());
    h.release();
    h.capture();
    EXPECT_EQ(rookAtRest, h.region(inner(a1))) << "put back";

    // Typed: the same move, and a legal move under the wrong piece letter.
    for (char c : std::string("a1a7")) h.key(c);
    h.key(SDLK_n, KMOD_LSHIFT);
    for (char c : std::string("e1d1")) h.key(c);
    h.run(2.5);
    EXPECT_EQ(fen, store::savedGame().fen);
    EXPECT_TRUE(store::savedGame().history.empty());
    EXPECT_EQ(3, store::savedGame().moves);

    // With the right letter the king takes the rook.
    h.key(SDLK_k, KMOD_LSHIFT);
    for (char c : std::string("e1xe2")) h.key(c);
    ASSERT_EQ(1u, store::savedGame().history.size());
    EXPECT_EQ("4k3/8/8/8/8/8/4K3/R7 b - - 0 1", store::savedGame().fen);
}

}  // namespace
