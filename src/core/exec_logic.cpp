// Logic handlers: ORL, ANL, XRL on bytes and on the carry, the rotates and
// SWAP. Logic works cell by cell: a cell counts as 1 only when it is "1"
// ("x" counts as 0), so results hold only "0" and "1" and never stop a run.
// Rotates and SWAP move the cells of ACC as they are.
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

bool CellIsOne(BitCell cell)
{
    return cell == kBitOne;
}

bool Combine(Mnemonic operation, bool destination, bool source)
{
    switch (operation) {
        case Mnemonic::ORL:
            return destination || source;
        case Mnemonic::ANL:
            return destination && source;
        default:
            return destination != source;  // XRL
    }
}

// ORL C,bit (72) / ORL C,/bit (A0) / ANL C,bit (82) / ANL C,/bit (B0) — 2 bytes, 2 cycles — CY
void CombineCarry(Context& c, Mnemonic operation, bool complemented)
{
    const BitAddress bit = BitOfByte(c.in.b1);
    BitCell cell = ReadBitCell(c, bit);
    if (cell == kBitMissing) cell = kBitZero;
    const bool source = complemented ? cell == kBitZero : CellIsOne(cell);
    const bool carry = CellIsOne(c.cpu.ReadBit(flag::CY));
    c.in.source = OperandAddress{bit.byte, false};
    WriteBitCell(c, flag::CY, Combine(operation, carry, source) ? kBitOne : kBitZero);
}

}  // namespace

// ORL / ANL / XRL — x2 dir,A (2 bytes, 1 cycle); x3 dir,#data (3 bytes, 2 cycles);
// x4 A,#data; x5 A,dir; x6-x7 A,@Ri; x8-xF A,Rn (1-2 bytes, 1 cycle) — no flags (P for A).
// x = 4 ORL, 5 ANL, 6 XRL; 72/A0 ORL C, 82/B0 ANL C.
void ExecLogic(Context& c)
{
    const Mnemonic operation = c.in.row->mnemonic;
    switch (c.in.b0) {
        case 0x72:
            CombineCarry(c, operation, false);
            return;
        case 0xA0:
            CombineCarry(c, operation, true);
            return;
        case 0x82:
            CombineCarry(c, operation, false);
            return;
        case 0xB0:
            CombineCarry(c, operation, true);
            return;
        default:
            break;
    }
    Operand destination;
    std::optional<Operand> source;
    switch (c.LowDigit()) {
        case 0x2:
            destination = Direct(c.in.b1);
            source = Accumulator();
            break;
        case 0x3:
            destination = Direct(c.in.b1);
            source = Immediate(c.in.b2);
            break;
        default:
            destination = Accumulator();
            source = DecodeOperand(c);
            break;
    }
    if (!source) return;
    const ByteCells from = ReadCells(c, *source);
    const ByteCells to = c.cpu.internal[destination.address];
    ByteCells result;
    for (int k = 0; k < 8; ++k)
        result[k] = Combine(operation, CellIsOne(to[k]), CellIsOne(from[k])) ? kBitOne : kBitZero;
    WriteCells(c, destination, result);
}

// RR A (03) / RRC A (13) / RL A (23) / RLC A (33) — 1 byte, 1 cycle — CY for RRC/RLC (P)
void ExecRotate(Context& c)
{
    const ByteCells a = c.cpu.internal[sfr::ACC];
    ByteCells result;
    const Mnemonic m = c.in.row->mnemonic;
    if (m == Mnemonic::RL || m == Mnemonic::RLC) {
        for (int k = 1; k < 8; ++k) result[k] = a[k - 1];
        result[0] = m == Mnemonic::RL ? a[7] : c.cpu.ReadBit(flag::CY);
        if (m == Mnemonic::RLC) {
            c.cpu.WriteBit(a[7], flag::CY);
            c.in.NoteChanged(flag::CY.byte, flag::CY.bit);
        }
    } else {
        for (int k = 0; k < 7; ++k) result[k] = a[k + 1];
        result[7] = m == Mnemonic::RR ? a[0] : c.cpu.ReadBit(flag::CY);
        if (m == Mnemonic::RRC) {
            c.cpu.WriteBit(a[0], flag::CY);
            c.in.NoteChanged(flag::CY.byte, flag::CY.bit);
        }
    }
    WriteCells(c, Accumulator(), result);
}

// SWAP A — C4 — 1 byte, 1 cycle — no flags; exchanges the two digits of A
void ExecSwap(Context& c)
{
    const ByteCells a = c.cpu.internal[sfr::ACC];
    ByteCells result;
    for (int k = 0; k < 8; ++k) result[k] = a[(k + 4) % 8];
    WriteCells(c, Accumulator(), result);
}

}  // namespace zelo::core::exec
