// The window's state after the user's sequences that used to leave wrong
// names, stale code or stale captions behind: each case drives the model as
// the window does and checks what the window would show.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/workbench.h"
#include "loader/intel_hex.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTimer = "        MOV A,#12H\r\n        INC A\r\n        INC A\r\n        SJMP $\r\n        END\r\n";
// One byte A5H at 0000H, then the end record.
constexpr const char* kOtherHex = ":01000000A55A\r\n:00000001FF\r\n";

class WindowFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_faults_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "8051.LIB");
        Write("timer.asm", kTimer);
        Write("sum.asm", "        NOP\r\n        END\r\n");
        Write("sum.hex", kOtherHex);
        Write("broken.hex", ":01000000A55A\r\nnot a record\r\n:00000001FF\r\n");
        m_wb = std::make_unique<Workbench>(m_folder);
        m_wb->StartUp();
    }
    void TearDown() override { fs::remove_all(m_folder); }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name)
    {
        std::ostringstream text;
        text << std::ifstream(m_folder / name, std::ios::binary).rdbuf();
        return text.str();
    }
    void Open(const std::string& file)
    {
        m_wb->AsmOpneFile();
        m_wb->ClickFile(file);
    }
    void LoadHex(const std::string& file)
    {
        m_wb->LoadCode();
        m_wb->ClickFile(file);
    }
    void AssembleAndSimulate(const std::string& file)
    {
        Open(file);
        m_wb->AsmAll();
        ASSERT_TRUE(m_wb->Assembler().Succeeded()) << m_wb->Texts().listBox;
        m_wb->SwitchMode(1);
    }

    fs::path m_folder;
    std::unique_ptr<Workbench> m_wb;
};

TEST_F(WindowFaults, AHexChoiceNamesTheLoadedCodeAndTheSourceKeepsItsName)
{
    AssembleAndSimulate("timer.asm");
    m_wb->SwitchMode(0);
    m_wb->EditSource(std::string(kTimer) + "; edited\r\n");
    m_wb->SwitchMode(1);
    LoadHex("sum.hex");
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "A5");
    EXPECT_EQ(m_wb->CodeName(), "sum");
    EXPECT_EQ(m_wb->ProgramName(), "timer");

    m_wb->SwitchMode(0);
    EXPECT_EQ(m_wb->Texts().label1, "  timer.asm");
    EXPECT_EQ(m_wb->AsmSave1(), SaveOutcome::Saved);
    EXPECT_NE(Read("timer.asm").find("; edited"), std::string::npos);
    EXPECT_EQ(Read("sum.asm"), "        NOP\r\n        END\r\n");
    EXPECT_EQ(Read("sum.hex"), kOtherHex);

    // ReLoad reads the loaded code again, not the source's output.
    m_wb->SwitchMode(1);
    m_wb->ReLoadCom();
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "A5");
}

TEST_F(WindowFaults, AFailedAssemblyClearsThePendingLoadAndSimulateSaysSo)
{
    Open("timer.asm");
    m_wb->AsmAll();
    ASSERT_TRUE(m_wb->ProgramPending());
    m_wb->EditSource("        SJMP NOWHERE\r\n        END\r\n");
    m_wb->AsmAll();
    ASSERT_FALSE(m_wb->Assembler().Succeeded());
    EXPECT_FALSE(m_wb->ProgramPending());

    m_wb->SwitchMode(1);
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "xx");  // the earlier pass's HEX is not loaded
    EXPECT_EQ(m_wb->Texts().listBox, NoAssembledCodeMessage("timer"));

    // A passing assembly loads again, without the message.
    m_wb->SwitchMode(0);
    m_wb->EditSource(kTimer);
    m_wb->AsmAll();
    m_wb->SwitchMode(1);
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "74");
    EXPECT_EQ(m_wb->Texts().listBox.find("No assembled code"), std::string::npos);
}

TEST_F(WindowFaults, AChipChangeRedrawsCountersInstructionBoxesAndMarks)
{
    AssembleAndSimulate("timer.asm");
    for (int i = 0; i < 3; ++i) m_wb->OneStep();
    ASSERT_EQ(m_wb->Texts().hexToLine, "PC:0004");
    ASSERT_FALSE(m_wb->Marks().changed.empty());

    m_wb->ClickChip(1);
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0000");
    EXPECT_EQ(m_wb->Texts().cycle, "Cycle:0");
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:0");
    EXPECT_EQ(m_wb->Simulator().CycleCounter(), 0u);
    EXPECT_TRUE(m_wb->Texts().hexBox.empty());
    EXPECT_TRUE(m_wb->Texts().hexText.empty());
    EXPECT_TRUE(m_wb->NoInstructionYet());
    EXPECT_TRUE(m_wb->Marks().changed.empty());
    EXPECT_EQ(m_wb->Cpu().codeMemory[0].Text(), "74");  // the program stays loaded

    // The next step starts from the reset, not from the old step.
    m_wb->OneStep();
    EXPECT_EQ(m_wb->Texts().hexToLine, "PC:0002");
    EXPECT_EQ(m_wb->Texts().stepVo, "Step:1");
}

TEST_F(WindowFaults, RomRowsShowCodeMemoryAfterAFailedLoad)
{
    AssembleAndSimulate("timer.asm");
    ASSERT_EQ(m_wb->CodeListRows()[0].substr(0, 12), "0000  74 12 ");
    LoadHex("broken.hex");
    EXPECT_NE(m_wb->Texts().hexFileCaption.find("has wrong format"), std::string::npos);
    EXPECT_EQ(m_wb->CodeListRows(), loader::RomRows(m_wb->Cpu()));
    // The record before the bad line is stored; the earlier program is gone.
    EXPECT_EQ(m_wb->CodeListRows()[0].substr(0, 12), "0000  A5 xx ");

    // A good load afterwards leaves the plain caption, not the old report.
    LoadHex("sum.hex");
    EXPECT_EQ(m_wb->Texts().hexFileCaption, "HexFile");
    LoadHex("missing.hex");
    EXPECT_EQ(m_wb->CodeListRows(), loader::RomRows(m_wb->Cpu()));
}

TEST_F(WindowFaults, FileTypeOptionsShownTogetherNeverOverlap)
{
    auto overlaps = [](int a, int b) {
        const auto p = kFileTypePlaces[static_cast<std::size_t>(a)];
        const auto q = kFileTypePlaces[static_cast<std::size_t>(b)];
        return p.left < q.left + kFileTypeOptionWidth && q.left < p.left + kFileTypeOptionWidth &&
               p.top < q.top + kFileTypeOptionHeight && q.top < p.top + kFileTypeOptionHeight;
    };
    // Both modes, after each has been shown once.
    for (int mode : {1, 0, 1}) {
        m_wb->SwitchMode(mode);
        for (int a = 0; a < 5; ++a) {
            for (int b = a + 1; b < 5; ++b) {
                if (!m_wb->Controls().Visible(FileTypeControl(a)) || !m_wb->Controls().Visible(FileTypeControl(b)))
                    continue;
                EXPECT_FALSE(overlaps(a, b)) << kFileTypeCaptions[a] << " and " << kFileTypeCaptions[b]
                                             << " in mode " << mode;
            }
        }
    }
    EXPECT_EQ(kFileTypePlaces[4].left, 800);  // RAM stays in its place
    EXPECT_EQ(kFileTypePlaces[4].top, 240);
}

TEST_F(WindowFaults, CaptionsOfAnEarlierActionDoNotSurviveTheNextOne)
{
    Open("timer.asm");
    m_wb->AsmAll();
    ASSERT_NE(m_wb->Texts().listBox.find("timer.lst  created"), std::string::npos);
    Open("sum.asm");
    EXPECT_EQ(m_wb->Texts().listBox.find("created"), std::string::npos) << m_wb->Texts().listBox;
    EXPECT_EQ(m_wb->Texts().status, "sum.asm  loaded");

    m_wb->EditSource("        INC A\r\n        END\r\n");
    EXPECT_EQ(m_wb->AsmSave1(), SaveOutcome::Saved);
    EXPECT_EQ(m_wb->Texts().status, "sum.asm  saved");
}

TEST_F(WindowFaults, LeavingTheFileListByAModeSwitchBringsTheSourceCommandsBack)
{
    Open("timer.asm");
    m_wb->AsmOpneFile();
    ASSERT_FALSE(m_wb->Controls().Enabled(Control::AsmAll));
    m_wb->SwitchMode(1);
    m_wb->SwitchMode(0);
    EXPECT_FALSE(m_wb->Controls().Visible(Control::FileDemo));
    for (Control c : {Control::AsmSave1, Control::AsmNextLine, Control::AsmAll})
        EXPECT_TRUE(m_wb->Controls().Enabled(c)) << ControlName(c);
}

}  // namespace
}  // namespace zelo::app
