#include "core/byte_text.h"

#include "core/cell_word.h"

namespace zelo::core {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";

std::string UpperHex(unsigned value)
{
    if (value == 0) return "0";
    std::string out;
    while (value != 0) {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    }
    return out;
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
    std::string text = UpperHex(value);
    if (text.size() == 1) text.insert(text.begin(), '0');
    return text;
}

std::string ToHexWord(unsigned value)
{
    std::string text = UpperHex(value);
    if (text.size() < 4) text.insert(0, 4 - text.size(), '0');
    return text;
}

std::string AddHexWords(std::string_view a, std::string_view b)
{
    return ToHexWord(static_cast<unsigned>(ParseHexWord(a) + ParseHexWord(b)));
}

int HexDigitValue(char c)
{
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= '0' && c <= '9') return c - '0';
    return 0;
}

ParsedByte ParseHexByte(std::string_view text)
{
    ParsedByte p;
    p.high = text.empty() ? 0 : HexDigitValue(text[0]);
    p.low = text.size() < 2 ? 0 : HexDigitValue(text[1]);
    p.value = 16 * p.high + p.low;
    return p;
}

int ParseHexWord(std::string_view text)
{
    if (text.empty()) return 0;
    std::string upper = ToUpperAscii(text.substr(0, 4));
    if (upper.size() < 4) upper.insert(0, 4 - upper.size(), '0');
    int value = 0;
    for (char c : upper) value = 16 * value + HexDigitValue(c);
    return value;
}

bool IsHexDigitAnyCase(char c) { return HexDigitAnyCase(c) >= 0; }

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

void AppendField(std::string_view text, std::size_t width, std::string& line)
{
    line += text;
    if (text.size() < width) line.append(width - text.size(), ' ');
}

void AppendFieldRight(std::string_view text, std::size_t width, std::string& line)
{
    if (text.size() < width) line.append(width - text.size(), ' ');
    line += text;
}

void PadRight(std::size_t width, std::string& text)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
}

std::string ToUpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace zelo::core
