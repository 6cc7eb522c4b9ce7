// Sources that used to pass although their code could not be what the user
// meant: overlapping code, code past FFFFH, names defined twice. Each is a
// Round 1 problem line with a message, and no HEX or task file is written.
// Also a report that named no place.
#include <gtest/gtest.h>

#include <string>

#include "asm_test_support.h"
#include "core/text_file.h"

namespace zelo::assembler {
namespace {

using testing::AssembleText;
using testing::ProblemsOf;
using testing::TempWorkspace;

struct ProblemCase
{
    const char* name;
    std::string source;
    int problemLine;      // first problem line of the source; 0 = the run passes
    const char* message;  // part of that line's message
};

TEST(AssemblerProblems, PlacementAndNamesDefinedTwice)
{
    const std::string sixBytes = "\tMOV A,#1\n\tMOV A,#1\n\tMOV A,#1\n";
    const ProblemCase cases[] = {
        {"code past 000BH, then ORG 000BH",
         "START:\tSJMP START\n" + sixBytes + sixBytes + "\tORG 000BH\n\tRETI\n", 9,
         "this line at 000BH and line 6 at 000AH both use 000BH"},
        {"ORG back onto a data byte", "\tORG 30H\n\tDB 1,2,3\n\tORG 32H\n\tNOP\n", 4,
         "line 2 at 0030H both use 0032H"},
        {"code that ends at FFFFH", "\tORG FFFEH\n\tNOP\n\tNOP\n", 0, ""},
        {"a byte at 10000H", "\tORG FFFEH\n\tNOP\n\tNOP\n\tNOP\n", 4,
         "Location counter past FFFFH"},
        {"an instruction across FFFFH", "\tORG FFFEH\n\tLJMP 0\n", 2,
         "Location counter past FFFFH"},
        {"a label at 10000H", "\tORG FFFFH\n\tNOP\nTOP:\n", 3, "Location counter past FFFFH"},
        {"the same label twice", "L1:\tNOP\nL1:\tNOP\n", 2,
         "Label defined twice: L1 (first in line 1)"},
        {"a label with and without ':'", "L1:\tNOP\nl1\tNOP\n", 2, "Label defined twice"},
        {"a local label twice in a section", "A:\tNOP\n$1:\tNOP\n$1:\tNOP\n", 3,
         "Label defined twice: $1"},
        {"a local label in two sections", "A:\tNOP\n$1:\tNOP\nB:\tNOP\n$1:\tSJMP $1\n", 0, ""},
        {"an EQU name twice", "X\tEQU 5\nX\tEQU 5\n", 2, "Name defined twice: X"},
        {"an EQU name made a bit", "X\tEQU 5\nX\tBIT P1.0\n", 2, "Name defined twice: X"},
        {"an SFR name made an EQU", "CNT\tSFR 30H\ncnt:\tEQU 1\n", 2, "Name defined twice: CNT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto a = AssembleText(c.source);
        const AssemblerSession& s = *a.session;
        if (c.problemLine == 0) {
            EXPECT_TRUE(s.Succeeded()) << ProblemsOf(s);
            continue;
        }
        EXPECT_FALSE(s.Succeeded());
        EXPECT_EQ(s.FirstProblemSourceLine(), c.problemLine) << ProblemsOf(s);
        EXPECT_NE(ProblemsOf(s).find(c.message), std::string::npos) << ProblemsOf(s);
        EXPECT_FALSE(a.workspace->Exists("PROG.hex"));
        EXPECT_FALSE(a.workspace->Exists("PROG.tsk"));
    }
}

TEST(AssemblerProblems, FailedInstructionsAreNotCountedAsOpcodes)
{
    const auto a = AssembleText("\tMOV A,#12G\n\tJMP NOWHERE\n\tNOP\n");
    const auto stats = core::SplitLines(a.workspace->Read(kUsageFileName));
    ASSERT_EQ(stats.size(), 256u);
    EXPECT_EQ(stats[0x00] + stats[0x74] + stats[0x01], "OpCode= 00 1OpCode= 74 0OpCode= 01 0");
}

// Names of ten and more characters: the listing keeps a blank after them and
// a module links by fields, so exported labels are found and EQU lines are
// not taken for code.
TEST(AssemblerProblems, LongNamesLinkFromAModuleListing)
{
    TempWorkspace ws;
    AssemblerSession module(ws.Library());
    module.SetProgramName("DELAYS");
    module.SetSourceText(
        ".GLOBAL DELAY_10MS\n.GLOBAL DELAY_1SECOND\nCOUNT_INNER\tEQU 0FAH\n"
        "DELAY_10MS:\tMOV R7,#COUNT_INNER\n$1:\tDJNZ R7,$1\n\tRET\n"
        "DELAY_1SECOND:\tMOV R6,#100\n$1:\tDJNZ R6,$1\n\tRET\n");
    module.AsmAll();
    ASSERT_TRUE(module.Succeeded()) << testing::ProblemsOf(module);

    AssemblerSession program(ws.Path());
    program.SetProgramName("MAIN");
    program.SetSourceText(".EXTERN DELAYS\n\tLCALL DELAY_1SECOND\n\tLCALL DELAY_10MS\n\tSJMP $\n");
    program.AsmAll();
    ASSERT_TRUE(program.Succeeded()) << testing::ProblemsOf(program);
    // 8 bytes of program, then the module's code; the EQU line adds no byte.
    EXPECT_EQ(program.HexRecords(),
              (std::vector<std::string>{":1000000012000D12000880FE7FFADFFE227E64DE01",
                                        ":02001000FE22CE", ":00000001FF"}));
}

}  // namespace
}  // namespace zelo::assembler
