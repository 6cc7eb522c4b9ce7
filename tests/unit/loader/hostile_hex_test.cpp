// Hostile HEX and task files: each is refused with a caption naming the line
// and the problem, stores nothing past the bad line and never crashes the
// viewer or the disassembler.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/text_file.h"
#include "loader/disassemble_file.h"
#include "loader/intel_hex.h"

namespace fs = std::filesystem;

namespace zelo::loader {
namespace {

class HostileHex : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_hostile_hex_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
    }
    fs::path m_dir;
};

struct HexCase {
    const char* name;
    std::string file;
    HexLoadProblem problem;
    int line;
    const char* words;  // part of the caption
};

TEST_F(HostileHex, BadRecordsAreRefusedWithTheLineAndTheReason)
{
    std::string tenThousand;
    for (int i = 0; i < 10000; ++i) tenThousand += ":00000001FF\r\n";
    const HexCase cases[] = {
        {"a wrong checksum", ":0300000002003000\r\n", HexLoadProblem::WrongChecksum, 1, "Line1 has wrong checksum"},
        {"a checksum off by one on line 2", ":020000040000FA\r\n:0100010000FF\r\n", HexLoadProblem::WrongChecksum, 2,
         "Line2 has wrong checksum"},
        {"an odd number of digits", ":01000000000\r\n", HexLoadProblem::WrongFormat, 1, "Line1 has wrong format"},
        {"a count larger than the data", ":05000000010203F5\r\n", HexLoadProblem::WrongFormat, 1, "wrong format"},
        {"a count smaller than the data", ":010000000102FC\r\n", HexLoadProblem::WrongFormat, 1, "wrong format"},
        {"record type 05", ":04000005000000F007\r\n", HexLoadProblem::UnsupportedType, 1,
         "unsupported record type 05"},
        {"an extended base of 1", ":020000040001F9\r\n", HexLoadProblem::UnsupportedType, 1, "with base 0001"},
        {"data past FFFFH", ":02FFFF000102FD\r\n", HexLoadProblem::PastEnd, 1, "reaches past FFFFH"},
        {"no colon", "0100000000FF\r\n", HexLoadProblem::WrongFormat, 1, "wrong format"},
        {"a NUL byte in the digits", std::string(":01000") + '\0' + "0000FF\r\n", HexLoadProblem::WrongFormat, 1,
         "wrong format"},
        {"invalid UTF-8 that is not Big5", ":01000000\x80\xFF" "FF\r\n", HexLoadProblem::WrongFormat, 1, "wrong format"},
        {"a line of 100000 digits", ":" + std::string(100000, '0') + "\r\n", HexLoadProblem::WrongFormat, 1,
         "wrong format"},
        {"10000 lines", tenThousand, HexLoadProblem::TooManyLines, 0, "10000 lines"},
        {"more bytes than 4000 records hold", ":" + std::string(kMaxHexFileBytes, '0'), HexLoadProblem::TooLarge, 0,
         "larger than 4000 lines"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("H.hex", c.file);
        core::CpuState cpu;
        HexLoaderState state;
        const auto result = ReadHexIntoCodeMemory(m_dir, {false, "H.hex"}, cpu, state, "99999");
        EXPECT_EQ(result.problem, c.problem);
        EXPECT_EQ(result.problemLine, c.line);
        for (int a = 0; a < 0x10000; ++a) ASSERT_TRUE(cpu.codeMemory[a].IsUnloaded()) << a;

        // The disassembler refuses it too, and writes nothing.
        const auto dis = DisassembleFile(m_dir / "H.hex", core::ChipModel::C8051);
        EXPECT_FALSE(dis.ok);
        EXPECT_EQ(dis.problem, DisassemblyProblem::BadHex);
        EXPECT_EQ(dis.hex.problem, c.problem);
        EXPECT_FALSE(fs::exists(m_dir / "HDis.lst"));
    }
}

TEST_F(HostileHex, ViewerShowsDamagedLinesWithoutReadingPastThem)
{
    const std::string lines[] = {":", ":F", ":FF", ":FF0000", ":FF000000" + std::string(20, 'Z'), ":zz", "::::"};
    for (const auto& line : lines) {
        SCOPED_TRACE(line);
        HexLineStore store;
        store.lines = {line};
        store.currentLine = 1;
        const auto shown = ShowHexLine(store);
        EXPECT_TRUE(shown.Ok());
        ASSERT_TRUE(shown.viewer.has_value());
        EXPECT_EQ(shown.viewer->text, line);
    }
}

TEST_F(HostileHex, OversizedAndOddTaskFilesAreRefusedOrReadWhole)
{
    struct TaskCase {
        const char* name;
        std::string bytes;
        bool ok;
    } cases[] = {
        {"65537 bytes", std::string(0x10001, '\x00'), false},
        {"one megabyte", std::string(1 << 20, '\x22'), false},
        {"exactly 64 KB", std::string(0x10000, '\x00'), true},
        {"all FF", std::string(300, '\xFF'), true},
        {"empty", std::string(), true},
        {"undefined opcodes only", std::string(40, '\xA5'), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write("T.tsk", c.bytes);
        const auto result = DisassembleFile(m_dir / "T.tsk", core::ChipModel::C8052);
        EXPECT_EQ(result.ok, c.ok);
        if (!c.ok) {
            EXPECT_EQ(result.problem, DisassemblyProblem::TaskTooLarge);
            EXPECT_FALSE(fs::exists(m_dir / "TDis.asm"));
        } else {
            EXPECT_TRUE(fs::exists(m_dir / "TDis.asm"));
        }
        fs::remove(m_dir / "TDis.asm");
        fs::remove(m_dir / "TDis.lst");
    }
}

}  // namespace
}  // namespace zelo::loader
