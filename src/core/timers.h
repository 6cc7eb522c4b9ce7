// Timers 0 and 1: counting in modes 0-3 after every instruction and the
// one-time report of how the program set them up.
//
// A timer counts machine cycles: an instruction of c cycles advances a
// running timer by c, so a delay loop computed from the cycle column of the
// opcode table takes exactly as long as the cycle counter says.
#pragma once

#include "core/cpu_state.h"
#include "core/peripheral_state.h"

namespace zelo::core {

// After each executed instruction (and after an interrupt entry): timers
// whose GATE is 0 and TR is 1 advance by `cycles`; the first advance of each
// timer puts its report in front of SimulationLog.
void TimerTick(CpuState& cpu, PeripheralState& state, int cycles);

// Advances timer t (0 or 1) by n counts in its TMOD mode; mode 3 holds.
void AdvanceTimer(CpuState& cpu, PeripheralState& state, int n, int t);
// Modes 0 and 1: TL counts modulo `modulus`; a wrap steps TH once, and TH
// passing FFH sets TF.
void CountTimer(CpuState& cpu, int n, int t, int modulus);
// Mode 2: TL counts to FFH and reloads from TH, setting TF.
void ReloadTimer(CpuState& cpu, int n, int t);

}  // namespace zelo::core
