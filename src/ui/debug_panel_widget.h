// The "Debug" panel: registers in hex and decimal (changed ones in red), the
// breakpoints and watches (a double click removes one), the calls in
// progress, the inspector's caption, why the last run stopped, "Run to
// line" and the speed of displayed runs. It renders app::DebugPanel and
// forwards requests; it holds no state of its own.
#pragma once

#include "app/debug_panel.h"
#include "ui/draggable_frame.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace zelo::ui {

class DebugPanelWidget : public DraggableFrame
{
    Q_OBJECT
public:
    explicit DebugPanelWidget(QWidget* parent = nullptr);
    void Render(const app::DebugPanel& panel, int runSpeed);

signals:
    void removeBreakpoint(int index);
    void removeWatch(int index);
    void addWatch(const QString& text);
    void runToLine();
    void speedChanged(int stepsPerSecond);

private:
    QListWidget* m_registers;
    QListWidget* m_breakpoints;
    QListWidget* m_watches;
    QLineEdit* m_watchText;
    QPushButton* m_addWatch;
    QListWidget* m_calls;
    QLabel* m_inspector;
    QLabel* m_stop;
    QPushButton* m_runToLine;
    QSpinBox* m_speed;
};

}  // namespace zelo::ui
