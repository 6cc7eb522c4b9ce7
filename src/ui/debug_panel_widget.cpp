#include "ui/debug_panel_widget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zelo::ui {

namespace {
QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

template <typename W>
W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

void SetRows(QListWidget* list, const std::vector<std::string>& rows)
{
    bool same = list->count() == static_cast<int>(rows.size());
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == Q(rows[static_cast<std::size_t>(i)]);
    if (same) return;
    const QSignalBlocker block(list);
    list->clear();
    for (const auto& row : rows) list->addItem(Q(row));
}

QLabel* Heading(const char* text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
}  // namespace

DebugPanelWidget::DebugPanelWidget(QWidget* parent)
    : DraggableFrame(app::kDebugCaption, parent),
      m_registers(Named(new QListWidget(this), "DebugRegisters")),
      m_breakpoints(Named(new QListWidget(this), "DebugBreakpoints")),
      m_watches(Named(new QListWidget(this), "DebugWatches")),
      m_watchText(Named(new QLineEdit(this), "DebugWatchText")),
      m_addWatch(Named(new QPushButton("Watch", this), "DebugAddWatch")),
      m_calls(Named(new QListWidget(this), "DebugCalls")),
      m_inspector(Named(new QLabel(this), "DebugInspector")),
      m_stop(Named(new QLabel(this), "DebugStop")),
      m_runToLine(Named(new QPushButton("Run to line", this), "RunToLine")),
      m_speed(Named(new QSpinBox(this), "RunSpeed"))
{
    QFont mono("Monospace");
    mono.setStyleHint(QFont::TypeWriter);
    for (QListWidget* list : {m_registers, m_breakpoints, m_watches, m_calls}) list->setFont(mono);
    m_breakpoints->setToolTip("Double click removes a breakpoint");
    m_watches->setToolTip("Double click removes a watch; right click a RAM cell or bit to add one");
    m_watchText->setPlaceholderText("30H, P1.0=1, X:0100=5A");
    m_inspector->setWordWrap(true);
    m_stop->setWordWrap(true);
    m_runToLine->setToolTip("Run and stop at the listing line of the cursor (Ctrl+F10)");
    m_speed->setRange(0, 1000);
    m_speed->setSpecialValueText("fastest");
    m_speed->setSuffix(" steps/s");
    m_speed->setToolTip("Speed of displayed runs");

    // Registers on the left, the lists on the right.
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(6, 18, 6, 6);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(m_registers, 1);
    left->addWidget(m_stop);
    auto* run = new QHBoxLayout;
    run->addWidget(m_runToLine);
    run->addWidget(m_speed);
    left->addLayout(run);
    left->addWidget(m_inspector);
    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    right->addWidget(Heading("Breakpoints", this));
    right->addWidget(m_breakpoints, 1);
    right->addWidget(Heading("Watches", this));
    right->addWidget(m_watches, 1);
    auto* watch = new QHBoxLayout;
    watch->addWidget(m_watchText);
    watch->addWidget(m_addWatch);
    right->addLayout(watch);
    right->addWidget(Heading("Calls", this));
    right->addWidget(m_calls, 1);
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    connect(m_breakpoints, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit removeBreakpoint(m_breakpoints->row(item)); });
    connect(m_watches, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit removeWatch(m_watches->row(item)); });
    auto add = [this] { emit addWatch(m_watchText->text()); };
    connect(m_addWatch, &QPushButton::clicked, this, add);
    connect(m_watchText, &QLineEdit::returnPressed, this, add);
    connect(m_runToLine, &QPushButton::clicked, this, [this] { emit runToLine(); });
    connect(m_speed, &QSpinBox::valueChanged, this,
            [this](int value) { emit speedChanged(value); });
}

void DebugPanelWidget::Render(const app::DebugPanel& panel, int runSpeed)
{
    std::vector<std::string> rows;
    for (const auto& r : panel.registers) rows.push_back(r.text);
    SetRows(m_registers, rows);
    for (int i = 0; i < m_registers->count(); ++i)
        m_registers->item(i)->setForeground(panel.registers[static_cast<std::size_t>(i)].changed
                                                ? QColor(210, 0, 0)
                                                : QColor(0, 0, 0));
    SetRows(m_breakpoints, panel.breakpoints);
    SetRows(m_watches, panel.watches);
    SetRows(m_calls, panel.calls);
    m_inspector->setText(Q(panel.inspector));
    m_stop->setText(Q(panel.stopMessage));
    if (m_speed->value() != runSpeed) {
        const QSignalBlocker block(m_speed);
        m_speed->setValue(runSpeed);
    }
}

}  // namespace zelo::ui
