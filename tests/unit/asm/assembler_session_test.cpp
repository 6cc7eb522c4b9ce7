// Whole runs of the assembler: the golden listing, HEX record layout, the
// problem report texts of both rounds, line-by-line stepping and the files
// a run leaves behind.
#include <gtest/gtest.h>

#include "asm_test_support.h"
#include "core/text_file.h"

namespace zelo::assembler {
namespace {

using testing::AssembleText;
using testing::DataFile;
using testing::FixedClock;
using testing::LineBytes;
using testing::LineMessage;
using testing::TempWorkspace;

TEST(AssemblerRun, GoldenListingAndHex)
{
    TempWorkspace ws;
    ws.Write("golden_blink.asm", DataFile("golden_blink.asm"));
    AssemblerSession session(ws.Path());
    session.SetClock(FixedClock);
    ASSERT_TRUE(session.LoadAsmFile("golden_blink"));
    session.AsmAll();
    EXPECT_TRUE(session.Succeeded());
    EXPECT_EQ(core::SplitLines(ws.Read("golden_blink.lst")),
              core::SplitLines(DataFile("golden_blink.lst")));
    EXPECT_EQ(core::SplitLines(ws.Read("golden_blink.hex")),
              core::SplitLines(DataFile("golden_blink.hex")));
    // Written with CR LF line ends.
    EXPECT_NE(ws.Read("golden_blink.lst").find("\r\n"), std::string::npos);
}

TEST(AssemblerRun, TheListingTextIsTheFilesAndOutlivesAReset)
{
    auto a = AssembleText(DataFile("golden_blink.asm"), core::ChipModel::C8051, "golden_blink");
    AssemblerSession& session = *a.session;
    const std::string written = a.workspace->Read("golden_blink.lst");
    session.SetProgramName("other");  // the listing keeps the name it was written with
    session.SetChip(core::ChipModel::C8052);  // a reset empties the run
    EXPECT_EQ(session.ListingText(), written);
    // A new run replaces it.
    session.SetProgramName("golden_blink");
    session.SetSourceText("\tNOP\n\tEND\n");
    session.AsmAll();
    EXPECT_EQ(session.ListingText(), a.workspace->Read("golden_blink.lst"));
    EXPECT_NE(session.ListingText(), written);
}

TEST(AssemblerRun, ListingColumnsHoldForLinesOfAnyLength)
{
    // Label in 10 columns, mnemonic in 6, operands padded to column 50, the
    // comment after ';' -- for short lines and for lines far longer than a
    // usual listing line (long labels, long data lists).
    for (std::size_t label : {2u, 9u, 12u, 40u}) {
        for (std::size_t items : {1u, 20u, 45u, 70u}) {
            const std::string name = std::string(label - 1, 'L') + ":";
            std::string list = "0";
            for (std::size_t k = 1; k < items; ++k) list += ",1";
            const auto a = AssembleText(name + "\tDB " + list + " ; note\n");
            const std::vector<std::string> listing = a.session->ListingLines();
            ASSERT_GT(listing.size(), 3u);
            std::string expected = "    1 0000 " + std::string(items > 1 ? "0001" : "00  ") +
                                   (items > 2 ? "01" : "  ") + " ";
            // At least one blank after the label, however long it is.
            expected += name + std::string(name.size() < 10 ? 10 - name.size() : 1, ' ');
            expected += "DB    " + list;
            if (expected.size() < 50) expected.resize(50, ' ');
            EXPECT_EQ(listing[3], expected + ";note") << label << " " << items;
        }
    }
}

TEST(AssemblerRun, APassWritesTheListingHexAndTaskFiles)
{
    const auto a = AssembleText("\tMOV A,#1\n", core::ChipModel::C8052, "BLINK");
    EXPECT_TRUE(a.workspace->Exists("BLINK.lst"));
    EXPECT_TRUE(a.workspace->Exists("BLINK.hex"));
    EXPECT_EQ(a.workspace->Read("BLINK.tsk"), std::string("\x74\x01", 2));
}

TEST(AssemblerRun, Round1ProblemReportAndListingLines)
{
    const auto a = AssembleText("; first\n\tMOV A,#1\n\tMOV A,#12G\n\tFOO\n\tSJMP $\n");
    const AssemblerSession& s = *a.session;
    EXPECT_EQ(s.Round1Problems(), 2);
    EXPECT_EQ(s.Round2Problems(), 0);
    EXPECT_FALSE(s.Succeeded());
    const auto listing = core::SplitLines(a.workspace->Read("PROG.lst"));
    const std::vector<std::string> tail(listing.end() - 4, listing.end());
    EXPECT_EQ(tail[1], "          Total compiler lines:5");
    EXPECT_EQ(tail[2], "        There are 2 errors for Round 1.");
    EXPECT_EQ(tail[3], "        There is 0 error for Round 2.");
    EXPECT_NE(std::find(listing.begin(), listing.end(),
                        " 1            -------   There is a problem in line3 for Round 1   "
                        "---------------------------------------------------"),
              listing.end());
    EXPECT_NE(std::find(listing.begin(), listing.end(),
                        " 2            -------   There is a problem in line4 for Round 1   "
                        "---------------------------------------------------"),
              listing.end());
    EXPECT_NE(std::find(listing.begin(), listing.end(),
                        "              Reason: FOO is not an instruction or a directive"),
              listing.end());
    EXPECT_FALSE(a.workspace->Exists("PROG.hex"));
    EXPECT_FALSE(a.workspace->Exists("PROG.tsk"));
}

TEST(AssemblerRun, Round2ProblemForAnUndefinedLabel)
{
    const auto a = AssembleText("\tSJMP LATER\nLATER:\tNOP\n\tSJMP NOWHERE\n\tSJMP LATE\n");
    const AssemblerSession& s = *a.session;
    EXPECT_EQ(s.Round1Problems(), 0);
    EXPECT_EQ(s.Round2Problems(), 2);
    EXPECT_EQ(LineBytes(s, 0), "80 00");
    const std::string listing = a.workspace->Read("PROG.lst");
    EXPECT_NE(listing.find(" 1            -------   There is a problem in line3 for Round 2   "
                           "--------------------------------------------------\r\n"
                           "              Reason: NOWHERE is not defined\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(listing.find("        There are 2 errors for Round 2."), std::string::npos);
    EXPECT_FALSE(a.workspace->Exists("PROG.hex"));
}

struct RelativeCase
{
    const char* source;
    const char* bytes;
    int round2;
};

TEST(AssemblerRun, RelativeOffsetsAndTheirRange)
{
    const RelativeCase cases[] = {
        {"L:\tSJMP L\n", "80 FE", 0},
        {"\tSJMP L\n\tNOP\nL:\tNOP\n", "80 01", 0},
        {"L:\tNOP\n\tJB P1.0,L\n", "", 0},
        {"\tSJMP L\n\tORG 81H\nL:\tNOP\n", "80 7F", 0},
        {"\tSJMP L\n\tORG 82H\nL:\tNOP\n", "80 ??", 1},
        {"\tORG 100H\nL:\tNOP\n\tORG 17FH\n\tSJMP L\n", "80 ??", 1},
        {"\tORG 100H\nL:\tNOP\n\tORG 17EH\n\tSJMP L\n", "80 80", 0},
    };
    for (const auto& c : cases) {
        const auto a = AssembleText(c.source);
        EXPECT_EQ(a.session->Round2Problems(), c.round2) << c.source;
        if (*c.bytes == '\0') continue;
        bool found = false;
        for (const AsmLine& line : a.session->Lines()) {
            if (line.fixup == FixupKind::Relative) {
                EXPECT_EQ(LineBytes(*a.session, line), c.bytes) << c.source;
                found = true;
            }
        }
        EXPECT_TRUE(found) << c.source;
    }
    const auto back = AssembleText("L:\tNOP\n\tJB P1.0,L\n");
    EXPECT_EQ(LineBytes(*back.session, 1), "20 90 FC");
}

TEST(AssemblerRun, AbsoluteJumpsCheckTheTwoKilobytePage)
{
    const auto same = AssembleText("\tORG 07FDH\n\tACALL X\n\tORG 07F0H\nX:\tRET\n");
    EXPECT_EQ(LineBytes(*same.session, 1), "F1 F0");
    const auto other = AssembleText("\tORG 07FEH\n\tACALL X\n\tORG 07F0H\nX:\tRET\n");
    EXPECT_EQ(other.session->Round2Problems(), 1);
    const auto jmp = AssembleText("\tJMP LOOP\n\tORG 0345H\nLOOP:\tNOP\n");
    EXPECT_EQ(LineBytes(*jmp.session, 0), "61 45");
    EXPECT_EQ(jmp.session->Lines()[0].length, 2);
}

TEST(AssemblerRun, SixteenBitReferences)
{
    const auto a = AssembleText(
        "\tMOV DPTR,#TABLE\n\tLJMP TABLE+2\n\tLCALL 1234H\n\tMOV DPTR,#BIG\nBIG\tEQU 2000H\n\tORG "
        "0200H\nTABLE:\tDB 1\n");
    EXPECT_EQ(a.session->Round2Problems(), 0);
    EXPECT_EQ(LineBytes(*a.session, 0), "90 02 00");
    EXPECT_EQ(LineBytes(*a.session, 1), "02 02 02");
    EXPECT_EQ(LineBytes(*a.session, 2), "12 12 34");
    EXPECT_EQ(LineBytes(*a.session, 3), "90 20 00");
}

TEST(AssemblerRun, HexRecordsAreSixteenBytesWithNewRunsAtOrg)
{
    std::string source;
    for (int i = 0; i < 20; ++i) source += "\tNOP\n";
    const auto a = AssembleText(source);
    EXPECT_EQ(a.session->HexRecords(),
              (std::vector<std::string>{":1000000000000000000000000000000000000000F0",
                                        ":0400100000000000EC", ":00000001FF"}));
    EXPECT_EQ(a.session->CodeEnd(), 20);

    const auto runs =
        AssembleText("\tORG 0\n\tLJMP MAIN\n\tORG 30H\nMAIN:\tMOV A,#1\n\tSJMP MAIN\n");
    EXPECT_EQ(
        runs.session->HexRecords(),
        (std::vector<std::string>{":03000000020030CB", ":04003000740180FCDB", ":00000001FF"}));
    // The task image fills the gap with FFH.
    const std::string tsk = runs.workspace->Read("PROG.tsk");
    ASSERT_EQ(tsk.size(), 0x34u);
    EXPECT_EQ(static_cast<unsigned char>(tsk[3]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(tsk[0x30]), 0x74);

    // A line whose bytes do not fit completes the record first.
    std::string split;
    for (int i = 0; i < 15; ++i) split += "\tNOP\n";
    split += "\tLJMP 1234H\n";
    const auto s = AssembleText(split);
    EXPECT_EQ(s.session->HexRecords()[0].substr(0, 9), ":10000000");
    EXPECT_EQ(s.session->HexRecords()[1], ":020010001234A8");
}

TEST(AssemblerRun, DataDirectives)
{
    struct Case
    {
        const char* source;
        const char* bytes;
        bool problem;
    };
    const Case cases[] = {
        {"\tDB 'AB',0DH", "41 42 0D", false},
        {"\tDB 0FFH", "FF", false},
        {"\tDB FFH", "FF", false},
        {"\tDB 255", "FF", false},
        {"\tDB 256", "??", true},
        {"\tDB 01010101B,17Q,'a'", "55 0F 61", false},
        {"\tDB 'a,b', 0", "61 2C 62 00", false},
        {"\tDB 1,,2", "01 ?? 02", true},
        {"\tDW 1234H,5", "12 34 00 05", false},
        {"\tDW 0FFFFH", "FF FF", false},
        {"\tDW LATER\nLATER:\tNOP", "00 02", false},
        {"\tDW MISSING", "?? ??", true},
        {"\t3FH", "3F", false},
    };
    for (const Case& c : cases) {
        const auto a = AssembleText(std::string(c.source) + "\n");
        EXPECT_EQ(LineBytes(*a.session, 0), c.bytes) << c.source;
        EXPECT_EQ(a.session->Round1Problems() + a.session->Round2Problems() > 0, c.problem)
            << c.source;
    }
}

TEST(AssemblerRun, SymbolDirectives)
{
    const auto a = AssembleText(
        "SEVEN\tEQU 7\nWORD\tEQU 1234H\nRAMX\tEQU 0040H\nMASK\tEQU 11110000B\nCNT\tSFR "
        "30H\nLED\tBIT P1.0\n"
        "SW\tREG P3.2\nTMP\tREG 31H\nSUM\tEQU SEVEN+3\n"
        "\tMOV A,#SEVEN\n\tMOV DPTR,#WORD\n\tMOV RAMX,A\n\tANL A,#MASK\n\tINC CNT\n\tSETB "
        "LED\n\tJB SW,$\n\tMOV TMP,#SUM\n");
    const auto& lines = a.session->Lines();
    EXPECT_EQ(a.session->Round1Problems(), 0);
    EXPECT_EQ(LineBytes(*a.session, 9), "74 07");
    EXPECT_EQ(LineBytes(*a.session, 10), "90 12 34");
    EXPECT_EQ(LineBytes(*a.session, 11), "F5 40");
    EXPECT_EQ(LineBytes(*a.session, 12), "54 F0");
    EXPECT_EQ(LineBytes(*a.session, 13), "05 30");
    EXPECT_EQ(LineBytes(*a.session, 14), "D2 90");
    EXPECT_EQ(LineBytes(*a.session, 15), "20 B2 FD");
    EXPECT_EQ(LineBytes(*a.session, 16), "75 31 0A");
    EXPECT_EQ(lines[0].length, 0);
    EXPECT_EQ(a.session->Symbols().RamNames().Name(0x30), "CNT");
    EXPECT_EQ(a.session->Symbols().RamNames().Name(0x40), "RAMX");

    const auto bad = AssembleText("X\tREG NOWHERE\n");
    EXPECT_EQ(LineMessage(*bad.session, 0), "Problem in REG");
    EXPECT_EQ(bad.session->Round1Problems(), 1);
}

TEST(AssemblerRun, OrgForms)
{
    const std::pair<const char*, int> cases[] = {{"100h", 0x100},  {"0100H", 0x100}, {"30H", 0x30},
                                                 {"48", 48},       {"123456h", -1},  {"12X", -1},
                                                 {"FFFFH", 0xFFFF}};
    for (const auto& [operand, address] : cases) {
        const auto a = AssembleText(std::string("\tORG ") + operand + "\n\tNOP\n");
        if (address < 0) {
            EXPECT_EQ(a.session->Round1Problems(), 1) << operand;
        } else {
            EXPECT_EQ(a.session->Lines()[1].address, address) << operand;
        }
    }
}

TEST(AssemblerRun, LocalLabelsBelongToTheirSection)
{
    const auto a = AssembleText(
        "FIRST:\tMOV R0,#2\n$1:\tDJNZ R0,$1\n\tSJMP $2\n$2:\tNOP\nSECOND:\tMOV R1,#3\n"
        "$1:\tDJNZ R1,$1\n\tRET\n");
    EXPECT_EQ(a.session->Round2Problems(), 0);
    EXPECT_EQ(LineBytes(*a.session, 1), "D8 FE");
    EXPECT_EQ(LineBytes(*a.session, 5), "D9 FE");
    const auto missing = AssembleText("FIRST:\tNOP\n$1:\tNOP\nSECOND:\tSJMP $1\n");
    EXPECT_EQ(missing.session->Round2Problems(), 1);
}

TEST(AssemblerRun, ChipDecidesPort0BitNames)
{
    EXPECT_EQ(AssembleText("\tMOV C,P0.1\n", core::ChipModel::C8051).session->Round1Problems(), 0);
    EXPECT_EQ(AssembleText("\tMOV C,P0.1\n", core::ChipModel::C8052).session->Round1Problems(), 0);
    EXPECT_EQ(AssembleText("\tMOV C,P0.1\n", core::ChipModel::C89Cx051).session->Round1Problems(),
              1);
}

TEST(AssemblerRun, LineEndingsAndALastLineWithoutBreak)
{
    for (const char* source : {"\tMOV A,#1\r\n\tINC A", "\tMOV A,#1\n\tINC A",
                               "\tMOV A,#1\r\tINC A", "\tMOV A,#1\r\n\tINC A\r\n"}) {
        const auto a = AssembleText(source);
        EXPECT_EQ(a.session->TotalLineCount(), 2) << source;
        EXPECT_EQ(a.session->HexRecords().front(), ":0300000074010484") << source;
    }
}

TEST(AssemblerRun, StepByStepReportsEachLineThenTheEnd)
{
    TempWorkspace ws;
    AssemblerSession s(ws.Path());
    s.SetClock(FixedClock);
    s.SetProgramName("STEP");
    s.SetSourceText("; c\n\tMOV A,#1\n\tEND\n");
    const AsmStep first = s.AsmNextLine();
    EXPECT_TRUE(first.started);
    EXPECT_EQ(first.line, 1);
    EXPECT_EQ(s.AsmNextLine().line, 2);
    EXPECT_TRUE(s.IsAssembling());
    const AsmStep last = s.AsmNextLine();
    EXPECT_TRUE(last.finished);
    EXPECT_FALSE(s.IsAssembling());
    EXPECT_TRUE(ws.Exists("STEP.hex"));
    const AsmStep after = s.AsmNextLine();
    EXPECT_TRUE(after.endOfFile);
    EXPECT_FALSE(after.started);
}

TEST(AssemblerRun, TableLimitsRefuseTheLineWithAMessage)
{
    std::string labels;
    for (int i = 0; i <= kMaxLabels; ++i) labels += "L" + std::to_string(i) + ":\n";
    const auto b = AssembleText(labels);
    EXPECT_EQ(b.session->Round1Problems(), 1);
    EXPECT_EQ(LineMessage(*b.session, kMaxLabels),
              "Table full: the label table holds at most 65536 labels");

    std::string lines;
    for (int i = 0; i < kMaxAssemblyLines + 5; ++i) lines += ";\n";
    const auto c = AssembleText(lines);
    EXPECT_EQ(c.session->TotalLineCount(), kMaxAssemblyLines + 1);
    EXPECT_EQ(c.session->Round1Problems(), 1);
    EXPECT_EQ(c.session->FirstProblemSourceLine(), kMaxAssemblyLines + 1);
}

TEST(AssemblerRun, StepOverTableAndUsageStatistics)
{
    const auto a = AssembleText(
        "\tACALL WAIT\n\tLCALL SEND\n\tSJMP $\nWAIT:\tRET\nSEND:\tNOP\n\tRET\nOTHER:\tRET\n");
    const StepOverTable t = BuildStepOverTable(a.session->Result());
    ASSERT_EQ(t.subroutines.size(), 2u);
    EXPECT_EQ(t.subroutines[0].name, "WAIT");
    EXPECT_EQ(t.subroutines[0].address, 7);
    EXPECT_EQ(t.subroutines[1].name, "SEND");
    EXPECT_EQ(t.returnAddresses, (std::vector<uint16_t>{7, 9, 10}));

    const auto stats = core::SplitLines(a.workspace->Read(kUsageFileName));
    ASSERT_EQ(stats.size(), 256u);
    EXPECT_EQ(stats[0x22], "OpCode= 22 3");
    EXPECT_EQ(stats[0x00], "OpCode= 00 1");
    EXPECT_EQ(stats[0x12], "OpCode= 12 1");

    // A subroutine's row runs to its first RET; a call of no label has none.
    const auto later = AssembleText("\tACALL WAIT\n\tSJMP $\nWAIT:\tNOP\n\tRET\n");
    const auto rows = StepOverRows(BuildStepOverTable(later.session->Result()));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "WAIT");
    EXPECT_EQ(rows[0].start, 4);
    EXPECT_EQ(rows[0].end, 5);
    later.session->SetSourceText("\tACALL NOWHERE\n");
    later.session->AsmAll();
    EXPECT_TRUE(BuildStepOverTable(later.session->Result()).subroutines.empty());
}

TEST(AssemblerRun, UsageStatisticsAccumulateAcrossRuns)
{
    TempWorkspace ws;
    AssemblerSession s(ws.Path());
    s.SetProgramName("P");
    s.SetSourceText("\tNOP\n\tNOP\n");
    s.AsmAll();
    s.AsmAll();
    EXPECT_EQ(core::SplitLines(ws.Read(kUsageFileName))[0], "OpCode= 00 4");
}

TEST(AssemblerRun, HexCrossCheck)
{
    auto a = AssembleText("\tMOV A,#1\n\tSJMP $\n", core::ChipModel::C8051, "CHK");
    EXPECT_EQ(a.session->CrossCheckHex(),
              "          Total Bytes: 4\n----------------------------------------\n"
              "          The Codes in the CHK.lst and CHK.hex\n           are the same. ");
    a.workspace->Write("CHK.hex", ":0400000074028000F6\r\n:00000001FF\r\n");
    EXPECT_EQ(a.session->CrossCheckHex(),
              "The code has a problem: 0001 01 <==> 0001 02\n"
              "The code has a problem: 0003 FE <==> 0003 00\n");
    a.workspace->Write("CHK.hex", ":0300000074018007\r\n:00000001FF\r\n");
    EXPECT_EQ(a.session->CrossCheckHex(), " ====  The number of code has problem  ===\n4  vs 3");
    a.workspace->Write("CHK.hex", "0300000074018007\r\n");
    EXPECT_EQ(a.session->CrossCheckHex(), "0300000074018007 has wrong format.");
    std::filesystem::remove(a.workspace->Path() / "CHK.hex");
    EXPECT_EQ(a.session->CrossCheckHex(), "CHK.hex doesn't  exist.");
}

TEST(SourceFiles, LoadAndSave)
{
    TempWorkspace ws;
    EXPECT_FALSE(LoadAsmFile(ws.Path(), "NONE").ok);
    const SaveResult saved = SaveAsmFile(ws.Path(), "saved", "\tNOP\n\tRET");
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.name, "saved");
    EXPECT_EQ(ws.Read("saved.asm"), "\tNOP\r\n\tRET\r\n");
    AssemblerSession s(ws.Path());
    ASSERT_TRUE(s.LoadAsmFile(saved.name));
    EXPECT_EQ(s.ProgramName(), "saved");
    EXPECT_EQ(s.SourceText(), "\tNOP\r\n\tRET\r\n");
}

}  // namespace
}  // namespace zelo::assembler
