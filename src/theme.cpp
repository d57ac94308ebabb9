#include "theme.h"

#include <algorithm>
#include <cmath>

namespace theme {
namespace {

struct State {
    // The board gets darker and richer as the player climbs.
    std::vector<BoardTheme> boards = {
        {"pine", "boards.pine", 0xf1e3c3, 0xc8a36b, 0x8a6a3a, 0x5a4520,
         {0xffeb78, 0.55}, {0xffc850, 0.65}, {0x3c2814, 0.45}, {0xdc2828, 0.85}},
        {"olive", "boards.olive", 0xeedcb1, 0x8a8a3c, 0x54541c, 0x322f10,
         {0xffee8c, 0.55}, {0xffd25a, 0.7}, {0x14140a, 0.5}, {0xdc2828, 0.85}},
        {"walnut", "boards.walnut", 0xe9d2a5, 0x7a4a22, 0x3d2310, 0x241608,
         {0xffe078, 0.55}, {0xffc850, 0.7}, {0x000000, 0.5}, {0xe63232, 0.85}},
        {"marble", "boards.marble", 0xe8e8e0, 0x6a747a, 0x2a2f33, 0x1a1d20,
         {0xffdc5a, 0.55}, {0xffc850, 0.7}, {0x000000, 0.5}, {0xe12828, 0.85}},
        {"ink", "boards.ink", 0xeaeef4, 0x3b6aa6, 0x1a2a44, 0x101a2a,
         {0xffdc5a, 0.55}, {0xffc850, 0.7}, {0x000000, 0.55}, {0xe63c3c, 0.85}},
        {"emerald", "boards.emerald", 0xe7dfc0, 0x356842, 0x15301c, 0x0a1a12,
         {0xffe46e, 0.55}, {0xffc850, 0.7}, {0x000000, 0.55}, {0xe63c3c, 0.85}},
        {"plum", "boards.plum", 0xefe2e4, 0x7c3450, 0x341424, 0x1a0a10,
         {0xffdc64, 0.55}, {0xffc850, 0.7}, {0x000000, 0.55}, {0xf05050, 0.85}},
        {"graphite", "boards.graphite", 0xcccac4, 0x363636, 0x101010, 0x0a0a0a,
         {0xffdc64, 0.55}, {0xffc850, 0.75}, {0xffffff, 0.45}, {0xff5050, 0.9}},
        {"glass", "boards.glass", 0xdde6ec, 0x42606e, 0x162228, 0x0a1014,
         {0xffe078, 0.55}, {0xffc850, 0.75}, {0x000000, 0.5}, {0xff5050, 0.9}},
        {"obsidian", "boards.obsidian", 0xa89c8a, 0x1a1612, 0x000000, 0x000000,
         {0xffdc5a, 0.55}, {0xffc850, 0.8}, {0xffffff, 0.5}, {0xff5a5a, 0.95}},
    };
    // First and last are the same orange so that a cycle over the list closes smoothly.
    std::vector<std::uint32_t> titleColors = {0xe8633a, 0xd4882b, 0xc8a31f, 0x7b8a3d, 0x3aa37a,
                                              0x3d8aa7, 0x3d6aa7, 0x7b3da7, 0xa73d77, 0xe8633a};
};

State& st() {
    static State state;
    return state;
}

// Built before main so that no frame pays for it.
[[maybe_unused]] const State& kWarmUp = st();

}  // namespace

const BoardTheme& boardForStage(int stage1Based) {
    const std::vector<BoardTheme>& boards = st().boards;
    const int n = static_cast<int>(boards.size());
    const int index = stage1Based < n ? stage1Based - 1 : n - 1;
    return boards[static_cast<std::size_t>(std::max(index, 0))];
}

const std::vector<BoardTheme>& allBoards() { return st().boards; }

const std::vector<std::uint32_t>& titleColors() { return st().titleColors; }

std::uint32_t mix(std::uint32_t a, std::uint32_t b, double t) {
    // Not-a-number counts as 1.
    t = 1.0 > t ? std::max(t, 0.0) : 1.0;
    std::uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const int ac = static_cast<int>((a >> shift) & 0xff);
        const int bc = static_cast<int>((b >> shift) & 0xff);
        const long channel = std::lround((bc - ac) * t + ac);
        out |= static_cast<std::uint32_t>(channel) << shift;
    }
    return out;
}

double luminance(std::uint32_t rgb) {
    const double r = (rgb >> 16) & 0xff;
    const double g = (rgb >> 8) & 0xff;
    const double b = rgb & 0xff;
    return r / 255 * 0.2126 + g / 255 * 0.7152 + b / 255 * 0.0722;
}

std::uint32_t lighten(std::uint32_t rgb, double amount) { return mix(rgb, 0xFFFFFF, amount); }

std::uint32_t darken(std::uint32_t rgb, double amount) { return mix(rgb, 0x000000, amount); }

namespace {

double decoded(std::uint32_t rgb, int shift) {
    const double c = ((rgb >> shift) & 0xff) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double relativeLuminance(std::uint32_t rgb) {
    return 0.2126 * decoded(rgb, 16) + 0.7152 * decoded(rgb, 8) + 0.0722 * decoded(rgb, 0);
}

}  // namespace

double contrastRatio(std::uint32_t a, std::uint32_t b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::uint32_t coordinateColor(const BoardTheme& look) {
    constexpr double kEnough = 3.0;
    constexpr double kAim = 4.5;
    if (contrastRatio(look.coord, look.border) >= kEnough) return look.coord;
    const bool lighter = contrastRatio(0xFFFFFF, look.border) >= contrastRatio(0x000000, look.border);
    std::uint32_t c = look.border;
    for (int step = 1; step <= 20 && contrastRatio(c, look.border) < kAim; ++step) {
        c = lighter ? lighten(look.border, step * 0.05) : darken(look.border, step * 0.05);
    }
    return c;
}

}  // namespace theme
