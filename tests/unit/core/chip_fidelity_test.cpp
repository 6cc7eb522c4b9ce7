// Whole steps checked against the chip's documented behaviour: indirect
// access where a chip has no RAM, MOVX paging, timer mode 3, the stack path of interrupt entries, steps that stop on an
// undefined bit, and the growth of the simulation log.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "core/interrupts.h"
#include "core/simulator.h"
#include "core/timers.h"

using namespace zelo::core;

namespace {

void Put(Simulator& sim, uint16_t address, std::initializer_list<int> bytes)
{
    for (int b : bytes) sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
}

std::string Byte(const Simulator& sim, uint8_t address) { return sim.Cpu().PeekRamByteText(address); }

void Steps(Simulator& sim, int n)
{
    for (int i = 0; i < n; ++i) sim.OneStep();
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

// --- indirect access per chip ------------------------------------------------

TEST(IndirectAccessPerChip, WritesAbove7FNeverReachAnSfrWithoutUpperRam)
{
    struct Case {
        const char* name;
        uint8_t r0;
        std::initializer_list<int> code;  // runs after MOV R0,#r0 and MOV A,#5AH
    };
    const Case cases[] = {
        {"MOV @R0,#data to P1", 0x90, {0x76, 0xAA}},
        {"MOV @R0,A to PSW", 0xD0, {0xF6}},
        {"INC @R0 on SP", 0x81, {0x06}},
        {"XCH A,@R0 with P3", 0xB0, {0xC6}},
        {"XCHD A,@R0 with ACC", 0xE0, {0xD6}},
        {"MOV @R0,dir to B", 0xF0, {0xA6, 0x30}},
    };
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C89Cx051}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(ChipName(chip)) + ": " + c.name);
            Simulator sim(chip);
            Put(sim, 0x0000, {0x78, c.r0, 0x74, 0x5A});
            uint16_t at = 4;
            for (int b : c.code) Put(sim, at++, {b});
            Steps(sim, 2);
            const auto before = sim.Cpu().internal;
            sim.OneStep();
            for (int a = 0x80; a < 0x100; ++a) {
                if (a == sfr::ACC || a == sfr::PSW) continue;  // XCH loads A (and P) from the undefined byte
                EXPECT_EQ(sim.Cpu().internal[a], before[a]) << ToHexByte(static_cast<unsigned>(a));
            }
            EXPECT_EQ(sim.Cpu().CurrentBank(), 0);
        }
    }
}

TEST(IndirectAccessPerChip, SdccStartupClearsRamFromFFDownAndLeavesTheSfrs)
{
    Simulator sim(ChipModel::C8051);
    // MOV R0,#0FFH; CLR A; loop: MOV @R0,A; DJNZ R0,loop; MOV @R0,A
    Put(sim, 0x0000, {0x78, 0xFF, 0xE4, 0xF6, 0xD8, 0xFD, 0xF6});
    const auto before = sim.Cpu().internal;
    Steps(sim, 2 + 2 * 255 + 1);
    for (uint8_t a : {sfr::P0, sfr::P1, sfr::P2, sfr::P3, sfr::SP, sfr::PSW, sfr::DPL, sfr::TCON, sfr::IE})
        EXPECT_EQ(sim.Cpu().internal[a], before[a]) << ToHexByte(a);
    for (int a = 0; a < 0x80; ++a) EXPECT_EQ(Byte(sim, static_cast<uint8_t>(a)), "00");
    EXPECT_EQ(sim.Cpu().simulationLog.Text(), "Indirect write to FFH: no RAM there on the 8051\r\n");
    EXPECT_FALSE(sim.Cpu().StopRequested());
}

TEST(IndirectAccessPerChip, ReadAbove7FIsUndefinedAndStopsWhenUsed)
{
    Simulator sim(ChipModel::C8051);
    Put(sim, 0x0000, {0x78, 0x90, 0x74, 0x01, 0x26});  // MOV R0,#90H; MOV A,#1; ADD A,@R0
    Steps(sim, 3);
    EXPECT_EQ(sim.ProgramCounter(), 0x0004);
    EXPECT_NE(sim.Cpu().simulationLog.Text().find(" there is a x-bit in Ram 90."), std::string::npos);
    EXPECT_EQ(Byte(sim, sfr::ACC), "01");
}

// --- external paging ----------------------------------------------------------

TEST(ExternalPaging, MovxAtRiAddressesThePageInP2)
{
    struct Case {
        ChipModel chip;
        int written;  // where MOVX @R0,A went
    };
    for (const Case c : {Case{ChipModel::C8051, 0x0130}, Case{ChipModel::C8052, 0x0130},
                         Case{ChipModel::C89Cx051, 0x0030}}) {
        SCOPED_TRACE(ChipName(c.chip));
        Simulator sim(c.chip);
        sim.Cpu().WriteRamByte(0x01, sfr::P2);  // the 89Cx051 has no P2: ignored there
        // MOV R0,#30H; MOV A,#5AH; MOVX @R0,A; MOV R1,#30H; CLR A; MOVX A,@R1
        Put(sim, 0x0000, {0x78, 0x30, 0x74, 0x5A, 0xF2, 0x79, 0x30, 0xE4, 0xE3});
        Steps(sim, 6);
        EXPECT_EQ(sim.Cpu().externalMemory[static_cast<std::size_t>(c.written)].Text(), "5A");
        if (c.written != 0x0030) { EXPECT_EQ(sim.Cpu().externalMemory[0x0030].Text(), "xx"); }
        EXPECT_EQ(Byte(sim, sfr::ACC), "5A");
        EXPECT_EQ(sim.Current().source.value, c.written);
    }
}

// --- timer modes ------------------------------------------------------------------

TEST(TimerModes, ModeThreeSplitsTimerZero)
{
    struct Case {
        const char* name;
        uint8_t tmod;
        bool tr0, tr1;
        std::array<uint8_t, 4> after;  // TL0, TH0, TL1, TH1 from F0, FE, 10, 20 after 3 counts
        bool tf0, tf1;
    };
    const Case cases[] = {
        {"TL0 under TR0 sets TF0", 0x33, true, false, {0xF3, 0xFE, 0x10, 0x20}, false, false},
        {"TH0 under TR1 sets TF1", 0x33, false, true, {0xF0, 0x01, 0x10, 0x20}, false, true},
        {"both halves", 0x33, true, true, {0xF3, 0x01, 0x10, 0x20}, false, true},
        {"timer 1 outside mode 3 runs without TF1", 0x13, false, false, {0xF0, 0xFE, 0x13, 0x20}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        PeripheralState state;
        cpu.WriteRamByte(c.tmod, sfr::TMOD);
        cpu.WriteRamByte(0xF0, sfr::TL0);
        cpu.WriteRamByte(0xFE, sfr::TH0);
        cpu.WriteRamByte(0x10, sfr::TL1);
        cpu.WriteRamByte(0x20, sfr::TH1);
        cpu.WriteBit(c.tr0 ? kBitOne : kBitZero, pbit::TR0);
        cpu.WriteBit(c.tr1 ? kBitOne : kBitZero, pbit::TR1);
        TimerTick(cpu, state, 3);
        const uint8_t regs[4] = {sfr::TL0, sfr::TH0, sfr::TL1, sfr::TH1};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(cpu.PeekRamByteText(regs[i]), ToHexByte(c.after[i])) << i;
        EXPECT_EQ(cpu.ReadBit(pbit::TF0) == kBitOne, c.tf0);
        EXPECT_EQ(cpu.ReadBit(pbit::TF1) == kBitOne, c.tf1);
    }
    CpuState cpu;
    PeripheralState state;
    cpu.WriteRamByte(0x03, sfr::TMOD);
    cpu.WriteBit(kBitOne, pbit::TR0);
    TimerTick(cpu, state, 1);
    TimerTick(cpu, state, 1);
    EXPECT_EQ(Count(cpu.simulationLog.Text(), "Timer0: mode3"), 1);
}

// --- interrupts -------------------------------------------------------------------

TEST(InterruptEntry, TakesTheCallPathAtTheTopOf8052Ram)
{
    struct Case {
        uint8_t sp;
        const char* r0ByCall;   // R0 after the wrap: the call returns to 0003H
        const char* r0ByEntry;  // the entry to 0005H
    };
    for (const Case c : {Case{0xFE, "00", "00"}, Case{0xFF, "03", "05"}}) {
        const uint8_t sp = c.sp;
        SCOPED_TRACE(ToHexByte(sp));
        // The same push by LCALL and by a timer 0 interrupt entry.
        Simulator call(ChipModel::C8052);
        call.Cpu().WriteRamByte(sp, sfr::SP);
        call.Cpu().WriteRamByte(0x77, 0x00);
        Put(call, 0x0000, {0x12, 0x01, 0x00});  // LCALL 0100H
        const StepReport byCall = call.OneStep();

        Simulator entry(ChipModel::C8052);
        entry.Cpu().WriteRamByte(sp, sfr::SP);
        entry.Cpu().WriteRamByte(0x77, 0x00);
        Put(entry, 0x0000, {0x75, 0xA8, 0x82, 0xD2, 0x8D});  // MOV IE,#82H; SETB TF0
        entry.OneStep();
        const StepReport byEntry = entry.OneStep();
        EXPECT_TRUE(byEntry.interruptEntered);
        EXPECT_EQ(byCall.stopReason, StopReason::Stack);
        EXPECT_EQ(byEntry.stopReason, StopReason::Stack);
        EXPECT_EQ(entry.Cpu().simulationLog.Text(), kStackLimitMessage);
        EXPECT_EQ(Byte(entry, sfr::SP), Byte(call, sfr::SP));
        EXPECT_EQ(Byte(call, 0x00), c.r0ByCall);
        EXPECT_EQ(Byte(entry, 0x00), c.r0ByEntry);
    }
}

// --- steps that stop on an undefined bit --------------------------------------------

TEST(FailedSteps, StopOnAnUndefinedBitTakesTheWholeStepBack)
{
    struct Case {
        const char* name;
        std::initializer_list<int> failing;  // at 0010H, after the set-up
    };
    const Case cases[] = {
        {"ADD A,dir", {0x25, 0x30}},
        {"ADD A,@R0 above 7FH", {0x26}},
        {"DJNZ dir", {0xD5, 0x30, 0xFE}},
        {"JB on an undefined bit", {0x20, 0x00, 0xFE}},  // bit 00H is 20H.0
        {"RET from undefined stack bytes", {0x22}},
        {"MOV TL0 with undefined cells under a running timer", {0x85, 0x30, 0x8A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim(ChipModel::C8051);
        // LJMP 0030H; 000B: RETI; 0030: MOV R0,#90H; MOV SP,#40H; MOV TMOD,#01H;
        // MOV IE,#82H; SETB TR0; LJMP 0050H
        Put(sim, 0x0000, {0x02, 0x00, 0x30});
        Put(sim, 0x000B, {0x32});
        Put(sim, 0x0030, {0x78, 0x90, 0x75, 0x81, 0x40, 0x75, 0x89, 0x01, 0x75, 0xA8, 0x82, 0xD2, 0x8C,
                          0x02, 0x00, 0x50});
        uint16_t at = 0x0050;
        for (int b : c.failing) Put(sim, at++, {b});
        Steps(sim, 7);
        ASSERT_EQ(sim.ProgramCounter(), 0x0050);
        sim.Cpu().WriteBit(kBitOne, pbit::TF0);  // an entry would follow the next instruction
        const auto memory = sim.Cpu().internal;
        const uint64_t cycles = sim.CycleCounter(), steps = sim.StepCounter();
        const StepReport r = sim.OneStep();
        EXPECT_EQ(r.stopReason, StopReason::UndefinedBit);
        EXPECT_FALSE(r.executed);
        EXPECT_FALSE(r.interruptEntered);
        EXPECT_EQ(sim.ProgramCounter(), 0x0050);
        EXPECT_NE(sim.Cpu().simulationLog.Text().find(" at Addr 0050"), std::string::npos);
        EXPECT_EQ(sim.CycleCounter(), cycles);
        EXPECT_EQ(sim.StepCounter(), steps);
        EXPECT_FALSE(sim.Interrupts().inService[0]);
        for (int a = 0; a < 256; ++a)
            EXPECT_EQ(sim.Cpu().internal[a], memory[a]) << ToHexByte(static_cast<unsigned>(a));
    }
}

// --- the simulation log -----------------------------------------------------------

TEST(SimulationLogGrowth, SerialReportOnlyWhenTheSetUpChanges)
{
    Simulator sim(ChipModel::C8051);
    Put(sim, 0x0000, {0x75, 0x89, 0x20,   // MOV TMOD,#20H
                      0x75, 0x8D, 0xFD,   // MOV TH1,#0FDH
                      0xD2, 0x8E,         // SETB TR1
                      0x75, 0x98, 0x52,   // MOV SCON,#52H (mode 1, TI set)
                      0x30, 0x99, 0xFD,   // send: JNB TI,send
                      0xC2, 0x99,         // CLR TI
                      0x75, 0x98, 0x50,   // MOV SCON,#50H: same mode and baud
                      0xF5, 0x99,         // MOV SBUF,A
                      0x80, 0xF4});       // SJMP send
    Steps(sim, 20000);
    const std::string& log = sim.Cpu().simulationLog.Text();
    EXPECT_EQ(Count(log, "Serier Transition Mode 1"), 1) << log;
    EXPECT_LE(sim.Cpu().simulationLog.LineCount(), kSimulationLogLines);
    // A byte write that changes the baud rate reports again.
    Put(sim, 0x0100, {0x75, 0x8D, 0xFA});  // MOV TH1,#0FAH
    sim.Cpu().programCounter = 0x0100;
    sim.OneStep();
    EXPECT_EQ(Count(sim.Cpu().simulationLog.Text(), "Serier Transition Mode 1"), 2);
    EXPECT_EQ(sim.Cpu().simulationLog.Text().rfind("    Serier Transition Mode 1 \r\n    Baut Rate: 4800 BPS", 0), 0u);
}
