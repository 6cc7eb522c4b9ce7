// Text forms of the simulated machine's data and the conversions between
// them and numbers. A byte is shown as two upper-case hexadecimal digits, an
// address as four, and every bit of internal memory as one character:
// "0", "1", "x" (undefined) or "-" (does not exist).
//
// The conversions keep the workbench's own rules where they differ from
// ordinary library conversions (no case folding in ParseHexByte, a missing
// low digit counting as 0, non-hex text turning into "x" bits), because
// listings, loaders and the views depend on them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelo::core {

// One bit cell: '0', '1', 'x' (undefined) or '-' (not implemented).
using BitCell = char;
constexpr BitCell kBitZero = '0';
constexpr BitCell kBitOne = '1';
constexpr BitCell kBitUndefined = 'x';
constexpr BitCell kBitMissing = '-';

// Eight bit cells, cell k holding the bit of weight 2^k.
using BitBuffer = std::array<BitCell, 8>;

// A byte of code or external memory held as its two-character text. "xx"
// marks a cell that holds nothing. Fixed size so memories stay compact.
struct HexCell
{
    char hi = 'x';
    char lo = 'x';

    static constexpr HexCell Unloaded() { return HexCell{'x', 'x'}; }
    static HexCell FromValue(unsigned value);
    static HexCell FromText(std::string_view text);  // first two characters, "" pads with nothing

    bool IsUnloaded() const { return hi == 'x' && lo == 'x'; }
    bool operator==(const HexCell&) const = default;
    std::string Text() const { return std::string{hi, lo}; }
};

// --- numbers to text ---------------------------------------------------
std::string ToHexByte(unsigned value);  // "07", "FF", "100"
std::string ToHexWord(unsigned value);  // "0005", "1234", "10000"
std::string AddHexWords(std::string_view a, std::string_view b);

// --- text to numbers ---------------------------------------------------
// 'A'..'F' (upper case only) give 10..15, '0'..'9' their value, anything else 0.
// 0-9, A-F; anything else counts as 0 (no case folding).
constexpr int HexDigitValue(char c)
{
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= '0' && c <= '9') return c - '0';
    return 0;
}
constexpr int HexDigitValue(std::string_view text)
{
    return text.empty() ? 0 : HexDigitValue(text[0]);
}

struct ParsedByte
{
    int high = 0;
    int low = 0;
    int value = 0;
};
// No case folding; a missing second character counts as 0 ("5" gives 50H).
constexpr ParsedByte ParseHexByte(std::string_view text)
{
    ParsedByte p;
    p.high = text.empty() ? 0 : HexDigitValue(text[0]);
    p.low = text.size() < 2 ? 0 : HexDigitValue(text[1]);
    p.value = 16 * p.high + p.low;
    return p;
}
constexpr int ParseHexByteValue(std::string_view text)
{
    return ParseHexByte(text).value;
}

// Upper-cased and left-padded to four digits; only the first four are used.
int ParseHexWord(std::string_view text);

// True when c is one of 0-9, A-F (upper case).
inline bool IsUpperHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}
// True when c is a hexadecimal digit in either case.
bool IsHexDigitAnyCase(char c);
// Value of a hexadecimal digit in either case, or -1.
int HexDigitAnyCase(char c);

// --- text and bits -----------------------------------------------------
// Four bits of one digit (case folded) into cells 3..0 of the buffer at
// `offset`; a non-hex character makes all four cells "x".
void NibbleToBitBuffer(char c, BitBuffer& buffer, int offset = 0);
inline void NibbleToBitBuffer(std::string_view text, BitBuffer& buffer, int offset = 0)
{
    NibbleToBitBuffer(text.empty() ? '\0' : text[0], buffer, offset);
}
// First digit into cells 7..4, second into 3..0; missing digits give "x".
BitBuffer HexByteToBitBuffer(std::string_view text);
BitBuffer ValueToBitBuffer(uint8_t value);
// "0000".."1111" for a hex digit (case folded), "" for anything else.
std::string NibbleBits(char c);
// Binary text of a hexadecimal text, leading zeros removed; "0" for zero.
std::string HexToBinaryText(std::string_view text);

}  // namespace zelo::core
