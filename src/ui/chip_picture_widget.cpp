#include "ui/chip_picture_widget.h"

#include <QButtonGroup>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "ui/picture_fonts.h"

namespace zelo::ui {

namespace {

QColor ToQColor(app::Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

// Screen twips per pixel at the usual 96 dpi; only used for the size hint.
constexpr double kTwipsPerPixel = 15.0;
// The level buttons sit in the free strip right of the pins, near the top.
constexpr double kButtonLeft = 3100, kButtonTop = 300, kButtonPitch = 300;

}  // namespace

ChipPictureWidget::ChipPictureWidget(QWidget* parent) : QWidget(parent)
{
    createWidgets();
    connectWidgets();
    app::ChipPins pins;
    m_list = pins.DrawChip();
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
}

void ChipPictureWidget::createWidgets()
{
    m_low = new QRadioButton(QStringLiteral("0"), this);
    m_high = new QRadioButton(QStringLiteral("1"), this);
    m_low->setObjectName(QStringLiteral("F01_0"));
    m_high->setObjectName(QStringLiteral("F01_1"));
    m_levels = new QButtonGroup(this);
    m_levels->addButton(m_low, 0);
    m_levels->addButton(m_high, 1);
    m_low->setChecked(true);
}

void ChipPictureWidget::connectWidgets()
{
    connect(m_levels, &QButtonGroup::idClicked, this,
            [this](int id) { emit pinLevelChoiceChanged(id == 1 ? '1' : '0'); });
}

void ChipPictureWidget::SetDrawList(app::ChipDrawList list)
{
    m_list = std::move(list);
    update();
}

char ChipPictureWidget::PinLevelChoice() const
{
    return m_high->isChecked() ? '1' : '0';
}

void ChipPictureWidget::SetPinLevelChoice(char level)
{
    (level == '1' ? m_high : m_low)->setChecked(true);
}

double ChipPictureWidget::Scale() const
{
    if (m_list.width <= 0 || m_list.height <= 0) return 1.0;
    return std::min(width() / static_cast<double>(m_list.width),
                    height() / static_cast<double>(m_list.height));
}

QPointF ChipPictureWidget::TwipsFromWidget(QPointF position) const
{
    const double s = Scale();
    return s > 0 ? position / s : QPointF();
}

QPointF ChipPictureWidget::WidgetFromTwips(QPointF twips) const
{
    return twips * Scale();
}

QSize ChipPictureWidget::sizeHint() const
{
    return QSize(static_cast<int>(m_list.width / kTwipsPerPixel),
                 static_cast<int>(m_list.height / kTwipsPerPixel));
}

void ChipPictureWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double s = Scale();
    painter.scale(s, s);

    for (const auto& r : m_list.rects) {
        const QRectF rect(r.left, r.top, r.width, r.height);
        if (r.fill) painter.fillRect(rect, ToQColor(*r.fill));
        if (r.hasOutline) {
            painter.setPen(QPen(ToQColor(r.outline), 0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect);
        }
    }
    for (const auto& l : m_list.lines) {
        // Line widths are in pixels, as on the original picture surface.
        QPen pen(ToQColor(l.colour));
        pen.setWidthF(l.width / std::max(s, 1e-6));
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }

    // Text is drawn unscaled so that the font is chosen in real pixels.
    painter.resetTransform();
    const QFont font = FixedFontForAdvance(app::PictureFont::Gothic, m_list.textCharWidth * s);
    painter.setFont(font);
    for (const auto& t : m_list.texts) {
        painter.setPen(ToQColor(t.colour));
        const QRectF box(t.left * s, t.top * s, t.text.size() * m_list.textCharWidth * s * 2.0,
                         m_list.textHeight * s * 1.5);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         QString::fromStdString(t.text));
    }
}

void ChipPictureWidget::mousePressEvent(QMouseEvent* event)
{
    const QPointF twips = TwipsFromWidget(event->position());
    emit pinPressed(static_cast<int>(std::lround(twips.x())),
                    static_cast<int>(std::lround(twips.y())));
    QWidget::mousePressEvent(event);
}

void ChipPictureWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeButtons();
}

void ChipPictureWidget::placeButtons()
{
    const QPointF low = WidgetFromTwips(QPointF(kButtonLeft, kButtonTop));
    const QPointF high = WidgetFromTwips(QPointF(kButtonLeft, kButtonTop + kButtonPitch));
    m_low->move(low.toPoint());
    m_high->move(high.toPoint());
}

}  // namespace zelo::ui
