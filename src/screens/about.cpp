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
constexpr std::uint32_t kMuted = 0x8A7456;
constexpr std::uint32_t kBody = 0x3A2810;
constexpr std::uint32_t kRule = 0xCDB88A;

// Names and addresses are not translated.
constexpr const char* kDevelopers = "Mara Lindqvist & Jonas Feldhaus";
constexpr const char* kMaker = "Orlavan Software";
constexpr const char* kNotice = "\u00A9 2025 Orlavan Software. All rights reserved.";
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

TextStyle line(double size, std::uint32_t colour, bool bold) {
    TextStyle style;
    style.size = size;
    style.color = colour;
    style.bold = bold;
    style.alpha = 1.0;
    style.align = Align::Center;
    style.minScale = 0.6;
    return style;
}

void sep(Ctx& ctx, double y) {
    const double half = std::min(ctx.w - ctx.s(80), ctx.s(520)) / 2;
    drawLine(ctx.cr, ctx.w / 2 - half, y, ctx.w / 2 + half, y, 1.0, kRule, 0.9);
}

// Where a link would lead; the game opens nothing itself.
void openUrl(const std::string& /*target*/) {}

// A clickable, underlined line centred on cx; returns the y below it.
double link(Ctx& ctx, double cx, double y, const std::string& text, const std::string& target, double size) {
    TextStyle style = line(size, kAccent, false);
    double tw = 0, th = 0;
    measureText(ctx.cr, text, style, &tw, &th);
    const Rect hit{cx - tw / 2, y - th / 2, tw, th};
    style.alpha = ctx.hover(hit) ? 0.8 : 1.0;
    drawTextCentered(ctx.cr, cx, y, text, style);
    drawLine(ctx.cr, hit.x, hit.bottom(), hit.right(), hit.bottom(), 1.0, kAccent, style.alpha);
    const bool chosen = focusStop(ctx, hit, ctx.s(4));
    if (ctx.takeClick(hit) || chosen) openUrl(target);
    return y + th + size / 2;
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
    // Low windows shrink the whole column (the height is not scaled here).
    const double factor = ctx.h < 620 ? 0.62 : (ctx.compact() ? 0.78 : 1.0);
    auto s = [&](double v) { return v * factor * ctx.ui; };
    const double cx = ctx.w / 2;
    cairo_t* cr = ctx.cr;

    double y = headerH + s(26);
    drawTextCentered(cr, cx, y, kProductName, line(s(44), kAccent, true));
    char version[64];
    std::snprintf(version, sizeof version, "v%s Build %d", kVersion, kBuildNumber);
    y += s(42);
    drawTextCentered(cr, cx, y, version, line(s(16), kMuted, false));
    y += s(36);
    sep(ctx, y);

    y += s(28);
    drawTextCentered(cr, cx, y, i18n::tr("about.developedBy"), line(s(13), kMuted, false));
    y += s(24);
    drawTextCentered(cr, cx, y, kDevelopers, line(s(22), kBody, true));
    y += s(26);
    drawTextCentered(cr, cx, y, kMaker, line(s(17), kBody, true));
    y += s(22);
    drawTextCentered(cr, cx, y, kNotice, line(s(14), kMuted, false));
    y += s(30);
    sep(ctx, y);

    y += s(26);
    y = link(ctx, cx, y, kMail, std::string("mailto:") + kMail, s(17));
    y = link(ctx, cx, y, kWebsiteText, kWebsite, s(17));
    y += s(14);
    sep(ctx, y);

    y += s(24);
    drawTextCentered(cr, cx, y, i18n::tr("about.engine"), line(s(13), kMuted, false));
    y += s(24);
    drawTextCentered(cr, cx, y, i18n::tr("about.engineCredit"), line(s(15), kBody, false));
    y += s(22);
    y = link(ctx, cx, y, kEngineText, kEngine, s(15));
    y += s(10);
    sep(ctx, y);

    y += s(24);
    drawTextCentered(cr, cx, y, i18n::tr("about.musicSound"), line(s(13), kMuted, false));
    y += s(24);
    drawTextCentered(cr, cx, y, i18n::tr("about.musicCredit"), line(s(15), kBody, false));
    y += s(22);
    y = link(ctx, cx, y, kMusicText, kMusic, s(15));
    drawTextCentered(cr, cx, y, i18n::tr("about.sfxCredit"), line(s(15), kBody, false));
    y += s(22);
    y = link(ctx, cx, y, kSynthText, kSynth, s(15));

    // On short windows the button keeps clear of the bottom edge, even if it
    // then covers the last credits.
    const double buttonW = std::min(ctx.w - ctx.s(64), ctx.s(280));
    const Rect button{cx - buttonW / 2, std::min(y + s(14), ctx.h - s(78)), buttonW, s(50)};
    if (plainButton(ctx, button, i18n::tr("about.licenses"), false)) {
        GameState licenses;
        licenses.kind = ScreenKind::Licenses;
        Game::instance().push(licenses);
    }
    // The keys that drive every screen, under the button, never too small to read.
    TextStyle keys = line(std::max(s(11), 9.0), kMuted, false);
    keys.maxWidth = ctx.w - ctx.s(32);
    drawTextCentered(cr, cx, std::min(button.bottom() + s(16), ctx.h - s(13)), i18n::tr("keys.screens"), keys);
}

}  // namespace

std::unique_ptr<Screen> makeAboutScreen() { return std::make_unique<AboutScreen>(); }

}  // namespace ui
