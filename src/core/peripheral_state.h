// State of the on-chip peripherals that is not held in the chip's registers:
// which one-time reports were written, the serial transmit timing and the
// interrupt bookkeeping. The registers themselves (TMOD, TCON, SCON, IE, IP,
// TLx/THx ...) live only in CpuState's bit cells.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/cpu_state.h"
#include "core/port_pins.h"

namespace zelo::core {

inline constexpr double kOscillatorFrequency = 11'059'200.0;  // Hz
inline constexpr double kMachineCycleMicroseconds = 1.08;     // used for character times

inline constexpr int kInterruptSources = 6;  // INT0, Timer 0, INT1, Timer 1, Serial, Timer 2
inline constexpr std::array<uint16_t, kInterruptSources> kInterruptVectors = {0x0003, 0x000B, 0x0013,
                                                                              0x001B, 0x0023, 0x002B};
inline constexpr std::array<const char*, 8> kInterruptFlagNames = {"IE0", "TF0", "IE1", "TF1",
                                                                   "RI",  "TI",  "TF2", "EXF2"};
// Machine cycles of the hardware call that enters an interrupt.
inline constexpr int kInterruptEntryCycles = 2;

// Register bits the peripherals read and write.
namespace pbit {
constexpr BitAddress IT0{sfr::TCON, 0}, IE0{sfr::TCON, 1}, IT1{sfr::TCON, 2}, IE1{sfr::TCON, 3};
constexpr BitAddress TR0{sfr::TCON, 4}, TF0{sfr::TCON, 5}, TR1{sfr::TCON, 6}, TF1{sfr::TCON, 7};
constexpr BitAddress EX0{sfr::IE, 0}, ET0{sfr::IE, 1}, EX1{sfr::IE, 2}, ET1{sfr::IE, 3};
constexpr BitAddress ES{sfr::IE, 4}, ET2{sfr::IE, 5}, EA{sfr::IE, 7};
constexpr BitAddress RI{sfr::SCON, 0}, TI{sfr::SCON, 1}, RB8{sfr::SCON, 2}, REN{sfr::SCON, 4};
constexpr BitAddress SM2{sfr::SCON, 5}, SM1{sfr::SCON, 6}, SM0{sfr::SCON, 7};
constexpr BitAddress SMOD{sfr::PCON, 7};
constexpr BitAddress CPRL2{sfr::T2CON, 0}, CT2{sfr::T2CON, 1}, TR2{sfr::T2CON, 2}, EXEN2{sfr::T2CON, 3};
constexpr BitAddress TCLK{sfr::T2CON, 4}, RCLK{sfr::T2CON, 5}, EXF2{sfr::T2CON, 6}, TF2{sfr::T2CON, 7};
}  // namespace pbit

struct PeripheralState {
    // One-time reports already written into SimulationLog.
    bool timer0Reported = false;
    bool timer1Reported = false;
    bool interruptsReported = false;

    // Serial transmission: set when the program writes SBUF; TI becomes 1
    // once the character time has passed.
    bool tiPending = false;
    bool tiSeen = false;  // a serial interrupt was entered since the load
    bool transmitting = false;
    uint64_t transmitStart = 0;  // cycle counter at the SBUF write
    uint64_t transmitTime = 0;   // machine cycles per character; kept across loads

    std::array<bool, 2> timerUsed{};  // set whenever the timer advances (for the views)

    // The serial set-up last reported: the report is written again only when
    // a byte write to SCON, PCON or TH1 changes the mode or the baud rate.
    bool serialReported = false;
    int reportedSerialMode = 0;
    double reportedBaud = 0;

    // Levels of the INT0 and INT1 pins (true: low), as last sampled.
    std::array<bool, 2> intPinLow{};

    // What the pins looked like to the peripherals at the last sample.
    PinSamples samples;

    bool timer2Reported = false;

    // Everything the program wrote to SBUF, counted; the bytes themselves are
    // kept by the simulator's transmit stream.
    uint64_t transmittedCount = 0;

    // Sources in the order they are considered: high-level ones first, then
    // low-level ones, each level in the chip's fixed order.
    std::array<uint8_t, kInterruptSources> serviceOrder{0, 1, 2, 3, 4, 5};
    std::array<BitCell, 8> orderedBy{'0', '0', '0', '0', '0', '0', '0', '0'};  // IP the order was built from

    // IE and IP as they were before the step, to notice a write to them.
    std::array<BitCell, 8> ieBefore{};
    std::array<BitCell, 8> ipBefore{};

    bool operator==(const PeripheralState&) const = default;

    // Reset by the load command; the character time stays.
    void Reset()
    {
        const uint64_t keepTime = transmitTime;
        *this = PeripheralState{};
        transmitTime = keepTime;
    }
};

// What the world outside the chip is doing: the pins it pulls, the clocks
// and voltages it applies, the serial line into RXD and how far the input
// script has got. It changes between steps (the feeder runs before a step
// begins), so a step that is taken back leaves it as it is: the outside
// world does not rewind because an instruction failed.
struct OutsideState {
    PortPins pins;

    // Serial receive: the next byte of the receive queue, the cycle at which
    // the character now on RXD is complete (0: the line is idle) and the
    // cycle the line became idle; the receive buffer a read of SBUF gives.
    uint32_t receiveNext = 0;
    uint64_t receiveEnd = 0;
    uint64_t receiveLineFree = 0;
    bool received = false;
    uint8_t receiveBuffer = 0;
    double senderBaud = 0;        // the sending side's rate; 0: the program's own
    double mismatchReported = 0;  // the rates last reported as differing
    double mismatchProgram = 0;
    bool receiveOffReported = false;

    // The input script: the next event to apply and the cycle of the next
    // thing outside that can happen (an event, a clock edge, a received
    // character); the step loop compares only this.
    uint32_t inputNext = 0;
    uint64_t nextInputCycle = ~uint64_t{0};
    bool inputDone = false;

    // A load starts the outside over; pins held by a click or by the board
    // stay held (the script's pulls start again).
    void Reset()
    {
        auto held = pins.pullBy;
        held[static_cast<std::size_t>(PullSource::Script)] = {};
        *this = OutsideState{};
        pins.pullBy = held;
    }
};

// Puts a line (followed by CR LF) in front of SimulationLog.
inline void PutInFrontOfLog(CpuState& cpu, std::string_view line)
{
    cpu.simulationLog.PutInFront(line);
}

inline constexpr const char* kReportSeparator = "------------------------------------";

// Before an instruction executes: the log is emptied while nothing has been
// reported (so it shows only this step's messages), and IE/IP are noted.
// Reports written once (timers, interrupts, the serial set-up, a write where
// there is no RAM) stay.
inline void BeginPeripheralStep(CpuState& cpu, PeripheralState& state)
{
    if (!state.timer0Reported && !state.timer1Reported && !state.interruptsReported && !state.serialReported &&
        !cpu.NoRamWriteReported() && !cpu.simulationLog.Empty())
        cpu.simulationLog.Clear();
    state.ieBefore = cpu.internal[sfr::IE];
    state.ipBefore = cpu.internal[sfr::IP];
}

}  // namespace zelo::core
