// The first screen after start-up: the animated title over the backdrop, the
// tagline and the footer. It gives way to the main menu after five seconds,
// or at once when the player clicks or presses a key.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "i18n.h"
#include "ui/app.h"
#include "ui/decor.h"
#include "ui/draw.h"
#include "ui/widgets.h"

namespace ui {
namespace {

constexpr double kShowSeconds = 5.0;
constexpr double kLetterStagger = 0.24;  // letters arrive faster than on the menu
constexpr std::uint32_t kTaglineColour = kWidgetMutedText;

class SplashScreen : public Screen {
public:
    ~SplashScreen() override = default;
    void update(Ctx& ctx) override;

private:
    bool wantsToLeave(const Ctx& ctx, double age) const;

    double start_ = -1;  // frame time of the first frame actually drawn
};

void SplashScreen::update(Ctx& ctx) {
    if (start_ < 0) start_ = ctx.t;
    const double age = ctx.t - start_;
    const double w = ctx.w;
    const double h = ctx.h;

    drawBackdrop(ctx);

    // Larger than the menu's title so that it fills the empty screen.
    const double titleSize = std::min({w / 13, h / 9, (w - ctx.s(32)) / 16 / 0.62});
    drawAnimatedTitle(ctx, w / 2, 0.36 * h, w, titleSize, kLetterStagger);

    TextStyle tagline = sansText(std::round(ctx.s(16)), kTaglineColour, false, Align::Center);
    tagline.maxWidth = w - ctx.s(48);
    drawTextCentered(ctx.cr, w / 2, h - ctx.s(80), i18n::tr("app.tagline"), tagline);

    footer(ctx, h);

    if (wantsToLeave(ctx, age)) {
        GameState menu;
        menu.kind = ScreenKind::Menu;
        Game::instance().replace(menu);
    }
}

// A completed click or any key skips the wait; merely pressing the button does not.
bool SplashScreen::wantsToLeave(const Ctx& ctx, double age) const {
    return age > kShowSeconds || ctx.in.released || !ctx.in.keys.empty();
}

}  // namespace

std::unique_ptr<Screen> makeSplashScreen() { return std::make_unique<SplashScreen>(); }

}  // namespace ui
