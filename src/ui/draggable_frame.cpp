#include "ui/draggable_frame.h"

#include <QMouseEvent>

namespace zelo::ui {

void DraggableFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        setCursor(Qt::SizeAllCursor);
        event->accept();
        return;
    }
    QGroupBox::mousePressEvent(event);
}

void DraggableFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !parentWidget()) return QGroupBox::mouseMoveEvent(event);
    QPoint at = parentWidget()->mapFromGlobal(event->globalPosition().toPoint());
    const QRect area = parentWidget()->rect();
    at.setX(std::clamp(at.x(), 0, std::max(0, area.width() - 20)));
    at.setY(std::clamp(at.y(), 0, std::max(0, area.height() - 20)));
    move(at);
    emit dragged(at);
    event->accept();
}

void DraggableFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_dragging = false;
        unsetCursor();
        event->accept();
        return;
    }
    QGroupBox::mouseReleaseEvent(event);
}

}  // namespace zelo::ui
