// Won games taken out of the program and replayed: the gallery card's Replay,
// Copy PGN and Save PGN, the solved screen's and the playing screen's copies,
// and the replay screen stepping through a game, all through real frames.
#include <SDL.h>

#include <filesystem>

#include "core/chess.h"
#include "core/pgn.h"
#include "screens_support.h"
#include "ui/board.h"
#include "ui/pgn_export.h"

namespace {

using namespace screenstest;
using ui::ScreenKind;

constexpr int kLevel = 12;
constexpr std::int64_t kNoonDec7 = 1796644800000;  // 2026-12-07 12:00 UTC
const std::vector<std::string> kScholarsMate = {"e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "h5f7"};

std::string finalFenOf(const std::vector<std::string>& moves) { return chess::replayLine("", moves).final.fen(); }

store::SolveEntry wonGame() {
    return {kLevel,       4, 61000, kNoonDec7, finalFenOf(kScholarsMate), 3, chess::Board::startPosition().fen(),
            kScholarsMate};
}
// How games were kept before their moves were: the final position alone.
store::SolveEntry finalPositionOnly(const std::string& fen) { return {kLevel, 4, 61000, kNoonDec7, fen, 3}; }

std::string clipboard() {
    char* text = SDL_GetClipboardText();
    std::string copy = text ? text : "";
    SDL_free(text);
    return copy;
}

using PgnScreensTest = ScreenTest;

// ---- gallery -----------------------------------------------------------------------

// The first card's Replay, Copy PGN and Save PGN, after Back and the ten page chips.
ui::Rect cardAction(Harness& h, int i) { return controlRect(h, 12 + i); }

TEST_F(PgnScreensTest, GalleryCardCopiesSavesAndOpensTheReplay) {
    const store::SolveEntry won = wonGame();
    store::recordSolve(won);
    const std::string expected = ui::pgnOfSolve(won);
    ASSERT_NE(std::string::npos, expected.find("\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n"));
    Harness h(1280, 720);
    openOverMenu(h, stateOf(ScreenKind::Gallery));

    h.click(cardAction(h, 1));
    EXPECT_EQ(expected, clipboard());

    // Without a documents folder the file goes to the data directory; with one, there.
    const std::string name = ui::pgnFileName(kLevel, kNoonDec7);
    EXPECT_EQ("orlavan-chess-level-12-2026-12-07.pgn", name);
    h.click(cardAction(h, 2));
    EXPECT_EQ(expected, fileBytes(paths::dataDir() + "/" + name));
    const std::string documents = std::string(std::getenv("HOME")) + "/Dokumente";
    std::filesystem::create_directories(documents);
    ::setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
    h.click(cardAction(h, 2));
    ::unsetenv("XDG_DOCUMENTS_DIR");
    EXPECT_EQ(expected, fileBytes(documents + "/" + name));
    // The screen says where it went: the note over the bottom of the grid.
    h.capture();
    EXPECT_GT(h.countNear({h.w() / 2 - 200, h.h() - h.s(80), 400, h.s(50)}, 0x3A2810, 30), 200);

    h.click(cardAction(h, 0));
    h.frame();
    EXPECT_EQ(ScreenKind::Replay, topKind());
    EXPECT_EQ(kLevel, game().top().level);
    h.key(SDLK_ESCAPE);
    h.frame();
    EXPECT_EQ(ScreenKind::Gallery, topKind());
}

// ---- solved and playing --------------------------------------------------------------

TEST_F(PgnScreensTest, SolvedAndPlayingScreensCopyTheirGame) {
    ui::GameState solved = stateOf(ScreenKind::Solved, kLevel);
    solved.finalFen = finalFenOf(kScholarsMate);
    solved.startFen = chess::Board::startPosition().fen();
    solved.playedMoves = kScholarsMate;
    Harness h(1280, 720);
    openOverMenu(h, solved);
    h.click(controlRect(h, 4));  // Copy PGN, under Next level, Again and Menu
    EXPECT_NE(std::string::npos, clipboard().find("\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 4. Qxf7# 1-0\n"));

    store::SavedGame g = savedGameAt(kLevel, finalFenOf({"e2e4", "e7e5"}));
    g.startFen = chess::Board::startPosition().fen();
    g.history = {{finalFenOf({"e2e4"}), "e2\u2013e4", 0, true}, {g.fen, "e7\u2013e5", 0, false}};
    store::saveGame(g);
    ui::GameState playing = stateOf(ScreenKind::Playing, kLevel);
    playing.resume = true;
    openOverMenu(h, playing);
    h.key(SDLK_c, KMOD_CTRL);
    const std::string text = clipboard();
    EXPECT_NE(std::string::npos, text.find("[White \"Player\"]\n[Black \"Computer (\u2248 "));
    EXPECT_NE(std::string::npos, text.find("[Result \"*\"]\n\n1. e4 e5 *\n"));
}

// ---- replay ------------------------------------------------------------------------

// The 64 squares of the replay board at 1280 x 720 (wide layout, White below).
std::vector<ui::Rect> replaySquares(const Harness& h) {
    const double pad = h.s(16), headerH = h.s(60);
    const ui::Rect area{pad, headerH, 0.6 * h.w() - 2 * pad, h.h() - headerH - pad};
    const ui::BoardView view = ui::layoutBoard(h.ctx(), area, false);
    std::vector<ui::Rect> squares;
    for (chess::Sq s = 0; s < 64; ++s) squares.push_back(ui::squareRect(view, s).inset(1));
    return squares;
}

// Each square's pixels, in square order.
using SquarePixels = std::vector<std::vector<std::uint32_t>>;

// The board's squares after the keys (or a click on the End button), each in a
// fresh window at the same frame time, so that the pieces' idle motion matches.
SquarePixels boardAfter(const store::SolveEntry& entry, const std::vector<int>& keys, bool endButton = false) {
    store::resetProgress();
    store::recordSolve(entry);
    Harness h(1280, 720);
    openOverMenu(h, stateOf(ScreenKind::Replay, kLevel));
    for (int key : keys) h.key(key);
    if (endButton) h.click(controlRect(h, h.ctx().focus.lastCount));  // the last of the step buttons
    h.frameAt(5.0);
    h.capture();
    SquarePixels pixels;
    for (const ui::Rect& r : replaySquares(h)) pixels.push_back(h.region(r));
    return pixels;
}

// The names of the squares whose pixels differ between two boards.
std::vector<std::string> differingSquares(const SquarePixels& a, const SquarePixels& b) {
    std::vector<std::string> names;
    for (chess::Sq s = 0; s < 64; ++s) {
        if (a[s] != b[s]) names.push_back(chess::squareName(s));
    }
    return names;
}

TEST_F(PgnScreensTest, ReplayStepsThroughTheGameToTheStoredFinalPosition) {
    const store::SolveEntry won = wonGame();
    // Black to move, so that the player of this position is White, as in the game.
    const auto start = boardAfter(finalPositionOnly("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), {});
    const auto final = boardAfter(finalPositionOnly(won.finalFen), {});
    // The moved pieces, and the mated king marked.
    ASSERT_EQ((std::vector<std::string>{"D1", "F1", "E2", "C4", "E4", "E5", "C6", "F6", "E7", "F7", "B8", "E8", "G8"}),
              differingSquares(start, final));

    // Only the last move's squares, marked in the replay, differ from the stored final position.
    const std::vector<std::string> lastMove = {"H5", "F7"};
    EXPECT_EQ(lastMove, differingSquares(final, boardAfter(won, {SDLK_END}))) << "End";
    EXPECT_EQ(lastMove, differingSquares(final, boardAfter(won, {}, true))) << "the End button";
    EXPECT_EQ(lastMove, differingSquares(final, boardAfter(won, std::vector<int>(9, SDLK_RIGHT)))) << "Right";
    EXPECT_EQ(lastMove, differingSquares(final, boardAfter(won, {SDLK_END, SDLK_LEFT, SDLK_RIGHT}))) << "Left";

    const std::vector<std::string> none;
    EXPECT_EQ(none, differingSquares(start, boardAfter(won, {}))) << "opening";
    EXPECT_EQ(none, differingSquares(start, boardAfter(won, {SDLK_END, SDLK_HOME}))) << "Home";
    EXPECT_EQ(none, differingSquares(start, boardAfter(won, {SDLK_RIGHT, SDLK_LEFT, SDLK_LEFT}))) << "back to the start";
}

}  // namespace
