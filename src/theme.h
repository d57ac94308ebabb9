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

// The contrast ratio of two colours as readers perceive it (sRGB decoded),
// from 1 (the same) to 21 (black on white).
double contrastRatio(std::uint32_t a, std::uint32_t b);
// The colour of the coordinates on a look's frame: the look's own where it
// stands out 3:1 from the frame, else the frame lightened or darkened,
// whichever can go further, until it stands out 4.5:1.
std::uint32_t coordinateColor(const BoardTheme& look);

}  // namespace theme
