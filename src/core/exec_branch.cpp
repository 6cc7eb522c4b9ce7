// Jumps, calls, returns and conditional branches. Targets are 16-bit and wrap
// at FFFFH/0000H like the chip's program counter. A condition that rests on
// an undefined bit or byte takes neither way and stops the run.
#include "core/alu.h"
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

// AJMP/ACALL: page bits a10..a8 from the top three bits of B0, inside the
// 2 KB block of the following instruction.
unsigned AbsoluteTarget(const Context& c)
{
    const unsigned page = (c.in.b0 >> 5) & 0x7;
    return (NextInstructionAddress(c) & 0xF800u) | (page << 8) | c.in.b1;
}

void BranchIf(Context& c, bool taken, uint8_t rel)
{
    if (taken) BranchRelative(c, rel);
}

}  // namespace

// SJMP rel — 80 — 2 bytes, 2 cycles; AJMP addr11 — a10a9a8 0 0001 — 2 bytes, 2 cycles;
// LJMP addr16 — 02 — 3 bytes, 2 cycles; JMP @A+DPTR — 73 — 1 byte, 2 cycles — no flags
void ExecJump(Context& c)
{
    switch (c.in.b0) {
        case 0x80:
            BranchRelative(c, c.in.b1);
            return;
        case 0x02:
            JumpTo(c, static_cast<unsigned>(c.in.b1 << 8 | c.in.b2));
            return;
        case 0x73: {
            const auto a = ReadAccumulatorValue(c);
            if (!a) return;
            const auto dptr = c.cpu.ReadDptr(0);
            if (!dptr.value) return;
            JumpTo(c, *dptr.value + *a);
            return;
        }
        default:
            JumpTo(c, AbsoluteTarget(c));
            return;
    }
}

// LCALL addr16 — 12 — 3 bytes, 2 cycles; ACALL addr11 — a10a9a8 1 0001 — 2 bytes, 2 cycles —
// no flags; pushes the return address low byte first, then checks SP
void ExecCall(Context& c)
{
    const unsigned target =
        c.in.b0 == 0x12 ? static_cast<unsigned>(c.in.b1 << 8 | c.in.b2) : AbsoluteTarget(c);
    if (!PushReturnAddress(c, NextInstructionAddress(c))) return;
    JumpTo(c, target);
}

// RET — 22 — 1 byte, 2 cycles; RETI — 32 — 1 byte, 2 cycles, ends the highest
// interrupt level in service — no flags; PC high byte from SP, low from SP - 1
void ExecReturn(Context& c)
{
    const auto sp = c.cpu.ReadRamByte(sfr::SP);
    if (!sp) return;
    const auto high = c.cpu.ReadIndirectByte(*sp);
    if (!high) return;
    const auto low = c.cpu.ReadIndirectByte(static_cast<uint8_t>(*sp - 1));
    if (!low) return;
    WriteStackPointer(c, static_cast<uint8_t>(*sp - 2));
    JumpTo(c, static_cast<unsigned>(*high << 8 | *low));
    if (c.in.row->mnemonic == Mnemonic::RETI) c.interrupts.EndHighestInService();
}

// JC rel — 40 — 2 bytes, 2 cycles
void ExecJc(Context& c)
{
    const auto cy = ReadBitValue(c, flag::CY);
    if (cy) BranchIf(c, *cy, c.in.b1);
}

// JNC rel — 50 — 2 bytes, 2 cycles
void ExecJnc(Context& c)
{
    const auto cy = ReadBitValue(c, flag::CY);
    if (cy) BranchIf(c, !*cy, c.in.b1);
}

// JZ rel — 60 — 2 bytes, 2 cycles
void ExecJz(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (a) BranchIf(c, *a == 0, c.in.b1);
}

// JNZ rel — 70 — 2 bytes, 2 cycles
void ExecJnz(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (a) BranchIf(c, *a != 0, c.in.b1);
}

// JBC bit,rel — 10; JB bit,rel — 20; JNB bit,rel — 30 — 3 bytes, 2 cycles —
// JBC clears the bit when it jumps
void ExecBitBranch(Context& c)
{
    const BitAddress bit = BitOfByte(c.in.b1);
    c.in.source = OperandAddress{bit.byte, false};
    const auto value = ReadBitValue(c, bit);
    if (!value) return;
    switch (c.in.row->mnemonic) {
        case Mnemonic::JBC:
            if (*value) {
                WriteBitCell(c, bit, kBitZero);
                BranchRelative(c, c.in.b2);
            }
            return;
        case Mnemonic::JB:
            BranchIf(c, *value, c.in.b2);
            return;
        default:
            BranchIf(c, !*value, c.in.b2);
            return;
    }
}

// DJNZ dir,rel — D5 — 3 bytes; DJNZ Rn,rel — D8-DF — 2 bytes — 2 cycles — no flags;
// 00H - 1 = FFH
void ExecDjnz(Context& c)
{
    const bool direct = c.in.b0 == 0xD5;
    const Operand operand =
        direct ? Direct(c.in.b1) : Direct(c.cpu.registerAddress[c.LowDigit() - 8]);
    const auto value = ReadValue(c, operand);
    if (!value) return;
    const uint8_t result = static_cast<uint8_t>(*value - 1);
    WriteValue(c, operand, result);
    BranchIf(c, result != 0, direct ? c.in.b2 : c.in.b1);
}

// CJNE A,#data,rel — B4; A,dir,rel — B5; @Ri,#data,rel — B6-B7; Rn,#data,rel — B8-BF —
// 3 bytes, 2 cycles — CY = first below second
void ExecCjne(Context& c)
{
    const uint8_t low = c.LowDigit();
    const std::optional<Operand> first = low <= 0x5 ? Accumulator() : DecodeOperand(c);
    if (!first) return;
    const Operand second = low == 0x5 ? Direct(c.in.b1) : Immediate(c.in.b1);
    const auto a = ReadValue(c, *first);
    if (!a) return;
    const auto b = ReadValue(c, second);
    if (!b) return;
    const auto r = alu::Compare(*a, *b);
    WriteFlag(c, flag::CY, r.carry);
    BranchIf(c, r.notEqual, c.in.b2);
}

}  // namespace zelo::core::exec
