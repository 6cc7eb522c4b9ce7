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

std::optional<unsigned> ParseBase(std::string_view digits, int base)
{
    if (!DigitsValid(digits, base)) return std::nullopt;
    unsigned long value = 0;
    for (char c : digits) {
        value = value * base + DigitValue(c);
        if (value > 0xFFFFFFu) return std::nullopt;
    }
    return static_cast<unsigned>(value);
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
    return ParseBase(text, 10);
}
std::optional<unsigned> ParseBinary(std::string_view digits)
{
    return ParseBase(digits, 2);
}
std::optional<unsigned> ParseOctal(std::string_view digits)
{
    return ParseBase(digits, 8);
}
std::optional<unsigned> ParseHex(std::string_view digits)
{
    return ParseBase(digits, 16);
}

std::optional<unsigned> ParseNumber(std::string_view t)
{
    if (t.empty()) return std::nullopt;
    std::optional<unsigned> v;
    const std::string_view digits = t.substr(0, t.size() - 1);
    switch (t.back()) {
        case 'H':
            v = digits.empty() || !(digits[0] >= '0' && digits[0] <= '9') ? std::nullopt
                                                                          : ParseHex(digits);
            break;
        case 'B':
            v = ParseBinary(digits);
            break;
        case 'Q':
        case 'O':
            v = ParseOctal(digits);
            break;
        default:
            v = ParseDecimal(t);
            break;
    }
    if (v && *v > 0xFFFF) return std::nullopt;
    return v;
}

std::optional<unsigned> ParseCharConstant(std::string_view t)
{
    if (t.size() == 3 && (t[0] == '\'' || t[0] == '"') && t[2] == t[0])
        return static_cast<unsigned char>(t[1]);
    return std::nullopt;
}

}  // namespace zelo::assembler
