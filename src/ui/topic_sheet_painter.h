// Prints a reference sheet (zelo::app::PrintTopicSheet) into an area of a
// picture: one line under the other from the top left, the font chosen so
// that every line fits the area.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <span>
#include <string_view>

namespace zelo::ui {

void PaintTopicSheet(QPainter& painter, const QRectF& area, std::span<const std::string_view> lines,
                     const QColor& colour = Qt::black);

}  // namespace zelo::ui
