// The assembler's texts: the report and status line of a whole run, the
// captions and boxes while a run steps, and the ParsecText trace.
#include "app/assembly_texts.h"

#include <gtest/gtest.h>

#include "../asm/asm_test_support.h"
#include "core/text_file.h"

namespace zelo::app {
namespace {

using assembler::AssemblerSession;
using assembler::testing::AssembleText;
using assembler::testing::FixedClock;
using assembler::testing::TempWorkspace;

struct ReportCase
{
    const char* name;
    const char* source;
    core::ChipModel chip;
    const char* header;  // 8051.LIB/BOARD.H, when not empty
    const char* report;
    const char* status;
};

TEST(AssemblyTexts, ReportAndStatusOfAWholeRun)
{
    const ReportCase cases[] = {
        {"a pass names the files created, then the warnings", "\tMOV A,#1\n",
         core::ChipModel::C8052, "",
         "        8052\n-------------------------------\n Round 1 PASS!   Round 2 PASS! \n"
         "    PROG.lst  created\n    PROG.hex  created\n    PROG.tsk  created\n"
         "Warning in line 1: the program runs past its last instruction into unloaded memory: "
         "end it with SJMP $ or a loop\n",
         ""},
        {"Round 1 problems show the first line's fields and reason, then the further lines",
         "; first\n\tMOV A,#1\n\tMOV A,#12G\n\tFOO\n", core::ChipModel::C8051, "",
         "        8051\n-------------------------------\nProblem in line: 3\n-MOV-A-#12G-\n"
         "12G is not a number\n"
         "-------------------------------\nRound 1 Problems :2\n"
         "Problem in line 4: FOO is not an instruction or a directive\n",
         "PROG.asm    Total Lines:4     Problem in line: 3     12G is not a number"},
        {"a Round 2 problem shows the line's message and reason",
         "\tSJMP LATER\nLATER:\tNOP\n\tSJMP NOWHERE\n\tSJMP LATE\n", core::ChipModel::C8051, "",
         "        8051\n-------------------------------\nProblem in line: 3\n-SJMP-NOWHERE--\n"
         "Label not found: NOWHERE\nNOWHERE is not defined\n-------------------------------\n"
         "Round 2 Problems :2\nProblem in line 4: LATE is not defined (did you mean LATER?)\n",
         "PROG.asm    Total Lines:4     Problem in line: 3     NOWHERE is not defined"},
        {"a header's line is named with its file", "INCLUDE BOARD.H\n\tSETB LED\n",
         core::ChipModel::C8051, "LED\tBIT P1.0\r\nBAD\tBIT NOWHERE\r\n",
         "        8051\n-------------------------------\nProblem in line: 2 of BOARD.H\n"
         "BAD-BIT-NOWHERE--\nProblem in REG\n"
         "NOWHERE is not defined\n"
         "-------------------------------\nRound 1 Problems :1\n"
         "Warning in line 2: the program runs past its last instruction into unloaded memory: "
         "end it with SJMP $ or a loop\n",
         "PROG.asm    Total Lines:2     Problem in line: 2 of BOARD.H     NOWHERE is not defined"},
        {"a line of a macro expansion is named with its call",
         "PUT\tMACRO\n\tMOV R9,A\n\tENDM\n\tPUT\n", core::ChipModel::C8051, "",
         "        8051\n-------------------------------\nProblem in line: 2 (expanded from line "
         "4)\n"
         "-MOV-R9-A-\nR9 is not a register (R0-R7)\n-------------------------------\n"
         "Round 1 Problems :1\n",
         "PROG.asm    Total Lines:4     Problem in line: 2 (expanded from line 4)     R9 is not a "
         "register (R0-R7)"},
    };
    for (const ReportCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkspace ws;
        if (*c.header) ws.Write("8051.LIB/BOARD.H", c.header);
        AssemblerSession s(ws.Path(), c.chip);
        s.SetClock(FixedClock);
        s.SetProgramName("PROG");
        s.SetSourceText(c.source);
        AssemblerTexts texts;
        texts.Follow(s, s.AsmAll());
        EXPECT_EQ(texts.report, c.report);
        EXPECT_EQ(texts.status, c.status);
    }
}

TEST(AssemblyTexts, AnEmptySourceIsSaidNotSilent)
{
    TempWorkspace ws;
    AssemblerSession s(ws.Path());
    s.SetProgramName("NONE");
    AssemblerTexts texts;
    texts.Follow(s, s.AsmAll());
    EXPECT_EQ(texts.status, "NONE.asm is empty: there is nothing to assemble.");
    EXPECT_EQ(texts.report, texts.status + "\n");
}

TEST(AssemblyTexts, AFileNotWrittenIsReportedAndNotCreated)
{
    TempWorkspace ws;
    std::filesystem::create_directory(ws.Path() / "PROG.hex");  // a folder where the file should go
    AssemblerSession s(ws.Path());
    s.SetProgramName("PROG");
    s.SetSourceText("\tNOP\n");
    AssemblerTexts texts;
    texts.Follow(s, s.AsmAll());
    EXPECT_FALSE(s.Succeeded());
    ASSERT_EQ(s.WriteFailures().size(), 1u);
    EXPECT_EQ(s.WriteFailures()[0].fileName, "PROG.hex");
    EXPECT_EQ(texts.report.find("PROG.hex  created"), std::string::npos);
    EXPECT_EQ(texts.failures.rfind("PROG.hex could not be written: ", 0), 0u) << texts.failures;
    EXPECT_NE(texts.report.find(texts.failures + "\n"), std::string::npos) << texts.report;
}

TEST(AssemblyTexts, SteppingShowsEachLineThenTheEndOfFile)
{
    TempWorkspace ws;
    ws.Write("8051.LIB/REG.H", "X\tEQU 1\r\nY\tEQU 2\r\n");
    AssemblerSession s(ws.Path());
    s.SetClock(FixedClock);
    s.SetProgramName("STEP");
    s.SetSourceText("INCLUDE <REG.H>\n; c\n\tMOV A,#X\n\tEND\n");
    AssemblerTexts texts;
    // Captions count the source's own lines, not the header's.
    const std::pair<const char*, const char*> shown[] = {
        {"AsmFile has 4 lines  ==> This is line 1", "INCLUDE <REG.H>"},
        {"AsmFile has 4 lines  ==> This is line 2.       This Line is Neglected", "; c"},
        {"AsmFile has 4 lines  ==> This is line 3", "\tMOV A,#X"},
        {"AsmFile has 4 lines  ==> This is line 4.       This Line is Neglected", "\tEND"},
    };
    for (const auto& [caption, text] : shown) {
        texts.Follow(s, s.AsmNextLine());
        EXPECT_EQ(texts.asmFileCaption, caption);
        EXPECT_EQ(texts.asmText, text);
    }
    texts.Follow(s, s.AsmNextLine());
    EXPECT_EQ(texts.asmText, "AsmFile has 4 lines  ==>  End of File");
    EXPECT_EQ(SourceLinesCaption(4), "AsmFile has 4 lines ");
}

TEST(AssemblyTexts, TraceShowsEveryLineAsRound1LeftIt)
{
    const auto a = AssembleText("START:\tMOV A,#1 ; one\n\tSJMP START\n");
    AssemblerTexts texts;
    AppendTraceLines(a.session->Result(), a.session->Trace(), texts.trace);
    const auto trace = core::SplitLines(texts.trace);
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0], "    1 0000 74 01    START:    MOV   A,#1                one");
    // The jump's offset is filled in by Round 2: the trace keeps "xx".
    EXPECT_EQ(trace[1].substr(0, 18), "    2 0002 80 xx  ");
}

}  // namespace
}  // namespace zelo::app
