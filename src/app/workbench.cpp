#include "app/workbench.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "core/bit_name_table.h"
#include "core/byte_text.h"
#include "core/opcode_table.h"
#include "core/text_file.h"
#include "app/inspector.h"
#include "asm/source_file.h"
#include "loader/disassemble_file.h"
#include "loader/load_program.h"

namespace zelo::app {

namespace fs = std::filesystem;

namespace {
bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) return false;
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const auto a = std::toupper(static_cast<unsigned char>(text[text.size() - suffix.size() + i]));
        const auto b = std::toupper(static_cast<unsigned char>(suffix[i]));
        if (a != b) return false;
    }
    return true;
}

// A file pattern of the list: "*.asm", or several joined by ';' ("*tsk;*hex").
bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    std::size_t start = 0;
    while (start <= pattern.size()) {
        const std::size_t end = std::min(pattern.find(';', start), pattern.size());
        std::string_view piece(pattern.data() + start, end - start);
        if (!piece.empty() && piece.front() == '*' && EndsWithNoCase(name, piece.substr(1))) return true;
        start = end + 1;
    }
    return false;
}

// A name typed by the user must stay a plain file of the workspace.
bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find(':') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}
}  // namespace

Workbench::Workbench(fs::path workspace) : m_workspace(std::move(workspace)), m_asm(m_workspace) {}

std::string Workbench::FileListFolder() const
{
    std::string folder = m_workspace.string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

StatePictureSources Workbench::PictureSources() const
{
    return StatePictureSources{&m_sim.Cpu(), &core::StandardBitNameTable(), &core::StandardOpcodeTable(), &m_usage,
                               m_usageStatistics};
}

void Workbench::RefreshStateView() { m_picture.Redraw(PictureSources(), m_marks); }

// --- start-up and machine ----------------------------------------------------

void Workbench::StartUp()
{
    m_stepOverReady = false;
    m_inspectOnHover = true;
    m_pinLevelChoice = '0';
    m_modeIsAssemble = true;
    m_asmViewIsSource = true;
    m_usageStatistics = true;

    for (Control c : {Control::FileDemo, Control::OpAsm1, Control::OpAsm2, Control::OpAsm3, Control::Converter,
                      Control::F8051, Control::PictureVo, Control::HexFile, Control::CodeList, Control::RamList,
                      Control::StepOverCom, Control::StepOverList})
        m_controls.Hide(c);
    m_texts.label1.clear();
    m_texts.label2.clear();
    m_controls.Show(Control::FrmOther);
    m_controls.Show(Control::AsmFile);
    m_controls.Show(Control::EditAsm);
    m_fileType = FileType::Asm;
    m_selectedChip = 0;

    const auto& opcodes = core::StandardOpcodeTable();
    std::string error;
    if (!core::WriteFileAtomic(WorkspaceFile(core::kOpcodeListFileName), opcodes.ListFileText(), &error))
        m_texts.listBox = error;
    m_ramListRows.clear();
    InitialiseMachine();
    LayOutPins();
}

void Workbench::LayOutPins()
{
    m_chipPins.LayOutPins(m_chipModel);
    m_chipPins.UpdatePinLevels(m_sim.Cpu());
    m_chipDraw = m_chipPins.DrawChip();
}

void Workbench::UpdatePins()
{
    if (m_chipPins.UpdatePinLevels(m_sim.Cpu())) m_chipDraw = m_chipPins.DrawChip();
}

void Workbench::ClickPin(int xTwips, int yTwips)
{
    if (!m_chipPins.ClickPin(xTwips, yTwips, m_pinLevelChoice, m_sim.Cpu())) return;
    m_chipDraw = m_chipPins.DrawChip();
    RefreshStateView();
}

void Workbench::PointerMoved(double x, double y)
{
    const auto result = InspectPointer(x, y, m_picture.Layout(), m_inspectOnHover, m_sim.Cpu());
    if (!result) return;
    m_texts.windowCaption = result->caption;
    if (m_picture.Layout() != PictureLayout::Note) return;
    const int slot = result->topicSlot.value_or(-1);
    if (slot == m_shownTopicSheet) return;
    m_shownTopicSheet = slot;
    if (slot >= 0)
        m_picture.ShowTopicSheet(slot);
    else
        m_picture.ShowTopics();
}

void Workbench::InitialiseMachine()
{
    SelectChipModel(m_selectedChip);
    if (m_sim.Running()) {
        m_sim.ToggleRun();
        EnableAfterRun();
    }
    // The opcode and bit-name tables are built once and shared read-only;
    // what is rebuilt here is the machine and the assembler's names for the
    // chosen chip.
    m_picture.SelectLayout(PictureLayout::RamName, PictureSources(), m_marks);
    m_asm.SetChip(m_chipModel);
    m_sim.SelectChip(m_chipModel);
    m_sim.Cpu().programCounter = 0;
    m_sim.SetDisplayFlag(true);
    m_machineCycleTime = 12.0 * (1.0 / 11.0592);
    RefreshStateView();
}

void Workbench::SelectChipModel(int index)
{
    switch (index) {
        case 0: m_chipModel = core::ChipModel::C8051; break;
        case 1: m_chipModel = core::ChipModel::C8052; break;
        case 2: m_chipModel = core::ChipModel::C89Cx051; break;
        default: break;
    }
}

void Workbench::ClickChip(int index)
{
    if (index < 0 || index > 2) return;
    // A chip change ends a run completely, so the controls a run disabled
    // come back, not only the caption.
    m_selectedChip = index;
    InitialiseMachine();
    m_texts.runCaption = "RUN";
    LayOutPins();
}

// --- modes and selectors -------------------------------------------------------

void Workbench::SwitchMode(int index)
{
    if (index != 0 && index != 1) return;
    if (m_sim.Running()) ClickRun();
    m_controls.Hide(Control::FileDemo);
    if (index == 0) {
        m_controls.Hide(Control::OpAsm3);
        m_controls.Show(Control::OpAsm0);
        m_controls.Show(Control::OpAsm2);
        m_modeIsAssemble = true;
        SelectFileType(0);
        m_controls.Show(Control::FrmOther);
        if (m_asmViewIsSource) m_controls.Show(Control::AsmSaveAs);
        m_controls.Show(Control::AsmFile);
        m_controls.Hide(Control::HexFile);
        m_controls.Hide(Control::CodeList);
        m_controls.Hide(Control::RamList);
        m_controls.Show(Control::EditAsm);
        m_controls.Hide(Control::PictureVo);
        m_texts.label2.clear();
        return;
    }
    m_controls.Hide(Control::OpAsm0);
    m_controls.Hide(Control::OpAsm2);
    m_controls.Show(Control::OpAsm3);
    m_controls.Show(Control::OpAsm1);
    m_modeIsAssemble = false;
    m_controls.Hide(Control::StepOverCom);
    m_controls.Hide(Control::StepOverList);
    if (m_stepOverReady) m_controls.Show(Control::StepOverCom);
    m_controls.Show(Control::FrmOther);
    m_controls.Hide(Control::AsmSaveAs);
    SelectFileType(3);
    m_controls.Show(Control::PictureVo);
    m_controls.Hide(Control::AsmFile);
    m_controls.Show(Control::HexFile);
    m_controls.Show(Control::CodeList);
    m_controls.Hide(Control::EditAsm);
    m_texts.listBox.clear();
    m_texts.label1 = kAccessoryHeader;
    m_texts.label2 = kRomHeader;
    if (m_programPending) {
        LoadCode();
        m_hexFromProgram = true;
        LoadProgram(loader::HexFileChoice{true, ""});
        m_controls.Hide(Control::FileDemo);
        m_programPending = false;
    }
}

void Workbench::ShowFileTypeText(const char* extension)
{
    const std::string name = m_programName + extension;
    std::string error;
    if (m_programName.empty()) {
        m_texts.editor.clear();
    } else if (auto text = core::ReadTextFile(WorkspaceFile(name), &error)) {
        m_texts.editor = JoinLines(core::SplitLines(*text));
    } else {
        m_texts.editor.clear();
        m_texts.listBox = name + " doesn't  exist.";
    }
    m_texts.editorReadOnly = true;
}

void Workbench::SelectFileType(int index)
{
    if (index < 0 || index > 4) return;
    m_fileType = static_cast<FileType>(index);
    switch (m_fileType) {
        case FileType::Asm:
            m_asmViewIsSource = true;
            m_texts.editor = m_sourceText;
            m_texts.editorReadOnly = false;
            m_texts.label1 = "  " + m_programName + ".asm";
            if (m_modeIsAssemble) m_controls.Show(Control::AsmSaveAs);
            m_controls.Hide(Control::RamList);
            if (m_modeIsAssemble) m_controls.Show(Control::EditAsm);
            break;
        case FileType::List:
            m_asmViewIsSource = false;
            m_controls.Hide(Control::AsmSaveAs);
            ShowFileTypeText(".lst");
            m_texts.label1 = "  " + m_programName + ".lst";
            m_controls.Hide(Control::RamList);
            m_controls.Show(Control::EditAsm);
            if (!m_modeIsAssemble) {
                m_controls.Hide(Control::PictureVo);
                m_controls.Hide(Control::CodeList);
            }
            break;
        case FileType::Hex:
            m_asmViewIsSource = false;
            m_controls.Hide(Control::AsmSaveAs);
            ShowFileTypeText(".hex");
            m_texts.label1 = "  " + m_programName + ".hex";
            // The HEX file checked byte by byte against the code assembled last.
            if (m_asm.Finished() && !m_programName.empty()) m_texts.listBox = m_asm.CrossCheckHex();
            m_controls.Hide(Control::RamList);
            m_controls.Show(Control::EditAsm);
            break;
        case FileType::Rom:
            m_controls.Hide(Control::RamList);
            if (!m_modeIsAssemble) {
                m_controls.Hide(Control::EditAsm);
                m_controls.Show(Control::PictureVo);
                m_controls.Show(Control::CodeList);
                m_texts.label1 = kAccessoryHeader;
                m_texts.label2 = kRomHeader;
            }
            break;
        case FileType::Ram:
            m_ramListRows = FillCodeDump(m_sim.Cpu());
            m_controls.Show(Control::RamList);
            m_controls.Hide(Control::CodeList);
            if (m_modeIsAssemble) m_controls.Hide(Control::EditAsm);
            break;
    }
}

void Workbench::SelectLayout(int index)
{
    if (index < 0 || index > 5) return;
    m_texts.windowCaption = kWindowCaption;
    m_inspectOnHover = true;
    if (static_cast<PictureLayout>(index) == PictureLayout::Instruction) LoadUsageCounters();
    m_shownTopicSheet = -1;
    m_picture.SelectLayout(static_cast<PictureLayout>(index), PictureSources(), m_marks);
}

void Workbench::LoadUsageCounters()
{
    m_usage.fill(0);
    auto text = core::ReadTextFile(WorkspaceFile(kUsageFileName));
    if (!text) return;
    // "OpCode= XX" and the count from column 11, one line per opcode in order.
    const auto lines = core::SplitLines(*text);
    for (std::size_t n = 0; n < lines.size() && n < 256; ++n) {
        const std::string& line = lines[n];
        if (line.size() <= 10) continue;
        long count = 0;
        for (std::size_t i = 10; i < line.size(); ++i) {
            const char ch = line[i];
            if (ch == ' ' && count == 0) continue;
            if (ch < '0' || ch > '9') break;
            count = count * 10 + (ch - '0');
            if (count > 1'000'000'000) break;
        }
        m_usage[n] = count;
    }
}

void Workbench::SetShowConverter(bool on) { m_controls.SetVisible(Control::Converter, on); }

void Workbench::SetShowPins(bool on)
{
    m_showPins = on;
    m_controls.SetVisible(Control::F8051, on);
    if (on) LayOutPins();
}

void Workbench::SetPinLevelChoice(char level)
{
    if (level == '0' || level == '1') m_pinLevelChoice = level;
}

void Workbench::ToggleInspectOnHover() { m_inspectOnHover = !m_inspectOnHover; }

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
        if (MatchesPattern(name, m_fileListPattern)) names.push_back(name);
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
    m_stepOverRows.clear();
    m_controls.Hide(Control::StepOverCom);
    m_controls.Hide(Control::StepOverList);
    if (IsPlainFileName(name)) {
        switch (m_fileListMode) {
            case FileListMode::LoadSource: {
                LoadSourceFile(name);
                m_controls.Enable(Control::AsmSave1);
                m_controls.Enable(Control::AsmNextLine);
                m_controls.Enable(Control::AsmAll);
                break;
            }
            case FileListMode::LoadHex:
                // A HEX file chosen here is not the assembler's output: the
                // step-over table of the last assembly does not belong to it.
                m_sim.SetStepOverTable({});
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
    m_controls.Enable(Control::AsmSave1);
    m_controls.Enable(Control::AsmNextLine);
    m_controls.Enable(Control::AsmAll);
}

// --- source -------------------------------------------------------------------------

bool Workbench::LoadAsmFile(const std::string& name) { return LoadSourceFile(name + ".asm"); }

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
    // Lines of INCLUDE files are not counted.
    const auto list = assembler::BuildLineList(lines, m_workspace);
    m_texts.asmFileCaption =
        "AsmFile has " + std::to_string(list.lines.size() - static_cast<std::size_t>(list.libraryCount)) + " lines ";
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
    return SaveOutcome::Saved;
}

// --- assembler ------------------------------------------------------------------------

void Workbench::AsmNextLine()
{
    if (!m_asm.IsAssembling()) {
        m_asm.SetChip(m_chipModel);
        m_asm.SetProgramName(m_programName);
        m_asm.SetSourceText(m_sourceText);
    }
    m_asm.AsmNextLine();
    AfterAssembly();
}

void Workbench::AsmAll()
{
    m_asm.SetChip(m_chipModel);
    m_asm.SetProgramName(m_programName);
    m_asm.SetSourceText(m_sourceText);
    m_asm.AsmAll();
    AfterAssembly();
    m_problemLine.reset();
    if (const int line = m_asm.FirstProblemSourceLine(); line > 0 && !m_asm.Succeeded()) m_problemLine = line - 1;
}

void Workbench::AfterAssembly()
{
    m_texts.asmFileCaption = m_asm.AsmFileCaption();
    m_texts.asmText = m_asm.AsmText();
    m_texts.parsecText = m_asm.ParsecText();
    m_texts.status = m_asm.StatusText();
    m_texts.listBox = m_asm.AsmListText();
    if (!m_asm.MessageBoxText().empty()) {
        if (!m_texts.listBox.empty()) m_texts.listBox += "\n";
        m_texts.listBox += m_asm.MessageBoxText();
    }
    if (!m_asm.Finished()) return;
    m_hexFromProgram = m_asm.Succeeded();
    if (!m_asm.Succeeded()) return;
    m_programPending = true;
    // Each called subroutine runs from its address to its first RET.
    std::vector<core::StepOverRow> rows;
    const auto& table = m_asm.StepOver();
    for (const auto& sub : table.subroutines) {
        uint16_t end = sub.address;
        bool found = false;
        for (uint16_t ret : table.returnAddresses) {
            if (ret >= sub.address && (!found || ret < end)) {
                end = ret;
                found = true;
            }
        }
        rows.push_back(core::StepOverRow{sub.name, sub.address, end});
    }
    m_sim.SetStepOverTable(std::move(rows));
    m_stepOverRows.clear();
    for (const auto& row : m_sim.StepOverTable()) m_stepOverRows.push_back(row.name);
    m_stepOverReady = m_sim.HasStepOverTable();
    LoadUsageCounters();
}

void Workbench::Disassemble(const std::string& fileName)
{
    const auto result = loader::DisassembleFile(WorkspaceFile(fileName), m_chipModel);
    if (!result.ok) {
        m_texts.listBox = result.message;
        return;
    }
    m_texts.listBox = result.listingText;
    if (!result.asmFileCaption.empty()) m_texts.asmFileCaption = result.asmFileCaption;
    for (const auto& note : result.notes) m_texts.listBox += "\n" + note;
}

// --- simulation ---------------------------------------------------------------------------

void Workbench::SetRunControlsEnabled(bool on)
{
    for (Control c : {Control::ReLoadCom, Control::StepOverCom, Control::LoadCode, Control::OneStep,
                      Control::RamOp, Control::Chip})
        m_controls.Enable(c, on);
}

void Workbench::EnableAfterRun()
{
    m_texts.runCaption = "RUN";
    SetRunControlsEnabled(true);
}

void Workbench::ShowCounters()
{
    m_texts.hexToLine = core::Simulator::PcCaption(m_sim.ProgramCounter());
    m_texts.cycle = "Cycle:" + std::to_string(m_sim.CycleCounter());
    m_texts.stepVo = "Step:" + std::to_string(m_sim.StepCounter());
}

void Workbench::UpdateMarks()
{
    const auto& current = m_sim.Current();
    m_marks.operands = {current.source, current.destination, core::OperandAddress{}, core::OperandAddress{}};
    m_marks.changed.assign(current.changed.begin(), current.changed.begin() + current.changedCount);
    m_marks.timer0Counting = m_sim.Peripherals().timerUsed[0];
    m_marks.timer1Counting = m_sim.Peripherals().timerUsed[1];
}

void Workbench::ApplyStepReport(const core::StepReport& report)
{
    if (report.countersShown) {
        if (report.executed) m_texts.hexBox = report.executedTrace;
        m_texts.hexText = report.nextTrace;
        ShowCounters();
    }
    if (report.viewsRefreshed) {
        UpdateMarks();
        RefreshStateView();
        if (m_fileType == FileType::Ram) m_ramListRows = FillCodeDump(m_sim.Cpu());
    }
    if (report.textStop) m_texts.textStop = *report.textStop;
    if (report.runEnded) EnableAfterRun();
    if (m_showPins && report.pinsChanged) UpdatePins();
    m_texts.listBox = m_sim.Cpu().simulationLog;
}

void Workbench::ClickRun()
{
    m_sim.SetTextStop(m_texts.textStop);
    const bool wasRunning = m_sim.Running();
    const auto report = m_sim.ToggleRun();
    if (!wasRunning) {
        SetRunControlsEnabled(false);
        m_texts.runCaption = "STOP";
        m_marks.noInstructionYet = false;
        if (report.textStop) m_texts.textStop = *report.textStop;
        return;
    }
    ApplyStepReport(report);
    EnableAfterRun();
}

void Workbench::OneStep()
{
    m_texts.runCaption = "RUN";
    m_controls.Enable(Control::LoadCode);
    m_marks.noInstructionYet = false;
    m_sim.SetTextStop(m_texts.textStop);
    ApplyStepReport(m_sim.OneStep());
    SetRunControlsEnabled(true);
}

int Workbench::Timer1Tick(int budgetMicroseconds)
{
    if (!m_sim.Running()) return 0;
    if (m_sim.DisplayFlag()) {
        const auto report = m_sim.RunBatch(1);
        ApplyStepReport(report);
        return report.stepsExecuted;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::microseconds(budgetMicroseconds);
    int steps = 0;
    core::StepReport report;
    do {
        report = m_sim.RunBatch(4096);
        steps += report.stepsExecuted;
    } while (m_sim.Running() && !m_sim.DisplayFlag() && !report.countersShown && !report.viewsRefreshed &&
             Clock::now() < deadline);
    ApplyStepReport(report);
    return steps;
}

void Workbench::StepOverCom()
{
    const bool shown = m_controls.Visible(Control::StepOverList);
    m_controls.SetVisible(Control::StepOverList, !shown);
    m_controls.Enable(Control::ReLoadCom, shown);
}

void Workbench::StepOverListSelect(const std::vector<int>& rows) { m_sim.ChooseStepOverRows(rows); }

void Workbench::ReLoadCom()
{
    m_sim.ClearStepOverRanges();
    m_controls.Enable(Control::StepOverCom, false);
    m_hexFromProgram = true;
    LoadProgram(loader::HexFileChoice{true, ""});
    m_hexFromProgram = false;
    m_programPending = true;
    m_stepOverReady = m_sim.HasStepOverTable();
    m_controls.Enable(Control::StepOverCom, m_stepOverReady);
    if (m_stepOverReady && !m_modeIsAssemble) m_controls.Show(Control::StepOverCom);
}

void Workbench::LoadProgram(const loader::HexFileChoice& choice)
{
    m_hexState.programName = m_programName;
    const auto result = loader::LoadProgram(m_sim, m_workspace, choice, m_hexState, m_texts.hexToLine);
    if (!result.done) return;  // a run is in progress
    m_texts.hexText.clear();
    m_texts.listBox.clear();
    m_texts.label1 = kAccessoryHeader;
    m_texts.label2 = kRomHeader;
    if (result.hex.asmFileCaption) m_texts.asmFileCaption = *result.hex.asmFileCaption;
    if (result.hex.hexFileCaption) m_texts.hexFileCaption = *result.hex.hexFileCaption;
    if (!result.hex.romRows.empty()) m_codeListRows = result.hex.romRows;
    if (result.hex.problem != loader::HexLoadProblem::MissingFile) m_programName = m_hexState.programName;
    m_texts.hexToLine = result.hexToLine;
    m_texts.cycle = result.cycleCaption;
    m_texts.stepVo = result.stepCaption;
    m_texts.hexBox.clear();
    m_sim.SetDisplayFlag(true);
    m_marks = StateMarks{};
    m_marks.noInstructionYet = true;
    m_picture.SelectLayout(PictureLayout::RamBit, PictureSources(), m_marks);
    if (m_fileType == FileType::Ram) m_ramListRows = FillCodeDump(m_sim.Cpu());
    UpdatePins();
}

}  // namespace zelo::app
