#include "ui/decor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include <cairo.h>

#include "theme.h"
#include "ui/draw.h"
#include "ui/gpu.h"
#include "ui/pieces.h"

namespace ui {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr const char* kDecorPieces = "KQRBNPkqrbnp";
constexpr const char* kDisplayName = "Orlavan's Chess";
constexpr std::uint32_t kTitleBrown = 0x8A4B1C;

constexpr std::uint32_t kBackdropBase = 0xF3EBDD;
constexpr std::uint32_t kTileLight = 0xE8D4A8;
constexpr std::uint32_t kTileDark = 0xD3BB89;

// Pips of a die face per value, a 3 x 3 grid read row by row.
constexpr int kLayout[7][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0},  //
    {0, 0, 0, 0, 1, 0, 0, 0, 0},  //
    {1, 0, 0, 0, 0, 0, 0, 0, 1},  //
    {1, 0, 0, 0, 1, 0, 0, 0, 1},  //
    {1, 0, 1, 0, 0, 0, 1, 0, 1},  //
    {1, 0, 1, 0, 1, 0, 1, 0, 1},  //
    {1, 0, 1, 1, 0, 1, 1, 0, 1},  //
};

// Timeline of one letter of the animated title, in seconds of its local time.
constexpr double kFlyInEnd = 0.4;
constexpr double kHopEnd = 0.68;  // the letter appears here
constexpr double kFlyOutEnd = 1.06;
constexpr double kGrowIn = 0.22;
constexpr double kHold = 3.0;
constexpr double kFadeOut = 0.45;
constexpr double kPause = 0.8;
constexpr double kDefaultStagger = 0.6;
// A title letter's picture: a square this many times the font size, roomy
// enough for any letter of the name with its ink.
constexpr double kLetterPictureSide = 1.6;

// Die pictures: room for the shadow on every side (a fraction of the face),
// the size step shared by a rolling die, and bounds on size and count.
constexpr double kDieShadowRoom = 0.12;
constexpr int kRollingDieStep = 8;
constexpr double kMaxDiePixels = 2048;
constexpr std::size_t kMaxDiePictures = 48;

struct TileArgs {
    double px;
};

// A two-by-two checker filling the tile.
void paintTile(cairo_t* cr, void* arg) {
    const double side = static_cast<const TileArgs*>(arg)->px;
    const double half = side / 2;
    fillRect(cr, Rect{0, 0, side, side}, kTileLight, 1.0);
    fillRect(cr, Rect{0, 0, half, half}, kTileDark, 1.0);
    fillRect(cr, Rect{half, half, half, half}, kTileDark, 1.0);
}

void drawBackdropTiles(const Ctx& ctx) {
    const double tile = ctx.s(72);
    const double scale = gpuScale();
    const int pixels = std::max(static_cast<int>(std::lround(tile * scale)), 8);
    TileArgs args{pixels / scale};
    SDL_Texture* tex = gpuTexture("backdrop:tile:" + std::to_string(pixels), pixels, pixels, paintTile, &args);
    if (!tex || tile <= 0) return;
    const double startX = -tile - std::fmod(ctx.s(12) * ctx.t, tile);
    for (double y = -tile; y < ctx.h + tile; y += tile)
        for (double x = startX; x < ctx.w + tile; x += tile) gpuBlit(tex, x, y, tile, tile, 0.45);
}

void drawDriftingPieces(const Ctx& ctx) {
    const double range = std::max(ctx.h - ctx.s(200), 40.0);
    for (int i = 0; i < 6; ++i) {
        const double size = ctx.s(28 + 10 * i - 30 * (i / 3));
        const double speed = ctx.s(60 + 20 * (i % 4));
        if (speed <= 0) return;
        const double y = ctx.s(40) + std::fmod(1234.0 * i, range);
        const double phase = std::fmod(ctx.t + 1.4 * i, (size + ctx.w + ctx.s(100)) / speed);
        const double x = size + ctx.w - speed * phase;
        drawPieceRotated(kDecorPieces[i], x, y, size, std::fmod(180 * phase, 360), 0.55);
    }
}

struct TitleTiming {
    double stagger;
    double allPlaced;  // the last letter's piece is gone
    double holdEnd;
    double cycle;
};

TitleTiming titleTiming(double stagger, int letters) {
    TitleTiming t{};
    t.stagger = stagger > 0 ? stagger : kDefaultStagger;
    t.allPlaced = (letters - 1) * t.stagger + kFlyOutEnd;
    t.holdEnd = t.allPlaced + kHold;
    t.cycle = t.holdEnd + kPause;
    return t;
}

// The piece carrying letter i: where it is and how opaque, or nothing.
struct CarrierPose {
    bool visible = false;
    double dx = 0, dy = 0, alpha = 1;
};

CarrierPose carrierPose(const Ctx& ctx, double local, double rel, double width) {
    CarrierPose pose;
    if (local >= 0 && local < kFlyInEnd) {
        const double e = std::pow(1 - local / kFlyInEnd, 3);
        pose.visible = true;
        pose.dx = e * (width - rel + ctx.s(80));
    } else if (local >= kFlyInEnd && local < kHopEnd) {
        pose.visible = true;
        pose.dy = -ctx.s(4) * std::sin(kPi * (local - kFlyInEnd) / (kHopEnd - kFlyInEnd));
    } else if (local >= kHopEnd && local < kFlyOutEnd) {
        const double q = std::pow((local - kHopEnd) / (kFlyOutEnd - kHopEnd), 2);
        pose.alpha = 1 - 0.4 * q;
        pose.dx = -q * (ctx.s(120) + rel);
        pose.visible = pose.alpha > 0.01;
    }
    return pose;
}

struct LetterPose {
    double alpha = 0, scale = 1, dy = 0;
};

LetterPose letterPose(const Ctx& ctx, const TitleTiming& tt, double cycleTime, double local, int i) {
    LetterPose pose;
    if (local < kHopEnd) return pose;
    if (cycleTime < tt.holdEnd) {
        const double p = (local - kHopEnd) / kGrowIn;
        if (p < 1) {
            pose.alpha = 1 - (1 - p) * (1 - p);
            pose.scale = 0.7 + 0.3 * pose.alpha;
        } else {
            pose.alpha = 1;
            pose.scale = 1;
        }
        if (cycleTime >= tt.allPlaced) {
            const double s = std::sin(2.6 * (cycleTime - tt.allPlaced) + 0.35 * i);
            pose.scale += 0.05 * s;
            pose.dy = -ctx.s(2) * s;
        }
        return pose;
    }
    const double u = (cycleTime - tt.holdEnd) / kFadeOut;
    if (u < 1) {
        pose.alpha = 1 - u * u;
        pose.scale = 1 - 0.2 * u * u;
    }
    return pose;
}

// A title letter is painted once per colour and size and then only scaled and
// faded: text laid out at a new scale every frame would make the font
// machinery keep a new font for each.
struct LetterArgs {
    char letter;
    std::uint32_t colour;
    double size;
    double side;  // of the square picture, in window units
};

void paintLetter(cairo_t* cr, void* arg) {
    const auto* a = static_cast<const LetterArgs*>(arg);
    TextStyle style;
    style.family = "sans";
    style.size = a->size;
    style.bold = true;
    style.color = a->colour;
    style.align = Align::Center;
    drawTextCentered(cr, a->side / 2, a->side / 2, std::string(1, a->letter), style);
}

// The letter centred on (cx, cy), scaled by scale about that point.
void drawTitleLetter(char letter, std::uint32_t colour, double size, double cx, double cy, double scale,
                     double alpha) {
    const double pixelScale = gpuScale();
    const int px = std::max(1, static_cast<int>(std::lround(kLetterPictureSide * size * pixelScale)));
    LetterArgs args{letter, colour, size, px / pixelScale};
    char key[64];
    std::snprintf(key, sizeof key, "title:letter:%c:%06X:%d", letter, colour, px);
    SDL_Texture* tex = gpuTexture(key, px, px, paintLetter, &args);
    const double side = args.side * scale;
    gpuBlit(tex, cx - side / 2, cy - side / 2, side, side, alpha);
}

struct DieFace {
    int value;  // 1..6
    std::uint32_t body, pip;
};

// The face centred on the origin, with its soft shadow.
void paintDieFace(cairo_t* cr, const DieFace& face, double side) {
    const Rect square{-side / 2, -side / 2, side, side};
    cairo_new_path(cr);
    roundedRectPath(cr, square, 0.18 * side);
    softShadowFromPath(cr, 0.03 * side, 0.05 * side, 0.06 * side, 0x000000, 0.28);
    setColor(cr, face.body, 1.0);
    cairo_fill_preserve(cr);
    setColor(cr, theme::darken(face.body, 0.35), 0.8);
    cairo_set_line_width(cr, std::max(0.045 * side, 1.0));
    cairo_stroke(cr);

    for (int cell = 0; cell < 9; ++cell) {
        if (!kLayout[face.value][cell]) continue;
        const int col = cell % 3;
        const int row = cell / 3;
        fillCircle(cr, (col - 1) * 0.26 * side, (row - 1) * 0.26 * side, 0.075 * side, face.pip, 1.0);
    }
}

// Device pixels per unit of a context that is only scaled alike on both axes
// and rotated; 0 for anything else.
double plainPixelsPerUnit(cairo_t* cr) {
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    double dx = 1.0, dy = 1.0;
    cairo_surface_get_device_scale(cairo_get_target(cr), &dx, &dy);
    const double sx = std::hypot(m.xx, m.yx);
    const double sy = std::hypot(m.xy, m.yy);
    if (dx != dy || std::abs(sx - sy) > 1e-9 * sx || std::abs(m.xx * m.xy + m.yx * m.yy) > 1e-9 * sx * sy) return 0;
    return sx * dx;
}

// Pictures of die faces with their shadows, painted once: the shadow alone
// is a dozen wide strokes, and the dice roll for a second and a half.
struct DiePictures {
    std::map<std::string, cairo_surface_t*> pictures;
    ~DiePictures() { clear(); }
    void clear() {
        for (auto& [key, surface] : pictures) cairo_surface_destroy(surface);
        pictures.clear();
    }
};

DiePictures& diePictures() {
    static DiePictures cache;
    return cache;
}

// The face of `pixels` device pixels with room for its shadow all round.
cairo_surface_t* diePicture(const DieFace& face, int pixels, double pixelsPerUnit) {
    char key[96];
    std::snprintf(key, sizeof key, "%d:%06X:%06X:%d:%.4f", face.value, face.body, face.pip, pixels, pixelsPerUnit);
    DiePictures& cache = diePictures();
    if (auto found = cache.pictures.find(key); found != cache.pictures.end()) return found->second;
    if (cache.pictures.size() >= kMaxDiePictures) cache.clear();
    const int margin = static_cast<int>(std::ceil(kDieShadowRoom * pixels));
    const int total = pixels + 2 * margin;
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, total, total);
    if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(picture);
        return nullptr;
    }
    cairo_surface_set_device_scale(picture, pixelsPerUnit, pixelsPerUnit);
    cairo_t* pc = cairo_create(picture);
    cairo_translate(pc, total / 2.0 / pixelsPerUnit, total / 2.0 / pixelsPerUnit);
    paintDieFace(pc, face, pixels / pixelsPerUnit);
    cairo_destroy(pc);
    cache.pictures.emplace(key, picture);
    return picture;
}

// Shows the face centred on the origin of cr. A still die gets a picture of
// its own size, copied pixel for pixel; a rolling one, whose size swells and
// shrinks, shares pictures in steps of a few pixels and is scaled to fit.
void showDiePicture(cairo_t* cr, const DieFace& face, double side, double pixelsPerUnit, bool still) {
    const double exact = side * pixelsPerUnit;
    const int pixels = still ? std::max(1, static_cast<int>(std::lround(exact)))
                             : kRollingDieStep * static_cast<int>(std::ceil(exact / kRollingDieStep));
    cairo_surface_t* picture = diePicture(face, pixels, pixelsPerUnit);
    if (!picture) {
        paintDieFace(cr, face, side);
        return;
    }
    const double total = cairo_image_surface_get_width(picture) / pixelsPerUnit;
    if (still) {
        // Put the picture's corner on a whole device pixel.
        double x = -total / 2, y = -total / 2;
        cairo_user_to_device(cr, &x, &y);
        x = std::round(x);
        y = std::round(y);
        cairo_device_to_user(cr, &x, &y);
        cairo_set_source_surface(cr, picture, x, y);
    } else {
        const double k = exact / pixels;
        cairo_scale(cr, k, k);
        cairo_set_source_surface(cr, picture, -total / 2, -total / 2);
    }
    cairo_paint(cr);
}

}  // namespace

void drawBackdrop(Ctx& ctx) {
    gpuFillRect(0, 0, ctx.w, ctx.h, kBackdropBase, 1.0);
    drawBackdropTiles(ctx);
    drawDriftingPieces(ctx);
    // The veil mutes pattern and pieces so that the screen's content stands out.
    gpuFillRect(0, 0, ctx.w, ctx.h, kBackdropBase, 0.55);
}

double animatedTitleCycle(double stagger) {
    return titleTiming(stagger, static_cast<int>(std::strlen(kDisplayName))).cycle;
}

void drawAnimatedTitle(Ctx& ctx, double cx, double top, double width, double size, double stagger) {
    const int n = static_cast<int>(std::strlen(kDisplayName));
    const TitleTiming tt = titleTiming(stagger, n);
    const double letterSize = std::round(size);
    const double cellW = 0.62 * letterSize;
    const double cellH = 1.1 * letterSize;
    const double x0 = cx - n * cellW / 2;
    const double areaLeft = cx - width / 2;
    const double cycleTime = std::fmod(std::max(ctx.t, 0.0), tt.cycle);

    // Pieces first, so that the letters they turn into sit on top.
    const double pieceSize = 0.95 * cellH;
    for (int i = 0; i < n; ++i) {
        const double cellX = x0 + i * cellW;
        const CarrierPose pose = carrierPose(ctx, cycleTime - i * tt.stagger, cellX - areaLeft, width);
        if (!pose.visible) continue;
        drawPiece(kDecorPieces[(3 * i + 1) % 12], cellX + pose.dx + (cellW - pieceSize) / 2,
                  top + pose.dy + 0.025 * cellH, pieceSize, pose.alpha, 0);
    }

    if (letterSize <= 0) return;
    const std::vector<std::uint32_t>& colours = theme::titleColors();
    for (int i = 0; i < n; ++i) {
        const LetterPose pose = letterPose(ctx, tt, cycleTime, cycleTime - i * tt.stagger, i);
        if (pose.alpha <= 0.01 || kDisplayName[i] == ' ') continue;
        const std::uint32_t colour = colours.empty() ? kTitleBrown : colours[i % colours.size()];
        drawTitleLetter(kDisplayName[i], colour, letterSize, x0 + (i + 0.5) * cellW,
                        top + 0.55 * letterSize + pose.dy, pose.scale, pose.alpha);
    }
}

void drawPlainTitle(Ctx& ctx, double cx, double y, const std::string& text, double size) {
    if (!ctx.cr) return;
    TextStyle style;
    style.family = "sans";
    style.size = std::round(size);
    style.bold = true;
    style.color = kTitleBrown;
    style.alpha = 1.0;
    style.align = Align::Center;
    style.maxWidth = ctx.w - ctx.s(48);
    style.minScale = 0.6;
    drawTextCentered(ctx.cr, cx, y + 0.6 * style.size, text, style);
}

void drawDie(cairo_t* cr, const Rect& r, int value, double angle, std::uint32_t bodyRgb, std::uint32_t pipRgb) {
    const double side = std::min(r.w, r.h);
    if (!cr || !(side > 0) || !std::isfinite(side)) return;
    const DieFace face{std::clamp(value, 1, 6), bodyRgb, pipRgb};
    cairo_save(cr);
    cairo_translate(cr, r.cx(), r.cy());
    cairo_rotate(cr, angle);
    const double pixelsPerUnit = plainPixelsPerUnit(cr);
    if (pixelsPerUnit > 0 && side * pixelsPerUnit <= kMaxDiePixels) {
        showDiePicture(cr, face, side, pixelsPerUnit, angle == 0);
    } else {
        paintDieFace(cr, face, side);
    }
    cairo_restore(cr);
}

}  // namespace ui
