// z51 dis: files beside the input, exit status 0 / 1 / 2.
#include <gtest/gtest.h>


#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "z51_process.h"

namespace fs = std::filesystem;

namespace {

Z51Outcome RunDis(const std::string& arguments) { return RunZ51("dis " + arguments, true); }

class Z51DisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_dis_cli_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(Z51DisTest, WritesListingAndSourceBesideTheInputAndSaysWhere)
{
    std::ofstream(m_dir / "blink.hex", std::ios::binary) << ":0500000012000580FE66\r\n:0100050022D8\r\n:00000001FF\r\n";
    std::ofstream(m_dir / "image.tsk", std::ios::binary) << std::string("\x80\xFE", 2);
    const struct {
        const char* input;
        const char* listing;
        const char* source;
    } cases[] = {{"blink.hex", "blinkDis.lst", "blinkDis.asm"}, {"image.tsk", "imageDis.lst", "imageDis.asm"}};
    for (const auto& c : cases) {
        const Z51Outcome o = RunDis("'" + (m_dir / c.input).string() + "'");
        EXPECT_EQ(o.status, 0) << o.out;
        EXPECT_TRUE(fs::exists(m_dir / c.listing)) << c.input;
        EXPECT_TRUE(fs::exists(m_dir / c.source)) << c.input;
        EXPECT_NE(o.out.find((m_dir / c.listing).string()), std::string::npos) << o.out;
        EXPECT_NE(o.out.find((m_dir / c.source).string()), std::string::npos) << o.out;
    }
}

TEST_F(Z51DisTest, MissingOrBadFilesExitWithOneAndUsageWithTwo)
{
    std::ofstream(m_dir / "bad.hex", std::ios::binary) << "not a record\r\n";
    EXPECT_EQ(RunDis("'" + (m_dir / "missing.hex").string() + "'").status, 1);
    const Z51Outcome bad = RunDis("'" + (m_dir / "bad.hex").string() + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("bad.hex"), std::string::npos) << bad.out;
    EXPECT_EQ(RunDis("").status, 2);
    EXPECT_EQ(RunDis("x.hex --chip 8031").status, 2);
}

// Any count of DB lines is written; a file with nothing to disassemble, or
// cut before its end record, is said to be so.
TEST_F(Z51DisTest, RefusalsAndNotesAreNamed)
{
    std::string gaps;  // undefined opcodes between NOPs: one DB line each
    for (int k = 0; k < 101; ++k) gaps += std::string("\xA5\x00", 2);
    std::ofstream(m_dir / "gaps.tsk", std::ios::binary) << gaps;
    std::ofstream(m_dir / "end.hex", std::ios::binary) << ":00000001FF\r\n";
    std::ofstream(m_dir / "cut.hex", std::ios::binary) << ":0200000080FE80\r\n";
    const struct
    {
        const char* file;
        int status;
        const char* message;
    } cases[] = {{"gaps.tsk", 0, "gapsDis.asm"},
                 {"end.hex", 0, "end.hex holds no code: 0 bytes loaded."},
                 {"cut.hex", 0, "cut.hex has no end record; the 2 bytes"}};
    for (const auto& c : cases) {
        const Z51Outcome o = RunDis("'" + (m_dir / c.file).string() + "'");
        EXPECT_EQ(o.status, c.status) << c.file;
        EXPECT_NE(o.out.find(c.message), std::string::npos) << o.out;
    }
}

// Output that could not be written is a failure with a message.
TEST_F(Z51DisTest, OutputToAFullDeviceFails)
{
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    std::ofstream(m_dir / "loop.hex", std::ios::binary) << ":0200000080FE80\r\n:00000001FF\r\n";
    const std::string loop = "'" + (m_dir / "loop.hex").string() + "'";
    for (const std::string& command :
         {std::string("opcodes"), "run " + loop + " --steps 9 --json", "dis " + loop}) {
        EXPECT_EQ(RunZ51(command + " >/dev/null").status, 0) << command;
        const Z51Outcome full =
            RunShell(std::string(ZELO_BINARY_DIR) + "/tools/z51 " + command + " 2>&1 >/dev/full");
        EXPECT_NE(full.status, 0) << command;
        EXPECT_NE(full.out.find("z51: the output could not be written"), std::string::npos)
            << full.out;
    }
}

}  // namespace
