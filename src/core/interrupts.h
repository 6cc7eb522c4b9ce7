// The interrupt system: six sources with two priority levels, entered after
// an instruction the way the chip does it.
//
// After each step, with EA = 1, the pending enabled source of the highest
// level is chosen (within a level: INT0, Timer 0, INT1, Timer 1, Serial,
// Timer 2). It is entered only when no interrupt of its level or a higher one
// is in service, and not right after RETI or a write to IE or IP (the chip
// runs one more instruction first). One source is entered per step; the entry
// is a hardware call of two machine cycles.
#pragma once

#include <cstdint>

#include "core/cpu_state.h"
#include "core/current_instruction.h"
#include "core/interrupt_state.h"
#include "core/peripheral_state.h"

namespace zelo::core {

struct InterruptEntry {
    bool entered = false;
    int source = -1;
    int level = 0;
    uint16_t vector = 0;
};

// Every step, after the timers and the transmit completion: notes an SBUF
// write, reports the serial timing when a byte write to PCON, SCON or TH1
// changed it, reports the enabled interrupts once EA is set, enters the
// chosen interrupt and samples the level-triggered requests.
// The caller adds kInterruptEntryCycles to its counters when one was entered.
InterruptEntry ServiceInterrupts(CpuState& cpu, PeripheralState& state, InterruptState& interrupts,
                                 const CurrentInstruction& executed, uint64_t cycleCounter);

// True when the source's request flag is set (serial: RI or TI; Timer 2: TF2
// or EXF2).
bool InterruptRequested(const CpuState& cpu, int source);
// 1 when the source's IP bit is 1, else 0.
int InterruptLevel(const CpuState& cpu, int source);
// Rebuilds the service order: high-level sources first, each level in the
// chip's order.
void UpdateServiceOrder(const CpuState& cpu, PeripheralState& state);
// The source to enter now, or -1.
int PollInterrupts(const CpuState& cpu, const PeripheralState& state, const InterruptState& interrupts);

// The hardware call: pushes the program counter exactly as LCALL does (low
// byte first, SP written back and checked, the stack stop included), marks
// the level in service and jumps to the vector. False when SP was undefined
// (the undefined-bit stop; nothing was entered).
bool EnterInterrupt(CpuState& cpu, InterruptState& interrupts, int level, uint16_t vector);

// Level-triggered external interrupts (ITx = 0): IE0/IE1 follow the INT0 and
// INT1 pins. Runs after the interrupt poll of every step, so a request the
// program set itself is seen by one poll and then follows the pin (high: 0).
void SampleLevelInterrupts(CpuState& cpu, const PeripheralState& state);

}  // namespace zelo::core
