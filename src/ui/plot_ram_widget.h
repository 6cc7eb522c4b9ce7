// PlotRam: paints the state picture's drawing, scaled from its 165 x 54
// coordinate system to the widget, and reports pointer moves and double
// clicks in picture coordinates.
#pragma once

#include <QStaticText>
#include <QWidget>
#include <string>
#include <unordered_map>

#include "app/picture.h"

namespace zelo::ui {

class PlotRamWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotRamWidget(QWidget* parent = nullptr);

    void SetDrawing(const app::Picture* picture);
    QPointF ToPicture(QPointF widgetPoint) const;
    QPointF ToWidget(double x, double y) const;

signals:
    void pointerMoved(double x, double y);
    void doubleClicked();
    // A right click: a watch on the cell there.
    void rightClicked(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const app::Picture* m_picture = nullptr;
    // Laid-out texts by face and text: the picture repeats a handful of
    // texts ("0", "1", "x", register names) thousands of times a second.
    std::unordered_map<std::string, QStaticText> m_staticTexts;
    int m_cachedPixelSize = 0;
};

}  // namespace zelo::ui
