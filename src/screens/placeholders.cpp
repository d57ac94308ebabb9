// Stand-in screens: a coloured background and the screen's name, so that the
// game starts and every stack operation can be tried before the real screens
// exist.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "ui/app.h"
#include "ui/draw.h"
#include "ui/gpu.h"

namespace ui {

namespace {

class PlaceholderScreen : public Screen {
public:
    PlaceholderScreen(std::string name, std::uint32_t background) : name_(std::move(name)), background_(background) {}

    void update(Ctx& ctx) override {
        gpuFillRect(0, 0, ctx.w, ctx.h, background_, 1.0);
        TextStyle style;
        style.size = ctx.s(40);
        style.bold = true;
        style.color = 0x2B2118;
        style.maxWidth = ctx.w * 0.9;
        style.minScale = 0.3;
        drawTextCentered(ctx.cr, ctx.w * 0.5, ctx.h * 0.5, name_, style);
    }

private:
    std::string name_;
    std::uint32_t background_;
};

std::unique_ptr<Screen> placeholder(std::string name, std::uint32_t background) {
    return std::make_unique<PlaceholderScreen>(std::move(name), background);
}

}  // namespace

// Each screen's own file replaces its stand-in here.
std::unique_ptr<Screen> makePlayingScreen(const GameState&) { return placeholder("Playing", 0xE4D6B8); }

}  // namespace ui
