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
    const int basePixels = std::max(4, static_cast<int>(unitHeight * 9 * 0.2 + 0.5));
    if (basePixels != m_cachedPixelSize) {
        m_staticTexts.clear();
        m_cachedPixelSize = basePixels;
    }
    std::array<QFont, 3> fonts{WorkbenchFont(app::PictureFont::Mincho), WorkbenchFont(app::PictureFont::Gothic),
                               WorkbenchFont(app::PictureFont::MingLiU)};
    int currentFont = -1;
    int currentSize = -1;
    double halfHeight = 0;
    QColor currentColour;
    std::string key;
    for (const auto& text : m_picture->texts) {
        const int f = static_cast<int>(text.font);
        if (f != currentFont || text.pointSize != currentSize) {
            QFont font = fonts[f];
            font.setPixelSize(std::max(4, static_cast<int>(unitHeight * text.pointSize * 0.2 + 0.5)));
            painter.setFont(font);
            const QFontMetricsF metrics(font);
            halfHeight = metrics.height() / 2;
            currentFont = f;
            currentSize = text.pointSize;
        }
        const QColor colour = ToColour(text.colour);
        if (colour != currentColour) {
            painter.setPen(colour);
            currentColour = colour;
        }
        key.assign(1, static_cast<char>('0' + f));
        key += static_cast<char>(text.pointSize);
        key += text.text;
        auto it = m_staticTexts.find(key);
        if (it == m_staticTexts.end()) {
            QStaticText laidOut(QString::fromStdString(text.text));
            laidOut.setTextFormat(Qt::PlainText);
            laidOut.prepare(QTransform(), painter.font());
            it = m_staticTexts.emplace(key, std::move(laidOut)).first;
        }
        const QPointF at = ToWidget(text.x, text.y);
        painter.drawStaticText(QPointF(at.x(), at.y() - halfHeight), it->second);
    }
}

void PlotRamWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = ToPicture(event->position());
    emit pointerMoved(p.x(), p.y());
    QWidget::mouseMoveEvent(event);
}

void PlotRamWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const QPointF p = ToPicture(event->position());
        emit rightClicked(p.x(), p.y());
        return;
    }
    QWidget::mousePressEvent(event);
}

void PlotRamWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

}  // namespace zelo::ui
