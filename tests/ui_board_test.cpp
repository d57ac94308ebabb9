// The board on a software renderer: layout, square mapping, the framed base
// picture, every highlight, the pieces and the slide, read back as pixels.
#include <gtest/gtest.h>

#include <cairo.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "core/chess.h"
#include "theme.h"
#include "ui/board.h"
#include "ui/gpu.h"
#include "ui/pieces.h"

namespace {

// A software renderer drawing into a plain surface whose pixels the test reads.
class Canvas {
public:
    Canvas(int w, int h) {
        surface_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        renderer_ = SDL_CreateSoftwareRenderer(surface_);
        ui::gpuInit(renderer_);
        ui::gpuSetScale(1.0);
        ui::gpuBeginFrame();
        clear(0x000000);
    }
    ~Canvas() {
        ui::gpuShutdown();
        SDL_DestroyRenderer(renderer_);
        SDL_FreeSurface(surface_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void clear(std::uint32_t rgb) {
        SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(renderer_, rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF, 255);
        SDL_RenderClear(renderer_);
    }
    std::uint32_t rgb(double x, double y) const {
        const int px = static_cast<int>(x);
        const int py = static_cast<int>(y);
        const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + py * surface_->pitch;
        return reinterpret_cast<const std::uint32_t*>(row)[px] & 0xFFFFFF;
    }
    // True when every pixel of the region matches the other canvas shifted by (dx, dy).
    bool sameRegion(const Canvas& other, int x, int y, int w, int h, int dx = 0, int dy = 0) const {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (rgb(i, j) != other.rgb(i + dx, j + dy)) return false;
        return true;
    }
    bool sameAs(const Canvas& other) const { return sameRegion(other, 0, 0, surface_->w, surface_->h); }

private:
    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
};

int channelDistance(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
}

// Whether key is in the texture cache: a miss would call the painter.
bool isCached(const std::string& key, int w, int h) {
    bool painted = false;
    ui::gpuTexture(
        key, w, h, [](cairo_t*, void* arg) { *static_cast<bool*>(arg) = true; }, &painted);
    if (painted) ui::gpuDrop(key);
    return !painted;
}

// A 868 x 868 board has cell 100 and frame 34: every square edge is a whole pixel.
constexpr double kSide = 868;
constexpr double kCell = 100;
constexpr double kFrame = 34;
// Frame time at which the pulse is at its top, so the markers are fully opaque.
const double kPulseTop = std::numbers::pi / 2 / 3.571;

ui::BoardView bigView(bool flipped) { return ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, kSide, kSide}, flipped); }

chess::Board emptyBoard() { return chess::Board{}; }

void drawAt(double t, const ui::BoardView& view, const ui::BoardState& state) {
    ui::Ctx ctx;
    ctx.t = t;
    ui::drawBoard(ctx, view, state);
}

const theme::BoardTheme& pine() { return theme::allBoards()[0]; }

}  // namespace

TEST(BoardLayout, CentresTheFramedBoardInTheAvailableRect) {
    const ui::BoardView v = ui::layoutBoard(ui::Ctx{}, ui::Rect{0, 0, 868, 600}, false);
    EXPECT_NEAR(v.cell, 600 / 8.68, 1e-9);
    EXPECT_NEAR(v.frame, 0.34 * 600 / 8.68, 1e-9);
    EXPECT_NEAR(v.rect.x, 134 + v.frame, 1e-9);
    EXPECT_NEAR(v.rect.y, v.frame, 1e-9);
    EXPECT_NEAR(v.rect.w, 8 * v.cell, 1e-9);
    EXPECT_EQ(v.rect.w, v.rect.h);

    // Tiny and empty rectangles get the 64-unit minimum and may overflow.
    for (ui::Rect tiny : {ui::Rect{10, 10, 30, 30}, ui::Rect{0, 0, 0, 0}, ui::Rect{0, 0, -5, 100}}) {
        const ui::BoardView t = ui::layoutBoard(ui::Ctx{}, tiny, true);
        EXPECT_DOUBLE_EQ(t.cell, 7.373271889400922);
        EXPECT_DOUBLE_EQ(t.frame, 2.5069124423963136);
        EXPECT_DOUBLE_EQ(t.rect.w, 58.986175115207374);
        EXPECT_TRUE(t.flipped);
    }
}

TEST(BoardLayout, SquaresAndPointsMapBothWays) {
    for (bool flipped : {false, true}) {
        const ui::BoardView v = bigView(flipped);
        for (chess::Sq s = 0; s < 64; ++s) {
            const ui::Rect r = ui::squareRect(v, s);
            EXPECT_EQ(ui::squareAt(v, r.x, r.y), s);
            EXPECT_EQ(ui::squareAt(v, r.cx(), r.cy()), s);
            EXPECT_EQ(ui::squareAt(v, r.right() - 0.01, r.bottom() - 0.01), s);
        }
        // The bottom-left square is a1, or h8 when flipped.
        EXPECT_EQ(ui::squareAt(v, kFrame + 1, kFrame + 8 * kCell - 1), flipped ? 63 : 0);
        EXPECT_EQ(ui::squareAt(v, kFrame + 8 * kCell - 1, kFrame + 1), flipped ? 0 : 63);
        // Right and bottom edges are outside, left and top edges inside.
        EXPECT_EQ(ui::squareAt(v, v.rect.right(), v.rect.cy()), -1);
        EXPECT_EQ(ui::squareAt(v, v.rect.cx(), v.rect.bottom()), -1);
        EXPECT_NE(ui::squareAt(v, v.rect.x, v.rect.y), -1);
        EXPECT_EQ(ui::squareAt(v, v.rect.x - 0.01, v.rect.cy()), -1);
        EXPECT_EQ(ui::squareAt(v, std::numeric_limits<double>::quiet_NaN(), v.rect.cy()), -1);
    }
    const ui::BoardView v = bigView(false);
    for (chess::Sq bad : {-1, 64, 1000}) {
        const ui::Rect r = ui::squareRect(v, bad);
        EXPECT_EQ(r.x, 0);
        EXPECT_EQ(r.y, 0);
        EXPECT_EQ(r.w, 0);
        EXPECT_EQ(r.h, 0);
    }
    EXPECT_EQ(ui::squareAt(ui::BoardView{}, 0, 0), -1);
}

TEST(BoardBase, SquareColoursFollowTheBoardInBothOrientations) {
    Canvas canvas(868, 868);
    const chess::Board board = emptyBoard();
    for (const theme::BoardTheme& look : theme::allBoards()) {
        for (bool flipped : {false, true}) {
            const ui::BoardView v = bigView(flipped);
            ui::BoardState state;
            state.board = &board;
            state.look = &look;
            drawAt(0, v, state);
            auto colourOf = [&](chess::Sq s) { return canvas.rgb(ui::squareRect(v, s).cx(), ui::squareRect(v, s).cy()); };
            EXPECT_EQ(colourOf(0), look.dark) << look.id;    // a1
            EXPECT_EQ(colourOf(63), look.dark) << look.id;   // h8 lies on a1's diagonal
            EXPECT_EQ(colourOf(7), look.light) << look.id;   // h1
            EXPECT_EQ(colourOf(56), look.light) << look.id;  // a8
            // Whatever the orientation, the bottom-right corner square is light.
            EXPECT_EQ(canvas.rgb(kFrame + 8 * kCell - 50, kFrame + 8 * kCell - 50), look.light) << look.id;
            // The outer frame is the border colour.
            EXPECT_EQ(canvas.rgb(2, 400), look.border) << look.id;
            EXPECT_TRUE(isCached(ui::boardTextureKey(look, 868, flipped), 868, 868));
        }
    }
    EXPECT_EQ(ui::boardTextureKey(pine(), 560, false), "board:pine:560");
    EXPECT_EQ(ui::boardTextureKey(theme::allBoards()[2], 560, true), "board:walnut:560:f");
}

// Ink: pixels of a frame strip that differ clearly from the border colour.
int inkIn(const Canvas& c, std::uint32_t border, int x, int y, int w, int h) {
    int ink = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) ink += channelDistance(c.rgb(i, j), border) > 16;
    return ink;
}

TEST(BoardBase, CoordinatesRunAlongTheBottomAndRightFrame) {
    Canvas straight(868, 868);
    const chess::Board board = emptyBoard();
    const theme::BoardTheme& look = pine();
    ui::BoardState state;
    state.board = &board;
    state.look = &look;
    drawAt(0, bigView(false), state);
    Canvas flipped(868, 868);
    drawAt(0, bigView(true), state);

    // Frame strips between the squares and the inner frame line (5.4 to 10.9 units from the edge).
    const int strip = static_cast<int>(kSide - kFrame) + 2;
    const int depth = 20;
    for (int i = 0; i < 8; ++i) {
        const int along = static_cast<int>(kFrame + i * kCell);
        // A letter under every column and a digit beside every row ...
        EXPECT_GT(inkIn(straight, look.border, along, strip, 100, depth), 10) << "column " << i;
        EXPECT_GT(inkIn(straight, look.border, strip, along, depth, 100), 10) << "row " << i;
        // ... and nothing on the top and left strips.
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
    chess::Board board = emptyBoard();
    board.sq[28] = 'p';  // e4 holds a piece to take
    const ui::BoardView v = bigView(false);
    ui::BoardState state;
    state.board = &board;
    state.look = &pine();
    state.legalTargets = {20, 28};  // e3 (dark) empty, e4 (light) a capture
    drawAt(kPulseTop, v, state);

    const ui::Rect dot = ui::squareRect(v, 20);
    EXPECT_EQ(canvas.rgb(dot.cx(), dot.cy()), 0x3AD05Au);
    EXPECT_EQ(canvas.rgb(dot.cx() + 15, dot.cy()), 0x3AD05Au);
    EXPECT_NE(canvas.rgb(dot.cx() + 25, dot.cy()), 0x3AD05Au);  // only the faint halo
    EXPECT_NE(canvas.rgb(dot.cx() + 25, dot.cy()), pine().dark);
    EXPECT_EQ(canvas.rgb(dot.cx() + 35, dot.cy()), pine().dark);  // outside the halo
    EXPECT_EQ(canvas.rgb(dot.cx(), dot.cy() - 40), pine().dark);  // no ring around a dot

    const ui::Rect ring = ui::squareRect(v, 28);
    EXPECT_EQ(canvas.rgb(ring.cx(), ring.cy() - 40), 0x3AD05Au);  // the ring above the pawn
    EXPECT_EQ(canvas.rgb(ring.cx() - 40, ring.cy()), 0x3AD05Au);
    EXPECT_NE(canvas.rgb(ring.cx() - 48, ring.cy()), pine().light);  // the faint disc reaches further
    EXPECT_EQ(canvas.rgb(ring.x + 1, ring.y + 1), pine().light);     // but not into the corner
    EXPECT_TRUE(isCached("mask:disc", 128, 128));
    EXPECT_TRUE(isCached("mask:ring:12", 128, 128));  // width 0.11 of a 0.92 diameter

    // Hidden when legal moves are switched off.
    state.showLegalMoves = false;
    drawAt(kPulseTop, v, state);
    EXPECT_EQ(canvas.rgb(dot.cx(), dot.cy()), pine().dark);
    EXPECT_EQ(canvas.rgb(ring.cx(), ring.cy() - 40), pine().light);
}

TEST(BoardHighlights, CheckRingTakesTheThemeColour) {
    Canvas canvas(868, 868);
    chess::Board board = emptyBoard();
    board.sq[4] = 'K';
    theme::BoardTheme look = pine();
    look.check = theme::Tint{0x2040C0, 1.0};
    const ui::BoardView v = bigView(false);
    ui::BoardState state;
    state.board = &board;
    state.look = &look;
    state.kingInCheck = 4;

    // Probe the ring left and right of the king, where the piece leaves the square bare.
    drawAt(kPulseTop, v, state);
    const ui::Rect sq = ui::squareRect(v, 4);
    EXPECT_EQ(canvas.rgb(sq.cx() - 40, sq.cy()), look.dark) << "no ring without check";

    state.check = true;
    drawAt(kPulseTop, v, state);
    EXPECT_EQ(canvas.rgb(sq.cx() - 40, sq.cy()), 0x2040C0u);
    EXPECT_EQ(canvas.rgb(sq.cx() + 40, sq.cy() + 2), 0x2040C0u);
    EXPECT_EQ(canvas.rgb(sq.x + 1, sq.y + 1), look.dark);  // the ring stays inside the square
    EXPECT_TRUE(isCached("mask:ring:11", 128, 128));

    // At the pulse's low point the ring fades to 0.45 of the theme's alpha.
    drawAt(3 * kPulseTop, v, state);
    const std::uint32_t faded = canvas.rgb(sq.cx() - 40, sq.cy());
    EXPECT_NE(faded, 0x2040C0u);
    EXPECT_NE(faded, look.dark);
}

TEST(BoardHighlights, EveryLayerShowsAndAStillBoardShowsNone) {
    chess::Board board = emptyBoard();
    board.sq[0] = 'R';
    board.sq[4] = 'K';
    board.sq[60] = 'k';
    board.sq[35] = 'n';
    ui::BoardState plain;
    plain.board = &board;
    plain.look = &pine();
    plain.still = true;

    ui::BoardState busy = plain;
    busy.selected = 4;
    busy.lastFrom = 12;
    busy.lastTo = 20;
    busy.legalTargets = {3, 5, 11, 13};
    busy.threats = {0};
    busy.hintFrom = 50;
    busy.hintTo = 42;
    busy.check = true;
    busy.kingInCheck = 4;

    const ui::BoardView v = bigView(false);
    Canvas reference(868, 868);
    drawAt(0.1, v, plain);
    Canvas still(868, 868);
    drawAt(0.1, v, busy);
    EXPECT_TRUE(still.sameAs(reference));

    busy.still = false;
    Canvas live(868, 868);
    drawAt(0.1, v, busy);  // blink on
    auto at = [&](chess::Sq s, double dx, double dy) {
        const ui::Rect r = ui::squareRect(v, s);
        return live.rgb(r.cx() + dx, r.cy() + dy);
    };
    const theme::BoardTheme& look = pine();
    EXPECT_LE(channelDistance(at(12, 0, 0), theme::mix(look.light, look.lastMove.rgb, look.lastMove.alpha)), 2)
        << "last move";
    EXPECT_NE(at(4, -44, -44), look.dark) << "selection reaches into the corner";
    EXPECT_EQ(at(4, -49, -49), look.dark) << "selection keeps a 2-unit margin";
    EXPECT_GT(channelDistance(at(0, 0, -40), look.dark), 40) << "threat ring";
    EXPECT_GT(channelDistance(at(50, 0, -45), look.light), 60) << "hint ring";
    EXPECT_GT(channelDistance(at(42, -45, -45), look.light), 60) << "hint fill";

    // Half a second later the hint and threat blink at 0.15: fainter, still there.
    Canvas dim(868, 868);
    drawAt(0.35, v, busy);
    auto dimAt = [&](chess::Sq s, double dx, double dy) {
        const ui::Rect r = ui::squareRect(v, s);
        return dim.rgb(r.cx() + dx, r.cy() + dy);
    };
    EXPECT_LT(channelDistance(dimAt(42, -45, -45), look.light), channelDistance(at(42, -45, -45), look.light));
    EXPECT_NE(dimAt(42, -45, -45), look.light);
}

TEST(BoardPieces, PiecesBobUnlessStill) {
    chess::Board board = emptyBoard();
    board.sq[0] = 'Q';
    ui::BoardState state;
    state.board = &board;
    state.look = &pine();
    state.still = true;
    const ui::BoardView v = bigView(false);
    // At t = pi / 2.8 the bob of a1 is at its top: 0.8 % of 96 units, one pixel.
    const double top = std::numbers::pi / 2 / 1.4;
    Canvas still(868, 868);
    drawAt(top, v, state);
    state.still = false;
    Canvas bobbing(868, 868);
    drawAt(top, v, state);
    const ui::Rect a1 = ui::squareRect(v, 0);
    EXPECT_FALSE(bobbing.sameRegion(still, a1.x, a1.y, 100, 100));
    EXPECT_TRUE(bobbing.sameRegion(still, a1.x, a1.y + 5, 100, 90, 0, 1)) << "raised by one pixel";
}

TEST(BoardPieces, SlideStartsOnFromAndEndsOnTo) {
    const ui::BoardView v = bigView(false);
    // One colour for all squares, so that a piece looks the same wherever it is.
    theme::BoardTheme plain = pine();
    plain.dark = plain.light;
    chess::Board before = emptyBoard();
    before.sq[8] = 'P';
    chess::Board after = emptyBoard();
    after.sq[24] = 'P';

    ui::BoardState rest;
    rest.look = &plain;
    rest.still = true;
    rest.board = &before;
    Canvas onFrom(868, 868);
    drawAt(0, v, rest);
    rest.board = &after;
    Canvas onTo(868, 868);
    drawAt(0, v, rest);

    ui::MoveAnim anim;
    anim.from = 8;
    anim.to = 24;
    anim.piece = 'P';
    ui::BoardState sliding = rest;
    sliding.anim = &anim;

    anim.t = 0;
    Canvas start(868, 868);
    drawAt(0, v, sliding);
    EXPECT_TRUE(start.sameAs(onFrom));

    for (double end : {1.0, 1.5}) {
        anim.t = end;
        Canvas done(868, 868);
        drawAt(0, v, sliding);
        EXPECT_TRUE(done.sameAs(onTo)) << end;
    }

    // Half way in time the eased piece has covered 87.5 % of the way: 175 of 200 units.
    anim.t = 0.5;
    Canvas half(868, 868);
    drawAt(0, v, sliding);
    const ui::Rect a2 = ui::squareRect(v, 8);
    EXPECT_TRUE(half.sameRegion(onFrom, a2.x, a2.y - 175, 100, 100, 0, 175));

    // A slide with piece 0 hides the destination piece and draws nothing moving.
    anim.t = 0.5;
    anim.piece = 0;
    Canvas none(868, 868);
    drawAt(0, v, sliding);
    ui::BoardState empty = rest;
    const chess::Board nothing = emptyBoard();
    empty.board = &nothing;
    Canvas bare(868, 868);
    drawAt(0, v, empty);
    EXPECT_TRUE(none.sameAs(bare));
}

TEST(BoardRobustness, NullPointersAndOffBoardSquaresDrawNothingOrAreSkipped) {
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
    EXPECT_EQ(canvas.rgb(400, 400), 0x000000u);

    // Off-board squares in every field are skipped: the picture is the plain live board.
    ui::BoardState plain;
    plain.board = &board;
    plain.look = &pine();
    Canvas expected(868, 868);
    drawAt(0.3, v, plain);

    ui::MoveAnim wild;
    wild.from = 99;
    wild.to = -7;
    wild.piece = 'Q';
    ui::BoardState odd = plain;
    odd.selected = 64;
    odd.lastFrom = -3;
    odd.lastTo = 200;
    odd.hintFrom = 70;
    odd.hintTo = -2;
    odd.legalTargets = {-1, 64, 5000};
    odd.threats = {-64, 99};
    odd.check = true;
    odd.kingInCheck = 64;
    odd.anim = &wild;
    odd.showLegalMoves = true;
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
    chess::Board board = emptyBoard();
    ui::BoardState state;
    state.board = &board;
    state.look = &pine();
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
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 160);
    cairo_t* cr = cairo_create(surface);
    chess::Board board = emptyBoard();
    board.sq[4] = 'K';  // e1
    const theme::BoardTheme& look = theme::allBoards()[4];
    auto pixel = [&](int x, int y) {
        cairo_surface_flush(surface);
        const auto* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    };
    for (bool flipped : {false, true}) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        ui::paintMiniBoard(cr, ui::Rect{0, 0, 200, 160}, board, look, flipped);
        // Centred: 160 x 160 starting at x = 20, cells of 20.
        EXPECT_EQ(pixel(10, 80), 0x000000u);
        EXPECT_EQ(pixel(18, 80), 0x000000u);
        EXPECT_EQ(pixel(30, 150), look.dark);  // bottom-left is dark either way
        EXPECT_EQ(pixel(20 + 7 * 20 + 10, 150), look.light);
        EXPECT_LT(channelDistance(pixel(20, 70), look.border), 60) << "outline";
        EXPECT_LT(channelDistance(pixel(100, 0), look.border), 60) << "outline";
        // The king's cross: e1 sits in column 4 of the bottom row, or column 3 of the top row.
        const int kx = 20 + (flipped ? 3 : 4) * 20 + 10;
        const int ky = flipped ? 0 : 140;
        EXPECT_GT(channelDistance(pixel(kx, ky + 12), pixel(kx, ky + 1)), 60) << flipped;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// ---- a sheet for a person to look at ----------------------------------------------

namespace {

// Draws through a real accelerated renderer into a target texture when a display
// is there (premultiplied blending as in the game), else through the software one.
class SheetTarget {
public:
    SheetTarget(int w, int h) : w_(w), h_(h) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
            window_ = SDL_CreateWindow("sheet", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
            if (window_ != nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        }
        if (renderer_ == nullptr) {
            surface_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
            renderer_ = SDL_CreateSoftwareRenderer(surface_);
        } else {
            target_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
            SDL_SetRenderTarget(renderer_, target_);
        }
        ui::gpuInit(renderer_);
        ui::gpuSetScale(1.0);
        ui::gpuBeginFrame();
    }
    ~SheetTarget() {
        ui::gpuShutdown();
        if (target_ != nullptr) SDL_DestroyTexture(target_);
        SDL_DestroyRenderer(renderer_);
        if (surface_ != nullptr) SDL_FreeSurface(surface_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SheetTarget(const SheetTarget&) = delete;
    SheetTarget& operator=(const SheetTarget&) = delete;

    void fill(int x, int y, int w, int h, std::uint32_t rgb) { ui::gpuFillRect(x, y, w, h, rgb, 1.0); }
    const char* rendererName() const {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(renderer_, &info);
        return info.name;
    }
    bool writePng(const char* path) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w_) * h_);
        if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), w_ * 4) != 0)
            return false;
        cairo_surface_t* png = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                                   CAIRO_FORMAT_RGB24, w_, h_, w_ * 4);
        const bool ok = cairo_surface_write_to_png(png, path) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(png);
        return ok;
    }

private:
    int w_, h_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Surface* surface_ = nullptr;
    SDL_Texture* target_ = nullptr;
};

// A middle-game position with every highlight switched on.
ui::BoardState busyState(const chess::Board& board, const theme::BoardTheme& look) {
    ui::BoardState state;
    state.board = &board;
    state.look = &look;
    state.lastFrom = 3;
    state.lastTo = 39;
    state.selected = 21;
    state.legalTargets = {39, 36, 30, 38};
    state.threats = {53};
    state.hintFrom = 57;
    state.hintTo = 42;
    state.check = true;
    state.kingInCheck = 60;
    return state;
}

void drawPieceRows(SheetTarget& sheet, double x0, double y0, double width, std::uint32_t ground) {
    sheet.fill(x0, y0, width, 200, ground);
    const std::string pieces = "KQRBNPkqrbnp";
    double y = y0 + 8;
    for (double size : {24.0, 48.0, 96.0}) {
        for (std::size_t i = 0; i < pieces.size(); ++i) ui::drawPiece(pieces[i], x0 + 8 + i * (size + 4), y, size, 1.0, 0);
        y += size + 8;
    }
}

}  // namespace

// Every look with every highlight (flipped every other one), a playing-size board
// live and still, and all pieces at 24, 48 and 96 units on a light and a dark ground:
// ZELVANE_SHEET=/tmp/board-sheet.png ./tests_ui --gtest_filter='BoardSheet*'
// With a display (for example Xvfb) the sheet is drawn with premultiplied blending.
TEST(BoardSheet, EveryThemeEveryHighlightAndAllPieces) {
    const char* path = std::getenv("ZELVANE_SHEET");
    if (path == nullptr) GTEST_SKIP() << "set ZELVANE_SHEET to a PNG path";
    SheetTarget sheet(2170, 1320);
    sheet.fill(0, 0, 2170, 1320, 0x303030);
    const chess::Board board =
        chess::Board::fromFen("r1bqk2r/pppp1ppp/2n2n2/2b1p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 3 4");
    for (int i = 0; i < 10; ++i) {
        const theme::BoardTheme& look = theme::allBoards()[i];
        const ui::Rect area{10.0 + (i % 5) * 350, 10.0 + (i / 5) * 350, 340, 340};
        drawAt(0.1, ui::layoutBoard(ui::Ctx{}, area, i % 2 == 1), busyState(board, look));
    }
    ui::BoardState live = busyState(board, theme::allBoards()[0]);
    drawAt(0.1, ui::layoutBoard(ui::Ctx{}, ui::Rect{10, 710, 600, 600}, false), live);
    ui::BoardState still = live;
    still.still = true;
    drawAt(0.1, ui::layoutBoard(ui::Ctx{}, ui::Rect{620, 710, 300, 300}, true), still);
    drawPieceRows(sheet, 930, 710, 1230, 0xF1E3C3);
    drawPieceRows(sheet, 930, 920, 1230, 0x42606E);
    std::printf("sheet drawn with the %s renderer\n", sheet.rendererName());
    EXPECT_TRUE(sheet.writePng(path));
}
