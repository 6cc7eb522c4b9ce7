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

TEST(HexLoadTest, FirstRecordLoads)
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
    EXPECT_TRUE(result.recordsStored && result.endRecord);
    EXPECT_EQ(result.bytesLoaded, 3);
    // "PC:0000" moves the viewer to no line.
    EXPECT_EQ(state.store.currentLine, 0);
    EXPECT_FALSE(result.viewer.has_value());
}

TEST(HexLoadTest, ProblemLinesStopLoadingAndKeepWhatWasStored)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        HexLoadProblem problem;
        int line;
        int codeEnd;
    };
    const std::string good1 = ":03000000020030CB";
    const std::string good2 = ":021000001234A8";  // 1000H: 12 34
    const Case cases[] = {
        {"blank line before the end", {good1, "", good2, ":00000001FF"}, HexLoadProblem::WrongFormat, 2, 3},
        {"wrong checksum", {good1, ":021000001234A9", ":00000001FF"}, HexLoadProblem::WrongChecksum, 2, 3},
        {"record type 03", {good1, ":0400000300001234B3", good2}, HexLoadProblem::UnsupportedType, 2, 3},
        {"non-zero base", {good1, ":020000040001F9", good2}, HexLoadProblem::UnsupportedType, 2, 3},
        {"past FFFFH", {good1, ":02FFFF00AABB9B"}, HexLoadProblem::PastEnd, 2, 3},
        {"no colon on the first line", {"03000000020030CB"}, HexLoadProblem::WrongFormat, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        dir.Write("bad.hex", c.lines);
        CpuState cpu;
        HexLoaderState state;
        const auto result = ReadHexIntoCodeMemory(dir.Path(), {false, "bad.hex"}, cpu, state);
        EXPECT_EQ(result.problem, c.problem);
        EXPECT_EQ(result.problemLine, c.line);
        EXPECT_EQ(result.lineCount, static_cast<int>(c.lines.size()));
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
    EXPECT_EQ(result.problem, HexLoadProblem::NoProgram);
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
    EXPECT_EQ(result.lineCount, 4001);
    EXPECT_EQ(state.store.Count(), 0);
    EXPECT_EQ(Cell(cpu, 0), "xx");

    lines.pop_back();  // exactly 4000 lines load
    dir.Write("long.hex", lines);
    EXPECT_TRUE(ReadHexIntoCodeMemory(dir.Path(), {false, "long.hex"}, cpu, state).Ok());
    EXPECT_EQ(Cell(cpu, 0), "02");
}

TEST(HexViewerTest, ShowsTheCurrentLineAndNamesOneThatIsNoRecord)
{
    HexLineStore store;
    store.lines = {":00000001FF", "junk"};
    store.currentLine = 1;
    const auto good = ShowHexLine(store);
    EXPECT_TRUE(good.Ok());
    ASSERT_TRUE(good.viewer.has_value());
    EXPECT_EQ(good.viewer->text, ":00000001FF");
    store.currentLine = 2;
    const auto bad = ShowHexLine(store);
    EXPECT_EQ(bad.problem, HexLoadProblem::WrongFormat);
    EXPECT_EQ(bad.problemLine, 2);
    EXPECT_EQ(bad.lineCount, 2);
    store.currentLine = 3;
    EXPECT_FALSE(ShowHexLine(store).viewer.has_value());
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
        EXPECT_EQ(result.viewer.has_value() ? result.viewer->number : 0, c.line);
    }
    HexLineStore store;
    const auto missing = ReadHexLines(dir.Path(), "gone.hex", store, "3");
    EXPECT_EQ(missing.problem, HexLoadProblem::MissingFile);
    EXPECT_EQ(missing.fileName, "gone.hex");
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
    ASSERT_EQ(result.loadedMark.size(), static_cast<std::size_t>(zelo::core::kMemoryCells));
    int marked = 0;
    for (uint8_t m : result.loadedMark) marked += m;
    EXPECT_EQ(marked, 5);
    EXPECT_EQ(result.loadedMark[0x2000], 1);
    EXPECT_EQ(result.loadedMark[3], 0);

    const auto missing = ReadHexForDisassembly(dir.Path(), "none.hex", cpu, state);
    EXPECT_EQ(missing.problem, HexLoadProblem::MissingFile);
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
        bool endRecord;
        int bytes;
    } cases[] = {
        {"empty file", {}, false, 0},
        {"only the end record", {":00000001FF"}, true, 0},
        {"no end record", {":03000000020030CB"}, false, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        folder.Write("p.hex", c.lines);
        CpuState cpu;
        HexLoaderState state;
        const HexLoadResult r = ReadHexIntoCodeMemory(folder.Path(), {false, "p.hex"}, cpu, state);
        EXPECT_TRUE(r.Ok());
        EXPECT_TRUE(r.recordsStored);
        EXPECT_EQ(r.endRecord, c.endRecord);
        EXPECT_EQ(r.bytesLoaded, c.bytes);
        EXPECT_EQ(Cell(cpu, 0), c.bytes > 0 ? "02" : "xx");
    }
}
