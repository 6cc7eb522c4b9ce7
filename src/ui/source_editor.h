// The source editor 編輯ASM: a plain text editor with line numbers in a
// margin and colouring of 8051 assembly (labels, mnemonics, directives,
// registers, numbers, comments).
#pragma once

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>
#include <optional>
#include <vector>

namespace zelo::ui {

class AsmHighlighter : public QSyntaxHighlighter {
public:
    explicit AsmHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;
};

class SourceEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SourceEditor(QWidget* parent = nullptr);

    int LineNumberAreaWidth() const;
    void PaintLineNumbers(QPaintEvent* event);
    // Replaces the text without reporting it as an edit, and repaints the
    // line numbers for the new text at once.
    void SetSourceText(const QString& text);
    // Selects a whole line (0-based) and scrolls it into view.
    void SelectLine(int line);

    // Debugging a listing: the margin takes clicks and shows breakpoints as
    // red dots; the line at PC is highlighted and scrolled into view.
    void SetDebugging(bool on);
    bool Debugging() const { return m_debugging; }
    void SetBreakpointLines(const std::vector<int>& lines);
    void SetPcLine(std::optional<int> line);
    std::optional<int> PcLine() const { return m_pcLine; }
    // The line (0-based) the text cursor is on.
    int CursorLine() const { return textCursor().blockNumber(); }
    // The margin's line at a point of the margin widget, if any.
    std::optional<int> MarginLineAt(int y) const;
    QWidget* Margin() const { return m_lineNumbers; }

signals:
    void marginClicked(int line);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargin();
    void ShowPcLine();

    bool m_debugging = false;
    std::vector<int> m_breakpointLines;  // sorted
    std::optional<int> m_pcLine;

    QWidget* m_lineNumbers;
    AsmHighlighter* m_highlighter;
};

}  // namespace zelo::ui
