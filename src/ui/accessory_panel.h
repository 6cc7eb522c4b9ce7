// The "  Accessory Display" area of Simulate mode: a "Board" tab that paints
// the chosen board and forwards presses on its switches, buttons and keys,
// and a "Terminal" tab that shows what the program transmits and sends typed
// lines. Everything it shows comes from the Workbench model; every action is
// a model command followed by changed().
#pragma once

#include <QTabWidget>
#include <QWidget>
#include <optional>

#include "app/board_picture.h"
#include "app/workbench.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace zelo::ui {

class BoardWidget : public QWidget
{
    Q_OBJECT
public:
    explicit BoardWidget(app::Workbench& model, QWidget* parent = nullptr);
    // The board's components were chosen anew: lay them out again.
    void Rebuild();
    const app::BoardPicture& Picture() const { return m_picture; }

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintDigit(class QPainter& p, const app::BoardShape& s, uint8_t segments,
                    bool flickering) const;
    void PaintLcd(class QPainter& p, const app::BoardShape& s) const;

    app::Workbench& m_model;
    app::BoardPicture m_picture;
    std::optional<app::BoardShape> m_held;  // the button or key held down by the mouse
};

class AccessoryPanel : public QTabWidget
{
    Q_OBJECT
public:
    explicit AccessoryPanel(app::Workbench& model, QWidget* parent = nullptr);
    // Writes the model's board and terminal state into the widgets.
    void Render();
    BoardWidget* Board() const { return m_board; }
    QLineEdit* TerminalInput() const { return m_input; }
    QPlainTextEdit* TerminalText() const { return m_text; }

signals:
    void changed();

private:
    void createWidgets();
    void connectWidgets();
    void Send();

    app::Workbench& m_model;
    QComboBox* m_boardChoice = nullptr;
    QLabel* m_problems = nullptr;
    BoardWidget* m_board = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QPlainTextEdit* m_hex = nullptr;
    QLineEdit* m_input = nullptr;
    QCheckBox* m_sendHex = nullptr;
    QComboBox* m_ending = nullptr;
    QComboBox* m_baud = nullptr;
    QLabel* m_warning = nullptr;
    QLabel* m_pending = nullptr;
    int m_shownChoice = -2;
    size_t m_shownFiles = 0;
    uint64_t m_shownBytes = UINT64_MAX;
};

}  // namespace zelo::ui
