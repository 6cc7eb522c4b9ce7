// INCLUDE headers from 8051.LIB and .EXTERN modules linked from their
// listing files.
#include <gtest/gtest.h>

#include "asm/source_file.h"
#include "asm_test_support.h"
#include "core/text_file.h"

namespace zelo::assembler {
namespace {

using testing::FixedClock;
using testing::LineBytes;
using testing::LineMessage;
using testing::TempWorkspace;

AssemblerSession AssembleFile(const TempWorkspace& ws, const std::string& name,
                              const std::string& source)
{
    ws.Write(name + ".asm", source);
    AssemblerSession s(ws.Path());
    s.SetClock(FixedClock);
    EXPECT_TRUE(s.LoadAsmFile(name));
    s.AsmAll();
    return s;
}

TEST(Include, NameForms)
{
    const std::pair<const char*, const char*> cases[] = {{"INCLUDE <REG.H> ; comment", "REG.H"},
                                                         {"include (reg.h)", "reg.h"},
                                                         {"INCLUDE [A.H]", "A.H"},
                                                         {"INCLUDE   X.H  ", "X.H"},
                                                         {"Include <(B.H)>", "(B.H)"}};
    for (const auto& [line, name] : cases) EXPECT_EQ(IncludeName(line).value_or("-"), name) << line;
    EXPECT_FALSE(IncludeName(" INCLUDE <REG.H>").has_value());
    EXPECT_FALSE(IncludeName("INCLUD").has_value());
}

TEST(Include, HeaderLinesComeFirstAndAreNotListed)
{
    TempWorkspace ws;
    ws.Write("8051.LIB/BOARD.H", "LEDS\tSFR P1\r\nLED0\tBIT P1.0\r\nBAUD\tEQU 0FDH\r\n");
    const AssemblerSession s = AssembleFile(
        ws, "USE", "include <board.h> ; the board\n\tMOV LEDS,#0\n\tSETB LED0\n\tMOV TH1,#BAUD\n");
    EXPECT_TRUE(s.Succeeded()) << testing::ProblemsOf(s);
    EXPECT_EQ(s.LibraryLineCount(), 3);
    EXPECT_EQ(s.TotalLineCount(), 7);
    EXPECT_EQ(s.LibraryText(), "LEDS\tSFR P1\r\nLED0\tBIT P1.0\r\nBAUD\tEQU 0FDH\r\n");
    EXPECT_EQ(LineBytes(s, 4), "75 90 00");
    EXPECT_EQ(LineBytes(s, 5), "D2 90");
    EXPECT_EQ(LineBytes(s, 6), "75 8D FD");
    const auto listing = core::SplitLines(ws.Read("USE.lst"));
    ASSERT_EQ(listing.size(), 3u + 4u + 4u);
    EXPECT_EQ(listing[3].substr(0, 11), "    1 0000 ");
    EXPECT_EQ(listing[6].substr(0, 11), "    4 0005 ");
    EXPECT_EQ(listing[8], "          Total compiler lines:7");
}

TEST(Include, MissingHeaderIsSkippedAndIndentedIncludeIsNotSeen)
{
    TempWorkspace ws;
    ws.Write("8051.LIB/REG.H", "X\tEQU 1\r\n");
    const AssemblerSession missing = AssembleFile(ws, "M", "INCLUDE <NONE.H>\n\tNOP\n");
    EXPECT_EQ(missing.LibraryLineCount(), 0);
    EXPECT_TRUE(missing.Succeeded());
    const AssemblerSession indented = AssembleFile(ws, "I", " INCLUDE <REG.H>\n\tNOP\n");
    EXPECT_EQ(indented.LibraryLineCount(), 0);
    EXPECT_EQ(indented.Round1Problems(), 1);  // an indented INCLUDE is an unknown mnemonic
    const AssemblerSession notHeader = AssembleFile(ws, "N", "INCLUDE <REG.INC>\n\tNOP\n");
    EXPECT_EQ(notHeader.LibraryLineCount(), 0);
}

TEST(Include, EndInAHeaderEndsOnlyTheHeader)
{
    TempWorkspace ws;
    ws.Write("8051.LIB/E.H", "X\tEQU 1\r\n\tEND\r\nY\tEQU 2\r\n");
    const AssemblerSession s = AssembleFile(ws, "P", "INCLUDE <E.H>\n\tMOV A,#X\n");
    EXPECT_TRUE(s.Succeeded());
    EXPECT_EQ(s.CodeEnd(), 2);
    EXPECT_EQ(s.Symbols().FindEqu("Y"), nullptr);  // lines after END in the header are neglected
}

TEST(Include, StepCountsWithoutLibraryLines)
{
    TempWorkspace ws;
    ws.Write("8051.LIB/REG.H", "X\tEQU 1\r\nY\tEQU 2\r\n");
    ws.Write("S.asm", "INCLUDE <REG.H>\n\tMOV A,#X\n");
    AssemblerSession s(ws.Path());
    ASSERT_TRUE(s.LoadAsmFile("S"));
    s.AsmNextLine();
    EXPECT_EQ(s.CurrentLine(), 3);
    EXPECT_EQ(s.Result().SourceNumber(s.CurrentLine()), 1);
}

// A module assembled on its own, then linked into a program.
const char* kModule =
    "; a module\n.GLOBAL TWICE\n.GLOBAL WAIT ; exported\nTWICE:\tADD A,ACC\n\tRET\nWAIT:\tDJNZ "
    "R7,WAIT\n"
    "\tRET\nTAB:\tDB 1,2,3,4,5\n";

TEST(Extern, ModuleCodeIsAppendedAndItsGlobalsResolve)
{
    TempWorkspace ws;
    {
        // Build the module's listing in the library folder.
        ws.Write("8051.LIB/MOD.asm", kModule);
        AssemblerSession m(ws.Library());
        ASSERT_TRUE(m.LoadAsmFile("MOD"));
        m.AsmAll();
        ASSERT_TRUE(m.Succeeded()) << testing::ProblemsOf(m);
    }
    const AssemblerSession s = AssembleFile(
        ws, "MAIN", ".EXTERN MOD\n\tMOV A,#3\n\tLCALL TWICE\n\tACALL WAIT\n\tSJMP $\n");
    ASSERT_TRUE(s.Succeeded()) << testing::ProblemsOf(s);
    // Program: 74 03 | 12 xx xx | yy xx | 80 FE = 9 bytes; the module starts at 0009.
    EXPECT_EQ(LineBytes(s, 2), "12 00 09");
    EXPECT_EQ(LineBytes(s, 3), "11 0C");
    EXPECT_EQ(s.HexRecords()[0].substr(0, 41),
              ":10000000740312000911"
              "0C80FE25E022DFFE2201");
    EXPECT_EQ(s.CodeEnd(), 9 + 3 + 3 + 5);
    const auto listing = core::SplitLines(ws.Read("MAIN.lst"));
    EXPECT_EQ(listing[listing.size() - 3],
              "          Total compiler lines:" + std::to_string(5 + 5));
    EXPECT_EQ(listing.size(), 3u + 5u + 4u);  // module lines are not printed
}

TEST(Extern, MissingModule)
{
    TempWorkspace ws;
    const AssemblerSession s = AssembleFile(ws, "MAIN", ".EXTERN (NOPE)\n\tNOP\n");
    EXPECT_EQ(s.Round1Problems(), 1);
    EXPECT_EQ(LineMessage(s, 0), "NOPE.lst doesn't exist");
    EXPECT_FALSE(ws.Exists("MAIN.hex"));

    // A module whose listing disappears between the rounds.
    ws.Write("8051.LIB/GONE.lst", "");
    ws.Write("R.asm", ".EXTERN GONE\n\tNOP\n");
    AssemblerSession r(ws.Path());
    ASSERT_TRUE(r.LoadAsmFile("R"));
    r.AsmNextLine();
    std::filesystem::remove(ws.Library() / "GONE.lst");
    r.AsmNextLine();
    EXPECT_EQ(r.MissingModules(), (std::vector<std::string>{"GONE.lst"}));
    EXPECT_EQ(r.Result().linkProblem, "GONEdoesn't exist");
    EXPECT_FALSE(ws.Exists("R.hex"));
}

}  // namespace
}  // namespace zelo::assembler
