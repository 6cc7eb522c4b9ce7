// Timers 0 and 1: counting in modes 0-3 after every instruction and the
// one-time report of how the program set them up.
//
// A timer counts machine cycles: an instruction of c cycles advances a
// running timer by c, so a delay loop computed from the cycle column of the
// opcode table takes exactly as long as the cycle counter says. A counter
// (C/T = 1) counts falling edges on its T0/T1 pin instead, at most one per
// two machine cycles; with GATE = 1 a timer runs only while TRx = 1 and its
// INTx pin is high.
#pragma once

#include "core/cpu_state.h"
#include "core/peripheral_state.h"

namespace zelo::core {

// After each executed instruction (and after an interrupt entry): timers
// whose TR is 1 (and, with GATE = 1, whose INTx pin is high) advance by
// `cycles` or by the pin edges counted since the last tick (timer 0 in mode
// 3 also when TR1 is 1, for TH0); the first advance of each timer puts its
// report in front of SimulationLog. Timer 2 follows on the 8052.
void TimerTick(CpuState& cpu, PeripheralState& state, int cycles);

// Advances timer t (0 or 1) by n counts in its TMOD mode; timer 1 in mode 3
// holds.
// setsFlag false: the overflow does not reach TF (timer 1 while timer 0 is
// in mode 3 holds TF1 for TH0).
void AdvanceTimer(CpuState& cpu, PeripheralState& state, int n, int t, bool setsFlag = true);
// Modes 0 and 1: TL counts modulo `modulus` (32: the 13-bit mode 0, whose
// upper three TL bits stay as written); its carries step TH, and TH passing
// FFH sets TF.
void CountTimer(CpuState& cpu, int n, int t, int modulus, bool setsFlag = true);
// Timer 0 in mode 3: TL0 an 8-bit timer run by TR0 (and GATE0) setting TF0,
// TH0 an 8-bit timer run by TR1 setting TF1.
void SplitTimer(CpuState& cpu, int n);
// Mode 2: TL counts to FFH and reloads from TH, setting TF.
void ReloadTimer(CpuState& cpu, int n, int t, bool setsFlag = true);

}  // namespace zelo::core
