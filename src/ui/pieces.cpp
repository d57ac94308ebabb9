#include "ui/pieces.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "ui/draw.h"
#include "ui/gpu.h"

namespace ui {

namespace {

constexpr double kPi = 3.14159265358979323846;
// No screen shows a piece this large; a bigger request would only allocate
// hundreds of megabytes for a texture nobody can see whole.
constexpr long kMaxTexturePx = 4096;

struct Pt {
    double x, y;
};

struct PaintArgs {
    chess::Piece piece;
    double size;
};

struct SideColors {
    double top[3];
    double bottom[3];
    std::uint32_t line;
};

constexpr SideColors kWhiteColors{{1.0, 1.0, 1.0}, {0.79, 0.77, 0.72}, 0x1A1A1A};
constexpr SideColors kBlackColors{{0.33, 0.33, 0.34}, {0.05, 0.05, 0.05}, 0xFAFAFA};

// ---- outline building blocks, all in the unit square ------------------------

void rrect(cairo_t* cr, double x0, double y0, double x1, double y1, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x1 - r, y0 + r, r, -kPi / 2, 0);
    cairo_arc(cr, x1 - r, y1 - r, r, 0, kPi / 2);
    cairo_arc(cr, x0 + r, y1 - r, r, kPi / 2, kPi);
    cairo_arc(cr, x0 + r, y0 + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void polygon(cairo_t* cr, const Pt* points, int n) {
    cairo_move_to(cr, points[0].x, points[0].y);
    for (int i = 1; i < n; ++i) cairo_line_to(cr, points[i].x, points[i].y);
    cairo_close_path(cr);
}

void circle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    cairo_close_path(cr);
}

void footAndCollar(cairo_t* cr, double footInset, double collarInset) {
    rrect(cr, footInset, 0.845, 1 - footInset, 0.925, 0.03);
    rrect(cr, collarInset, 0.788, 1 - collarInset, 0.85, 0.022);
}

void crownPath(cairo_t* cr, int spikes, double x0, double x1, double topY, double valleyY) {
    const double base = 0.462;
    const double w = x1 - x0;
    cairo_move_to(cr, x0, base);
    for (int i = 0; i < spikes; ++i) {
        cairo_line_to(cr, x0 + i * w / spikes, valleyY);
        cairo_line_to(cr, x0 + (i + 0.5) * w / spikes, topY);
    }
    cairo_line_to(cr, x1, valleyY);
    cairo_line_to(cr, x1, base);
    cairo_close_path(cr);
}

// Queen and king share the body and the ring under the crown.
void royalBody(cairo_t* cr) {
    const Pt body[] = {{0.312, 0.792}, {0.688, 0.792}, {0.622, 0.5}, {0.378, 0.5}};
    polygon(cr, body, 4);
    rrect(cr, 0.322, 0.452, 0.678, 0.516, 0.026);
}

void pawnPath(cairo_t* cr) {
    footAndCollar(cr, 0.255, 0.32);
    cairo_move_to(cr, 0.365, 0.792);
    cairo_curve_to(cr, 0.392, 0.7, 0.41, 0.61, 0.415, 0.54);
    cairo_line_to(cr, 0.585, 0.54);
    cairo_curve_to(cr, 0.59, 0.61, 0.608, 0.7, 0.635, 0.792);
    cairo_close_path(cr);
    rrect(cr, 0.352, 0.492, 0.648, 0.556, 0.026);
    circle(cr, 0.5, 0.36, 0.132);
}

void knightPath(cairo_t* cr) {
    footAndCollar(cr, 0.215, 0.278);
    const Pt head[] = {{0.32, 0.792},  {0.312, 0.66},  {0.258, 0.556}, {0.206, 0.47},
                       {0.186, 0.396}, {0.238, 0.352}, {0.312, 0.312}, {0.372, 0.238},
                       {0.432, 0.128}, {0.472, 0.062}, {0.52, 0.176},  {0.566, 0.086},
                       {0.628, 0.23},  {0.69, 0.404},  {0.716, 0.582}, {0.706, 0.792}};
    polygon(cr, head, 16);
}

void bishopPath(cairo_t* cr) {
    footAndCollar(cr, 0.235, 0.298);
    cairo_move_to(cr, 0.345, 0.792);
    cairo_curve_to(cr, 0.386, 0.69, 0.41, 0.58, 0.418, 0.505);
    cairo_line_to(cr, 0.582, 0.505);
    cairo_curve_to(cr, 0.59, 0.58, 0.614, 0.69, 0.655, 0.792);
    cairo_close_path(cr);
    rrect(cr, 0.352, 0.452, 0.648, 0.516, 0.026);
    cairo_move_to(cr, 0.5, 0.148);
    cairo_curve_to(cr, 0.64, 0.23, 0.67, 0.36, 0.634, 0.452);
    cairo_line_to(cr, 0.366, 0.452);
    cairo_curve_to(cr, 0.33, 0.36, 0.36, 0.23, 0.5, 0.148);
    cairo_close_path(cr);
    circle(cr, 0.5, 0.118, 0.052);
}

void rookPath(cairo_t* cr) {
    footAndCollar(cr, 0.215, 0.275);
    const Pt body[] = {{0.33, 0.792}, {0.67, 0.792}, {0.632, 0.44}, {0.368, 0.44}};
    polygon(cr, body, 4);
    rrect(cr, 0.272, 0.336, 0.728, 0.452, 0.022);
    rrect(cr, 0.272, 0.212, 0.382, 0.348, 0.018);
    rrect(cr, 0.445, 0.212, 0.555, 0.348, 0.018);
    rrect(cr, 0.618, 0.212, 0.728, 0.348, 0.018);
}

void queenPath(cairo_t* cr) {
    footAndCollar(cr, 0.195, 0.262);
    royalBody(cr);
    crownPath(cr, 5, 0.262, 0.738, 0.17, 0.318);
    for (int i = 0; i < 5; ++i) circle(cr, 0.262 + (i + 0.5) * 0.476 / 5, 0.15, 0.048);
}

void kingPath(cairo_t* cr) {
    footAndCollar(cr, 0.195, 0.262);
    royalBody(cr);
    crownPath(cr, 3, 0.276, 0.724, 0.246, 0.352);
    rrect(cr, 0.462, 0.04, 0.538, 0.268, 0.018);
    rrect(cr, 0.382, 0.108, 0.618, 0.18, 0.018);
}

// Adds the outline of an upper-case kind; any other letter adds nothing.
// Returns whether anything was added.
bool pathFor(cairo_t* cr, char kind) {
    switch (kind) {
        case 'P': pawnPath(cr); return true;
        case 'N': knightPath(cr); return true;
        case 'B': bishopPath(cr); return true;
        case 'R': rookPath(cr); return true;
        case 'Q': queenPath(cr); return true;
        case 'K': kingPath(cr); return true;
        default: return false;
    }
}

bool finite(double a, double b, double c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

bool isPieceLetter(chess::Piece p) {
    return p != 0 && std::string_view("KQRBNPkqrbnp").find(p) != std::string_view::npos;
}

char kindOf(chess::Piece p) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(p)));
}

void strokeDetail(cairo_t* cr, double x1, double y1, double x2, double y2, double size) {
    cairo_move_to(cr, x1 * size, y1 * size);
    cairo_line_to(cr, x2 * size, y2 * size);
    cairo_stroke(cr);
}

void knightDetails(cairo_t* cr, std::uint32_t line, double size) {
    setColor(cr, line, 0.9);
    cairo_new_path(cr);
    cairo_arc(cr, 0.352 * size, 0.318 * size, 0.036 * size, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_set_line_width(cr, std::max(0.022 * size, 1.0));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    strokeDetail(cr, 0.214, 0.404, 0.252, 0.396, size);
    strokeDetail(cr, 0.596, 0.286, 0.652, 0.352, size);
    strokeDetail(cr, 0.636, 0.42, 0.69, 0.47, size);
}

void bishopDetails(cairo_t* cr, std::uint32_t line, double size) {
    setColor(cr, line, 0.85);
    cairo_new_path(cr);
    cairo_set_line_width(cr, std::max(0.032 * size, 1.0));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    strokeDetail(cr, 0.56, 0.226, 0.472, 0.336, size);
}

// Paints the piece with its box's top-left at the current origin.
void paintPieceInto(cairo_t* cr, chess::Piece p, double size) {
    const bool white = std::isupper(static_cast<unsigned char>(p)) != 0;
    const char kind = kindOf(p);
    const SideColors& colors = white ? kWhiteColors : kBlackColors;

    cairo_new_path(cr);
    cairo_save(cr);
    cairo_scale(cr, size, size);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    const bool known = pathFor(cr, kind);
    cairo_restore(cr);
    if (!known) return;
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);

    softShadowFromPath(cr, 0.02 * size, 0.03 * size, 0.05 * size, 0x000000, 0.3);

    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0.05 * size, 0, 0.95 * size);
    cairo_pattern_add_color_stop_rgb(gradient, 0, colors.top[0], colors.top[1], colors.top[2]);
    cairo_pattern_add_color_stop_rgb(gradient, 1, colors.bottom[0], colors.bottom[1], colors.bottom[2]);
    cairo_set_source(cr, gradient);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gradient);

    // At least a pixel wide on playing boards. On small pieces (mini boards,
    // under 30 px) a full-strength pixel of outline would swamp the body, so
    // that a black piece read as white; there it fades with the size.
    setColor(cr, colors.line, 0.92 * std::min(1.0, size / 30.0));
    cairo_set_line_width(cr, std::max(0.03 * size, 1.0));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);

    if (kind == 'N') knightDetails(cr, colors.line, size);
    if (kind == 'B') bishopDetails(cr, colors.line, size);
}

void paintTexture(cairo_t* cr, void* arg) {
    const auto* args = static_cast<const PaintArgs*>(arg);
    paintPieceInto(cr, args->piece, args->size);
}

// The cached texture of the piece at its device pixel size, or null.
SDL_Texture* textureFor(chess::Piece p, double size) {
    if (!isPieceLetter(p) || !(size > 1.0) || !std::isfinite(size)) return nullptr;
    const double scale = gpuScale();
    const long px = std::lround(scale * size);
    if (px < 1 || px > kMaxTexturePx) return nullptr;
    PaintArgs args{p, static_cast<double>(px) / scale};
    return gpuTexture(pieceTextureKey(p, static_cast<int>(px)), static_cast<int>(px),
                      static_cast<int>(px), paintTexture, &args);
}

}  // namespace

std::string pieceTextureKey(chess::Piece p, int px) {
    std::string key = "piece:";
    key += p;
    key += ':';
    key += std::to_string(px);
    return key;
}

void paintPieceCairo(cairo_t* cr, chess::Piece p, double x, double y, double size, double alpha) {
    // A zero or non-finite transform would leave the caller's context in an error state.
    if (cr == nullptr || !isPieceLetter(p) || !(size > 1.0) || !finite(x, y, size)) return;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    if (alpha < 1.0) {
        // One group, so shadow, fill and outline fade together without seams.
        // Clipped to the piece and its shadow first: a group is as large as
        // the clip, and an unclipped one would be the whole window each time.
        const double margin = 0.5 * size;
        cairo_rectangle(cr, -margin, -margin, size + 2 * margin, size + 2 * margin);
        cairo_clip(cr);
        cairo_push_group(cr);
        paintPieceInto(cr, p, size);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, std::max(alpha, 0.0));
    } else {
        paintPieceInto(cr, p, size);
    }
    cairo_restore(cr);
}

void paintPieceGlyph(cairo_t* cr, char kind, double cx, double cy, double size, std::uint32_t color,
                     double alpha) {
    if (cr == nullptr || kind == 0 || !(size > 0) || !finite(cx, cy, size)) return;
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, cx - size / 2, cy - size / 2);
    cairo_scale(cr, size, size);
    const bool known = pathFor(cr, kind);
    cairo_restore(cr);
    if (!known) return;
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    setColor(cr, color, alpha);
    cairo_fill(cr);
    cairo_restore(cr);
}

void drawPiece(chess::Piece p, double x, double y, double size, double alpha, double lift) {
    if (!finite(x, y, lift)) return;
    SDL_Texture* tex = textureFor(p, size);
    if (tex == nullptr) return;
    gpuBlit(tex, x, y - lift * size, size, size, alpha);
}

void drawPieceRotated(chess::Piece p, double x, double y, double size, double angleDeg, double alpha) {
    if (!finite(x, y, angleDeg)) return;
    SDL_Texture* tex = textureFor(p, size);
    if (tex == nullptr) return;
    gpuBlitRotated(tex, x + size / 2, y + size / 2, size, size, angleDeg, alpha);
}

}  // namespace ui
