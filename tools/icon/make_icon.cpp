// Writes the game's icon for the desktop's hicolor theme:
//   make_icon APP_ID OUT_DIR
// gives OUT_DIR/hicolor/scalable/apps/APP_ID.svg and
// OUT_DIR/hicolor/NxN/apps/APP_ID.png for every size the desktops ask for.
#include <cstdio>
#include <filesystem>
#include <string>

#include <cairo-svg.h>
#include <cairo.h>

#include "ui/app_icon.h"

namespace {

constexpr int kPngSizes[] = {16, 24, 32, 48, 64, 128, 256, 512};
constexpr double kSvgSize = 256;

bool makeDir(const std::filesystem::path& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return !ec;
}

bool writePng(const std::filesystem::path& file, int px) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, px, px);
    cairo_t* cr = cairo_create(surface);
    icon::paint(cr, px);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, file.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

bool writeSvg(const std::filesystem::path& file) {
    cairo_surface_t* surface = cairo_svg_surface_create(file.c_str(), kSvgSize, kSvgSize);
    // Plain user units: sizes in pixels, not the points cairo writes by default.
    cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_USER);
    cairo_t* cr = cairo_create(surface);
    icon::paint(cr, kSvgSize);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: make_icon APP_ID OUT_DIR\n", stderr);
        return 2;
    }
    const std::string appId = argv[1];
    const std::filesystem::path theme = std::filesystem::path(argv[2]) / "hicolor";

    const std::filesystem::path scalable = theme / "scalable" / "apps";
    if (!makeDir(scalable) || !writeSvg(scalable / (appId + ".svg"))) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", scalable.c_str());
        return 1;
    }
    for (int px : kPngSizes) {
        const std::string name = std::to_string(px) + "x" + std::to_string(px);
        const std::filesystem::path dir = theme / name / "apps";
        if (!makeDir(dir) || !writePng(dir / (appId + ".png"), px)) {
            std::fprintf(stderr, "make_icon: cannot write %s\n", dir.c_str());
            return 1;
        }
    }
    return 0;
}
