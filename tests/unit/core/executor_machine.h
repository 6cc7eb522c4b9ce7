// A small machine for executor tests: code placed in code memory is fetched
// and executed instruction by instruction the way the step does it.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/cpu_state.h"
#include "core/executor.h"

namespace zelo::core::exectest {

class Machine
{
public:
    explicit Machine(ChipModel chip = ChipModel::C8051) : cpu(chip)
    {
        // Defined defaults so the tests read only what they mean to.
        cpu.WriteBit(kBitZero, BitAddress{sfr::PSW, 1});
        cpu.WriteBit(kBitZero, flag::AC);
    }

    void Load(uint16_t at, std::initializer_list<int> bytes)
    {
        for (int b : bytes) cpu.codeMemory[at++] = HexCell::FromValue(static_cast<unsigned>(b));
    }

    // Fetch at PC, execute, advance PC unless the instruction jumped.
    void Step()
    {
        const uint16_t pc = cpu.programCounter;
        const uint8_t b0 = CodeByte(pc);
        const OpcodeRow& row = StandardOpcodeTable().Row(b0);
        last = CurrentInstruction{};
        last.row = &row;
        last.address = pc;
        last.b0 = b0;
        last.b1 = row.bytes > 1 ? CodeByte(pc + 1) : 0;
        last.b2 = row.bytes > 2 ? CodeByte(pc + 2) : 0;
        last.lowDigit = b0 & 0x0F;
        last.highDigit = b0 >> 4;
        cpu.currentOpcode = b0;
        cpu.currentInstructionAddress = pc;
        executor.ExecuteInstruction(cpu, last, interrupts);
        if (!last.instructionJumped) cpu.programCounter = static_cast<uint16_t>(pc + row.bytes);
        cycles += row.cycles;
    }

    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i) Step();
    }

    uint8_t CodeByte(unsigned address) const
    {
        const HexCell cell = cpu.codeMemory[address & 0xFFFF];
        return static_cast<uint8_t>(ParseHexByteValue(cell.Text()));
    }

    void Set(uint8_t address, uint8_t value) { cpu.WriteRamByte(value, address); }
    // The byte as the views show it ("xx" when a cell is undefined).
    std::string Text(uint8_t address) const { return cpu.PeekRamByteText(address); }
    // The eight cells, bit 7 first.
    std::string Cells(uint8_t address) const
    {
        std::string s;
        for (int k = 7; k >= 0; --k) s += cpu.internal[address][k];
        return s;
    }
    std::string UpperCells(uint8_t address) const
    {
        std::string s;
        for (int k = 7; k >= 0; --k) s += cpu.upperRam[address - 0x80][k];
        return s;
    }
    void SetCells(uint8_t address, const std::string& msbFirst)
    {
        for (int k = 0; k < 8; ++k) cpu.internal[address][k] = msbFirst[7 - k];
    }
    BitCell Flag(BitAddress bit) const { return cpu.ReadBit(bit); }
    std::string Flags() const  // CY AC OV
    {
        return std::string{cpu.ReadBit(flag::CY), cpu.ReadBit(flag::AC), cpu.ReadBit(flag::OV)};
    }

    CpuState cpu;
    Executor executor;
    InterruptState interrupts;
    CurrentInstruction last;
    long cycles = 0;
};

}  // namespace zelo::core::exectest
