// The load command: a HEX file loaded into a used simulator starts afresh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "loader/hex_record.h"
#include "loader/load_program.h"

namespace fs = std::filesystem;
using namespace zelo::loader;
using zelo::core::ChipModel;
using zelo::core::Simulator;
using zelo::core::StopReason;

TEST(LoadProgramTest, LoadResetsChipCountersAndRunsTheNewProgram)
{
    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() / ("zelo_load_" + std::to_string(rd()));
    fs::create_directories(dir);
    {
        std::ofstream out(dir / "count.hex", std::ios::binary);
        // MOV R7,#3; loop: DJNZ R7,loop; MOV 30H,#5AH
        out << FormatDataRecord(0, {0x7F, 0x03, 0xDF, 0xFE, 0x75, 0x30, 0x5A}) << "\r\n"
            << kEndOfFileRecord << "\r\n";
    }
    Simulator sim(ChipModel::C8052);
    sim.Cpu().codeMemory[0x0100] = zelo::core::HexCell::FromValue(0x00);
    sim.Cpu().StoreByte(0x11, 0x30);
    HexLoaderState state;
    const LoadProgramResult loaded = LoadProgram(sim, dir, {false, "count.hex"}, state, "PC:0000");
    ASSERT_TRUE(loaded.done);
    EXPECT_TRUE(loaded.hex.Ok());
    EXPECT_EQ(sim.Cpu().programCounter, 0);
    EXPECT_EQ(state.programName, "count");
    EXPECT_EQ(sim.Cpu().PeekRamByteText(0x30), "xx");
    EXPECT_TRUE(sim.Cpu().codeMemory[0x0100].IsUnloaded());

    sim.ToggleRun();
    StopReason reason = StopReason::None;
    while (sim.Running()) reason = sim.RunBatch(1000).stopReason;
    EXPECT_EQ(reason, StopReason::NoCode);
    EXPECT_EQ(sim.Cpu().PeekRamByteText(0x30), "5A");
    EXPECT_EQ(sim.StepCounter(), 5u);
    EXPECT_EQ(sim.CycleCounter(), 1u + 3 * 2 + 2);

    // Loading again while running does nothing.
    sim.ToggleRun();
    EXPECT_FALSE(LoadProgram(sim, dir, {false, "count.hex"}, state).done);
    EXPECT_EQ(sim.StepCounter(), 5u);
    sim.ToggleRun();

    // A missing file still resets the chip and the counters.
    const LoadProgramResult missing = LoadProgram(sim, dir, {false, "none.hex"}, state);
    EXPECT_TRUE(missing.done);
    EXPECT_EQ(missing.hex.problem, HexLoadProblem::NoProgram);
    EXPECT_EQ(sim.StepCounter(), 0u);
    EXPECT_EQ(sim.Cpu().PeekRamByteText(0x30), "xx");
    fs::remove_all(dir);
}
