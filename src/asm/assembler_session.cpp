#include "asm/assembler_session.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "asm/directives.h"
#include "asm/encoder.h"
#include "asm/line_scanner.h"
#include "asm/source_file.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"
#include "core/text_file.h"

namespace zelo::assembler {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRule = "-------------------------------";

}  // namespace

ListingClock SystemClock()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    char time[32];
    std::strftime(date, sizeof date, "%Y/%m/%d", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    return {date, time};
}

AssemblerSession::AssemblerSession(fs::path workspace, core::ChipModel chip)
    : m_workspace(std::move(workspace)), m_clock(SystemClock), m_symbols(chip)
{
}

void AssemblerSession::SetWorkspace(fs::path folder)
{
    m_workspace = std::move(folder);
    Reset();
}

void AssemblerSession::SetChip(core::ChipModel chip)
{
    m_symbols.SetChip(chip);
    Reset();
}

void AssemblerSession::SetSourceText(std::string text)
{
    m_sourceText = std::move(text);
}

fs::path AssemblerSession::FilePath(std::string_view extension) const
{
    return m_workspace / (m_programName + std::string(extension));
}

fs::path AssemblerSession::LibraryFolder() const
{
    return m_workspace / kLibraryFolder;
}

void AssemblerSession::Reset()
{
    // The last run's step-over table outlives the reset, as the line table
    // it comes from does not.
    StepOver();
    m_assembling = false;
    m_finished = false;
    m_succeeded = false;
    m_assembly.Clear();
    m_libraryCount = 0;
    m_totalLines = 0;
    m_currentLine = 0;
    m_symbols.Clear();
    m_labels.Clear();
}

bool AssemblerSession::LoadAsmFile(std::string_view name)
{
    const LoadedSource source = assembler::LoadAsmFile(m_workspace, name);
    if (!source.ok) {
        m_asmFileCaption = source.caption;
        return false;
    }
    m_programName = std::string(name);
    m_sourceText = source.text;
    m_statusText = source.status;
    Reset();
    // Lines of INCLUDE files are not counted: only the source's own lines.
    m_asmFileCaption = "AsmFile has " + std::to_string(core::CountLines(m_sourceText)) + " lines ";
    return true;
}

bool AssemblerSession::SaveAsmFile(std::string_view fileName)
{
    const SaveResult saved = assembler::SaveAsmFile(m_workspace, fileName, m_sourceText);
    if (!saved.ok) {
        ReportWriteFailure(saved.message);
        return false;
    }
    return LoadAsmFile(saved.name);
}

void AssemblerSession::ReportWriteFailure(const std::string& message)
{
    if (!m_messageBox.empty()) m_messageBox += "\n";
    m_messageBox += message;
}

void AssemblerSession::StartAssembly()
{
    m_stepOver = {};
    m_stepOverPending = false;
    Reset();
    m_locationCounter = 0;
    m_occupied.reset();
    m_parsecText.clear();
    m_statusText.clear();
    m_messageBox.clear();
    m_round1Problems = 0;
    m_round2Problems = 0;
    m_problemLines.clear();
    m_missingModules.clear();
    m_dataLines = 0;
    m_listingText.clear();
    m_hexRecords.clear();
    m_codeEnd = -1;
    m_listingPath.reset();
    m_hexPath.reset();
    m_taskPath.reset();

    // Header lines first, then the source's lines, each written straight
    // into its row of the line table.
    LineList list = IncludedLines(m_sourceText, m_workspace);
    if (!list.libraryText.empty()) m_libraryText = list.libraryText;
    m_libraryCount = list.libraryCount;
    m_headers = std::move(list.headers);
    const std::size_t total = list.lines.size() + core::CountLines(m_sourceText);
    const bool tooMany = total > static_cast<std::size_t>(kMaxAssemblyLines);
    const std::size_t kept = tooMany ? kMaxAssemblyLines + 1 : total;
    std::size_t libraryText = 0;
    for (const std::string& text : list.lines) libraryText += text.size();
    // Room for the lines' texts and their fields, kept once each.
    m_assembly.Reserve(kept, 2 * (m_sourceText.size() + libraryText) + 256);
    std::vector<AsmLine>& lines = m_assembly.lines;
    lines.resize(kept);
    std::size_t row = 0;
    for (const std::string& text : list.lines) {
        if (row == kept) break;
        lines[row].library = true;
        lines[row++].text = m_assembly.Keep(text);
    }
    core::ForEachLine(m_sourceText, [&](std::string_view text) {
        if (row < kept) lines[row++].text = m_assembly.Keep(text);
    });
    if (tooMany) {
        // The line after the limit stands for every refused line.
        AsmLine& refused = lines.back();
        refused.library = static_cast<int>(kept) - 1 < m_libraryCount;
        refused.text = m_assembly.Keep("; " + std::to_string(total - kMaxAssemblyLines) +
                                       " lines refused: the line table holds " +
                                       std::to_string(kMaxAssemblyLines) + " lines");
    }
    m_totalLines = static_cast<int>(lines.size());
    m_endSeen = false;
    m_assembling = true;
    m_finished = false;
    const bool show = m_showProgress;
    m_showProgress = false;
    for (int n = 1; n <= m_libraryCount; ++n) {
        m_currentLine = n;
        AssembleLine(n);
    }
    m_showProgress = show;
    // An END in a header ends that header, not the program that includes it.
    m_endSeen = false;
    m_currentLine = m_libraryCount;
    if (tooMany) {
        // Make sure the refusal shows as a problem however the line scans.
        m_assembly.SetMessage(m_assembly.lines.back(), "Too many lines: at most " +
                                                           std::to_string(kMaxAssemblyLines) +
                                                           " lines");
    }
}

void AssemblerSession::AsmNextLine()
{
    const int shownTotal = m_totalLines - m_libraryCount;
    if (m_finished) {
        m_asmText = "AsmFile has " + std::to_string(shownTotal) + " lines  ==>  End of File";
        m_finished = false;  // the next step starts a new run
        return;
    }
    if (!m_assembling) StartAssembly();
    const int total = m_totalLines - m_libraryCount;
    if (m_currentLine >= m_totalLines) {
        m_asmText = "AsmFile has " + std::to_string(total) + " lines  ==>  End of File";
        return;
    }
    ++m_currentLine;
    if (m_showProgress) m_asmText = m_assembly.LineText(m_assembly.lines[m_currentLine - 1]);
    AssembleLine(m_currentLine);
    if (m_currentLine == m_totalLines) FinishRun();
}

void AssemblerSession::AsmAll()
{
    if (m_sourceText.empty()) {
        // Nothing to assemble: said, instead of a silent return.
        m_succeeded = false;
        m_finished = false;
        m_statusText = EmptySourceText(m_programName);
        m_asmListText = m_statusText + "\n";
        return;
    }
    StartAssembly();
    m_showProgress = false;
    while (m_assembling && m_currentLine < m_totalLines) AsmNextLine();
    m_showProgress = true;
    if (m_currentLine >= 1 && m_currentLine <= static_cast<int>(m_assembly.lines.size())) {
        // The messages the last line would have shown.
        const AsmLine& last = m_assembly.lines[m_currentLine - 1];
        m_asmText = m_assembly.LineText(last);
        m_asmFileCaption = LineProgressText(m_totalLines - m_libraryCount,
                                            SourceNumber(m_currentLine), last.neglected);
    }
    if (m_assembling) FinishRun();  // a source made of library lines only
    BuildReport();
}

void AssemblerSession::CountRound1Problem(int number)
{
    ++m_round1Problems;
    if (static_cast<int>(m_problemLines.size()) < kMaxProblemLines)
        m_problemLines.push_back(number);
}

void AssemblerSession::DefineLabel(bool hasLabel, int number)
{
    if (!hasLabel) return;
    LineDraft& line = m_draft;
    const std::string& name = line.fields.Label();
    if (const auto earlier = m_labels.EarlierDefinition(name, number)) {
        // The first definition would silently win every lookup.
        line.refused = true;
        std::string shown(core::TrimBlanks(name));
        if (!shown.empty() && shown.back() == ':') shown.pop_back();
        line.message = "Label defined twice: " + shown + " (first in " + LineName(*earlier) + ")";
        return;
    }
    if (m_locationCounter > 0xFFFF) {
        line.refused = true;
        line.message = "Location counter past FFFFH: no address for " + name;
        return;
    }
    if (!m_labels.Add(name, static_cast<uint16_t>(m_locationCounter), number)) {
        line.bytes[0] = CodeByte::Error();
        line.message =
            "Table full: the label table holds at most " + std::to_string(kMaxLabels) + " labels";
        return;
    }
    if (!name.empty() && name[0] != '$' && !m_labels.AddSection(number)) {
        line.bytes[0] = CodeByte::Error();
        line.message = "Table full: the section list holds at most " +
                       std::to_string(kMaxSections) + " sections";
    }
}

void AssemblerSession::AssembleLine(int number)
{
    LineDraft& line = m_draft;
    line.Clear();
    {
        AsmLine& row = m_assembly.lines[number - 1];
        // A refusal set when the line table was built (too many lines)
        // survives the line's own assembling.
        if (row.message.size > 0) line.message.assign(m_assembly.Message(row));
        ScanLineInto(m_assembly.LineText(row), m_endSeen, line.fields);
    }
    const bool refusal = !line.message.empty();
    std::string refusalText;
    if (refusal) refusalText.swap(line.message);
    const int total = m_totalLines - m_libraryCount;
    if (m_showProgress)
        m_asmFileCaption = LineProgressText(total, SourceNumber(number), line.fields.neglected);
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
        HandleExtern(line, m_symbols, LibraryFolder());
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
            HandleSymbolDirective(line, std::string(m), m_symbols);
        } else if (m == "ORG") {
            uint16_t origin = static_cast<uint16_t>(m_locationCounter);
            HandleOrg(line, origin);
            if (!line.bytes[0].IsError()) m_locationCounter = origin;
            DefineLabel(hasLabel, number);
        } else if (m == "DB" || m == "DW" || IsBareHexByte(m)) {
            if (IsBareHexByte(m)) {
                f.field[3] = std::string(m);
                f.field[2] = "DB";
                m = "DB";
            }
            if (m_dataLines >= kMaxDataLines) {
                line.kind = LineKind::Data;
                line.bytes[0] = CodeByte::Error();
                line.message = "Table full: the data list holds at most " +
                               std::to_string(kMaxDataLines) + " DB/DW lines";
            } else {
                ++m_dataLines;
                HandleData(line, m == "DW", m_symbols);
            }
        } else if (std::optional<Encoded> encoded = EncodeIfInstruction(
                       m, f.Operand(1), f.Operand(2), f.Operand(3), m_symbols)) {
            Encoded& e = *encoded;
            const bool labelFailed = line.bytes[0].IsError();  // label table full
            line.kind = LineKind::Instruction;
            for (std::size_t k = 0; k < line.bytes.size(); ++k) line.bytes[k] = ByteFromText(e.bytes[k]);
            if (labelFailed) line.bytes[0] = CodeByte::Error();
            line.fixup = e.fixup;
            line.symbolic = std::move(e.symbolic);
            line.isCall = e.isCall;
        } else {
            line.bytes[0] = CodeByte::Error();
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
    if (m_trace) AppendTrace(row, number);
}

void AssemblerSession::KeepDraft(AsmLine& row)
{
    const LineDraft& line = m_draft;
    for (int k = 1; k <= 5; ++k) row.fields[k - 1] = m_assembly.Keep(line.fields.field[k]);
    row.comment = m_assembly.Keep(line.fields.comment);
    row.neglected = line.fields.neglected;
    row.bytes = line.bytes;
    row.fixup = line.fixup;
    row.isCall = line.isCall;
    row.refused = line.refused;
    row.symbolic = m_assembly.Keep(line.symbolic);
    row.message = m_assembly.Keep(line.message);
    m_assembly.KeepData(row, line.data);
    for (std::size_t k = 0; k < line.wordCount; ++k)
        m_assembly.AddPendingWord(row, line.pendingWords[k].index, line.pendingWords[k].text);
}

std::string AssemblerSession::LineName(int number) const
{
    if (number > m_libraryCount) return "line " + std::to_string(SourceNumber(number));
    for (const HeaderSpan& h : m_headers) {
        if (number >= h.first && number < h.first + h.count)
            return "line " + std::to_string(number - h.first + 1) + " of " + h.name;
    }
    return "line " + std::to_string(number);
}

std::string AssemblerSession::PlaceCode(const AsmLine& line, unsigned start, int number)
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
                       LineName(n) + " at " + core::ToHexWord(other.address) + "H both use " +
                       core::ToHexWord(a) + "H";
            }
        }
        return "Overlapping code at " + core::ToHexWord(a) + "H";
    }
    for (unsigned a = start; a < end; ++a) m_occupied.set(a);
    return {};
}

void AssemblerSession::AppendTrace(const AsmLine& line, int number)
{
    const LineFields& f = m_draft.fields;
    std::string operands = f.field[3];
    for (int k = 4; k <= 5; ++k) {
        if (!f.field[k].empty()) operands += "," + f.field[k];
    }
    std::string out;
    out.reserve(96);
    core::AppendFieldRight(std::to_string(number), 5, out);
    out += ' ';
    out += core::ToHexWord(line.address);
    out += ' ';
    for (const CodeByte& b : line.bytes) {
        out.append(ByteChars(b).data(), 2);
        out += ' ';
    }
    core::AppendField(f.field[1], 10, out);
    core::AppendField(f.field[2], 6, out);
    core::AppendField(operands, 20, out);
    out += f.comment;
    out += '\n';
    m_parsecText += out;
}

int AssemblerSession::FirstProblemSourceLine() const
{
    if (m_problemLines.empty()) return 0;
    int first = m_problemLines.front();
    for (int n : m_problemLines) first = std::min(first, n);
    return SourceNumber(first);
}

void AssemblerSession::FinishRun()
{
    if (!m_symbols.Modules().empty() && m_round1Problems == 0) LinkExterns();
    WriteListing();
    m_succeeded = false;
    if (m_round1Problems == 0 && m_round2Problems == 0 && m_missingModules.empty() &&
        (m_listingPath || !m_writeFiles)) {
        const bool hex = WriteHexFile();
        const bool tsk = hex && WriteTskFile();
        m_stepOverPending = true;
        m_succeeded = hex && tsk;
    }
    m_assembling = false;
    m_finished = true;
}

void AssemblerSession::BuildReport()
{
    std::string r = "        " + std::string(core::ChipName(Chip())) + "\n" + kRule + "\n";
    if (m_round1Problems + m_round2Problems > 0) {
        const int first = FirstProblemSourceLine();
        const int firstNumber = m_problemLines.empty() ? 0 : first + m_libraryCount;
        // A header's line is named with its file: the source has no such line.
        const std::string where =
            first >= 1 || firstNumber < 1 ? std::to_string(first) : LineName(firstNumber).substr(5);
        r += "Problem in line: " + where + "\n";
        if (firstNumber >= 1 && firstNumber <= static_cast<int>(m_assembly.lines.size())) {
            const AsmLine& line = m_assembly.lines[firstNumber - 1];
            for (int k = 1; k <= 5; ++k) {
                r += m_assembly.Field(line, k);
                r += k < 5 ? "-" : "\n";
            }
            const std::string_view message = m_assembly.Message(line);
            if (!message.empty()) {
                r += message;
                r += "\n";
            }
        }
        r += std::string(kRule) + "\n";
        if (m_round1Problems != 0)
            r += "Round 1 Problems :" + std::to_string(m_round1Problems) + "\n";
        if (m_round2Problems != 0)
            r += "Round 2 Problems :" + std::to_string(m_round2Problems) + "\n";
        m_statusText = m_programName +
                       ".asm    Total Lines:" + std::to_string(m_totalLines - m_libraryCount) +
                       "     Problem in line: " + where;
    } else {
        r += " Round 1 PASS!   Round 2 PASS! \n";
        if (m_listingPath) r += "    " + m_programName + ".lst  created\n";
        if (!m_missingModules.empty()) {
            for (const std::string& name : m_missingModules)
                r += "    " + name + " doesn't exist\n";
        } else {
            if (m_hexPath) r += "    " + m_programName + ".hex  created\n";
            if (m_taskPath) r += "    " + m_programName + ".tsk  created\n";
        }
    }
    if (!m_messageBox.empty()) r += m_messageBox + "\n";
    m_asmListText = r;
}

}  // namespace zelo::assembler
