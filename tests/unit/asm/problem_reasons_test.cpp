// Mistaken instructions and the reason each is refused with: one row per
// kind of slip, the operands as a learner would write them.
#include "asm/problem_reasons.h"

#include <gtest/gtest.h>

#include "asm/assembly.h"
#include "asm/encoder.h"
#include "asm_test_support.h"

namespace zelo::assembler {
namespace {

struct ReasonRow
{
    const char* mnemonic;
    const char* op1;
    const char* op2;
    const char* op3;
    const char* reason;
};

class EncoderReasons : public ::testing::Test
{
protected:
    EncoderReasons()
    {
        symbols.AddEqu("COUNT", 10, 1);
        symbols.AddEqu("TABLE", 0x1234, 2);
        symbols.AddByte("BUFFER", 0x30);
        symbols.AddBit("READY", 0x05);
    }
    SymbolTable symbols;
};

TEST_F(EncoderReasons, EachMistakeSaysWhyAndWhatWouldBeRight)
{
    static constexpr ReasonRow kRows[] = {
        // registers that are not registers
        {"MOV", "A", "R9", "", "R9 is not a register (R0-R7)"},
        {"MOV", "R8", "#5", "", "R8 is not a register (R0-R7)"},
        {"MOV", "A", "@R2", "", "@R2 is not an indirect register (@R0 or @R1)"},
        // operand shapes the instruction does not have
        {"MOVX", "R9", "#5", "", "MOVX takes A,@DPTR or A,@R0/@R1 or @DPTR,A or @R0/@R1,A"},
        {"MOVX", "A", "R0", "", "MOVX takes A,@DPTR or A,@R0/@R1"},
        {"XCH", "A", "#5", "", "XCH takes A,direct or A,@R0/@R1 or A,R0-R7"},
        {"DEC", "DPTR", "", "", "DEC takes A or direct or @R0/@R1 or R0-R7"},
        {"NOP", "A", "", "", "NOP takes no operand"},
        {"SETB", "A", "", "", "SETB takes bit or C"},
        {"MOV", "DPTR", "A", "", "MOV takes DPTR,#data16"},
        {"FOO", "A", "", "", "FOO is not an instruction or a directive"},
        // values
        {"MOV", "A", "#300", "", "300 does not fit in a byte"},
        {"MOV", "A", "#TABLE", "", "4660 does not fit in a byte"},
        {"MOV", "A", "BUFER", "", "BUFER is not defined (did you mean BUFFER?)"},
        {"MOV", "A", "TABLE", "",
         "TABLE is not a direct address (00H-FFH or a register name): it is 4660"},
        {"MOV", "A", "123H", "", "123H is not a direct address (00H-FFH or a register name)"},
        {"SETB", "REDY", "", "", "REDY is not defined (did you mean READY?)"},
        {"CLR", "TRO", "", "", "TRO is not defined (did you mean TR0?)"},
        {"CPL", "1FFH", "", "", "1FFH is not a bit (00H-FFH, a bit name or a byte's bit as P1.3)"},
    };
    for (const ReasonRow& row : kRows) {
        const Encoded e = EncodeInstruction(row.mnemonic, row.op1, row.op2, row.op3, symbols);
        EXPECT_EQ(e.reason, row.reason) << row.mnemonic << ' ' << row.op1 << ',' << row.op2;
    }
}

TEST_F(EncoderReasons, GoodInstructionsHaveNoReason)
{
    for (const auto& [m, a, b] : {std::tuple{"MOV", "A", "R7"},
                                  {"MOV", "A", "#COUNT"},
                                  {"MOVX", "A", "@DPTR"},
                                  {"SETB", "READY", ""},
                                  {"SJMP", "LATER", ""}}) {
        EXPECT_EQ(EncodeInstruction(m, a, b, "", symbols).reason, "") << m << ' ' << a;
    }
}

TEST(NearestName, OnlyCloseNamesAreSuggested)
{
    const std::string_view known[] = {"LOOP1:", "START", "DELAY_LONG", "P1"};
    EXPECT_EQ(NearestName("LOOP", known), "LOOP1");
    EXPECT_EQ(NearestName("strat", known), "START");       // two letters swapped: one slip
    EXPECT_EQ(NearestName("SPARK", known), std::nullopt);  // two edits in a short name
    EXPECT_EQ(NearestName("STRT", known), "START");
    EXPECT_EQ(NearestName("DELAY_LNOG", known), "DELAY_LONG");
    EXPECT_EQ(NearestName("P2", known), std::nullopt);  // too short to guess
    EXPECT_EQ(NearestName("WAIT", known), std::nullopt);
}

TEST(JumpReasons, ReachAndPageSayWhatToUseInstead)
{
    EXPECT_EQ(ReachReason("SJMP", "FAR", 140),
              "SJMP to FAR is 140 bytes away; the reach is -128..+127: use LJMP or AJMP");
    EXPECT_EQ(ReachReason("JZ", "BACK", -200),
              "JZ to BACK is -200 bytes away; the reach is -128..+127: jump over an LJMP with the "
              "opposite test");
    EXPECT_EQ(PageReason("ACALL", "SUB", 0x07FE, 0x0900),
              "ACALL to SUB at 0900H leaves the 2 KB page 0000H-07FFH: use LCALL");
}

// Whole sources: the reason kept for the first problem line, wherever in
// the two rounds the problem was found.
TEST(AssembledReasons, TheFirstProblemLineKeepsItsReason)
{
    static const std::pair<std::string, std::string> kCases[] = {
        {" ORG 0\n SJMP FAR\n ORG 8EH\nFAR: NOP\n",
         "SJMP to FAR is 140 bytes away; the reach is -128..+127: use LJMP or AJMP"},
        {"BACK: NOP\n ORG 100H\n JZ BACK\n",
         "JZ to BACK is -258 bytes away; the reach is -128..+127: jump over an LJMP with the "
         "opposite test"},
        {" ORG 7F0H\n ACALL SUB\n ORG 900H\nSUB: RET\n",
         "ACALL to SUB at 0900H leaves the 2 KB page 0000H-07FFH: use LCALL"},
        {"START: NOP\n LJMP STRAT\n", "STRAT is not defined (did you mean START?)"},
        {"TABLE: NOP\n DW TABEL\n", "TABEL is not defined (did you mean TABLE?)"},
        {" DB 1,300,2\n", "300 does not fit in a byte"},
        {"COUNT EQU 10\n MOV A,#COUNTS\n", "COUNTS is not defined (did you mean COUNT?)"},
        {"LATE: MOV A,#LATE+300\n", "300 does not fit in a byte"},
        {" MOVV A,#1\n", "MOVV is not an instruction or a directive (did you mean MOV?)"},
        {"X EQU COUNT\n", "COUNT is not defined"},
        {" ORG 12345H\n", "ORG takes an address 0-65535 or 0000H-FFFFH, or an expression of them"},
        {"PORT SFR 123H\n", "123H is not a direct address (00H-FFH or a register name)"},
        {"LOOP: NOP\nLOOP: NOP\n", "Label defined twice: LOOP (first in line 1)"},
        {"READY BIT 20H.1\nGO BIT REDY\n", "REDY is not defined (did you mean READY?)"},
    };
    for (const auto& [source, reason] : kCases) {
        const auto a = testing::AssembleText(source);
        const Assembly& result = a.session->Result();
        ASSERT_FALSE(result.problemLines.empty()) << source;
        EXPECT_EQ(result.Reason(result.lines[result.problemLines[0] - 1]), reason) << source;
    }
}

}  // namespace
}  // namespace zelo::assembler
