// The board on a software renderer: layout, square mapping, the framed base
// picture, every highlight, the pieces and the slide, read back as pixels.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <numbers>

#include "core/chess.h"
#include "theme.h"
#include "ui/board.h"
#include "ui/pieces.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Canvas;
using drawtest::channelDistance;
using drawtest::isCached;

// A 868 x 868 board has cell 100 and frame 34: every square edge is a whole pixel.
constexpr double kSide = 868;
constexpr double kCell = 100;
constexpr double kFrame = 34;
// Frame time at which the pulse is at its top, so the markers are fully opaque.
const double kPulseTop = std::numbers::pi / 2 / 3.571;

ui::BoardView bigView(bool flipped) { return ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, kSide, kSide}, flipped); }

void drawAt(double t, const ui::BoardView& view, const ui::BoardState& state) {
    ui::Ctx ctx;
    ctx.t = t;
    ui::drawBoard(ctx, view, state);
}

const theme::BoardTheme& pine() { return theme::allBoards()[0]; }

ui::BoardState stateOf(const chess::Board& board, const theme::BoardTheme& look = pine()) {
    ui::BoardState state;
    state.board = &board;
    state.look = &look;
    return state;
}

// The colour at an offset from a square's centre.
std::uint32_t around(const Canvas& c, const ui::BoardView& v, chess::Sq s, double dx = 0, double dy = 0) {
    const ui::Rect r = ui::squareRect(v, s);
    return c.rgb(r.cx() + dx, r.cy() + dy);
}

// Pixels of a frame strip that differ clearly from the border colour.
int inkIn(const Canvas& c, std::uint32_t border, int x, int y, int w, int h) {
    int ink = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) ink += channelDistance(c.rgb(i, j), border) > 16;
    return ink;
}

}  // namespace

TEST(BoardLayout, CentresTheFramedBoardInTheAvailableRect) {
    const ui::BoardView v = ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, 868, 600}, false);
    EXPECT_NEAR(v.cell, 600 / 8.68, 1e-9);
    EXPECT_NEAR(v.frame, 0.34 * v.cell, 1e-9);
    EXPECT_NEAR(v.rect.x, 134 + v.frame, 1e-9);
    EXPECT_NEAR(v.rect.y, v.frame, 1e-9);
    EXPECT_NEAR(v.rect.w, 8 * v.cell, 1e-9);
    EXPECT_EQ(v.rect.w, v.rect.h);

    // Tiny and empty rectangles get the 64-unit minimum and may overflow.
    for (ui::Rect tiny : {ui::Rect{10, 10, 30, 30}, ui::Rect{0, 0, 0, 0}, ui::Rect{0, 0, -5, 100}}) {
        const ui::BoardView t = ui::layoutBoard(ui::Ctx{}, tiny, true);
        EXPECT_NEAR(t.rect.w + 2 * t.frame, 64, 1e-9);
        EXPECT_TRUE(t.flipped);
    }
}

TEST(BoardLayout, SquaresAndPointsMapBothWays) {
    for (bool flipped : {false, true}) {
        const ui::BoardView v = bigView(flipped);
        for (chess::Sq s = 0; s < 64; ++s) {
            const ui::Rect r = ui::squareRect(v, s);
            // Left and top edges are inside, right and bottom edges belong to the next square.
            for (auto [x, y] : {std::pair{r.x, r.y}, {r.cx(), r.cy()}, {r.right() - 0.01, r.bottom() - 0.01}})
                EXPECT_EQ(ui::squareAt(v, x, y), s);
        }
        EXPECT_EQ(ui::squareAt(v, kFrame + 1, kFrame + 8 * kCell - 1), flipped ? 63 : 0);  // bottom left: a1 or h8
        EXPECT_EQ(ui::squareAt(v, kFrame + 8 * kCell - 1, kFrame + 1), flipped ? 0 : 63);
        for (auto [x, y] : {std::pair{v.rect.right(), v.rect.cy()}, {v.rect.cx(), v.rect.bottom()},
                            {v.rect.x - 0.01, v.rect.cy()}, {std::numeric_limits<double>::quiet_NaN(), v.rect.cy()}})
            EXPECT_EQ(ui::squareAt(v, x, y), -1) << x << "," << y;
    }
    for (chess::Sq bad : {-1, 64, 1000}) {
        const ui::Rect r = ui::squareRect(bigView(false), bad);
        EXPECT_TRUE(r.x == 0 && r.y == 0 && r.w == 0 && r.h == 0) << bad;
    }
    EXPECT_EQ(ui::squareAt(ui::BoardView{}, 0, 0), -1);
}

TEST(BoardBase, SquareColoursFollowTheBoardInBothOrientations) {
    Canvas canvas(868, 868);
    const chess::Board board;
    for (const theme::BoardTheme& look : theme::allBoards()) {
        for (bool flipped : {false, true}) {
            const ui::BoardView v = bigView(flipped);
            drawAt(0, v, stateOf(board, look));
            EXPECT_EQ(around(canvas, v, 0), look.dark) << look.id;    // a1
            EXPECT_EQ(around(canvas, v, 63), look.dark) << look.id;   // h8 lies on a1's diagonal
            EXPECT_EQ(around(canvas, v, 7), look.light) << look.id;   // h1
            EXPECT_EQ(around(canvas, v, 56), look.light) << look.id;  // a8
            // Whatever the orientation, the bottom-right corner square is light.
            EXPECT_EQ(canvas.rgb(kFrame + 8 * kCell - 50, kFrame + 8 * kCell - 50), look.light) << look.id;
            EXPECT_EQ(canvas.rgb(2, 400), look.border) << look.id;
            EXPECT_TRUE(isCached(ui::boardTextureKey(look, 868, flipped), 868, 868));
        }
    }
    EXPECT_EQ(ui::boardTextureKey(pine(), 560, false), "board:pine:560");
    EXPECT_EQ(ui::boardTextureKey(theme::allBoards()[2], 560, true), "board:walnut:560:f");
}

TEST(BoardBase, CoordinatesRunAlongTheBottomAndRightFrame) {
    const chess::Board board;
    const theme::BoardTheme& look = pine();
    Canvas straight(868, 868);
    drawAt(0, bigView(false), stateOf(board));
    Canvas flipped(868, 868);
    drawAt(0, bigView(true), stateOf(board));

    // Frame strips between the squares and the inner frame line.
    const int strip = static_cast<int>(kSide - kFrame) + 2;
    const int depth = 20;
    for (int i = 0; i < 8; ++i) {
        const int along = static_cast<int>(kFrame + i * kCell);
        // A letter under every column and a digit beside every row, nothing on the top and left.
        EXPECT_GT(inkIn(straight, look.border, along, strip, 100, depth), 10) << "column " << i;
        EXPECT_GT(inkIn(straight, look.border, strip, along, depth, 100), 10) << "row " << i;
        EXPECT_EQ(inkIn(straight, look.border, along, 12, 100, depth), 0) << "column " << i;
        EXPECT_EQ(inkIn(straight, look.border, 12, along, depth, 100), 0) << "row " << i;
        // Flipped, the labels run the other way: column i shows what column 7 - i showed.
        const int mirrored = static_cast<int>(kFrame + (7 - i) * kCell);
        EXPECT_TRUE(straight.sameRegion(flipped, along, strip, 100, depth, mirrored - along, 0)) << "column " << i;
        EXPECT_TRUE(straight.sameRegion(flipped, strip, along, depth, 100, 0, mirrored - along)) << "row " << i;
    }
    // Different letters really differ ("a" against "b", "8" against "7").
    EXPECT_FALSE(straight.sameRegion(straight, 34, strip, 100, depth, 100, 0));
    EXPECT_FALSE(straight.sameRegion(straight, strip, 34, depth, 100, 0, 100));
}

TEST(BoardHighlights, LegalTargetsAreGreenDotsOrCaptureRings) {
    Canvas canvas(868, 868);
    chess::Board board;
    board.sq[28] = 'p';  // e4 holds a piece to take
    const ui::BoardView v = bigView(false);
    ui::BoardState state = stateOf(board);
    state.legalTargets = {20, 28};  // e3 (dark) empty, e4 (light) a capture
    drawAt(kPulseTop, v, state);

    constexpr std::uint32_t kGreen = 0x3AD05A;
    EXPECT_EQ(around(canvas, v, 20), kGreen);
    EXPECT_EQ(around(canvas, v, 20, 15, 0), kGreen);
    EXPECT_NE(around(canvas, v, 20, 25, 0), kGreen);  // only the faint halo
    EXPECT_NE(around(canvas, v, 20, 25, 0), pine().dark);
    EXPECT_EQ(around(canvas, v, 20, 35, 0), pine().dark);  // outside the halo
    EXPECT_EQ(around(canvas, v, 20, 0, -40), pine().dark);  // no ring around a dot

    EXPECT_EQ(around(canvas, v, 28, 0, -40), kGreen);  // the ring above the pawn
    EXPECT_EQ(around(canvas, v, 28, -40, 0), kGreen);
    EXPECT_NE(around(canvas, v, 28, -48, 0), pine().light);  // the faint disc reaches further
    EXPECT_EQ(around(canvas, v, 28, -49, -49), pine().light);  // but not into the corner
    EXPECT_TRUE(isCached("mask:disc", 128, 128));
    EXPECT_TRUE(isCached("mask:ring:12", 128, 128));

    state.showLegalMoves = false;
    drawAt(kPulseTop, v, state);
    EXPECT_EQ(around(canvas, v, 20), pine().dark);
    EXPECT_EQ(around(canvas, v, 28, 0, -40), pine().light);
}

TEST(BoardHighlights, CheckRingTakesTheThemeColour) {
    Canvas canvas(868, 868);
    chess::Board board;
    board.sq[4] = 'K';
    theme::BoardTheme look = pine();
    look.check = theme::Tint{0x2040C0, 1.0};
    const ui::BoardView v = bigView(false);
    ui::BoardState state = stateOf(board, look);
    state.kingInCheck = 4;

    // Probe the ring left and right of the king, where the piece leaves the square bare.
    drawAt(kPulseTop, v, state);
    EXPECT_EQ(around(canvas, v, 4, -40, 0), look.dark) << "no ring without check";

    state.check = true;
    drawAt(kPulseTop, v, state);
    EXPECT_EQ(around(canvas, v, 4, -40, 0), 0x2040C0u);
    EXPECT_EQ(around(canvas, v, 4, 40, 2), 0x2040C0u);
    EXPECT_EQ(around(canvas, v, 4, -49, -49), look.dark);  // the ring stays inside the square
    EXPECT_TRUE(isCached("mask:ring:11", 128, 128));

    // At the pulse's low point the ring fades to 45 %, as any renderer shows it.
    drawAt(3 * kPulseTop, v, state);
    EXPECT_LE(channelDistance(around(canvas, v, 4, -40, 0), theme::mix(look.dark, 0x2040C0, 0.45)), 4);
}

TEST(BoardHighlights, EveryLayerShowsAndAStillBoardShowsNone) {
    chess::Board board;
    board.sq[0] = 'R';
    board.sq[4] = 'K';
    board.sq[60] = 'k';
    board.sq[35] = 'n';
    ui::BoardState plain = stateOf(board);
    plain.still = true;
    ui::BoardState busy{.board = &board, .look = &pine(), .selected = 4, .lastFrom = 12, .lastTo = 20, .hintFrom = 50,
                        .hintTo = 42, .legalTargets = {3, 5, 11, 13}, .threats = {0}, .check = true, .kingInCheck = 4,
                        .still = true};

    const ui::BoardView v = bigView(false);
    Canvas reference(868, 868);
    drawAt(0.1, v, plain);
    Canvas still(868, 868);
    drawAt(0.1, v, busy);
    EXPECT_TRUE(still.sameAs(reference));

    busy.still = false;
    Canvas live(868, 868);
    drawAt(0.1, v, busy);  // blink on
    const theme::BoardTheme& look = pine();
    EXPECT_LE(channelDistance(around(live, v, 12), theme::mix(look.light, look.lastMove.rgb, look.lastMove.alpha)), 2)
        << "last move";
    EXPECT_NE(around(live, v, 4, -44, -44), look.dark) << "selection reaches into the corner";
    EXPECT_EQ(around(live, v, 4, -49, -49), look.dark) << "selection keeps a margin";
    EXPECT_GT(channelDistance(around(live, v, 0, 0, -40), look.dark), 40) << "threat ring";
    EXPECT_GT(channelDistance(around(live, v, 50, 0, -45), look.light), 60) << "hint ring";
    const int hintFill = channelDistance(around(live, v, 42, -45, -45), look.light);
    EXPECT_GT(hintFill, 60) << "hint fill";

    // A quarter second later the hint blinks fainter, but is still there.
    Canvas dim(868, 868);
    drawAt(0.35, v, busy);
    EXPECT_LT(channelDistance(around(dim, v, 42, -45, -45), look.light), hintFill);
    EXPECT_NE(around(dim, v, 42, -45, -45), look.light);
}

TEST(BoardPieces, PiecesBobUnlessStill) {
    chess::Board board;
    board.sq[0] = 'Q';
    ui::BoardState state = stateOf(board);
    state.still = true;
    const ui::BoardView v = bigView(false);
    const double bobTop = std::numbers::pi / 2 / 1.4;  // a1's bob is one pixel up here
    Canvas still(868, 868);
    drawAt(bobTop, v, state);
    state.still = false;
    Canvas bobbing(868, 868);
    drawAt(bobTop, v, state);
    const ui::Rect a1 = ui::squareRect(v, 0);
    EXPECT_FALSE(bobbing.sameRegion(still, a1.x, a1.y, 100, 100));
    EXPECT_TRUE(bobbing.sameRegion(still, a1.x, a1.y + 5, 100, 90, 0, 1)) << "raised by one pixel";
}

TEST(BoardPieces, SlideStartsOnFromAndEndsOnTo) {
    const ui::BoardView v = bigView(false);
    // One colour for all squares, so that a piece looks the same wherever it is.
    theme::BoardTheme plain = pine();
    plain.dark = plain.light;
    chess::Board before, after;
    const chess::Board nothing;
    before.sq[8] = 'P';
    after.sq[24] = 'P';

    ui::BoardState rest = stateOf(before, plain);
    rest.still = true;
    Canvas onFrom(868, 868);
    drawAt(0, v, rest);
    rest.board = &after;
    Canvas onTo(868, 868);
    drawAt(0, v, rest);
    rest.board = &nothing;
    Canvas bare(868, 868);
    drawAt(0, v, rest);

    ui::MoveAnim anim;
    anim.from = 8;
    anim.to = 24;
    anim.piece = 'P';
    ui::BoardState sliding = rest;
    sliding.board = &after;
    sliding.anim = &anim;
    auto slideAt = [&](double t) {
        anim.t = t;
        auto canvas = std::make_unique<Canvas>(868, 868);
        drawAt(0, v, sliding);
        return canvas;
    };

    EXPECT_TRUE(slideAt(0)->sameAs(onFrom));
    EXPECT_TRUE(slideAt(1.0)->sameAs(onTo));
    EXPECT_TRUE(slideAt(1.5)->sameAs(onTo));
    // Half way in time the eased piece has covered 87.5 % of the way: 175 of 200 units.
    const ui::Rect a2 = ui::squareRect(v, 8);
    EXPECT_TRUE(slideAt(0.5)->sameRegion(onFrom, a2.x, a2.y - 175, 100, 100, 0, 175));
    // A slide with piece 0 hides the destination piece and draws nothing moving.
    anim.piece = 0;
    EXPECT_TRUE(slideAt(0.5)->sameAs(bare));
}

TEST(BoardRobustness, MissingInputsDrawNothingAndOffBoardSquaresAreSkipped) {
    Canvas canvas(868, 868);
    const chess::Board board = chess::Board::startPosition();
    const ui::BoardView v = bigView(false);
    ui::BoardState state;
    state.look = &pine();
    drawAt(0, v, state);  // no board
    state.board = &board;
    state.look = nullptr;
    drawAt(0, v, state);  // no theme
    EXPECT_EQ(ui::gpuCacheSize(), 0);
    EXPECT_TRUE(canvas.allOf(0));

    const ui::BoardState plain = stateOf(board);
    Canvas expected(868, 868);
    drawAt(0.3, v, plain);
    const ui::MoveAnim wild{99, -7, 'Q'};
    const ui::BoardState odd{.board = &board, .look = &pine(), .selected = 64, .lastFrom = -3, .lastTo = 200,
                             .hintFrom = 70, .hintTo = -2, .legalTargets = {-1, 64, 5000}, .threats = {-64, 99},
                             .check = true, .kingInCheck = 64, .anim = &wild};
    Canvas result(868, 868);
    drawAt(0.3, v, odd);
    EXPECT_TRUE(result.sameAs(expected));
}

TEST(BoardMasks, RingNumbersAreHundredthsOfTheDiameter) {
    EXPECT_EQ(ui::ringMaskNumber(46, 9), 10);
    EXPECT_EQ(ui::ringMaskNumber(50, 9), 9);
    EXPECT_EQ(ui::ringMaskNumber(10, 100), 49);  // never more than 0.49
    EXPECT_EQ(ui::ringMaskNumber(10, 0), 0);
    EXPECT_EQ(ui::ringMaskNumber(0, 5), 0);
    EXPECT_EQ(ui::ringMaskNumber(-4, 5), 0);

    // Masks keep 128 pixels at any display scale and are shared by all sizes.
    Canvas canvas(868, 868);
    const chess::Board board;
    ui::BoardState state = stateOf(board);
    state.selected = 0;
    state.legalTargets = {1};
    ui::gpuSetScale(2.0);
    drawAt(0, ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, 400, 400}, false), state);
    drawAt(0, ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, 300, 300}, false), state);
    EXPECT_TRUE(isCached("mask:disc", 128, 128));
    EXPECT_TRUE(isCached("mask:rsq:12", 128, 128));
    EXPECT_TRUE(isCached("board:pine:800", 800, 800));
    EXPECT_TRUE(isCached("board:pine:600", 600, 600));
    EXPECT_EQ(ui::gpuCacheSize(), 4);
}

TEST(MiniBoard, PaintsSquaresPiecesAndOutline) {
    drawtest::Image img(200, 160);
    chess::Board board;
    board.sq[4] = 'K';  // e1
    const theme::BoardTheme& look = theme::allBoards()[4];
    for (bool flipped : {false, true}) {
        img.fill(0x000000);
        ui::paintMiniBoard(img.cr(), ui::Rect{0, 0, 200, 160}, board, look, flipped);
        // Centred: 160 x 160 starting at x = 20, cells of 20.
        EXPECT_EQ(img.rgb(10, 80), 0x000000u);
        EXPECT_EQ(img.rgb(18, 80), 0x000000u);
        EXPECT_EQ(img.rgb(30, 150), look.dark);  // bottom-left is dark either way
        EXPECT_EQ(img.rgb(170, 150), look.light);
        EXPECT_LT(channelDistance(img.rgb(20, 70), look.border), 60) << "outline";
        EXPECT_LT(channelDistance(img.rgb(100, 0), look.border), 60) << "outline";
        // The king's cross: e1 sits in column 4 of the bottom row, or column 3 of the top row.
        const int kx = 20 + (flipped ? 3 : 4) * 20 + 10;
        const int ky = flipped ? 0 : 140;
        EXPECT_GT(channelDistance(img.rgb(kx, ky + 12), img.rgb(kx, ky + 1)), 60) << flipped;
    }
}
