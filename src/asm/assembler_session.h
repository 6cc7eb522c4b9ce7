// One assembler run after another for the workbench window and `z51 asm`,
// over a workspace folder: the source text, the current program name and the
// chip go in; an AssemblyRun does the assembling through the folder's
// "8051.LIB" headers and modules, and the session writes the listing, HEX,
// task and statistics files of its result. It reports what each command did
// as values; the texts shown for them are made in the app layer. Qt-free;
// nothing here prints or throws.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/asm_types.h"
#include "asm/assembly.h"
#include "asm/assembly_run.h"
#include "asm/output_files.h"
#include "asm/source_file.h"
#include "asm/symbols.h"
#include "asm/usage_counts.h"
#include "core/atomic_file.h"
#include "core/chip_model.h"
#include "core/simulator.h"

namespace zelo::assembler {

using ClockFunction = std::function<ListingClock()>;
ListingClock SystemClock();

// A file of a run that could not be written, and why.
struct WriteFailure
{
    std::string fileName;  // NAME.ext
    std::string error;
};

// What a run did besides assembling: the files it created.
struct AssemblyOutcome
{
    std::string programName;
    core::ChipModel chip = core::ChipModel::C8051;
    bool listingWritten = false;
    bool hexWritten = false;
    bool taskWritten = false;
    std::vector<WriteFailure> failures;
};

// A line as Round 1 left it, for the trace: Round 2 fills in its bytes later.
struct TracedLine
{
    int number = 0;
    LineBytes bytes{};
};

// What one AsmNextLine or AsmAll did.
struct AsmStep
{
    bool started = false;      // a new run began
    bool emptySource = false;  // AsmAll on a source without a line: nothing done
    bool endOfFile = false;    // no line was left to assemble
    int line = 0;              // the line now shown (header lines count); 0 for none
    bool finished = false;     // the run ended: Round 2 done, files written
    bool reported = false;     // AsmAll: the run's report is due
};

class AssemblerSession
{
public:
    explicit AssemblerSession(std::filesystem::path workspace = {},
                              core::ChipModel chip = core::ChipModel::C8051);

    // --- set-up -------------------------------------------------------------
    void SetWorkspace(std::filesystem::path folder);
    const std::filesystem::path& Workspace() const { return m_workspace; }
    void SetChip(core::ChipModel chip);
    core::ChipModel Chip() const { return m_run.Chip(); }
    void SetProgramName(std::string name) { m_programName = std::move(name); }
    const std::string& ProgramName() const { return m_programName; }
    // The editor contents; a new text takes effect at the next run.
    void SetSourceText(std::string text);
    const std::string& SourceText() const { return *m_sourceText; }
    void SetClock(ClockFunction clock) { m_clock = std::move(clock); }
    void SetStatisticsEnabled(bool on) { m_statistics = on; }
    void SetTraceEnabled(bool on) { m_traceEnabled = on; }

    // --- files --------------------------------------------------------------
    // Reads NAME.asm into the source text and makes NAME current; resets.
    bool LoadAsmFile(std::string_view name);
    // Back to idle: no run, tables emptied.
    void Reset();

    // --- assembling ---------------------------------------------------------
    void StartAssembly();
    AsmStep AsmNextLine();
    AsmStep AsmAll();
    bool IsAssembling() const { return m_assembling; }

    // The last header or module listing read (編輯H).
    const std::string& LibraryText() const { return m_libraryText; }
    // The lines of the current run as Round 1 left them (when tracing).
    const std::vector<TracedLine>& Trace() const { return m_trace; }
    // The files of the current run that could not be written.
    const std::vector<WriteFailure>& WriteFailures() const { return m_failures; }
    // The files the last run created.
    AssemblyOutcome Outcome() const;

    // --- results ------------------------------------------------------------
    bool Finished() const { return m_finished; }
    // Both rounds passed and the listing, HEX and task files were written.
    bool Succeeded() const { return m_succeeded; }
    int Round1Problems() const { return Result().round1Problems; }
    int Round2Problems() const { return Result().round2Problems; }
    // Line numbers of the assembly line list (library lines first).
    const std::vector<int>& ProblemLines() const { return Result().problemLines; }
    // The first problem line counted without library lines (0 when none).
    int FirstProblemSourceLine() const { return Result().FirstProblemSourceLine(); }
    const std::vector<std::string>& MissingModules() const { return Result().missingModules; }
    const std::optional<std::filesystem::path>& ListingPath() const { return m_listingPath; }
    const std::optional<std::filesystem::path>& HexPath() const { return m_hexPath; }
    const std::optional<std::filesystem::path>& TaskPath() const { return m_taskPath; }
    // The HEX file's records of the last run.
    std::vector<std::string> HexRecords() const;
    int CodeEnd() const { return m_codeEnd; }
    const std::vector<AsmLine>& Lines() const { return Result().lines; }
    // The line table with the texts and data bytes of its lines.
    const Assembly& Result() const { return m_run.Result(); }
    int LibraryLineCount() const { return Result().libraryCount; }
    int TotalLineCount() const { return Result().totalLines; }
    int CurrentLine() const { return m_run.CurrentLine(); }
    const SymbolTable& Symbols() const { return Result().symbols; }
    const LabelTable& Labels() const { return Result().labels; }
    const assembler::UsageCounts& UsageCounts() const { return m_usage; }

    // The HEX tab's cross-check: NAME.hex compared byte by byte with the
    // code assembled last.
    std::string CrossCheckHex() const;

    // The listing file's lines of the last run (also written to NAME.lst).
    std::vector<std::string> ListingLines() const;
    // The listing file's text (CR LF line ends).
    const std::string& ListingText() const;

private:
    void FinishRun();
    std::filesystem::path FilePath(std::string_view extension) const;
    void WriteListing();
    bool WriteHexFile();
    bool WriteTskFile();
    // NAME + extension in the workspace; the path is kept when written.
    bool WriteRunFile(std::string_view extension, std::string_view bytes,
                      std::optional<std::filesystem::path>& written);
    bool WriteRunFile(std::string_view extension,
                      const std::function<void(core::AtomicFileWriter&)>& write,
                      std::optional<std::filesystem::path>& written);
    void WriteUsageCounts();

    std::filesystem::path m_workspace;
    std::string m_programName;
    // Shared with the run, whose line texts are slices of it.
    std::shared_ptr<const std::string> m_sourceText = std::make_shared<const std::string>();
    ClockFunction m_clock;
    bool m_statistics = true;
    bool m_traceEnabled = true;

    FolderResolver m_library;  // the workspace's "8051.LIB" folder
    AssemblyRun m_run;
    bool m_assembling = false;
    bool m_finished = false;
    bool m_succeeded = false;
    assembler::UsageCounts m_usage{};

    std::string m_libraryText;
    std::vector<TracedLine> m_trace;
    std::vector<WriteFailure> m_failures;

    // The listing is written to its file in pieces; its text is made from
    // the run when first asked for, or before a reset empties the run.
    ListingClock m_listingClock;  // the run's date and time and program name
    std::string m_listingName;
    mutable bool m_listingPending = false;
    mutable std::string m_listingText;
    std::string m_hexText;  // the HEX file's text
    std::string m_taskImage;  // the bytes of the HEX records, from address 0
    int m_codeEnd = -1;
    std::optional<std::filesystem::path> m_listingPath;
    std::optional<std::filesystem::path> m_hexPath;
    std::optional<std::filesystem::path> m_taskPath;
};

}  // namespace zelo::assembler
