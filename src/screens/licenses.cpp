// The licences screen: every library, font and sound the game is built with,
// one centred block per component, in a scrolling list below an introduction.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>

#include <SDL.h>

#include "i18n.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/widgets.h"

namespace ui {

namespace {

struct LicenseRow {
    const char* name;
    const char* version;  // "" when none is shown
    const char* license;
    const char* copyright;
    const char* homepage;
};

constexpr LicenseRow kLicensesCommon[] = {
    {"SDL2", "", "Zlib", "Sam Lantinga and the SDL contributors", "https://www.libsdl.org"},
    {"SDL2_mixer", "", "Zlib", "Sam Lantinga and the SDL contributors", "https://github.com/libsdl-org/SDL_mixer"},
    {"cairo", "", "LGPL-2.1 / MPL-1.1", "Carl Worth, Chris Wilson, Red Hat, Inc. and the cairo contributors",
     "https://www.cairographics.org"},
    {"Pixman", "", "MIT", "Keith Packard, Red Hat, Inc., Intel Corporation and the pixman contributors",
     "https://pixman.org"},
    {"Pango", "", "LGPL-2.1", "Red Hat Software, Owen Taylor and the GNOME Project", "https://pango.gnome.org"},
    {"GLib / GObject / GIO", "", "LGPL-2.1", "The GNOME Project and the GLib contributors",
     "https://gitlab.gnome.org/GNOME/glib"},
    {"HarfBuzz", "", "MIT", "Behdad Esfahbod, Google, Red Hat and the HarfBuzz contributors",
     "https://harfbuzz.github.io"},
    {"FreeType", "", "FTL / GPL-2", "David Turner, Robert Wilhelm, Werner Lemberg and the FreeType Project",
     "https://freetype.org"},
    {"fontconfig", "", "MIT", "Keith Packard, Red Hat, Inc. and the fontconfig contributors",
     "https://www.freedesktop.org/wiki/Software/fontconfig/"},
    {"FriBidi", "", "LGPL-2.1", "Behdad Esfahbod, Dov Grobgeld, Roozbeh Pournader and the FriBidi contributors",
     "https://github.com/fribidi/fribidi"},
    {"libpng / zlib", "", "libpng / Zlib",
     "The PNG Reference Library Authors; Jean-loup Gailly and Mark Adler", "https://www.libpng.org · https://zlib.net"},
    {"libogg / libvorbis", "", "BSD-3-Clause", "Xiph.Org Foundation", "https://xiph.org/vorbis/"},
    {"Opus / opusfile / FLAC", "", "BSD-3-Clause", "Xiph.Org Foundation, Skype Limited, Josh Coalson and contributors",
     "https://opus-codec.org · https://xiph.org/flac/"},
    {"mpg123", "", "LGPL-2.1", "Michael Hipp, Thomas Orgis and the mpg123 project", "https://www.mpg123.de"},
    {"libsodium", "", "ISC", "Frank Denis and the libsodium contributors", "https://libsodium.org"},
    {"Zelvane Chess Core", "1.0.3 (portiert)", "MIT", "Orlavan Software",
     "https://www.orlavan-software.de/zelvane-core"},
    {"DejaVu Sans", "", "Bitstream Vera", "Bitstream, Inc.; the DejaVu fonts team", "https://dejavu-fonts.github.io"},
    {"Orlavan Chess CJK (aus Noto Sans CJK)", "", "SIL OFL 1.1", "Adobe and Google",
     "https://github.com/notofonts/noto-cjk"},
    {"Musik: Only silence remains", "", "CC BY 4.0", "Orlavan Software", "https://www.orlavan-software.de/musik"},
    // Our build synthesises the effects with its own tool, so the row names that tool.
    {"Klangeffekte (synthetisiert mit zelvane synth)", "", "MIT", "Orlavan Software",
     "https://www.orlavan-software.de"},
};

// Further components of the Linux build.
constexpr LicenseRow kLicensesLinux[] = {
    {"LAME", "", "LGPL-2.0", "Mike Cheng, Mark Taylor and the LAME project", "https://lame.sourceforge.io"},
    {"libsndfile / libsamplerate", "", "LGPL-2.1 / BSD-2-Clause", "Erik de Castro Lopo and contributors",
     "https://libsndfile.github.io/libsndfile/"},
    {"FluidSynth / libinstpatch", "", "LGPL-2.1", "Peter Hanappe, Tom Moebert, Element Green and contributors",
     "https://www.fluidsynth.org"},
    {"libmodplug", "", "Public Domain", "Olivier Lapicque, Konstanty Bialkowski and contributors",
     "https://github.com/Konstanty/libmodplug"},
};

constexpr int kCommonRows = static_cast<int>(std::size(kLicensesCommon));
constexpr int kRowCount = kCommonRows + static_cast<int>(std::size(kLicensesLinux));

constexpr std::uint32_t kBodyColour = 0x3A2810;
constexpr std::uint32_t kAccentColour = 0x8A4B1C;
constexpr std::uint32_t kMutedColour = kWidgetMutedText;
constexpr std::uint32_t kRuleColour = 0xCDB88A;

const LicenseRow& rowAt(int i) { return i < kCommonRows ? kLicensesCommon[i] : kLicensesLinux[i - kCommonRows]; }

// "v<version>  ·  <licence>", or the licence alone without a version.
std::string metaLine(const LicenseRow& row) {
    std::string version = row.version;
    if (version.empty()) return row.license;
    return "v" + version + "  \u00B7  " + row.license;
}

TextStyle textStyle(double size, std::uint32_t colour) {
    TextStyle style;
    style.size = size;
    style.color = colour;
    style.alpha = 1.0;
    style.align = Align::Center;
    style.minScale = 0.6;
    return style;
}

class LicensesScreen : public Screen {
public:
    ~LicensesScreen() override = default;
    void update(Ctx& ctx) override;

private:
    void drawRow(Ctx& ctx, const LicenseRow& row, double top, bool last);

    double scroll_ = 0;
};

void LicensesScreen::update(Ctx& ctx) {
    drawBackdrop(ctx);
    bool back = false;
    screenHeader(ctx, i18n::tr("licenses.headline"), &back);
    if (back || ctx.in.hasKey(SDLK_ESCAPE)) {
        Game::instance().pop();
        return;
    }
    const double headerH = ctx.s(ctx.compact() ? 52 : 60);
    const double rowH = ctx.s(92);
    const double introH = ctx.s(50);
    const double noteH = ctx.s(64);
    const double contentH = kRowCount * rowH + introH + noteH + ctx.s(20);
    const Rect view{0, headerH, ctx.w, ctx.h - headerH};
    // The arrows, the page keys, Home and End scroll the list; applyScroll keeps it in range.
    Input& in = ctx.in;
    scroll_ += ctx.s(40) * (in.takeKey(SDLK_DOWN) - in.takeKey(SDLK_UP)) +
               (view.h - rowH) * (in.takeKey(SDLK_PAGEDOWN) - in.takeKey(SDLK_PAGEUP));
    if (in.takeKey(SDLK_HOME) > 0) scroll_ = 0;
    if (in.takeKey(SDLK_END) > 0) scroll_ = contentH;
    applyScroll(ctx, view, contentH, &scroll_);

    cairo_t* cr = ctx.cr;
    cairo_save(cr);
    cairo_rectangle(cr, view.x, view.y, view.w, view.h);
    cairo_clip(cr);

    TextStyle intro = textStyle(ctx.s(13), kMutedColour);
    intro.maxWidth = ctx.w - ctx.s(48);
    drawTextCentered(cr, ctx.w / 2, headerH + ctx.s(22) - scroll_, i18n::tr("licenses.intro"), intro);

    for (int i = 0; i < kRowCount; ++i) {
        const double top = headerH + introH + i * rowH - scroll_;
        // Rows out of sight get neither text nor a click area.
        if (top + rowH < headerH || top > headerH + view.h) continue;
        drawRow(ctx, rowAt(i), top, i == kRowCount - 1);
    }

    TextStyle note = textStyle(std::round(ctx.s(12)), kMutedColour);
    note.wrapWidth = std::min(ctx.w - ctx.s(64), ctx.s(560));
    // Pango centres wrapped lines within the wrap width but the box is centred
    // by its widest line: narrowing the wrap to that line keeps the same breaks.
    double widest = 0;
    measureText(cr, i18n::tr("licenses.noteSystem"), note, &widest, nullptr);
    note.wrapWidth = std::min(note.wrapWidth, widest + 1);
    drawTextCentered(cr, ctx.w / 2, headerH + introH + kRowCount * rowH + ctx.s(32) - scroll_,
                     i18n::tr("licenses.noteSystem"), note);

    cairo_restore(cr);
    scrollbar(ctx, view, contentH, scroll_);
}

void LicensesScreen::drawRow(Ctx& ctx, const LicenseRow& row, double top, bool last) {
    cairo_t* cr = ctx.cr;
    const double cx = ctx.w / 2;

    TextStyle name = textStyle(ctx.s(16), kBodyColour);
    name.bold = true;
    drawTextCentered(cr, cx, top + ctx.s(14), row.name, name);
    drawTextCentered(cr, cx, top + ctx.s(36), metaLine(row), textStyle(ctx.s(12), kAccentColour));
    TextStyle holders = textStyle(ctx.s(12), kMutedColour);
    holders.italic = true;
    drawTextCentered(cr, cx, top + ctx.s(55), row.copyright, holders);

    if (row.homepage[0] != '\0') {
        const TextStyle link = textStyle(ctx.s(11), kAccentColour);
        drawTextCentered(cr, cx, top + ctx.s(72), row.homepage, link);
        double tw = 0, th = 0;
        measureText(cr, row.homepage, link, &tw, &th);
        // Taken so that it cannot reach anything else; nothing is opened.
        ctx.takeClick(Rect{cx - tw / 2, top + ctx.s(66), tw, th});
    }
    if (!last) {
        drawLine(cr, cx - ctx.s(120), top + ctx.s(92) - ctx.s(6), cx + ctx.s(120), top + ctx.s(92) - ctx.s(6),
                 ctx.s(1), kRuleColour, 0.8);
    }
}

}  // namespace

std::unique_ptr<Screen> makeLicensesScreen() { return std::make_unique<LicensesScreen>(); }

}  // namespace ui
