// z51 run --input: the examples that talk to pins and the serial port, each
// run with its input script to the state it is written to reach; --vcd; a
// bad script.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "z51_process.h"

namespace fs = std::filesystem;

namespace {

class Z51InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_input_" + std::to_string(rd()));
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples", m_dir, fs::copy_options::recursive);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Assembles NAME.asm and runs NAME.hex with NAME.in; the JSON state.
    nlohmann::json RunExample(const std::string& name, const std::string& chip,
                              const std::string& extra = "")
    {
        const std::string base = (m_dir / name).string();
        EXPECT_EQ(RunZ51("asm " + base + ".asm --chip " + chip).status, 0) << name;
        const Z51Outcome o = RunZ51(
            "run " + base + ".hex --chip " + chip + " --json --input " + base + ".in" + extra,
            true);
        EXPECT_EQ(o.status, 0) << o.out;
        return nlohmann::json::parse(o.out, nullptr, false);
    }
    fs::path m_dir;
};

std::string RamHex(const nlohmann::json& j, int address)
{
    const std::string bits = j["iram"][address];
    char text[3];
    std::snprintf(text, sizeof text, "%02X", std::stoi(bits, nullptr, 2));
    return text;
}

}  // namespace

TEST_F(Z51InputTest, ExamplesReachTheirResultsUnderTheirScripts)
{
    struct Case
    {
        const char* name;
        const char* chip;
        const char* ram30;  // "" when not checked
        const char* ram31;
        const char* uart;
        const char* p1;
    };
    const Case cases[] = {
        // Three presses: three entries, the LED on P1.0 toggled three times.
        {"button_int0", "8051", "03", "", "", "11111110"},
        // 1 kHz for 65536 machine cycles: 71 pulses.
        {"freq_counter", "8051", "47", "00", "", "11111111"},
        // A high pulse of 2000 machine cycles (07D0H).
        {"pulse_width", "8051", "D0", "07", "", "11111111"},
        {"serial_echo", "8051", "", "", "AT\\r\\n", "11111111"},
        {"timer2_baud", "8052", "", "", "8052\\r\\n", "11111111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const nlohmann::json j = RunExample(c.name, c.chip);
        ASSERT_FALSE(j.is_discarded());
        EXPECT_EQ(j["stop"], "input-done");
        if (*c.ram30) { EXPECT_EQ(RamHex(j, 0x30), c.ram30); }
        if (*c.ram31) { EXPECT_EQ(RamHex(j, 0x31), c.ram31); }
        EXPECT_EQ(j["uart_out"]["text"], c.uart);
        EXPECT_EQ(j["pins"]["P1"], c.p1);
        EXPECT_EQ(j["pins"]["P0"], "zzzzzzzz") << "P0 floats where nothing pulls it";
        EXPECT_EQ(j["log"].get<std::string>().find("differs"), std::string::npos);
    }
}

TEST_F(Z51InputTest, WaveformDumpHasEveryPinAndTheButtonEdges)
{
    const fs::path vcd = m_dir / "button.vcd";
    const nlohmann::json j = RunExample("button_int0", "8051", " --vcd " + vcd.string());
    ASSERT_TRUE(fs::exists(vcd));
    std::ifstream in(vcd, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string dump = text.str();
    for (const char* var : {" P0.0 $end", " P3.2 $end", " P3.7 $end", " TF2 $end", " RI $end",
                            " IE1 $end", " PC $end"})
        EXPECT_NE(dump.find(var), std::string::npos) << var;
    EXPECT_NE(dump.find("$enddefinitions $end\r\n"), std::string::npos);
    // P3.2 is signal 8 * 3 + 2 = 26, code '!' + 26 = ';': low at the first press.
    const auto press = dump.find("\r\n0;\r\n");
    ASSERT_NE(press, std::string::npos);
    const auto time = dump.rfind('#', press);
    // Values are dumped at the end of each step: the step that began at or
    // after cycle 1000 (and the interrupt entry it led to).
    const unsigned long at = std::stoul(dump.substr(time + 1));
    EXPECT_GE(at, 1000u);
    EXPECT_LT(at, 1010u);
}

TEST_F(Z51InputTest, BadScriptIsRefusedWithLineNumbers)
{
    const fs::path script = m_dir / "bad.in";
    std::ofstream(script) << "@0 P3.2=0\n@x P3.2=1\n@5 blink\n";
    const std::string base = (m_dir / "button_int0").string();
    ASSERT_EQ(RunZ51("asm " + base + ".asm").status, 0);
    const Z51Outcome o = RunZ51("run " + base + ".hex --input " + script.string(), true);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("bad.in: line 2: \"@x\" is not a time"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("bad.in: line 3: unknown event \"blink\""), std::string::npos) << o.out;
    EXPECT_EQ(RunZ51("run " + base + ".hex --input " + (m_dir / "none.in").string()).status, 1);
}
