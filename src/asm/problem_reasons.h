// Why a line is a problem: the one line that the report, the listing and
// z51 show under a problem line, saying what is wrong and, where it can,
// what would be right. Every such text of the assembler is made here.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelo::assembler {

// The known name closest to `name` by edit distance, when it is close
// enough to be a slip of the keyboard (one edit in a short name, two in a
// longer one). Names compare upper-cased, a trailing ':' ignored.
std::optional<std::string_view> NearestName(std::string_view name,
                                            std::span<const std::string_view> known);

// "LOOP is not defined (did you mean LOOP1?)"; the hint only when a known
// name is close.
std::string NotDefinedReason(std::string_view name, std::span<const std::string_view> known);

// True for texts written like a register that is not one: R8, R12, @R2.
bool LooksLikeRegister(std::string_view upperText);
// "R9 is not a register (R0-R7)", "@R2 is not an indirect register (@R0 or @R1)".
std::string NotRegisterReason(std::string_view upperText);

std::string NotByteReason(long long value);  // "300 does not fit in a byte"
std::string NotValueReason(std::string_view text);
std::string NotDirectAddressReason(std::string_view text);
std::string NotBitReason(std::string_view text);

// "MOVX takes A,@DPTR or A,@R0/@R1": the operand shapes the instruction has.
std::string FormsReason(std::string_view mnemonic, std::span<const std::string> shapes);

std::string NotInstructionReason(std::string_view mnemonic);

// A relative jump whose target is out of reach: "SJMP to FAR is 140 bytes
// away; the reach is -128..+127: use LJMP or AJMP" (a conditional jump is
// told to jump over an LJMP instead).
std::string ReachReason(std::string_view mnemonic, std::string_view target, long distance);
// An absolute jump or call whose target lies in another 2 KB page.
std::string PageReason(std::string_view mnemonic, std::string_view target, unsigned from,
                       unsigned to);

}  // namespace zelo::assembler
