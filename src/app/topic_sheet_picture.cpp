#include "app/topic_sheet_picture.h"

#include <algorithm>
#include <string>

#include "app/topic_sheets.h"

namespace zelo::app {

namespace {

constexpr double kLeftMargin = 1.0;
constexpr double kLinePitch = 2.2;  // a 9-point line in picture units
constexpr int kTopicRows = 2;

}  // namespace

int AddTopicSheet(Picture& picture, int slot, const GridGeometry& grid)
{
    const auto lines = PrintTopicSheet(slot);
    if (lines.empty()) return 0;
    // The lower edge of the second topic row's frame.
    const double top = grid.CellY(kTopicRows - 1) + 0.5;
    const double pitch = std::min(kLinePitch, top / static_cast<double>(lines.size()));
    double centre = top - pitch / 2;
    for (const auto line : lines) {
        picture.AddText(kLeftMargin, centre, std::string(line), kBlack, PictureFont::Mincho, 9);
        centre -= pitch;
    }
    return static_cast<int>(lines.size());
}

}  // namespace zelo::app
