#include <cmath>
#include <cstdio>

#include "core/serial.h"
#include "core/timer2.h"

namespace zelo::core {

SerialTiming ComputeSerialTiming(int mode, bool smod, int th1)
{
    SerialTiming t;
    t.mode = mode & 3;
    switch (t.mode) {
        case 0:
            t.baud = kOscillatorFrequency / 12;
            t.bits = 8;
            break;
        case 2:
            t.baud = kOscillatorFrequency / (smod ? 32 : 64);
            t.bits = 11;
            break;
        default:
            t.baud = (smod ? 2.0 : 1.0) / 32 * kOscillatorFrequency / 12 / (256 - th1);
            t.bits = t.mode == 1 ? 10 : 11;
            break;
    }
    // Rounded to the nearest cycle, halves to even.
    const double cycles = t.bits / t.baud / kMachineCycleMicroseconds * 1'000'000.0;
    t.cycles = static_cast<uint64_t>(std::nearbyint(cycles));
    return t;
}

SerialTiming SerialTimingOf(CpuState& cpu, bool receive)
{
    const int mode = 2 * (cpu.ReadBit(pbit::SM0) == kBitOne) + (cpu.ReadBit(pbit::SM1) == kBitOne);
    const bool smod = cpu.ReadBit(pbit::SMOD) == kBitOne;
    // On the 8052, RCLK and TCLK give the receiver and the transmitter of
    // modes 1 and 3 Timer 2's overflow rate instead of Timer 1's.
    if ((mode == 1 || mode == 3) && cpu.Chip() == ChipModel::C8052 &&
        cpu.ReadBit(receive ? pbit::RCLK : pbit::TCLK) == kBitOne) {
        SerialTiming t;
        t.mode = mode;
        t.baud = Timer2Baud(cpu);
        t.bits = mode == 1 ? 10 : 11;
        t.cycles = static_cast<uint64_t>(std::nearbyint(t.bits / t.baud / kMachineCycleMicroseconds * 1'000'000.0));
        return t;
    }
    const int th1 = cpu.ReadRamByte(sfr::TH1).value_or(0);
    return ComputeSerialTiming(mode, smod, th1);
}

std::string ReportNumber(double value)
{
    char text[40];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.15G", value);
    }
    std::string result = text;
    if (result.rfind("0.", 0) == 0) result.erase(0, 1);  // ".5" as the reports write it
    if (result[0] != '-') result.insert(0, 1, ' ');
    return result;
}

namespace {

SerialTiming CurrentSerialTiming(CpuState& cpu)
{
    return SerialTimingOf(cpu, false);
}

void ReportSerialTiming(CpuState& cpu, PeripheralState& state, const SerialTiming& timing)
{
    state.transmitTime = timing.cycles;
    state.serialReported = true;
    state.reportedSerialMode = timing.mode;
    state.reportedBaud = timing.baud;

    PutInFrontOfLog(cpu, kReportSeparator);
    PutInFrontOfLog(cpu, "    Machine Cycle:" + ReportNumber(static_cast<double>(timing.cycles)));
    PutInFrontOfLog(cpu, "    Baut Rate:" + ReportNumber(timing.baud) + " BPS");
    PutInFrontOfLog(cpu, "    Serier Transition Mode " + std::to_string(timing.mode) + " ");
}

}  // namespace

void SerialTimingReport(CpuState& cpu, PeripheralState& state)
{
    ReportSerialTiming(cpu, state, CurrentSerialTiming(cpu));
}

void NoteSerialSetupWrite(CpuState& cpu, PeripheralState& state)
{
    const SerialTiming timing = CurrentSerialTiming(cpu);
    if (state.serialReported && timing.mode == state.reportedSerialMode && timing.baud == state.reportedBaud) return;
    ReportSerialTiming(cpu, state, timing);
}

void NoteSbufWrite(PeripheralState& state, uint64_t cycleCounter)
{
    state.tiPending = true;
    state.transmitting = true;
    state.transmitStart = cycleCounter;
}

void CompleteTransmission(CpuState& cpu, PeripheralState& state, uint64_t cycleCounter)
{
    if (!state.transmitting || cycleCounter - state.transmitStart <= state.transmitTime) return;
    cpu.WriteBit(kBitOne, pbit::TI);
    state.transmitting = false;
    state.transmitStart = 0;
}

}  // namespace zelo::core
