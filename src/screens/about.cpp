// The about screen: a centred credits page with the game's name and version,
// its makers, contact links, the credits for the chess core, music and sound,
// and the way to the licences screen.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include <SDL.h>

#include "i18n.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/startup.h"
#include "ui/widgets.h"

namespace ui {

namespace {

constexpr std::uint32_t kAccent = 0x8A4B1C;
constexpr std::uint32_t kMuted = kWidgetMutedText;
constexpr std::uint32_t kBody = 0x3A2810;
constexpr std::uint32_t kRule = 0xCDB88A;

// Names and addresses are not translated.
constexpr const char* kDevelopers = "Mara Lindqvist & Jonas Feldhaus";
constexpr const char* kMaker = "Orlavan Software";
constexpr const char* kNotice = "\u00A9 2026 Orlavan Software \u00B7 MIT licence";
constexpr const char* kMail = "hallo@orlavan-software.de";
constexpr const char* kWebsiteText = "www.orlavan-software.de";
constexpr const char* kWebsite = "https://www.orlavan-software.de";
constexpr const char* kEngineText = "Zelvane Chess Core 1.0.3";
constexpr const char* kEngine = "https://www.orlavan-software.de/zelvane-core";
constexpr const char* kMusicText = "Orlavan Software \u00B7 Musik";
constexpr const char* kMusic = "https://www.orlavan-software.de/musik";
constexpr const char* kSynthText = "zelvane synth (libvorbis)";
constexpr const char* kSynth = "https://www.orlavan-software.de/zelvane-synth";

class AboutScreen : public Screen {
public:
    ~AboutScreen() override = default;
    void update(Ctx& ctx) override;
};

// Centred lines that wrap within the column they stand in.
TextStyle line(double size, std::uint32_t colour, bool bold, double width) {
    TextStyle style;
    style.size = size;
    style.color = colour;
    style.bold = bold;
    style.alpha = 1.0;
    style.align = Align::Center;
    style.minScale = 0.6;
    style.wrapWidth = width;
    return style;
}

// One column of the page: its centre, width and the size of a reference unit.
struct Column {
    double cx = 0;
    double width = 0;
    double unit = 1;

    double s(double v) const { return v * unit; }
};

void sep(Ctx& ctx, const Column& col, double y) {
    const double half = std::min(col.width - ctx.s(40), ctx.s(520)) / 2;
    drawLine(ctx.cr, col.cx - half, y, col.cx + half, y, 1.0, kRule, 0.9);
}

// Where a link would lead; the game opens nothing itself.
void openUrl(const std::string& /*target*/) {}

// A text whose first line is centred on y; lines it wraps into go below.
// Returns the height those extra lines take.
double text(Ctx& ctx, const Column& col, double y, const std::string& shown, double size, std::uint32_t colour,
            bool bold) {
    TextStyle style = line(col.s(size), colour, bold, col.width);
    double w = 0, block = 0, oneLine = 0;
    measureText(ctx.cr, shown, style, &w, &block);
    style.wrapWidth = 0;
    measureText(ctx.cr, shown, style, &w, &oneLine);
    const double extra = std::max(block - oneLine, 0.0);
    style.wrapWidth = col.width;
    drawTextCentered(ctx.cr, col.cx, y + extra / 2, shown, style);
    return extra;
}

// A clickable, underlined line centred on the column; returns the y below it.
double link(Ctx& ctx, const Column& col, double y, const std::string& shown, const std::string& target, double size) {
    TextStyle style = line(col.s(size), kAccent, false, col.width);
    double tw = 0, th = 0;
    measureText(ctx.cr, shown, style, &tw, &th);
    const Rect hit{col.cx - tw / 2, y - th / 2, tw, th};
    style.alpha = ctx.hover(hit) ? 0.8 : 1.0;
    drawTextCentered(ctx.cr, col.cx, y, shown, style);
    drawLine(ctx.cr, hit.x, hit.bottom(), hit.right(), hit.bottom(), 1.0, kAccent, style.alpha);
    const bool chosen = focusStop(ctx, hit, ctx.s(4));
    if (ctx.takeClick(hit) || chosen) openUrl(target);
    return y + th + col.s(size) / 2;
}

// The game, its makers and how to reach them; returns the y below.
double identity(Ctx& ctx, const Column& col, double y) {
    char version[64];
    std::snprintf(version, sizeof version, "v%s Build %d", kVersion, kBuildNumber);
    y += col.s(26);
    y += text(ctx, col, y, kProductName, 44, kAccent, true);
    y += col.s(42);
    y += text(ctx, col, y, version, 16, kMuted, false);
    y += col.s(36);
    sep(ctx, col, y);
    y += col.s(28);
    y += text(ctx, col, y, i18n::tr("about.developedBy"), 13, kMuted, false);
    y += col.s(24);
    y += text(ctx, col, y, kDevelopers, 22, kBody, true);
    y += col.s(26);
    y += text(ctx, col, y, kMaker, 17, kBody, true);
    y += col.s(22);
    y += text(ctx, col, y, kNotice, 14, kMuted, false);
    y += col.s(30);
    sep(ctx, col, y);
    y += col.s(26);
    y = link(ctx, col, y, kMail, std::string("mailto:") + kMail, 17);
    return link(ctx, col, y, kWebsiteText, kWebsite, 17);
}

// A credit's heading, its line and the link under it; returns the y below.
double credit(Ctx& ctx, const Column& col, double y, const char* headingKey, const char* creditKey,
              const std::string& shown, const std::string& target) {
    y += col.s(24);
    y += text(ctx, col, y, i18n::tr(headingKey), 13, kMuted, false);
    y += col.s(24);
    y += text(ctx, col, y, i18n::tr(creditKey), 15, kBody, false);
    y += col.s(22);
    return link(ctx, col, y, shown, target, 15);
}

// The credits for the chess core, the music and the sounds; returns the y below.
double credits(Ctx& ctx, const Column& col, double y) {
    y = credit(ctx, col, y, "about.engine", "about.engineCredit", kEngineText, kEngine);
    y += col.s(10);
    sep(ctx, col, y);
    y = credit(ctx, col, y, "about.musicSound", "about.musicCredit", kMusicText, kMusic);
    y += text(ctx, col, y, i18n::tr("about.sfxCredit"), 15, kBody, false);
    y += col.s(22);
    return link(ctx, col, y, kSynthText, kSynth, 15);
}

void AboutScreen::update(Ctx& ctx) {
    drawBackdrop(ctx);
    bool back = false;
    screenHeader(ctx, i18n::tr("about.headline"), &back);
    if (back || ctx.in.hasKey(SDLK_ESCAPE)) {
        Game::instance().pop();
        return;
    }
    const double headerH = ctx.s(ctx.compact() ? 52 : 60);
    // Low windows shrink the page, but never its smallest text below the floor.
    const double factor = ctx.h < 620 ? 0.62 : (ctx.compact() ? 0.78 : 1.0);
    const double unit = std::max(factor * ctx.ui, kMinTextSize / 13);

    // Wide windows put the credits beside the makers, tall ones below them.
    double bottom = 0;
    Column right;
    if (ctx.w > 1.15 * ctx.h) {
        const double half = ctx.w / 2;
        const Column left{half / 2 + ctx.s(8), half - ctx.s(24), unit};
        right = Column{half + half / 2 - ctx.s(8), half - ctx.s(24), unit};
        identity(ctx, left, headerH);
        bottom = credits(ctx, right, headerH);
    } else {
        right = Column{ctx.w / 2, ctx.w - ctx.s(48), unit};
        const double y = identity(ctx, right, headerH) + right.s(14);
        sep(ctx, right, y);
        bottom = credits(ctx, right, y);
    }

    // On short windows the button and the keys line keep clear of the bottom
    // edge, even if they then cover the last credits.
    const double buttonW = std::min(right.width - ctx.s(24), ctx.s(280));
    const Rect button{right.cx - buttonW / 2, std::min(bottom + right.s(14), ctx.h - right.s(112)), buttonW,
                      right.s(50)};
    if (plainButton(ctx, button, i18n::tr("about.licenses"), false)) {
        GameState licenses;
        licenses.kind = ScreenKind::Licenses;
        Game::instance().push(licenses);
    }
    // The keys that drive every screen, under the button.
    text(ctx, right, button.bottom() + right.s(18), i18n::tr("keys.screens"), 12, kMuted, false);
}

}  // namespace

std::unique_ptr<Screen> makeAboutScreen() { return std::make_unique<AboutScreen>(); }

}  // namespace ui
