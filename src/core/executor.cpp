#include "core/executor.h"

#include "core/exec_context.h"

namespace zelo::core {

namespace {

exec::Handler HandlerOf(Mnemonic mnemonic)
{
    using namespace exec;
    switch (mnemonic) {
        case Mnemonic::MOV:
            return ExecMov;
        case Mnemonic::DJNZ:
            return ExecDjnz;
        case Mnemonic::CJNE:
            return ExecCjne;
        case Mnemonic::INC:
            return ExecInc;
        case Mnemonic::DEC:
            return ExecDec;
        case Mnemonic::SJMP:
        case Mnemonic::LJMP:
        case Mnemonic::AJMP:
        case Mnemonic::JMP:
            return ExecJump;
        case Mnemonic::ACALL:
        case Mnemonic::LCALL:
            return ExecCall;
        case Mnemonic::JC:
            return ExecJc;
        case Mnemonic::JNC:
            return ExecJnc;
        case Mnemonic::JBC:
        case Mnemonic::JB:
        case Mnemonic::JNB:
            return ExecBitBranch;
        case Mnemonic::JZ:
            return ExecJz;
        case Mnemonic::JNZ:
            return ExecJnz;
        case Mnemonic::RET:
        case Mnemonic::RETI:
            return ExecReturn;
        case Mnemonic::ADD:
            return ExecAdd;
        case Mnemonic::ADDC:
            return ExecAddc;
        case Mnemonic::SUBB:
            return ExecSubb;
        case Mnemonic::XCH:
            return ExecXch;
        case Mnemonic::MOVC:
            return ExecMovc;
        case Mnemonic::MOVX:
            return ExecMovx;
        case Mnemonic::XCHD:
            return ExecXchd;
        case Mnemonic::ORL:
        case Mnemonic::ANL:
        case Mnemonic::XRL:
            return ExecLogic;
        case Mnemonic::CLR:
            return ExecClr;
        case Mnemonic::SETB:
            return ExecSetb;
        case Mnemonic::CPL:
            return ExecCpl;
        case Mnemonic::RR:
        case Mnemonic::RRC:
        case Mnemonic::RL:
        case Mnemonic::RLC:
            return ExecRotate;
        case Mnemonic::SWAP:
            return ExecSwap;
        case Mnemonic::DA:
            return ExecDa;
        case Mnemonic::DIV:
            return ExecDiv;
        case Mnemonic::MUL:
            return ExecMul;
        case Mnemonic::PUSH:
            return ExecPush;
        case Mnemonic::POP:
            return ExecPop;
        default:
            return ExecNothing;  // NOP and the undefined opcode
    }
}

int OnesInAccumulator(const CpuState& cpu)
{
    int ones = 0;
    for (BitCell cell : cpu.internal[sfr::ACC]) ones += cell == kBitOne;
    return ones;
}

// P always equals the parity of ACC, as on the chip. The PSW byte is noted
// as changed when the instruction wrote ACC or when P had to be corrected
// (a write to PSW or to an ACC bit).
void UpdateParity(CpuState& cpu, CurrentInstruction& in)
{
    const BitCell parity = OnesInAccumulator(cpu) % 2 ? kBitOne : kBitZero;
    const bool accumulatorWritten = in.destination.IsInternal(sfr::ACC);
    if (!accumulatorWritten && cpu.ReadBit(flag::P) == parity) return;
    cpu.WriteBit(parity, flag::P);
    in.NoteChanged(sfr::PSW);
}

}  // namespace

Executor::Executor(const OpcodeTable& table) : m_table(&table)
{
    for (int op = 0; op < 256; ++op)
        m_handlers[op] = HandlerOf(table.Row(static_cast<uint8_t>(op)).mnemonic);
}

void Executor::ExecuteInstruction(CpuState& cpu, CurrentInstruction& instruction,
                                  InterruptState& interrupts, const OutsideState* outside) const
{
    instruction.source = OperandAddress{};
    instruction.destination = OperandAddress{};
    instruction.changedCount = 0;
    instruction.instructionJumped = false;
    instruction.lowDigit = instruction.b0 & 0x0F;
    instruction.highDigit = instruction.b0 >> 4;
    if (instruction.row == nullptr) instruction.row = &m_table->Row(instruction.b0);

    exec::Context context{cpu, instruction, interrupts, outside};
    m_handlers[instruction.b0](context);

    UpdateParity(cpu, instruction);
    cpu.RemapRegisterBank();
}

}  // namespace zelo::core
