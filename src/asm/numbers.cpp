#include "asm/numbers.h"

namespace zelo::assembler {

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

// Digits of a base, up to the limit the caller allows; leading zeros never
// count against it.
std::optional<unsigned long> ParseBase(std::string_view digits, int base, unsigned long limit)
{
    if (!DigitsValid(digits, base)) return std::nullopt;
    unsigned long value = 0;
    for (char c : digits) {
        value = value * base + DigitValue(c);
        if (value > limit) return std::nullopt;
    }
    return value;
}

std::optional<unsigned> Small(std::string_view digits, int base)
{
    const auto v = ParseBase(digits, base, 0xFFFFFFu);
    if (!v) return std::nullopt;
    return static_cast<unsigned>(*v);
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool DigitsValid(std::string_view text, int base)
{
    if (text.empty()) return false;
    for (char c : text) {
        if (DigitValue(c) >= base) return false;
    }
    return true;
}

std::optional<unsigned> ParseDecimal(std::string_view text)
{
    return Small(text, 10);
}
std::optional<unsigned> ParseBinary(std::string_view digits)
{
    return Small(digits, 2);
}
std::optional<unsigned> ParseOctal(std::string_view digits)
{
    return Small(digits, 8);
}
std::optional<unsigned> ParseHex(std::string_view digits)
{
    return Small(digits, 16);
}

NumberRead ReadNumber(std::string_view t)
{
    const std::string written(t);
    if (t.empty() || t[0] < '0' || t[0] > '9') return {std::nullopt, written + " is not a number"};
    int base = 10;
    std::string_view digits = t.substr(0, t.size() - 1);
    switch (Upper(t.back())) {
        case 'H':
            base = 16;
            break;
        case 'B':
            base = 2;
            break;
        case 'Q':
        case 'O':
            base = 8;
            break;
        case 'D':
            break;
        default:
            digits = t;
            break;
    }
    if (!DigitsValid(digits, base)) return {std::nullopt, written + " is not a number"};
    const auto v = ParseBase(digits, base, kLargestNumber);
    if (!v) return {std::nullopt, written + " is too large"};
    return {v, {}};
}

std::optional<unsigned> ParseNumber(std::string_view t)
{
    const NumberRead n = ReadNumber(t);
    if (!n.value || *n.value > 0xFFFF) return std::nullopt;
    return static_cast<unsigned>(*n.value);
}

std::optional<unsigned> ParseCharConstant(std::string_view t)
{
    if (t.size() == 3 && (t[0] == '\'' || t[0] == '"') && t[2] == t[0])
        return static_cast<unsigned char>(t[1]);
    return std::nullopt;
}

}  // namespace zelo::assembler
