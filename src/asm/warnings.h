// Warnings about programs that assemble but will not do what the learner
// meant: an instruction written in column 1, MOV Rn,Rm, an interrupt
// routine that returns with RET or changes A or PSW unsaved, a program that
// runs past its end, a stack over the register banks, a field the scanner
// drops and text after END. They never fail an assembly; ";nowarn" in a
// line's comment silences the line.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "asm/asm_types.h"

namespace zelo::assembler {

// One line of an assembled program as the rules read it.
struct CheckedLine
{
    int number = 0;  // as the report names it; 0 for a header's line
    std::string_view text;
    std::string_view label;
    std::string_view mnemonic;
    std::array<std::string_view, 3> operands;
    uint16_t address = 0;
    int length = 0;
    std::array<int, 3> bytes{-1, -1, -1};  // code bytes; -1 where none is known
    bool instruction = false;
    bool org = false;
    bool neglected = false;
};

struct AssemblyWarning
{
    int line = 0;
    std::string text;
};

// The warnings of a program in line order, those silenced by ";nowarn"
// left out.
std::vector<AssemblyWarning> FindWarnings(std::span<const CheckedLine> lines);

// "Warning in line N: ..."
std::string WarningText(const AssemblyWarning& warning);

class Assembly;
// The header and source lines of an assembly as the rules read them; the
// views point into the assembly.
std::vector<CheckedLine> CheckedLines(const Assembly& assembly);

}  // namespace zelo::assembler
