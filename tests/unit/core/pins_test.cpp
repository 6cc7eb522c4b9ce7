// Port pins against latches, external interrupts and timers driven from the
// pins, and Timer 2.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/input_script.h"
#include "core/simulator.h"
#include "core/timer2.h"
#include "core/timers.h"

using namespace zelo::core;

namespace {

void Put(Simulator& sim, uint16_t address, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
}

std::string Byte(const Simulator& sim, uint8_t address)
{
    return sim.Cpu().PeekRamByteText(address);
}

StopReason RunSim(Simulator& sim, int maxSteps = 100000)
{
    StopReason reason = StopReason::None;
    for (int i = 0; i < maxSteps && reason == StopReason::None; ++i)
        reason = sim.ExecuteStep().stopReason;
    return reason;
}

std::vector<InputEvent> Script(const char* text)
{
    InputScript script = ParseInputScript(text);
    EXPECT_TRUE(script.Ok()) << (script.Ok() ? "" : ProblemText(script.problems[0]));
    return std::move(script.events);
}

}  // namespace

// P1.0 is pulled low from outside while its latch stays 1: value reads see
// the pin (0), read-modify-write instructions the latch (1).
TEST(PortPinsTest, ValueReadsSeePinsReadModifyWriteSeesLatches)
{
    struct Case
    {
        const char* name;
        std::vector<int> code;
        uint8_t address;
        const char* expected;
    };
    const Case cases[] = {
        {"MOV A,P1 reads the pins", {0xE5, 0x90}, sfr::ACC, "FE"},
        {"ADD A,P1 reads the pins", {0x74, 0x00, 0x25, 0x90}, sfr::ACC, "FE"},
        {"MOV direct,P1 copies the pins", {0x85, 0x90, 0x30}, 0x30, "FE"},
        {"PUSH P1 pushes the pins", {0x75, 0x81, 0x30, 0xC0, 0x90}, 0x31, "FE"},
        {"JB P1.0 sees the pin low", {0x74, 0x00, 0x20, 0x90, 0x02, 0x74, 0x11}, sfr::ACC, "11"},
        {"MOV C,P1.0 reads the pin", {0x75, 0x20, 0xFF, 0xD3, 0xA2, 0x90, 0x92, 0x00}, 0x20, "FE"},
        {"ANL P1,#data reads the latch", {0x53, 0x90, 0xFF}, sfr::P1, "FF"},
        {"XRL P1,#data reads the latch", {0x63, 0x90, 0x02}, sfr::P1, "FD"},
        {"INC P1 reads the latch", {0x05, 0x90}, sfr::P1, "00"},
        {"DEC P1 reads the latch", {0x15, 0x90}, sfr::P1, "FE"},
        {"DJNZ P1 reads the latch", {0xD5, 0x90, 0x00}, sfr::P1, "FE"},
        {"CPL P1.0 reads the latch", {0xB2, 0x90}, sfr::P1, "FE"},
        {"JBC P1.0 reads the latch and clears it",
         {0x74, 0x00, 0x10, 0x90, 0x02, 0x74, 0x11},
         sfr::P1,
         "FE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim;
        Put(sim, 0, {});
        for (std::size_t i = 0; i < c.code.size(); ++i)
            sim.Cpu().codeMemory[i] = HexCell::FromValue(static_cast<unsigned>(c.code[i]));
        sim.SetPullDowns(PullSource::Click, {0, 0x01, 0, 0});
        EXPECT_EQ(RunSim(sim), StopReason::NoCode);
        EXPECT_EQ(Byte(sim, c.address), c.expected);
        EXPECT_EQ(sim.PinLevels()[1] & 1, 0) << "the pulled pin stays low";
    }
    // JBC on the latch jumped: the MOV A,#11H after it did not run.
    Simulator sim;
    Put(sim, 0, {0x74, 0x00, 0x10, 0x90, 0x02, 0x74, 0x11});
    sim.SetPullDowns(PullSource::Click, {0, 0x01, 0, 0});
    RunSim(sim);
    EXPECT_EQ(Byte(sim, sfr::ACC), "00");
}

TEST(PortPinsTest, PinLevelsFollowLatchesPullsAndOpenDrainP0)
{
    Simulator sim;
    Put(sim, 0, {0x75, 0x90, 0x0F, 0xE5, 0x80});  // MOV P1,#0FH; MOV A,P0
    sim.SetPullDowns(PullSource::Board, {0x08, 0x01, 0, 0});
    sim.SetPullDowns(PullSource::Click, {0, 0x10, 0, 0});
    RunSim(sim);
    // A pulled pin is low; a pin driven low by its latch stays low whatever pulls.
    EXPECT_EQ(sim.PinLevels()[1], 0x0E);
    EXPECT_EQ(sim.Latches()[1], 0x0F);
    EXPECT_EQ(Byte(sim, sfr::ACC), "F7");  // P0 floats high except the pulled P0.3
    const PortBytes latches = sim.Latches();
    EXPECT_EQ(PinLevelChar(0, 0, latches, sim.Outside().pins), 'z');
    EXPECT_EQ(PinLevelChar(0, 3, latches, sim.Outside().pins), '0');
    EXPECT_EQ(PinLevelChar(1, 1, latches, sim.Outside().pins), '1');
    // Letting go: the pin follows its latch again; each source is its own.
    sim.SetPullDowns(PullSource::Board, {0, 0, 0, 0});
    EXPECT_EQ(sim.PinLevels()[1], 0x0F);
    EXPECT_EQ(sim.PullDowns(PullSource::Click)[1], 0x10);
}

TEST(PortPinsTest, ComparatorDrivesP36FromTheAnalogInputs)
{
    Simulator sim(ChipModel::C89Cx051);
    // loop: MOV C,P3.6; MOV 20H.0,C (bit 00H) ... read twice with time between
    Put(sim, 0, {0xA2, 0xB6, 0x92, 0x00, 0x00, 0x00, 0xA2, 0xB6, 0x92, 0x01});
    sim.Cpu().WriteRamByte(0, 0x20);
    sim.SetInputEvents(Script("@0 AIN0=2.5V\n@0 AIN1=1V\n@2 AIN0=500mV\n"));
    RunSim(sim);
    EXPECT_EQ(Byte(sim, 0x20), "01");  // AIN0 > AIN1, then below it
}

// External interrupts from P3.2: in edge mode a falling edge requests once
// and the entry clears IE0; in level mode IE0 follows the pin, the entry
// does not clear it, and the routine is entered again while the pin is low.
TEST(PinInterruptTest, EdgeAndLevelTriggeredInt0)
{
    struct Case
    {
        const char* name;
        bool edge;
        const char* script;
        int entries;         // exact, or a lower bound when level-triggered
        bool ie0SeenInside;  // IE0 as the routine finds it
    };
    const Case cases[] = {
        {"edge: two presses, two entries", true,
         "@100 P3.2=0\n@200 P3.2=1\n@300 P3.2=0\n@900 P3.2=1\n@1000 end", 2, false},
        {"level: requests while held low", false, "@100 P3.2=0\n@300 P3.2=1\n@1000 end", 10, true},
        {"no press, no entry", true, "@1000 end", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim;
        Put(sim, 0x00, {0x02, 0x00, 0x30});  // LJMP 30H
        Put(sim, 0x03,
            {0x05, 0x30, 0xE5, 0x88, 0x42, 0x31, 0x32});  // INC 30H; MOV A,TCON; ORL 31H,A; RETI
        Put(sim, 0x30,
            {0x75, 0x30, 0x00, 0x75, 0x31, 0x00, c.edge ? 0xD2 : 0xC2, 0x88, 0x75, 0xA8, 0x81, 0x80,
             0xFE});  // counters 0; SETB/CLR IT0; MOV IE,#81H; SJMP $
        sim.SetInputEvents(Script(c.script));
        EXPECT_EQ(RunSim(sim), StopReason::InputDone);
        const int entries = std::stoi(Byte(sim, 0x30), nullptr, 16);
        if (c.edge) {
            EXPECT_EQ(entries, c.entries);
        } else {
            EXPECT_GE(entries, c.entries);
            EXPECT_EQ(sim.Cpu().ReadBit(pbit::IE0), kBitZero) << "released: the request is gone";
        }
        if (entries > 0) {
            EXPECT_EQ((std::stoi(Byte(sim, 0x31), nullptr, 16) >> 1) & 1, c.ie0SeenInside ? 1 : 0);
        }
    }
}

TEST(PinInterruptTest, ProgramDrivingItsOwnInt1PinRequests)
{
    Simulator sim;
    Put(sim, 0, {0xD2, 0x8A, 0xC2, 0xB3});  // SETB IT1; CLR P3.3
    RunSim(sim);
    EXPECT_EQ(sim.Cpu().ReadBit(pbit::IE1), kBitOne);
}

// Counters count falling edges on T0/T1 (at most one per two machine
// cycles); GATE = 1 lets a timer run only while its INT pin is high.
TEST(PinTimerTest, CounterAndGate)
{
    struct Case
    {
        const char* name;
        uint8_t tmod;
        bool intLow;
        uint32_t edges;
        int cycles;
        int counted;
    };
    const Case cases[] = {
        {"counter counts edges, not cycles", 0x05, false, 3, 8, 3},
        {"counter without edges holds", 0x05, false, 0, 8, 0},
        {"counter at most one per two cycles", 0x05, false, 10, 4, 2},
        {"a one-cycle instruction still counts one", 0x05, false, 5, 1, 1},
        {"timer ignores edges", 0x01, false, 5, 2, 2},
        {"gate open while INT0 high", 0x09, false, 0, 3, 3},
        {"gate closed while INT0 low", 0x09, true, 0, 3, 0},
        {"no gate: INT0 low does not matter", 0x01, true, 0, 3, 3},
        {"gated counter", 0x0D, true, 4, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        PeripheralState state;
        cpu.StoreByte(c.tmod, sfr::TMOD);
        cpu.StoreByte(0, sfr::TL0);
        cpu.StoreByte(0, sfr::TH0);
        cpu.WriteBit(kBitOne, pbit::TR0);
        state.intPinLow[0] = c.intLow;
        state.samples.pendingCounts[0] = c.edges;
        TimerTick(cpu, state, c.cycles);
        EXPECT_EQ(cpu.ReadRamByte(sfr::TL0).value_or(0xEE), c.counted);
        EXPECT_EQ(state.samples.pendingCounts[0], 0u) << "edges are counted or lost, never kept";
    }
}

TEST(PinTimerTest, ClockOnT1CountsItsFallingEdges)
{
    Simulator sim;
    // MOV TMOD,#50H (timer 1 counter, mode 1); SETB TR1; SJMP $
    Put(sim, 0, {0x75, 0x89, 0x50, 0xD2, 0x8E, 0x80, 0xFE});
    sim.SetInputEvents(Script("@0 clock P3.5 10kHz\n@10ms end"));
    EXPECT_EQ(RunSim(sim), StopReason::InputDone);
    EXPECT_EQ(Byte(sim, sfr::TL1), "64");  // 100 periods of 92.16 cycles in 9216
}

TEST(Timer2Test, ReloadCaptureBaudAndCounter)
{
    struct Case
    {
        const char* name;
        uint8_t t2con;
        uint16_t start, rcap;
        int cycles;
        uint32_t t2Edges;
        bool t2exFell;
        uint16_t after, rcapAfter;
        bool tf2, exf2;
    };
    const Case cases[] = {
        {"auto-reload overflows into RCAP2", 0x04, 0xFFFE, 0xFFF0, 4, 0, false, 0xFFF2, 0xFFF0,
         true, false},
        {"auto-reload counts", 0x04, 0x1000, 0xFFF0, 2, 0, false, 0x1002, 0xFFF0, false, false},
        {"T2EX reloads with EXEN2", 0x0C, 0x1000, 0x8000, 1, 0, true, 0x8001, 0x8000, false, true},
        {"T2EX ignored without EXEN2", 0x04, 0x1000, 0x8000, 1, 0, true, 0x1001, 0x8000, false,
         false},
        {"capture copies on T2EX", 0x0D, 0x1234, 0x0000, 1, 0, true, 0x1235, 0x1234, false, true},
        {"capture wraps to 0000H", 0x05, 0xFFFF, 0x5555, 2, 0, false, 0x0001, 0x5555, true, false},
        {"baud generator: six counts a cycle, no TF2", 0x34, 0xFFDC, 0xFFDC, 6, 0, false, 0xFFDC,
         0xFFDC, false, false},
        {"counter counts T2 edges", 0x06, 0x0000, 0x0000, 8, 3, false, 0x0003, 0x0000, false,
         false},
        {"stopped: T2EX still captures", 0x09, 0x4321, 0x0000, 2, 0, true, 0x4321, 0x4321, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu(ChipModel::C8052);
        cpu.ResetInternalMemory();
        cpu.BuildSfrTable();
        PeripheralState state;
        cpu.StoreByte(c.t2con, sfr::T2CON);
        cpu.StoreByte(static_cast<uint8_t>(c.start >> 8), sfr::TH2);
        cpu.StoreByte(static_cast<uint8_t>(c.start), sfr::TL2);
        cpu.StoreByte(static_cast<uint8_t>(c.rcap >> 8), sfr::RCAP2H);
        cpu.StoreByte(static_cast<uint8_t>(c.rcap), sfr::RCAP2L);
        state.samples.pendingCounts[2] = c.t2Edges;
        state.samples.t2exFell = c.t2exFell;
        Timer2Tick(cpu, state, c.cycles);
        EXPECT_EQ(cpu.PeekRamByteText(sfr::TH2) + cpu.PeekRamByteText(sfr::TL2),
                  ToHexWord(c.after));
        EXPECT_EQ(cpu.PeekRamByteText(sfr::RCAP2H) + cpu.PeekRamByteText(sfr::RCAP2L),
                  ToHexWord(c.rcapAfter));
        EXPECT_EQ(cpu.ReadBit(pbit::TF2) == kBitOne, c.tf2);
        EXPECT_EQ(cpu.ReadBit(pbit::EXF2) == kBitOne, c.exf2);
    }
}

TEST(Timer2Test, BaudGeneratorSetsTheSerialRateAndTheReport)
{
    CpuState cpu(ChipModel::C8052);
    cpu.ResetInternalMemory();
    cpu.BuildSfrTable();
    cpu.StoreByte(0xFF, sfr::RCAP2H);
    cpu.StoreByte(0xDC, sfr::RCAP2L);
    EXPECT_DOUBLE_EQ(Timer2Baud(cpu), 9600.0);
    PeripheralState state;
    cpu.StoreByte(0x34, sfr::T2CON);
    Timer2Tick(cpu, state, 1);
    EXPECT_EQ(cpu.simulationLog.Line(0), "     Timer2: baud rate generator\r\n");
}
