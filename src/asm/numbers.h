// Number forms of the assembler: decimal, hexadecimal with H, binary with B,
// octal with Q or O, and character constants in single or double quotes.
#pragma once

#include <optional>
#include <string_view>

namespace zelo::assembler {

// Digit checks over the whole text (upper-cased): true when every character
// is a digit of the base. An empty text fails.
bool DigitsValid(std::string_view text, int base);

std::optional<unsigned> ParseDecimal(std::string_view text);  // digits only
std::optional<unsigned> ParseBinary(std::string_view digits);
std::optional<unsigned> ParseOctal(std::string_view digits);
std::optional<unsigned> ParseHex(std::string_view digits);

// A number with its base suffix (H, B, Q, O) or plain decimal, upper-cased
// text; values above FFFFH fail.
std::optional<unsigned> ParseNumber(std::string_view upperText);

// 'A' or "A": the character code of one character.
std::optional<unsigned> ParseCharConstant(std::string_view text);

}  // namespace zelo::assembler
