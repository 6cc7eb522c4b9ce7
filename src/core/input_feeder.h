// What reaches the chip from outside while it runs: the events of an input
// script, clocks on pins, bytes arriving on RXD, and the sampling of the
// pins the peripherals watch (INT0/INT1, T0/T1, T2/T2EX).
//
// The step loop pays for none of it while nothing happens: the feeder runs
// only when the cycle counter reaches PeripheralState::nextInputCycle, and
// the pins are sampled again only when P1/P3 or a pull changed.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

#include "core/cpu_state.h"
#include "core/input_script.h"
#include "core/peripheral_state.h"

namespace zelo::core {

// A byte waiting to be received, not before the given cycle.
struct ReceiveByte
{
    uint8_t byte = 0;
    bool ninth = true;  // the ninth bit of modes 2 and 3 (the stop bit of a mode 1 sender)
    uint64_t notBefore = 0;
};

inline constexpr uint64_t kNoInputCycle = ~uint64_t{0};

// After an instruction, before the timers count: the pins of P1 and P3 are
// sampled; a falling edge on INT0/INT1 sets IE0/IE1 in edge mode, on T0/T1/T2
// it waits to be counted, on T2EX it waits for Timer 2; the INT pins' levels
// are kept for level-triggered requests and GATE.
void SamplePinsChanged(CpuState& cpu, PeripheralState& state, OutsideState& outside);
inline void SamplePins(CpuState& cpu, PeripheralState& state, OutsideState& outside)
{
    // Nothing to do unless a pull changed or the program wrote P1 or P3:
    // two eight-byte comparisons a step.
    const auto same = [](const std::array<BitCell, 8>& a, const std::array<BitCell, 8>& b) {
        uint64_t x, y;
        std::memcpy(&x, a.data(), 8);
        std::memcpy(&y, b.data(), 8);
        return x == y;
    };
    if (!outside.pins.changed && same(cpu.internal[sfr::P1], state.samples.cellsSeen[0]) &&
        same(cpu.internal[sfr::P3], state.samples.cellsSeen[1]))
        return;
    SamplePinsChanged(cpu, state, outside);
}

// Applies everything outside that is due at cycle `now`: script events,
// clock edges, characters completing on RXD; then sets nextInputCycle.
// Returns true when the script's end event was reached.
// Clock edges on T0/T1/T2 wait in the peripherals' samples to be counted.
bool FeedInputs(CpuState& cpu, OutsideState& outside, PeripheralState& state,
                std::span<const InputEvent> events, std::span<const ReceiveByte> queue,
                uint64_t now);

// The pull-downs of one source changed (between steps).
void SetPullDowns(CpuState& cpu, OutsideState& outside, PullSource source, const PortBytes& pulls);

}  // namespace zelo::core
