#include "ui/draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include "i18n.h"
#include "platform/paths.h"

namespace ui {

namespace {

// One layout and one font description reused for every text.
struct TextCache {
    PangoLayout* layout = nullptr;
    cairo_t* owner = nullptr;
    PangoFontDescription* desc = nullptr;
    std::string family;
    double size = -1;
    bool bold = false;
    bool italic = false;
    std::string language;  // the interface language the layout's context was given

    ~TextCache() {
        if (layout) g_object_unref(layout);
        if (desc) pango_font_description_free(desc);
    }
};

TextCache& st() {
    static TextCache cache;
    return cache;
}

constexpr const char* kFontFiles[] = {
    "assets/fonts/DejaVuSans.ttf",
    "assets/fonts/DejaVuSans-Bold.ttf",
    "assets/fonts/OrlavanChessCJK.ttf",
};

void useContext(cairo_t* cr) {
    TextCache& tc = st();
    if (tc.layout && tc.owner == cr) {
        // A context can be freed and a new one made at the same address, and
        // the same context can change its transformation between texts: keep
        // the layout in step with it either way.
        pango_cairo_update_layout(cr, tc.layout);
        return;
    }
    if (tc.layout) g_object_unref(tc.layout);
    tc.layout = pango_cairo_create_layout(cr);
    tc.owner = cr;
    tc.size = -1;  // a new layout needs the description again
    tc.language.clear();
}

// Pango picks the regional forms of shared characters (Japanese kanji rather
// than Chinese ones) by the language of the text: the interface language.
void useLanguage() {
    TextCache& tc = st();
    const std::string code = i18n::currentLanguage();
    if (code == tc.language) return;
    tc.language = code;
    pango_context_set_language(pango_layout_get_context(tc.layout), pango_language_from_string(code.c_str()));
    pango_layout_context_changed(tc.layout);
}

void useFont(const TextStyle& style, double size) {
    TextCache& tc = st();
    const char* family = style.family ? style.family : "sans";
    if (tc.desc && tc.size == size && tc.family == family && tc.bold == style.bold && tc.italic == style.italic) return;
    if (tc.desc) pango_font_description_free(tc.desc);
    tc.desc = pango_font_description_new();
    pango_font_description_set_family(tc.desc, family);
    pango_font_description_set_absolute_size(tc.desc, size * PANGO_SCALE);
    pango_font_description_set_weight(tc.desc, style.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(tc.desc, style.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    tc.family = family;
    tc.size = size;
    tc.bold = style.bold;
    tc.italic = style.italic;
    pango_layout_set_font_description(tc.layout, tc.desc);
}

PangoAlignment pangoAlign(Align align) {
    switch (align) {
        case Align::Center: return PANGO_ALIGN_CENTER;
        case Align::Right: return PANGO_ALIGN_RIGHT;
        case Align::Left: break;
    }
    return PANGO_ALIGN_LEFT;
}

// Sets up the shared layout for text at the given size and returns its pixel size.
void layOut(cairo_t* cr, const std::string& text, const TextStyle& style, double size, int* w, int* h) {
    useContext(cr);
    useLanguage();
    useFont(style, size);
    PangoLayout* layout = st().layout;
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    if (style.wrapWidth > 0) {
        pango_layout_set_width(layout, static_cast<int>(style.wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout, pangoAlign(style.align));
    } else {
        pango_layout_set_width(layout, -1);
    }
    pango_layout_get_pixel_size(layout, w, h);
}

// Whether a laid-out text is still larger than its box; a pixel of rounding is allowed.
bool overflows(const TextStyle& style, int w, int h) {
    if (style.maxWidth > 0 && w > style.maxWidth + 1) return true;
    return style.wrapWidth > 0 && style.maxHeight > 0 && h > style.maxHeight + 1;
}

struct Fitted {
    int w = 0, h = 0;
    double size = 0;
    bool overflowing = false;
};

// The fitted layout: shrunk towards its box, but neither below minScale nor
// below the legibility floor.
Fitted layOutFitted(cairo_t* cr, const std::string& text, const TextStyle& style) {
    const double base = std::max(style.size, kMinTextSize);
    Fitted f;
    f.size = base;
    layOut(cr, text, style, base, &f.w, &f.h);
    if (!overflows(style, f.w, f.h) || f.w < 1) return f;
    const double lowest = std::max(style.minScale, kMinTextSize / base);
    double scale = 1.0;
    if (style.maxWidth > 0 && f.w > style.maxWidth) scale = style.maxWidth / f.w;
    // A wrapped block's area shrinks with the square of the scale.
    if (style.wrapWidth > 0 && style.maxHeight > 0 && f.h > style.maxHeight) {
        scale = std::min(scale, std::sqrt(style.maxHeight / f.h));
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        scale = std::max(scale, lowest);
        f.size = base * scale;
        layOut(cr, text, style, f.size, &f.w, &f.h);
        // Rewrapped lines and hinted glyphs can still miss by a little.
        if (!overflows(style, f.w, f.h) || scale <= lowest) break;
        scale *= 0.95;
    }
    f.overflowing = overflows(style, f.w, f.h);
    return f;
}

TextFrameStats& frameStats() {
    static TextFrameStats stats;
    return stats;
}

void countDrawn(const std::string& text, const Fitted& f) {
    TextFrameStats& stats = frameStats();
    if (stats.smallestSize == 0 || f.size < stats.smallestSize) stats.smallestSize = f.size;
    if (!f.overflowing) return;
    if (stats.overflowing == 0) stats.firstOverflow = text;
    stats.overflowing += 1;
}

void showAt(cairo_t* cr, double x, double y, const TextStyle& style) {
    setColor(cr, style.color, style.alpha);
    // A wrapped, centred or right-aligned layout starts its widest line inside
    // the wrap width; callers place the measured block, so start there.
    PangoRectangle logical;
    pango_layout_get_pixel_extents(st().layout, nullptr, &logical);
    cairo_move_to(cr, x - logical.x, y);
    pango_cairo_show_layout(cr, st().layout);
}

}  // namespace

TextStyle sansText(double size, std::uint32_t color, bool bold, Align align) {
    TextStyle style;
    style.family = "sans";
    style.size = size;
    style.bold = bold;
    style.color = color;
    style.align = align;
    style.minScale = 0.6;
    return style;
}

void setColor(cairo_t* cr, std::uint32_t rgb, double alpha) {
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

void fillRect(cairo_t* cr, const Rect& r, std::uint32_t rgb, double alpha) {
    setColor(cr, rgb, alpha);
    cairo_rectangle(cr, r.x, r.y, r.w, r.h);
    cairo_fill(cr);
}

void roundedRectPath(cairo_t* cr, const Rect& r, double radius) {
    const double rad = std::min(radius, std::min(r.w, r.h) * 0.5);
    cairo_new_sub_path(cr);
    cairo_arc(cr, r.x + r.w - rad, r.y + rad, rad, -M_PI / 2, 0);
    cairo_arc(cr, r.x + r.w - rad, r.y + r.h - rad, rad, 0, M_PI / 2);
    cairo_arc(cr, r.x + rad, r.y + r.h - rad, rad, M_PI / 2, M_PI);
    cairo_arc(cr, r.x + rad, r.y + rad, rad, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void fillRoundedRect(cairo_t* cr, const Rect& r, double radius, std::uint32_t rgb, double alpha) {
    roundedRectPath(cr, r, radius);
    setColor(cr, rgb, alpha);
    cairo_fill(cr);
}

void strokeRoundedRect(cairo_t* cr, const Rect& r, double radius, double lineWidth, std::uint32_t rgb, double alpha) {
    roundedRectPath(cr, r, radius);
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

void fillCircle(cairo_t* cr, double cx, double cy, double r, std::uint32_t rgb, double alpha) {
    setColor(cr, rgb, alpha);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
}

void strokeCircle(cairo_t* cr, double cx, double cy, double r, double lineWidth, std::uint32_t rgb, double alpha) {
    setColor(cr, rgb, alpha);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

void drawLine(cairo_t* cr, double x1, double y1, double x2, double y2, double width, std::uint32_t rgb,
              double alpha) {
    setColor(cr, rgb, alpha);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_stroke(cr);
}

void softShadowFromPath(cairo_t* cr, double dx, double dy, double blur, std::uint32_t rgb, double alpha) {
    cairo_path_t* path = cairo_copy_path(cr);
    const int n = std::max(2, static_cast<int>(blur));
    cairo_save(cr);
    cairo_translate(cr, dx, dy);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int i = n; i >= 1; --i) {
        cairo_new_path(cr);
        cairo_append_path(cr, path);
        setColor(cr, rgb, alpha / n);
        cairo_set_line_width(cr, i * 2 * blur / n);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_path_destroy(path);
}

void beginTextFrame() { frameStats() = TextFrameStats{}; }

const TextFrameStats& textFrameStats() { return frameStats(); }

void measureText(cairo_t* cr, const std::string& text, const TextStyle& style, double* w, double* h) {
    Fitted f;
    if (!text.empty()) f = layOutFitted(cr, text, style);
    if (w) *w = f.w;
    if (h) *h = f.h;
}

void drawText(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& style) {
    if (text.empty()) return;
    const Fitted f = layOutFitted(cr, text, style);
    countDrawn(text, f);
    if (style.align == Align::Center) x -= f.w / 2.0;
    if (style.align == Align::Right) x -= f.w;
    showAt(cr, x, y, style);
}

void drawTextCentered(cairo_t* cr, double cx, double cy, const std::string& text, const TextStyle& style) {
    if (text.empty()) return;
    const Fitted f = layOutFitted(cr, text, style);
    countDrawn(text, f);
    showAt(cr, cx - f.w / 2.0, cy - f.h / 2.0, style);
}

bool registerBundledFonts() {
    FcConfig* config = FcConfigGetCurrent();
    if (!config) return false;
    bool all = true;
    for (const char* rel : kFontFiles) {
        const std::string path = paths::asset(rel);
        if (!FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str()))) {
            std::fprintf(stderr, "[fonts] konnte %s nicht anmelden\n", path.c_str());
            all = false;
        }
    }
    return all;
}

}  // namespace ui
