// The vector pieces: outlines, colours, group fading, the flat glyph and the
// cached textures, checked on cairo image surfaces and a software renderer.
#include <gtest/gtest.h>

#include <cairo.h>
#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "ui/gpu.h"
#include "ui/pieces.h"

namespace {

// A cairo image surface with pixel access.
class Image {
public:
    Image(int w, int h) {
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cr_ = cairo_create(surface_);
    }
    ~Image() {
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    cairo_t* cr() { return cr_; }
    void fill(std::uint32_t rgb) {
        cairo_set_source_rgb(cr_, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
        cairo_paint(cr_);
    }
    std::uint32_t argb(double x, double y) {
        cairo_surface_flush(surface_);
        const auto* row = cairo_image_surface_get_data(surface_) +
                          static_cast<int>(y) * cairo_image_surface_get_stride(surface_);
        return reinterpret_cast<const std::uint32_t*>(row)[static_cast<int>(x)];
    }
    std::uint32_t rgb(double x, double y) { return argb(x, y) & 0xFFFFFF; }
    int alpha(double x, double y) { return static_cast<int>(argb(x, y) >> 24); }
    bool blank() {
        for (int y = 0; y < cairo_image_surface_get_height(surface_); ++y)
            for (int x = 0; x < cairo_image_surface_get_width(surface_); ++x)
                if (argb(x, y) != 0) return false;
        return true;
    }

private:
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// A software renderer drawing into a surface whose pixels the test reads.
class Canvas {
public:
    Canvas(int w, int h) {
        surface_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        renderer_ = SDL_CreateSoftwareRenderer(surface_);
        ui::gpuInit(renderer_);
        ui::gpuSetScale(1.0);
        ui::gpuBeginFrame();
        SDL_SetRenderDrawColor(renderer_, 0x80, 0x80, 0x80, 255);
        SDL_RenderClear(renderer_);
    }
    ~Canvas() {
        ui::gpuShutdown();
        SDL_DestroyRenderer(renderer_);
        SDL_FreeSurface(surface_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    std::uint32_t rgb(double x, double y) const {
        const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + static_cast<int>(y) * surface_->pitch;
        return reinterpret_cast<const std::uint32_t*>(row)[static_cast<int>(x)] & 0xFFFFFF;
    }
    bool untouched() const {
        for (int y = 0; y < surface_->h; ++y)
            for (int x = 0; x < surface_->w; ++x)
                if (rgb(x, y) != 0x808080) return false;
        return true;
    }

private:
    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
};

constexpr std::uint32_t kGrey = 0x808080;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool isCached(const std::string& key, int px) {
    bool painted = false;
    ui::gpuTexture(
        key, px, px, [](cairo_t*, void* arg) { *static_cast<bool*>(arg) = true; }, &painted);
    if (painted) ui::gpuDrop(key);
    return !painted;
}

int red(std::uint32_t rgb) { return static_cast<int>(rgb >> 16 & 0xFF); }
int blue(std::uint32_t rgb) { return static_cast<int>(rgb & 0xFF); }

}  // namespace

TEST(PieceOutlines, EachKindHasItsOwnSilhouette) {
    // Only the king, queen and bishop reach up to 0.15; every piece stands on the foot.
    const char* tall = "KQB";
    for (char kind : std::string("KQRBNP")) {
        Image img(100, 100);
        ui::paintPieceGlyph(img.cr(), kind, 50, 50, 100, 0x0000FF, 1.0);
        const bool reachesTop = std::string(tall).find(kind) != std::string::npos;
        EXPECT_EQ(img.alpha(50, 15) == 255, reachesTop) << kind;
        EXPECT_EQ(img.alpha(50, 88), 255) << kind;
        EXPECT_EQ(img.alpha(50, 96), 0) << kind;   // below the common foot line
        EXPECT_EQ(img.alpha(5, 50), 0) << kind;    // nothing at the sides
        EXPECT_EQ(img.alpha(95, 50), 0) << kind;
    }
    // A few landmarks: the knight faces left, the rook's crenels are open, the king's cross has arms.
    Image knight(100, 100);
    ui::paintPieceGlyph(knight.cr(), 'N', 50, 50, 100, 0, 1.0);
    EXPECT_EQ(knight.alpha(22, 41), 255);  // muzzle on the left
    EXPECT_EQ(knight.alpha(78, 41), 0);
    Image rook(100, 100);
    ui::paintPieceGlyph(rook.cr(), 'R', 50, 50, 100, 0, 1.0);
    EXPECT_EQ(rook.alpha(41, 25), 0);  // gap between two battlements
    EXPECT_EQ(rook.alpha(50, 25), 255);
    Image king(100, 100);
    ui::paintPieceGlyph(king.cr(), 'K', 50, 50, 100, 0, 1.0);
    EXPECT_EQ(king.alpha(40, 14), 255);  // the cross bar
    EXPECT_EQ(king.alpha(40, 22), 0);
}

TEST(PieceGlyph, FillsOneFlatColourAndIgnoresOtherLetters) {
    Image img(120, 120);
    ui::paintPieceGlyph(img.cr(), 'Q', 60, 60, 100, 0x336699, 1.0);
    // Centred at (60, 60): the box runs from 10 to 110; body and collar share one colour.
    EXPECT_EQ(img.argb(60, 10 + 65), 0xFF336699u);
    EXPECT_EQ(img.argb(60, 10 + 82), 0xFF336699u);
    EXPECT_EQ(img.alpha(60, 10 + 96), 0);

    for (char other : {'q', 'x', 'Z', '\0', '1'}) {
        Image none(120, 120);
        ui::paintPieceGlyph(none.cr(), other, 60, 60, 100, 0x336699, 1.0);
        EXPECT_TRUE(none.blank()) << int(other);
    }
    ui::paintPieceGlyph(nullptr, 'Q', 0, 0, 10, 0, 1.0);  // no context: nothing to do

    // Degenerate sizes draw nothing and leave the caller's context usable.
    Image degenerate(40, 40);
    for (double size : {0.0, -4.0, kNan, kInf}) ui::paintPieceGlyph(degenerate.cr(), 'K', 20, 20, size, 0, 1.0);
    ui::paintPieceCairo(degenerate.cr(), 'K', kNan, 0, 30, 1.0);
    ui::paintPieceCairo(degenerate.cr(), 'K', 0, 0, kInf, 1.0);
    EXPECT_TRUE(degenerate.blank());
    EXPECT_EQ(cairo_status(degenerate.cr()), CAIRO_STATUS_SUCCESS);
    ui::paintPieceGlyph(degenerate.cr(), 'K', 20, 20, 40, 0, 1.0);
    EXPECT_FALSE(degenerate.blank());
}

TEST(PiecePainting, WhiteIsLightOnDarkOutlineAndBlackTheReverse) {
    Image img(200, 100);
    img.fill(kGrey);
    ui::paintPieceCairo(img.cr(), 'P', 0, 0, 100, 1.0);
    ui::paintPieceCairo(img.cr(), 'p', 100, 0, 100, 1.0);
    const std::uint32_t whiteBody = img.rgb(50, 70);
    const std::uint32_t blackBody = img.rgb(150, 70);
    EXPECT_GT(red(whiteBody), 200);
    EXPECT_LT(blue(whiteBody), red(whiteBody));  // the warm ivory gradient
    EXPECT_LT(red(blackBody), 60);
    // The gradient darkens downwards.
    EXPECT_GT(red(img.rgb(50, 32)), red(img.rgb(50, 70)));
    // Outlines: dark around white, light around black (the head's top edge at 0.228).
    EXPECT_LT(red(img.rgb(50, 23)), 80);
    EXPECT_GT(red(img.rgb(150, 23)), 180);
    // The shadow falls right and down: darker than the background beside the foot's right end.
    EXPECT_LT(red(img.rgb(78, 93)), red(kGrey));
    EXPECT_EQ(img.rgb(50, 2), kGrey);
}

TEST(PiecePainting, KnightAndBishopGetTheirDetails) {
    Image img(200, 100);
    img.fill(kGrey);
    ui::paintPieceCairo(img.cr(), 'N', 0, 0, 100, 1.0);
    ui::paintPieceCairo(img.cr(), 'B', 100, 0, 100, 1.0);
    EXPECT_LT(red(img.rgb(35, 32)), 80) << "knight's eye";
    EXPECT_GT(red(img.rgb(42, 32)), 180) << "beside the eye";
    EXPECT_LT(red(img.rgb(100 + 51, 28)), 80) << "bishop's slit";
    EXPECT_GT(red(img.rgb(100 + 44, 28)), 180) << "beside the slit";
}

TEST(PiecePainting, HalfAlphaFadesThePieceAsOne) {
    Image full(100, 100);
    ui::paintPieceCairo(full.cr(), 'N', 0, 0, 100, 1.0);
    Image half(100, 100);
    ui::paintPieceCairo(half.cr(), 'N', 0, 0, 100, 0.5);
    int worst = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) worst = std::max(worst, std::abs(half.alpha(x, y) - full.alpha(x, y) / 2));
    // Without the group, outline over fill would be far more opaque than half.
    EXPECT_LE(worst, 1);
    EXPECT_GT(full.alpha(50, 70), 250);
}

TEST(PiecePainting, NothingForNoPieceOrTinySizes) {
    for (chess::Piece p : {'\0', 'x', 'Z', '7'}) {
        Image img(64, 64);
        ui::paintPieceCairo(img.cr(), p, 0, 0, 60, 1.0);
        EXPECT_TRUE(img.blank()) << int(p);
    }
    for (double size : {1.0, 0.5, 0.0, -20.0}) {
        Image img(64, 64);
        ui::paintPieceCairo(img.cr(), 'K', 0, 0, size, 1.0);
        EXPECT_TRUE(img.blank()) << size;
    }
    // A huge piece is clipped to the surface, not refused.
    Image img(64, 64);
    ui::paintPieceCairo(img.cr(), 'K', -5000, -5000, 10000, 1.0);
    EXPECT_FALSE(img.blank());
}

TEST(PieceTextures, OneTexturePerPieceAndDevicePixelSize) {
    Canvas canvas(200, 200);
    EXPECT_EQ(ui::pieceTextureKey('K', 62), "piece:K:62");
    EXPECT_EQ(ui::pieceTextureKey('n', 62), "piece:n:62");

    ui::drawPiece('Q', 0, 0, 60, 1.0, 0);
    EXPECT_EQ(ui::gpuCacheSize(), 1);
    EXPECT_TRUE(isCached("piece:Q:60", 60));
    ui::drawPiece('Q', 100, 100, 60, 0.5, 0.1);
    ui::drawPieceRotated('Q', 50, 50, 60, 33, 1.0);
    EXPECT_EQ(ui::gpuCacheSize(), 1) << "the same texture serves every call";

    ui::drawPiece('q', 0, 0, 60, 1.0, 0);
    EXPECT_TRUE(isCached("piece:q:60", 60));
    ui::drawPiece('Q', 0, 0, 60.3, 1.0, 0);  // rounds to the same pixel size
    EXPECT_EQ(ui::gpuCacheSize(), 2);

    // Half the size at twice the display scale is the same 60-pixel texture.
    ui::gpuSetScale(2.0);
    ui::drawPiece('Q', 0, 0, 30, 1.0, 0);
    EXPECT_EQ(ui::gpuCacheSize(), 2);
    ui::drawPiece('Q', 0, 0, 31, 1.0, 0);
    EXPECT_TRUE(isCached("piece:Q:62", 62));
}

TEST(PieceTextures, BadRequestsDrawNothingAndCacheNothing) {
    Canvas canvas(120, 120);
    for (double size : {0.0, 1.0, -3.0, 10000.0, kNan, kInf}) ui::drawPiece('K', 0, 0, size, 1.0, 0);
    ui::drawPiece('K', kNan, 0, 60, 1.0, 0);
    ui::drawPieceRotated('K', 0, kInf, 60, 0, 1.0);
    for (chess::Piece p : {'\0', 'x', '?'}) {
        ui::drawPiece(p, 0, 0, 60, 1.0, 0);
        ui::drawPieceRotated(p, 0, 0, 60, 45, 1.0);
    }
    ui::drawPieceRotated('K', 0, 0, 1.0, 45, 1.0);
    EXPECT_EQ(ui::gpuCacheSize(), 0);
    EXPECT_TRUE(canvas.untouched());
}

TEST(PieceTextures, BlitsMatchThePaintedPieceAndHonourLiftAndRotation) {
    Canvas canvas(300, 100);
    ui::drawPiece('K', 0, 20, 60, 1.0, 0);
    ui::drawPiece('K', 100, 20, 60, 1.0, 0.25);  // raised by a quarter of its size
    ui::drawPieceRotated('K', 200, 20, 60, 90, 1.0);

    // Compared where the piece is opaque: translucent edges depend on the renderer's blending.
    Image painted(60, 60);
    ui::paintPieceCairo(painted.cr(), 'K', 0, 0, 60, 1.0);
    int worst = 0;
    int opaque = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            if (painted.alpha(x, y) == 255) {
                ++opaque;
                worst = std::max(worst, std::abs(red(canvas.rgb(x, 20 + y)) - red(painted.rgb(x, y))));
            }
            // The lifted king is the same picture 15 pixels higher.
            EXPECT_EQ(canvas.rgb(100 + x, 5 + y), canvas.rgb(x, 20 + y));
        }
    EXPECT_GT(opaque, 600);
    EXPECT_LE(worst, 1) << "texture and direct painting agree";
    // Turned a quarter clockwise, the cross points right: (0.9, 0.5) of the box is covered.
    EXPECT_EQ(canvas.rgb(54, 50), kGrey);
    EXPECT_NE(canvas.rgb(254, 50), kGrey);
}
