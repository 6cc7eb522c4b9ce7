#include "ui/topic_sheet_painter.h"

#include <QFontMetricsF>
#include <algorithm>

#include "ui/picture_fonts.h"

namespace zelo::ui {

void PaintTopicSheet(QPainter& painter, const QRectF& area, std::span<const std::string_view> lines,
                     const QColor& colour)
{
    if (lines.empty() || area.isEmpty()) return;
    std::size_t longest = 1;
    for (const auto line : lines) longest = std::max(longest, line.size());

    // Widest font whose lines fit both across and down the area.
    const double byWidth = area.width() / static_cast<double>(longest);
    const double lineHeight = area.height() / static_cast<double>(lines.size());
    QFont font = FixedFontForAdvance(app::PictureFont::Mincho, byWidth);
    while (font.pixelSize() > 4 && QFontMetricsF(font).lineSpacing() > lineHeight)
        font.setPixelSize(font.pixelSize() - 1);

    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    const QFontMetricsF metrics(font);
    const double step = std::min(lineHeight, metrics.lineSpacing() * 1.1);
    double y = area.top();
    for (const auto line : lines) {
        painter.drawText(QPointF(area.left(), y + metrics.ascent()),
                         QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        y += step;
    }
    painter.restore();
}

}  // namespace zelo::ui
