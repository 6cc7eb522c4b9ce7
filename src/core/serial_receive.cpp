#include "core/serial_receive.h"

#include <algorithm>
#include <cmath>

#include "core/serial.h"

namespace zelo::core {

namespace {

bool IsOne(const CpuState& cpu, BitAddress bit)
{
    return cpu.ReadBit(bit) == kBitOne;
}

int SerialMode(const CpuState& cpu)
{
    return 2 * IsOne(cpu, pbit::SM0) + IsOne(cpu, pbit::SM1);
}

// REN = 1 and the clock of the receiver's rate running (mode 2 runs from
// the oscillator; modes 1 and 3 from timer 1, or timer 2 with RCLK).
bool ReceiverReady(const CpuState& cpu)
{
    if (!IsOne(cpu, pbit::REN)) return false;
    const int mode = SerialMode(cpu);
    if (mode == 2) return true;
    if (cpu.Chip() == ChipModel::C8052 && IsOne(cpu, pbit::RCLK)) return IsOne(cpu, pbit::TR2);
    return IsOne(cpu, pbit::TR1);
}

void Load(CpuState& cpu, OutsideState& state, uint8_t byte)
{
    state.received = true;
    state.receiveBuffer = byte;
    // The views show SBUF as the last byte that went through it.
    cpu.StoreByte(byte, sfr::SBUF);
    cpu.WriteBit(kBitOne, pbit::RI);
}

void Complete(CpuState& cpu, OutsideState& state, const ReceiveByte& in)
{
    const int mode = SerialMode(cpu);
    if (mode == 0) {
        Load(cpu, state, in.byte);
        return;
    }
    if (!IsOne(cpu, pbit::REN)) {
        if (!state.receiveOffReported) {
            state.receiveOffReported = true;
            PutInFrontOfLog(cpu, "receive ignored: REN = 0");
        }
        return;
    }
    if (IsOne(cpu, pbit::RI)) {
        PutInFrontOfLog(cpu, kReceiveOverrunMessage);
        return;
    }
    // Mode 1 takes the stop bit as RB8 (a sender's stop bit is always 1).
    const bool ninth = mode == 1 ? true : in.ninth;
    if (mode != 1 && IsOne(cpu, pbit::SM2) && !ninth) return;  // not addressed to this chip
    cpu.WriteBit(ninth ? kBitOne : kBitZero, pbit::RB8);
    Load(cpu, state, in.byte);
}

// Reports, once per pair of rates, a sender whose rate is more than 2 %
// from the program's: on a real line such bytes arrive garbled.
void CheckRates(CpuState& cpu, OutsideState& state, double program)
{
    const double sender = state.senderBaud;
    if (sender <= 0 || program <= 0 || std::fabs(program - sender) <= 0.02 * sender) return;
    if (state.mismatchReported == sender && state.mismatchProgram == program) return;
    state.mismatchReported = sender;
    state.mismatchProgram = program;
    PutInFrontOfLog(cpu, "receive baud rate differs: program" + ReportNumber(program) +
                             " BPS, sender" + ReportNumber(sender) + " BPS");
}

}  // namespace

uint64_t AdvanceReceiver(CpuState& cpu, OutsideState& state, std::span<const ReceiveByte> queue,
                         uint64_t now)
{
    for (;;) {
        if (state.receiveEnd != 0) {
            if (now < state.receiveEnd) return state.receiveEnd;
            if (state.receiveNext < queue.size()) Complete(cpu, state, queue[state.receiveNext]);
            ++state.receiveNext;
            state.receiveLineFree = state.receiveEnd;
            state.receiveEnd = 0;
        }
        if (state.receiveNext >= queue.size()) return kNoInputCycle;
        const ReceiveByte& next = queue[state.receiveNext];
        uint64_t start = std::max(next.notBefore, state.receiveLineFree);
        if (now < start) return start;
        if (SerialMode(cpu) == 0) {
            // The chip clocks a mode 0 reception itself, once REN = 1 and RI = 0.
            if (!IsOne(cpu, pbit::REN) || IsOne(cpu, pbit::RI)) return now + 1;
            state.receiveEnd = now + 8;
            continue;
        }
        if (state.senderBaud <= 0 && !ReceiverReady(cpu)) {
            // A sender at the program's own rate waits until the program has
            // set that rate up; the line stays idle meanwhile.
            state.receiveLineFree = now + 1;
            return now + 1;
        }
        const SerialTiming program = SerialTimingOf(cpu, true);
        CheckRates(cpu, state, program.baud);
        const double baud = state.senderBaud > 0 ? state.senderBaud : program.baud;
        // The same character time as the transmitter's (1.08 us a machine cycle).
        const double cycles = program.bits / baud / kMachineCycleMicroseconds * 1'000'000.0;
        state.receiveEnd =
            start + std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(cycles)));
    }
}

}  // namespace zelo::core
