// The 16-colour palette the workbench pictures name colours by (0 black,
// 1 blue, 4 red, 8 grey, 9 light blue, 10 light green, 11 light cyan,
// 12 light red, 14 yellow, ...), and the plain RGB triple the draw lists use.
#pragma once

#include <array>
#include <cstdint>

namespace zelo::app {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr std::array<Rgb, 16> kPalette = {{
    {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
    {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
    {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
}};

// Indexes outside 0..15 wrap into the palette, as the picture surface does.
constexpr Rgb PaletteColour(int index) { return kPalette[static_cast<unsigned>(index) & 15U]; }

}  // namespace zelo::app
