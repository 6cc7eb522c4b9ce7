// The serial port's transmit timing: the character time computed from SCON,
// PCON and TH1 (with its report), and TI set once a character written to
// SBUF has had time to leave.
#pragma once

#include <cstdint>
#include <string>

#include "core/cpu_state.h"
#include "core/peripheral_state.h"

namespace zelo::core {

struct SerialTiming {
    int mode = 0;         // SM0 SM1
    double baud = 0;      // bits per second
    int bits = 8;         // bits per character
    uint64_t cycles = 0;  // character time in machine cycles
};

// Baud rate, character bits and character time of a serial mode. th1 is used
// by modes 1 and 3, smod by modes 1-3.
SerialTiming ComputeSerialTiming(int mode, bool smod, int th1);

// The set-up the program has now: the transmitter's (receive false) or the
// receiver's (an undefined TH1 stops the run and counts as 0); on the 8052
// TCLK and RCLK hand modes 1 and 3 to Timer 2.
SerialTiming SerialTimingOf(CpuState& cpu, bool receive);

// Reads SM0/SM1, SMOD and TH1 (an undefined TH1 stops the run and counts as
// 0), stores the character time and puts the mode, baud and machine-cycle
// lines in front of SimulationLog.
void SerialTimingReport(CpuState& cpu, PeripheralState& state);

// After an instruction wrote SCON, PCON or TH1 as a byte: the report is
// written when the mode or the baud rate differs from the one last reported
// (or nothing was reported yet); the character time follows the set-up.
void NoteSerialSetupWrite(CpuState& cpu, PeripheralState& state);

// A number as the reports write it: decimal with one leading blank, the
// fraction only when there is one (" 9600", " 2215.38461538462").
std::string ReportNumber(double value);

// The program wrote SBUF at this cycle count.
void NoteSbufWrite(PeripheralState& state, uint64_t cycleCounter);

// After every step: once more cycles than the character time have passed
// since the SBUF write, TI becomes 1.
void CompleteTransmission(CpuState& cpu, PeripheralState& state, uint64_t cycleCounter);

}  // namespace zelo::core
