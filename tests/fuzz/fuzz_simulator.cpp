// Random code bytes run from a random but valid machine state, a bounded
// number of steps, on each chip. After every step: the cycle and step
// counters never go backwards and move together, the program counter shows
// as four hex digits, every RAM cell stays a valid bit cell, the register
// bank follows PSW; at the end code memory is unchanged (a program never
// writes its own code) and the upper RAM of chips without it is untouched.
//
// Input layout: chip, step budget, start PC (2 bytes), 40 state bytes, then
// the code bytes loaded from the start PC on.
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/simulator.h"
#include "cpu_invariants.h"

using namespace zelo::core;

namespace {

ZELO_FUZZ_NO_COVERAGE int CellValue(const HexCell& cell)
{
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    const int hi = digit(cell.hi), lo = digit(cell.lo);
    return hi < 0 || lo < 0 ? -1 : 16 * hi + lo;
}

ZELO_FUZZ_NO_COVERAGE bool SameCode(const std::vector<HexCell>& before, const std::vector<HexCell>& after)
{
    if (before.size() != after.size()) return false;
    for (size_t a = 0; a < before.size(); ++a)
        if (CellValue(before[a]) != CellValue(after[a])) return false;
    return true;
}

// The registers a program's set-up typically writes before it starts.
constexpr std::array<uint8_t, 16> kStateSfrs = {sfr::SP,   sfr::PSW,  sfr::ACC,  sfr::B,    sfr::DPL, sfr::DPH,
                                                sfr::TMOD, sfr::TCON, sfr::TL0,  sfr::TH0,  sfr::TL1, sfr::TH1,
                                                sfr::IE,   sfr::IP,   sfr::SCON, sfr::P1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kHeader = 4 + 40;
    if (size < kHeader + 1 || size > 4096) return 0;
    const auto chip = static_cast<ChipModel>(data[0] % 3);
    const int budget = 1 + data[1] * 4;
    const uint16_t start = static_cast<uint16_t>(data[2] << 8 | data[3]);
    const uint8_t* state = data + 4;

    Simulator sim(chip);
    sim.SelectChip(chip);
    sim.ResetForLoad();
    CpuState& cpu = sim.Cpu();

    // State: the first 16 bytes go to the SFRs above (SP kept inside RAM so
    // the stack check does not stop every program at once), the next 24
    // seed RAM 00H-7FH (and the 8052's upper RAM) with a repeating pattern;
    // one bit of byte 0 leaves RAM undefined instead.
    for (size_t i = 0; i < kStateSfrs.size(); ++i) {
        uint8_t v = state[i];
        if (kStateSfrs[i] == sfr::SP) v &= 0x7F;
        cpu.StoreByte(v, kStateSfrs[i]);
    }
    const bool defineRam = (state[0] & 0x80) == 0;
    if (defineRam) {
        for (int a = 0; a < 0x80; ++a)
            cpu.StoreByte(static_cast<uint8_t>(state[16 + a % 24] + a), static_cast<uint8_t>(a));
        if (HasUpperRam(chip))
            for (int a = 0x80; a < 0x100; ++a)
                cpu.WriteIndirectByte(static_cast<uint8_t>(state[16 + a % 24] ^ a), static_cast<uint8_t>(a));
    }
    cpu.StoreByte(state[1], sfr::PSW);  // again, after RAM: relabels the bank
    for (int a = 0; a < 64; ++a) cpu.externalMemory[static_cast<size_t>(a * 1000)] = HexCell::FromValue(state[16 + a % 24]);

    const uint8_t* code = data + kHeader;
    const size_t codeSize = size - kHeader;
    for (size_t i = 0; i < codeSize; ++i)
        cpu.codeMemory[static_cast<uint16_t>(start + i)] = HexCell::FromValue(code[i]);
    cpu.programCounter = start;

    const std::vector<HexCell> codeBefore = cpu.codeMemory;
    const auto upperBefore = cpu.upperRam;
    CheckCells(cpu);

    uint64_t cycles = sim.CycleCounter();
    uint64_t steps = sim.StepCounter();
    for (int i = 0; i < budget; ++i) {
        sim.SetDisplayFlag((i & 7) == 0);  // build the trace texts on some steps
        const StepReport report = sim.OneStep();
        ZELO_FUZZ_CHECK(sim.CycleCounter() >= cycles, "the cycle counter never goes backwards");
        ZELO_FUZZ_CHECK(sim.StepCounter() >= steps, "the step counter never goes backwards");
        if (report.executed) {
            ZELO_FUZZ_CHECK(sim.StepCounter() == steps + 1, "an executed step counts one step");
            ZELO_FUZZ_CHECK(sim.CycleCounter() >= cycles + 1 && sim.CycleCounter() <= cycles + 6,
                            "an executed step takes 1 to 4 cycles plus an interrupt call");
        } else {
            ZELO_FUZZ_CHECK(sim.StepCounter() == steps && sim.CycleCounter() == cycles,
                            "a step that executes nothing counts nothing");
        }
        const std::string pc = Simulator::PcCaption(sim.ProgramCounter());
        ZELO_FUZZ_CHECK(pc.size() == 7, "the program counter shows as four hex digits");
        if (report.countersShown)
            ZELO_FUZZ_CHECK(!report.nextTrace.empty(), "a shown step has the next instruction's trace");
        if ((i & 15) == 15) CheckCells(cpu);
        cycles = sim.CycleCounter();
        steps = sim.StepCounter();
        if (!report.executed) break;  // nothing more can run from here
    }

    CheckCells(cpu);
    ZELO_FUZZ_CHECK(SameCode(codeBefore, cpu.codeMemory), "code memory is never written");
    if (!HasUpperRam(chip)) ZELO_FUZZ_CHECK(upperBefore == cpu.upperRam, "no upper RAM is written on this chip");
    return 0;
}
