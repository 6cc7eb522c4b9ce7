#include "core/timer2.h"
#include "core/timers.h"

namespace zelo::core {

namespace {

struct TimerRegisters {
    uint8_t tl, th;
    BitAddress tf, tr;
    int tmodShift;  // 0 for timer 0, 4 for timer 1
};
constexpr TimerRegisters kTimers[2] = {
    {sfr::TL0, sfr::TH0, pbit::TF0, pbit::TR0, 0},
    {sfr::TL1, sfr::TH1, pbit::TF1, pbit::TR1, 4},
};

bool IsOne(const CpuState& cpu, BitAddress bit)
{
    return cpu.ReadBit(bit) == kBitOne;
}

bool TmodBit(const CpuState& cpu, int t, int k)
{
    return cpu.internal[sfr::TMOD][kTimers[t].tmodShift + k] == kBitOne;
}

int TimerMode(const CpuState& cpu, int t)
{
    return 2 * TmodBit(cpu, t, 1) + TmodBit(cpu, t, 0);
}

// An undefined byte stops the run (ReadRamByte reports it) and counts as 0.
int ReadValue(CpuState& cpu, uint8_t address)
{
    return cpu.ReadRamByte(address).value_or(0);
}

void ReportTimer(CpuState& cpu, int t)
{
    static constexpr const char* kModes[4] = {"mode0", "mode1", "mode2", "mode3"};
    const bool counter = TmodBit(cpu, t, 2);
    const BitAddress ex = t == 0 ? pbit::EX0 : pbit::EX1;
    const BitAddress it = t == 0 ? pbit::IT0 : pbit::IT1;
    const bool external = IsOne(cpu, ex);
    const char* type = counter ? "計數" : "計時";
    const char* gate = t == 0 ? (external ? "接受外部中斷(INT0)" : "不受外部中斷(INT0)")
                              : (external ? "接受外部中斷(INT1)" : "不受外部中斷(INT1)");
    const char* trigger = !external ? "" : IsOne(cpu, it) ? "下降負緣觸發(Falling Edge)" : "低準位觸發(Low Level)";
    const std::string mode = kModes[TimerMode(cpu, t)];
    // Put in front one after the other, so that they read upwards.
    PutInFrontOfLog(cpu, kReportSeparator);
    if (t == 0) {
        PutInFrontOfLog(cpu, std::string("   Timer0IT: ") + trigger);
        PutInFrontOfLog(cpu, std::string(" Timer0Gate: ") + gate);
        PutInFrontOfLog(cpu, std::string("      Type0: ") + type);
        PutInFrontOfLog(cpu, "            Timer0: " + mode);
    } else {
        PutInFrontOfLog(cpu, std::string("   Timer1IT: ") + trigger);
        PutInFrontOfLog(cpu, std::string(" Timer1Gate: ") + gate);
        PutInFrontOfLog(cpu, std::string("      Type1: ") + type);
        PutInFrontOfLog(cpu, "     Timer1: " + mode);
    }
}

}  // namespace

namespace {

// Falling edges on the timer's input pin since the last tick, at most one
// count per two machine cycles (an instruction of one cycle still counts
// one): the chip needs a high and a low sample for each count. Edges beyond
// that are lost, as on the chip.
int TakeCounts(PeripheralState& state, int t, int cycles)
{
    uint32_t& pending = state.samples.pendingCounts[static_cast<std::size_t>(t)];
    if (pending == 0) return 0;
    const uint32_t limit = static_cast<uint32_t>(cycles > 1 ? cycles / 2 : 1);
    const int counts = static_cast<int>(pending < limit ? pending : limit);
    pending = 0;
    return counts;
}

// An 8-bit count of one register that sets `overflow` when it passes FFH.
void CountByte(CpuState& cpu, int n, uint8_t address, BitAddress overflow)
{
    const int s = ReadValue(cpu, address) + n;
    if (s > 255) cpu.WriteBit(kBitOne, overflow);
    cpu.StoreByte(static_cast<uint8_t>(s % 256), address);
}

}  // namespace

void TimerTick(CpuState& cpu, PeripheralState& state, int cycles)
{
    // Timer 0 in mode 3 takes TR1 and TF1 for TH0; timer 1 then runs
    // whenever it is not in mode 3 itself and no longer sets TF1.
    const bool split = TimerMode(cpu, 0) == 3;
    for (int t = 0; t < 2; ++t) {
        // GATE = 1: the timer runs only while its INTx pin is high.
        const bool gateOpen = !TmodBit(cpu, t, 3) || !state.intPinLow[static_cast<std::size_t>(t)];
        const int edges = TakeCounts(state, t, cycles);
        const int n = TmodBit(cpu, t, 2) ? edges : cycles;  // C/T = 1: counts pin edges
        bool runs = gateOpen && IsOne(cpu, kTimers[t].tr);
        if (t == 0 && split) runs = runs || IsOne(cpu, pbit::TR1);
        if (t == 1 && split) runs = gateOpen && TimerMode(cpu, 1) != 3;
        if (!runs) continue;
        if (t == 0 && split) {
            state.timerUsed[0] = true;
            // TL0 keeps timer 0's gate, TR0 and C/T; TH0 counts machine cycles under TR1.
            if (gateOpen && IsOne(cpu, pbit::TR0)) CountByte(cpu, n, sfr::TL0, pbit::TF0);
            if (IsOne(cpu, pbit::TR1)) CountByte(cpu, cycles, sfr::TH0, pbit::TF1);
        } else {
            AdvanceTimer(cpu, state, n, t, !(t == 1 && split));
        }
        bool& reported = t == 0 ? state.timer0Reported : state.timer1Reported;
        if (!reported) {
            reported = true;
            ReportTimer(cpu, t);
        }
    }
    if (cpu.Chip() == ChipModel::C8052) {
        // Timer 2 has work only while it runs or after a T2EX edge; otherwise
        // its pin edges are simply not counted.
        if (cpu.internal[sfr::T2CON][2] == kBitOne || state.samples.t2exFell)
            Timer2Tick(cpu, state, cycles);
        else
            state.samples.pendingCounts[2] = 0;
    }
}

void AdvanceTimer(CpuState& cpu, PeripheralState& state, int n, int t, bool setsFlag)
{
    state.timerUsed[static_cast<std::size_t>(t)] = true;
    switch (TimerMode(cpu, t)) {
        case 0:
            CountTimer(cpu, n, t, 32, setsFlag);
            break;
        case 1:
            CountTimer(cpu, n, t, 256, setsFlag);
            break;
        case 2:
            ReloadTimer(cpu, n, t, setsFlag);
            break;
        default:
            if (t == 0) SplitTimer(cpu, n);
            break;  // timer 1 in mode 3 holds its count
    }
}

void CountTimer(CpuState& cpu, int n, int t, int modulus, bool setsFlag)
{
    const TimerRegisters& r = kTimers[t];
    const int tl = ReadValue(cpu, r.tl);
    // Mode 0 counts in the low five bits of TL; the upper three keep what
    // the program wrote.
    const int kept = tl - tl % modulus;
    const int s = tl % modulus + n;
    cpu.StoreByte(static_cast<uint8_t>(kept | s % modulus), r.tl);
    if (s / modulus != 0) {
        int h = ReadValue(cpu, r.th) + s / modulus;
        if (h > 255) {
            h -= 256;
            if (setsFlag) cpu.WriteBit(kBitOne, r.tf);
        }
        cpu.StoreByte(static_cast<uint8_t>(h), r.th);
    }
}

void SplitTimer(CpuState& cpu, int n)
{
    if (!TmodBit(cpu, 0, 3) && IsOne(cpu, pbit::TR0)) CountByte(cpu, n, sfr::TL0, pbit::TF0);
    if (IsOne(cpu, pbit::TR1)) CountByte(cpu, n, sfr::TH0, pbit::TF1);
}

void ReloadTimer(CpuState& cpu, int n, int t, bool setsFlag)
{
    const TimerRegisters& r = kTimers[t];
    const int s = ReadValue(cpu, r.tl) + n;
    if (s / 256 == 0) {
        cpu.StoreByte(static_cast<uint8_t>(s), r.tl);
        return;
    }
    if (setsFlag) cpu.WriteBit(kBitOne, r.tf);
    const int h = ReadValue(cpu, r.th);
    const int left = s - 256;  // counts after the overflow
    const int period = 256 - h;
    cpu.StoreByte(static_cast<uint8_t>(h + left % period), r.tl);
}

}  // namespace zelo::core
