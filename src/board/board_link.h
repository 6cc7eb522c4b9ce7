// Joins a board (and its serial terminal) to the simulated chip, step by step.
//
// After each executed step the link hands the board the port latches (less
// what other outside sources, an input script or a click on a chip pin, pull
// low) and the cycle counter, and gives the chip the board's answer as the
// board's pull-downs: the program then reads pin = latch AND NOT pulled, and
// INT0/INT1, the timer inputs and the receiver work from those pins. A byte
// the step wrote to SBUF goes to the terminal; bytes typed into the terminal
// go to the chip's receiver.
#pragma once

#include "board/board.h"
#include "board/serial_terminal.h"
#include "core/simulator.h"

namespace zelo::board {

// The latches of P0-P3: a cell "0" is 0; "1", undefined and missing cells
// (a released or absent pin floats high) are 1.
PortBytes ReadPortLatches(const core::CpuState& cpu);

// The program's serial baud rate from SCON, PCON and TH1; 0 when a register
// it needs holds an undefined bit.
double ProgramBaud(const core::CpuState& cpu);

class BoardLink
{
public:
    // A program was loaded; the link keeps nothing of its own.
    void Reset() {}

    // After a step; `executed` is false when the step ran nothing (a stop on
    // missing code), and then only the board's clock is looked at.
    void AfterStep(core::Simulator& sim, Board& board, SerialTerminal* terminal, bool executed);
};

}  // namespace zelo::board
