// Debugging in the workbench: the listing followed at PC, breakpoints by
// listing line, watches from the state picture, step back, the Debug panel,
// and the marks kept beside the program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/workbench.h"
#include "core/text_file.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram =
    "        ORG 0\r\n"
    "START:  MOV SP,#60H\r\n"
    "        MOV A,#0\r\n"
    "LOOP:   INC A\r\n"
    "        ACALL SUB\r\n"
    "        SJMP LOOP\r\n"
    "SUB:    MOV 30H,A\r\n"
    "        MOV R7,A\r\n"
    "        RET\r\n"
    "        END\r\n";

class WorkbenchDebug : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_debug_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "8051.LIB");
        std::ofstream(m_folder / "prog.asm", std::ios::binary) << kProgram;
        m_wb = Simulating();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Assembled, in "Simulate" with "LIST" shown.
    std::unique_ptr<Workbench> Simulating()
    {
        auto wb = std::make_unique<Workbench>(m_folder);
        wb->StartUp();
        wb->AsmOpneFile();
        wb->ClickFile("prog.asm");
        wb->AsmAll();
        wb->SwitchMode(1);
        wb->SelectFileType(1);
        return wb;
    }
    int LineOf(const std::string& label) const
    {
        return *m_wb->Listing().LineOfAddress(*m_wb->Listing().LabelAddress(label));
    }
    void RunToStop()
    {
        for (int tick = 0; tick < 1000 && m_wb->RunningFlag(); ++tick) m_wb->Timer1Tick();
    }

    fs::path m_folder;
    std::unique_ptr<Workbench> m_wb;
};

TEST_F(WorkbenchDebug, BreakpointByListingLineStopsTheRunAndHighlightsItsLine)
{
    ASSERT_TRUE(m_wb->ShowsDebugListing());
    EXPECT_EQ(m_wb->ListingPcLine(), m_wb->Listing().LineOfAddress(0));
    EXPECT_NE(m_wb->Texts().editor.find("SUB:"), std::string::npos);

    m_wb->ToggleBreakpointAtLine(LineOf("SUB"));
    EXPECT_EQ(m_wb->ListingBreakpointLines(), std::vector<int>{LineOf("SUB")});
    for (const char* stop : {"0", "100000"}) {  // displayed, then undisplayed
        SCOPED_TRACE(stop);
        m_wb->SetTextStop(stop);
        m_wb->ClickRun();
        RunToStop();
        EXPECT_EQ(m_wb->ListingPcLine(), LineOf("SUB"));
        EXPECT_EQ(m_wb->Texts().listBox.rfind("Stopped at breakpoint 000AH SUB", 0), 0u)
            << m_wb->Texts().listBox;
        EXPECT_EQ(m_wb->Debug().stopMessage, "Stopped at breakpoint 000AH SUB");
    }
    EXPECT_EQ(m_wb->Cpu().PeekRamByteText(0x30), "01");  // the second stop: SUB ran once

    // A comment or label line stands for the instruction after it.
    m_wb->ToggleBreakpointAtLine(LineOf("SUB"));
    EXPECT_TRUE(m_wb->ListingBreakpointLines().empty());
    m_wb->RunToLine(LineOf("LOOP"));
    RunToStop();
    EXPECT_EQ(m_wb->ListingPcLine(), LineOf("LOOP"));
    EXPECT_EQ(m_wb->Debug().stopMessage, "Stopped at the line run to: 0005H LOOP");
}

TEST_F(WorkbenchDebug, BackUndoesStepsAfterARun)
{
    m_wb->SetTextStop("25");
    m_wb->ClickRun();
    RunToStop();
    ASSERT_EQ(m_wb->Simulator().StepCounter(), 25u);
    const std::string a = m_wb->Cpu().PeekRamByteText(0xE0);
    m_wb->OneStep();
    m_wb->OneStep();
    m_wb->StepBack();
    m_wb->StepBack();
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:25");
    EXPECT_EQ(m_wb->Cpu().PeekRamByteText(0xE0), a);
    for (int i = 0; i < 25; ++i) m_wb->StepBack();
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0000");
    EXPECT_EQ(m_wb->Cpu().PeekRamByteText(0x30), "xx");
    EXPECT_FALSE(m_wb->CanStepBack());
}

TEST_F(WorkbenchDebug, WatchSetOnTheStatePictureStopsTheRun)
{
    // R7 is cell 07H: row 0, column 7 of the RAM picture.
    ASSERT_TRUE(m_wb->WatchCellAt(5 + 10 * 7 + 5, 4 + 3 * 15 + 1.5));
    ASSERT_TRUE(m_wb->AddWatch("30H=03"));
    EXPECT_FALSE(m_wb->AddWatch("30H=300"));
    m_wb->ClickRun();
    RunToStop();
    EXPECT_EQ(m_wb->Debug().stopMessage, "Stopped by watch 07H, written at 000CH SUB+2");
    m_wb->RemoveWatch(0);
    m_wb->ClickRun();
    RunToStop();
    EXPECT_EQ(m_wb->Debug().stopMessage, "Stopped by watch 30H=03H, written at 000AH SUB");
    EXPECT_EQ(m_wb->Debug().watches, std::vector<std::string>{"30H=03H  (now 03H)"});
}

TEST_F(WorkbenchDebug, PanelShowsRegistersCallsAndChanges)
{
    m_wb->SetShowDebug(true);
    const auto& panel = m_wb->Debug();
    EXPECT_EQ(panel.registers[1].text, "A     00H  0");
    EXPECT_EQ(panel.registers[3].text.substr(0, 14),
              "PSW   xx   xx ");                  // bit 1 is undefined after reset
    for (int i = 0; i < 4; ++i) m_wb->OneStep();  // into SUB
    EXPECT_EQ(panel.registers[0].text, "PC   000AH  10  SUB");
    EXPECT_EQ(panel.registers[1].text, "A     01H  1");
    EXPECT_EQ(panel.registers[4].text, "SP    62H  98");
    EXPECT_TRUE(panel.registers[4].changed);   // ACALL pushed
    EXPECT_FALSE(panel.registers[1].changed);  // A was set before the call
    EXPECT_NE(panel.registers[3].text.find("CY=0 AC=0 F0=0 RS1=0 RS0=0 OV=0 P=1"),
              std::string::npos);
    EXPECT_EQ(panel.registers[13].text, "R7    00H  0  (07H)");
    EXPECT_EQ(panel.calls, std::vector<std::string>{"0008H LOOP+3  <- SUB"});
}

TEST_F(WorkbenchDebug, MarksComeBackForTheProgramAndFromItsFile)
{
    m_wb->ToggleBreakpointAtLine(LineOf("SUB"));
    m_wb->AddWatch("P1.0");
    const auto text = core::ReadTextFile(m_folder / "prog.dbg");
    ASSERT_TRUE(text);
    EXPECT_EQ(core::SplitLines(*text),
              (std::vector<std::string>{"; ZELO8051 breakpoints and watches", "BREAK 000AH",
                                        "WATCH 90.0"}));
    // Another workbench on the same folder reads them back on load.
    m_wb = Simulating();
    EXPECT_EQ(m_wb->Simulator().Breakpoints().Addresses(), std::vector<uint16_t>{0x000A});
    ASSERT_EQ(m_wb->Simulator().Watches().Watches().size(), 1u);
    // Removing the last mark removes the file.
    m_wb->RemoveBreakpoint(0);
    m_wb->RemoveWatch(0);
    EXPECT_FALSE(fs::exists(m_folder / "prog.dbg"));
}

TEST_F(WorkbenchDebug, HexWithoutListingIsFollowedInItsDisassembly)
{
    fs::copy_file(m_folder / "prog.hex", m_folder / "other.hex");
    m_wb->LoadCode();
    m_wb->ClickFile("other.hex");
    m_wb->SelectFileType(1);
    EXPECT_TRUE(fs::exists(m_folder / "otherDis.lst"));
    EXPECT_NE(m_wb->Texts().editor.find("ACALL"), std::string::npos);
    EXPECT_TRUE(m_wb->Listing().LabelAddress("$1"));  // the disassembler's label of LOOP
    EXPECT_EQ(m_wb->ListingPcLine(), m_wb->Listing().LineOfAddress(0));
    // A listing that no longer matches the code is not followed either.
    std::ofstream(m_folder / "other.lst", std::ios::binary) << "    1 0000 0000   X:  NOP\r\n";
    m_wb->ReLoadCom();
    EXPECT_TRUE(m_wb->Listing().LabelAddress("$1"));
}

}  // namespace
}  // namespace zelo::app

namespace zelo::app {
namespace {

TEST_F(WorkbenchDebug, OneStepRunsAChosenSubroutineToItsReturnInOnePress)
{
    ASSERT_EQ(m_wb->StepOverRows(), std::vector<std::string>{"SUB"});
    m_wb->StepOverListSelect({0});
    for (int i = 0; i < 3; ++i) m_wb->OneStep();  // up to ACALL SUB
    ASSERT_EQ(m_wb->Simulator().ProgramCounter(), 0x0006);
    m_wb->OneStep();
    EXPECT_EQ(m_wb->Simulator().ProgramCounter(), 0x0008);  // back after the call
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:7");
    EXPECT_EQ(m_wb->Cpu().PeekRamByteText(0x30), "01");
    EXPECT_EQ(m_wb->Texts().listBox.rfind("Stepped over SUB: 4 steps", 0), 0u)
        << m_wb->Texts().listBox;
    EXPECT_EQ(m_wb->Texts().hexBox.substr(0, 6), "11 0A ");  // the call is the step shown
    // A breakpoint inside stops it there; Back undoes its steps one by one.
    m_wb->OneStep();  // SJMP LOOP
    m_wb->OneStep();  // INC A
    m_wb->ToggleBreakpointAtLine(*m_wb->Listing().LineOfAddress(0x000C));
    m_wb->OneStep();
    EXPECT_EQ(m_wb->Simulator().ProgramCounter(), 0x000C);
    EXPECT_EQ(m_wb->Debug().stopMessage, "Stepped over SUB: 2 steps, stopped inside it");
    m_wb->StepBack();
    EXPECT_EQ(m_wb->Simulator().ProgramCounter(), 0x000A);
}

}  // namespace
}  // namespace zelo::app

namespace zelo::app {
namespace {

TEST(DataDumpTest, UpperRamAndWrittenExternalPagesFollowTheCode)
{
    core::CpuState cpu(core::ChipModel::C8052);
    EXPECT_EQ(FillDataDump(cpu).size(), 9u);  // heading and 8 rows of upper RAM, no external page
    cpu.WriteIndirectByte(0x5A, 0x81);
    cpu.externalMemory[0x0123] = core::HexCell::FromValue(0x07);
    const auto lines = FillDataDump(cpu);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[1].substr(0, 11), "I:80 xx 5A ");
    EXPECT_EQ(lines[9], "External RAM page 01xxH (cells written)");
    EXPECT_EQ(lines[10], "X:0120 xx xx xx 07 xx xx xx xx xx xx xx xx xx xx xx xx");
    EXPECT_TRUE(FillDataDump(core::CpuState(core::ChipModel::C8051)).empty());
}

}  // namespace
}  // namespace zelo::app

namespace zelo::app {
namespace {

TEST_F(WorkbenchDebug, SpeedOfDisplayedRunsSetsTheTimerInterval)
{
    const struct
    {
        int speed;
        int interval;
    } cases[] = {{0, Workbench::kFastestTimerMs},
                 {1, 1000},
                 {4, 250},
                 {500, Workbench::kFastestTimerMs},
                 {-3, Workbench::kFastestTimerMs},
                 {5000, Workbench::kFastestTimerMs}};
    for (const auto& c : cases) {
        m_wb->SetRunSpeed(c.speed);
        EXPECT_EQ(m_wb->TimerIntervalMs(), c.interval) << c.speed;
    }
    // Undisplayed stretches always run at full speed.
    m_wb->SetRunSpeed(1);
    m_wb->SetTextStop("1000");
    m_wb->ClickRun();
    EXPECT_EQ(m_wb->TimerIntervalMs(), Workbench::kFastestTimerMs);
}

}  // namespace
}  // namespace zelo::app
