// z51 dis: files beside the input, exit status 0 / 1 / 2.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome RunDis(const std::string& arguments)
{
    const std::string command = std::string(ZELO_BINARY_DIR) + "/tools/z51 dis " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

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
        const Outcome o = RunDis("'" + (m_dir / c.input).string() + "'");
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
    const Outcome bad = RunDis("'" + (m_dir / "bad.hex").string() + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("bad.hex"), std::string::npos) << bad.out;
    EXPECT_EQ(RunDis("").status, 2);
    EXPECT_EQ(RunDis("x.hex --chip 8031").status, 2);
}

}  // namespace
