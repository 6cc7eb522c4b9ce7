// The macro and conditional-assembly expander: sources in, expanded lines
// with their origins out, golden; and the mistakes it reports, naming both
// the macro line and the call.
#include "asm/macro_expander.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelo::assembler {
namespace {

std::vector<SourceLine> Lines(const std::string& text)
{
    std::vector<SourceLine> lines;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) lines.push_back({line, {"", n}});
    return lines;
}

// One output line a row: "source line/written line, depth, A when assembled,
// the text".
std::string Render(const ExpandedSource& e)
{
    std::string out;
    for (const ExpandedLine& l : e.lines) {
        out += std::to_string(l.origin.line) + "/" + std::to_string(l.written.line) + " " +
               std::to_string(l.depth) + (l.assemble ? " A " : " - ") + l.text + "\n";
    }
    for (const ExpandProblem& p : e.problems) out += "! " + p.Text() + "\n";
    return out;
}

struct GoldenCase
{
    const char* name;
    const char* source;
    const char* expanded;
};

const GoldenCase kGolden[] = {
    {"plain lines pass unchanged",
     "START: MOV A,#1\n"
     "\tSJMP START\n",
     "1/1 0 A START: MOV A,#1\n"
     "2/2 0 A \tSJMP START\n"},
    {"parameters, LOCAL names and a labelled call",
     "DELAY MACRO N, REG\n"
     "\tLOCAL WAIT\n"
     "\tMOV REG,#N\n"
     "WAIT:\tDJNZ REG,WAIT ; REG counts\n"
     "\tENDM\n"
     "Go:\tDELAY 10, R7\n"
     "\tDELAY <2>, R6\n",
     "1/1 0 - DELAY MACRO N, REG\n"
     "2/2 0 - \tLOCAL WAIT\n"
     "3/3 0 - \tMOV REG,#N\n"
     "4/4 0 - WAIT:\tDJNZ REG,WAIT ; REG counts\n"
     "5/5 0 - \tENDM\n"
     "6/6 0 A Go:\t;DELAY 10, R7\n"
     "6/3 1 A \tMOV R7,#10\n"
     "6/4 1 A $WAIT_0001:\tDJNZ R7,$WAIT_0001 ; REG counts\n"
     "7/7 0 - \tDELAY <2>, R6\n"
     "7/3 1 A \tMOV R6,#2\n"
     "7/4 1 A $WAIT_0002:\tDJNZ R6,$WAIT_0002 ; REG counts\n"},
    {"IF, ELSE, IFDEF and IFNDEF with EQU names above",
     "FAST EQU 1\n"
     "COUNT SET 3\n"
     "\tIF FAST AND COUNT > 2\n"
     "\tMOV A,#1\n"
     "\tELSE\n"
     "\tMOV A,#2\n"
     "\tENDIF\n"
     "\tIFDEF SLOW\n"
     "\tNOP\n"
     "\tENDIF\n"
     "\tIFNDEF SLOW\n"
     "\tRET\n"
     "\tENDIF\n",
     "1/1 0 A FAST EQU 1\n"
     "2/2 0 - COUNT SET 3\n"
     "3/3 0 - \tIF FAST AND COUNT > 2\n"
     "4/4 0 A \tMOV A,#1\n"
     "5/5 0 - \tELSE\n"
     "6/6 0 - \tMOV A,#2\n"
     "7/7 0 - \tENDIF\n"
     "8/8 0 - \tIFDEF SLOW\n"
     "9/9 0 - \tNOP\n"
     "10/10 0 - \tENDIF\n"
     "11/11 0 - \tIFNDEF SLOW\n"
     "12/12 0 A \tRET\n"
     "13/13 0 - \tENDIF\n"},
    {"REPT, a nested call and EXITM",
     "PAIR MACRO X\n"
     "\tDB X\n"
     "\tIF X EQ 0\n"
     "\tEXITM\n"
     "\tENDIF\n"
     "\tDB X+1\n"
     "\tENDM\n"
     "\tREPT 2\n"
     "\tPAIR 0\n"
     "\tENDM\n"
     "\tPAIR 5\n",
     "1/1 0 - PAIR MACRO X\n"
     "2/2 0 - \tDB X\n"
     "3/3 0 - \tIF X EQ 0\n"
     "4/4 0 - \tEXITM\n"
     "5/5 0 - \tENDIF\n"
     "6/6 0 - \tDB X+1\n"
     "7/7 0 - \tENDM\n"
     "8/8 0 - \tREPT 2\n"
     "9/9 0 - \tPAIR 0\n"
     "10/10 0 - \tENDM\n"
     "8/9 1 - \tPAIR 0\n"
     "8/2 2 A \tDB 0\n"
     "8/3 2 - \tIF 0 EQ 0\n"
     "8/4 2 - \tEXITM\n"
     "8/9 1 - \tPAIR 0\n"
     "8/2 2 A \tDB 0\n"
     "8/3 2 - \tIF 0 EQ 0\n"
     "8/4 2 - \tEXITM\n"
     "11/11 0 - \tPAIR 5\n"
     "11/2 1 A \tDB 5\n"
     "11/3 1 - \tIF 5 EQ 0\n"
     "11/4 1 - \tEXITM\n"
     "11/5 1 - \tENDIF\n"
     "11/6 1 A \tDB 5+1\n"},
};

TEST(MacroExpander, GoldenExpansions)
{
    for (const GoldenCase& c : kGolden)
        EXPECT_EQ(Render(ExpandSource(Lines(c.source))), c.expanded) << c.name;
}

struct ProblemCase
{
    const char* source;
    const char* problem;  // the first problem's text
};

TEST(MacroExpander, MistakesNameTheirLines)
{
    const ProblemCase cases[] = {
        {"M MACRO\n\tNOP\n", "line 1: MACRO M has no ENDM"},
        {"\tENDM\n", "line 1: ENDM without MACRO or REPT"},
        {"\tELSE\n", "line 1: ELSE without IF"},
        {"\tIF 1\n\tNOP\n", "line 1: IF without ENDIF"},
        {"\tIF 1\n\tELSE\n\tELSE\n\tENDIF\n", "line 3: a second ELSE for the IF in line 1"},
        {"\tIF LOOP\n\tENDIF\n", "line 1: IF LOOP: LOOP is not defined"},
        {"LOOP:\tNOP\n\tIF LOOP\n\tENDIF\n",
         "line 2: IF LOOP: LOOP has no value before assembly (only EQU and SET names above can be "
         "used)"},
        {"\tREPT 1/0\n\tENDM\n", "line 1: REPT 1/0: division by zero"},
        {"\tLOCAL X\n", "line 1: LOCAL outside a macro"},
        {"MOV MACRO\n\tENDM\n",
         "line 1: MOV is an instruction or directive and cannot name a macro"},
        {"M MACRO\n\tENDM\nM MACRO\n\tENDM\n", "line 3: M is already a macro (line 1)"},
        {"M MACRO A\n\tENDM\n\tM 1,2\n", "line 3: M takes 1 parameters; 2 given"},
        {"M MACRO X\n\tIF X\n\tENDM\n\tM 1\n", "line 2 (expanded from line 4): IF without ENDIF"},
        {"M MACRO X\n\tIF X/0\n\tENDIF\n\tENDM\n\tM 1\n",
         "line 2 (expanded from line 5): IF 1/0: division by zero"},
        {"R MACRO\n\tR\n\tENDM\n\tR\n",
         "line 2 (expanded from line 4): macros and REPT nest deeper than 16 levels (does a macro "
         "call itself?)"},
    };
    for (const ProblemCase& c : cases) {
        const ExpandedSource e = ExpandSource(Lines(c.source));
        ASSERT_FALSE(e.Ok()) << c.source;
        EXPECT_EQ(e.problems.front().Text(), c.problem) << c.source;
    }
}

TEST(MacroExpander, BoundsAndOptions)
{
    ExpandOptions options;
    options.maxLines = 100;
    const ExpandedSource big = ExpandSource(Lines("\tREPT 1000\n\tNOP\n\tENDM\n"), options);
    EXPECT_EQ(big.lines.size(), 100u);
    ASSERT_EQ(big.problems.size(), 1u);
    EXPECT_EQ(big.problems[0].reason, "the expansion passes 100 lines");

    // The chip's registers are known names: T2CON only on the 8052.
    const auto lines = Lines("\tIFDEF T2CON\n\tNOP\n\tENDIF\n\tIF P1 = 90H\n\tRET\n\tENDIF\n");
    const ExpandedSource c8052 = ExpandSource(lines, ChipExpandOptions(core::ChipModel::C8052));
    const ExpandedSource c8051 = ExpandSource(lines, ChipExpandOptions(core::ChipModel::C8051));
    EXPECT_TRUE(c8052.Ok() && c8051.Ok());
    EXPECT_TRUE(c8052.lines[1].assemble);
    EXPECT_FALSE(c8051.lines[1].assemble);
    EXPECT_TRUE(c8051.lines[4].assemble);

    // Lines after END are handed on untouched.
    const ExpandedSource ended = ExpandSource(Lines("\tEND\n\tENDIF\n"));
    EXPECT_TRUE(ended.Ok());
    EXPECT_TRUE(ended.lines[1].assemble);
}

}  // namespace
}  // namespace zelo::assembler
