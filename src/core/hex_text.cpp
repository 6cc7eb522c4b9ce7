#include "core/hex_text.h"

#include "core/ascii_text.h"
#include "core/cell_word.h"

namespace zelo::core {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

// Hexadecimal digits of `value`, at least `minDigits` of them, written from
// the right into a small buffer so no string grows digit by digit.
std::string UpperHex(unsigned value, int minDigits)
{
    char buffer[8];
    int at = 8;
    do {
        buffer[--at] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0 && at > 0);
    while (8 - at < minDigits) buffer[--at] = '0';
    return std::string(buffer + at, buffer + 8);
}
}  // namespace

HexCell HexCell::FromValue(unsigned value)
{
    return HexCell{kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

HexCell HexCell::FromText(std::string_view text)
{
    HexCell cell{' ', ' '};
    if (!text.empty()) cell.hi = text[0];
    if (text.size() > 1) cell.lo = text[1];
    return cell;
}

std::string ToHexByte(unsigned value)
{
    if (value <= 0xFF) return std::string{kDigits[value >> 4], kDigits[value & 0xF]};
    return UpperHex(value, 2);
}

std::string ToHexWord(unsigned value)
{
    return UpperHex(value, 4);
}

std::string AddHexWords(std::string_view a, std::string_view b)
{
    return ToHexWord(static_cast<unsigned>(ParseHexWord(a) + ParseHexWord(b)));
}

int ParseHexWord(std::string_view text)
{
    // Up to four digits; fewer read as if padded with leading zeros.
    int value = 0;
    for (char c : text.substr(0, 4)) value = 16 * value + HexDigitValue(UpperAscii(c));
    return value;
}

bool IsHexDigitAnyCase(char c)
{
    return HexDigitAnyCase(c) >= 0;
}

int HexDigitAnyCase(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void NibbleToBitBuffer(char c, BitBuffer& buffer, int offset)
{
    const int v = HexDigitAnyCase(c);
    for (int k = 0; k < 4; ++k) {
        buffer[offset + k] = v < 0 ? kBitUndefined : (((v >> k) & 1) ? kBitOne : kBitZero);
    }
}

BitBuffer HexByteToBitBuffer(std::string_view text)
{
    BitBuffer buffer;
    NibbleToBitBuffer(text.empty() ? '\0' : text[0], buffer, 4);
    NibbleToBitBuffer(text.size() < 2 ? '\0' : text[1], buffer, 0);
    return buffer;
}

BitBuffer ValueToBitBuffer(uint8_t value)
{
    BitBuffer buffer;
    cellword::Store(cellword::FromValue(value), buffer);
    return buffer;
}

std::string NibbleBits(char c)
{
    const int v = HexDigitAnyCase(c);
    if (v < 0) return "";
    std::string bits(4, '0');
    for (int k = 0; k < 4; ++k) bits[3 - k] = ((v >> k) & 1) ? '1' : '0';
    return bits;
}

std::string HexToBinaryText(std::string_view text)
{
    if (text == "0") return "0";
    std::string joined;
    for (char c : text) joined += NibbleBits(c);
    const auto first = joined.find_first_not_of('0');
    if (first == std::string::npos) return "0";
    return std::string(TrimBlanks(std::string_view(joined).substr(first)));
}

}  // namespace zelo::core
