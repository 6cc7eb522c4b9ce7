// The file list, the source editor's files and the disassembler command.
#include "app/workbench.h"

#include "app/file_names.h"
#include "app/load_texts.h"

#include <algorithm>

#include "asm/source_file.h"
#include "core/ascii_text.h"
#include "core/text_file.h"
#include "loader/disassemble_file.h"

namespace zelo::app {

namespace fs = std::filesystem;

// --- file list -------------------------------------------------------------------

void Workbench::ShowFileList(FileListMode mode, const char* pattern)
{
    m_fileListMode = mode;
    m_fileListPattern = pattern;
    m_controls.Show(Control::FileDemo);
}

void Workbench::AsmOpneFile()
{
    m_stepOverReady = false;
    m_controls.Enable(Control::AsmSave1, false);
    m_controls.Enable(Control::AsmNextLine, false);
    m_controls.Enable(Control::AsmAll, false);
    ShowFileList(FileListMode::LoadSource, "*.asm");
}

void Workbench::LoadCode() { ShowFileList(FileListMode::LoadHex, "*.hex"); }

void Workbench::DisAssemble() { ShowFileList(FileListMode::Disassemble, "*tsk;*hex"); }

std::vector<std::string> Workbench::FileListEntries() const
{
    std::vector<std::string> names;
    if (m_fileListPattern.empty()) return names;
    std::error_code ec;
    for (fs::directory_iterator it(m_workspace, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string name = it->path().filename().string();
        if (MatchesFilePattern(name, m_fileListPattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Workbench::ClickFile(const std::string& entry)
{
    // The list text up to "=>" is the file name.
    std::string name = entry.substr(0, entry.find("=>"));
    name = std::string(core::TrimBlanks(name));
    m_stepOverReady = false;
    m_sim.ClearStepOverRanges();
    m_controls.Hide(Control::StepOverCom);
    m_controls.Hide(Control::StepOverList);
    if (IsPlainFileName(name)) {
        switch (m_fileListMode) {
            case FileListMode::LoadSource: {
                OpenSourceFile(name);
                EnableSourceCommands();
                break;
            }
            case FileListMode::LoadHex:
                // A HEX file chosen here is not the assembler's output: the
                // step-over table of the last assembly does not belong to it.
                m_sim.SetStepOverTable({});
                m_stepOverRows.clear();
                m_hexFromProgram = false;
                LoadProgram(loader::HexFileChoice{false, name});
                break;
            case FileListMode::Disassemble: Disassemble(name); break;
            case FileListMode::None: break;
        }
    }
    m_controls.Hide(Control::FileDemo);
}

void Workbench::CancelFileList()
{
    m_controls.Hide(Control::FileDemo);
    EnableSourceCommands();
}

void Workbench::EnableSourceCommands()
{
    m_controls.Enable(Control::AsmSave1);
    m_controls.Enable(Control::AsmNextLine);
    m_controls.Enable(Control::AsmAll);
}

// --- source -------------------------------------------------------------------------

bool Workbench::LoadAsmFile(const std::string& name) { return OpenSourceFile(name + ".asm"); }

bool Workbench::OpenSourceFile(const std::string& fileName)
{
    if (!LoadSourceFile(fileName)) return false;
    // Another source: the reports of the previous one's assembly go.
    m_assemblyFailed = false;
    m_texts.listBox.clear();
    m_texts.asmText.clear();
    m_texts.parsecText.clear();
    return true;
}

bool Workbench::LoadSourceFile(const std::string& fileName)
{
    std::string error;
    auto text = core::ReadTextFile(WorkspaceFile(fileName), &error);
    if (!text) {
        m_texts.asmFileCaption = kNoSourceFile;
        return false;
    }
    const auto lines = core::SplitLines(*text);
    // The name without its extension (file names end in ".asm" in any case).
    const std::string name = EndsWithNoCase(fileName, ".asm") ? fileName.substr(0, fileName.size() - 4) : fileName;
    m_programName = name;
    m_sourceText = JoinLines(lines);
    m_sourceModified = false;
    m_problemLine.reset();
    if (m_fileType == FileType::Asm) m_texts.editor = m_sourceText;
    m_texts.label1 = "  " + m_programName + ".asm";
    m_texts.status = fileName + "  loaded";
    // Lines of INCLUDE files are not counted: only the source's own lines.
    m_texts.asmFileCaption = SourceLinesCaption(static_cast<int>(lines.size()));
    m_asm.SetProgramName(m_programName);
    m_asm.SetSourceText(m_sourceText);
    m_asm.Reset();
    m_hexFromProgram = false;
    InitialiseMachine();
    return true;
}

void Workbench::EditSource(const std::string& text)
{
    if (!m_asmViewIsSource) return;  // the editor shows a listing or HEX text
    if (text == m_sourceText) return;
    m_sourceText = text;
    m_texts.editor = text;
    m_sourceModified = true;
}

SaveOutcome Workbench::AsmSave1()
{
    if (!m_sourceModified || m_programName.empty()) return SaveOutcome::NeedsName;
    return ASMSave(m_programName + ".asm");
}

SaveOutcome Workbench::ASMSave(const std::string& answer)
{
    std::string name(core::TrimBlanks(answer));
    if (name.empty()) return SaveOutcome::NeedsName;
    if (!EndsWithNoCase(name, ".asm")) name += ".asm";
    if (!IsPlainFileName(name)) {
        m_texts.listBox = name + " is not a file name of the workspace.";
        return SaveOutcome::Failed;
    }
    std::string error;
    if (!core::WriteTextLines(WorkspaceFile(name), core::SplitLines(m_sourceText), &error)) {
        m_texts.listBox = error;
        return SaveOutcome::Failed;
    }
    m_sourceModified = false;
    LoadSourceFile(name);
    m_texts.status = name + "  saved";
    return SaveOutcome::Saved;
}

void Workbench::Disassemble(const std::string& fileName)
{
    const auto result = loader::DisassembleFile(WorkspaceFile(fileName), m_chipModel);
    if (!result.ok) {
        m_texts.listBox = DisassemblyFailure(result);
        return;
    }
    m_texts.listBox = result.listingText;
    if (const auto caption = DisassemblyAsmFileCaption(result)) m_texts.asmFileCaption = *caption;
    for (const auto& note : DisassemblyNotes(result)) m_texts.listBox += "\n" + note;
}

}  // namespace zelo::app
