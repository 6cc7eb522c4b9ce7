// The written forms of the operands the disassembler produces. Every form is
// one the workbench's assembler reads back as the very same byte, so a
// disassembled program assembles to the image it came from.
#pragma once

#include <cstdint>
#include <string>

#include "core/chip_model.h"

namespace zelo::loader {

// A direct address: the register's name from the chip's SFR rows where the
// assembler reads that name back as the same direct address, else two
// hexadecimal digits and "H" ("30H", "E0H"). The accumulator row "A" and the
// register rows R0-R7 are never used: "MOV 0E0H,A" would turn into "MOV A,A"
// and "MOV 00H,#5" into "MOV R0,#5", which are other opcodes.
std::string DirectOperandText(uint8_t address, core::ChipModel chip);

// A bit address: its name in the bit-name table ("TR0", "P1.3", "20H.0"),
// else a register-and-bit form the assembler's bit lookup accepts ("PSW.1",
// "IE.6"), else the bit number in binary ("11000000B"). On the 89Cx051, which
// has no ports 0 and 2, their bits are written "80H.1" / "A0H.3".
std::string BitOperandText(uint8_t bit, core::ChipModel chip);

// "#05H"
std::string ImmediateText(uint8_t value);
// "#0200H"
std::string Immediate16Text(uint16_t value);
// "0123H", "C000H": ORG operands and EQU values.
std::string AddressText(uint16_t value);
// A jump or call target without a label: "0123H", and "0C000H" with a
// leading 0 where the first digit is a letter, as the assembler reads a
// word that starts with a letter as a name.
std::string OperandAddressText(uint16_t value);

// One item of a DB list: a printable character between single quotes, or
// two hexadecimal digits and "H". The single quote and ';' are written in
// hexadecimal: the first would end the quoted text, the second ends the
// statement even inside quotes.
std::string DataItemText(uint8_t value);

}  // namespace zelo::loader
