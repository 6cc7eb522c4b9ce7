// Executes one instruction on the CPU state. The caller fetches and decodes:
// it fills CurrentInstruction (row, address, bytes, digits), sets
// cpu.currentOpcode / currentInstructionAddress and leaves programCounter at
// the instruction's address. The executor loads programCounter and sets
// instructionJumped only when the instruction itself loads PC; otherwise the
// caller advances PC and counts the cycles.
#pragma once

#include <array>

#include "core/cpu_state.h"
#include "core/current_instruction.h"
#include "core/interrupt_state.h"
#include "core/opcode_table.h"
#include "core/peripheral_state.h"

namespace zelo::core {

namespace exec {
struct Context;
using Handler = void (*)(Context&);
}  // namespace exec

class Executor
{
public:
    // Resolves every opcode's handler from its row's mnemonic, once.
    explicit Executor(const OpcodeTable& table = StandardOpcodeTable());

    // Clears the operand addresses and the changed list, runs the opcode's
    // handler, keeps P equal to the parity of ACC and remaps the register bank.
    // With `outside`, value reads of a port see its pins and a read of
    // SBUF the last received byte.
    void ExecuteInstruction(CpuState& cpu, CurrentInstruction& instruction,
                            InterruptState& interrupts,
                            const OutsideState* outside = nullptr) const;

private:
    const OpcodeTable* m_table;
    std::array<exec::Handler, 256> m_handlers{};
};

}  // namespace zelo::core
