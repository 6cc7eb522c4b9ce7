// The instruction being executed: filled by the step (fetch and decode),
// read and completed by the executor, read by the views afterwards.
#pragma once

#include <array>
#include <cstdint>

#include "core/opcode_table.h"

namespace zelo::core {

// A location an instruction wrote: a byte address, or one bit of it.
struct ChangedLocation {
    uint8_t byte = 0;
    int8_t bit = -1;  // -1: the whole byte
};

// An operand address kept for the views: internal (00H-FFH) or external.
struct OperandAddress {
    int value = -1;  // -1: none
    bool external = false;

    bool IsInternal(uint8_t address) const { return value == address && !external; }
    bool Empty() const { return value < 0; }
};

struct CurrentInstruction {
    const OpcodeRow* row = nullptr;  // the opcode table row of B0
    uint16_t address = 0;            // where the instruction starts
    uint8_t b0 = 0, b1 = 0, b2 = 0;  // instruction bytes (b1/b2 0 when shorter)
    uint8_t lowDigit = 0, highDigit = 0;

    OperandAddress source;       // cleared at the start of every execution
    OperandAddress destination;  // internal E0H after the handler: parity follows

    static constexpr int kMaxChanged = 10;
    std::array<ChangedLocation, kMaxChanged> changed{};
    int changedCount = 0;
    bool instructionJumped = false;

    void NoteChanged(uint8_t byte, int bit = -1)
    {
        if (changedCount < kMaxChanged) changed[changedCount++] = ChangedLocation{byte, static_cast<int8_t>(bit)};
    }
};

}  // namespace zelo::core
