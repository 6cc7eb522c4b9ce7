#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/workbench.h"
#include "core/opcode_table.h"
#include "core/text_file.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

class WorkbenchModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_wb_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "8051.LIB");
        Write("demo.asm", "START: MOV A,#12H ; load\r\n SJMP START\r\n END\r\n");
        Write("other.asm", "; nothing\r\n");
        Write("demo.hex", ":03000000020030CB\r\n:00000001FF\r\n");
        Write("demo.tsk", "\x02\x00\x30");
        Write("notes.txt", "x");
        m_bench = std::make_unique<Workbench>(m_folder);
        m_bench->StartUp();
    }
    void TearDown() override { fs::remove_all(m_folder); }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder / name, std::ios::binary) << text;
    }
    bool Visible(Control c) const { return m_bench->Controls().Visible(c); }
    bool Enabled(Control c) const { return m_bench->Controls().Enabled(c); }

    fs::path m_folder;
    std::unique_ptr<Workbench> m_bench;
};

TEST_F(WorkbenchModel, StartUpOpensInAssembleModeWithChip8051AndHiddenPanels)
{
    const Workbench& wb = *m_bench;
    EXPECT_TRUE(wb.ModeIsAssemble());
    EXPECT_TRUE(wb.AsmViewIsSource());
    EXPECT_FALSE(wb.StepOverReady());
    EXPECT_FALSE(wb.RunningFlag());
    EXPECT_TRUE(wb.InspectOnHover());
    EXPECT_EQ(wb.PinLevelChoice(), '0');
    EXPECT_EQ(wb.ChipModel(), core::ChipModel::C8051);
    EXPECT_EQ(wb.SelectedFileType(), FileType::Asm);
    EXPECT_NEAR(wb.MachineCycleTime(), 1.0850694, 1e-6);
    EXPECT_EQ(wb.Picture().Layout(), PictureLayout::RamName);
    for (Control c : {Control::FileDemo, Control::OpAsm1, Control::OpAsm2, Control::OpAsm3, Control::Converter,
                      Control::F8051, Control::PictureVo, Control::HexFile, Control::CodeList, Control::RamList})
        EXPECT_FALSE(Visible(c)) << ControlName(c);
    for (Control c : {Control::OpAsm0, Control::OpAsm4, Control::FrmOther, Control::AsmFile, Control::EditAsm})
        EXPECT_TRUE(Visible(c)) << ControlName(c);
    EXPECT_EQ(wb.Texts().label1, "");
    EXPECT_EQ(wb.Texts().label2, "");
    EXPECT_EQ(wb.Texts().windowCaption, "ZELO8051");
    EXPECT_EQ(wb.Texts().runCaption, "RUN");
    EXPECT_EQ(wb.Texts().hexToLine, "PC:0000");
    EXPECT_EQ(wb.Texts().cycle, "Cycle:0");
    EXPECT_EQ(wb.Texts().stepVo, "Step:0");
    EXPECT_EQ(wb.Cpu().programCounter, 0);
    // The opcode list is written into the workspace.
    const auto list = core::ReadTextFile(m_folder / core::kOpcodeListFileName);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(core::SplitLines(*list).size(), 256u);
    EXPECT_EQ(*list, core::StandardOpcodeTable().ListFileText());
}

TEST_F(WorkbenchModel, SimulateShowsListAndRomAndHidesAsmAndHex)
{
    m_bench->SwitchMode(1);
    EXPECT_FALSE(m_bench->ModeIsAssemble());
    EXPECT_FALSE(Visible(Control::OpAsm0));
    EXPECT_FALSE(Visible(Control::OpAsm2));
    EXPECT_TRUE(Visible(Control::OpAsm1));
    EXPECT_TRUE(Visible(Control::OpAsm3));
    EXPECT_TRUE(Visible(Control::OpAsm4));
    EXPECT_EQ(m_bench->SelectedFileType(), FileType::Rom);
    for (Control c : {Control::PictureVo, Control::HexFile, Control::CodeList, Control::FrmOther})
        EXPECT_TRUE(Visible(c)) << ControlName(c);
    for (Control c : {Control::AsmFile, Control::EditAsm, Control::AsmSaveAs, Control::StepOverCom,
                      Control::StepOverList, Control::FileDemo})
        EXPECT_FALSE(Visible(c)) << ControlName(c);
    EXPECT_EQ(m_bench->Texts().label1, "  Accessory Display");
    EXPECT_EQ(m_bench->Texts().label2, "Addr  00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F (ROM)  ");
    EXPECT_EQ(m_bench->Texts().listBox, "");
}

TEST_F(WorkbenchModel, AssembleAfterSimulateKeepsListAsLastLeftAndRestoresTheEditor)
{
    m_bench->AsmOpneFile();
    m_bench->ClickFile("demo.asm");
    m_bench->SwitchMode(1);
    m_bench->SwitchMode(0);
    EXPECT_TRUE(m_bench->ModeIsAssemble());
    EXPECT_TRUE(Visible(Control::OpAsm0));
    EXPECT_TRUE(Visible(Control::OpAsm2));
    EXPECT_FALSE(Visible(Control::OpAsm3));
    EXPECT_TRUE(Visible(Control::OpAsm1));  // LIST stays as Simulate left it
    EXPECT_EQ(m_bench->SelectedFileType(), FileType::Asm);
    EXPECT_EQ(m_bench->Texts().label1, "  demo.asm");
    EXPECT_EQ(m_bench->Texts().label2, "");
    for (Control c : {Control::AsmFile, Control::EditAsm, Control::AsmSaveAs, Control::FrmOther})
        EXPECT_TRUE(Visible(c)) << ControlName(c);
    for (Control c : {Control::HexFile, Control::CodeList, Control::PictureVo, Control::FileDemo})
        EXPECT_FALSE(Visible(c)) << ControlName(c);
    EXPECT_EQ(m_bench->Texts().editor, m_bench->SourceText());
}

TEST_F(WorkbenchModel, HeaderFollowsTheSelectedFileTypeInAssembleMode)
{
    m_bench->AsmOpneFile();
    m_bench->ClickFile("demo.asm");
    Write("demo.lst", "listing line\r\n");
    m_bench->SelectFileType(static_cast<int>(FileType::List));
    EXPECT_EQ(m_bench->Texts().label1, "  demo.lst");
    EXPECT_FALSE(m_bench->AsmViewIsSource());
    EXPECT_FALSE(Visible(Control::AsmSaveAs));
    EXPECT_EQ(m_bench->Texts().editor, "listing line\n");
    EXPECT_TRUE(m_bench->Texts().editorReadOnly);
    // Editing is ignored while a listing is shown, and the source is kept.
    m_bench->EditSource("garbage");
    EXPECT_FALSE(m_bench->SourceModified());
    m_bench->SelectFileType(static_cast<int>(FileType::Hex));
    EXPECT_EQ(m_bench->Texts().label1, "  demo.hex");
    m_bench->SelectFileType(static_cast<int>(FileType::Asm));
    EXPECT_EQ(m_bench->Texts().label1, "  demo.asm");
    EXPECT_TRUE(Visible(Control::AsmSaveAs));
    EXPECT_NE(m_bench->Texts().editor.find("SJMP START"), std::string::npos);
}

TEST_F(WorkbenchModel, RamFileTypeFillsTheCodeDump)
{
    m_bench->SelectFileType(static_cast<int>(FileType::Ram));
    EXPECT_TRUE(Visible(Control::RamList));
    ASSERT_EQ(m_bench->RamListRows().size(), 256u);
    EXPECT_EQ(m_bench->RamListRows()[1].substr(0, 8), "0010 xx ");
}

struct FileListCase {
    const char* name;
    void (Workbench::*open)();
    FileListMode mode;
    const char* pattern;
    std::vector<std::string> files;
};

TEST_F(WorkbenchModel, EachListCommandShowsItsPatternOfWorkspaceFilesOnly)
{
    fs::create_directories(m_folder / "sub.asm");  // a folder is never listed
    const std::vector<FileListCase> cases{
        {"AsmOpneFile", &Workbench::AsmOpneFile, FileListMode::LoadSource, "*.asm", {"demo.asm", "other.asm"}},
        {"LoadCode", &Workbench::LoadCode, FileListMode::LoadHex, "*.hex", {"demo.hex"}},
        {"DisAssemble", &Workbench::DisAssemble, FileListMode::Disassemble, "*tsk;*hex", {"demo.hex", "demo.tsk"}},
    };
    for (const auto& c : cases) {
        (m_bench.get()->*c.open)();
        EXPECT_EQ(m_bench->ListMode(), c.mode) << c.name;
        EXPECT_EQ(m_bench->FileListPattern(), c.pattern) << c.name;
        EXPECT_TRUE(Visible(Control::FileDemo)) << c.name;
        EXPECT_EQ(m_bench->FileListEntries(), c.files) << c.name;
        EXPECT_EQ(m_bench->FileListFolder().back(), '/');
    }
}

TEST_F(WorkbenchModel, ChoosingASourceLoadsItAndReenablesTheAssemblerCommands)
{
    m_bench->AsmOpneFile();
    EXPECT_FALSE(Enabled(Control::AsmSave1));
    EXPECT_FALSE(Enabled(Control::AsmNextLine));
    EXPECT_FALSE(Enabled(Control::AsmAll));
    m_bench->ClickFile("demo.asm");
    EXPECT_EQ(m_bench->ProgramName(), "demo");
    EXPECT_EQ(m_bench->SourceText(), "START: MOV A,#12H ; load\n SJMP START\n END\n");
    EXPECT_EQ(m_bench->Texts().asmFileCaption, "AsmFile has 3 lines ");
    EXPECT_EQ(m_bench->Texts().status, "demo.asm  loaded");
    EXPECT_FALSE(m_bench->SourceModified());
    EXPECT_FALSE(Visible(Control::FileDemo));
    EXPECT_TRUE(Enabled(Control::AsmSave1));
    EXPECT_TRUE(Enabled(Control::AsmNextLine));
    EXPECT_TRUE(Enabled(Control::AsmAll));
}

TEST_F(WorkbenchModel, AMissingSourceChangesOnlyTheCaption)
{
    m_bench->AsmOpneFile();
    m_bench->ClickFile("demo.asm");
    fs::remove(m_folder / "other.asm");
    m_bench->AsmOpneFile();
    m_bench->ClickFile("other.asm");
    EXPECT_EQ(m_bench->Texts().asmFileCaption, "AsmFile : No file exist");
    EXPECT_EQ(m_bench->ProgramName(), "demo");
    EXPECT_NE(m_bench->SourceText().find("SJMP"), std::string::npos);
}

TEST_F(WorkbenchModel, ListEntriesWithPathsAreRefused)
{
    Write("secret.asm", "X\r\n");
    m_bench->AsmOpneFile();
    m_bench->ClickFile("../" + m_folder.filename().string() + "/secret.asm");
    EXPECT_EQ(m_bench->ProgramName(), "");
    EXPECT_EQ(m_bench->SourceText(), "");
}

TEST_F(WorkbenchModel, AnyFileChoiceHidesStepOverUntilItIsOfferedAgain)
{
    m_bench->SwitchMode(1);
    m_bench->LoadCode();
    m_bench->ClickFile("demo.hex");
    EXPECT_FALSE(m_bench->StepOverReady());
    EXPECT_FALSE(Visible(Control::StepOverCom));
    EXPECT_FALSE(Visible(Control::StepOverList));
    EXPECT_FALSE(Visible(Control::FileDemo));
    EXPECT_TRUE(m_bench->StepOverRows().empty());
}

TEST_F(WorkbenchModel, EditingMarksTheSourceAndSave1WritesItUnderTheCurrentName)
{
    // Without a name (or without edits) the save asks for one.
    EXPECT_EQ(m_bench->AsmSave1(), SaveOutcome::NeedsName);
    m_bench->AsmOpneFile();
    m_bench->ClickFile("demo.asm");
    EXPECT_EQ(m_bench->AsmSave1(), SaveOutcome::NeedsName);  // nothing edited
    m_bench->EditSource(" NOP\n END\n");
    EXPECT_TRUE(m_bench->SourceModified());
    EXPECT_EQ(m_bench->AsmSave1(), SaveOutcome::Saved);
    EXPECT_FALSE(m_bench->SourceModified());
    EXPECT_EQ(*core::ReadTextFile(m_folder / "demo.asm"), " NOP\r\n END\r\n");
}

TEST_F(WorkbenchModel, SaveAsAppendsTheExtensionAndRefusesEmptyAndPathNames)
{
    m_bench->EditSource(" NOP\n");
    EXPECT_EQ(m_bench->ASMSave("   "), SaveOutcome::NeedsName);
    EXPECT_EQ(m_bench->ASMSave("../escape"), SaveOutcome::Failed);
    EXPECT_FALSE(fs::exists(m_folder.parent_path() / "escape.asm"));
    EXPECT_TRUE(m_bench->SourceModified());  // nothing was lost
    EXPECT_EQ(m_bench->ASMSave("fresh"), SaveOutcome::Saved);
    EXPECT_EQ(m_bench->ProgramName(), "fresh");
    EXPECT_EQ(*core::ReadTextFile(m_folder / "fresh.asm"), " NOP\r\n");
    EXPECT_EQ(m_bench->ASMSave("Second.ASM"), SaveOutcome::Saved);
    EXPECT_TRUE(fs::exists(m_folder / "Second.ASM"));
    EXPECT_EQ(m_bench->ProgramName(), "Second");
}

TEST_F(WorkbenchModel, RunToggleDisablesStepControlsAndSelectorsAndRestoresThem)
{
    m_bench->SwitchMode(1);
    m_bench->ClickRun();
    EXPECT_TRUE(m_bench->RunningFlag());
    EXPECT_EQ(m_bench->Texts().runCaption, "STOP");
    for (Control c : {Control::ReLoadCom, Control::StepOverCom, Control::LoadCode, Control::OneStep, Control::RamOp,
                      Control::Chip})
        EXPECT_FALSE(Enabled(c)) << ControlName(c);
    m_bench->ClickRun();
    EXPECT_FALSE(m_bench->RunningFlag());
    EXPECT_EQ(m_bench->Texts().runCaption, "RUN");
    for (Control c : {Control::ReLoadCom, Control::StepOverCom, Control::LoadCode, Control::OneStep, Control::RamOp,
                      Control::Chip})
        EXPECT_TRUE(Enabled(c)) << ControlName(c);
}

TEST_F(WorkbenchModel, ModeSwitchWhileRunningStopsTheRun)
{
    m_bench->SwitchMode(1);
    m_bench->ClickRun();
    m_bench->SwitchMode(0);
    EXPECT_FALSE(m_bench->RunningFlag());
    EXPECT_EQ(m_bench->Texts().runCaption, "RUN");
    EXPECT_TRUE(Enabled(Control::OneStep));
}

TEST_F(WorkbenchModel, ChipChangeWhileRunningStopsAndShowsRamName)
{
    m_bench->SwitchMode(1);
    m_bench->SelectLayout(static_cast<int>(PictureLayout::Ascii));
    m_bench->ClickRun();
    m_bench->ClickChip(1);
    EXPECT_FALSE(m_bench->RunningFlag());
    EXPECT_EQ(m_bench->Texts().runCaption, "RUN");
    EXPECT_EQ(m_bench->Picture().Layout(), PictureLayout::RamName);
    EXPECT_EQ(m_bench->ChipModel(), core::ChipModel::C8052);
    EXPECT_EQ(m_bench->Cpu().Chip(), core::ChipModel::C8052);
    // The controls the run disabled are usable again.
    EXPECT_TRUE(Enabled(Control::OneStep));
    EXPECT_TRUE(Enabled(Control::Chip));
    // 8052: T2CON exists, on the 8051 it does not.
    EXPECT_EQ(m_bench->Cpu().addressAttributes[core::sfr::T2CON][0], 1);
    m_bench->ClickChip(0);
    EXPECT_EQ(m_bench->Cpu().addressAttributes[core::sfr::T2CON][0], 0);
}

TEST_F(WorkbenchModel, SelectChipModelIgnoresUnknownIndexes)
{
    m_bench->SelectChipModel(2);
    EXPECT_EQ(m_bench->ChipModel(), core::ChipModel::C89Cx051);
    m_bench->SelectChipModel(3);
    m_bench->SelectChipModel(-1);
    EXPECT_EQ(m_bench->ChipModel(), core::ChipModel::C89Cx051);
}

TEST_F(WorkbenchModel, LayoutButtonsResetCaptionAndHoverAndSelectTheLayout)
{
    m_bench->ToggleInspectOnHover();
    EXPECT_FALSE(m_bench->InspectOnHover());
    m_bench->SelectLayout(static_cast<int>(PictureLayout::Note));
    EXPECT_TRUE(m_bench->InspectOnHover());
    EXPECT_EQ(m_bench->Picture().Layout(), PictureLayout::Note);
    m_bench->SelectLayout(9);
    EXPECT_EQ(m_bench->Picture().Layout(), PictureLayout::Note);
}

TEST_F(WorkbenchModel, OpcodeMapReadsTheUsageFileOfTheWorkspace)
{
    std::string text;
    for (int n = 0; n < 256; ++n) {
        char line[32];
        std::snprintf(line, sizeof line, "OpCode= %02X %ld\r\n", n, n == 0x74 ? 12L : 0L);
        text += line;
    }
    Write("Scode8051.txt", text);
    m_bench->SelectLayout(static_cast<int>(PictureLayout::Instruction));
    EXPECT_EQ(m_bench->UsageCounters()[0x74], 12);
    EXPECT_EQ(m_bench->UsageCounters()[0x75], 0);
}

TEST_F(WorkbenchModel, PanelsAndPinLevelFollowTheirControls)
{
    m_bench->SetShowConverter(true);
    EXPECT_TRUE(Visible(Control::Converter));
    m_bench->SetShowConverter(false);
    EXPECT_FALSE(Visible(Control::Converter));
    m_bench->SetShowPins(true);
    EXPECT_TRUE(m_bench->ShowPins());
    EXPECT_TRUE(Visible(Control::F8051));
    m_bench->SetPinLevelChoice('1');
    EXPECT_EQ(m_bench->PinLevelChoice(), '1');
    m_bench->SetPinLevelChoice('7');
    EXPECT_EQ(m_bench->PinLevelChoice(), '1');
}

TEST_F(WorkbenchModel, StepOverCommandTogglesTheListAndReload)
{
    m_bench->SwitchMode(1);
    m_bench->StepOverCom();
    EXPECT_TRUE(Visible(Control::StepOverList));
    EXPECT_FALSE(Enabled(Control::ReLoadCom));
    m_bench->StepOverCom();
    EXPECT_FALSE(Visible(Control::StepOverList));
    EXPECT_TRUE(Enabled(Control::ReLoadCom));
}

}  // namespace
}  // namespace zelo::app

namespace zelo::app {
namespace {

class WorkbenchViews : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_views_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(m_folder);
        m_bench = std::make_unique<Workbench>(m_folder);
        m_bench->StartUp();
    }
    void TearDown() override { fs::remove_all(m_folder); }
    // Centre of a grid cell in picture coordinates.
    std::pair<double, double> CellCentre(int r, int c) const
    {
        const auto& g = m_bench->Picture().Geometry();
        return {g.FrameX(c) + g.cellWidth / 2, g.FrameY(r) + g.cellHeight / 2};
    }

    fs::path m_folder;
    std::unique_ptr<Workbench> m_bench;
};

TEST_F(WorkbenchViews, HoverDescribesTheCellInTheCaptionUntilHoverIsTurnedOff)
{
    const auto [x, y] = CellCentre(14, 0);  // ACC
    m_bench->PointerMoved(x, y);
    const std::string described = m_bench->Texts().windowCaption;
    EXPECT_NE(described, "ZELO8051");
    EXPECT_EQ(described.rfind("ZELO8051", 0), 0u);
    m_bench->PointerMoved(0.5, 0.5);  // off the grid
    EXPECT_EQ(m_bench->Texts().windowCaption, "ZELO8051");
    m_bench->ToggleInspectOnHover();
    m_bench->PointerMoved(x, y);
    EXPECT_EQ(m_bench->Texts().windowCaption, "ZELO8051");
    // A layout button resets the caption and turns hover back on.
    m_bench->SelectLayout(static_cast<int>(PictureLayout::RamBit));
    m_bench->PointerMoved(x, y);
    EXPECT_EQ(m_bench->Texts().windowCaption, described);
}

TEST_F(WorkbenchViews, PointingAtATopicPrintsItsSheetUnderTheGrid)
{
    m_bench->SelectLayout(static_cast<int>(PictureLayout::Note));
    const std::size_t gridOnly = m_bench->Picture().Drawing().texts.size();
    const auto [x, y] = CellCentre(1, 1);  // TMOD
    m_bench->PointerMoved(x, y);
    EXPECT_GT(m_bench->Picture().Drawing().texts.size(), gridOnly);
    m_bench->PointerMoved(0.5, 0.5);
    EXPECT_EQ(m_bench->Picture().Drawing().texts.size(), gridOnly);
}

TEST_F(WorkbenchViews, PinClickPullsThePinLowAndLetsItGoLeavingTheLatch)
{
    m_bench->SetShowPins(true);
    const auto& pins = m_bench->Pins();
    ASSERT_EQ(pins.PinCount(), 40);
    const ChipPin& p10 = pins.Pin(1);  // P1.0 on the 40-pin package
    ASSERT_TRUE(p10.portBit.has_value());
    m_bench->ClickPin(p10.innerX, p10.y);
    EXPECT_EQ(m_bench->Cpu().ReadBit(*p10.portBit), '1') << "the latch stays";
    EXPECT_EQ(m_bench->Pins().Pin(1).colour, kPinLowColour);
    EXPECT_EQ(m_bench->Pins().Pin(1).markColour, kPinHeldColour);
    const auto& drawn = m_bench->ChipPicture();
    EXPECT_FALSE(drawn.texts.empty());
    m_bench->ClickPin(p10.innerX, p10.y);
    EXPECT_EQ(m_bench->Pins().Pin(1).colour, kPinLowColour) << "choice 0 keeps pulling";
    m_bench->SetPinLevelChoice('1');
    m_bench->ClickPin(p10.innerX, p10.y);
    EXPECT_EQ(m_bench->Pins().Pin(1).colour, kPinHighColour);
    EXPECT_EQ(m_bench->Pins().Pin(1).markColour, -1);
    EXPECT_EQ(m_bench->Cpu().ReadBit(*p10.portBit), '1');

    m_bench->ClickChip(2);
    EXPECT_EQ(m_bench->Pins().PinCount(), 20);
}

}  // namespace
}  // namespace zelo::app
