#include "ui/picture_fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace zelo::ui {

QFont FixedFontForAdvance(const QString& family, double charWidth)
{
    QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                            : QFontDatabase::systemFont(QFontDatabase::FixedFont);
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
