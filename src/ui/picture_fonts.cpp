#include "ui/picture_fonts.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "ui/fonts.h"

namespace zelo::ui {

QFont FixedFontForAdvance(app::PictureFont face, double charWidth)
{
    QFont font = WorkbenchFont(face);
    font.setStyleHint(QFont::Monospace);
    // Start from the usual width/height ratio of a fixed font, then correct by
    // the measured advance.
    int pixels = std::max(4, static_cast<int>(std::lround(charWidth / 0.6)));
    font.setPixelSize(pixels);
    const double advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (advance > 0) {
        pixels = std::max(4, static_cast<int>(std::floor(pixels * charWidth / advance)));
        font.setPixelSize(pixels);
    }
    return font;
}

}  // namespace zelo::ui
