#include "app/workbench.h"

#include <algorithm>

#include "app/file_names.h"
#include "app/inspector.h"
#include "asm/usage_counts.h"
#include "core/bit_name_table.h"
#include "core/opcode_table.h"
#include "core/text_file.h"

namespace zelo::app {

namespace fs = std::filesystem;

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
    // Every step is journaled, so "Back" can undo it.
    m_sim.SetRecording(true);
    InitialiseMachine();
    LayOutPins();
}

void Workbench::LayOutPins()
{
    m_chipPins.LayOutPins(m_chipModel);
    m_chipPins.UpdatePinLevels(m_sim.Cpu(), m_sim.Outside().pins);
    m_chipDraw = m_chipPins.DrawChip();
}

void Workbench::UpdatePins()
{
    if (m_chipPins.UpdatePinLevels(m_sim.Cpu(), m_sim.Outside().pins)) m_chipDraw = m_chipPins.DrawChip();
}

void Workbench::ClickPin(int xTwips, int yTwips)
{
    // The click works a switch from the pin to ground: with the level choice
    // "0" it pulls the pin low, with "1" it lets the pin go. Nothing outside
    // can write the latch or drive a pin the program holds low, so "1" only
    // removes the pull; the latch stays as the program wrote it.
    const auto bit = m_chipPins.ClickPin(xTwips, yTwips, m_sim.Cpu());
    if (!bit) return;
    core::PortBytes pulls = m_sim.PullDowns(core::PullSource::Click);
    auto& port = pulls[static_cast<std::size_t>(core::PortIndexOf(bit->byte))];
    const auto mask = static_cast<uint8_t>(1u << bit->bit);
    port = m_pinLevelChoice == '0' ? static_cast<uint8_t>(port | mask) : static_cast<uint8_t>(port & ~mask);
    m_sim.SetPullDowns(core::PullSource::Click, pulls);
    m_chipPins.UpdatePinLevels(m_sim.Cpu(), m_sim.Outside().pins);
    m_chipDraw = m_chipPins.DrawChip();
    RefreshStateView();
}

void Workbench::PointerMoved(double x, double y)
{
    const auto result = InspectPointer(x, y, m_picture.Layout(), m_inspectOnHover, m_sim.Cpu());
    if (!result) return;
    m_texts.windowCaption = result->caption;
    m_debugPanel.SetInspector(result->caption);
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
    // A reset in full: peripherals, interrupts, counters and the current
    // instruction start again, and every view of them is redrawn, so nothing
    // of the previous steps stays on screen. Code memory keeps the program.
    m_sim.ResetForLoad();
    m_sim.SetDisplayFlag(true);
    m_accessory.MachineReset(m_workspace / kBoardsFolder, m_chipModel, m_sim);
    m_machineCycleTime = 12.0 * (1.0 / 11.0592);
    m_marks = StateMarks{};
    ShowCounters();
    m_texts.hexBox.clear();
    m_texts.hexText.clear();
    RefreshStateView();
    if (m_fileType == FileType::Ram) m_ramListRows = RamDumpRows();
    UpdatePins();
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
    // Leaving the file list by a mode switch closes it as a cancel does.
    if (m_controls.Visible(Control::FileDemo)) EnableSourceCommands();
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
        m_hexState.programName = m_pendingName;
        LoadProgram(loader::HexFileChoice{true, ""});
        m_controls.Hide(Control::FileDemo);
        m_programPending = false;
    } else if (m_assemblyFailed) {
        m_texts.listBox = NoAssembledCodeMessage(m_programName);
    }
}

std::string NoAssembledCodeMessage(const std::string& programName)
{
    return "No assembled code for " + programName + ".asm: its last assembly failed, nothing new was loaded.";
}

const std::string& Workbench::ListingName() const
{
    return m_modeIsAssemble || m_codeName.empty() ? m_programName : m_codeName;
}

void Workbench::ShowFileTypeText(const std::string& baseName, const char* extension)
{
    const std::string name = baseName + extension;
    std::string error;
    if (baseName.empty()) {
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
            ShowFileTypeText(ListingName(), ".lst");
            m_texts.label1 = "  " + ListingName() + ".lst";
            m_controls.Hide(Control::RamList);
            m_controls.Show(Control::EditAsm);
            if (!m_modeIsAssemble) {
                m_controls.Hide(Control::PictureVo);
                m_controls.Hide(Control::CodeList);
                // The listing the debugger follows, which may be the
                // disassembly made on load.
                if (!m_listing.Empty()) {
                    m_texts.editor = JoinLines(m_listing.Lines());
                    m_texts.listBox.clear();
                }
            }
            break;
        case FileType::Hex:
            m_asmViewIsSource = false;
            m_controls.Hide(Control::AsmSaveAs);
            ShowFileTypeText(m_programName, ".hex");
            m_texts.label1 = "  " + m_programName + ".hex";
            // The HEX file checked byte by byte against the code assembled last.
            // The assembler's list box keeps it until the next report.
            if (m_asm.Finished() && !m_programName.empty())
                m_texts.listBox = m_asmTexts.report = m_asm.CrossCheckHex();
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
            m_ramListRows = RamDumpRows();
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
    const assembler::UsageCounts counts = assembler::ReadUsageCounts(m_workspace);
    std::copy(counts.begin(), counts.end(), m_usage.begin());
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

}  // namespace zelo::app
