// PUSH and POP. The stack lives where @Ri reaches: internal RAM, and on the
// 8052 the upper RAM for 80H-FFH (kept apart from the direct SFR space).
#include "core/exec_context.h"

namespace zelo::core::exec {

// PUSH dir — C0 — 2 bytes, 2 cycles — no flags; SP + 1, the byte's cells at SP, then the
// stack pointer is checked
void ExecPush(Context& c)
{
    auto sp = c.cpu.ReadRamByte(sfr::SP);
    if (!sp) return;
    const ByteCells cells = ReadCells(c, Direct(c.in.b1));
    PushCells(c, *sp, cells);
    WriteStackPointer(c, *sp);
    c.cpu.CheckStackPointer();
}

// POP dir — D0 — 2 bytes, 2 cycles — no flags; the byte at SP goes to dir after SP - 1,
// so POP SP leaves the popped value in SP as on the chip
void ExecPop(Context& c)
{
    const auto sp = c.cpu.ReadRamByte(sfr::SP);
    if (!sp) return;
    const ByteCells cells = ReadCells(c, Operand{Where::Indirect, *sp, 0});
    WriteStackPointer(c, static_cast<uint8_t>(*sp - 1));
    WriteCells(c, Direct(c.in.b1), cells);
}

}  // namespace zelo::core::exec
