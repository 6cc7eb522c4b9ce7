#include "ui/accessory_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPolygon>
#include <QScrollBar>
#include <QVBoxLayout>

namespace zelo::ui {

namespace {

QString Q(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

const QColor kBoardGreen(0x1F, 0x5E, 0x3A);
const QColor kLedOn(0xFF, 0x30, 0x30), kLedOff(0x50, 0x18, 0x18);
const QColor kSegmentOn(0xFF, 0x40, 0x20), kSegmentOff(0x3A, 0x10, 0x10);
const QColor kLcdGlass(0x9C, 0xC8, 0x3C), kLcdInk(0x1A, 0x2A, 0x10);

constexpr int kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

}  // namespace

// --- the board ------------------------------------------------------------

BoardWidget::BoardWidget(app::Workbench& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBoardGreen);
    setPalette(pal);
    Rebuild();
}

void BoardWidget::Rebuild()
{
    m_picture = app::LayOutBoard(m_model.Accessory().Board().Wiring(), std::max(width(), 200));
    m_held.reset();
    update();
}

void BoardWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Rebuild();
}

void BoardWidget::PaintDigit(QPainter& p, const app::BoardShape& s, uint8_t segments,
                             bool flickering) const
{
    // Segments a..g as bars around two stacked boxes, then the point.
    const int x = s.x + 3, y = s.y + 3, w = s.w - 9, h = (s.h - 6) / 2, t = 3;
    const QRect bars[7] = {
        {x + t, y, w - 2 * t, t},              // a
        {x + w - t, y + t, t, h - t},          // b
        {x + w - t, y + h + t / 2, t, h - t},  // c
        {x + t, y + 2 * h - t, w - 2 * t, t},  // d
        {x, y + h + t / 2, t, h - t},          // e
        {x, y + t, t, h - t},                  // f
        {x + t, y + h - t / 2, w - 2 * t, t},  // g
    };
    p.fillRect(QRect(s.x, s.y, s.w, s.h), Qt::black);
    for (int k = 0; k < 7; ++k) p.fillRect(bars[k], (segments >> k) & 1 ? kSegmentOn : kSegmentOff);
    p.fillRect(QRect(x + w + 1, y + 2 * h - t, t, t), segments & 0x80 ? kSegmentOn : kSegmentOff);
    if (flickering) {
        p.setPen(QPen(Qt::yellow, 1, Qt::DashLine));
        p.drawRect(QRect(s.x, s.y, s.w - 1, s.h - 1));
    }
}

void BoardWidget::PaintLcd(QPainter& p, const app::BoardShape& s) const
{
    const board::Hd44780& lcd = *m_model.Accessory().Board().Lcd();
    p.fillRect(QRect(s.x, s.y, s.w, s.h), lcd.DisplayOn() ? kLcdGlass : kLcdGlass.darker(140));
    QFont font("Monospace");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(kLcdInk);
    const auto lines = lcd.Lines();
    for (int line = 0; line < 2; ++line) {
        const QString text = Q(lines[static_cast<size_t>(line)]);
        for (int c = 0; c < text.size() && c < 16; ++c)
            p.drawText(QRect(s.x + 6 + c * 10, s.y + 6 + line * 18, 10, 18), Qt::AlignCenter,
                       text.mid(c, 1));
    }
    if (lcd.DisplayOn() && lcd.CursorOn() && lcd.CursorLine() >= 0)
        p.fillRect(
            QRect(s.x + 6 + lcd.CursorColumn() * 10, s.y + 6 + lcd.CursorLine() * 18 + 16, 9, 2),
            kLcdInk);
}

void BoardWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const board::Board& b = m_model.Accessory().Board();
    QFont small = font();
    small.setPixelSize(10);
    for (const app::BoardShape& s : m_picture.shapes) {
        const QRect r(s.x, s.y, s.w, s.h);
        switch (s.part) {
            case app::BoardPart::Caption:
                p.setFont(small);
                p.setPen(Qt::white);
                p.drawText(r, Qt::AlignLeft | Qt::AlignTop, Q(s.label));
                break;
            case app::BoardPart::Led:
                p.setPen(Qt::black);
                p.setBrush(b.LedLit(s.index) ? kLedOn : kLedOff);
                p.drawEllipse(r);
                break;
            case app::BoardPart::Switch: {
                const bool closed = b.SwitchClosed(s.index);
                p.setPen(Qt::black);
                p.setBrush(QColor(0x20, 0x40, 0xA0));
                p.drawRect(r);
                p.setBrush(Qt::white);
                p.drawRect(QRect(s.x + 2, closed ? s.y + s.h / 2 : s.y + 2, s.w - 4, s.h / 2 - 2));
                break;
            }
            case app::BoardPart::Button:
                p.setPen(Qt::black);
                p.setBrush(QColor(0x30, 0x30, 0x30));
                p.drawRect(r);
                p.setBrush(b.ButtonPressed(s.index) ? QColor(0x90, 0x10, 0x10)
                                                    : QColor(0xD0, 0x20, 0x20));
                p.drawEllipse(r.adjusted(4, 4, -4, -4));
                break;
            case app::BoardPart::Digit:
                PaintDigit(p, s, b.Digits()->Visible(s.index, b.Now()),
                           b.Digits()->Flickering(s.index, b.Now()));
                break;
            case app::BoardPart::Key: {
                const bool pressed = b.KeyPressed(s.index / 4, s.index % 4);
                p.setPen(Qt::black);
                p.setBrush(pressed ? QColor(0x80, 0x80, 0x80) : QColor(0xE0, 0xE0, 0xE0));
                p.drawRoundedRect(r, 3, 3);
                p.setFont(font());
                p.drawText(r, Qt::AlignCenter, Q(s.label));
                break;
            }
            case app::BoardPart::Lcd:
                PaintLcd(p, s);
                break;
            case app::BoardPart::Buzzer: {
                const int hz = b.BuzzerDevice()->FrequencyHz(b.Now());
                p.setPen(Qt::black);
                p.setBrush(hz > 0 ? QColor(0xFF, 0xD0, 0x40) : QColor(0x40, 0x40, 0x40));
                p.drawEllipse(QRect(s.x, s.y, s.h, s.h));
                p.setPen(Qt::white);
                p.setFont(small);
                p.drawText(QRect(s.x + s.h + 4, s.y, s.w - s.h - 4, s.h), Qt::AlignVCenter,
                           hz > 0 ? QString::number(hz) + " Hz" : QString("silent"));
                break;
            }
        }
    }
}

void BoardWidget::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const auto hit = app::HitBoardInput(m_picture, at.x(), at.y());
    if (!hit) return;
    switch (hit->part) {
        case app::BoardPart::Switch:
            m_model.BoardSwitch(hit->index);
            break;
        case app::BoardPart::Button:
            m_model.BoardButton(hit->index, true);
            m_held = hit;
            break;
        case app::BoardPart::Key:
            m_model.BoardKey(hit->index / 4, hit->index % 4, true);
            m_held = hit;
            break;
        default:
            return;
    }
    update();
    emit changed();
}

void BoardWidget::mouseReleaseEvent(QMouseEvent*)
{
    if (!m_held) return;
    if (m_held->part == app::BoardPart::Button) m_model.BoardButton(m_held->index, false);
    if (m_held->part == app::BoardPart::Key)
        m_model.BoardKey(m_held->index / 4, m_held->index % 4, false);
    m_held.reset();
    update();
    emit changed();
}

// --- the panel ------------------------------------------------------------

AccessoryPanel::AccessoryPanel(app::Workbench& model, QWidget* parent)
    : QTabWidget(parent), m_model(model)
{
    createWidgets();
    connectWidgets();
}

void AccessoryPanel::createWidgets()
{
    auto* boardTab = new QWidget(this);
    auto* boardLayout = new QVBoxLayout(boardTab);
    boardLayout->setContentsMargins(2, 2, 2, 2);
    boardLayout->setSpacing(2);
    auto* top = new QHBoxLayout;
    m_boardChoice = new QComboBox(boardTab);
    m_boardChoice->setObjectName("BoardChoice");
    m_boardChoice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_problems = new QLabel(boardTab);
    m_problems->setObjectName("BoardProblems");
    m_problems->setStyleSheet("color: #C00000");
    m_problems->setWordWrap(true);
    top->addWidget(m_boardChoice);
    top->addWidget(m_problems, 1);
    boardLayout->addLayout(top);
    m_board = new BoardWidget(m_model, boardTab);
    m_board->setObjectName("BoardPicture");
    boardLayout->addWidget(m_board, 1);
    addTab(boardTab, "Board");

    auto* terminalTab = new QWidget(this);
    auto* terminalLayout = new QVBoxLayout(terminalTab);
    terminalLayout->setContentsMargins(2, 2, 2, 2);
    terminalLayout->setSpacing(2);
    auto* views = new QHBoxLayout;
    m_text = new QPlainTextEdit(terminalTab);
    m_text->setObjectName("TerminalText");
    m_hex = new QPlainTextEdit(terminalTab);
    m_hex->setObjectName("TerminalHex");
    for (QPlainTextEdit* view : {m_text, m_hex}) {
        view->setReadOnly(true);
        QFont mono("Monospace");
        mono.setStyleHint(QFont::TypeWriter);
        view->setFont(mono);
    }
    views->addWidget(m_text, 3);
    views->addWidget(m_hex, 2);
    terminalLayout->addLayout(views, 1);
    auto* sendRow = new QHBoxLayout;
    m_input = new QLineEdit(terminalTab);
    m_input->setObjectName("TerminalInput");
    m_input->setPlaceholderText("Type text (or hex bytes) and press Enter");
    m_sendHex = new QCheckBox("Hex", terminalTab);
    m_ending = new QComboBox(terminalTab);
    m_ending->addItems({"No ending", "CR", "LF", "CR LF"});
    m_ending->setCurrentIndex(3);
    m_baud = new QComboBox(terminalTab);
    for (int baud : kBauds) m_baud->addItem(QString::number(baud) + " baud", baud);
    m_baud->setCurrentIndex(3);
    sendRow->addWidget(m_input, 1);
    sendRow->addWidget(m_sendHex);
    sendRow->addWidget(m_ending);
    sendRow->addWidget(m_baud);
    terminalLayout->addLayout(sendRow);
    m_warning = new QLabel(terminalTab);
    m_warning->setStyleSheet("color: #C00000");
    m_pending = new QLabel(terminalTab);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_warning, 1);
    statusRow->addWidget(m_pending);
    terminalLayout->addLayout(statusRow);
    addTab(terminalTab, "Terminal");
}

void AccessoryPanel::connectWidgets()
{
    connect(m_board, &BoardWidget::changed, this, &AccessoryPanel::changed);
    connect(m_boardChoice, &QComboBox::activated, this, [this](int index) {
        m_model.ChooseBoard(index);
        emit changed();
    });
    connect(m_input, &QLineEdit::returnPressed, this, &AccessoryPanel::Send);
    connect(m_ending, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_model.SetTerminalEnding(static_cast<board::LineEnding>(index));
    });
    connect(m_baud, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_model.SetTerminalBaud(m_baud->itemData(index).toInt());
        Render();
    });
}

void AccessoryPanel::Send()
{
    const std::string problem =
        m_model.TerminalSend(m_input->text().toStdString(), m_sendHex->isChecked());
    if (problem.empty()) m_input->clear();
    m_warning->setText(Q(problem));
    emit changed();
}

void AccessoryPanel::Render()
{
    const app::AccessoryBoard& accessory = m_model.Accessory();
    if (m_shownChoice != accessory.Chosen() || m_shownFiles != accessory.Files().size()) {
        const QSignalBlocker block(m_boardChoice);
        m_boardChoice->clear();
        for (const std::string& name : accessory.Names()) m_boardChoice->addItem(Q(name));
        m_boardChoice->setCurrentIndex(accessory.Chosen());
        m_shownChoice = accessory.Chosen();
        m_shownFiles = accessory.Files().size();
        m_board->Rebuild();
    }
    QString problems;
    for (const std::string& p : accessory.Problems())
        problems += (problems.isEmpty() ? "" : "\n") + Q(p);
    if (const board::Hd44780* lcd = accessory.Board().Lcd(); lcd && !lcd->Problems().empty())
        problems += (problems.isEmpty() ? "LCD: " : "\nLCD: ") + Q(lcd->Problems().back());
    m_problems->setText(problems);
    m_board->update();

    const board::SerialTerminal& terminal = accessory.Terminal();
    if (terminal.TransmittedCount() != m_shownBytes) {
        m_shownBytes = terminal.TransmittedCount();
        m_text->setPlainText(Q(terminal.Text()));
        m_hex->setPlainText(Q(terminal.Hex()));
        m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
        m_hex->verticalScrollBar()->setValue(m_hex->verticalScrollBar()->maximum());
    }
    const std::string warning = terminal.BaudWarning();
    if (!warning.empty()) m_warning->setText(Q(warning));
    m_pending->setText(terminal.Pending().empty() ? QString()
                                                  : QString::number(terminal.Pending().size()) +
                                                        " bytes waiting to be received");
}

}  // namespace zelo::ui
