// The shipped examples: each assembles with PASS, its HEX file loads, and it
// runs in the simulator to the state the program is written to reach. Also
// `z51 asm` on them, with its exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/assembly_texts.h"
#include "asm/assembler_session.h"
#include "core/simulator.h"
#include "core/text_file.h"
#include "loader/load_program.h"
#include "z51_process.h"

namespace fs = std::filesystem;
using zelo::assembler::AssemblerSession;

namespace {

class ExampleWorkspace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_examples_" + std::to_string(rd()));
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples", m_dir, fs::copy_options::recursive);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // Assembles NAME.asm and loads NAME.hex into a fresh simulator.
    zelo::core::Simulator& AssembleAndLoad(
        const std::string& name, zelo::core::ChipModel chip = zelo::core::ChipModel::C8051)
    {
        AssemblerSession session(m_dir, chip);
        EXPECT_TRUE(session.LoadAsmFile(name)) << name;
        session.AsmAll();
        EXPECT_TRUE(session.Succeeded())
            << name << "\n" << zelo::app::AssemblyReport(session.Result(), session.Outcome());
        m_sim = std::make_unique<zelo::core::Simulator>(chip);
        zelo::loader::HexLoaderState state;
        const auto loaded = zelo::loader::LoadProgram(*m_sim, m_dir, {false, name + ".hex"}, state);
        EXPECT_TRUE(loaded.done && loaded.hex.Ok()) << name;
        m_sim->SetDisplayFlag(false);
        return *m_sim;
    }

    static void Steps(zelo::core::Simulator& sim, int n)
    {
        for (int i = 0; i < n; ++i) sim.OneStep();
    }

    static std::string Ram(const zelo::core::Simulator& sim, uint8_t address)
    {
        return sim.Cpu().PeekRamByteText(address);
    }

    fs::path m_dir;
    std::unique_ptr<zelo::core::Simulator> m_sim;
};

TEST_F(ExampleWorkspace, EveryExampleAssemblesWithPass)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        if (entry.path().extension() != ".asm") continue;
        AssemblerSession session(m_dir);
        ASSERT_TRUE(session.LoadAsmFile(entry.path().stem().string()));
        session.AsmAll();
        const std::string report = zelo::app::AssemblyReport(session.Result(), session.Outcome());
        EXPECT_NE(report.find(" Round 1 PASS!   Round 2 PASS! "), std::string::npos)
            << entry.path() << "\n"
            << report;
        EXPECT_TRUE(session.HexPath().has_value()) << entry.path();
        ++count;
    }
    EXPECT_GE(count, 12);
}

TEST_F(ExampleWorkspace, ShippedModuleListingMatchesItsSource)
{
    const fs::path lib = m_dir / "8051.LIB";
    const auto shipped =
        zelo::core::SplitLines(zelo::core::ReadTextFile(lib / "MATHLIB.lst").value_or(""));
    AssemblerSession session(lib);
    ASSERT_TRUE(session.LoadAsmFile("MATHLIB"));
    session.AsmAll();
    ASSERT_TRUE(session.Succeeded());
    const auto fresh = session.ListingLines();
    ASSERT_EQ(shipped.size(), fresh.size());
    for (std::size_t i = 1; i < fresh.size(); ++i)
        EXPECT_EQ(shipped[i], fresh[i]);  // line 0 has the date
}

TEST_F(ExampleWorkspace, LedsWalkAcrossPort1)
{
    auto& sim = AssembleAndLoad("leds_p1");
    Steps(sim, 2 + 3 * 3 + 1);
    EXPECT_EQ(Ram(sim, 0x90), "F7");
}

TEST_F(ExampleWorkspace, DjnzDelayEnds)
{
    auto& sim = AssembleAndLoad("delay_djnz");
    Steps(sim, 3 + 200 * 252 + 2);
    EXPECT_EQ(Ram(sim, 0x30), "01");
    EXPECT_EQ(Ram(sim, 0x07), "00");
}

TEST_F(ExampleWorkspace, Timer0InterruptCountsOverflows)
{
    auto& sim = AssembleAndLoad("timer0_interrupt");
    Steps(sim, 300);
    const std::string count = Ram(sim, 0x30);
    ASSERT_EQ(count.size(), 2u);
    EXPECT_NE(count, "00");
    EXPECT_NE(count, "xx");
    EXPECT_EQ(Ram(sim, 0x89), "02");
}

TEST_F(ExampleWorkspace, SerialSetUpFor9600BaudAndFirstCharacterSent)
{
    auto& sim = AssembleAndLoad("serial_9600");
    Steps(sim, 9);
    EXPECT_EQ(Ram(sim, 0x89), "20");
    EXPECT_EQ(Ram(sim, 0x8D), "FD");
    EXPECT_EQ(Ram(sim, 0x98).substr(0, 1), "5");
    EXPECT_EQ(Ram(sim, 0x99), "48");  // 'H'
}

TEST_F(ExampleWorkspace, MovcLooksUpASquare)
{
    auto& sim = AssembleAndLoad("movc_table");
    Steps(sim, 5);
    EXPECT_EQ(Ram(sim, 0x30), "19");
}

TEST_F(ExampleWorkspace, BcdCounterCountsInDecimal)
{
    auto& sim = AssembleAndLoad("bcd_counter");
    Steps(sim, 2 + 12 * 5 + 1);
    EXPECT_EQ(Ram(sim, 0x30), "12");
}

TEST_F(ExampleWorkspace, SevenSegmentShowsSeven)
{
    auto& sim = AssembleAndLoad("seven_segment");
    Steps(sim, 6);
    EXPECT_EQ(Ram(sim, 0x90), "07");
}

TEST_F(ExampleWorkspace, BitTricksInBitAddressableRam)
{
    auto& sim = AssembleAndLoad("bit_tricks");
    Steps(sim, 13);
    EXPECT_EQ(Ram(sim, 0x20), "03");
    EXPECT_EQ(Ram(sim, 0x21), "80");
    EXPECT_EQ(Ram(sim, 0x22), "09");
}

TEST_F(ExampleWorkspace, RegisterBanksHoldTheirOwnR0)
{
    auto& sim = AssembleAndLoad("register_banks");
    Steps(sim, 10);
    EXPECT_EQ(Ram(sim, 0x00), "11");
    EXPECT_EQ(Ram(sim, 0x08), "22");
    EXPECT_EQ(Ram(sim, 0x10), "33");
    EXPECT_EQ(Ram(sim, 0x18), "44");
}

TEST_F(ExampleWorkspace, LocalLabelLoopsFillAndClear)
{
    auto& sim = AssembleAndLoad("local_labels");
    Steps(sim, 200);
    for (uint8_t a = 0x30; a < 0x38; ++a) EXPECT_EQ(Ram(sim, a), "AA") << int(a);
    for (uint8_t a = 0x40; a < 0x44; ++a) EXPECT_EQ(Ram(sim, a), "00") << int(a);
}

TEST_F(ExampleWorkspace, IncludedHeaderNamesTheBoard)
{
    auto& sim = AssembleAndLoad("include_header");
    Steps(sim, 4);
    EXPECT_EQ(Ram(sim, 0x90), "F1");
    EXPECT_EQ(Ram(sim, 0x8D), "FD");
    EXPECT_EQ(Ram(sim, 0xB0), "7F");
}

TEST_F(ExampleWorkspace, ExternModuleIsLinkedAndCalled)
{
    auto& sim = AssembleAndLoad("extern_module");
    Steps(sim, 3000);
    EXPECT_EQ(Ram(sim, 0x30), "42");
    EXPECT_EQ(Ram(sim, 0x31), "01");
}

TEST_F(ExampleWorkspace, Z51AsmOnEveryExample)
{
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        if (entry.path().extension() != ".asm") continue;
        const auto r = RunZ51("asm " + entry.path().string());
        EXPECT_EQ(r.status, 0) << entry.path() << "\n" << r.out;
        EXPECT_NE(r.out.find("Round 1 PASS!"), std::string::npos);
        fs::path hex = entry.path();
        EXPECT_TRUE(fs::exists(hex.replace_extension(".hex"))) << entry.path();
        EXPECT_TRUE(fs::exists(hex.replace_extension(".tsk"))) << entry.path();
        EXPECT_TRUE(fs::exists(hex.replace_extension(".lst"))) << entry.path();
    }
}

TEST_F(ExampleWorkspace, Z51AsmExitStatuses)
{
    {
        std::ofstream bad(m_dir / "bad.asm");
        bad << "\tMOV A,#12G\n";
    }
    const auto problem = RunZ51("asm " + (m_dir / "bad.asm").string());
    EXPECT_EQ(problem.status, 1);
    EXPECT_NE(problem.out.find("Problem in line: 1"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_dir / "bad.lst"));
    EXPECT_FALSE(fs::exists(m_dir / "bad.hex"));
    EXPECT_EQ(RunZ51("asm " + (m_dir / "missing.asm").string()).status, 2);
    std::ofstream(m_dir / "empty.asm").flush();
    const auto empty = RunZ51("asm " + (m_dir / "empty.asm").string());
    EXPECT_EQ(empty.status, 2);
    EXPECT_NE(empty.out.find("empty.asm is empty: there is nothing to assemble."),
              std::string::npos);
    EXPECT_EQ(RunZ51("asm " + (m_dir / "leds_p1.asm").string() + " --chip 8086").status, 2);
    EXPECT_EQ(RunZ51("asm").status, 2);
    const auto chip = RunZ51("asm " + (m_dir / "leds_p1.asm").string() + " --chip 89Cx051");
    EXPECT_EQ(chip.status, 0);
    EXPECT_EQ(chip.out.rfind("        89Cx051\n", 0), 0u);
}

TEST_F(ExampleWorkspace, Z51AsmWarningsFailOnlyWhenAskedTo)
{
    std::ofstream(m_dir / "warned.asm") << "\tMOV R1,R2\n\tSJMP $\n";
    const std::string file = (m_dir / "warned.asm").string();
    const auto plain = RunZ51("asm " + file);
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("Round 1 PASS!"), std::string::npos);
    EXPECT_NE(plain.out.find("Warning in line 1: MOV R1,R2"), std::string::npos) << plain.out;
    EXPECT_EQ(RunZ51("asm " + file + " --warnings-as-errors").status, 1);
    std::ofstream(m_dir / "warned.asm") << "\tMOV R1,R2 ;nowarn\n\tSJMP $\n";
    EXPECT_EQ(RunZ51("asm " + file + " --warnings-as-errors").status, 0);
}

}  // namespace
