// The workbench driven as a user does: assemble, simulate, step and run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/workbench.h"
#include "core/text_file.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram =
    "        ORG 0\r\n"
    "START:  MOV A,#12H\r\n"
    "        MOV R0,#30H\r\n"
    "        ACALL SUB\r\n"
    "LOOP:   INC A\r\n"
    "        SJMP LOOP\r\n"
    "SUB:    MOV 30H,A\r\n"
    "        RET\r\n"
    "        END\r\n";

class WorkbenchFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_flow_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "8051.LIB");
        Write("prog.asm", kProgram);
        Write("bad.asm", "        MOV A,#1\r\n        SJMP NOWHERE\r\n        END\r\n");
        m_wb = std::make_unique<Workbench>(m_folder);
        m_wb->StartUp();
    }
    void TearDown() override { fs::remove_all(m_folder); }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder / name, std::ios::binary) << text;
    }
    void Open(const std::string& file)
    {
        m_wb->AsmOpneFile();
        m_wb->ClickFile(file);
    }
    void RunToStop()
    {
        for (int tick = 0; tick < 1000 && m_wb->RunningFlag(); ++tick) m_wb->Timer1Tick();
    }

    fs::path m_folder;
    std::unique_ptr<Workbench> m_wb;
};

TEST_F(WorkbenchFlow, AsmAllPassesAndSimulateLoadsTheNewCodeOnce)
{
    Open("prog.asm");
    m_wb->AsmAll();
    ASSERT_TRUE(m_wb->Assembler().Succeeded()) << m_wb->Texts().listBox;
    EXPECT_NE(m_wb->Texts().listBox.find("PASS"), std::string::npos);
    EXPECT_TRUE(m_wb->ProgramPending());
    EXPECT_FALSE(m_wb->ProblemLine().has_value());
    EXPECT_TRUE(fs::exists(m_folder / "prog.hex"));

    m_wb->SwitchMode(1);
    EXPECT_FALSE(m_wb->ProgramPending());
    EXPECT_FALSE(m_wb->Controls().Visible(Control::FileDemo));
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "74");
    EXPECT_EQ(m_wb->Cpu().codeMemory[1].Text(), "12");
    ASSERT_EQ(m_wb->CodeListRows().size(), 256u);
    EXPECT_EQ(m_wb->CodeListRows()[0].substr(0, 12), "0000  74 12 ");
    EXPECT_TRUE(m_wb->NoInstructionYet());
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0000");

    // A second switch does not load again: a stepped state survives it.
    m_wb->OneStep();
    m_wb->SwitchMode(0);
    m_wb->SwitchMode(1);
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:1");
    EXPECT_EQ(m_wb->Cpu().programCounter, 2);
}

TEST_F(WorkbenchFlow, OneStepShowsCountersTraceAndMarks)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->OneStep();
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0002");
    EXPECT_EQ(m_wb->Texts().cycle, "Cycle:1");
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:1");
    EXPECT_NE(m_wb->Texts().hexBox.find("MOV"), std::string::npos);
    EXPECT_EQ(m_wb->Texts().hexBox.substr(0, 6), "74 12 ");
    EXPECT_EQ(m_wb->Texts().hexText.substr(0, 6), "78 30 ");
    EXPECT_FALSE(m_wb->NoInstructionYet());
    EXPECT_EQ(m_wb->Cpu().PeekRamByteText(0xE0), "12");
    EXPECT_TRUE(m_wb->Marks().operands[1].IsInternal(0xE0));
    m_wb->OneStep();
    m_wb->OneStep();  // ACALL SUB: two cycles
    EXPECT_EQ(m_wb->Texts().cycle, "Cycle:4");
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:3");
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0009");
}

TEST_F(WorkbenchFlow, RunWithAStopStepGoesUndisplayedAndStopsAtTheStep)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->SetTextStop("50");
    m_wb->ClickRun();
    EXPECT_TRUE(m_wb->RunningFlag());
    EXPECT_EQ(m_wb->Texts().runCaption, "STOP");
    EXPECT_FALSE(m_wb->Controls().Enabled(Control::OneStep));
    m_wb->Timer1Tick();
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:0");  // counters are not shown while undisplayed
    RunToStop();
    EXPECT_FALSE(m_wb->RunningFlag());
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:50");
    EXPECT_EQ(m_wb->Texts().runCaption, "RUN");
    EXPECT_TRUE(m_wb->Controls().Enabled(Control::OneStep));
    EXPECT_TRUE(m_wb->Controls().Enabled(Control::Chip));
}

TEST_F(WorkbenchFlow, StopButtonEndsARunWithoutAStopStep)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->SetTextStop("abc");
    m_wb->ClickRun();
    EXPECT_EQ(m_wb->Texts().textStop, "0");
    for (int i = 0; i < 5; ++i) m_wb->Timer1Tick();
    EXPECT_TRUE(m_wb->RunningFlag());
    m_wb->ClickRun();
    EXPECT_FALSE(m_wb->RunningFlag());
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:" + std::to_string(m_wb->Simulator().StepCounter()));
    EXPECT_EQ(m_wb->Simulator().StepCounter(), 5u);  // displayed: one step per tick
}

TEST_F(WorkbenchFlow, StepOverIsOfferedAfterAssemblingCallsAndHiddenAfterAFileChoice)
{
    Open("prog.asm");
    m_wb->AsmAll();
    EXPECT_TRUE(m_wb->StepOverReady());
    ASSERT_EQ(m_wb->StepOverRows(), (std::vector<std::string>{"SUB"}));
    m_wb->SwitchMode(1);
    EXPECT_TRUE(m_wb->Controls().Visible(Control::StepOverCom));
    m_wb->LoadCode();
    m_wb->ClickFile("prog.hex");
    EXPECT_FALSE(m_wb->StepOverReady());
    EXPECT_FALSE(m_wb->Controls().Visible(Control::StepOverCom));
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "74");
}

TEST_F(WorkbenchFlow, ChosenStepOverRangesRunTheSubroutineUndisplayedUntilAFileIsChosen)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->StepOverCom();
    EXPECT_TRUE(m_wb->Controls().Visible(Control::StepOverList));
    m_wb->StepOverListSelect({0});
    EXPECT_EQ(m_wb->Simulator().StepOverRangeCount(), 1);
    // A single step while the list is open leaves ReLoad as the list set it.
    m_wb->OneStep();
    EXPECT_FALSE(m_wb->Controls().Enabled(Control::ReLoadCom));
    m_wb->OneStep();
    m_wb->OneStep();  // ACALL SUB: the chosen subroutine runs to its return in the same press
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:5");
    EXPECT_EQ(m_wb->Texts().listBox.rfind("Stepped over SUB: 3 steps", 0), 0u)
        << m_wb->Texts().listBox;
    m_wb->OneStep();  // INC A after the call
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:6");
    m_wb->LoadCode();
    m_wb->ClickFile("prog.hex");
    EXPECT_EQ(m_wb->Simulator().StepOverRangeCount(), 0);
}

TEST_F(WorkbenchFlow, AStackBeyondInternalRamStopsTheRunAndKeepsTheWorkbenchOpen)
{
    Write("stack.asm", "        MOV SP,#7EH\r\nLOOP:   PUSH ACC\r\n        SJMP LOOP\r\n        END\r\n");
    Open("stack.asm");
    m_wb->EditSource(m_wb->SourceText() + "; unsaved\n");
    m_wb->AsmAll();
    ASSERT_TRUE(m_wb->Assembler().Succeeded()) << m_wb->Texts().listBox;
    m_wb->SwitchMode(1);
    m_wb->ClickRun();
    RunToStop();
    EXPECT_FALSE(m_wb->RunningFlag());
    EXPECT_EQ(m_wb->Texts().runCaption, "RUN");
    EXPECT_NE(m_wb->Texts().listBox.find("SP"), std::string::npos) << m_wb->Texts().listBox;
    EXPECT_TRUE(m_wb->SourceModified());  // the edited source is still there to be saved
    EXPECT_NE(m_wb->SourceText().find("; unsaved"), std::string::npos);
}

TEST_F(WorkbenchFlow, ReloadResetsTheProgramAndOffersStepOverAgain)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->OneStep();
    m_wb->OneStep();
    m_wb->ReLoadCom();
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:0");
    EXPECT_EQ(m_wb->Texts().cycle, "Cycle:0");
    EXPECT_EQ(m_wb->Cpu().programCounter, 0);
    EXPECT_TRUE(m_wb->ProgramPending());
    EXPECT_TRUE(m_wb->StepOverReady());
    EXPECT_TRUE(m_wb->Controls().Enabled(Control::StepOverCom));
    EXPECT_TRUE(m_wb->NoInstructionYet());
}

TEST_F(WorkbenchFlow, FailedAsmAllSelectsTheFirstProblemLineAndLoadsNothing)
{
    Open("bad.asm");
    m_wb->AsmAll();
    EXPECT_FALSE(m_wb->Assembler().Succeeded());
    ASSERT_TRUE(m_wb->ProblemLine().has_value());
    EXPECT_EQ(*m_wb->ProblemLine(), 1);  // SJMP NOWHERE, 0-based
    EXPECT_NE(m_wb->Texts().listBox.find("Problem in line: 2"), std::string::npos);
    EXPECT_FALSE(m_wb->ProgramPending());
    m_wb->SwitchMode(1);
    EXPECT_TRUE(m_wb->Cpu().codeMemory[0].IsUnloaded());
}

TEST_F(WorkbenchFlow, AsmNextLineWalksTheSourceLineByLine)
{
    Open("prog.asm");
    m_wb->AsmNextLine();
    EXPECT_NE(m_wb->Texts().asmFileCaption.find("This is line 1"), std::string::npos);
    m_wb->AsmNextLine();
    EXPECT_NE(m_wb->Texts().asmText.find("MOV A,#12H"), std::string::npos);
}

TEST_F(WorkbenchFlow, AMissingHexFileLeavesMemoryAndReportsInTheCaption)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->LoadCode();
    fs::remove(m_folder / "prog.hex");
    m_wb->ClickFile("prog.hex");
    EXPECT_EQ(m_wb->Texts().asmFileCaption, "AsmFile : No file exist");
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "74");
}

TEST_F(WorkbenchFlow, ANumberInHexToLineMovesTheRecordViewerAtTheLoad)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->SetHexToLine("2");
    m_wb->LoadCode();
    m_wb->ClickFile("prog.hex");
    EXPECT_NE(m_wb->Texts().hexFileCaption.find("==>  Line2    CheckSum="), std::string::npos)
        << m_wb->Texts().hexFileCaption;
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0000");
}

TEST_F(WorkbenchFlow, DisassemblingAHexFileWritesBothFilesAndShowsTheListing)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->DisAssemble();
    m_wb->ClickFile("prog.hex");
    EXPECT_TRUE(fs::exists(m_folder / "progDis.asm"));
    EXPECT_TRUE(fs::exists(m_folder / "progDis.lst"));
    EXPECT_NE(m_wb->Texts().listBox.find("MOV"), std::string::npos);
    EXPECT_FALSE(m_wb->Controls().Visible(Control::FileDemo));
}

// --- sequences that used to leave wrong names, stale code or captions ---------

constexpr const char* kSumHex = ":01000000A55A\r\n:00000001FF\r\n";  // A5H at 0000H

TEST_F(WorkbenchFlow, AHexChoiceNamesTheLoadedCodeAndTheSourceKeepsItsName)
{
    Write("sum.asm", "        NOP\r\n        END\r\n");
    Write("sum.hex", kSumHex);
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->EditSource(std::string(kProgram) + "; edited\r\n");
    m_wb->SwitchMode(1);
    m_wb->LoadCode();
    m_wb->ClickFile("sum.hex");
    EXPECT_EQ(m_wb->CodeName(), "sum");
    m_wb->SwitchMode(0);
    EXPECT_EQ(m_wb->ProgramName(), "prog");
    EXPECT_EQ(m_wb->Texts().label1, "  prog.asm");
    EXPECT_EQ(m_wb->AsmSave1(), SaveOutcome::Saved);
    EXPECT_NE(core::ReadTextFile(m_folder / "prog.asm")->find("; edited"), std::string::npos);
    EXPECT_EQ(*core::ReadTextFile(m_folder / "sum.asm"), "        NOP\r\n        END\r\n");
    m_wb->SwitchMode(1);
    m_wb->ReLoadCom();  // reads the loaded code again, not the source's output
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "A5");
}

TEST_F(WorkbenchFlow, AFailedAssemblyDropsThePendingLoadAndSimulateSaysSo)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->EditSource("        SJMP NOWHERE\r\n        END\r\n");
    m_wb->AsmAll();
    EXPECT_FALSE(m_wb->ProgramPending());
    m_wb->SwitchMode(1);
    EXPECT_TRUE(m_wb->Cpu().codeMemory[0].IsUnloaded());  // not the earlier pass's HEX
    EXPECT_EQ(m_wb->Texts().listBox, NoAssembledCodeMessage("prog"));
}

TEST_F(WorkbenchFlow, AChipChangeRedrawsCountersInstructionBoxesAndMarks)
{
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->OneStep();
    m_wb->OneStep();
    ASSERT_EQ(m_wb->Texts().hexToLine, "PC:0004");
    m_wb->ClickChip(1);
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0000");
    EXPECT_EQ(m_wb->Texts().cycle, "Cycle:0");
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:0");
    EXPECT_EQ(m_wb->Texts().hexBox, "");
    EXPECT_EQ(m_wb->Texts().hexText, "");
    EXPECT_TRUE(m_wb->NoInstructionYet());
    EXPECT_TRUE(m_wb->Marks().changed.empty());
    m_wb->OneStep();  // counting starts again from the reset
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:1");
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0002");
}

TEST_F(WorkbenchFlow, RomRowsShowCodeMemoryAfterAFailedLoadAndGoodLoadsClearTheCaption)
{
    Write("broken.hex", ":01000000A55A\r\nnot a record\r\n:00000001FF\r\n");
    Write("sum.hex", kSumHex);
    Open("prog.asm");
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    m_wb->LoadCode();
    m_wb->ClickFile("broken.hex");
    EXPECT_NE(m_wb->Texts().hexFileCaption.find("has wrong format"), std::string::npos);
    EXPECT_EQ(m_wb->CodeListRows()[0].substr(0, 12), "0000  A5 xx ");  // not prog's 74 12
    m_wb->LoadCode();
    m_wb->ClickFile("sum.hex");
    EXPECT_EQ(m_wb->Texts().hexFileCaption, "HexFile");
}

TEST_F(WorkbenchFlow, FileTypeOptionsShownTogetherNeverOverlap)
{
    for (int mode : {1, 0}) {
        m_wb->SwitchMode(mode);
        for (int a = 0; a < 5; ++a) {
            for (int b = a + 1; b < 5; ++b) {
                const auto p = kFileTypePlaces[a], q = kFileTypePlaces[b];
                const bool apart = std::abs(p.left - q.left) >= kFileTypeOptionWidth ||
                                   std::abs(p.top - q.top) >= kFileTypeOptionHeight;
                if (m_wb->Controls().Visible(FileTypeControl(a)) && m_wb->Controls().Visible(FileTypeControl(b))) {
                    EXPECT_TRUE(apart) << kFileTypeCaptions[a] << " over " << kFileTypeCaptions[b];
                }
            }
        }
    }
    EXPECT_EQ(kFileTypePlaces[4].left, 800);  // RAM keeps its place
    EXPECT_EQ(kFileTypePlaces[4].top, 240);
}

TEST_F(WorkbenchFlow, CaptionsOfAnEarlierActionDoNotSurviveTheNextOne)
{
    Open("prog.asm");
    m_wb->AsmAll();
    ASSERT_NE(m_wb->Texts().listBox.find("prog.lst  created"), std::string::npos);
    Open("bad.asm");
    EXPECT_EQ(m_wb->Texts().listBox.find("created"), std::string::npos);
    m_wb->EditSource("        INC A\r\n        END\r\n");
    m_wb->AsmSave1();
    EXPECT_EQ(m_wb->Texts().status, "bad.asm  saved");
    // Leaving the file list by a mode switch brings its disabled commands back.
    m_wb->AsmOpneFile();
    m_wb->SwitchMode(1);
    for (Control c : {Control::AsmSave1, Control::AsmNextLine, Control::AsmAll})
        EXPECT_TRUE(m_wb->Controls().Enabled(c)) << ControlName(c);
}

}  // namespace
}  // namespace zelo::app
