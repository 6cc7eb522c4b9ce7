// Assembling as a function of its inputs: sources, headers and module
// listings given in memory, the result read as an Assembly and written out
// by the writers; code bytes as numbers with a state.
#include "asm/assembly_run.h"

#include <gtest/gtest.h>

#include <map>

#include "asm/output_files.h"
#include "core/text_file.h"

namespace zelo::assembler {
namespace {

// Headers and module listings held in memory, by exact name.
class MemoryResolver final : public SourceResolver
{
public:
    std::map<std::string, std::string, std::less<>> files;

    std::optional<Header> FindHeader(std::string_view name) const override
    {
        const auto it = files.find(name);
        if (it == files.end()) return std::nullopt;
        return Header{it->first, it->second};
    }
    std::optional<std::filesystem::path> FindModule(std::string_view fileName) const override
    {
        if (files.find(fileName) == files.end()) return std::nullopt;
        return std::filesystem::path(fileName);
    }
    std::optional<std::string> ReadModule(const std::filesystem::path& where) const override
    {
        const auto it = files.find(where.string());
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
};

std::string Bytes(const Assembly& a, std::size_t index)
{
    std::string out;
    for (const CodeByte b : a.Code(a.lines.at(index)))
        out += (out.empty() ? "" : " ") + ByteString(b);
    return out;
}

TEST(AssemblyRun, HeadersAndModulesComeFromTheResolver)
{
    MemoryResolver files;
    // The module's listing is the listing writer's own text.
    const Assembly module =
        Assemble(".GLOBAL TWICE\nTWICE:\tADD A,ACC\n\tRET\n", core::ChipModel::C8051, files);
    ASSERT_TRUE(module.Passed());
    files.files["MOD.lst"] = ListingText(module, "MOD", {"2024/05/06", "07:08:09"});
    files.files["BOARD.H"] = "LEDS\tSFR P1\r\nWAIT\tEQU 3\r\n";

    const Assembly a = Assemble("INCLUDE <BOARD.H>\n.EXTERN MOD\n\tMOV LEDS,#WAIT\n\tLCALL TWICE\n",
                                core::ChipModel::C8051, files);
    ASSERT_TRUE(a.Passed()) << a.Message(a.lines[0]);
    EXPECT_EQ(a.libraryCount, 2);
    EXPECT_EQ(a.totalLines, 6);
    EXPECT_EQ(a.LineName(2), "line 2 of BOARD.H");
    EXPECT_EQ(Bytes(a, 4), "75 90 03");
    EXPECT_EQ(Bytes(a, 5), "12 00 06");  // the module follows the program's 6 bytes
    EXPECT_EQ(Bytes(a, 6), "25 E0");     // the linked module's lines
    EXPECT_EQ(MakeHexImage(a).Records().front(),
              ":09000000759003120006"
              "25E022B0");
}

TEST(AssemblyRun, MissingFilesAreProblemsOfTheRun)
{
    const MemoryResolver none;
    const Assembly a =
        Assemble("INCLUDE <NONE.H>\n.EXTERN GONE\n\tNOP\n", core::ChipModel::C8051, none);
    EXPECT_EQ(a.libraryCount, 0);  // a missing header is skipped
    EXPECT_EQ(a.round1Problems, 1);
    EXPECT_EQ(a.Message(a.lines[1]), "GONE.lst doesn't exist");
    EXPECT_FALSE(a.Passed());
}

TEST(AssemblyRun, SteppedRunEqualsTheWholeRun)
{
    const MemoryResolver none;
    const std::string source = "\tORG 10H\nL:\tDJNZ R7,L\n\tDW L,5\n\tAJMP L\n";
    const Assembly whole = Assemble(source, core::ChipModel::C8052, none);
    AssemblyRun run(core::ChipModel::C8052);
    run.Start(source, none);
    int steps = 0;
    while (run.AssembleNext()) ++steps;
    EXPECT_EQ(run.Result().lines[1].bytes[1], CodeByte::Pending()) << "resolved only in Round 2";
    run.Resolve();
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(ListingText(run.Result(), "P", {}), ListingText(whole, "P", {}));
    EXPECT_EQ(Bytes(whole, 1), "DF FE");
    EXPECT_EQ(Bytes(whole, 2), "00 10 00 05");
    EXPECT_EQ(Bytes(whole, 3), "01 10");
}

// Expressions naming labels are resolved in Round 2; the table sits at
// 0020H, after the line under test.
TEST(AssemblyRun, LabelsInExpressions)
{
    const MemoryResolver none;
    const struct
    {
        const char* line;
        const char* bytes;  // empty: a problem
    } cases[] = {
        {"MOV DPTR,#TABLE+2*3", "90 00 26"},
        {"MOV A,#HIGH(TABLE)", "74 00"},
        {"MOV A,#LOW(TABLE+1)", "74 21"},
        {"MOV A,#>TABLE", "74 00"},
        {"MOV 30H,#TABLE-1", "75 30 1F"},
        {"LJMP TABLE+2", "02 00 22"},
        {"DW TABLE+2,$", "00 22 00 10"},
        {"MOV A,#TABLE SHL 4", ""},
        {"MOV A,#NOWHERE+1", ""},
        {"CJNE A,#TABLE,TABLE", ""},
    };
    for (const auto& c : cases) {
        const Assembly a =
            Assemble(std::string("\tORG 10H\n\t") + c.line + "\n\tORG 20H\nTABLE:\tDB 1\n",
                     core::ChipModel::C8051, none);
        EXPECT_EQ(a.Passed(), *c.bytes != 0) << c.line;
        if (*c.bytes != 0) {
            EXPECT_EQ(Bytes(a, 1), c.bytes) << c.line;
        }
    }
    // ORG reads labels above it and "$".
    const Assembly org = Assemble("BASE:\tNOP\n\tORG BASE+100H\n\tNOP\n\tORG $+2\nEND1:\tNOP\n",
                                  core::ChipModel::C8051, none);
    ASSERT_TRUE(org.Passed());
    EXPECT_EQ(org.lines[2].address, 0x100);
    EXPECT_EQ(org.lines[4].address, 0x103);
}

// A program far past the tables of old: 4000 lines with 1,000 labels,
// 500 DB lines and 300 EQU names.
TEST(AssemblyRun, LargeProgramAssembles)
{
    const MemoryResolver none;
    std::string source;
    for (int k = 0; k < 300; ++k)
        source += "K" + std::to_string(k) + "\tEQU " + std::to_string(k % 256) + "\n";
    for (int k = 0; k < 1000; ++k) {
        source += "L" + std::to_string(k) + ":\tMOV A,#K" + std::to_string(k % 300) + "\n";
        source += "\tLCALL L" + std::to_string(999 - k) + "\n";
    }
    for (int k = 0; k < 500; ++k) source += "\tDB " + std::to_string(k % 256) + ",1,2\n";
    while (core::CountLines(source) < 3999) source += "; filler\n";
    source += "\tEND\n";
    const Assembly a = Assemble(source, core::ChipModel::C8052, none);
    ASSERT_EQ(a.totalLines, 4000);
    EXPECT_TRUE(a.Passed()) << a.LineName(a.FirstProblemNumber()) << ": "
                            << a.Message(a.lines.at(std::max(a.FirstProblemNumber(), 1) - 1));
    EXPECT_EQ(a.labels.Entries().size(), 1000u);
    EXPECT_EQ(Bytes(a, 301), "12 13 83");  // the first LCALL: L999 at 5 * 999 = 1383H
}

// Texts of any length are kept whole, and line texts stay readable after
// the caller's source text is gone.
TEST(AssemblyRun, TextsOfEveryLengthAreKeptWhole)
{
    const MemoryResolver none;
    const std::string note(300, 'n');
    const std::string huge(70000, 'h');
    const std::string name(260, 'X');
    Assembly a = Assemble(std::string("\tNOP ;") + note + "\n\tNOP ;" + huge + "\n" + name +
                              ":\tSJMP " + name + "\n\tEND\n",
                          core::ChipModel::C8051, none);
    ASSERT_TRUE(a.Passed());
    EXPECT_EQ(a.Comment(a.lines[0]), note);
    EXPECT_EQ(a.Field(a.lines[0], 2), "NOP");
    EXPECT_EQ(a.Comment(a.lines[1]), huge);
    EXPECT_EQ(a.Field(a.lines[2], 1), name + ":");
    EXPECT_EQ(a.Field(a.lines[2], 3), name);
    EXPECT_EQ(a.LineText(a.lines[3]), "\tEND");
    EXPECT_EQ(Bytes(a, 2), "80 FE");
}

// The listing handed out in pieces is the listing text, whatever its size.
TEST(AssemblyRun, ListingPiecesMakeTheListingText)
{
    const MemoryResolver none;
    std::string source;
    for (int k = 0; k < 1500; ++k) source += "L" + std::to_string(k) + ":\tMOV A,#" + std::to_string(k % 256) + " ; load\n";
    const Assembly a = Assemble(source + "\tEND\n", core::ChipModel::C8051, none);
    const ListingClock clock{"2026/12/09", "01:02:03"};
    std::string joined;
    int pieces = 0;
    PutListing(a, "BIG", clock, [&](std::string_view piece) {
        joined += piece;
        ++pieces;
    });
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(joined, ListingText(a, "BIG", clock));
}

TEST(CodeByte, TextsOfTheEncoderAndOfTheListing)
{
    const struct
    {
        const char* text;
        CodeByte byte;
        const char* shown;
    } cases[] = {
        {"3F", CodeByte::Of(0x3F), "3F"}, {"xx", CodeByte::Pending(), "xx"},
        {"??", CodeByte::Error(), "??"},  {"  ", CodeByte{}, "  "},
        {"", CodeByte{}, "  "},           {"E?", CodeByte::Error(), "??"},
        {"3f", CodeByte::Error(), "??"},  {"123", CodeByte::Error(), "??"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ByteFromText(c.text), c.byte) << c.text;
        EXPECT_EQ(ByteString(ByteFromText(c.text)), c.shown) << c.text;
    }
}

}  // namespace
}  // namespace zelo::assembler
