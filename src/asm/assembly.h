// The result of assembling: the line table with every line's address, code
// bytes, fields and problem, over one store of text and one of data bytes,
// and the line being assembled as a working draft.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/asm_types.h"
#include "asm/source_file.h"
#include "asm/symbols.h"
#include "asm/warnings.h"

namespace zelo::assembler {

// The result of a run: the line table, the symbols and labels it defined
// and its totals. Texts and data bytes of all lines sit in two stores, so a
// line is a small record and a run makes few allocations. A view into the
// text store lasts until the next text is kept.
class Assembly
{
public:
    explicit Assembly(core::ChipModel chip = core::ChipModel::C8051) : symbols(chip) {}

    std::vector<AsmLine>
        lines;  // index = line number - 1: header lines, source lines, linked lines
    SymbolTable symbols;
    LabelTable labels;
    std::vector<HeaderSpan> headers;
    int libraryCount = 0;    // lines of INCLUDE headers, first in the table
    int totalLines = 0;      // header and source lines, before linking
    int expansionLines = 0;  // of totalLines, lines of macro expansions
    int round1Problems = 0;
    int round2Problems = 0;
    std::vector<int> problemLines;  // line numbers, Round 1 problems first
    std::vector<std::string> missingModules;
    std::string libraryText;                // the last header or module listing read
    std::string linkProblem;                // why linking a module stopped
    std::vector<AssemblyWarning> warnings;  // source lines only, in line order
    // The source assembled: its lines' texts are slices of it, so it is
    // shared with whoever keeps it rather than copied.
    std::shared_ptr<const std::string> source;
    // Round 2 has run: fix-ups are resolved and modules linked.
    bool resolved = false;

    int SourceNumber(int number) const
    {
        if (number >= 1 && number <= static_cast<int>(lines.size()) &&
            lines[number - 1].sourceLine != 0)
            return lines[number - 1].sourceLine;
        return number - libraryCount;
    }
    // The table number of the first problem line (0 when none).
    int FirstProblemNumber() const;
    // "line N" of the source, or "line N of HEADER.H" for a header's line.
    std::string LineName(int number) const;
    // The first problem line counted without header lines (0 when none).
    int FirstProblemSourceLine() const;
    bool Passed() const
    {
        return round1Problems == 0 && round2Problems == 0 && missingModules.empty();
    }

    // Empties the table and the symbols for the next run (storage is kept).
    void Clear();
    void Reserve(std::size_t lineCount, std::size_t textSize);

    TextSlice Keep(std::string_view text);
    std::string_view Text(TextSlice slice) const
    {
        return std::string_view(m_text).substr(slice.offset, slice.size);
    }
    std::string_view LineText(const AsmLine& line) const
    {
        if (line.inSource) return std::string_view(*source).substr(line.text.offset, line.text.size);
        return Text(line.text);
    }
    // Field k of the line: 1 label, 2 mnemonic, 3..5 operands 1..3.
    std::string_view Field(const AsmLine& line, int k) const { return Kept(line, k - 1); }
    std::string_view Comment(const AsmLine& line) const { return Kept(line, 5); }
    std::string_view Symbolic(const AsmLine& line) const { return Kept(line, 6); }
    // All kept texts of a line at once: fields 1..5 at [0..4], the comment
    // at [5], the Round 2 target at [6].
    std::array<std::string_view, AsmLine::kKeptTexts> KeptTexts(const AsmLine& line) const
    {
        std::array<std::string_view, AsmLine::kKeptTexts> texts;
        if (line.longTexts) {
            for (int k = 0; k < AsmLine::kKeptTexts; ++k) texts[k] = Kept(line, k);
            return texts;
        }
        const char* at = m_text.data() + line.keptAt;
        for (int k = 0; k < AsmLine::kKeptTexts; ++k) {
            texts[k] = std::string_view(at, line.keptSizes[k]);
            at += line.keptSizes[k];
        }
        return texts;
    }
    // Keeps the scanned fields, the comment and the Round 2 target of a line.
    void KeepTexts(AsmLine& line, const std::array<std::string_view, AsmLine::kKeptTexts>& texts);

    std::string_view Message(const AsmLine& line) const
    {
        return line.note != 0 ? Text(m_notes[line.note - 1].message) : std::string_view();
    }
    void SetMessage(AsmLine& line, std::string_view message);
    // Why a problem line is one: its reason, or its message when the place
    // that found the problem said it there.
    std::string_view Reason(const AsmLine& line) const
    {
        if (line.note == 0) return {};
        const LineNote& n = m_notes[line.note - 1];
        return n.reason.size > 0 ? Text(n.reason) : Text(n.message);
    }
    bool HasOwnReason(const AsmLine& line) const
    {
        return line.note != 0 && m_notes[line.note - 1].reason.size > 0;
    }
    void SetReason(AsmLine& line, std::string_view reason);
    // For a row of a macro expansion, the line its text was written in.
    int WrittenLine(const AsmLine& line) const
    {
        return line.note != 0 ? m_notes[line.note - 1].writtenLine : 0;
    }
    void SetWrittenLine(AsmLine& line, int number) { NoteOf(line).writtenLine = number; }

    // The DB/DW bytes of a line.
    std::span<const CodeByte> Data(const AsmLine& line) const
    {
        return std::span<const CodeByte>(m_data).subspan(line.dataFirst, line.dataCount);
    }
    std::span<CodeByte> Data(AsmLine& line)
    {
        return std::span<CodeByte>(m_data).subspan(line.dataFirst, line.dataCount);
    }
    void KeepData(AsmLine& line, std::span<const CodeByte> bytes);
    // The code bytes a line puts into the image: its data bytes, or its
    // instruction bytes up to its length.
    std::span<const CodeByte> Code(const AsmLine& line) const;

    std::span<const PendingWord> PendingWords(const AsmLine& line) const
    {
        if (line.note == 0) return {};
        const LineNote& n = m_notes[line.note - 1];
        return std::span<const PendingWord>(m_pending).subspan(n.pendingFirst, n.pendingCount);
    }
    bool HasPendingWords(const AsmLine& line) const
    {
        return line.note != 0 && m_notes[line.note - 1].pendingCount > 0;
    }
    void AddPendingWord(AsmLine& line, uint32_t index, std::string_view text);

    bool HasProblemByte(const AsmLine& line) const;

private:
    // What only some lines have.
    struct LineNote
    {
        TextSlice message;
        TextSlice reason;
        uint32_t pendingFirst = 0;
        uint32_t pendingCount = 0;
        int32_t writtenLine = 0;
        std::array<TextSlice, AsmLine::kKeptTexts> longTexts{};
    };
    LineNote& NoteOf(AsmLine& line);
    std::string_view Kept(const AsmLine& line, int k) const
    {
        if (line.longTexts) return Text(m_notes[line.note - 1].longTexts[k]);
        uint32_t at = line.keptAt;
        for (int j = 0; j < k; ++j) at += line.keptSizes[j];
        return std::string_view(m_text).substr(at, line.keptSizes[k]);
    }

    std::string m_text;
    std::vector<CodeByte> m_data;
    std::vector<PendingWord> m_pending;
    std::vector<LineNote> m_notes;
};

// The line being assembled, with its texts and bytes in reusable storage;
// kept into the line table when the line is done.
struct LineDraft
{
    LineFields fields;
    LineBytes bytes{};
    LineKind kind = LineKind::Nothing;
    FixupKind fixup = FixupKind::None;
    bool isCall = false;
    bool refused = false;
    std::string symbolic;
    std::string message;
    std::string reason;
    std::vector<CodeByte> data;
    struct Word
    {
        uint32_t index = 0;
        std::string text;
    };
    std::vector<Word> pendingWords;
    std::size_t wordCount = 0;  // pendingWords in use (their strings are reused)

    void Clear();
    void AddPendingWord(uint32_t index, std::string_view text);
};

}  // namespace zelo::assembler
