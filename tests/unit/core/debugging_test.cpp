// Breakpoints, watches, the call stack and step back, on whole programs.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/simulator.h"

using namespace zelo::core;

namespace {

void Put(Simulator& sim, uint16_t address, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
}

// A main loop that fills external RAM from 0100H and RAM 40H-5FH, calls a
// subroutine that writes SBUF, while timer 0 (mode 2, every 16 cycles)
// interrupts it; the handler switches register banks and pushes.
void LoadTimerProgram(Simulator& sim)
{
    Put(sim, 0x0000, {0x02, 0x00, 0x30});  // LJMP 0030H
    Put(sim, 0x000B,
        {0x05, 0x31, 0xB2, 0x90, 0x75, 0xD0, 0x08,         // INC 31H; CPL P1.0; MOV PSW,#08H
         0xC0, 0xE0, 0xD0, 0xE0, 0x75, 0xD0, 0x00,         // PUSH ACC; POP ACC; MOV PSW,#00H
         0x32});                                           // RETI
    Put(sim, 0x0030, {0x75, 0x31, 0x00, 0x75, 0x81, 0x50,  // MOV 31H,#0; MOV SP,#50H
                      0x75, 0x89, 0x02, 0x75, 0x8C, 0xF0,  // MOV TMOD,#02H; MOV TH0,#0F0H
                      0x75, 0x8A, 0xF0, 0x75, 0xA8, 0x82,  // MOV TL0,#0F0H; MOV IE,#82H
                      0xD2, 0x8C, 0x90, 0x01, 0x00,        // SETB TR0; MOV DPTR,#0100H
                      0x74, 0x00, 0x78, 0x40});            // MOV A,#0; MOV R0,#40H
    Put(sim, 0x004B,
        {0xF0, 0xA3, 0xF6, 0x08, 0x04,  // LOOP: MOVX @DPTR,A; INC DPTR; MOV @R0,A; INC R0; INC A
         0x11, 0x80, 0xB8, 0x60, 0xF6,  // ACALL SUB; CJNE R0,#60H,LOOP
         0x78, 0x40, 0x80, 0xF2});      // MOV R0,#40H; SJMP LOOP
    Put(sim, 0x0080, {0xF5, 0x32, 0xF5, 0x99, 0x22});  // SUB: MOV 32H,A; MOV SBUF,A; RET
}

struct Snapshot
{
    std::array<CpuState::ByteCells, 256> internal;
    std::array<CpuState::ByteCells, 128> upper;
    uint16_t pc;
    uint64_t cycles, steps;
    PeripheralState peripherals;
    InterruptState interrupts;
    std::string log;
    int callDepth;
    std::array<uint8_t, 8> registerAddress;
    std::array<std::string, 32> labels;
    std::vector<HexCell> external;  // only in every 500th snapshot
};

Snapshot Take(const Simulator& sim, bool withExternal)
{
    const CpuState& cpu = sim.Cpu();
    Snapshot s{cpu.internal,
               cpu.upperRam,
               sim.ProgramCounter(),
               sim.CycleCounter(),
               sim.StepCounter(),
               sim.Peripherals(),
               sim.Interrupts(),
               cpu.simulationLog.Text(),
               sim.Calls().Depth(),
               cpu.registerAddress,
               {},
               {}};
    for (std::size_t a = 0; a < 32; ++a) s.labels[a] = cpu.addressLabel[a];
    if (withExternal) s.external = cpu.externalMemory;
    return s;
}

void ExpectSame(const Snapshot& want, const Snapshot& got, std::size_t step)
{
    SCOPED_TRACE("step " + std::to_string(step));
    for (int a = 0; a < 256; ++a)
        ASSERT_EQ(std::string(want.internal[a].data(), 8), std::string(got.internal[a].data(), 8))
            << "address " << a;
    ASSERT_EQ(want.upper, got.upper);
    ASSERT_EQ(want.pc, got.pc);
    ASSERT_EQ(want.cycles, got.cycles);
    ASSERT_EQ(want.steps, got.steps);
    ASSERT_TRUE(want.peripherals == got.peripherals);
    ASSERT_TRUE(want.interrupts == got.interrupts);
    ASSERT_EQ(want.log, got.log);
    ASSERT_EQ(want.callDepth, got.callDepth);
    ASSERT_EQ(want.registerAddress, got.registerAddress);
    ASSERT_EQ(want.labels, got.labels);
    if (!want.external.empty()) {
        for (std::size_t a = 0; a < want.external.size(); ++a)
            ASSERT_EQ(want.external[a].Text(), got.external[a].Text()) << "external " << a;
    }
}

StepReport RunUntilStop(Simulator& sim, int batch)
{
    StepReport report;
    for (int i = 0; i < 100000 && sim.Running(); ++i) report = sim.RunBatch(batch);
    return report;
}

}  // namespace

TEST(StepBackTest, TimerInterruptProgramStepsBackCellForCell)
{
    Simulator sim;
    LoadTimerProgram(sim);
    sim.SetRecording(true);
    constexpr std::size_t kSteps = 10000;
    std::vector<Snapshot> forward;
    forward.reserve(kSteps);
    int interrupts = 0;
    for (std::size_t i = 0; i < kSteps; ++i) {
        forward.push_back(Take(sim, i % 500 == 0));
        const StepReport report = sim.OneStep();
        ASSERT_TRUE(report.executed) << "step " << i;
        interrupts += report.interruptEntered;
    }
    ASSERT_GT(interrupts, 100);  // the handler and its bank switch ran many times
    EXPECT_EQ(sim.Journal().Depth(), kSteps);
    for (std::size_t i = kSteps; i-- > 0;) {
        ASSERT_TRUE(sim.StepBack());
        ExpectSame(forward[i], Take(sim, i % 500 == 0), i);
    }
    EXPECT_FALSE(sim.StepBack());
    // Forward again from the start gives the same run.
    for (int i = 0; i < 2000; ++i) sim.OneStep();
    sim.SetRecording(false);
}

TEST(StepBackTest, WorksAfterARunAndKeepsOnlyTheNewestSteps)
{
    Simulator sim;
    LoadTimerProgram(sim);
    sim.SetRecording(true);
    sim.SetTextStop("3000");
    sim.ToggleRun();
    RunUntilStop(sim, 4096);
    ASSERT_EQ(sim.StepCounter(), 3000u);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(sim.StepBack());
    EXPECT_EQ(sim.StepCounter(), 2000u);
    // A load forgets the history.
    sim.ResetForLoad();
    EXPECT_FALSE(sim.StepBack());
}

TEST(StepBackTest, JournalDropsTheOldestStepsBeyondItsBudget)
{
    StepJournal journal(100, 1000);  // rounded up to 128 steps, dropped one at a time
    Simulator sim;
    CpuState& cpu = sim.Cpu();
    PeripheralState peripherals;
    InterruptState interrupts;
    CallStack calls;
    journal.Start(cpu, peripherals, interrupts);
    for (int i = 0; i < 250; ++i) {
        journal.BeginStep(cpu, 0, true);
        cpu.BeginStepRecord();
        cpu.WriteRamByte(static_cast<uint8_t>(i), 0x30);
        journal.EndStep(cpu, peripherals, interrupts, 1);
    }
    EXPECT_EQ(journal.Depth(), 128u);
    for (int i = 0; i < 128; ++i) ASSERT_TRUE(journal.Undo(cpu, peripherals, interrupts, calls));
    EXPECT_EQ(cpu.PeekRamByteText(0x30), "79");  // the value before step 122
    EXPECT_FALSE(journal.Undo(cpu, peripherals, interrupts, calls));
}

TEST(BreakpointTest, RunStopsBeforeABreakpointButNotWhenStartingOnIt)
{
    for (const bool displayed : {true, false}) {
        SCOPED_TRACE(displayed ? "displayed" : "undisplayed");
        Simulator sim;
        LoadTimerProgram(sim);
        sim.Breakpoints().Set(0x0080, true);  // SUB
        sim.SetTextStop(displayed ? "0" : "1000000");
        sim.ToggleRun();
        StepReport report = RunUntilStop(sim, displayed ? 1 : 4096);
        EXPECT_EQ(report.stopReason, StopReason::Break);
        EXPECT_EQ(report.stopAddress, 0x0080);
        EXPECT_TRUE(report.runEnded);
        EXPECT_EQ(sim.ProgramCounter(), 0x0080);
        EXPECT_EQ(sim.Cpu().PeekRamByteText(0x32), "xx");  // MOV 32H,A has not happened
        const uint64_t firstStop = sim.StepCounter();
        // Starting on the breakpoint executes it, and the loop comes back.
        sim.ToggleRun();
        report = RunUntilStop(sim, displayed ? 1 : 4096);
        EXPECT_EQ(report.stopReason, StopReason::Break);
        EXPECT_EQ(sim.ProgramCounter(), 0x0080);
        EXPECT_GT(sim.StepCounter(), firstStop);
    }
}

TEST(BreakpointTest, RunToLineStopsOnceAndSingleStepsIgnoreBreakpoints)
{
    Simulator sim;
    LoadTimerProgram(sim);
    sim.Breakpoints().Set(0x004E, true);
    for (int i = 0; i < 30; ++i) sim.OneStep();  // OneStep runs through breakpoints
    sim.SetRunTo(0x0057);
    sim.Breakpoints().Set(0x004E, false);
    sim.ToggleRun();
    EXPECT_EQ(RunUntilStop(sim, 4096).stopReason, StopReason::Break);
    EXPECT_EQ(sim.ProgramCounter(), 0x0057);
    EXPECT_FALSE(sim.RunTo());
    EXPECT_EQ(sim.Breakpoints().Toggle(0x1234), true);
    EXPECT_EQ(sim.Breakpoints().Addresses(), (std::vector<uint16_t>{0x1234}));
}

TEST(WatchTest, StopsWhenAWatchedCellIsWrittenOrTakesItsValue)
{
    struct Case
    {
        const char* watch;
        uint16_t writer;  // the instruction that hit, 0 for none
        const char* why;
    };
    const Case cases[] = {
        {"32H", 0x0080, "MOV 32H,A in SUB writes it"},
        {"32H=03", 0x0080, "the third call leaves 3"},
        {"P1.0", 0x000D, "CPL P1.0 in the handler"},
        {"P1.1", 0, "no instruction writes P1.1"},
        {"X:0102H", 0x004B, "MOVX writes the third external byte"},
        {"D0.3=1", 0x000F, "MOV PSW,#08H sets RS0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        Simulator sim;
        LoadTimerProgram(sim);
        const auto watch = ParseWatch(c.watch, &sim.Cpu());
        ASSERT_TRUE(watch);
        ASSERT_TRUE(sim.AddWatch(*watch));
        sim.SetTextStop("3000");
        sim.ToggleRun();
        const StepReport report = RunUntilStop(sim, 4096);
        if (c.writer == 0) {
            EXPECT_EQ(report.stopReason, StopReason::StepCount);
            continue;
        }
        EXPECT_EQ(report.stopReason, StopReason::Watch);
        EXPECT_EQ(report.watchIndex, 0);
        EXPECT_EQ(sim.Current().address, c.writer);
        if (watch->value) {
            EXPECT_EQ(WatchedValue(sim.Cpu(), *watch), watch->value);
        }
    }
}

TEST(WatchTest, TextForms)
{
    const CpuState cpu;
    const struct
    {
        const char* text;
        const char* canonical;  // "" when it is refused
    } cases[] = {
        {"30", "30H"},
        {"30h", "30H"},
        {"0x7f=0a", "7FH=0AH"},
        {"X:100", "X:0100H"},
        {"x:FFFFH=5", "X:FFFFH=05H"},
        {"D0.7", "D0.7"},
        {"ACC.7=1", "E0.7=1"},
        {"P1", "90H"},
        {"SP=30", "81H=30H"},
        {"20.0=0", "20.0"},
        {"31.0", ""},
        {"D1.0", ""},
        {"20.0=2", ""},
        {"100", ""},
        {"X:10000", ""},
        {"30=", ""},
        {"", ""},
        {"ZZ", ""},
    };
    for (const auto& c : cases) {
        const auto watch = ParseWatch(c.text, &cpu);
        if (*c.canonical == '\0') {
            EXPECT_FALSE(watch) << c.text;
            continue;
        }
        ASSERT_TRUE(watch) << c.text;
        // "=0" on a bit is a chosen value even though it reads like nothing.
        const std::string expected = std::string(c.text) == "20.0=0" ? "20.0=0" : c.canonical;
        EXPECT_EQ(WatchText(*watch), expected) << c.text;
        EXPECT_EQ(ParseWatch(WatchText(*watch)), watch) << c.text;
    }
}

TEST(CallStackTest, CallsAndInterruptsInProgressNewestFirst)
{
    Simulator sim;
    LoadTimerProgram(sim);
    // Run until the handler interrupts the subroutine.
    bool found = false;
    for (int i = 0; i < 20000 && !found; ++i) {
        sim.OneStep();
        const auto live = sim.Calls().Live(
            static_cast<uint8_t>(ParseHexByteValue(sim.Cpu().PeekRamByteText(sfr::SP))));
        if (live.size() == 2 && live[0].interrupt) {
            found = true;
            EXPECT_EQ(live[0].target, 0x000B);
            EXPECT_GE(live[0].returnAddress, 0x0080);
            EXPECT_LE(live[0].returnAddress, 0x0084);
            EXPECT_FALSE(live[1].interrupt);
            EXPECT_EQ(live[1].returnAddress, 0x0052);
            EXPECT_EQ(live[1].target, 0x0080);
        }
        // Never deeper than the subroutine and one handler.
        ASSERT_LE(sim.Calls().Depth(), 2);
    }
    EXPECT_TRUE(found);
}
