// A drawing in the state picture's own coordinate system: x runs from 0 (left)
// to 165 (right), y from 54 (top) down to 0 (bottom). The views build one of
// these per refresh; the window only scales and paints it, so everything a
// user sees can be checked without a display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelo::app {

inline constexpr double kPictureWidth = 165.0;
inline constexpr double kPictureHeight = 54.0;

// An RGB colour. Palette() gives the standard 16-colour palette by index.
struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
Rgb Palette(int index);
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kHatchGrey{120, 120, 120};

// The three faces the views name; the window maps them to installed fonts.
enum class PictureFont : uint8_t { Mincho, Gothic, MingLiU };

// Text whose left edge is at x and whose vertical centre is at y.
struct PictureText {
    double x = 0, y = 0;
    std::string text;
    Rgb colour;
    PictureFont font = PictureFont::Mincho;
    int pointSize = 9;
};

struct PictureLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Rgb colour;
};

struct Picture {
    std::vector<PictureLine> lines;  // drawn first (hatching, marks, frames)
    std::vector<PictureText> texts;  // drawn over the lines

    void Clear()
    {
        lines.clear();
        texts.clear();
    }
    void AddText(double x, double y, std::string text, Rgb colour, PictureFont font = PictureFont::Mincho,
                 int pointSize = 9)
    {
        texts.push_back(PictureText{x, y, std::move(text), colour, font, pointSize});
    }
    void AddLine(double x1, double y1, double x2, double y2, Rgb colour)
    {
        lines.push_back(PictureLine{x1, y1, x2, y2, colour});
    }
    // The four sides of a box given by its lower-left corner and size.
    void AddBox(double x, double y, double width, double height, Rgb colour);
};

}  // namespace zelo::app
