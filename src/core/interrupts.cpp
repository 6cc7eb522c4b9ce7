#include "core/interrupts.h"

#include "core/serial.h"

namespace zelo::core {

namespace {

constexpr BitAddress kEnableBits[kInterruptSources] = {pbit::EX0, pbit::ET0, pbit::EX1,
                                                       pbit::ET1, pbit::ES,  pbit::ET2};
constexpr const char* kReportLabels[kInterruptSources] = {
    "     INT0 Interrupt enabled ==> IP:", "   Timer0 Interrupt enabled ==> IP:",
    "     INT1 Interrupt enabled ==> IP:", "   Timer1 Interrupt enabled ==> IP:",
    "     SBUF Interrupt enabled ==> IP:", "   Timer2 Interrupt enabled ==> IP:",
};

bool IsOne(const CpuState& cpu, BitAddress bit) { return cpu.ReadBit(bit) == kBitOne; }

bool Enabled(const CpuState& cpu, int source) { return IsOne(cpu, kEnableBits[source]); }

// RETI, or an instruction that wrote IE or IP: the chip lets one more
// instruction run before it enters an interrupt.
bool HoldsEntry(const CpuState& cpu, const PeripheralState& state, const CurrentInstruction& executed)
{
    if (executed.b0 == 0x32) return true;
    if (executed.destination.IsInternal(sfr::IE) || executed.destination.IsInternal(sfr::IP)) return true;
    for (int i = 0; i < executed.changedCount; ++i) {
        const uint8_t byte = executed.changed[static_cast<std::size_t>(i)].byte;
        if (byte == sfr::IE || byte == sfr::IP) return true;
    }
    return cpu.internal[sfr::IE] != state.ieBefore || cpu.internal[sfr::IP] != state.ipBefore;
}

void ReportInterrupts(CpuState& cpu)
{
    PutInFrontOfLog(cpu, kReportSeparator);
    for (int s = 0; s < kInterruptSources; ++s) {
        if (!Enabled(cpu, s)) continue;
        std::string line = kReportLabels[s];
        line += cpu.internal[sfr::IP][static_cast<std::size_t>(s)];
        PutInFrontOfLog(cpu, line);
    }
}

// What the hardware clears when it vectors: the timer overflow flags and
// edge-triggered external requests. Serial and Timer 2 flags stay for the
// program to clear.
void ClearOnEntry(CpuState& cpu, PeripheralState& state, int source)
{
    switch (source) {
        case 0:
            if (IsOne(cpu, pbit::IT0)) cpu.WriteBit(kBitZero, pbit::IE0);
            break;
        case 1: cpu.WriteBit(kBitZero, pbit::TF0); break;
        case 2:
            if (IsOne(cpu, pbit::IT1)) cpu.WriteBit(kBitZero, pbit::IE1);
            break;
        case 3: cpu.WriteBit(kBitZero, pbit::TF1); break;
        case 4:
            if (IsOne(cpu, pbit::TI)) state.tiPending = false;
            state.tiSeen = true;
            break;
        default: break;
    }
}

}  // namespace

bool InterruptRequested(const CpuState& cpu, int source)
{
    switch (source) {
        case 0: return IsOne(cpu, pbit::IE0);
        case 1: return IsOne(cpu, pbit::TF0);
        case 2: return IsOne(cpu, pbit::IE1);
        case 3: return IsOne(cpu, pbit::TF1);
        case 4: return IsOne(cpu, pbit::RI) || IsOne(cpu, pbit::TI);
        case 5: return IsOne(cpu, pbit::TF2) || IsOne(cpu, pbit::EXF2);
        default: return false;
    }
}

int InterruptLevel(const CpuState& cpu, int source)
{
    return cpu.internal[sfr::IP][static_cast<std::size_t>(source)] == kBitOne ? 1 : 0;
}

void UpdateServiceOrder(const CpuState& cpu, PeripheralState& state)
{
    std::size_t k = 0;
    for (int level = 1; level >= 0; --level) {
        for (int s = 0; s < kInterruptSources; ++s) {
            if (InterruptLevel(cpu, s) == level) state.serviceOrder[k++] = static_cast<uint8_t>(s);
        }
    }
}

int PollInterrupts(const CpuState& cpu, const PeripheralState& state, const InterruptState& interrupts)
{
    if (!IsOne(cpu, pbit::EA)) return -1;
    for (uint8_t s : state.serviceOrder) {
        if (!Enabled(cpu, s) || !InterruptRequested(cpu, s)) continue;
        // The first pending source has the highest level: it is entered only
        // when neither its level nor a higher one is in service.
        const int level = InterruptLevel(cpu, s);
        if (interrupts.inService[1] || (level == 0 && interrupts.inService[0])) return -1;
        return s;
    }
    return -1;
}

bool EnterInterrupt(CpuState& cpu, InterruptState& interrupts, int level, uint16_t vector)
{
    // Exactly the push of LCALL: the stack stop included.
    if (!cpu.PushReturnAddress(cpu.programCounter).done) return false;
    interrupts.inService[level == 1 ? 1 : 0] = true;
    cpu.programCounter = vector;
    return true;
}

void SampleLevelInterrupts(CpuState& cpu, const PeripheralState& state)
{
    constexpr BitAddress kTrigger[2] = {pbit::IT0, pbit::IT1};
    constexpr BitAddress kRequest[2] = {pbit::IE0, pbit::IE1};
    for (std::size_t i = 0; i < 2; ++i) {
        if (cpu.ReadBit(kTrigger[i]) != kBitZero) continue;  // edge-triggered: the flag is kept
        const BitCell level = state.intPinLow[i] ? kBitOne : kBitZero;
        if (cpu.ReadBit(kRequest[i]) != level) cpu.WriteBit(level, kRequest[i]);
    }
}

namespace {

bool WroteByte(const CurrentInstruction& executed, uint8_t address)
{
    for (int i = 0; i < executed.changedCount; ++i) {
        const ChangedLocation& changed = executed.changed[static_cast<std::size_t>(i)];
        if (changed.byte == address && changed.bit < 0) return true;
    }
    return false;
}

InterruptEntry PollAndEnter(CpuState& cpu, PeripheralState& state, InterruptState& interrupts,
                            const CurrentInstruction& executed, uint64_t cycleCounter)
{
    const OperandAddress& destination = executed.destination;
    if (destination.IsInternal(sfr::SBUF)) NoteSbufWrite(state, cycleCounter);
    // Bit writes (CLR TI, SETB REN ...) never change the mode or the baud rate.
    if (WroteByte(executed, sfr::PCON) || WroteByte(executed, sfr::SCON) || WroteByte(executed, sfr::TH1) ||
        (cpu.Chip() == ChipModel::C8052 && (WroteByte(executed, sfr::T2CON) || WroteByte(executed, sfr::RCAP2L) ||
                                            WroteByte(executed, sfr::RCAP2H))))
        NoteSerialSetupWrite(cpu, state);
    if (!state.interruptsReported && IsOne(cpu, pbit::EA)) {
        state.interruptsReported = true;
        ReportInterrupts(cpu);
    }
    InterruptEntry entry;
    if (!IsOne(cpu, pbit::EA)) return entry;  // nothing to order or enter
    if (cpu.internal[sfr::IP] != state.orderedBy) {
        UpdateServiceOrder(cpu, state);
        state.orderedBy = cpu.internal[sfr::IP];
    }
    const int source = PollInterrupts(cpu, state, interrupts);
    if (source < 0 || HoldsEntry(cpu, state, executed)) return entry;
    entry.entered = true;
    entry.source = source;
    entry.level = InterruptLevel(cpu, source);
    entry.vector = kInterruptVectors[static_cast<std::size_t>(source)];
    ClearOnEntry(cpu, state, source);
    entry.entered = EnterInterrupt(cpu, interrupts, entry.level, entry.vector);
    return entry;
}

}  // namespace

InterruptEntry ServiceInterrupts(CpuState& cpu, PeripheralState& state, InterruptState& interrupts,
                                 const CurrentInstruction& executed, uint64_t cycleCounter)
{
    const InterruptEntry entry = PollAndEnter(cpu, state, interrupts, executed, cycleCounter);
    SampleLevelInterrupts(cpu, state);
    return entry;
}

}  // namespace zelo::core
