#include "asm/assembly_run.h"

#include "asm/directives.h"
#include "asm/encoder.h"
#include "asm/expressions.h"
#include "asm/line_scanner.h"
#include "asm/macro_expander.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"
#include "core/text_file.h"

namespace zelo::assembler {

void AssemblyRun::Clear()
{
    m_assembly.Clear();
    m_resolver = nullptr;
    m_currentLine = 0;
}

void AssemblyRun::Start(std::string_view sourceText, const SourceResolver& resolver)
{
    Start(std::make_shared<const std::string>(sourceText), resolver);
}

void AssemblyRun::Start(std::shared_ptr<const std::string> source, const SourceResolver& resolver)
{
    Clear();
    m_assembly.source = std::move(source);
    const std::string_view sourceText = *m_assembly.source;
    m_resolver = &resolver;
    m_locationCounter = 0;
    m_occupied.reset();

    // One walk over the source finds what comes before assembling: its line
    // count, the headers its INCLUDE lines name and whether it has macros
    // or conditionals.
    std::size_t lineCount = 0;
    std::vector<std::string> headerNames;
    bool expand = false;
    core::ForEachLine(sourceText, [&](std::string_view line) {
        ++lineCount;
        if (!expand) expand = LineNeedsExpansion(line);
        if (auto name = HeaderNameOf(line)) headerNames.push_back(std::move(*name));
    });
    // Header lines first, then the source's lines, each written straight
    // into its row of the line table.
    LineList list = HeaderLines(headerNames, resolver);
    m_assembly.libraryText = std::move(list.libraryText);
    m_assembly.libraryCount = list.libraryCount;
    m_assembly.headers = std::move(list.headers);
    // Macros and conditional parts are expanded first, only in a source
    // that has them: any other source is assembled line for line.
    ExpandedSource expanded;
    if (expand) {
        std::vector<SourceLine> source;
        core::ForEachLine(sourceText, [&](std::string_view text) {
            source.push_back({std::string(text), {{}, static_cast<int>(source.size()) + 1}});
        });
        expanded = ExpandSource(source, ChipExpandOptions(Chip()));
        // The expander's own lines inside an expansion (an IF in a macro
        // body) are left out; those of the source are shown.
        std::erase_if(expanded.lines,
                      [](const ExpandedLine& l) { return l.depth > 0 && !l.assemble; });
    }
    const std::size_t sourceCount = expand ? expanded.lines.size() : lineCount;
    const std::size_t total = list.lines.size() + sourceCount;
    const bool tooMany = total > static_cast<std::size_t>(kMaxAssemblyLines);
    const std::size_t kept = tooMany ? kMaxAssemblyLines + 1 : total;
    std::size_t libraryText = 0;
    for (const std::string& text : list.lines) libraryText += text.size();
    // Room for the header lines' texts and every line's fields; the source
    // lines' texts stay in the source.
    m_assembly.Reserve(kept, sourceText.size() + 2 * libraryText + 256);
    std::vector<AsmLine>& lines = m_assembly.lines;
    lines.resize(kept);
    std::size_t row = 0;
    for (const std::string& text : list.lines) {
        if (row == kept) break;
        lines[row].library = true;
        lines[row++].text = m_assembly.Keep(text);
    }
    if (expand) {
        for (const ExpandedLine& l : expanded.lines) {
            if (row == kept) break;
            AsmLine& r = lines[row++];
            r.text = m_assembly.Keep(l.text);
            r.sourceLine = l.origin.line;
            r.expansion = l.depth > 0;
            if (r.expansion) {
                m_assembly.SetWrittenLine(r, l.written.line);
                ++m_assembly.expansionLines;
            }
            r.expanderOnly = !l.assemble;
        }
        // A problem of the expander is a refusal of the source line it
        // concerns (of the call, for a line inside an expansion).
        for (const ExpandProblem& p : expanded.problems) {
            const int shown = p.call.line != 0 ? p.call.line : p.where.line;
            for (std::size_t k = list.lines.size(); k < row; ++k) {
                AsmLine& r = lines[k];
                if (r.sourceLine != shown || r.expansion) continue;
                // Inside an expansion the message names the macro line too.
                if (m_assembly.Message(r).empty())
                    m_assembly.SetMessage(r, p.call.line != 0 ? p.Text() : p.reason);
                break;
            }
        }
    } else {
        core::ForEachLine(sourceText, [&](std::string_view text) {
            if (row == kept) return;
            AsmLine& r = lines[row++];
            r.inSource = true;
            r.text = {static_cast<uint32_t>(text.data() - sourceText.data()),
                      static_cast<uint32_t>(text.size())};
        });
    }
    if (tooMany) {
        // The line after the limit stands for every refused line.
        AsmLine& refused = lines.back();
        refused.library = static_cast<int>(kept) - 1 < m_assembly.libraryCount;
        refused.inSource = false;
        refused.text = m_assembly.Keep("; " + std::to_string(total - kMaxAssemblyLines) +
                                       " lines refused: the line table holds " +
                                       std::to_string(kMaxAssemblyLines) + " lines");
    }
    m_assembly.totalLines = static_cast<int>(lines.size());
    m_endSeen = false;
    for (int n = 1; n <= m_assembly.libraryCount; ++n) {
        m_currentLine = n;
        AssembleLine(n);
    }
    // An END in a header ends that header, not the program that includes it.
    m_endSeen = false;
    m_currentLine = m_assembly.libraryCount;
    if (tooMany) {
        // Make sure the refusal shows as a problem however the line scans.
        m_assembly.SetMessage(
            m_assembly.lines.back(),
            "Too many lines: at most " + std::to_string(kMaxAssemblyLines) + " lines");
    }
}

bool AssemblyRun::AssembleNext()
{
    if (LinesDone()) return false;
    ++m_currentLine;
    AssembleLine(m_currentLine);
    return true;
}

void AssemblyRun::CountRound1Problem(int number)
{
    ++m_assembly.round1Problems;
    if (static_cast<int>(m_assembly.problemLines.size()) < kMaxProblemLines)
        m_assembly.problemLines.push_back(number);
}

void AssemblyRun::DefineLabel(bool hasLabel, int number)
{
    if (!hasLabel) return;
    LineDraft& line = m_draft;
    const std::string& name = line.fields.Label();
    if (const auto earlier = m_assembly.labels.EarlierDefinition(name, number)) {
        // The first definition would silently win every lookup.
        line.refused = true;
        std::string shown(core::TrimBlanks(name));
        if (!shown.empty() && shown.back() == ':') shown.pop_back();
        line.message =
            "Label defined twice: " + shown + " (first in " + m_assembly.LineName(*earlier) + ")";
        return;
    }
    if (m_locationCounter > 0xFFFF) {
        line.refused = true;
        line.message = "Location counter past FFFFH: no address for " + name;
        return;
    }
    if (!m_assembly.labels.Add(name, static_cast<uint16_t>(m_locationCounter), number)) {
        line.bytes[0] = CodeByte::Error();
        line.message =
            "Table full: the label table holds at most " + std::to_string(kMaxLabels) + " labels";
        return;
    }
    if (!name.empty() && name[0] != '$' && !m_assembly.labels.AddSection(number)) {
        line.bytes[0] = CodeByte::Error();
        line.message = "Table full: the section list holds at most " +
                       std::to_string(kMaxSections) + " sections";
    }
}

void AssemblyRun::AssembleLine(int number)
{
    LineDraft& line = m_draft;
    line.Clear();
    {
        AsmLine& row = m_assembly.lines[number - 1];
        // A refusal set when the line table was built (too many lines)
        // survives the line's own assembling.
        line.message.assign(m_assembly.Message(row));
        if (row.expanderOnly) {
            // Shown as a comment; one that starts in column 1 gets a ';' so
            // that readers of the listing take no label from it.
            const std::string_view text = m_assembly.LineText(row);
            const bool margin =
                !text.empty() && text[0] != ' ' && text[0] != '\t' && text[0] != ';';
            std::string shown = margin ? ";" : "";
            shown += text;
            Neglect(line.fields, shown);
        } else {
            ScanLineInto(m_assembly.LineText(row), m_endSeen, line.fields);
        }
    }
    const bool refusal = !line.message.empty();
    std::string refusalText;
    if (refusal) refusalText.swap(line.message);
    bool hasLabel = !line.fields.Label().empty();

    LineFields& f = line.fields;
    // Views of the label and mnemonic fields as upper-case: the fields they
    // may point into are changed only where the views are no longer read.
    const core::UpperTrimmed firstUpper(f.field[1]);
    const std::string_view first = firstUpper.View();
    const core::UpperTrimmed mnemonicUpper(f.field[2]);
    std::string_view m = mnemonicUpper.View();
    if ((first == ".GLOBAL" || first == "INCLUDE") && !f.field[2].empty()) {
        // exported name or header: nothing to assemble here
    } else if (first == ".EXTERN") {
        HandleExtern(line, m_assembly.symbols, *m_resolver);
        f.field[1].clear();
        f.field[2].clear();
        // The listing still shows the line.
        if (f.comment.empty()) f.comment.assign(m_assembly.LineText(m_assembly.lines[number - 1]));
        hasLabel = false;
    } else {
        const bool symbolDirective = IsSymbolDirective(m);
        if (m != "ORG" && !symbolDirective) DefineLabel(hasLabel, number);
        if (m.empty() || m == "END") {
            // a label-only line
        } else if (symbolDirective) {
            HandleSymbolDirective(line, std::string(m), m_assembly.symbols);
        } else if (m == "ORG") {
            uint16_t origin = static_cast<uint16_t>(m_locationCounter);
            HandleOrg(line, origin, NamesWithLabels(m_assembly.symbols, m_assembly.labels, number));
            if (!line.bytes[0].IsError()) m_locationCounter = origin;
            DefineLabel(hasLabel, number);
        } else if (m == "DB" || m == "DW" || IsBareHexByte(m)) {
            if (IsBareHexByte(m)) {
                f.field[3] = std::string(m);
                f.field[2] = "DB";
                m = "DB";
            }
            HandleData(line, m == "DW", m_assembly.symbols);
        } else if (std::optional<Encoded> encoded = EncodeIfInstruction(
                       m, f.Operand(1), f.Operand(2), f.Operand(3), m_assembly.symbols)) {
            Encoded& e = *encoded;
            const bool labelFailed = line.bytes[0].IsError();  // label table full
            line.kind = LineKind::Instruction;
            line.bytes = e.bytes;
            if (labelFailed) line.bytes[0] = CodeByte::Error();
            line.fixup = e.fixup;
            line.symbolic = std::move(e.symbolic);
            line.isCall = e.isCall;
            line.reason = std::move(e.reason);
        } else {
            line.bytes[0] = CodeByte::Error();
            line.reason = UnknownMnemonicReason(m);
        }
    }
    if (refusal) {
        line.bytes[0] = CodeByte::Error();
        line.message = std::move(refusalText);
    }

    AsmLine& row = m_assembly.lines[number - 1];
    // Length: from the opcode table, 2 for the absolute jumps waiting for
    // Round 2, the data bytes for DB/DW.
    row.length = 0;
    if (line.kind == LineKind::Instruction) {
        const CodeByte b0 = line.bytes[0];
        if (b0.state == ByteState::Pending) {
            row.length = 2;
        } else if (b0.IsValue()) {
            row.length = core::StandardOpcodeTable().Row(b0.value).bytes;
        } else {
            for (const CodeByte& b : line.bytes) row.length += b.state == ByteState::None ? 0 : 1;
        }
    } else if (line.kind == LineKind::Data) {
        row.length = static_cast<int>(line.data.size());
    }
    row.kind = line.kind;
    const unsigned start = m_locationCounter;
    row.address = static_cast<uint16_t>(start);
    m_locationCounter = start + static_cast<unsigned>(row.length);
    if (row.length > 0) {
        std::string placement = PlaceCode(row, start, number);
        if (!placement.empty()) {
            line.refused = true;
            if (line.message.empty()) line.message = std::move(placement);
        }
    }
    KeepDraft(row);

    if (m_assembly.HasProblemByte(row) || row.refused) {
        row.round1Error = true;
        CountRound1Problem(number);
    }
}

void AssemblyRun::KeepDraft(AsmLine& row)
{
    const LineDraft& line = m_draft;
    const LineFields& f = line.fields;
    m_assembly.KeepTexts(row, {f.field[1], f.field[2], f.field[3], f.field[4], f.field[5], f.comment,
                               line.symbolic});
    row.neglected = line.fields.neglected;
    row.fieldDropped = line.fields.fieldDropped;
    row.bytes = line.bytes;
    row.fixup = line.fixup;
    row.isCall = line.isCall;
    row.refused = line.refused;
    m_assembly.SetMessage(row, line.message);
    m_assembly.SetReason(row, line.reason);
    m_assembly.KeepData(row, line.data);
    for (std::size_t k = 0; k < line.wordCount; ++k)
        m_assembly.AddPendingWord(row, line.pendingWords[k].index, line.pendingWords[k].text);
}

std::string AssemblyRun::PlaceCode(const AsmLine& line, unsigned start, int number)
{
    const unsigned end = start + static_cast<unsigned>(line.length);  // one past the last byte
    if (end > 0x10000) {
        return "Location counter past FFFFH: " + core::ToHexWord(start & 0xFFFF) + "H + " +
               std::to_string(line.length) + " bytes";
    }
    for (unsigned a = start; a < end; ++a) {
        if (!m_occupied.test(a)) continue;
        // Rare: find the earlier line that placed the cell, to name it.
        for (int n = number - 1; n >= 1; --n) {
            const AsmLine& other = m_assembly.lines[n - 1];
            const bool code = other.kind == LineKind::Instruction || other.kind == LineKind::Data;
            if (code && other.length > 0 && a >= other.address &&
                a < static_cast<unsigned>(other.address) + static_cast<unsigned>(other.length)) {
                return "Overlapping code: this line at " + core::ToHexWord(start) + "H and " +
                       m_assembly.LineName(n) + " at " + core::ToHexWord(other.address) +
                       "H both use " + core::ToHexWord(a) + "H";
            }
        }
        return "Overlapping code at " + core::ToHexWord(a) + "H";
    }
    for (unsigned a = start; a < end; ++a) m_occupied.set(a);
    return {};
}

Assembly Assemble(std::string_view sourceText, core::ChipModel chip, const SourceResolver& resolver)
{
    AssemblyRun run(chip);
    run.Start(sourceText, resolver);
    while (run.AssembleNext()) {
    }
    run.Resolve();
    return std::move(run.Result());
}

}  // namespace zelo::assembler
