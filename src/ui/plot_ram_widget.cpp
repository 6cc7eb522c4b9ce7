#include "ui/plot_ram_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <array>

#include "ui/fonts.h"

namespace zelo::ui {

namespace {
QColor ToColour(app::Rgb c) { return QColor(c.r, c.g, c.b); }
}  // namespace

PlotRamWidget::PlotRamWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("PlotRam");
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void PlotRamWidget::SetDrawing(const app::Picture* picture)
{
    m_picture = picture;
    update();
}

QPointF PlotRamWidget::ToWidget(double x, double y) const
{
    return QPointF(x * width() / app::kPictureWidth, (app::kPictureHeight - y) * height() / app::kPictureHeight);
}

QPointF PlotRamWidget::ToPicture(QPointF p) const
{
    return QPointF(p.x() * app::kPictureWidth / std::max(1, width()),
                   app::kPictureHeight - p.y() * app::kPictureHeight / std::max(1, height()));
}

void PlotRamWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture) return;
    for (const auto& line : m_picture->lines) {
        painter.setPen(ToColour(line.colour));
        painter.drawLine(ToWidget(line.x1, line.y1), ToWidget(line.x2, line.y2));
    }
    // A point is 20 twips and the picture is 5400 twips over 54 units, so a
    // point is 0.2 units: a 9-point face is 1.8 units tall.
    const double unitHeight = static_cast<double>(height()) / app::kPictureHeight;
    std::array<QFont, 3> fonts{WorkbenchFont(app::PictureFont::Mincho), WorkbenchFont(app::PictureFont::Gothic),
                               WorkbenchFont(app::PictureFont::MingLiU)};
    for (auto& font : fonts) font.setPixelSize(std::max(4, static_cast<int>(unitHeight * 9 * 0.2 + 0.5)));
    int currentFont = -1;
    int currentSize = 9;
    QColor currentColour;
    for (const auto& text : m_picture->texts) {
        const int f = static_cast<int>(text.font);
        if (f != currentFont || text.pointSize != currentSize) {
            QFont font = fonts[f];
            font.setPixelSize(std::max(4, static_cast<int>(unitHeight * text.pointSize * 0.2 + 0.5)));
            painter.setFont(font);
            currentFont = f;
            currentSize = text.pointSize;
        }
        const QColor colour = ToColour(text.colour);
        if (colour != currentColour) {
            painter.setPen(colour);
            currentColour = colour;
        }
        const QPointF at = ToWidget(text.x, text.y);
        const QFontMetricsF metrics(painter.font());
        painter.drawText(QPointF(at.x(), at.y() + (metrics.ascent() - metrics.descent()) / 2),
                         QString::fromStdString(text.text));
    }
}

void PlotRamWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = ToPicture(event->position());
    emit pointerMoved(p.x(), p.y());
    QWidget::mouseMoveEvent(event);
}

void PlotRamWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace zelo::ui
