#include "ui/source_editor.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>
#include <QTextBlock>
#include <algorithm>

#include "core/opcode_table.h"

namespace zelo::ui {

namespace {
class LineNumberArea : public QWidget {
public:
    explicit LineNumberArea(SourceEditor* editor) : QWidget(editor), m_editor(editor) {}
    QSize sizeHint() const override { return QSize(m_editor->LineNumberAreaWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->PaintLineNumbers(event); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_editor->Debugging() && event->button() == Qt::LeftButton) {
            if (const auto line = m_editor->MarginLineAt(qRound(event->position().y())))
                emit m_editor->marginClicked(*line);
            return;
        }
        QWidget::mousePressEvent(event);
    }

private:
    SourceEditor* m_editor;
};

const QSet<QString>& Mnemonics()
{
    static const QSet<QString> kSet = [] {
        QSet<QString> set;
        for (int m = 0; m < static_cast<int>(core::Mnemonic::Count); ++m)
            set.insert(QString::fromLatin1(core::MnemonicText(static_cast<core::Mnemonic>(m))));
        set.remove("NON");
        set.insert("CALL");
        return set;
    }();
    return kSet;
}

const QSet<QString>& Directives()
{
    static const QSet<QString> kSet{"ORG", "EQU", "DB", "DW", "END", "REG", "SFR", "BIT", "CON",
                                    "INCLUDE", ".GLOBAL", ".EXTERN", "DATA", "DS"};
    return kSet;
}

const QSet<QString>& Registers()
{
    static const QSet<QString> kSet{"A", "B", "C", "AB", "DPTR", "PC", "R0", "R1", "R2", "R3", "R4", "R5", "R6",
                                    "R7", "@R0", "@R1", "@A+DPTR", "@A+PC", "@DPTR", "ACC", "PSW", "SP"};
    return kSet;
}
}  // namespace

AsmHighlighter::AsmHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}

void AsmHighlighter::highlightBlock(const QString& text)
{
    QTextCharFormat comment, label, mnemonic, directive, reg, number;
    comment.setForeground(QColor(0, 128, 0));
    label.setForeground(QColor(128, 0, 128));
    mnemonic.setForeground(QColor(0, 0, 192));
    mnemonic.setFontWeight(QFont::Bold);
    directive.setForeground(QColor(160, 80, 0));
    reg.setForeground(QColor(0, 128, 128));
    number.setForeground(QColor(192, 0, 0));

    const qsizetype semicolon = text.indexOf(';');
    const QString code = semicolon >= 0 ? text.left(semicolon) : text;
    if (semicolon >= 0) setFormat(static_cast<int>(semicolon), static_cast<int>(text.size() - semicolon), comment);

    static const QRegularExpression kToken(R"([^\s,]+)");
    static const QRegularExpression kNumber(R"(^#?([0-9][0-9A-F]*H|[0-9]+|[01]+B|0X[0-9A-F]+)$)");
    auto it = kToken.globalMatch(code);
    bool first = true;
    while (it.hasNext()) {
        const auto match = it.next();
        const QString upper = match.captured().toUpper();
        const int start = static_cast<int>(match.capturedStart());
        const int length = static_cast<int>(match.capturedLength());
        if (first && start == 0 && !Mnemonics().contains(upper) && !Directives().contains(upper))
            setFormat(start, length, label);  // a label starts in column 1
        else if (Mnemonics().contains(upper))
            setFormat(start, length, mnemonic);
        else if (Directives().contains(upper))
            setFormat(start, length, directive);
        else if (Registers().contains(upper))
            setFormat(start, length, reg);
        else if (kNumber.match(upper).hasMatch())
            setFormat(start, length, number);
        first = false;
    }
}

SourceEditor::SourceEditor(QWidget* parent)
    : QPlainTextEdit(parent), m_lineNumbers(new LineNumberArea(this)), m_highlighter(new AsmHighlighter(document()))
{
    m_lineNumbers->setObjectName("LineNumbers");
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateMargin(); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            m_lineNumbers->scroll(0, dy);
        else
            m_lineNumbers->update(0, rect.y(), m_lineNumbers->width(), rect.height());
        if (rect.contains(viewport()->rect())) UpdateMargin();
    });
    UpdateMargin();
}

int SourceEditor::LineNumberAreaWidth() const
{
    int digits = 1;
    for (int max = std::max(1, blockCount()); max >= 10; max /= 10) ++digits;
    // Room for the breakpoint dot in front of the numbers.
    return 6 + fontMetrics().height() +
           fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits);
}

void SourceEditor::UpdateMargin()
{
    setViewportMargins(LineNumberAreaWidth(), 0, 0, 0);
    const QRect r = contentsRect();
    m_lineNumbers->setGeometry(QRect(r.left(), r.top(), LineNumberAreaWidth(), r.height()));
}

void SourceEditor::SetSourceText(const QString& text)
{
    {
        const QSignalBlocker block(this);
        setPlainText(text);
    }
    // The blocked signals are also the ones that keep the margin in step
    // with the text (block count, update requests): redo their work here.
    UpdateMargin();
    m_lineNumbers->update();
}

void SourceEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    m_lineNumbers->setGeometry(QRect(r.left(), r.top(), LineNumberAreaWidth(), r.height()));
}

void SourceEditor::PaintLineNumbers(QPaintEvent* event)
{
    QPainter painter(m_lineNumbers);
    painter.fillRect(event->rect(), QColor(236, 236, 236));
    painter.setPen(QColor(120, 120, 120));
    QTextBlock block = firstVisibleBlock();
    int number = block.blockNumber();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top()) {
            painter.drawText(0, top, m_lineNumbers->width() - 3, fontMetrics().height(), Qt::AlignRight,
                             QString::number(number + 1));
            if (std::binary_search(m_breakpointLines.begin(), m_breakpointLines.end(), number)) {
                const int d = fontMetrics().height() - 4;
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing);
                painter.setBrush(QColor(210, 0, 0));
                painter.setPen(Qt::NoPen);
                painter.drawEllipse(3, top + 2, d, d);
                painter.restore();
            }
        }
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
        ++number;
    }
}

std::optional<int> SourceEditor::MarginLineAt(int y) const
{
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF r = blockBoundingGeometry(block).translated(contentOffset());
        if (r.top() > y) break;
        if (y < r.bottom()) return block.blockNumber();
    }
    return std::nullopt;
}

void SourceEditor::SetDebugging(bool on)
{
    if (m_debugging == on) return;
    m_debugging = on;
    m_lineNumbers->setCursor(on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_lineNumbers->setToolTip(on ? "Click to set or clear a breakpoint (F9)" : QString());
    if (!on) {
        m_breakpointLines.clear();
        m_pcLine.reset();
        setExtraSelections({});
    }
    m_lineNumbers->update();
}

void SourceEditor::SetBreakpointLines(const std::vector<int>& lines)
{
    std::vector<int> sorted = lines;
    std::sort(sorted.begin(), sorted.end());
    if (sorted == m_breakpointLines) return;
    m_breakpointLines = std::move(sorted);
    m_lineNumbers->update();
}

void SourceEditor::SetPcLine(std::optional<int> line)
{
    if (line == m_pcLine && !extraSelections().isEmpty() == line.has_value()) return;
    m_pcLine = line;
    ShowPcLine();
}

void SourceEditor::ShowPcLine()
{
    QList<QTextEdit::ExtraSelection> selections;
    if (m_pcLine) {
        const QTextBlock block = document()->findBlockByNumber(*m_pcLine);
        if (block.isValid()) {
            QTextEdit::ExtraSelection selection;
            selection.format.setBackground(QColor(255, 236, 120));
            selection.format.setProperty(QTextFormat::FullWidthSelection, true);
            selection.cursor = QTextCursor(block);
            selections.append(selection);
            // Scrolled into view without moving the text cursor (F9 acts on
            // the line the user chose).
            const QRectF r = blockBoundingGeometry(block).translated(contentOffset());
            if (r.top() < 0 || r.bottom() > viewport()->height()) {
                const int visibleLines =
                    std::max(1, viewport()->height() / std::max(1, fontMetrics().height()));
                verticalScrollBar()->setValue(std::max(0, *m_pcLine - visibleLines / 2));
            }
        }
    }
    setExtraSelections(selections);
}

void SourceEditor::SelectLine(int line)
{
    const QTextBlock block = document()->findBlockByNumber(line);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    centerCursor();
}

}  // namespace zelo::ui
