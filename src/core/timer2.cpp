#include "core/timer2.h"

#include <string>

namespace zelo::core {

namespace {

bool IsOne(const CpuState& cpu, BitAddress bit)
{
    return cpu.ReadBit(bit) == kBitOne;
}

int ReadWord(CpuState& cpu, uint8_t high, uint8_t low)
{
    return 256 * cpu.ReadRamByte(high).value_or(0) + cpu.ReadRamByte(low).value_or(0);
}

void WriteWord(CpuState& cpu, int value, uint8_t high, uint8_t low)
{
    cpu.StoreByte(static_cast<uint8_t>(value >> 8), high);
    cpu.StoreByte(static_cast<uint8_t>(value & 0xFF), low);
}

void ReportTimer2(CpuState& cpu, bool baud, bool capture)
{
    const char* mode = baud      ? "baud rate generator"
                       : capture ? "16-bit capture"
                                 : "16-bit auto-reload";
    PutInFrontOfLog(cpu, kReportSeparator);
    PutInFrontOfLog(
        cpu, std::string("  Timer2EX: ") +
                 (IsOne(cpu, pbit::EXEN2) ? "接受T2EX下降負緣(Falling Edge)" : "不受T2EX(P1.1)"));
    PutInFrontOfLog(cpu, std::string("      Type2: ") + (IsOne(cpu, pbit::CT2) ? "計數" : "計時"));
    PutInFrontOfLog(cpu, std::string("     Timer2: ") + mode);
}

}  // namespace

void Timer2Tick(CpuState& cpu, PeripheralState& state, int cycles)
{
    PinSamples& pins = state.samples;
    const bool t2exFell = pins.t2exFell;
    pins.t2exFell = false;
    uint32_t edges = pins.pendingCounts[2];
    pins.pendingCounts[2] = 0;
    const bool running = IsOne(cpu, pbit::TR2);
    const bool external = t2exFell && IsOne(cpu, pbit::EXEN2);
    if (!running && !external) return;

    const bool baud = IsOne(cpu, pbit::RCLK) || IsOne(cpu, pbit::TCLK);
    const bool capture = !baud && IsOne(cpu, pbit::CPRL2);
    if (external) {
        cpu.WriteBit(kBitOne, pbit::EXF2);
        if (capture)
            WriteWord(cpu, ReadWord(cpu, sfr::TH2, sfr::TL2), sfr::RCAP2H, sfr::RCAP2L);
        else if (!baud)
            WriteWord(cpu, ReadWord(cpu, sfr::RCAP2H, sfr::RCAP2L), sfr::TH2, sfr::TL2);
    }
    if (!running) return;

    int counts = cycles;
    if (IsOne(cpu, pbit::CT2)) {
        const uint32_t limit = static_cast<uint32_t>(cycles > 1 ? cycles / 2 : 1);
        counts = static_cast<int>(edges < limit ? edges : limit);
    } else if (baud) {
        counts = 6 * cycles;  // half the oscillator: six counts a machine cycle
    }
    int value = ReadWord(cpu, sfr::TH2, sfr::TL2) + counts;
    if (value > 0xFFFF) {
        if (!baud) cpu.WriteBit(kBitOne, pbit::TF2);
        if (capture) {
            value &= 0xFFFF;
        } else {
            const int reload = ReadWord(cpu, sfr::RCAP2H, sfr::RCAP2L);
            value = reload + (value - 0x10000) % (0x10000 - reload);
        }
    }
    WriteWord(cpu, value, sfr::TH2, sfr::TL2);
    if (!state.timer2Reported) {
        state.timer2Reported = true;
        ReportTimer2(cpu, baud, capture);
    }
}

double Timer2Baud(CpuState& cpu)
{
    const int reload = ReadWord(cpu, sfr::RCAP2H, sfr::RCAP2L);
    return kOscillatorFrequency / (32.0 * (0x10000 - reload));
}

}  // namespace zelo::core
