// The ten board looks, the title colours and small colour helpers.
// Colours are 0xRRGGBB; bits 24-31 are ignored.
#pragma once

#include <cstdint>
#include <vector>

namespace theme {

struct Tint {
    std::uint32_t rgb;
    double alpha;
};

struct BoardTheme {
    const char* id;       // also part of the board texture key
    const char* nameKey;  // localisation key of the display name
    std::uint32_t light;
    std::uint32_t dark;
    std::uint32_t border;
    std::uint32_t coord;
    Tint lastMove;
    Tint selected;
    Tint legal;  // kept with every look; legal-move marks are drawn in a fixed green
    Tint check;
};

// Stage 1 (levels 1-10) is the first look; stages past the last keep the last.
const BoardTheme& boardForStage(int stage1Based);
const std::vector<BoardTheme>& allBoards();
const std::vector<std::uint32_t>& titleColors();

std::uint32_t mix(std::uint32_t a, std::uint32_t b, double t);
double luminance(std::uint32_t rgb);
std::uint32_t lighten(std::uint32_t rgb, double amount);
std::uint32_t darken(std::uint32_t rgb, double amount);

}  // namespace theme
