// Arithmetic handlers: ADD, ADDC, SUBB, INC, DEC, MUL, DIV, DA. Operands are
// read as values (an undefined cell stops the run and the instruction writes
// nothing); flags are written in the order CY, result, AC, OV.
#include "core/alu.h"
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

enum class SumKind { Add, AddWithCarry, Subtract };

void Accumulate(Context& c, SumKind kind)
{
    const auto a = ReadAccumulatorValue(c);
    if (!a) return;
    const auto operand = DecodeOperand(c);
    if (!operand) return;
    const auto b = ReadValue(c, *operand);
    if (!b) return;
    bool carryIn = false;
    if (kind != SumKind::Add) {
        const auto cy = ReadBitValue(c, flag::CY);
        if (!cy) return;
        carryIn = *cy;
    }
    const auto r =
        kind == SumKind::Subtract ? alu::Subb(*a, *b, carryIn) : alu::Add(*a, *b, carryIn);
    WriteFlag(c, flag::CY, r.carry);
    WriteAccumulator(c, r.value);
    WriteFlag(c, flag::AC, r.auxCarry);
    WriteFlag(c, flag::OV, r.overflow);
}

// INC and DEC name the accumulator with low digit 4 (not #data).
std::optional<Operand> IncDecOperand(Context& c)
{
    if (c.LowDigit() == 0x4) return Accumulator();
    return DecodeOperand(c);
}

void Step(Context& c, int delta)
{
    const auto operand = IncDecOperand(c);
    if (!operand) return;
    const auto value = ReadValue(c, *operand);
    if (!value) return;
    WriteValue(c, *operand, static_cast<uint8_t>(*value + delta));
}

// INC DPTR — A3 — 1 byte, 2 cycles — no flags; DPH:DPL + 1, FFFFH wraps to 0000H
void IncrementDptr(Context& c)
{
    const auto dptr = c.cpu.ReadDptr(0);
    if (!dptr.value) return;
    const uint16_t next = static_cast<uint16_t>(*dptr.value + 1);
    WriteValue(c, Direct(sfr::DPL), static_cast<uint8_t>(next & 0xFF));
    WriteValue(c, Direct(sfr::DPH), static_cast<uint8_t>(next >> 8));
}

}  // namespace

// ADD A,<src> — 24 #data, 25 dir, 26/27 @Ri, 28-2F Rn — 1-2 bytes, 1 cycle — CY AC OV (P)
void ExecAdd(Context& c)
{
    Accumulate(c, SumKind::Add);
}

// ADDC A,<src> — 34 #data, 35 dir, 36/37 @Ri, 38-3F Rn — 1-2 bytes, 1 cycle — CY AC OV (P)
void ExecAddc(Context& c)
{
    Accumulate(c, SumKind::AddWithCarry);
}

// SUBB A,<src> — 94 #data, 95 dir, 96/97 @Ri, 98-9F Rn — 1-2 bytes, 1 cycle — CY AC OV (P)
void ExecSubb(Context& c)
{
    Accumulate(c, SumKind::Subtract);
}

// INC A / dir / @Ri / Rn — 04, 05, 06-07, 08-0F — 1-2 bytes, 1 cycle — no flags (P for A);
// INC DPTR — A3
void ExecInc(Context& c)
{
    if (c.in.b0 == 0xA3) {
        IncrementDptr(c);
        return;
    }
    Step(c, +1);
}

// DEC A / dir / @Ri / Rn — 14, 15, 16-17, 18-1F — 1-2 bytes, 1 cycle — no flags (P for A)
void ExecDec(Context& c)
{
    Step(c, -1);
}

// MUL AB — A4 — 1 byte, 4 cycles — CY = 0, OV = product above FFH (P); B:A = A x B
void ExecMul(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (!a) return;
    const auto b = ReadValue(c, Direct(sfr::B));
    if (!b) return;
    const auto r = alu::Multiply(*a, *b);
    WriteFlag(c, flag::CY, false);
    WriteValue(c, Direct(sfr::B), r.high);
    WriteAccumulator(c, r.low);
    WriteFlag(c, flag::OV, r.overflow);
}

// DIV AB — 84 — 1 byte, 4 cycles — CY = 0, OV = divisor 0 (P); A = A / B, B = A mod B;
// B = 0 gives A = 00H, B = 00H
void ExecDiv(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (!a) return;
    const auto b = ReadValue(c, Direct(sfr::B));
    if (!b) return;
    const auto r = alu::Divide(*a, *b);
    WriteFlag(c, flag::CY, false);
    WriteValue(c, Direct(sfr::B), r.remainder);
    WriteAccumulator(c, r.quotient);
    WriteFlag(c, flag::OV, r.overflow);
}

// DA A — D4 — 1 byte, 1 cycle — CY set by a decimal carry, never cleared (P)
void ExecDa(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (!a) return;
    const auto cy = ReadBitValue(c, flag::CY);
    if (!cy) return;
    const auto ac = ReadBitValue(c, flag::AC);
    if (!ac) return;
    const auto r = alu::DecimalAdjust(*a, *cy, *ac);
    if (r.carry && !*cy) WriteFlag(c, flag::CY, true);
    WriteAccumulator(c, r.value);
}

}  // namespace zelo::core::exec
