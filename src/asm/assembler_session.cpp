#include "asm/assembler_session.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "asm/line_scanner.h"
#include "asm/source_file.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
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
    : m_workspace(std::move(workspace)),
      m_clock(SystemClock),
      m_library(m_workspace / kLibraryFolder),
      m_run(chip)
{
}

void AssemblerSession::SetWorkspace(fs::path folder)
{
    m_workspace = std::move(folder);
    m_library = FolderResolver(m_workspace / kLibraryFolder);
    Reset();
}

void AssemblerSession::SetChip(core::ChipModel chip)
{
    m_run.SetChip(chip);
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

void AssemblerSession::Reset()
{
    m_assembling = false;
    m_finished = false;
    m_succeeded = false;
    m_run.Clear();
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
    Reset();
    m_parsecText.clear();
    m_statusText.clear();
    m_messageBox.clear();
    m_listingText.clear();
    m_hexRecords.clear();
    m_taskImage.clear();
    m_codeEnd = -1;
    m_listingPath.reset();
    m_hexPath.reset();
    m_taskPath.reset();

    m_run.Start(m_sourceText, m_library);
    if (!Result().libraryText.empty()) m_libraryText = Result().libraryText;
    if (m_trace) {
        for (int n = 1; n <= Result().libraryCount; ++n) AppendTrace(n);
    }
    m_assembling = true;
    m_finished = false;
}

void AssemblerSession::ShowLine(int number)
{
    const Assembly& a = Result();
    const AsmLine& line = a.lines[number - 1];
    m_asmText = a.LineText(line);
    m_asmFileCaption =
        LineProgressText(a.totalLines - a.libraryCount, SourceNumber(number), line.neglected);
}

void AssemblerSession::AsmNextLine()
{
    if (m_finished) {
        const int shownTotal = Result().totalLines - Result().libraryCount;
        m_asmText = "AsmFile has " + std::to_string(shownTotal) + " lines  ==>  End of File";
        m_finished = false;  // the next step starts a new run
        return;
    }
    if (!m_assembling) StartAssembly();
    if (!m_run.AssembleNext()) {
        const int total = Result().totalLines - Result().libraryCount;
        m_asmText = "AsmFile has " + std::to_string(total) + " lines  ==>  End of File";
        return;
    }
    const int number = m_run.CurrentLine();
    if (m_showProgress) ShowLine(number);
    if (m_trace) AppendTrace(number);
    if (m_run.LinesDone()) FinishRun();
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
    while (m_assembling && !m_run.LinesDone()) AsmNextLine();
    m_showProgress = true;
    // The messages the last line would have shown.
    const int current = m_run.CurrentLine();
    if (current >= 1 && current <= static_cast<int>(Result().lines.size())) ShowLine(current);
    if (m_assembling) FinishRun();  // a source made of library lines only
    BuildReport();
}

void AssemblerSession::AppendTrace(int number)
{
    const Assembly& a = Result();
    const AsmLine& line = a.lines[number - 1];
    std::string operands(a.Field(line, 3));
    for (int k = 4; k <= 5; ++k) {
        if (!a.Field(line, k).empty()) {
            operands += ',';
            operands += a.Field(line, k);
        }
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
    core::AppendField(a.Field(line, 1), 10, out);
    core::AppendField(a.Field(line, 2), 6, out);
    core::AppendField(operands, 20, out);
    out += a.Comment(line);
    out += '\n';
    m_parsecText += out;
}

void AssemblerSession::FinishRun()
{
    m_run.Resolve();
    const Assembly& a = Result();
    if (!a.linkProblem.empty()) m_asmListText = a.linkProblem;
    if (!a.libraryText.empty()) m_libraryText = a.libraryText;
    WriteListing();
    m_succeeded = false;
    if (a.Passed() && (m_listingPath || !m_writeFiles)) {
        const bool hex = WriteHexFile();
        const bool tsk = hex && WriteTskFile();
        m_succeeded = hex && tsk;
    }
    m_assembling = false;
    m_finished = true;
}

void AssemblerSession::BuildReport()
{
    const Assembly& a = Result();
    std::string r = "        " + std::string(core::ChipName(Chip())) + "\n" + kRule + "\n";
    if (a.round1Problems + a.round2Problems > 0) {
        const int first = FirstProblemSourceLine();
        const int firstNumber = a.problemLines.empty() ? 0 : first + a.libraryCount;
        // A header's line is named with its file: the source has no such line.
        const std::string where =
            first >= 1 || firstNumber < 1 ? std::to_string(first) : a.LineName(firstNumber).substr(5);
        r += "Problem in line: " + where + "\n";
        if (firstNumber >= 1 && firstNumber <= static_cast<int>(a.lines.size())) {
            const AsmLine& line = a.lines[firstNumber - 1];
            for (int k = 1; k <= 5; ++k) {
                r += a.Field(line, k);
                r += k < 5 ? "-" : "\n";
            }
            const std::string_view message = a.Message(line);
            if (!message.empty()) {
                r += message;
                r += "\n";
            }
        }
        r += std::string(kRule) + "\n";
        if (a.round1Problems != 0) r += "Round 1 Problems :" + std::to_string(a.round1Problems) + "\n";
        if (a.round2Problems != 0) r += "Round 2 Problems :" + std::to_string(a.round2Problems) + "\n";
        m_statusText = m_programName +
                       ".asm    Total Lines:" + std::to_string(a.totalLines - a.libraryCount) +
                       "     Problem in line: " + where;
    } else {
        r += " Round 1 PASS!   Round 2 PASS! \n";
        if (m_listingPath) r += "    " + m_programName + ".lst  created\n";
        if (!a.missingModules.empty()) {
            for (const std::string& name : a.missingModules) r += "    " + name + " doesn't exist\n";
        } else {
            if (m_hexPath) r += "    " + m_programName + ".hex  created\n";
            if (m_taskPath) r += "    " + m_programName + ".tsk  created\n";
        }
    }
    if (!m_messageBox.empty()) r += m_messageBox + "\n";
    m_asmListText = r;
}

// --- the files of a run ------------------------------------------------------

void AssemblerSession::WriteUsageCounts()
{
    const std::string text = UsageCountsText(m_usage);
    // The counts accumulate over every run and cannot be rebuilt: written
    // as durably as a source.
    std::string error;
    if (!core::WriteFileAtomic(m_workspace / kUsageFileName, text, &error, core::FileSync::Durable))
        ReportWriteFailure(std::string(kUsageFileName) + " could not be written: " + error);
}

void AssemblerSession::WriteListing()
{
    if (m_statistics) {
        m_usage = ReadUsageCounts(m_workspace);
        CountOpcodes(Result(), m_usage);
    }
    m_listingText = assembler::ListingText(Result(), m_programName, m_clock ? m_clock() : SystemClock());
    if (!m_writeFiles) return;
    WriteRunFile(".lst", m_listingText, m_listingPath);
    if (m_statistics) WriteUsageCounts();
}

std::vector<std::string> AssemblerSession::ListingLines() const
{
    return core::SplitLines(m_listingText);
}

bool AssemblerSession::WriteHexFile()
{
    HexImage image = MakeHexImage(Result());
    m_hexRecords = std::move(image.records);
    m_taskImage = std::move(image.task);
    m_codeEnd = image.codeEnd;
    if (!m_writeFiles) return true;
    std::string text;
    for (const std::string& record : m_hexRecords) {
        text += record;
        text += "\r\n";
    }
    return WriteRunFile(".hex", text, m_hexPath);
}

bool AssemblerSession::WriteTskFile()
{
    return !m_writeFiles || WriteRunFile(".tsk", m_taskImage, m_taskPath);
}

bool AssemblerSession::WriteRunFile(std::string_view extension, std::string_view bytes,
                                    std::optional<fs::path>& written)
{
    // Rebuilt by the next run, so written without waiting for the disk.
    std::string error;
    const auto path = FilePath(extension);
    if (!core::WriteFileAtomic(path, bytes, &error, core::FileSync::Regenerable)) {
        ReportWriteFailure(m_programName + std::string(extension) + " could not be written: " + error);
        return false;
    }
    written = path;
    return true;
}

std::string AssemblerSession::CrossCheckHex()
{
    m_asmListText = CrossCheckText(Result(), m_programName, core::ReadTextFile(FilePath(".hex")));
    return m_asmListText;
}

}  // namespace zelo::assembler
