// The column rules of the line scanner, as a table of lines and the fields
// they give.
#include "asm/line_scanner.h"

#include <gtest/gtest.h>

namespace zelo::assembler {
namespace {

struct ScanCase
{
    const char* line;
    const char* label;
    const char* mnemonic;
    const char* op1;
    const char* op2;
    const char* op3;
    const char* comment;
    bool neglected;
};

TEST(LineScanner, ColumnRules)
{
    const ScanCase cases[] = {
        {"LOOP:  MOV A,R0 ;x", "LOOP:", "MOV", "A", "R0", "", "x", false},
        {"  MOV  A , R0", "", "MOV", "A", "R0", "", "", false},
        {"\tDB 'a,b', 0", "", "DB", "'a,b', 0", "", "", "", false},
        {" MOV A,#' '", "", "MOV", "A", "#' '", "", "", false},
        {" MOV A,#';'", "", "MOV", "A", "#'", "", "'", false},
        {"; header comment", "", "", "", "", "", "; header comment", true},
        {"", "", "", "", "", "", "", true},
        {"   \t ", "", "", "", "", "", "   \t ", true},
        {"LOOP:MOV A,R0", "LOOP:MOV", "A", "R0", "", "", "", false},
        // The rest of the line after a label ending in DB is one field.
        {"XDB EQU 5", "XDB", "5", "", "", "", "", false},
        {"MSG: DB 'Hello, World',0DH", "MSG:", "DB", "'Hello, World',0DH", "", "", "", false},
        {"\tmov a,#'x'", "", "MOV", "A", "#'x'", "", "", false},
        {"\tcjne a,#'q',next", "", "CJNE", "A", "#'q'", "next", "", false},
        {"\tMOV A,#10 .MOD. 3", "", "MOV", "A", "#10.MOD.3", "", "", false},
        {"\tMOV A,#10 / 3", "", "MOV", "A", "#10/3", "", "", false},
        {"\tNOP   ", "", "NOP", "", "", "", "", false},
        {"\tRET\t; back", "", "RET", "", "", "", "back", false},
        {"DONE:", "DONE:", "", "", "", "", "", false},
        {"\tDW TABLE, 1234H", "", "DW", "TABLE, 1234H", "", "", "", false},
        {"TAB: DB'AB'", "TAB:", "DB", "'AB'", "", "", "", false},
    };
    for (const ScanCase& c : cases) {
        bool end = false;
        const LineFields f = ScanLine(c.line, end);
        EXPECT_EQ(f.neglected, c.neglected) << c.line;
        EXPECT_EQ(f.field[1], c.label) << c.line;
        EXPECT_EQ(f.field[2], c.mnemonic) << c.line;
        EXPECT_EQ(f.field[3], c.op1) << c.line;
        EXPECT_EQ(f.field[4], c.op2) << c.line;
        EXPECT_EQ(f.field[5], c.op3) << c.line;
        EXPECT_EQ(f.comment, c.comment) << c.line;
        EXPECT_FALSE(end) << c.line;
    }
}

TEST(LineScanner, EndNeglectsItselfAndEveryLaterLine)
{
    bool end = false;
    EXPECT_FALSE(ScanLine("\tNOP", end).neglected);
    const LineFields atEnd = ScanLine(" END", end);
    EXPECT_TRUE(atEnd.neglected);
    EXPECT_TRUE(end);
    const LineFields after = ScanLine("\tMOV A,#1", end);
    EXPECT_TRUE(after.neglected);
    EXPECT_EQ(after.field[2], "");
    EXPECT_EQ(after.comment, "\tMOV A,#1");
}

TEST(LineScanner, LastFieldKeepsCaseOthersAreUpperCased)
{
    bool end = false;
    const LineFields f = ScanLine("Start: mov r0,#data", end);
    EXPECT_EQ(f.field[1], "START:");
    EXPECT_EQ(f.field[2], "MOV");
    EXPECT_EQ(f.field[3], "R0");
    EXPECT_EQ(f.field[4], "#data");
    EXPECT_EQ(f.fieldCount, 4);
}

TEST(LineScanner, CleanFieldKeepsTheTextAfterTheLastBlank)
{
    const std::pair<const char*, const char*> cases[] = {
        {"A B", "B"}, {"#' '", "#' '"}, {"R0\r", "R0"}, {"X\tY\r", "Y"}, {"", ""}};
    for (const auto& [in, out] : cases) {
        std::string f = in;
        CleanField(f);
        EXPECT_EQ(f, out) << in;
    }
}

}  // namespace
}  // namespace zelo::assembler
