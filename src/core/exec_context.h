// Shared operations of the instruction handlers: operand decoding by the low
// digit of the opcode, byte and cell access, flag writes in the chip's order,
// branches and the stack. Internal to the executor.
#pragma once

#include <cstdint>
#include <optional>

#include "core/cpu_state.h"
#include "core/current_instruction.h"
#include "core/interrupt_state.h"
#include "core/peripheral_state.h"

namespace zelo::core::exec {

using ByteCells = CpuState::ByteCells;

struct Context
{
    CpuState& cpu;
    CurrentInstruction& in;
    InterruptState& interrupts;
    // Pins and the receive buffer, read by port and SBUF reads; without them
    // a port reads its latch and SBUF its register cells.
    const OutsideState* outside = nullptr;

    uint8_t LowDigit() const { return in.b0 & 0x0F; }
};

// --- operands ------------------------------------------------------------
// Where a byte operand lives. Registers Rn are direct addresses of the bank.
enum class Where : uint8_t { None, Immediate, Direct, Indirect };

struct Operand
{
    Where where = Where::None;
    uint8_t address = 0;  // direct or indirect address
    uint8_t data = 0;     // immediate value
};

// The operand selected by the low digit of B0: 4 #data (B1), 5 direct (B1),
// 6/7 @R0/@R1, 8..F R0..R7. @Ri reads Ri for its value; an undefined Ri
// stops the run and gives nothing.
std::optional<Operand> DecodeOperand(Context& c, uint8_t lowDigit, uint8_t byte);
inline std::optional<Operand> DecodeOperand(Context& c)
{
    return DecodeOperand(c, c.LowDigit(), c.in.b1);
}
inline Operand Direct(uint8_t address)
{
    return {Where::Direct, address, 0};
}
inline Operand Immediate(uint8_t value)
{
    return {Where::Immediate, 0, value};
}
inline Operand Accumulator()
{
    return Direct(sfr::ACC);
}
std::optional<Operand> IndirectThrough(Context& c, int registerNumber);

// The value of an operand, as arithmetic needs it: an "x" cell stops the run
// and gives nothing. Notes the operand as the instruction's source.
std::optional<uint8_t> ReadValue(Context& c, const Operand& operand);
// The cells of an operand for copies: "x" travels, a missing bit ("-") reads
// as "0". Notes the source.
ByteCells ReadCells(Context& c, const Operand& operand);
// Writes the operand's byte. Bits that do not exist on the chip ("-") stay
// missing; writing PSW as a byte relabels the register bank. Notes the
// destination and the changed byte.
void WriteValue(Context& c, const Operand& operand, uint8_t value);
void WriteCells(Context& c, const Operand& operand, const ByteCells& cells);

std::optional<uint8_t> ReadAccumulatorValue(Context& c);
void WriteAccumulator(Context& c, uint8_t value);

// --- bits ------------------------------------------------------------------
// Bit cell of the instruction's bit byte.
inline BitAddress BitOfByte(uint8_t bitNumber)
{
    return BitAddressOfNumber(bitNumber);
}
// The cell a bit read sees: a port bit's pin (low while pulled from
// outside) unless the instruction reads the latch.
BitCell ReadBitCell(Context& c, BitAddress bit);
// A bit as a value for a decision or arithmetic: "1" is 1, "0" and "-" are 0,
// "x" stops the run and gives nothing.
std::optional<bool> ReadBitValue(Context& c, BitAddress bit);
// A bit instruction's write: the byte becomes the destination, a missing bit
// stays missing.
void WriteBitCell(Context& c, BitAddress bit, BitCell value);
// A flag written as a side effect (CY, AC, OV): noted in the changed list.
void WriteFlag(Context& c, BitAddress flag, bool value);

// --- program counter -------------------------------------------------------
void JumpTo(Context& c, unsigned target);  // 16 bits, wraps like the chip's PC
// rel of the last instruction byte, from the address after the instruction.
void BranchRelative(Context& c, uint8_t rel);
inline uint16_t NextInstructionAddress(const Context& c)
{
    return static_cast<uint16_t>(c.in.address + (c.in.row ? c.in.row->bytes : 1));
}

// --- stack -----------------------------------------------------------------
// Cells at SP + 1 (8052: upper RAM above 7FH); the caller writes SP back.
void PushCells(Context& c, uint8_t& sp, const ByteCells& cells);
void WriteStackPointer(Context& c, uint8_t sp);
// The call's return address pushed low byte first, SP written back, the
// stack pointer checked. False when SP could not be read.
bool PushReturnAddress(Context& c, uint16_t address);

// Handlers, one per mnemonic family (see the exec_*.cpp files).
void ExecAdd(Context&);
void ExecAddc(Context&);
void ExecSubb(Context&);
void ExecInc(Context&);
void ExecDec(Context&);
void ExecMul(Context&);
void ExecDiv(Context&);
void ExecDa(Context&);
void ExecLogic(Context&);   // ORL, ANL, XRL on bytes and on C
void ExecRotate(Context&);  // RL, RLC, RR, RRC
void ExecSwap(Context&);
void ExecMov(Context&);
void ExecMovc(Context&);
void ExecMovx(Context&);
void ExecXch(Context&);
void ExecXchd(Context&);
void ExecClr(Context&);
void ExecSetb(Context&);
void ExecCpl(Context&);
void ExecJump(Context&);    // SJMP, AJMP, LJMP, JMP @A+DPTR
void ExecCall(Context&);    // ACALL, LCALL
void ExecReturn(Context&);  // RET, RETI
void ExecJc(Context&);
void ExecJnc(Context&);
void ExecJz(Context&);
void ExecJnz(Context&);
void ExecBitBranch(Context&);  // JB, JNB, JBC
void ExecDjnz(Context&);
void ExecCjne(Context&);
void ExecPush(Context&);
void ExecPop(Context&);
void ExecNothing(Context&);  // NOP and the undefined opcode

}  // namespace zelo::core::exec
