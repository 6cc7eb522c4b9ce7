// The chip pin picture: renders the draw list of zelo::app::ChipPins scaled
// from twips to the widget, holds the "0"/"1" level buttons, and forwards a
// mouse press as a pin click in twips. It never touches the machine state.
#pragma once

#include <QPointF>
#include <QWidget>

#include "app/chip_pins.h"

class QButtonGroup;
class QRadioButton;

namespace zelo::ui {

class ChipPictureWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ChipPictureWidget(QWidget* parent = nullptr);

    // Shows a new picture (after LayOutPins, UpdatePinLevels or a pin click).
    void SetDrawList(app::ChipDrawList list);
    const app::ChipDrawList& DrawList() const { return m_list; }

    // The level a pin click applies: '0' (at start-up) or '1'.
    char PinLevelChoice() const;
    void SetPinLevelChoice(char level);

    // Conversions between widget pixels and picture twips.
    QPointF TwipsFromWidget(QPointF position) const;
    QPointF WidgetFromTwips(QPointF twips) const;

    QSize sizeHint() const override;

signals:
    // Mouse-down on the picture, in twips: hand it to ChipPins::ClickPin.
    void pinPressed(int xTwips, int yTwips);
    void pinLevelChoiceChanged(char level);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createWidgets();
    void connectWidgets();
    void placeButtons();
    double Scale() const;

    app::ChipDrawList m_list;
    QButtonGroup* m_levels = nullptr;
    QRadioButton* m_low = nullptr;
    QRadioButton* m_high = nullptr;
};

}  // namespace zelo::ui
