// Timer 2 of the 8052: a 16-bit timer or counter (C/T2; the counter counts
// falling edges on T2, P1.0) in one of three modes chosen by T2CON:
//   RCLK or TCLK = 1   baud-rate generator: counts at half the oscillator
//                      frequency, reloads TH2/TL2 from RCAP2H/L on overflow
//                      and sets no flag;
//   CP/RL2 = 1         capture: a falling edge on T2EX (P1.1) with EXEN2 = 1
//                      copies TH2/TL2 into RCAP2H/L and sets EXF2;
//   otherwise          16-bit auto-reload from RCAP2H/L on overflow, and on a
//                      T2EX falling edge with EXEN2 = 1 (setting EXF2).
// An overflow sets TF2 (not in baud-rate mode). TF2 and EXF2 request the
// interrupt at 002BH; the hardware never clears them.
#pragma once

#include "core/cpu_state.h"
#include "core/peripheral_state.h"

namespace zelo::core {

// After each instruction on the 8052 (from TimerTick).
void Timer2Tick(CpuState& cpu, PeripheralState& state, int cycles);

// The serial port's rate when Timer 2 clocks it: fosc / (32 x (65536 - RCAP2)).
double Timer2Baud(CpuState& cpu);

}  // namespace zelo::core
