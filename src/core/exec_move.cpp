// Data moves: MOV (all forms), MOVC, MOVX, XCH, XCHD. Byte moves between
// internal locations copy the cells, so undefined bits travel without a stop;
// only addresses (@Ri, DPTR, A as an index) are read as values.
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

// Rn / @Ri / direct by the low digit, with 4 naming the accumulator.
std::optional<Operand> Target(Context& c, uint8_t lowDigit)
{
    if (lowDigit == 0x4) return Accumulator();
    return DecodeOperand(c, lowDigit, c.in.b1);
}

void Copy(Context& c, const std::optional<Operand>& destination,
          const std::optional<Operand>& source)
{
    if (!destination || !source) return;
    WriteCells(c, *destination, ReadCells(c, *source));
}

// MOV bit,C — 92 — 2 bytes, 2 cycles; MOV C,bit — A2 — 2 bytes, 1 cycle — the cell is copied
void MoveBit(Context& c, bool toCarry)
{
    const BitAddress bit = BitOfByte(c.in.b1);
    if (toCarry) {
        BitCell cell = ReadBitCell(c, bit);
        if (cell == kBitMissing) cell = kBitZero;
        c.in.source = OperandAddress{bit.byte, false};
        WriteBitCell(c, flag::CY, cell);
    } else {
        c.in.source = OperandAddress{sfr::PSW, false};
        WriteBitCell(c, bit, c.cpu.ReadBit(flag::CY));
    }
}

// The external address of MOVX: DPTR (data pointer 0) for low digit 0, R0/R1
// for 2/3. With @Ri the chip drives the latch of P2 onto the high address
// lines, so the address is P2 x 256 + Ri (the paged "pdata" of C compilers);
// the 89Cx051 has no external bus and no P2, and there Ri alone is the address.
std::optional<unsigned> ExternalAddress(Context& c)
{
    const uint8_t low = c.LowDigit();
    if (low == 0x0) {
        const auto dptr = c.cpu.ReadDptr(0);
        if (!dptr.value) return std::nullopt;
        return *dptr.value;
    }
    const auto ri = c.cpu.ReadRegister(low - 2);
    if (!ri.value) return std::nullopt;
    if (c.cpu.Chip() == ChipModel::C89Cx051) return *ri.value;
    const auto page = c.cpu.ReadRamByte(sfr::P2);
    if (!page) return std::nullopt;
    return static_cast<unsigned>(*page << 8 | *ri.value);
}

}  // namespace

// MOV — 74 A,#data; 75 dir,#data; 76-77 @Ri,#data; 78-7F Rn,#data;
// 85 dir,dir (B1 source, B2 destination); 86-87 dir,@Ri; 88-8F dir,Rn;
// 90 DPTR,#data16; 92 bit,C; A2 C,bit; A6-A7 @Ri,dir; A8-AF Rn,dir;
// E5 A,dir; E6-E7 A,@Ri; E8-EF A,Rn; F5 dir,A; F6-F7 @Ri,A; F8-FF Rn,A —
// 1-3 bytes, 1-2 cycles — no flags (P for A; C for MOV C,bit)
void ExecMov(Context& c)
{
    const uint8_t low = c.LowDigit();
    switch (c.in.b0 >> 4) {
        case 0x7: {
            const uint8_t data = low == 0x5 ? c.in.b2 : c.in.b1;
            Copy(c, Target(c, low), Immediate(data));
            return;
        }
        case 0x8:
            if (low == 0x5) {
                Copy(c, Direct(c.in.b2), Direct(c.in.b1));
            } else {
                Copy(c, Direct(c.in.b1), DecodeOperand(c, low, c.in.b1));
            }
            return;
        case 0x9:
            if (c.in.b0 == 0x90) {
                WriteValue(c, Direct(sfr::DPH), c.in.b1);
                WriteValue(c, Direct(sfr::DPL), c.in.b2);
            } else {
                MoveBit(c, false);
            }
            return;
        case 0xA:
            if (c.in.b0 == 0xA2) {
                MoveBit(c, true);
            } else {
                const auto destination = DecodeOperand(c, low, c.in.b1);
                Copy(c, destination, Direct(c.in.b1));
            }
            return;
        case 0xE:
            Copy(c, Accumulator(), DecodeOperand(c, low, c.in.b1));
            return;
        case 0xF: {
            const auto destination = DecodeOperand(c, low, c.in.b1);
            Copy(c, destination, Accumulator());
            return;
        }
        default:
            return;
    }
}

// MOVC A,@A+DPTR — 93 — 1 byte, 2 cycles; MOVC A,@A+PC — 83 (PC of the next
// instruction) — no flags (P). An unloaded code byte ("xx") gives "x" cells.
void ExecMovc(Context& c)
{
    const auto a = ReadAccumulatorValue(c);
    if (!a) return;
    unsigned base = NextInstructionAddress(c);
    if (c.in.b0 == 0x93) {
        const auto dptr = c.cpu.ReadDptr(0);
        if (!dptr.value) return;
        base = *dptr.value;
    }
    const unsigned address = (base + *a) & 0xFFFF;
    const HexCell cell = c.cpu.codeMemory[address];
    const char text[2] = {cell.hi, cell.lo};
    WriteCells(c, Accumulator(), HexByteToBitBuffer(std::string_view(text, 2)));
}

// MOVX A,@DPTR (E0) / A,@Ri (E2-E3) / @DPTR,A (F0) / @Ri,A (F2-F3) — 1 byte, 2 cycles —
// no flags (P). External addresses 0000H-00FFH are external memory too; @Ri
// addresses the page in P2.
void ExecMovx(Context& c)
{
    const auto address = ExternalAddress(c);
    if (!address) return;
    if (c.in.b0 >= 0xF0) {
        if (!ReadAccumulatorValue(c)) return;
        c.in.source = OperandAddress{sfr::ACC, false};
        c.cpu.MoveExternal(sfr::ACC, *address, 1);
        c.in.destination = OperandAddress{static_cast<int>(*address), true};
    } else {
        c.in.source = OperandAddress{static_cast<int>(*address), true};
        c.cpu.MoveExternal(*address, sfr::ACC, 2);
        c.in.destination = OperandAddress{sfr::ACC, false};
        c.in.NoteChanged(sfr::ACC);
    }
}

// XCH A,dir (C5) / A,@Ri (C6-C7) / A,Rn (C8-CF) — 1-2 bytes, 1 cycle — no flags (P);
// the cells are exchanged as they are
void ExecXch(Context& c)
{
    const auto operand = DecodeOperand(c);
    if (!operand) return;
    const ByteCells other = ReadCells(c, *operand);
    const ByteCells a = c.cpu.internal[sfr::ACC];
    WriteCells(c, Accumulator(), other);
    WriteCells(c, *operand, a);
}

// XCHD A,@Ri — D6-D7 — 1 byte, 1 cycle — no flags (P); exchanges the low digits
void ExecXchd(Context& c)
{
    const auto operand = DecodeOperand(c);
    if (!operand) return;
    ByteCells other = ReadCells(c, *operand);
    ByteCells a = c.cpu.internal[sfr::ACC];
    for (int k = 0; k < 4; ++k) std::swap(a[k], other[k]);
    WriteCells(c, Accumulator(), a);
    WriteCells(c, *operand, other);
}

}  // namespace zelo::core::exec
