// The source editor 編輯ASM: a plain text editor with line numbers in a
// margin and colouring of 8051 assembly (labels, mnemonics, directives,
// registers, numbers, comments).
#pragma once

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargin();

    QWidget* m_lineNumbers;
    AsmHighlighter* m_highlighter;
};

}  // namespace zelo::ui
