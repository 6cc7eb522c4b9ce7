// Number forms of the assembler, the Intel ones: decimal (plain or with D),
// hexadecimal with H, binary with B, octal with Q or O, any count of leading
// zeros, and character constants in single or double quotes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelo::assembler {

// Digit checks over the whole text (upper-cased): true when every character
// is a digit of the base. An empty text fails.
bool DigitsValid(std::string_view text, int base);

std::optional<unsigned> ParseDecimal(std::string_view text);  // digits only
std::optional<unsigned> ParseBinary(std::string_view digits);
std::optional<unsigned> ParseOctal(std::string_view digits);
std::optional<unsigned> ParseHex(std::string_view digits);

// The largest value a number may be written with; expressions may pass
// through larger intermediate values ("65536-50000"), operands may not.
inline constexpr unsigned long kLargestNumber = 0xFFFFFFFFul;

// One number read, or why it is not one ("12G is not a number").
struct NumberRead
{
    std::optional<unsigned long> value;
    std::string reason;
};

// The one reader of number forms: the text must start with a decimal digit
// and is read by its last letter (H, B, Q, O, D or none for decimal), case
// ignored.
NumberRead ReadNumber(std::string_view text);

// A number with its base suffix, upper-cased text; values above FFFFH fail.
std::optional<unsigned> ParseNumber(std::string_view upperText);

// 'A' or "A": the character code of one character.
std::optional<unsigned> ParseCharConstant(std::string_view text);

}  // namespace zelo::assembler
