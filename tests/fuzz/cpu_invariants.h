// Invariants of the chip state that every fuzz target checks after it has
// driven the state: valid bit cells, registers in the bank PSW selects, and
// memories of their fixed size.
#pragma once

#include "core/cpu_state.h"
#include "fuzz_check.h"

ZELO_FUZZ_NO_COVERAGE inline bool ValidCell(char c) { return c == '0' || c == '1' || c == 'x' || c == '-'; }

ZELO_FUZZ_NO_COVERAGE inline void CheckCells(const zelo::core::CpuState& cpu)
{
    for (const auto& cells : cpu.internal)
        for (char c : cells) ZELO_FUZZ_CHECK(ValidCell(c), "internal RAM cells hold 0, 1, x or -");
    for (const auto& cells : cpu.upperRam)
        for (char c : cells) ZELO_FUZZ_CHECK(ValidCell(c), "upper RAM cells hold 0, 1, x or -");
    for (int n = 0; n < 8; ++n)
        ZELO_FUZZ_CHECK(cpu.registerAddress[n] == cpu.CurrentBank() * 8 + n, "registers follow the bank");
    ZELO_FUZZ_CHECK(cpu.codeMemory.size() == zelo::core::kMemoryCells, "code memory keeps its size");
    ZELO_FUZZ_CHECK(cpu.externalMemory.size() == zelo::core::kMemoryCells, "external memory keeps its size");
}
