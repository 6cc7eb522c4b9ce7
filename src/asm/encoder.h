// The instruction encoder: code bytes for every instruction of the MCS-51,
// found by looking up the opcode table's row for the mnemonic and the kinds
// of its operands, with bytes pending for Round 2 and a fix-up kind for
// label references.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "asm/asm_types.h"
#include "asm/symbols.h"

namespace zelo::assembler {

struct Encoded
{
    LineBytes bytes{};  // unused bytes stay None
    FixupKind fixup = FixupKind::None;
    std::string symbolic;  // the text Round 2 resolves
    bool isCall = false;   // ACALL/CALL (opcode digit x1 + 1)
    std::string reason;    // why a byte is "??", when one is
};

// True when the upper-cased text names an instruction the encoder handles
// (including the generic JMP and CALL).
bool IsInstructionMnemonic(std::string_view upperMnemonic);

// Encodes operands 1..3 of a line whose field 2 is an instruction. An
// operand that no rule accepts gives byte 0 an error, an operand whose
// value is wrong gives its byte an error; either way with the reason.
Encoded EncodeInstruction(std::string_view upperMnemonic, std::string_view operand1,
                          std::string_view operand2, std::string_view operand3,
                          const SymbolTable& symbols);
// The same, or nothing when the text names no instruction (one lookup of
// the mnemonic instead of IsInstructionMnemonic followed by the encoding).
std::optional<Encoded> EncodeIfInstruction(std::string_view upperMnemonic,
                                           std::string_view operand1, std::string_view operand2,
                                           std::string_view operand3, const SymbolTable& symbols);

// Why an operand written for a byte value ('#' optional) has none: "300
// does not fit in a byte", "COUNTS is not defined (did you mean COUNT?)".
std::string ValueReason(std::string_view operand, const SymbolTable& symbols);

// Why an upper-cased operand is no direct address ("R9 is not a register
// (R0-R7)", "BUFER is not defined (did you mean BUFFER?)"), or no bit.
std::string DirectReason(std::string_view upperOperand, const SymbolTable& symbols);
std::string BitReason(std::string_view upperOperand, const SymbolTable& symbols);

// Why a field 2 names nothing the assembler knows, with the instruction or
// directive it is closest to.
std::string UnknownMnemonicReason(std::string_view upperMnemonic);

// The low digit a register operand contributes (@R0 6, @R1 7, R0..R7 8..F),
// or '?' for any other text.
char RegisterNibble(std::string_view upperOperand);

}  // namespace zelo::assembler
