// Timers, serial transmit timing and interrupt entry, on the chip's register
// cells.
#include <gtest/gtest.h>

#include <string>

#include "core/interrupts.h"
#include "core/serial.h"
#include "core/timers.h"

using namespace zelo::core;

namespace {

std::string Byte(const CpuState& cpu, uint8_t address) { return cpu.PeekRamByteText(address); }

}  // namespace

TEST(TimerTest, RunningTimersCountMachineCycles)
{
    struct Case {
        const char* name;
        int timer;
        uint8_t tmod;
        uint8_t tl, th;
        int cycles;
        uint8_t tlAfter, thAfter;
        bool overflow;
    };
    const Case cases[] = {
        {"mode1 one cycle", 0, 0x01, 0xFE, 0x00, 1, 0xFF, 0x00, false},
        {"mode1 wrap steps TH", 0, 0x01, 0xFE, 0x00, 2, 0x00, 0x01, false},
        {"mode1 overflow", 0, 0x01, 0xFE, 0xFF, 2, 0x00, 0x00, true},
        {"mode1 four cycles", 0, 0x01, 0xFD, 0x12, 4, 0x01, 0x13, false},
        {"mode0 modulus 32", 0, 0x00, 0x1F, 0x00, 1, 0x00, 0x01, false},
        {"mode0 four cycles", 0, 0x00, 0x1E, 0x05, 4, 0x02, 0x06, false},
        {"mode0 overflow", 0, 0x00, 0x1F, 0xFF, 1, 0x00, 0x00, true},
        {"mode0 upper TL bits stay", 0, 0x00, 0xE0, 0x00, 3, 0xE3, 0x00, false},
        {"mode0 carry out of bit 4", 0, 0x00, 0x3F, 0x07, 1, 0x20, 0x08, false},
        {"mode0 13-bit overflow", 0, 0x00, 0xFE, 0xFF, 4, 0xE2, 0x00, true},
        {"mode2 counts", 0, 0x02, 0x10, 0xF0, 2, 0x12, 0xF0, false},
        {"mode2 reload exact", 0, 0x02, 0xFE, 0xF0, 2, 0xF0, 0xF0, true},
        {"mode2 reload and go on", 0, 0x02, 0xFF, 0xF0, 2, 0xF1, 0xF0, true},
        {"mode3 TL0 counts under TR0", 0, 0x33, 0x10, 0x20, 2, 0x12, 0x20, false},
        {"mode3 TL0 sets TF0", 0, 0x33, 0xFF, 0x20, 2, 0x01, 0x20, true},
        {"timer1 mode3 holds", 1, 0x30, 0x10, 0x20, 2, 0x10, 0x20, false},
        {"gate open: INT0 high", 0, 0x09, 0xFF, 0xFF, 2, 0x01, 0x00, true},
        {"timer1 mode1", 1, 0x10, 0xFF, 0xFF, 1, 0x00, 0x00, true},
        {"timer1 mode2", 1, 0x20, 0xFD, 0xFD, 4, 0xFE, 0xFD, true},
        {"timer1 gate open: INT1 high", 1, 0x90, 0x00, 0x00, 1, 0x01, 0x00, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        PeripheralState state;
        const uint8_t tl = c.timer == 0 ? sfr::TL0 : sfr::TL1;
        const uint8_t th = c.timer == 0 ? sfr::TH0 : sfr::TH1;
        const BitAddress tf = c.timer == 0 ? pbit::TF0 : pbit::TF1;
        cpu.StoreByte(c.tmod, sfr::TMOD);
        cpu.StoreByte(c.tl, tl);
        cpu.StoreByte(c.th, th);
        cpu.WriteBit(kBitOne, c.timer == 0 ? pbit::TR0 : pbit::TR1);
        TimerTick(cpu, state, c.cycles);
        EXPECT_EQ(Byte(cpu, tl), ToHexByte(c.tlAfter));
        EXPECT_EQ(Byte(cpu, th), ToHexByte(c.thAfter));
        EXPECT_EQ(cpu.ReadBit(tf), c.overflow ? kBitOne : kBitZero);
        // The other timer is stopped and untouched.
        EXPECT_EQ(Byte(cpu, c.timer == 0 ? sfr::TL1 : sfr::TL0), "00");
    }
}

TEST(TimerTest, StoppedTimerDoesNotCount)
{
    CpuState cpu;
    PeripheralState state;
    cpu.StoreByte(0x01, sfr::TMOD);
    cpu.StoreByte(0xFF, sfr::TL0);
    TimerTick(cpu, state, 4);
    EXPECT_EQ(Byte(cpu, sfr::TL0), "FF");
    EXPECT_FALSE(state.timerUsed[0]);
    EXPECT_TRUE(cpu.simulationLog.Empty());
}

TEST(TimerTest, ReloadCarriesTheCountsLeftAfterOverflow)
{
    struct Case {
        uint8_t tl, th;
        int n;
        uint8_t expected;
    };
    for (const Case c : {Case{0xFF, 0xF0, 24, 0xF7}, Case{0xE8, 0xF0, 24, 0xF0}, Case{0xFF, 0xFF, 3, 0xFF}}) {
        CpuState cpu;
        cpu.StoreByte(c.tl, sfr::TL1);
        cpu.StoreByte(c.th, sfr::TH1);
        ReloadTimer(cpu, c.n, 1);
        EXPECT_EQ(Byte(cpu, sfr::TL1), ToHexByte(c.expected));
        EXPECT_EQ(cpu.ReadBit(pbit::TF1), kBitOne);
    }
}

TEST(TimerTest, FirstAdvanceReportsTheSetupOnce)
{
    CpuState cpu;
    PeripheralState state;
    cpu.StoreByte(0x21, sfr::TMOD);  // timer 1 mode 2, timer 0 mode 1
    cpu.StoreByte(0x85, sfr::IE);    // EA, EX1, EX0
    cpu.WriteBit(kBitOne, pbit::IT0);
    cpu.WriteBit(kBitOne, pbit::TR0);
    TimerTick(cpu, state, 1);
    const std::string timer0 =
        "            Timer0: mode1\r\n"
        "      Type0: 計時\r\n"
        " Timer0Gate: 接受外部中斷(INT0)\r\n"
        "   Timer0IT: 下降負緣觸發(Falling Edge)\r\n"
        "------------------------------------\r\n";
    EXPECT_EQ(cpu.simulationLog.Text(), timer0);
    cpu.WriteBit(kBitOne, pbit::TR1);
    TimerTick(cpu, state, 1);
    const std::string timer1 =
        "     Timer1: mode2\r\n"
        "      Type1: 計時\r\n"
        " Timer1Gate: 接受外部中斷(INT1)\r\n"
        "   Timer1IT: 低準位觸發(Low Level)\r\n"
        "------------------------------------\r\n";
    EXPECT_EQ(cpu.simulationLog.Text(), timer1 + timer0);
    TimerTick(cpu, state, 1);
    EXPECT_EQ(cpu.simulationLog.Text(), timer1 + timer0);  // once per timer

    CpuState counter;
    PeripheralState fresh;
    counter.StoreByte(0x05, sfr::TMOD);  // counter, mode 1, EX0 = 0
    counter.WriteBit(kBitOne, pbit::TR0);
    TimerTick(counter, fresh, 1);
    EXPECT_EQ(counter.simulationLog.Text(),
              "            Timer0: mode1\r\n      Type0: 計數\r\n Timer0Gate: 不受外部中斷(INT0)\r\n"
              "   Timer0IT: \r\n------------------------------------\r\n");
}

TEST(SerialTest, CharacterTimeFollowsModeAndBaud)
{
    struct Case {
        int mode;
        bool smod;
        int th1;
        const char* baud;
        uint64_t cycles;
    };
    const Case cases[] = {
        {1, false, 0xFD, " 9600", 965},  {1, true, 0xFD, " 19200", 482},
        {3, false, 0xFA, " 4800", 2122}, {0, false, 0x00, " 921600", 8},
        {2, false, 0x00, " 172800", 59}, {2, true, 0x00, " 345600", 29},
        {1, false, 0xF3, " 2215.38461538462", 4180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baud);
        const SerialTiming t = ComputeSerialTiming(c.mode, c.smod, c.th1);
        EXPECT_EQ(ReportNumber(t.baud), c.baud);
        EXPECT_EQ(t.cycles, c.cycles);
    }
}

TEST(SerialTest, SconWriteReportsModeBaudAndCycles)
{
    CpuState cpu;
    PeripheralState state;
    InterruptState interrupts;
    cpu.StoreByte(0xFD, sfr::TH1);
    cpu.StoreByte(0x50, sfr::SCON);
    CurrentInstruction executed;
    executed.destination = {sfr::SCON, false};
    executed.NoteChanged(sfr::SCON);
    BeginPeripheralStep(cpu, state);
    ServiceInterrupts(cpu, state, interrupts, executed, 10);
    EXPECT_EQ(cpu.simulationLog.Text(),
              "    Serier Transition Mode 1 \r\n    Baut Rate: 9600 BPS\r\n    Machine Cycle: 965\r\n"
              "------------------------------------\r\n");
    EXPECT_EQ(state.transmitTime, 965u);
}

TEST(SerialTest, TiFollowsTheCharacterTimeOnEveryChip)
{
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052, ChipModel::C89Cx051}) {
        CpuState cpu(chip);
        PeripheralState state;
        InterruptState interrupts;
        state.transmitTime = 965;
        CurrentInstruction executed;
        executed.destination = {sfr::SBUF, false};
        BeginPeripheralStep(cpu, state);
        ServiceInterrupts(cpu, state, interrupts, executed, 100);
        EXPECT_TRUE(state.tiPending);
        CompleteTransmission(cpu, state, 1065);
        EXPECT_EQ(cpu.ReadBit(pbit::TI), kBitZero);
        CompleteTransmission(cpu, state, 1066);
        EXPECT_EQ(cpu.ReadBit(pbit::TI), kBitOne);
        cpu.WriteBit(kBitZero, pbit::TI);
        CompleteTransmission(cpu, state, 5000);  // one character sets TI once
        EXPECT_EQ(cpu.ReadBit(pbit::TI), kBitZero);
    }
}

TEST(InterruptTest, HighestLevelFirstThenChipOrder)
{
    struct Case {
        const char* name;
        uint8_t ie, ip, tcon, scon;
        bool lowInService, highInService;
        int entered;  // source, -1 for none
        uint8_t tconAfter;
    };
    const Case cases[] = {
        {"edge INT0 cleared", 0x81, 0x00, 0x03, 0x00, false, false, 0, 0x01},
        {"level INT0 follows the high pin", 0x81, 0x00, 0x02, 0x00, false, false, 0, 0x00},
        {"TF0 before TF1", 0x8A, 0x00, 0xA0, 0x00, false, false, 1, 0x80},
        {"high TF1 before low TF0", 0x8A, 0x08, 0xA0, 0x00, false, false, 3, 0x20},
        {"disabled source ignored", 0x88, 0x00, 0x20, 0x00, false, false, -1, 0x20},
        {"EA clear", 0x0A, 0x00, 0xA0, 0x00, false, false, -1, 0xA0},
        {"low waits for low", 0x82, 0x00, 0x20, 0x00, true, false, -1, 0x20},
        {"high interrupts low", 0x82, 0x02, 0x20, 0x00, true, false, 1, 0x00},
        {"high waits for high", 0x82, 0x02, 0x20, 0x00, false, true, -1, 0x20},
        {"serial RI stays", 0x90, 0x00, 0x00, 0x01, false, false, 4, 0x00},
        {"serial TI stays", 0x90, 0x00, 0x00, 0x02, false, false, 4, 0x00},
        {"INT1 edge", 0x84, 0x00, 0x0C, 0x00, false, false, 2, 0x04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        PeripheralState state;
        InterruptState interrupts;
        interrupts.inService = {c.lowInService, c.highInService};
        cpu.StoreByte(c.ie, sfr::IE);
        cpu.StoreByte(c.ip, sfr::IP);
        cpu.StoreByte(c.tcon, sfr::TCON);
        cpu.StoreByte(c.scon, sfr::SCON);
        cpu.programCounter = 0x1234;
        BeginPeripheralStep(cpu, state);  // IE/IP written before this step
        CurrentInstruction nop;
        const InterruptEntry entry = ServiceInterrupts(cpu, state, interrupts, nop, 10);
        EXPECT_EQ(entry.entered ? entry.source : -1, c.entered);
        EXPECT_EQ(Byte(cpu, sfr::TCON), ToHexByte(c.tconAfter));
        EXPECT_EQ(Byte(cpu, sfr::SCON), ToHexByte(c.scon));
        if (c.entered >= 0) {
            EXPECT_EQ(cpu.programCounter, kInterruptVectors[static_cast<std::size_t>(c.entered)]);
            EXPECT_EQ(Byte(cpu, sfr::SP), "09");
            EXPECT_EQ(Byte(cpu, 0x08), "34");
            EXPECT_EQ(Byte(cpu, 0x09), "12");
            EXPECT_TRUE(interrupts.inService[static_cast<std::size_t>(entry.level)]);
        } else {
            EXPECT_EQ(cpu.programCounter, 0x1234);
            EXPECT_EQ(Byte(cpu, sfr::SP), "07");
        }
    }
}

TEST(InterruptTest, NoEntryRightAfterRetiOrIeIpWrite)
{
    struct Case {
        const char* name;
        uint8_t b0;
        int destination;
        bool writeIpDuringStep;
    };
    for (const Case c : {Case{"RETI", 0x32, -1, false}, Case{"MOV IE,#", 0x75, sfr::IE, false},
                         Case{"MOV IP,#", 0x75, sfr::IP, false}, Case{"SETB PT0", 0xD2, -1, true}}) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        PeripheralState state;
        InterruptState interrupts;
        cpu.StoreByte(0x82, sfr::IE);
        cpu.WriteBit(kBitOne, pbit::TF0);
        BeginPeripheralStep(cpu, state);
        if (c.writeIpDuringStep) cpu.WriteBit(kBitOne, BitAddress{sfr::IP, 1});
        CurrentInstruction executed;
        executed.b0 = c.b0;
        executed.destination = {c.destination, false};
        EXPECT_FALSE(ServiceInterrupts(cpu, state, interrupts, executed, 10).entered);
        // The next instruction is followed by the entry.
        BeginPeripheralStep(cpu, state);
        CurrentInstruction nop;
        EXPECT_TRUE(ServiceInterrupts(cpu, state, interrupts, nop, 11).entered);
    }
}

TEST(InterruptTest, TimerTwoAndItsFlagsOnlyOnTheChipThatHasThem)
{
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052}) {
        CpuState cpu(chip);
        PeripheralState state;
        InterruptState interrupts;
        cpu.StoreByte(0xA0, sfr::IE);  // EA, ET2
        if (chip == ChipModel::C8052) cpu.WriteBit(kBitOne, pbit::TF2);
        BeginPeripheralStep(cpu, state);
        CurrentInstruction nop;
        const InterruptEntry entry = ServiceInterrupts(cpu, state, interrupts, nop, 10);
        EXPECT_EQ(entry.entered, chip == ChipModel::C8052);
        if (entry.entered) {
            EXPECT_EQ(cpu.programCounter, 0x002B);
            EXPECT_EQ(cpu.ReadBit(pbit::TF2), kBitOne);  // left for the program
        }
    }
}

TEST(InterruptTest, EntryPushesThroughTheStackPath)
{
    // 8052: above 7FH the stack is the upper RAM, not the SFRs.
    CpuState c52(ChipModel::C8052);
    InterruptState interrupts;
    c52.StoreByte(0x7F, sfr::SP);
    c52.programCounter = 0xABCD;
    EnterInterrupt(c52, interrupts, 0, 0x000B);
    EXPECT_EQ(Byte(c52, sfr::SP), "81");
    EXPECT_EQ(c52.ReadIndirectByte(0x80).value_or(0), 0xCD);
    EXPECT_EQ(c52.ReadIndirectByte(0x81).value_or(0), 0xAB);
    EXPECT_EQ(Byte(c52, sfr::P0), "FF");
    EXPECT_FALSE(c52.StopRequested());

    // 8051: a stack beyond 7FH stops the run.
    CpuState c51(ChipModel::C8051);
    c51.StoreByte(0x7E, sfr::SP);
    EnterInterrupt(c51, interrupts, 1, 0x0003);
    EXPECT_EQ(c51.PendingStop(), StopReason::Stack);
    EXPECT_EQ(c51.simulationLog.Text(), kStackLimitMessage);
    EXPECT_TRUE(interrupts.inService[1]);
}

TEST(InterruptTest, EnabledSourcesAreReportedOnceEaIsSet)
{
    CpuState cpu;
    PeripheralState state;
    InterruptState interrupts;
    cpu.StoreByte(0x09, sfr::IE);  // EX0, ET1, EA still 0
    cpu.StoreByte(0x08, sfr::IP);
    CurrentInstruction nop;
    BeginPeripheralStep(cpu, state);
    ServiceInterrupts(cpu, state, interrupts, nop, 1);
    EXPECT_TRUE(cpu.simulationLog.Empty());
    cpu.WriteBit(kBitOne, pbit::EA);
    ServiceInterrupts(cpu, state, interrupts, nop, 2);
    const std::string report =
        "   Timer1 Interrupt enabled ==> IP:1\r\n     INT0 Interrupt enabled ==> IP:0\r\n"
        "------------------------------------\r\n";
    EXPECT_EQ(cpu.simulationLog.Text(), report);
    ServiceInterrupts(cpu, state, interrupts, nop, 3);
    EXPECT_EQ(cpu.simulationLog.Text(), report);
    EXPECT_EQ(state.serviceOrder, (std::array<uint8_t, 6>{3, 0, 1, 2, 4, 5}));
}

TEST(InterruptTest, LogIsKeptForTheStepThatWroteIt)
{
    // Before anything was reported, each step starts with an empty log, but a
    // stop message written during the step survives the timers and interrupts.
    CpuState cpu;
    PeripheralState state;
    InterruptState interrupts;
    cpu.simulationLog.Replace("old");
    BeginPeripheralStep(cpu, state);
    EXPECT_TRUE(cpu.simulationLog.Empty());
    cpu.ReadRamByte(0x30);  // undefined: stop message
    TimerTick(cpu, state, 1);
    CurrentInstruction nop;
    ServiceInterrupts(cpu, state, interrupts, nop, 1);
    EXPECT_NE(cpu.simulationLog.Text().find(" there is a x-bit in Ram 30."), std::string::npos);
}
