// Intel HEX reading: record checks, the simulation and disassembly loads,
// the record viewer and the ROM rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "loader/hex_record.h"
#include "loader/intel_hex.h"

namespace fs = std::filesystem;
using namespace zelo::loader;
using zelo::core::CpuState;
using zelo::core::HexCell;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("zelo_hex_" + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    const fs::path& Path() const { return m_path; }
    void Write(const std::string& name, const std::vector<std::string>& lines) const
    {
        std::ofstream out(m_path / name, std::ios::binary);
        for (const auto& l : lines) out << l << "\r\n";
    }

private:
    fs::path m_path;
};

std::string Cell(const CpuState& cpu, int address) { return cpu.codeMemory[address].Text(); }

}  // namespace

TEST(HexRecordTest, RecordsAreCheckedBeforeStoring)
{
    struct Case {
        const char* line;
        HexLoadProblem problem;
        int count, address, type;
    };
    const Case cases[] = {
        {":03000000020030CB", HexLoadProblem::None, 3, 0x0000, 0},
        {":00000001FF", HexLoadProblem::None, 0, 0, 1},
        {":020000040000FA", HexLoadProblem::None, 2, 0, 4},           // zero base: accepted
        {":020000020000FC", HexLoadProblem::None, 2, 0, 2},           // zero segment: accepted
        {":020000040001F9", HexLoadProblem::UnsupportedType, 2, 0, 4},  // non-zero base
        {":020000021000EC", HexLoadProblem::UnsupportedType, 2, 0, 2},
        {":0400000300001234B3", HexLoadProblem::UnsupportedType, 4, 0, 3},
        {":03000000020030CC", HexLoadProblem::WrongChecksum, 3, 0, 0},
        {":03000000020030cb", HexLoadProblem::None, 3, 0, 0},   // lower-case checksum digits
        {":03abcd0002003053", HexLoadProblem::None, 3, 0xABCD, 0},  // lower-case address digits
        {":03000000020030CB  ", HexLoadProblem::None, 3, 0, 0}, // trailing blanks
        {"03000000020030CB", HexLoadProblem::WrongFormat, 0, 0, 0},
        {"", HexLoadProblem::WrongFormat, 0, 0, 0},
        {":0300000002003", HexLoadProblem::WrongFormat, 0, 0, 0},      // shorter than its count
        {":0300000002003000CB", HexLoadProblem::WrongFormat, 0, 0, 0}, // longer than its count
        {":030000000200G0CB", HexLoadProblem::WrongFormat, 0, 0, 0},   // not a digit
        {":01FFFF00AA57", HexLoadProblem::None, 1, 0xFFFF, 0},         // last cell
        {":02FFFF00AABB9B", HexLoadProblem::PastEnd, 2, 0xFFFF, 0},    // one past FFFFH
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const HexRecord r = ParseHexRecord(c.line);
        EXPECT_EQ(r.problem, c.problem);
        if (c.problem != HexLoadProblem::WrongFormat) {
            EXPECT_EQ(r.count, c.count);
            EXPECT_EQ(r.address, c.address);
            EXPECT_EQ(r.type, c.type);
        }
    }
}

TEST(HexRecordTest, WriterRecordsReadBack)
{
    // Records written by the assembler's writer pass every check.
    for (unsigned address : {0x0000u, 0x0123u, 0x0FF0u, 0xFF00u}) {
        std::vector<uint8_t> bytes;
        for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<uint8_t>(address + 7 * i));
        const std::string line = FormatDataRecord(static_cast<uint16_t>(address), bytes);
        const HexRecord r = ParseHexRecord(line);
        EXPECT_EQ(r.problem, HexLoadProblem::None) << line;
        EXPECT_EQ(r.address, static_cast<int>(address));
        EXPECT_EQ(r.count, 16);
    }
    // Known records: checksum 00 when the sum is a multiple of 256, an empty
    // record, and the largest count.
    EXPECT_EQ(FormatDataRecord(0x0010, {0x12, 0x34}), ":020010001234A8");
    EXPECT_EQ(FormatDataRecord(0x0000, {0x74, 0x01, 0x04}), ":0300000074010484");
    EXPECT_EQ(FormatDataRecord(0x0100, {0xFF}), ":01010000FFFF");
    EXPECT_EQ(FormatDataRecord(0x0000, {0x01, 0xFF}), ":0200000001FFFE");
    EXPECT_EQ(FormatDataRecord(0xFFFF, {}), ":00FFFF0002");
    EXPECT_EQ(FormatDataRecord(0x0000, std::vector<uint8_t>(255, 0)).size(), 1u + 2 * (4 + 255) + 2);
}

TEST(HexLoadTest, FirstRecordLoadsAndRomRowShowsIt)
{
    TempFolder dir;
    dir.Write("prog.hex", {":03000000020030CB", ":00000001FF"});
    CpuState cpu;
    HexLoaderState state;
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "prog.hex"}, cpu, state, "PC:0000");
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Cell(cpu, 0), "02");
    EXPECT_EQ(Cell(cpu, 1), "00");
    EXPECT_EQ(Cell(cpu, 2), "30");
    EXPECT_EQ(Cell(cpu, 3), "xx");
    EXPECT_EQ(state.codeEnd, 3);
    EXPECT_EQ(state.programName, "prog");
    ASSERT_EQ(result.romRows.size(), 256u);
    EXPECT_EQ(result.romRows[0].substr(0, 18), "0000  02 00 30 xx ");
    EXPECT_EQ(result.romRows[255].substr(0, 6), "0FF0  ");
    EXPECT_EQ(result.romRows[0].size(), 6u + 16 * 3 - 1);
    // "PC:0000" moves the viewer to no line.
    EXPECT_EQ(state.store.currentLine, 0);
    EXPECT_FALSE(result.hexFileCaption.has_value());
}

TEST(HexLoadTest, ProblemLinesStopLoadingAndKeepWhatWasStored)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        HexLoadProblem problem;
        std::string caption;
        int codeEnd;
    };
    const std::string good1 = ":03000000020030CB";
    const std::string good2 = ":021000001234A8";  // 1000H: 12 34
    const Case cases[] = {
        {"blank line before the end", {good1, "", good2, ":00000001FF"}, HexLoadProblem::WrongFormat,
         "HexFile has 4 lines  ==>  Line2 has wrong format", 3},
        {"wrong checksum", {good1, ":021000001234A9", ":00000001FF"}, HexLoadProblem::WrongChecksum,
         "HexFile has 3 lines  ==>  Line2 has wrong checksum", 3},
        {"record type 03", {good1, ":0400000300001234B3", good2}, HexLoadProblem::UnsupportedType,
         "HexFile has 3 lines  ==>  Line2 has unsupported record type 03", 3},
        {"non-zero base", {good1, ":020000040001F9", good2}, HexLoadProblem::UnsupportedType,
         "HexFile has 3 lines  ==>  Line2 has unsupported record type 04 with base 0001", 3},
        {"past FFFFH", {good1, ":02FFFF00AABB9B"}, HexLoadProblem::PastEnd,
         "HexFile has 2 lines  ==>  Line2 reaches past FFFFH", 3},
        {"no colon on the first line", {"03000000020030CB"}, HexLoadProblem::WrongFormat,
         "HexFile has 1 lines  ==>  Line1 has wrong format", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        dir.Write("bad.hex", c.lines);
        CpuState cpu;
        HexLoaderState state;
        const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "bad.hex"}, cpu, state);
        EXPECT_EQ(result.problem, c.problem);
        ASSERT_TRUE(result.hexFileCaption.has_value());
        EXPECT_EQ(*result.hexFileCaption, c.caption);
        EXPECT_TRUE(result.romRows.empty());
        EXPECT_EQ(state.codeEnd, c.codeEnd);
        EXPECT_EQ(Cell(cpu, 0), c.codeEnd == 3 ? "02" : "xx");
        EXPECT_EQ(Cell(cpu, 0x1000), "xx");  // nothing after the bad line is stored
    }
}

TEST(HexLoadTest, EndRecordEndsTheFileAndExtendedZeroBaseStoresNothing)
{
    TempFolder dir;
    dir.Write("p.hex", {":020000040000FA", ":03000000020030CB", ":00000001FF", "", "garbage", ":021000001234A8"});
    CpuState cpu;
    HexLoaderState state;
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "p.hex"}, cpu, state);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(Cell(cpu, 0), "02");
    EXPECT_EQ(Cell(cpu, 0x1000), "xx");  // after the end record
    EXPECT_EQ(state.codeEnd, 3);
    EXPECT_EQ(state.store.Count(), 6);  // the viewer still holds every line
}

TEST(HexLoadTest, HighRecordsLoadAndOldProgramIsGone)
{
    TempFolder dir;
    dir.Write("hi.hex", {":02200000123498", ":0a0000000102030405060708090aBF", ":00000001FF"});
    CpuState cpu;
    cpu.codeMemory[0x3000] = HexCell::FromText("12");
    cpu.externalMemory[0x3000] = HexCell::FromText("34");
    HexLoaderState state;
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "hi.hex"}, cpu, state);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Cell(cpu, 0x2000), "12");
    EXPECT_EQ(Cell(cpu, 0x2001), "34");
    EXPECT_EQ(Cell(cpu, 0x0009), "0A");  // lower-case count and data digits
    EXPECT_EQ(state.codeEnd, 10);        // the last record carrying data
    EXPECT_EQ(Cell(cpu, 0x3000), "xx");
    EXPECT_EQ(cpu.externalMemory[0x3000].Text(), "xx");
    for (const auto& row : result.romRows) EXPECT_EQ(row.find("12 34"), std::string::npos);
}

TEST(HexLoadTest, MissingFileChangesNothing)
{
    TempFolder dir;
    CpuState cpu;
    cpu.codeMemory[5] = HexCell::FromText("A5");
    HexLoaderState state;
    state.codeEnd = 77;
    state.programName = "old";
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "none.hex"}, cpu, state);
    EXPECT_EQ(result.problem, HexLoadProblem::MissingFile);
    EXPECT_EQ(result.asmFileCaption.value_or(""), "AsmFile : No file exist");
    EXPECT_EQ(Cell(cpu, 5), "A5");
    EXPECT_EQ(state.codeEnd, 77);
    EXPECT_EQ(state.programName, "old");
}

TEST(HexLoadTest, AssemblerOutputIsFoundWhateverTheCase)
{
    TempFolder dir;
    dir.Write("DEMO.HEX", {":03000000020030CB", ":00000001FF"});
    CpuState cpu;
    HexLoaderState state;
    state.programName = "demo";
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {true, ""}, cpu, state);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Cell(cpu, 2), "30");
    EXPECT_EQ(state.programName, "demo");
}

TEST(HexLoadTest, FilesOverTheLineLimitAreRefused)
{
    TempFolder dir;
    std::vector<std::string> lines(kMaxHexLines + 1, ":00000001FF");
    lines.front() = ":03000000020030CB";
    dir.Write("long.hex", lines);
    CpuState cpu;
    HexLoaderState state;
    const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "long.hex"}, cpu, state);
    EXPECT_EQ(result.problem, HexLoadProblem::TooManyLines);
    EXPECT_EQ(result.hexFileCaption.value_or(""),
              "HexFile has 4001 lines  ==>  more than 4000 lines cannot be loaded");
    EXPECT_EQ(state.store.Count(), 0);
    EXPECT_EQ(Cell(cpu, 0), "xx");

    lines.pop_back();  // exactly 4000 lines load
    dir.Write("long.hex", lines);
    EXPECT_TRUE(ReadHexIntoCodeMemory(dir.Path(), {false, "long.hex"}, cpu, state).Ok());
    EXPECT_EQ(Cell(cpu, 0), "02");
}

TEST(HexViewerTest, ShowsFieldsAndByteSum)
{
    struct Case {
        const char* line;
        const char* text;
        const char* sum;
    };
    const Case cases[] = {
        {":03000000020030CB", ":  03  0000   00   020030   CB", "0100"},
        {":03000000020030CC", ":  03  0000   00   020030   CC", "0101"},  // wrong checksum
        {":00000001FF", ":  00  0000   01      FF", "0100"},
        {":030000", ":  03  0000         ", "0003"},  // short line: empty pieces
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        HexLineStore store;
        store.lines = {c.line};
        store.currentLine = 1;
        const auto shown = ShowHexLine(store);
        EXPECT_EQ(shown.hexText.value_or("?"), c.text);
        EXPECT_EQ(shown.hexFileCaption.value_or(""),
                  std::string("HexFile has 1 lines  ==>  Line1    CheckSum=") + c.sum);
    }
    HexLineStore store;
    store.lines = {":00000001FF", "junk"};
    store.currentLine = 2;
    const auto bad = ShowHexLine(store);
    EXPECT_FALSE(bad.hexText.has_value());
    EXPECT_EQ(bad.hexFileCaption.value_or(""), "HexFile has 2 lines  ==>  Line2 has wrong format");
}

TEST(HexViewerTest, NumberInPcBoxMovesTheViewerAfterRead)
{
    TempFolder dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 11; ++i) lines.push_back(FormatDataRecord(static_cast<uint16_t>(16 * i), {1, 2}));
    lines.push_back(kEndOfFileRecord);
    dir.Write("twelve.hex", lines);
    struct Case {
        const char* box;
        int line;
    };
    for (const Case c : {Case{"7", 7}, Case{" 12abc", 12}, Case{"99", 12}, Case{"PC:0000", 0}, Case{"", 0}}) {
        SCOPED_TRACE(c.box);
        HexLineStore store;
        const auto result = ReadHexLines(dir.Path(), "twelve.hex", store, c.box);
        EXPECT_EQ(store.Count(), 12);
        EXPECT_EQ(store.currentLine, c.line);
        if (c.line > 0) {
            EXPECT_EQ(result.hexFileCaption.value_or(""), "HexFile has 12 lines  ==>  Line" +
                                                              std::to_string(c.line) + "    CheckSum=0100");
        } else {
            EXPECT_FALSE(result.hexFileCaption.has_value());
        }
    }
    HexLineStore store;
    const auto missing = ReadHexLines(dir.Path(), "gone.hex", store, "3");
    EXPECT_EQ(missing.hexFileCaption.value_or(""), "gone.hex doesn't  exist.");
    EXPECT_EQ(store.Count(), 0);
}

TEST(HexDisassemblyLoadTest, FillsWithFfAndMarksLoadedCells)
{
    TempFolder dir;
    dir.Write("code.hex", {":03000000020030CB", ":02200000123498", ":00000001FF"});
    CpuState cpu;
    cpu.externalMemory[0] = HexCell::FromText("55");
    HexLoaderState state;
    state.programName = "keep";
    const auto result = ReadHexForDisassembly(dir.Path(), "code.hex", cpu, state);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(Cell(cpu, 3), "FF");
    EXPECT_EQ(Cell(cpu, 0x1000), "FF");
    EXPECT_EQ(Cell(cpu, 0x2001), "34");
    EXPECT_EQ(state.codeEnd, 0x2002);
    EXPECT_EQ(state.disassemblyName, "code");
    EXPECT_EQ(state.programName, "keep");
    EXPECT_EQ(cpu.externalMemory[0].Text(), "55");  // external memory untouched
    EXPECT_TRUE(result.romRows.empty());
    ASSERT_EQ(result.loadedMark.size(), static_cast<std::size_t>(zelo::core::kMemoryCells));
    int marked = 0;
    for (uint8_t m : result.loadedMark) marked += m;
    EXPECT_EQ(marked, 5);
    EXPECT_EQ(result.loadedMark[0x2000], 1);
    EXPECT_EQ(result.loadedMark[3], 0);

    const auto missing = ReadHexForDisassembly(dir.Path(), "none.hex", cpu, state);
    EXPECT_EQ(missing.hexFileCaption.value_or(""), "none.hex doesn't  exist.");
    EXPECT_EQ(state.codeEnd, -1);
    EXPECT_EQ(Cell(cpu, 0), "FF");
}

// A file that loads nothing, or that stops before its end record, is said to
// do so; what it holds is loaded all the same.
TEST(HexLoadTest, EmptyFilesAndAMissingEndRecordAreNamed)
{
    const struct
    {
        const char* what;
        std::vector<std::string> lines;
        const char* caption;
        int bytes;
    } cases[] = {
        {"empty file", {}, "HexFile has 0 lines  ==>  0 bytes loaded: no records", 0},
        {"only the end record",
         {":00000001FF"},
         "HexFile has 1 lines  ==>  0 bytes loaded: only the end record",
         0},
        {"no end record",
         {":03000000020030CB"},
         "HexFile has 1 lines  ==>  no end record; 3 bytes loaded",
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        folder.Write("p.hex", c.lines);
        CpuState cpu;
        HexLoaderState state;
        const HexLoadResult r = ReadHexIntoCodeMemory(folder.Path(), {false, "p.hex"}, cpu, state);
        EXPECT_TRUE(r.Ok());
        EXPECT_EQ(r.hexFileCaption.value_or(""), c.caption);
        EXPECT_EQ(r.bytesLoaded, c.bytes);
        EXPECT_EQ(Cell(cpu, 0), c.bytes > 0 ? "02" : "xx");
    }
}
