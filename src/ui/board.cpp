#include "ui/board.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/pieces.h"

namespace ui {

namespace {

constexpr double kPi = 3.14159265358979323846;
// The framed board is 8 squares plus a frame of 0.34 squares on each side.
constexpr double kFramedSquares = 8.68;
constexpr double kFrameRatio = 0.34;
constexpr int kMaskPx = 128;
// Larger than any display; such a board is a layout fault, not worth 256 MB.
constexpr long kMaxBoardPx = 8192;

constexpr std::uint32_t kLegalGreen = 0x3AD05A;
constexpr std::uint32_t kThreatRed = 0xE64F4F;
constexpr std::uint32_t kHintMagenta = 0xFF2DC8;

struct BaseArgs {
    const theme::BoardTheme* look;
    double side;
    double frame;
    bool flipped;
};

struct MaskArgs {
    double px;
    double a;
};

struct Clocks {
    double pulse;
    double blink;
};

bool onBoard(chess::Sq s) { return s >= 0 && s < 64; }

// Screen column and row of a square.
void cellOf(chess::Sq s, bool flipped, int& column, int& row) {
    const int file = s % 8;
    const int rank = s / 8;
    column = flipped ? 7 - file : file;
    row = flipped ? rank : 7 - rank;
}

// File and rank shown at a screen column and row.
void squareOfCell(int column, int row, bool flipped, int& file, int& rank) {
    file = flipped ? 7 - column : column;
    rank = flipped ? row : 7 - row;
}

// a1 is dark: a square is light when file + rank is odd.
std::uint32_t squareColor(const theme::BoardTheme& look, int file, int rank) {
    return (file + rank) % 2 == 1 ? look.light : look.dark;
}

// ---- cached pictures ----------------------------------------------------------

void paintCoordinates(cairo_t* cr, const theme::BoardTheme& look, double c, double f, double total,
                      bool flipped) {
    TextStyle style;
    style.family = "sans";
    style.size = std::max(0.2 * c, 7.0);
    style.bold = true;
    style.italic = false;
    // Opaque, in a colour that stands out from the frame on every look.
    style.color = theme::coordinateColor(look);
    style.alpha = 1.0;
    style.align = Align::Center;
    style.maxWidth = 0;
    style.minScale = 0.6;
    style.wrapWidth = 0;
    const double strip = total - 0.5 * f;  // middle of the bottom and the right frame strip
    for (int i = 0; i < 8; ++i) {
        const double along = f + i * c + 0.5 * c;
        const char letter[2] = {static_cast<char>(flipped ? 'h' - i : 'a' + i), 0};
        const char digit[2] = {static_cast<char>(flipped ? '1' + i : '8' - i), 0};
        drawTextCentered(cr, along, strip, letter, style);
        drawTextCentered(cr, strip, along, digit, style);
    }
}

// Frame, squares and coordinates, in logical units from the frame's outer corner.
void paintBase(cairo_t* cr, void* arg) {
    const auto* a = static_cast<const BaseArgs*>(arg);
    const theme::BoardTheme& look = *a->look;
    const double c = a->side / 8;
    const double f = a->frame;
    const double total = a->side + 2 * f;

    setColor(cr, look.border, 1.0);
    cairo_rectangle(cr, 0, 0, total, total);
    cairo_fill(cr);

    setColor(cr, theme::lighten(look.border, 0.18), 0.5);
    cairo_set_line_width(cr, std::max(0.16 * f, 1.0));
    cairo_rectangle(cr, 0.24 * f, 0.24 * f, total - 0.48 * f, total - 0.48 * f);
    cairo_stroke(cr);

    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            int file = 0, rank = 0;
            squareOfCell(column, row, a->flipped, file, rank);
            setColor(cr, squareColor(look, file, rank), 1.0);
            // The extra half unit closes hairline seams between neighbours.
            cairo_rectangle(cr, f + column * c, f + row * c, c + 0.5, c + 0.5);
            cairo_fill(cr);
        }
    }
    paintCoordinates(cr, look, c, f, total, a->flipped);
}

// Masks are drawn in the texture's own pixels, whatever the display scale.
void useTexturePixels(cairo_t* cr) {
    double sx = 1, sy = 1;
    cairo_surface_get_device_scale(cairo_get_target(cr), &sx, &sy);
    cairo_scale(cr, 1 / sx, 1 / sy);
    cairo_set_source_rgb(cr, 1, 1, 1);
}

void paintDiscMask(cairo_t* cr, void* arg) {
    const auto* a = static_cast<const MaskArgs*>(arg);
    useTexturePixels(cr);
    cairo_arc(cr, a->px / 2, a->px / 2, a->px / 2 - 0.5, 0, 2 * kPi);
    cairo_fill(cr);
}

void paintRingMask(cairo_t* cr, void* arg) {
    const auto* a = static_cast<const MaskArgs*>(arg);
    useTexturePixels(cr);
    const double lineWidth = a->a * a->px;
    cairo_set_line_width(cr, lineWidth);
    cairo_arc(cr, a->px / 2, a->px / 2, (a->px - lineWidth) / 2 - 0.5, 0, 2 * kPi);
    cairo_stroke(cr);
}

void paintRoundedSquareMask(cairo_t* cr, void* arg) {
    const auto* a = static_cast<const MaskArgs*>(arg);
    useTexturePixels(cr);
    const double s = a->px;
    const double r = a->a * s;
    cairo_new_sub_path(cr);
    cairo_arc(cr, s - r, r, r, -kPi / 2, 0);
    cairo_arc(cr, s - r, s - r, r, 0, kPi / 2);
    cairo_arc(cr, r, s - r, r, kPi / 2, kPi);
    cairo_arc(cr, r, r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

SDL_Texture* maskTexture(const std::string& key, PaintFn paint, double shape) {
    MaskArgs args{static_cast<double>(kMaskPx), shape};
    return gpuTexture(key, kMaskPx, kMaskPx, paint, &args);
}

// ---- markers --------------------------------------------------------------------

void drawDisc(double cx, double cy, double r, std::uint32_t rgb, double alpha) {
    if (!(r > 0)) return;
    SDL_Texture* tex = maskTexture("mask:disc", paintDiscMask, 0);
    if (tex != nullptr) gpuBlitTinted(tex, cx - r, cy - r, 2 * r, 2 * r, rgb, alpha);
}

void drawRing(double cx, double cy, double r, double w, std::uint32_t rgb, double alpha) {
    if (!(r > 0)) return;
    const int q = ringMaskNumber(r, w);
    SDL_Texture* tex = maskTexture("mask:ring:" + std::to_string(q), paintRingMask, q / 100.0);
    if (tex != nullptr) gpuBlitTinted(tex, cx - r, cy - r, 2 * r, 2 * r, rgb, alpha);
}

void drawSelection(const Rect& sq, std::uint32_t rgb, double alpha) {
    SDL_Texture* tex = maskTexture("mask:rsq:12", paintRoundedSquareMask, 0.12);
    if (tex != nullptr) gpuBlitTinted(tex, sq.x + 2, sq.y + 2, sq.w - 4, sq.h - 4, rgb, alpha);
}

void drawBase(const BoardView& view, const theme::BoardTheme& look) {
    const double total = 2 * view.frame + 8 * view.cell;
    const double scale = gpuScale();
    const long px = std::lround(scale * total);
    if (px < 1 || px > kMaxBoardPx) return;
    // The painter works from the rounded size so that the proportions stay exact.
    const double logical = px / scale;
    const double frame = logical * kFrameRatio / kFramedSquares;
    BaseArgs args{&look, logical - 2 * frame, frame, view.flipped};
    const int size = static_cast<int>(px);
    SDL_Texture* tex = gpuTexture(boardTextureKey(look, size, view.flipped), size, size, paintBase, &args);
    if (tex != nullptr) gpuBlit(tex, view.rect.x - view.frame, view.rect.y - view.frame, total, total, 1.0);
}

void drawLegalTargets(const BoardView& view, const BoardState& state, const Clocks& clocks) {
    const double cell = view.cell;
    const double glow = 0.55 + 0.45 * clocks.pulse;
    for (int target : state.legalTargets) {
        if (!onBoard(target)) continue;
        const Rect sq = squareRect(view, target);
        if (state.board->at(target) != 0) {
            drawDisc(sq.cx(), sq.cy(), 0.5 * cell, kLegalGreen, 0.25 * glow);
            drawRing(sq.cx(), sq.cy(), 0.46 * cell, (0.09 + 0.02 * clocks.pulse) * cell, kLegalGreen, glow);
        } else {
            drawDisc(sq.cx(), sq.cy(), 0.3 * cell, kLegalGreen, 0.18 * glow);
            drawDisc(sq.cx(), sq.cy(), (0.18 + 0.025 * clocks.pulse) * cell, kLegalGreen, glow);
        }
    }
}

void drawThreats(const BoardView& view, const BoardState& state, const Clocks& clocks) {
    const double cell = view.cell;
    for (int s : state.threats) {
        if (!onBoard(s)) continue;
        const Rect sq = squareRect(view, s);
        drawRing(sq.cx(), sq.cy(), 0.46 * cell, 0.09 * cell, kThreatRed, 0.55 * clocks.blink);
        drawRing(sq.cx(), sq.cy(), (0.52 + 0.05 * clocks.pulse) * cell, 0.035 * cell, kThreatRed,
                 0.55 * clocks.blink);
    }
}

void drawHint(const BoardView& view, const BoardState& state, const Clocks& clocks) {
    if (state.hintFrom == -1 || state.hintTo == -1) return;
    const double cell = view.cell;
    for (chess::Sq s : {state.hintFrom, state.hintTo}) {
        if (!onBoard(s)) continue;
        const Rect sq = squareRect(view, s);
        gpuFillRect(sq.x, sq.y, sq.w, sq.h, kHintMagenta, 0.55 * clocks.blink);
        drawRing(sq.cx(), sq.cy(), 0.48 * cell, 0.12 * cell, kHintMagenta, clocks.blink);
        drawRing(sq.cx(), sq.cy(), (0.55 + 0.05 * clocks.pulse) * cell, 0.04 * cell, kHintMagenta,
                 0.6 * clocks.blink);
    }
}

void drawHighlights(const BoardView& view, const BoardState& state, const Clocks& clocks) {
    const theme::BoardTheme& look = *state.look;
    for (chess::Sq s : {state.lastFrom, state.lastTo}) {
        if (!onBoard(s)) continue;
        const Rect sq = squareRect(view, s);
        gpuFillRect(sq.x, sq.y, sq.w, sq.h, look.lastMove.rgb, look.lastMove.alpha);
    }
    if (onBoard(state.selected)) drawSelection(squareRect(view, state.selected), look.selected.rgb, look.selected.alpha);
    if (state.showLegalMoves) drawLegalTargets(view, state, clocks);
    drawThreats(view, state, clocks);
    drawHint(view, state, clocks);
    if (state.check && onBoard(state.kingInCheck)) {
        const Rect sq = squareRect(view, state.kingInCheck);
        drawRing(sq.cx(), sq.cy(), 0.46 * view.cell, 0.1 * view.cell, look.check.rgb,
                 (0.45 + 0.55 * clocks.pulse) * look.check.alpha);
    }
}

// The dragged piece, a little larger than at rest, above everything else on the board.
void drawLifted(const BoardView& view, const BoardState& state) {
    if (!onBoard(state.lifted) || state.board->at(state.lifted) == 0) return;
    const double size = 1.08 * view.cell;
    drawPiece(state.board->at(state.lifted), state.liftX - size / 2, state.liftY - size / 2, size, 1.0, 0.0);
}

// The keyboard cursor: a frame inside the square in the focus ring's blue.
void drawCursor(const BoardView& view, chess::Sq cursor) {
    if (!onBoard(cursor)) return;
    const Rect sq = squareRect(view, cursor);
    const double w = std::max(0.07 * view.cell, 2.0);
    constexpr std::uint32_t kCursorBlue = 0x1E6FD9;
    gpuFillRect(sq.x, sq.y, sq.w, w, kCursorBlue, 0.95);
    gpuFillRect(sq.x, sq.bottom() - w, sq.w, w, kCursorBlue, 0.95);
    gpuFillRect(sq.x, sq.y + w, w, sq.h - 2 * w, kCursorBlue, 0.95);
    gpuFillRect(sq.right() - w, sq.y + w, w, sq.h - 2 * w, kCursorBlue, 0.95);
}

void drawPieces(const BoardView& view, const BoardState& state, double t) {
    const double cell = view.cell;
    // A slide between squares that are not on the board is ignored.
    const bool sliding = state.anim != nullptr && state.anim->active() && onBoard(state.anim->from) &&
                         onBoard(state.anim->to);
    const chess::Sq skipped = sliding ? state.anim->to : -1;
    for (chess::Sq s = 0; s < 64; ++s) {
        const chess::Piece piece = state.board->at(s);
        if (piece == 0 || s == skipped || s == state.lifted) continue;
        const Rect sq = squareRect(view, s);
        const int file = s % 8;
        const int rank = s / 8;
        // A slow bob whose phase runs along the diagonals.
        const double lift = state.still ? 0.0 : 0.008 * std::sin(0.7 * (2 * t + 0.45 * (file + rank)));
        drawPiece(piece, sq.x + 0.02 * cell, sq.y + 0.02 * cell, 0.96 * cell, 1.0, lift);
    }
    drawLifted(view, state);
    if (!sliding || state.anim->piece == 0) return;
    const MoveAnim& anim = *state.anim;
    const Rect a = squareRect(view, anim.from);
    const Rect b = squareRect(view, anim.to);
    const double progress = std::clamp(anim.t, 0.0, 1.0);
    const double k = 1 - std::pow(1 - progress, 3);  // ease-out cubic
    drawPiece(anim.piece, a.x + (b.x - a.x) * k + 0.02 * cell, a.y + (b.y - a.y) * k + 0.02 * cell, 0.96 * cell,
              1.0, 0.0);
}

}  // namespace

std::string boardTextureKey(const theme::BoardTheme& look, int px, bool flipped) {
    std::string key = "board:";
    key += look.id;
    key += ':';
    key += std::to_string(px);
    if (flipped) key += ":f";
    return key;
}

int ringMaskNumber(double r, double w) {
    if (!(r > 0) || !(w > 0)) return 0;
    return static_cast<int>(std::lround(100 * std::min(w / (2 * r), 0.49)));
}

BoardView layoutBoard(const Ctx& /*ctx*/, const Rect& avail, bool flipped) {
    double side = std::min(avail.w, avail.h);
    if (!(side > 64)) side = 64;
    BoardView view;
    view.cell = side / kFramedSquares;
    view.frame = kFrameRatio * view.cell;
    view.rect.x = avail.x + (avail.w - side) * 0.5 + view.frame;
    view.rect.y = avail.y + (avail.h - side) * 0.5 + view.frame;
    view.rect.w = 8 * view.cell;
    view.rect.h = 8 * view.cell;
    view.flipped = flipped;
    return view;
}

Rect squareRect(const BoardView& view, chess::Sq s) {
    if (!onBoard(s)) return Rect{};
    int column = 0, row = 0;
    cellOf(s, view.flipped, column, row);
    return Rect{view.rect.x + column * view.cell, view.rect.y + row * view.cell, view.cell, view.cell};
}

chess::Sq squareAt(const BoardView& view, double x, double y) {
    const Rect& r = view.rect;
    if (!(x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h)) return -1;
    const int column = static_cast<int>((x - r.x) / view.cell);
    const int row = static_cast<int>((y - r.y) / view.cell);
    if (column < 0 || column > 7 || row < 0 || row > 7) return -1;
    int file = 0, rank = 0;
    squareOfCell(column, row, view.flipped, file, rank);
    return file + 8 * rank;
}

void drawBoard(Ctx& ctx, const BoardView& view, const BoardState& state) {
    if (state.board == nullptr || state.look == nullptr || !(view.cell > 0) || !std::isfinite(view.cell)) return;
    drawBase(view, *state.look);
    if (!state.still) {
        const Clocks clocks{(std::sin(3.571 * ctx.t) + 1) * 0.5, std::fmod(ctx.t, 0.5) < 0.25 ? 1.0 : 0.15};
        drawHighlights(view, state, clocks);
        drawCursor(view, state.cursor);
    }
    drawPieces(view, state, ctx.t);
}

namespace {

void paintMiniBoardDirect(cairo_t* cr, double x0, double y0, double side, const chess::Board& board,
                          const theme::BoardTheme& look, bool flipped) {
    const double cell = side * 0.125;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            int file = 0, rank = 0;
            squareOfCell(column, row, flipped, file, rank);
            setColor(cr, squareColor(look, file, rank), 1.0);
            cairo_rectangle(cr, x0 + column * cell, y0 + row * cell, cell + 0.5, cell + 0.5);
            cairo_fill(cr);
        }
    }
    for (chess::Sq s = 0; s < 64; ++s) {
        const chess::Piece piece = board.at(s);
        if (piece == 0) continue;
        int column = 0, row = 0;
        cellOf(s, flipped, column, row);
        paintPieceCairo(cr, piece, x0 + column * cell, y0 + row * cell, cell, 1.0);
    }
    strokeRoundedRect(cr, Rect{x0, y0, side, side}, 2.0, std::max(0.012 * side, 1.0), look.border, 0.9);
}

// The level select and the gallery show ten mini boards every frame, and 32
// shaded pieces take milliseconds to paint; so each picture is painted once
// per position, look and pixel size and then copied.
struct MiniBoardCache {
    std::map<std::string, cairo_surface_t*> pictures;
    ~MiniBoardCache() { clear(); }
    void clear() {
        for (auto& [key, surface] : pictures) cairo_surface_destroy(surface);
        pictures.clear();
    }
};

MiniBoardCache& miniBoards() {
    static MiniBoardCache cache;
    return cache;
}

constexpr std::size_t kMaxMiniBoards = 48;

}  // namespace

void paintMiniBoard(cairo_t* cr, const Rect& r, const chess::Board& board, const theme::BoardTheme& look,
                    bool flipped) {
    if (cr == nullptr) return;
    const double side = std::min(r.w, r.h);
    if (!(side > 0) || !std::isfinite(side) || !std::isfinite(r.x) || !std::isfinite(r.y)) return;
    const double x0 = r.x + (r.w - side) * 0.5;
    const double y0 = r.y + (r.h - side) * 0.5;

    // Copying needs a plain scaled and shifted context; anything else paints directly.
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    double ds = 1.0, dsy = 1.0;
    cairo_surface_get_device_scale(cairo_get_target(cr), &ds, &dsy);
    const double pixelsPerUnit = m.xx * ds;
    if (m.xy != 0 || m.yx != 0 || m.xx != m.yy || ds != dsy || !(pixelsPerUnit > 0) || side * pixelsPerUnit > 4096) {
        paintMiniBoardDirect(cr, x0, y0, side, board, look, flipped);
        return;
    }

    // The outline reaches past the squares; a whole number of pixels of room
    // keeps the board on the same pixel grid inside the picture as outside.
    const int marginPixels = static_cast<int>(std::ceil((std::max(0.012 * side, 1.0) + 2.0) * pixelsPerUnit));
    const double margin = marginPixels / pixelsPerUnit;
    const int pixels = static_cast<int>(std::ceil(side * pixelsPerUnit)) + 2 * marginPixels;
    char scaleText[64];
    std::snprintf(scaleText, sizeof scaleText, ":%.3f:%.3f:%d", side, pixelsPerUnit, flipped ? 1 : 0);
    const std::string key = board.fen() + ":" + look.id + scaleText;

    MiniBoardCache& cache = miniBoards();
    auto found = cache.pictures.find(key);
    if (found == cache.pictures.end()) {
        if (cache.pictures.size() >= kMaxMiniBoards) cache.clear();
        cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels);
        if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(picture);
            paintMiniBoardDirect(cr, x0, y0, side, board, look, flipped);
            return;
        }
        cairo_surface_set_device_scale(picture, pixelsPerUnit, pixelsPerUnit);
        cairo_t* pc = cairo_create(picture);
        paintMiniBoardDirect(pc, margin, margin, side, board, look, flipped);
        cairo_destroy(pc);
        found = cache.pictures.emplace(key, picture).first;
    }

    // Put the board's corner on a whole device pixel so the picture is copied, not resampled.
    const double deviceX = std::round((x0 * m.xx + m.x0) * ds) - marginPixels;
    const double deviceY = std::round((y0 * m.yy + m.y0) * ds) - marginPixels;
    const double ux = (deviceX / ds - m.x0) / m.xx;
    const double uy = (deviceY / ds - m.y0) / m.yy;
    cairo_save(cr);
    cairo_set_source_surface(cr, found->second, ux, uy);
    cairo_rectangle(cr, ux, uy, pixels / pixelsPerUnit, pixels / pixelsPerUnit);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace ui
