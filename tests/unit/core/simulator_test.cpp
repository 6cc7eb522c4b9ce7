// Step and run control: whole programs run to a stop, display and stop-step
// rules, step-over, batches, interrupts entered between instructions.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/simulator.h"

using namespace zelo::core;

namespace {

void Put(Simulator& sim, uint16_t address, std::initializer_list<int> bytes)
{
    for (int b : bytes) sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
}

std::string Byte(const Simulator& sim, uint8_t address) { return sim.Cpu().PeekRamByteText(address); }

// Runs until a stop or maxSteps, one ExecuteStep at a time while running.
StopReason RunToStop(Simulator& sim, int maxSteps = 100000)
{
    sim.ToggleRun();
    StopReason reason = StopReason::None;
    for (int i = 0; i < maxSteps && sim.Running(); ++i) reason = sim.ExecuteStep().stopReason;
    if (sim.Running()) sim.ToggleRun();
    return reason;
}

}  // namespace

TEST(SimulatorTest, SumLoopRunsToMissingCode)
{
    Simulator sim;
    // MOV A,#0; MOV R0,#10; loop: ADD A,R0; DJNZ R0,loop; MOV 30H,A
    Put(sim, 0x0000, {0x74, 0x00, 0x78, 0x0A, 0x28, 0xD8, 0xFD, 0xF5, 0x30});
    EXPECT_EQ(RunToStop(sim), StopReason::NoCode);
    EXPECT_EQ(Byte(sim, 0x30), "37");  // 55
    EXPECT_EQ(Byte(sim, 0xE0), "37");
    EXPECT_EQ(Byte(sim, 0x00), "00");
    EXPECT_EQ(sim.ProgramCounter(), 0x0009);
    EXPECT_EQ(sim.StepCounter(), 23u);
    EXPECT_EQ(sim.CycleCounter(), 2u + 10 * 3 + 1);
    EXPECT_FALSE(sim.Running());
}

TEST(SimulatorTest, StepOnMissingCodeChangesNothing)
{
    Simulator sim;
    Put(sim, 0x0000, {0x00});  // NOP, then nothing loaded
    StepReport first = sim.OneStep();
    EXPECT_TRUE(first.executed);
    EXPECT_EQ(first.executedTrace.substr(0, 12), "00       NOP");
    EXPECT_EQ(first.nextTrace.substr(0, 17), "xx       --STOP--");
    const StepReport stop = sim.OneStep();
    EXPECT_FALSE(stop.executed);
    EXPECT_EQ(stop.stopReason, StopReason::NoCode);
    EXPECT_EQ(sim.ProgramCounter(), 1);
    EXPECT_EQ(sim.StepCounter(), 1u);
    EXPECT_EQ(sim.CycleCounter(), 1u);
    EXPECT_EQ(sim.Cpu().codeMemory[1].Text(), "xx");
}

TEST(SimulatorTest, InstructionWithUnloadedOperandOrUndefinedOpcodeDoesNotRun)
{
    for (int opcode : {0xA5, 0x74}) {  // undefined opcode; MOV A,# whose data byte is missing
        Simulator sim;
        Put(sim, 0x0000, {opcode});
        EXPECT_EQ(sim.OneStep().stopReason, StopReason::NoCode);
        EXPECT_EQ(sim.StepCounter(), 0u);
        EXPECT_EQ(sim.ProgramCounter(), 0);
    }
}

TEST(SimulatorTest, LowerCaseCodeIsUpperCasedByTheFetch)
{
    Simulator sim;
    sim.Cpu().codeMemory[0] = HexCell::FromText("e4");  // CLR A
    sim.OneStep();
    EXPECT_EQ(sim.Cpu().codeMemory[0].Text(), "E4");
    EXPECT_EQ(Byte(sim, 0xE0), "00");
}

TEST(SimulatorTest, StopAtStepShowsOnlyTheLastStepsOfARun)
{
    Simulator sim;
    Put(sim, 0x0000, {0x80, 0xFE});  // SJMP $
    sim.SetTextStop("5");
    sim.ToggleRun();
    EXPECT_FALSE(sim.DisplayFlag());
    struct Expect {
        bool counters, views, ended;
    };
    const Expect expected[] = {{false, false, false}, {false, false, false}, {false, false, false},
                               {false, true, false},  {true, true, true}};
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        const StepReport r = sim.ExecuteStep();
        EXPECT_EQ(r.countersShown, expected[step - 1].counters);
        EXPECT_EQ(r.viewsRefreshed, expected[step - 1].views);
        EXPECT_EQ(r.runEnded, expected[step - 1].ended);
        EXPECT_EQ(r.executedTrace.empty(), !expected[step - 1].counters);
    }
    EXPECT_FALSE(sim.Running());
    EXPECT_EQ(sim.StepCounter(), 5u);
    EXPECT_EQ(sim.CycleCounter(), 10u);
    EXPECT_TRUE(sim.DisplayFlag());
}

TEST(SimulatorTest, TextStopThatIsNotANumberBecomesZero)
{
    struct Case {
        const char* text;
        int64_t stop;
        bool rewritten;
    };
    for (const Case c : {Case{"abc", 0, true}, Case{"", 0, true}, Case{" 12 ", 12, false}, Case{"0", 0, false},
                         Case{"7x", 0, true}}) {
        SCOPED_TRACE(c.text);
        Simulator sim;
        sim.SetTextStop(c.text);
        const StepReport r = sim.ToggleRun();
        EXPECT_EQ(sim.StopAtStep(), c.stop);
        EXPECT_EQ(r.textStop.has_value(), c.rewritten);
        if (c.rewritten) {
            EXPECT_EQ(sim.TextStop(), "0");
        }
        EXPECT_EQ(sim.DisplayFlag(), c.stop == 0);
    }
}

TEST(SimulatorTest, BatchRunsUndisplayedStepsUntilTheShownOnes)
{
    Simulator sim;
    Put(sim, 0x0000, {0x80, 0xFE});
    sim.SetTextStop("1000");
    sim.ToggleRun();
    StepReport r = sim.RunBatch(100000);
    EXPECT_EQ(r.stepsExecuted, 999);  // the step before the stop refreshes the views
    EXPECT_TRUE(r.viewsRefreshed);
    EXPECT_TRUE(sim.Running());
    r = sim.RunBatch(100000);
    EXPECT_EQ(r.stepsExecuted, 1);
    EXPECT_TRUE(r.runEnded);
    EXPECT_EQ(r.stopReason, StopReason::StepCount);
    EXPECT_EQ(sim.StepCounter(), 1000u);
    EXPECT_EQ(sim.RunBatch(10).stepsExecuted, 0);  // not running

    // A displayed run (no stop step) returns after every step.
    sim.SetTextStop("0");
    sim.ToggleRun();
    EXPECT_EQ(sim.RunBatch(50).stepsExecuted, 1);
}

TEST(SimulatorTest, RunStoppedByMissingCodeShowsWhereItStopped)
{
    Simulator sim;
    Put(sim, 0x0000, {0x00, 0x00, 0x00});
    sim.SetTextStop("100");
    sim.ToggleRun();
    StepReport r = sim.RunBatch(100);
    EXPECT_TRUE(r.runEnded);
    EXPECT_EQ(r.stopReason, StopReason::NoCode);
    EXPECT_EQ(r.stepsExecuted, 3);
    EXPECT_TRUE(r.viewsRefreshed);
    EXPECT_TRUE(r.countersShown);
    EXPECT_TRUE(sim.DisplayFlag());
}

TEST(SimulatorTest, StepOverHidesTheChosenSubroutine)
{
    Simulator sim;
    // 0000: LCALL 0010; SJMP $      0010: INC A; INC A; RET
    Put(sim, 0x0000, {0x74, 0x00, 0x12, 0x00, 0x10, 0x80, 0xFE});
    Put(sim, 0x0010, {0x04, 0x04, 0x22});
    sim.SetStepOverTable({{"OTHER", 0x0040, 0x0041}, {"SUB", 0x0010, 0x0012}});
    sim.ChooseStepOverRows({1});
    EXPECT_EQ(sim.StepOverRangeCount(), 1);
    std::vector<bool> shown;
    for (int i = 0; i < 6; ++i) shown.push_back(sim.OneStep().countersShown);
    EXPECT_EQ(shown, (std::vector<bool>{true, true, false, false, true, true}));
    EXPECT_EQ(Byte(sim, 0xE0), "02");
    EXPECT_EQ(sim.ProgramCounter(), 0x0005);
}

TEST(SimulatorTest, UndefinedReadStopsTheRunWithItsMessage)
{
    Simulator sim;
    Put(sim, 0x0000, {0x00, 0x25, 0x30, 0x00});  // NOP; ADD A,30H (never written)
    EXPECT_EQ(RunToStop(sim), StopReason::UndefinedBit);
    EXPECT_EQ(sim.StepCounter(), 1u);  // the failing ADD has not happened
    EXPECT_EQ(sim.ProgramCounter(), 0x0001);
    EXPECT_EQ(sim.Cpu().simulationLog.Text(),
              "-------------------------------\r\n When execute the Instruction code 25\r\n"
              " at Addr 0001\r\n there is a x-bit in Ram 30.\r\n");
}

TEST(SimulatorTest, StackBeyondInternalRamStopsTheRun)
{
    Simulator sim;
    // MOV SP,#7FH; LCALL 0100
    Put(sim, 0x0000, {0x75, 0x81, 0x7F, 0x12, 0x01, 0x00});
    Put(sim, 0x0100, {0x00});
    EXPECT_EQ(RunToStop(sim), StopReason::Stack);
    EXPECT_EQ(sim.Cpu().simulationLog.Text(), kStackLimitMessage);
}

TEST(SimulatorTest, TimerInterruptsCountOverflowsAndEntryTakesTwoCycles)
{
    Simulator sim;
    Put(sim, 0x0000, {0x02, 0x00, 0x30});  // LJMP 0030
    Put(sim, 0x000B, {0x05, 0x40, 0x32});  // INC 40H; RETI
    Put(sim, 0x0030, {0x75, 0x40, 0x00,    // MOV 40H,#0
                      0x75, 0x89, 0x02,    // MOV TMOD,#02 (timer 0, mode 2)
                      0x75, 0x8C, 0x00,    // MOV TH0,#0 (period 256)
                      0x75, 0x8A, 0x00,    // MOV TL0,#0
                      0x75, 0xA8, 0x82,    // MOV IE,#82H
                      0xD2, 0x8C,          // SETB TR0
                      0x80, 0xFE});        // SJMP $
    uint64_t instructionCycles = 0;
    int entries = 0;
    for (int i = 0; i < 5000; ++i) {
        const StepReport r = sim.OneStep();
        instructionCycles += sim.Current().row->cycles;
        entries += r.interruptEntered;
    }
    EXPECT_EQ(sim.CycleCounter(), instructionCycles + 2u * entries);
    // The timer counts every machine cycle from SETB TR0 on (12 cycles into
    // the program) and overflows every 256; an overflow in the last steps may
    // still wait for its entry.
    const uint64_t counted = sim.CycleCounter() - 12;
    EXPECT_GT(entries, 30);
    EXPECT_NEAR(static_cast<double>(entries), static_cast<double>(counted / 256), 1.0);
    EXPECT_EQ(Byte(sim, 0x40), ToHexByte(static_cast<unsigned>(entries & 0xFF)));
}

TEST(SimulatorTest, LevelInterruptSetByTheProgramIsEnteredOnce)
{
    Simulator sim;
    Put(sim, 0x0000, {0x02, 0x00, 0x30});  // LJMP 0030
    Put(sim, 0x0003, {0x05, 0x42, 0x32});  // INC 42H; RETI
    Put(sim, 0x0030, {0x75, 0x41, 0x00,    // MOV 41H,#0
                      0x75, 0x42, 0x00,    // MOV 42H,#0
                      0x75, 0xA8, 0x81,    // MOV IE,#81H (IT0 = 0: level)
                      0xD2, 0x89,          // SETB IE0
                      0x05, 0x41,          // loop: INC 41H
                      0x80, 0xFC});        // SJMP loop
    std::vector<uint16_t> pcs;
    for (int i = 0; i < 10; ++i) {
        sim.OneStep();
        pcs.push_back(sim.ProgramCounter());
    }
    // The entry follows SETB IE0 in the same step; the INT0 pin is high, so
    // IE0 reads 0 from then on and RETI returns for good.
    const std::vector<uint16_t> expected = {0x0030, 0x0033, 0x0036, 0x0039, 0x0003, 0x0005,
                                           0x003B, 0x003D, 0x003B, 0x003D};
    EXPECT_EQ(pcs, expected);
    EXPECT_EQ(Byte(sim, 0x42), "01");
    EXPECT_EQ(sim.Cpu().ReadBit(pbit::IE0), kBitZero);
}

TEST(SimulatorTest, CharacterSentOnThe8051SetsTi)
{
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052, ChipModel::C89Cx051}) {
        Simulator sim(chip);
        Put(sim, 0x0000, {0x75, 0x89, 0x20,   // MOV TMOD,#20H
                          0xD2, 0x8E,         // SETB TR1
                          0x75, 0x8D, 0xFD,   // MOV TH1,#0FDH
                          0x75, 0x98, 0x40,   // MOV SCON,#40H (mode 1)
                          0x75, 0x99, 0x41,   // MOV SBUF,#'A'
                          0x30, 0x99, 0xFD,   // JNB TI,$
                          0xC2, 0x99});       // CLR TI
        EXPECT_EQ(RunToStop(sim), StopReason::NoCode);
        EXPECT_EQ(sim.Cpu().ReadBit(BitAddress{0x98, 1}), kBitZero);
        // SBUF written at cycle 9; TI set after the step ending at cycle 975
        // (more than 965 cycles later); one more JNB and the CLR.
        EXPECT_EQ(sim.CycleCounter(), 978u);
        EXPECT_EQ(sim.Cpu().simulationLog.Text().rfind("    Serier Transition Mode 1 \r\n", 0), 0u);
    }
}

TEST(SimulatorTest, ResetForLoadStartsAgainButNotDuringARun)
{
    Simulator sim;
    Put(sim, 0x0000, {0x74, 0x12, 0x80, 0xFE});
    sim.OneStep();
    sim.OneStep();
    sim.ToggleRun();
    EXPECT_FALSE(sim.ResetForLoad());
    EXPECT_EQ(Byte(sim, 0xE0), "12");
    sim.ToggleRun();
    EXPECT_TRUE(sim.ResetForLoad());
    EXPECT_EQ(Byte(sim, 0xE0), "00");
    EXPECT_EQ(sim.StepCounter(), 0u);
    EXPECT_EQ(sim.CycleCounter(), 0u);
    EXPECT_EQ(sim.ProgramCounter(), 0);
    EXPECT_EQ(Simulator::PcCaption(sim.ProgramCounter()), "PC:0000");
}

TEST(SimulatorTest, ProgramCounterWrapsAtTheTopOfMemory)
{
    Simulator sim;
    Put(sim, 0xFFFF, {0x00});
    Put(sim, 0x0000, {0x00});
    sim.Cpu().programCounter = 0xFFFF;
    sim.OneStep();
    EXPECT_EQ(sim.ProgramCounter(), 0x0000);
}
