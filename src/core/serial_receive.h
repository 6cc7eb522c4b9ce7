// The serial port's receiver. Bytes wait in a queue (from an input script or
// a terminal); each takes one character time on RXD at the sender's rate
// (the program's own unless the sender's was given), one after the other. A
// sender at the program's own rate starts only once the program's receiver
// is ready (REN = 1 and its baud clock running); a sender with a rate of its
// own sends when it likes, and what arrives while REN = 0 is lost.
// When a character is complete, modes 1-3 with REN = 1 load SBUF and RB8 and
// set RI: not while RI is still 1 (the byte is lost: "receive overrun"), and
// in modes 2 and 3 with SM2 = 1 only when the ninth bit is 1. Mode 0 shifts
// eight bits in at the machine-cycle rate once REN = 1 and RI = 0.
#pragma once

#include <cstdint>
#include <span>

#include "core/cpu_state.h"
#include "core/input_feeder.h"
#include "core/peripheral_state.h"

namespace zelo::core {

inline constexpr const char* kReceiveOverrunMessage = "receive overrun";

// Completes what is due at `now`; returns the cycle at which the receiver
// must be looked at again (kNoInputCycle when nothing waits).
uint64_t AdvanceReceiver(CpuState& cpu, OutsideState& state, std::span<const ReceiveByte> queue,
                         uint64_t now);

}  // namespace zelo::core
