// Joins a board (and its serial terminal) to the simulated chip, step by step.
//
// After each executed step the link reads the port latches from the P0-P3
// registers, hands them with the cycle counter to the board, and passes a
// byte the step wrote to SBUF to the terminal.
//
// The board's pull-downs reach the program through the port registers: a
// pulled pin's cell reads 0 while it is held and gets its 1 back when the
// board lets go, unless the program wrote that bit in the meantime. This
// stands in for a pin model that keeps latch and pin apart; its limits are
// that a read-modify-write instruction on a port (ANL P1,#.., CPL P1.0) sees
// a held pin as a 0 latch, and that nothing samples P3.2/P3.3 for INT0/INT1
// or P3.0 for the receiver. HoldPins is the one place that changes when the
// chip gets separate pin levels: it then hands `pulls` to the chip, which
// reads pin = latch AND NOT pull on port reads, samples INT0/INT1 and the
// timer inputs from the pins, and takes the terminal's Pending bytes into
// its receiver.
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
    // A program was loaded (the registers were reset): nothing is held.
    void Reset() { m_held = kNoPulls; }

    // After a step; `executed` is false when the step ran nothing (a stop on
    // missing code), and then only the board's clock is looked at.
    void AfterStep(core::Simulator& sim, Board& board, SerialTerminal* terminal, bool executed);

    const PortBytes& Held() const { return m_held; }

private:
    void HoldPins(core::CpuState& cpu, const PortBytes& latches, const PortBytes& pulls);

    PortBytes m_held = kNoPulls;  // pins whose port cell holds a pulled-down 0
};

}  // namespace zelo::board
