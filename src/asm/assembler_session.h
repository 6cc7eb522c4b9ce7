// One assembler run after another for the workbench window and `z51 asm`,
// over a workspace folder: the source text, the current program name and the
// chip go in; an AssemblyRun does the assembling through the folder's
// "8051.LIB" headers and modules, and the session writes the listing, HEX,
// task and statistics files of its result and keeps the captions and report
// texts the window shows. Qt-free; nothing here prints or throws.
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
#include "core/chip_model.h"
#include "core/simulator.h"

namespace zelo::assembler {

using ClockFunction = std::function<ListingClock()>;
ListingClock SystemClock();

// The report of AsmAll on a source without a single line.
inline std::string EmptySourceText(const std::string& programName)
{
    return programName + ".asm is empty: there is nothing to assemble.";
}

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
    const std::string& SourceText() const { return m_sourceText; }
    void SetClock(ClockFunction clock) { m_clock = std::move(clock); }
    void SetStatisticsEnabled(bool on) { m_statistics = on; }
    void SetTraceEnabled(bool on) { m_trace = on; }
    // Off for batch use (grading): a run keeps its listing, HEX records and
    // task image in memory and writes no file into the workspace.
    void SetOutputFilesEnabled(bool on) { m_writeFiles = on; }

    // --- files --------------------------------------------------------------
    // Reads NAME.asm into the source text and makes NAME current; resets.
    bool LoadAsmFile(std::string_view name);
    // Writes the source text as FILE (".asm" appended when missing), makes
    // it current and reloads it.
    bool SaveAsmFile(std::string_view fileName);
    // Back to idle: no run, tables emptied.
    void Reset();

    // --- assembling ---------------------------------------------------------
    void StartAssembly();
    void AsmNextLine();
    void AsmAll();
    bool IsAssembling() const { return m_assembling; }

    // --- captions and texts ---------------------------------------------------
    const std::string& AsmFileCaption() const { return m_asmFileCaption; }  // AsmFile frame
    const std::string& AsmText() const { return m_asmText; }                // AsmText box
    const std::string& AsmListText() const { return m_asmListText; }        // 編輯ASMList
    const std::string& LibraryText() const { return m_libraryText; }        // 編輯H
    const std::string& StatusText() const { return m_statusText; }
    // Set when an output file could not be written; the window shows it in a
    // message box.
    const std::string& MessageBoxText() const { return m_messageBox; }
    const std::string& ParsecText() const { return m_parsecText; }

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
    const std::vector<std::string>& HexRecords() const { return m_hexRecords; }
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
    // code assembled last; the text also goes to AsmListText.
    std::string CrossCheckHex();

    // The listing file's lines of the last run (also written to NAME.lst).
    std::vector<std::string> ListingLines() const;
    // The listing file's text (CR LF line ends).
    const std::string& ListingText() const { return m_listingText; }

private:
    void ShowLine(int number);
    void AppendTrace(int number);
    void FinishRun();
    void BuildReport();
    int SourceNumber(int number) const { return Result().SourceNumber(number); }
    std::filesystem::path FilePath(std::string_view extension) const;
    void ReportWriteFailure(const std::string& message);
    void WriteListing();
    bool WriteHexFile();
    bool WriteTskFile();
    // NAME + extension in the workspace; the path is kept when written.
    bool WriteRunFile(std::string_view extension, std::string_view bytes,
                      std::optional<std::filesystem::path>& written);
    void WriteUsageCounts();

    std::filesystem::path m_workspace;
    std::string m_programName;
    std::string m_sourceText;
    ClockFunction m_clock;
    bool m_statistics = true;
    bool m_trace = true;
    bool m_writeFiles = true;
    bool m_showProgress = true;  // off while AsmAll runs: only the last line's messages remain

    FolderResolver m_library;  // the workspace's "8051.LIB" folder
    AssemblyRun m_run;
    bool m_assembling = false;
    bool m_finished = false;
    bool m_succeeded = false;
    assembler::UsageCounts m_usage{};

    std::string m_asmFileCaption;
    std::string m_asmText;
    std::string m_asmListText;
    std::string m_libraryText;
    std::string m_statusText;
    std::string m_messageBox;
    std::string m_parsecText;

    std::string m_listingText;
    std::vector<std::string> m_hexRecords;
    std::string m_taskImage;  // the bytes of the HEX records, from address 0
    int m_codeEnd = -1;
    std::optional<std::filesystem::path> m_listingPath;
    std::optional<std::filesystem::path> m_hexPath;
    std::optional<std::filesystem::path> m_taskPath;
};

}  // namespace zelo::assembler
