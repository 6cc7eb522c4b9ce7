#include "core/wave_recorder.h"

namespace zelo::core {

namespace {

constexpr BitAddress kFlags[7] = {pbit::TF0, pbit::TF1, pbit::TF2, pbit::RI,
                                  pbit::TI,  pbit::IE0, pbit::IE1};
constexpr const char* kFlagNames[7] = {"TF0", "TF1", "TF2", "RI", "TI", "IE0", "IE1"};

// Identifier codes: printable characters from '!' on, one per signal.
std::string Code(int index)
{
    std::string code;
    do {
        code += static_cast<char>('!' + index % 90);
        index /= 90;
    } while (index > 0);
    return code;
}

}  // namespace

WaveRecorder::WaveRecorder(const Simulator& sim)
{
    m_text =
        "$comment ZELO8051 run; one time unit is one machine cycle (12 periods of 11.0592 MHz) "
        "$end\n"
        "$timescale 1 us $end\n$scope module chip $end\n";
    for (int p = 0; p < kPorts; ++p)
        for (int b = 0; b < 8; ++b)
            m_text += "$var wire 1 " + Code(8 * p + b) + " P" + std::to_string(p) + "." +
                      std::to_string(b) + " $end\n";
    for (int f = 0; f < 7; ++f)
        m_text += "$var wire 1 " + Code(32 + f) + " " + kFlagNames[f] + " $end\n";
    m_text += "$var wire 16 " + Code(kBits) + " PC $end\n$upscope $end\n$enddefinitions $end\n";
    Write(sim, true);
}

void WaveRecorder::Sample(const Simulator& sim)
{
    Write(sim, false);
}

void WaveRecorder::Write(const Simulator& sim, bool all)
{
    const CpuState& cpu = sim.Cpu();
    const PortBytes latches = sim.Latches();
    std::array<char, kBits> values{};
    for (int p = 0; p < kPorts; ++p)
        for (int b = 0; b < 8; ++b)
            values[static_cast<std::size_t>(8 * p + b)] =
                PinLevelChar(p, b, latches, sim.Outside().pins);
    for (int f = 0; f < 7; ++f)
        values[static_cast<std::size_t>(32 + f)] = cpu.ReadBit(kFlags[f]) == kBitOne ? '1' : '0';
    const uint16_t pc = sim.ProgramCounter();
    std::string changes;
    for (int k = 0; k < kBits; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (!all && values[i] == m_values[i]) continue;
        changes += values[i];
        changes += Code(k);
        changes += '\n';
    }
    if (all || pc != m_pc) {
        changes += 'b';
        for (int b = 15; b >= 0; --b) changes += (pc >> b) & 1u ? '1' : '0';
        changes += ' ' + Code(kBits) + '\n';
    }
    m_values = values;
    m_pc = pc;
    if (changes.empty()) return;
    const uint64_t now = sim.CycleCounter();
    if (now != m_lastTime) {
        m_text += '#' + std::to_string(now) + '\n';
        m_lastTime = now;
    }
    m_text += changes;
}

}  // namespace zelo::core
