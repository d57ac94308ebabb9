// The board on a software renderer: square mapping, the framed base picture,
// every highlight, the pieces and the slide, read back as pixels; the mini boards.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <numbers>
#include <tuple>
#include <vector>

#include "core/chess.h"
#include "theme.h"
#include "ui/board.h"
#include "ui_draw_support.h"

namespace {

using drawtest::Canvas;
using drawtest::channelDistance;

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

// A fresh canvas (and texture cache) with the board drawn on it at time t.
std::unique_ptr<Canvas> drawn(const ui::BoardState& state, double t = 0, bool flipped = false) {
    auto canvas = std::make_unique<Canvas>(868, 868);
    drawAt(t, bigView(flipped), state);
    return canvas;
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

// A pixel beside a square's centre of the straight board: exactly rgb, or more than apart from it.
constexpr int kExact = -1;
struct Probe {
    chess::Sq s;
    double dx, dy;
    std::uint32_t rgb;
    int apart;
};
void expectProbes(const Canvas& c, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) {
        const std::uint32_t seen = around(c, bigView(false), p.s, p.dx, p.dy);
        EXPECT_TRUE(p.apart == kExact ? seen == p.rgb : channelDistance(seen, p.rgb) > p.apart)
            << "square " << p.s << " at " << p.dx << "," << p.dy << ": " << std::hex << seen;
    }
}

// Pixels of a frame strip that differ clearly from the border colour.
int inkIn(const Canvas& c, std::uint32_t border, int x, int y, int w, int h) {
    int ink = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) ink += channelDistance(c.rgb(i, j), border) > 16;
    return ink;
}

// Mini boards are painted once per position, look, orientation and pixel size, then copied.
constexpr int kW = 240;
constexpr std::uint32_t kGround = 0x334466;

// The pixels of a 240x200 image holding one mini board on a plain ground.
std::vector<std::uint32_t> paintMini(const chess::Board& board, int look, bool flipped, const ui::Rect& r,
                                     double scale = 1.0) {
    drawtest::Image img(kW, 200);
    img.fill(kGround);
    cairo_scale(img.cr(), scale, scale);
    ui::paintMiniBoard(img.cr(), r, board, theme::allBoards()[look], flipped);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < img.h(); ++y)
        for (int x = 0; x < kW; ++x) pixels.push_back(img.rgb(x, y));
    return pixels;
}

// Mean luminance of the pixels of a cell that are not the square's own colour:
// the piece, its outline and its shadow.
double pieceLuminance(const std::vector<std::uint32_t>& pixels, int cx, int cy, int cell, std::uint32_t square) {
    double sum = 0;
    int count = 0;
    for (int y = cy + 1; y < cy + cell - 1; ++y)
        for (int x = cx + 1; x < cx + cell - 1; ++x) {
            const double l = theme::luminance(pixels[y * kW + x]);
            if (std::abs(l - theme::luminance(square)) < 0.03) continue;
            sum += l;
            ++count;
        }
    return count ? sum / count : 0;
}

}  // namespace

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
    const chess::Board board;
    for (const theme::BoardTheme& look : theme::allBoards()) {
        for (bool flipped : {false, true}) {
            const auto canvas = drawn(stateOf(board, look), 0, flipped);
            const ui::BoardView v = bigView(flipped);
            // a1 and h8 share the dark diagonal, h1 and a8 are light.
            for (auto [s, rgb] : {std::pair{0, look.dark}, {63, look.dark}, {7, look.light}, {56, look.light}})
                EXPECT_EQ(around(*canvas, v, s), rgb) << look.id << " square " << s;
            EXPECT_EQ(canvas->rgb(2, 400), look.border) << look.id;
        }
    }
}

TEST(BoardBase, CoordinatesRunAlongTheBottomAndRightFrame) {
    const chess::Board board;
    const theme::BoardTheme& look = pine();
    const auto straight = drawn(stateOf(board));
    Canvas flipped(868, 868);
    drawAt(0, bigView(false), stateOf(board));  // the straight picture is cached first and must not be reused
    drawAt(0, bigView(true), stateOf(board));

    // Frame strips between the squares and the inner frame line.
    const int strip = static_cast<int>(kSide - kFrame) + 2;
    const int depth = 20;
    for (int i = 0; i < 8; ++i) {
        const int along = static_cast<int>(kFrame + i * kCell);
        // A letter under every column and a digit beside every row, nothing on the top and left.
        EXPECT_GT(inkIn(*straight, look.border, along, strip, 100, depth), 10) << "column " << i;
        EXPECT_GT(inkIn(*straight, look.border, strip, along, depth, 100), 10) << "row " << i;
        EXPECT_EQ(inkIn(*straight, look.border, along, 12, 100, depth), 0) << "column " << i;
        EXPECT_EQ(inkIn(*straight, look.border, 12, along, depth, 100), 0) << "row " << i;
        // Flipped, the labels run the other way: column i shows what column 7 - i showed.
        const int mirrored = static_cast<int>(kFrame + (7 - i) * kCell);
        EXPECT_TRUE(straight->sameRegion(flipped, along, strip, 100, depth, mirrored - along, 0)) << "column " << i;
        EXPECT_TRUE(straight->sameRegion(flipped, strip, along, depth, 100, 0, mirrored - along)) << "row " << i;
    }
    // Different letters really differ ("a" against "b", "8" against "7").
    EXPECT_FALSE(straight->sameRegion(*straight, 34, strip, 100, depth, 100, 0));
    EXPECT_FALSE(straight->sameRegion(*straight, strip, 34, depth, 100, 0, 100));
}

TEST(BoardHighlights, LegalTargetsAreGreenDotsOrCaptureRingsAndCheckRingsPulseInTheThemeColour) {
    constexpr std::uint32_t kGreen = 0x3AD05A, kBlue = 0x2040C0;
    theme::BoardTheme look = pine();
    look.check = theme::Tint{kBlue, 1.0};
    const std::uint32_t dark = look.dark, light = look.light;
    chess::Board board;
    board.sq[28] = 'p';  // e4 holds a piece to take
    board.sq[4] = 'K';
    ui::BoardState state = stateOf(board, look);
    state.legalTargets = {20, 28};  // e3 (dark) empty, e4 (light) a capture
    state.kingInCheck = 4;
    // e3: a dot with a faint halo, no ring; e4: a ring around the pawn, a faint disc short of the corners.
    // e1: no check ring without check (probed beside the king, where the piece leaves the square bare).
    expectProbes(*drawn(state, kPulseTop),
                 {{20, 0, 0, kGreen, kExact}, {20, 15, 0, kGreen, kExact}, {20, 25, 0, kGreen, 0},
                  {20, 25, 0, dark, 0}, {20, 35, 0, dark, kExact}, {20, 0, -40, dark, kExact},
                  {28, 0, -40, kGreen, kExact}, {28, -40, 0, kGreen, kExact}, {28, -48, 0, light, 0},
                  {28, -49, -49, light, kExact}, {4, -40, 0, dark, kExact}});
    // Hidden targets; a check ring that stays inside the square.
    state.showLegalMoves = false;
    state.check = true;
    expectProbes(*drawn(state, kPulseTop), {{20, 0, 0, dark, kExact}, {28, 0, -40, light, kExact},
                                            {4, -40, 0, kBlue, kExact}, {4, 40, 2, kBlue, kExact},
                                            {4, -49, -49, dark, kExact}});
    // At the pulse's low point the ring fades to 45 %, as any renderer shows it.
    const auto low = drawn(state, 3 * kPulseTop);
    EXPECT_LE(channelDistance(around(*low, bigView(false), 4, -40, 0), theme::mix(dark, kBlue, 0.45)), 4);
}

TEST(BoardHighlights, EveryLayerShowsAStillBoardShowsNoneAndOffBoardSquaresAreSkipped) {
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
    EXPECT_TRUE(drawn(busy, 0.1)->sameAs(*drawn(plain, 0.1)));
    const ui::MoveAnim wild{99, -7, 'Q'};
    const ui::BoardState odd{.board = &board, .look = &pine(), .selected = 64, .lastFrom = -3, .lastTo = 200,
                             .hintFrom = 70, .hintTo = -2, .legalTargets = {-1, 64, 5000}, .threats = {-64, 99},
                             .check = true, .kingInCheck = 64, .anim = &wild};
    plain.still = false;
    EXPECT_TRUE(drawn(odd, 0.3)->sameAs(*drawn(plain, 0.3)));

    busy.still = false;
    const theme::BoardTheme& look = pine();
    const auto live = drawn(busy, 0.1);  // the blink is on
    const std::uint32_t lastMove = theme::mix(look.light, look.lastMove.rgb, look.lastMove.alpha);
    EXPECT_LE(channelDistance(around(*live, bigView(false), 12), lastMove), 2);
    // The selection reaches into the corner but keeps a margin; threat ring on a1, hint ring and fill.
    expectProbes(*live, {{4, -44, -44, look.dark, 0}, {4, -49, -49, look.dark, kExact}, {0, 0, -40, look.dark, 40},
                         {50, 0, -45, look.light, 60}, {42, -45, -45, look.light, 60}});
    // A quarter second later the hint blinks fainter, but is still there.
    const int hintFill = channelDistance(around(*live, bigView(false), 42, -45, -45), look.light);
    const int dimFill = channelDistance(around(*drawn(busy, 0.35), bigView(false), 42, -45, -45), look.light);
    EXPECT_LT(dimFill, hintFill);
    EXPECT_GT(dimFill, 0);
}

TEST(BoardPieces, SlideStartsOnFromAndEndsOnTo) {
    // One colour for all squares, so that a piece looks the same wherever it is.
    theme::BoardTheme plain = pine();
    plain.dark = plain.light;
    chess::Board before, after;
    const chess::Board nothing;
    before.sq[8] = 'P';
    after.sq[24] = 'P';
    ui::BoardState rest = stateOf(before, plain);
    rest.still = true;
    const auto onFrom = drawn(rest);
    rest.board = &after;
    const auto onTo = drawn(rest);
    rest.board = &nothing;
    const auto bare = drawn(rest);

    ui::MoveAnim anim{.from = 8, .to = 24, .piece = 'P'};
    ui::BoardState sliding = rest;
    sliding.board = &after;
    sliding.anim = &anim;
    auto slideAt = [&](double t) {
        anim.t = t;
        return drawn(sliding);
    };
    EXPECT_TRUE(slideAt(0)->sameAs(*onFrom));
    EXPECT_TRUE(slideAt(1.0)->sameAs(*onTo));
    EXPECT_TRUE(slideAt(1.5)->sameAs(*onTo));
    // Half way in time the eased piece has covered 87.5 % of the way: 175 of 200 units.
    const ui::Rect a2 = ui::squareRect(bigView(false), 8);
    EXPECT_TRUE(slideAt(0.5)->sameRegion(*onFrom, a2.x, a2.y - 175, 100, 100, 0, 175));
    // A slide with piece 0 hides the destination piece and draws nothing moving.
    anim.piece = 0;
    EXPECT_TRUE(slideAt(0.5)->sameAs(*bare));
}

TEST(MiniBoardCache, CopiesMatchTheFirstPaintingAndFollowEveryInput) {
    const chess::Board start = chess::Board::startPosition();
    const ui::Rect at{20, 10, 160, 160};
    const std::vector<std::uint32_t> first = paintMini(start, 3, false, at);
    EXPECT_EQ(paintMini(start, 3, false, at), first) << "the copy differs from the painting";

    chess::Board moved = start;
    moved.makeMove(12, 28);
    EXPECT_NE(paintMini(start, 3, true, at), first) << "orientation";
    EXPECT_NE(paintMini(moved, 3, false, at), first) << "position";
    EXPECT_NE(paintMini(start, 0, false, at), first) << "look";
    EXPECT_NE(paintMini(start, 3, false, at, 1.2), first) << "pixel size";

    // Shifted by whole pixels the picture only moves.
    const std::vector<std::uint32_t> shifted = paintMini(start, 3, false, {30, 10, 160, 160});
    for (int y = 12; y < 168; y += 7)
        for (int x = 22; x < 178; x += 5) EXPECT_EQ(shifted[y * kW + x + 10], first[y * kW + x]) << x << "," << y;
}

TEST(MiniBoardCache, SmallPiecesKeepTheirColour) {
    // 15 px cells, as on the level select's cards in a small window. b2 and
    // a7 are both dark squares: the white pawn must read lighter than the black one.
    const std::vector<std::uint32_t> pixels = paintMini(chess::Board::startPosition(), 0, false, {0, 0, 120, 120});
    const std::uint32_t dark = theme::allBoards()[0].dark;
    const double whitePawn = pieceLuminance(pixels, 15, 90, 15, dark);  // b2
    const double blackPawn = pieceLuminance(pixels, 0, 15, 15, dark);   // a7
    EXPECT_GT(whitePawn, blackPawn + 0.05) << whitePawn << " vs " << blackPawn;
}
