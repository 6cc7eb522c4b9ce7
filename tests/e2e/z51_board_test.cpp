// z51 run --board: the examples assembled and run headless with their preset
// boards, and what the board shows read from the JSON.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "z51_process.h"

namespace fs = std::filesystem;

namespace {

class Z51BoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_z51_board_" + std::to_string(rd()));
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples", m_dir, fs::copy_options::recursive);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Assembles NAME.asm and runs NAME.hex with the board for `steps` steps.
    nlohmann::json RunWithBoard(const std::string& name, const std::string& board, int steps,
                                const std::string& more = "")
    {
        const auto assembled = RunZ51("asm " + (m_dir / (name + ".asm")).string());
        EXPECT_EQ(assembled.status, 0) << assembled.out;
        const auto run = RunZ51("run " + (m_dir / (name + ".hex")).string() + " --board " + board +
                                " --json --steps " + std::to_string(steps) + " " + more);
        EXPECT_EQ(run.status, 0) << run.out;
        const auto j = nlohmann::json::parse(run.out, nullptr, false);
        EXPECT_FALSE(j.is_discarded()) << run.out;
        return j.is_discarded() ? nlohmann::json::object() : j["board"];
    }
    fs::path m_dir;
};

}  // namespace

TEST_F(Z51BoardTest, ExamplesShowOnTheirBoards)
{
    const auto lcd = RunWithBoard("lcd_hello", "lcd", 20000);
    EXPECT_EQ(lcd["name"], "LCD");
    EXPECT_EQ(lcd["lcd"]["on"], true);
    EXPECT_EQ(lcd["lcd"]["lines"][0], "Hello           ");
    EXPECT_EQ(lcd["lcd"]["lines"][1], "8051 LCD        ");
    EXPECT_TRUE(lcd["lcd"]["problems"].empty());

    // 200000 steps of the stopwatch are about 0.43 s of the chip's time.
    const auto stopwatch = RunWithBoard("stopwatch", "digits_and_keypad", 200000);
    EXPECT_EQ(stopwatch["digits"]["text"], "00.42");
    EXPECT_EQ(stopwatch["digits"]["flickering"], nlohmann::json({false, false, false, false}));
    EXPECT_EQ(stopwatch["digits"]["segments"][1], "BF");  // "0" with its point

    const auto keypad = RunWithBoard("keypad_digits", "digits_and_keypad", 20000);
    EXPECT_EQ(keypad["digits"]["text"], "    ");

    const auto sent = RunWithBoard("serial_9600", "lcd", 20000);
    EXPECT_EQ(sent["serial"]["text"], "Hi 8051\n");
    EXPECT_EQ(sent["serial"]["hex"], "48 69 20 38 30 35 31 0D 0A\n");
    EXPECT_EQ(sent["serial"]["programBaud"], 9600.0);

    // Seven steps of the walking light: LED 1 lit.
    const auto leds =
        RunWithBoard("leds_p1", (m_dir / "boards" / "leds_and_switches.json").string(), 7);
    EXPECT_EQ(leds["leds"], "01000000");
    EXPECT_EQ(leds["buzzerHz"], 0);
}

TEST_F(Z51BoardTest, TheChipLimitsTheWiringAndBadFilesAreNamed)
{
    const auto small = RunWithBoard("leds_p1", "leds_and_switches", 7, "--chip 89Cx051");
    ASSERT_EQ(small["problems"].size(), 1u);
    EXPECT_EQ(
        small["problems"][0],
        "leds_and_switches.json: \"switches\": the 89Cx051 has no pin P2.0; left off the board");
    EXPECT_EQ(small["leds"], "01000000");

    std::ofstream(m_dir / "boards" / "broken.json") << "{\"lcd\": {\"data\": \"P1\"}}";
    RunZ51("asm " + (m_dir / "leds_p1.asm").string());
    const auto run = RunZ51("run " + (m_dir / "leds_p1.hex").string() + " --board broken", true);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("broken.json: \"lcd\": \"rs\" is missing"), std::string::npos)
        << run.out;
    EXPECT_EQ(RunZ51("run " + (m_dir / "leds_p1.hex").string() + " --board nowhere").status, 1);
}
