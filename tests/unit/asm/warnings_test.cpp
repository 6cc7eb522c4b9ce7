// Programs that assemble but hold a classic mistake, and the warnings they
// get; each case a small program and the warnings expected, in line order.
#include "asm/warnings.h"

#include <gtest/gtest.h>

#include "asm_test_support.h"

namespace zelo::assembler {
namespace {

struct WarningCase
{
    const char* name;
    const char* source;
    std::vector<std::string> warnings;
};

std::vector<std::string> WarningsOf(const std::string& source)
{
    const auto a = testing::AssembleText(source);

    std::vector<std::string> texts;
    for (const AssemblyWarning& w : FindWarnings(a.session->Result()))
        texts.push_back(WarningText(w));
    return texts;
}

TEST(Warnings, EachClassicMistakeIsNamedOnItsLine)
{
    const WarningCase kCases[] = {
        {"a clean program", " ORG 0\n MOV SP,#2FH\nLOOP: SJMP LOOP\n END\n", {}},
        {"RET at the margin",
         " ACALL SUB\n SJMP $\nSUB: INC A\nRET\n END\n",
         {"Warning in line 3: the program runs past its last instruction into unloaded memory: "
          "end it with SJMP $ or a loop",
          "Warning in line 4: RET in column 1 is read as a label, not as an instruction: indent "
          "it (the routine falls through)"}},
        {"MOV Rn,Rm",
         " MOV R1,R2\n SJMP $\n END\n",
         {"Warning in line 1: MOV R1,R2 is assembled as MOV R1,02H: it reads R2 only while "
          "register bank 0 is selected"}},
        {"an interrupt routine that returns with RET and changes A and PSW",
         " ORG 0\n LJMP MAIN\n ORG 000BH\n LJMP T0ISR\n ORG 30H\nMAIN: SJMP MAIN\n"
         "T0ISR: MOV A,P1\n ADD A,#1\n JNC DONE\n INC R7\nDONE: RET\n END\n",
         {"Warning in line 7: the interrupt routine at 000BH changes A without saving it: PUSH "
          "ACC first, POP ACC before RETI",
          "Warning in line 8: the interrupt routine at 000BH changes PSW without saving it: PUSH "
          "PSW first, POP PSW before RETI",
          "Warning in line 11: the interrupt routine at 000BH ends in RET: use RETI, or the "
          "interrupt stays in progress"}},
        {"an interrupt routine that saves what it changes",
         " ORG 0\n SJMP MAIN\n ORG 0003H\n PUSH ACC\n PUSH PSW\n CLR C\n MOV A,#1\n POP PSW\n"
         " POP ACC\n RETI\nMAIN: SJMP MAIN\n END\n",
         {}},
        {"code without a vector ORG is not an interrupt routine",
         " MOV A,#1\n MOV A,#2\n MOV A,#3\n ADD A,#4\n MOV A,#5\n ADD A,#6\n SJMP $\n END\n",
         {}},
        {"no loop at the end",
         " MOV A,#1\n MOV P1,A\n END\n",
         {"Warning in line 2: the program runs past its last instruction into unloaded memory: "
          "end it with SJMP $ or a loop"}},
        {"a stack over the banks and the bit area",
         " MOV SP,#07H\n MOV SP,#20H\n SJMP $\n END\n",
         {"Warning in line 1: the stack from 08H grows over register banks 1-3 (08H-1FH) and "
          "the bit area (20H-2FH): set SP to 2FH or above",
          "Warning in line 2: the stack from 21H grows over the bit area (20H-2FH): set SP to "
          "2FH or above"}},
        {"a sixth field",
         "L: CJNE A,#5,L wait here\n SJMP $\n END\n",
         {"Warning in line 1: the text after L is a sixth field and is ignored: a comment starts "
          "with ';'"}},
        {"text after END",
         " SJMP $\n END\n; notes are fine\n\n MOV A,#1\n NOP\n",
         {"Warning in line 5: text after END is not assembled"}},
        {";nowarn silences its line only",
         " MOV R1,R2 ; bank 0 only ;nowarn\n MOV R3,R4\n SJMP $\n END\n",
         {"Warning in line 2: MOV R3,R4 is assembled as MOV R3,04H: it reads R4 only while "
          "register bank 0 is selected"}},
    };
    for (const WarningCase& c : kCases) EXPECT_EQ(WarningsOf(c.source), c.warnings) << c.name;
}

}  // namespace
}  // namespace zelo::assembler
