// z51 never reports a failure as success: output that could not be written,
// an empty source and a disassembly the assembler could not read back all
// end with a non-zero status and a message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "z51_process.h"

namespace fs = std::filesystem;

namespace {

class Z51Failures : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_fail_" + std::to_string(rd()));
        fs::create_directories(m_dir);
        std::ofstream(m_dir / "loop.hex", std::ios::binary) << ":0200000080FE80\r\n:00000001FF\r\n";
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const char* name) const { return "'" + (m_dir / name).string() + "'"; }
    fs::path m_dir;
};

TEST_F(Z51Failures, OutputThatCannotBeWrittenIsAFailure)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::string commands[] = {
        "opcodes",
        "run " + Path("loop.hex") + " --steps 10 --json",
        "run " + Path("loop.hex") + " --steps 10",
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const Z51Outcome ok = RunZ51(command);
        EXPECT_EQ(ok.status, 0);
        EXPECT_FALSE(ok.out.empty());
        // Standard output to a full device, standard error to the pipe.
        const Z51Outcome full =
            RunShell(std::string(ZELO_BINARY_DIR) + "/tools/z51 " + command + " 2>&1 >/dev/full");
        EXPECT_NE(full.status, 0);
        EXPECT_NE(full.out.find("z51: the output could not be written"), std::string::npos) << full.out;
    }
}

TEST_F(Z51Failures, AnEmptySourceIsNamedAndFails)
{
    std::ofstream(m_dir / "empty.asm", std::ios::binary).flush();
    const Z51Outcome o = RunZ51("asm " + Path("empty.asm"), true);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.out.find("empty.asm is empty: there is nothing to assemble."), std::string::npos) << o.out;
    EXPECT_FALSE(fs::exists(m_dir / "empty.hex"));
}

TEST_F(Z51Failures, DisassemblyBeyondTheDataListFailsAndEmptyFilesAreNamed)
{
    std::string gaps;
    for (int k = 0; k < 101; ++k) gaps += std::string("\xA5\x00", 2);
    std::ofstream(m_dir / "gaps.tsk", std::ios::binary) << gaps;
    const Z51Outcome refused = RunZ51("dis " + Path("gaps.tsk"), true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("needs 101 DB lines"), std::string::npos) << refused.out;
    EXPECT_FALSE(fs::exists(m_dir / "gapsDis.asm"));

    std::ofstream(m_dir / "end.hex", std::ios::binary) << ":00000001FF\r\n";
    const Z51Outcome empty = RunZ51("dis " + Path("end.hex"), true);
    EXPECT_EQ(empty.status, 0);
    EXPECT_NE(empty.out.find("end.hex holds no code: 0 bytes loaded."), std::string::npos) << empty.out;

    std::ofstream(m_dir / "cut.hex", std::ios::binary) << ":0200000080FE80\r\n";
    const Z51Outcome cut = RunZ51("dis " + Path("cut.hex"), true);
    EXPECT_EQ(cut.status, 0);
    EXPECT_NE(cut.out.find("cut.hex has no end record; the 2 bytes"), std::string::npos) << cut.out;
}

}  // namespace
