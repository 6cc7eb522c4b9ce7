#include "asm/assembler_session.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "asm/source_file.h"
#include "core/text_file.h"

namespace zelo::assembler {

namespace fs = std::filesystem;

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
    m_sourceText = std::make_shared<const std::string>(std::move(text));
}

fs::path AssemblerSession::FilePath(std::string_view extension) const
{
    return m_workspace / (m_programName + std::string(extension));
}

void AssemblerSession::Reset()
{
    // The last listing stays readable after the run it was made from is gone.
    ListingText();
    m_assembling = false;
    m_finished = false;
    m_succeeded = false;
    m_run.Clear();
}

bool AssemblerSession::LoadAsmFile(std::string_view name)
{
    LoadedSource source = assembler::LoadAsmFile(m_workspace, name);
    if (!source.ok) return false;
    m_programName = std::string(name);
    m_sourceText = std::make_shared<const std::string>(std::move(source.text));
    Reset();
    return true;
}

AssemblyOutcome AssemblerSession::Outcome() const
{
    return {m_programName, Chip(), m_listingPath.has_value(), m_hexPath.has_value(),
            m_taskPath.has_value(), m_failures};
}

void AssemblerSession::StartAssembly()
{
    // This run's listing replaces the last one, which need not be made.
    m_listingPending = false;
    Reset();
    m_trace.clear();
    m_failures.clear();
    m_listingText.clear();
    m_listingPending = false;
    m_hexText.clear();
    m_taskImage.clear();
    m_codeEnd = -1;
    m_listingPath.reset();
    m_hexPath.reset();
    m_taskPath.reset();

    m_run.Start(m_sourceText, m_library);
    if (!Result().libraryText.empty()) m_libraryText = Result().libraryText;
    if (m_traceEnabled) {
        for (int n = 1; n <= Result().libraryCount; ++n)
            m_trace.push_back({n, Result().lines[n - 1].bytes});
    }
    m_assembling = true;
    m_finished = false;
}

AsmStep AssemblerSession::AsmNextLine()
{
    AsmStep step;
    if (m_finished) {
        step.endOfFile = true;
        m_finished = false;  // the next step starts a new run
        return step;
    }
    if (!m_assembling) {
        StartAssembly();
        step.started = true;
    }
    if (!m_run.AssembleNext()) {
        step.endOfFile = true;
        return step;
    }
    step.line = m_run.CurrentLine();
    if (m_traceEnabled) m_trace.push_back({step.line, Result().lines[step.line - 1].bytes});
    if (m_run.LinesDone()) {
        FinishRun();
        step.finished = true;
    }
    return step;
}

AsmStep AssemblerSession::AsmAll()
{
    AsmStep step;
    if (m_sourceText->empty()) {
        // Nothing to assemble: said, instead of a silent return.
        m_succeeded = false;
        m_finished = false;
        step.emptySource = true;
        return step;
    }
    StartAssembly();
    step.started = true;
    while (m_assembling && !m_run.LinesDone()) AsmNextLine();
    // The last line is the one shown.
    const int current = m_run.CurrentLine();
    if (current >= 1 && current <= static_cast<int>(Result().lines.size())) step.line = current;
    if (m_assembling) FinishRun();  // a source made of library lines only
    step.finished = true;
    step.reported = true;
    return step;
}

void AssemblerSession::FinishRun()
{
    m_run.Resolve();
    const Assembly& a = Result();
    if (!a.libraryText.empty()) m_libraryText = a.libraryText;
    WriteListing();
    m_succeeded = false;
    if (a.Passed() && m_listingPath) {
        const bool hex = WriteHexFile();
        const bool tsk = hex && WriteTskFile();
        m_succeeded = hex && tsk;
    }
    m_assembling = false;
    m_finished = true;
}

// --- the files of a run ------------------------------------------------------

void AssemblerSession::WriteUsageCounts()
{
    const std::string text = UsageCountsText(m_usage);
    // The counts accumulate over every run and cannot be rebuilt: written
    // as durably as a source.
    std::string error;
    if (!core::WriteFileAtomic(m_workspace / kUsageFileName, text, &error, core::FileSync::Durable))
        m_failures.push_back({kUsageFileName, error});
}

void AssemblerSession::WriteListing()
{
    if (m_statistics) {
        m_usage = ReadUsageCounts(m_workspace);
        CountOpcodes(Result(), m_usage);
    }
    m_listingClock = m_clock ? m_clock() : SystemClock();
    m_listingName = m_programName;
    m_listingText.clear();
    m_listingPending = true;
    WriteRunFile(
        ".lst",
        [this](core::AtomicFileWriter& file) {
            PutListing(Result(), m_listingName, m_listingClock,
                       [&file](std::string_view piece) { file.Write(piece); });
        },
        m_listingPath);
    if (m_statistics) WriteUsageCounts();
}

std::vector<std::string> AssemblerSession::ListingLines() const
{
    return core::SplitLines(ListingText());
}

const std::string& AssemblerSession::ListingText() const
{
    if (m_listingPending) {
        m_listingText = assembler::ListingText(Result(), m_listingName, m_listingClock);
        m_listingPending = false;
    }
    return m_listingText;
}

bool AssemblerSession::WriteHexFile()
{
    HexImage image = MakeHexImage(Result());
    m_hexText = std::move(image.text);
    m_taskImage = std::move(image.task);
    m_codeEnd = image.codeEnd;
    return WriteRunFile(".hex", m_hexText, m_hexPath);
}

std::vector<std::string> AssemblerSession::HexRecords() const
{
    return core::SplitLines(m_hexText);
}

bool AssemblerSession::WriteTskFile()
{
    return WriteRunFile(".tsk", m_taskImage, m_taskPath);
}

bool AssemblerSession::WriteRunFile(std::string_view extension, std::string_view bytes,
                                    std::optional<fs::path>& written)
{
    return WriteRunFile(extension, [bytes](core::AtomicFileWriter& file) { file.Write(bytes); },
                        written);
}

bool AssemblerSession::WriteRunFile(std::string_view extension,
                                    const std::function<void(core::AtomicFileWriter&)>& write,
                                    std::optional<fs::path>& written)
{
    // Rebuilt by the next run, so written without waiting for the disk.
    std::string error;
    const auto path = FilePath(extension);
    core::AtomicFileWriter file(path);
    write(file);
    if (!file.Commit(core::FileSync::Regenerable, &error)) {
        m_failures.push_back({m_programName + std::string(extension), error});
        return false;
    }
    written = path;
    return true;
}

std::string AssemblerSession::CrossCheckHex() const
{
    return CrossCheckText(Result(), m_programName, core::ReadTextFile(FilePath(".hex")));
}

}  // namespace zelo::assembler
