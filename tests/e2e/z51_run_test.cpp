// z51 run: whole programs from HEX files to their final state in JSON.
#include <gtest/gtest.h>


#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "loader/hex_record.h"
#include "z51_process.h"

namespace fs = std::filesystem;

namespace {


class Z51RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_run_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string WriteHex(const std::string& name, uint16_t address, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(m_dir / name, std::ios::binary);
        out << zelo::loader::FormatDataRecord(address, bytes) << "\r\n"
            << zelo::loader::kEndOfFileRecord << "\r\n";
        return (m_dir / name).string();
    }
    fs::path m_dir;
};

}  // namespace

TEST_F(Z51RunTest, ProgramRunsToMissingCodeAndReportsItsState)
{
    // MOV A,#0; MOV R7,#3; loop: ADD A,R7; DJNZ R7,loop; MOV 30H,A;
    // MOV DPTR,#1234H; MOVX @DPTR,A
    const std::string file = WriteHex("sum.hex", 0, {0x74, 0x00, 0x7F, 0x03, 0x2F, 0xDF, 0xFD, 0xF5, 0x30,
                                                     0x90, 0x12, 0x34, 0xF0});
    const Z51Outcome o = RunZ51("run " + file + " --json");
    ASSERT_EQ(o.status, 0) << o.out;
    const auto j = nlohmann::json::parse(o.out);
    EXPECT_EQ(j["chip"], "8051");
    EXPECT_EQ(j["stop"], "no-code");
    EXPECT_EQ(j["pc"], "000D");
    EXPECT_EQ(j["steps"], 11);
    EXPECT_EQ(j["cycles"], 16);
    ASSERT_EQ(j["iram"].size(), 256u);
    EXPECT_EQ(j["iram"][0x30], "00000110");
    EXPECT_EQ(j["iram"][0x31], "xxxxxxxx");
    EXPECT_EQ(j["iram"][0xC5], "--------");  // no register there on the 8051
    EXPECT_FALSE(j.contains("upper"));
    EXPECT_EQ(j["xram"].size(), 1u);
    EXPECT_EQ(j["xram"]["1234"], "06");
}

TEST_F(Z51RunTest, StopsAreNamed)
{
    struct Case {
        std::vector<uint8_t> code;
        const char* options;
        const char* stop;
        int steps;
    };
    const Case cases[] = {
        {{0x80, 0xFE}, "--steps 250", "steps", 250},                    // SJMP $
        {{0x00, 0x25, 0x40}, "", "undefined-bit", 1},                  // NOP; ADD A,40H (not done)
        {{0x75, 0x81, 0x7F, 0x12, 0x00, 0x00}, "", "stack", 2},        // MOV SP,#7FH; LCALL 0
        {{0x75, 0x81, 0x7F, 0xC0, 0xE0}, "--chip 8052", "no-code", 2},  // PUSH ACC into upper RAM
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stop);
        const std::string file = WriteHex("stop.hex", 0, c.code);
        const Z51Outcome o = RunZ51("run " + file + " --json " + c.options);
        ASSERT_EQ(o.status, 0);
        const auto j = nlohmann::json::parse(o.out);
        EXPECT_EQ(j["stop"], c.stop);
        EXPECT_EQ(j["steps"], c.steps);
        if (std::string(c.stop) == "undefined-bit") {
            EXPECT_NE(j["log"].get<std::string>().find("there is a x-bit in Ram 40."), std::string::npos);
        }
        if (std::string(c.options) == "--chip 8052") {
            ASSERT_EQ(j["upper"].size(), 128u);
            EXPECT_EQ(j["upper"][0], "00");  // ACC pushed at 80H
            EXPECT_EQ(j["upper"][1], "xx");
            EXPECT_EQ(j["iram"][0x80], "11111111");  // P0 untouched
        }
    }
}

TEST_F(Z51RunTest, TraceAndExitStatuses)
{
    const std::string file = WriteHex("t.hex", 0, {0x74, 0x05, 0x04});
    const Z51Outcome trace = RunZ51("run " + file + " --trace");
    EXPECT_EQ(trace.status, 0);
    EXPECT_NE(trace.out.find("74 05    MOV   A       #data"), std::string::npos) << trace.out;
    EXPECT_NE(trace.out.find("PC:0003  Cycle:2  Step:2"), std::string::npos);

    EXPECT_EQ(RunZ51("run " + (m_dir / "missing.hex").string()).status, 1);
    std::ofstream(m_dir / "bad.hex") << ":03000000020030CC\r\n";
    EXPECT_EQ(RunZ51("run " + (m_dir / "bad.hex").string()).status, 1);
    EXPECT_EQ(RunZ51("run " + file + " --chip 8086").status, 2);
    EXPECT_EQ(RunZ51("run").status, 2);
    EXPECT_EQ(RunZ51("run " + file + " --steps many").status, 2);
    EXPECT_EQ(RunZ51("run " + file + " --steps -5").status, 2);  // not 2^64 - 5 steps
    EXPECT_EQ(RunZ51("run " + file + " --steps=-1").status, 2);
}

TEST_F(Z51RunTest, TextShowsAddressesWithoutARegisterAsTheCellsDo)
{
    const std::string file = WriteHex("t.hex", 0, {0x74, 0x05});
    const Z51Outcome o = RunZ51("run " + file);
    ASSERT_EQ(o.status, 0);
    EXPECT_NE(o.out.find("\nC0: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("\nE0: 05 -- --"), std::string::npos) << o.out;
}

TEST_F(Z51RunTest, BreakpointsAndWatchesNameWhereTheRunStopped)
{
    const fs::path examples = fs::path(ZELO_SOURCE_DIR) / "examples";
    fs::copy_file(examples / "blink.asm", m_dir / "blink.asm");
    fs::copy(examples / "8051.LIB", m_dir / "8051.LIB", fs::copy_options::recursive);
    ASSERT_EQ(RunShell("cd " + m_dir.string() + " && " + ZELO_BINARY_DIR +
                       "/tools/z51 asm blink.asm >/dev/null")
                  .status,
              0);
    const std::string hex = (m_dir / "blink.hex").string();
    struct Case
    {
        const char* options;
        const char* stop;
        const char* address;
        const char* label;  // "" when none is reported
        const char* pc;
        int steps;
    };
    const Case cases[] = {
        {"--break WAIT", "break", "000E", "WAIT", "000E", 5},
        {"--break wait", "break", "000E", "WAIT", "000E", 5},               // labels in any case
        {"--break 0Ah --break 0x0C", "break", "000C", "DELAY", "000C", 4},  // the first one reached
        {"--break 0000", "steps", "", "", "000E", 1000},                    // not reached again
        {"--break 0003", "break", "0003", "START+3", "0003", 1},
        {"--watch P1.0=0", "watch", "90.0", "", "0008", 3},
        {"--watch 07H", "watch", "07H", "", "000E", 5},  // R7 via MOV R7,#10
        {"--watch X:0100", "steps", "", "", "000E", 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const Z51Outcome o = RunZ51("run " + hex + " --json --steps 1000 " + c.options);
        ASSERT_EQ(o.status, 0) << o.out;
        const auto j = nlohmann::json::parse(o.out);
        EXPECT_EQ(j["stop"], c.stop);
        EXPECT_EQ(j["pc"], c.pc);
        EXPECT_EQ(j["steps"], c.steps);
        if (*c.address) {
            EXPECT_EQ(j["stop_address"], c.address);
        } else {
            EXPECT_FALSE(j.contains("stop_address"));
        }
        if (*c.label) {
            EXPECT_EQ(j.value("stop_label", ""), c.label);
        }
    }
    for (const char* bad :
         {"--break NOWHERE", "--break 12345", "--watch 31.0", "--watch X:", "--watch 30H=100"}) {
        SCOPED_TRACE(bad);
        const Z51Outcome o = RunZ51("run " + hex + " " + bad, true);
        EXPECT_EQ(o.status, 2);
        EXPECT_NE(o.out.find("z51 run: --"), std::string::npos) << o.out;
    }
}
