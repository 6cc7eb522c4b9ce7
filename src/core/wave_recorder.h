// A Value Change Dump of a run: every port pin, TF0/TF1/TF2, RI/TI,
// IE0/IE1 and the program counter, in machine-cycle time, for a waveform
// viewer such as GTKWave. The dump is built in memory; the caller writes it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/simulator.h"

namespace zelo::core {

class WaveRecorder
{
public:
    // The header and the values at the start.
    explicit WaveRecorder(const Simulator& sim);
    // After a step: the values that changed, at the simulator's cycle count.
    void Sample(const Simulator& sim);
    const std::string& Text() const { return m_text; }

private:
    static constexpr int kBits = 32 + 7;  // port pins, then the flags
    void Write(const Simulator& sim, bool all);

    std::array<char, kBits> m_values{};
    uint16_t m_pc = 0;
    uint64_t m_lastTime = ~uint64_t{0};
    std::string m_text;
};

}  // namespace zelo::core
