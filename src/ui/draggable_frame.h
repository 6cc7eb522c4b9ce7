// A frame the user can drag over its parent: while dragged, its top-left
// corner follows the pointer; it stays where it was released.
#pragma once

#include <QGroupBox>

namespace zelo::ui {

class DraggableFrame : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

signals:
    // The new top-left corner in the parent's coordinates.
    void dragged(QPoint topLeft);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
};

}  // namespace zelo::ui
