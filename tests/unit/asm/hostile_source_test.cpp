// Hostile and oversized sources: every run finishes, says what went wrong and
// never writes a HEX file that does not load back.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "asm_test_support.h"
#include "core/text_file.h"
#include "loader/intel_hex.h"

namespace zelo::assembler {
namespace {

using testing::AssembleText;
using testing::FixedClock;
using testing::TempWorkspace;

std::string Repeat(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

// A finished run either failed with a problem report or wrote files that
// load back.
void ExpectSoundOutcome(const AssemblerSession& s, const std::filesystem::path& folder)
{
    ASSERT_TRUE(s.Finished());
    if (!s.Succeeded()) {
        EXPECT_GT(s.Round1Problems() + s.Round2Problems(), 0) << "a failed run counts its problems";
        EXPECT_FALSE(s.ProblemLines().empty()) << "a failed run names its problem lines";
        return;
    }
    core::CpuState cpu;
    loader::HexLoaderState state;
    const auto load = loader::ReadHexIntoCodeMemory(folder, {false, s.ProgramName() + ".hex"}, cpu, state);
    EXPECT_TRUE(load.Ok()) << load.problemLine;
}

struct SourceCase {
    const char* name;
    std::string source;
    bool succeeds;
};

TEST(HostileSource, OversizedAndBrokenSourcesFinishWithAReport)
{
    const std::string longLine = "\tMOV A,#1 ;" + std::string(100000, 'x') + "\n";
    const std::string longOperand = "\tMOV A,#" + std::string(100000, '9') + "\n";
    const std::string longLabel = std::string(100000, 'L') + ": NOP\n";
    const SourceCase cases[] = {
        {"a line past the bound", Repeat(";\n", kMaxAssemblyLines + 1), false},
        {"lines up to the bound", Repeat(";\n", kMaxAssemblyLines - 1) + "\tEND\n", true},
        {"a 100000-character comment", longLine, true},
        {"a 100000-digit operand", longOperand, false},
        {"a 100000-character label", longLabel, true},
        {"a NUL byte in an instruction", std::string("\tMOV A,\0#1\n", 11), false},
        {"a NUL byte in a comment", std::string("\tNOP ;\0x\n", 9), true},
        {"control characters", "\t\x7f\x1b\x08MOV A,#1\n", false},
        {"replacement characters", "\tMOV A,#\xEF\xBF\xBD\n", false},
        {"ORG at the top then two bytes", "\tORG 0FFFFH\n\tDB 1,2\n", false},
        {"a word past the top", "\tORG 0FFFFH\n\tDW 1234H\n", false},
        {"an LJMP that does not fit", "\tORG 0FFFEH\n\tLJMP 0\n", false},
        {"only an END", "\tEND\n", true},
        {"only blank lines", "\n\n   \n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto a = AssembleText(c.source);
        ExpectSoundOutcome(*a.session, a.workspace->Path());
        EXPECT_EQ(a.session->Succeeded(), c.succeeds) << testing::ProblemsOf(*a.session);
    }
}

TEST(HostileSource, AnEmptySourceStartsNoRunAndWritesNothing)
{
    const auto a = AssembleText("");
    EXPECT_FALSE(a.session->Finished());
    EXPECT_FALSE(a.session->Succeeded());
    EXPECT_FALSE(a.workspace->Exists("PROG.hex"));
    EXPECT_FALSE(a.workspace->Exists("PROG.lst"));
}

TEST(HostileSource, TooManyLinesNamesTheLimit)
{
    const auto a = AssembleText(Repeat(";\n", kMaxAssemblyLines + 500));
    EXPECT_FALSE(a.session->Succeeded());
    const auto& lines = a.session->Lines();
    ASSERT_FALSE(lines.empty());
    const std::string_view message = a.session->Result().Message(lines.back());
    EXPECT_NE(message.find("at most 81920 lines"), std::string::npos) << message;
}

struct IncludeCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string source;
    int libraryLines;  // header lines read in front of the source
};

TEST(HostileSource, IncludesOfThemselvesAndCyclesAreReadOnce)
{
    const IncludeCase cases[] = {
        {"a header that includes itself", {{"SELF.H", "INCLUDE <SELF.H>\nSEVEN EQU 7\n"}},
         "INCLUDE <SELF.H>\n\tMOV A,#SEVEN\n", 2},
        {"two headers including each other",
         {{"A.H", "INCLUDE <B.H>\nONE EQU 1\n"}, {"B.H", "INCLUDE <A.H>\nTWO EQU 2\n"}},
         "INCLUDE <A.H>\n\tMOV A,#ONE\n", 2},
        {"the source includes itself by name", {}, "INCLUDE <PROG.asm>\n\tNOP\n", 0},
        {"a header named by a path outside the library", {}, "INCLUDE <../../../../etc/passwd.h>\n\tNOP\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkspace ws;
        for (const auto& [name, text] : c.headers) ws.Write(std::filesystem::path("8051.LIB") / name, text);
        ws.Write("PROG.asm", c.source);
        AssemblerSession s(ws.Path());
        s.SetClock(FixedClock);
        ASSERT_TRUE(s.LoadAsmFile("PROG"));
        s.AsmAll();
        ExpectSoundOutcome(s, ws.Path());
        EXPECT_EQ(s.LibraryLineCount(), c.libraryLines);
    }
}

TEST(HostileSource, MissingOrUnreadableLibraryIsReportedNotFatal)
{
    const std::string source = ".EXTERN MATH\n\tLCALL TO_BCD\n\tEND\n";
    // No 8051.LIB folder at all.
    {
        TempWorkspace ws;
        std::filesystem::remove_all(ws.Library());
        const auto a = std::make_unique<AssemblerSession>(ws.Path());
        a->SetSourceText(source);
        a->AsmAll();
        ExpectSoundOutcome(*a, ws.Path());
        EXPECT_FALSE(a->Succeeded());
        EXPECT_EQ(a->FirstProblemSourceLine(), 1) << testing::ProblemsOf(*a);
    }
    // 8051.LIB is a file, not a folder (root ignores permissions, a file
    // cannot be read as a folder by anyone).
    {
        TempWorkspace ws;
        std::filesystem::remove_all(ws.Library());
        ws.Write("8051.LIB", "not a folder");
        AssemblerSession s(ws.Path());
        s.SetSourceText("INCLUDE <BOARD.H>\n" + source);
        s.AsmAll();
        ExpectSoundOutcome(s, ws.Path());
        EXPECT_FALSE(s.Succeeded());
    }
    // The module's listing is a folder.
    {
        TempWorkspace ws;
        std::filesystem::create_directories(ws.Library() / "MATH.lst");
        AssemblerSession s(ws.Path());
        s.SetSourceText(source);
        s.AsmAll();
        ExpectSoundOutcome(s, ws.Path());
        EXPECT_FALSE(s.Succeeded());
    }
}

std::string ModuleListing()
{
    return "                       8051 AsmList  ZELO   2026/12/0814:56:14\r\n"
           "                       FileName:          MATH.asm\r\n"
           "=====================================================================\r\n"
           "    1 0000        .GLOBAL   TO_BCD                \r\n"
           "    2 0000        TO_BCD:                         \r\n"
           "    3 0000 75F00A           MOV   B,#10           \r\n"
           "    4 0003 84               DIV   AB              \r\n"
           "    5 0004 C4               SWAP  A               \r\n"
           "    6 0005 22               RET                   \r\n"
           "    7 0006                  DB    1,2,3           \r\n"
           "                            BYTE:010203\r\n"
           "    8 0009                END\r\n";
}

TEST(HostileSource, TruncatedOrDamagedModuleListingsNeverGiveABadHexFile)
{
    const std::string full = ModuleListing();
    std::vector<std::pair<std::string, std::string>> cases;
    for (std::size_t cut : {0ul, 10ul, 200ul, 260ul, 300ul, 330ul, 400ul, 500ul, full.size() - 40, full.size() - 5})
        cases.emplace_back("cut at " + std::to_string(cut), full.substr(0, std::min(cut, full.size())));
    std::string badBytes = full;
    badBytes.replace(badBytes.find("BYTE:010203"), 11, "BYTE:01ZZ0");
    cases.emplace_back("a BYTE line with non-hex digits", badBytes);
    std::string atTop = full;
    for (std::size_t at = atTop.find(" 000"); at != std::string::npos; at = atTop.find(" 000", at + 1))
        atTop.replace(at + 1, 4, "FFFE");
    cases.emplace_back("code placed at the top of memory", atTop);
    cases.emplace_back("a BYTE line of 600 bytes",
                       full.substr(0, full.find("BYTE:") + 5) + Repeat("AB", 600) + "\r\n");
    for (const auto& [name, listing] : cases) {
        SCOPED_TRACE(name);
        TempWorkspace ws;
        ws.Write("8051.LIB/MATH.lst", listing);
        AssemblerSession s(ws.Path());
        s.SetClock(FixedClock);
        s.SetSourceText(".EXTERN MATH\n\tORG 0\n\tLCALL TO_BCD\nL:\tSJMP L\n\tEND\n");
        s.AsmAll();
        ExpectSoundOutcome(s, ws.Path());
    }
}

TEST(HostileSource, InvalidUtf8ThatIsNotBig5LoadsWithReplacementCharacters)
{
    TempWorkspace ws;
    // 0x80 and 0xFF start no Big5 character; 0xC0 0x20 is no UTF-8.
    ws.Write("BAD.asm", std::string("\tNOP ;\x80\xFF\xC0 \n\tMOV A,#1\n\tEND\n"));
    AssemblerSession s(ws.Path());
    s.SetClock(FixedClock);
    ASSERT_TRUE(s.LoadAsmFile("BAD"));
    EXPECT_NE(s.SourceText().find("\xEF\xBF\xBD"), std::string::npos);
    s.AsmAll();
    EXPECT_TRUE(s.Succeeded()) << testing::ProblemsOf(s);
    ExpectSoundOutcome(s, ws.Path());
}

}  // namespace
}  // namespace zelo::assembler
