// Macros and conditional parts in whole runs: golden listings with each
// expansion under its call, problems inside an expansion naming both
// lines, and the readers of a listing (module linking, the debugger's map)
// taking expansion lines as code.
#include <gtest/gtest.h>

#include "asm/macro_expander.h"
#include "asm/output_files.h"
#include "asm_test_support.h"
#include "core/text_file.h"
#include "loader/listing_map.h"

namespace zelo::assembler {
namespace {

using testing::AssembleText;
using testing::DataFile;
using testing::FixedClock;
using testing::LineBytes;
using testing::TempWorkspace;

TEST(MacroListing, GoldenListingPerChip)
{
    // IFDEF T2CON picks the Timer 2 line on the 8052 only.
    const std::pair<core::ChipModel, const char*> chips[] = {
        {core::ChipModel::C8051, "golden_macros_8051.lst"},
        {core::ChipModel::C8052, "golden_macros_8052.lst"},
    };
    for (const auto& [chip, golden] : chips) {
        TempWorkspace ws;
        ws.Write("golden_macros.asm", DataFile("golden_macros.asm"));
        AssemblerSession session(ws.Path(), chip);
        session.SetClock(FixedClock);
        ASSERT_TRUE(session.LoadAsmFile("golden_macros"));
        session.AsmAll();
        EXPECT_TRUE(session.Succeeded()) << golden;
        EXPECT_EQ(core::SplitLines(ws.Read("golden_macros.lst")),
                  core::SplitLines(DataFile(golden)))
            << golden;
    }
}

TEST(MacroListing, ProblemsInsideAnExpansionNameBothLines)
{
    const testing::Assembled a = AssembleText(DataFile("macro_mistakes.asm"));
    const Assembly& r = a.session->Result();
    EXPECT_EQ(r.round1Problems, 2);
    EXPECT_EQ(r.FirstProblemSourceLine(), 6);  // the window selects the call
    EXPECT_EQ(r.LineName(r.FirstProblemNumber()), "line 3 (expanded from line 6)");
    const std::string listing = a.workspace->Read("PROG.lst");
    EXPECT_NE(listing.find("    6+0002 F5??             MOV   R9,A"), std::string::npos);
    EXPECT_NE(listing.find("problem in line6 for Round 1"), std::string::npos);
    // The expander's own problem stands on its source line.
    const auto bad = std::find_if(r.lines.begin(), r.lines.end(),
                                  [&](const AsmLine& l) { return l.sourceLine == 8; });
    ASSERT_NE(bad, r.lines.end());
    EXPECT_TRUE(bad->round1Error);
    EXPECT_EQ(r.Message(*bad), "IF 1/0: division by zero");
}

TEST(MacroListing, OnlySourcesWithExpanderLinesAreExpanded)
{
    const std::pair<const char*, bool> cases[] = {
        {"\tNOP ; IF this were a macro\n", false},
        {"LIFT:\tMOV A,#1\n\tDB 'REPT'\n", false},
        {"X\tSET 1\n", true},
        {"L1:\tIF 1\n", true},
        {"IFDEF T2CON\n", true},
        {"put macro\n", true},
        {"\trept 2\n", true},
    };
    for (const auto& [source, expanded] : cases)
        EXPECT_EQ(NeedsExpansion(source), expanded) << source;
}

TEST(MacroListing, ReadersOfTheListingTakeExpansionLines)
{
    const std::string source = "TWICE\tMACRO\n\tADD A,ACC\n\tENDM\n\tORG 0\n\tTWICE\n\tSJMP $\n";
    const testing::Assembled a = AssembleText(source);
    ASSERT_TRUE(a.session->Succeeded());
    const std::string listing = a.workspace->Read("PROG.lst");
    const loader::ListingMap map(listing);
    const auto line = map.LineOfAddress(0x0000);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(map.Lines()[*line].substr(0, 10), "    5+0000");
    EXPECT_EQ(map.LineOfAddress(0x0002), *line + 1);

    // A module whose routine is a macro call links with its expansion.
    const testing::Assembled module =
        AssembleText("TWO\tMACRO\n\tINC A\n\tINC A\n\tENDM\n.GLOBAL ADD2\nADD2:\tTWO\n\tRET\n");
    ASSERT_TRUE(module.session->Succeeded());
    TempWorkspace ws;
    ws.Write("8051.LIB/MODM.lst", module.workspace->Read("PROG.lst"));
    AssemblerSession program(ws.Path());
    program.SetProgramName("P");
    program.SetSourceText(".EXTERN MODM\n\tLCALL ADD2\n\tSJMP $\n");
    program.AsmAll();
    ASSERT_TRUE(program.Succeeded()) << testing::ProblemsOf(program);
    EXPECT_EQ(core::SplitLines(ws.Read("P.hex")).front(), ":0800000012000580FE04042239");
}

}  // namespace
}  // namespace zelo::assembler
