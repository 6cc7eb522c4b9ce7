// Bit handlers: CLR, SETB and CPL on a bit, on C and (CLR, CPL) on A. They
// work on cells and never stop a run; a bit the chip does not have stays
// missing.
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

// Low digit 2: the bit named by B1; 3: the carry.
BitAddress BitOperand(const Context& c)
{
    return c.LowDigit() == 0x2 ? BitOfByte(c.in.b1) : flag::CY;
}

BitCell Complement(BitCell cell)
{
    return cell == kBitZero ? kBitOne : kBitZero;
}

}  // namespace

// CLR bit — C2 — 2 bytes; CLR C — C3 — 1 byte; CLR A — E4 — 1 byte — 1 cycle — (P for A)
void ExecClr(Context& c)
{
    if (c.in.b0 == 0xE4) {
        WriteValue(c, Accumulator(), 0);
        return;
    }
    WriteBitCell(c, BitOperand(c), kBitZero);
}

// SETB bit — D2 — 2 bytes; SETB C — D3 — 1 byte — 1 cycle
void ExecSetb(Context& c)
{
    WriteBitCell(c, BitOperand(c), kBitOne);
}

// CPL bit — B2 — 2 bytes; CPL C — B3 — 1 byte; CPL A — F4 — 1 byte — 1 cycle — (P for A).
// "0" becomes "1", anything else "0".
void ExecCpl(Context& c)
{
    if (c.in.b0 == 0xF4) {
        ByteCells cells = c.cpu.internal[sfr::ACC];
        for (auto& cell : cells) cell = Complement(cell);
        WriteCells(c, Accumulator(), cells);
        return;
    }
    const BitAddress bit = BitOperand(c);
    WriteBitCell(c, bit, Complement(c.cpu.ReadBit(bit)));
}

}  // namespace zelo::core::exec
