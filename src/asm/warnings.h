// Warnings about programs that assemble but will not do what the learner
// meant: an instruction written in column 1, MOV Rn,Rm, an interrupt
// routine that returns with RET or changes A or PSW unsaved, a program that
// runs past its end, a stack over the register banks, a field the scanner
// drops and text after END. They never fail an assembly; ";nowarn" in a
// line's comment silences the line.
#pragma once

#include <string>
#include <vector>

namespace zelo::assembler {

class Assembly;

struct AssemblyWarning
{
    int line = 0;  // in the source, counted without header lines
    std::string text;
};

// The warnings of an assembled program's source lines in line order, those
// silenced by ";nowarn" left out.
std::vector<AssemblyWarning> FindWarnings(const Assembly& assembly);

// "Warning in line N: ..."
std::string WarningText(const AssemblyWarning& warning);

}  // namespace zelo::assembler
