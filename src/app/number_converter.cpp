#include "app/number_converter.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::app {

int NumberConverter::Base(int box)
{
    static constexpr std::array<int, 4> kBases{2, 8, 10, 16};
    return kBases[static_cast<unsigned>(box) & 3u];
}

int NumberConverter::MaxDigits(int box)
{
    static constexpr std::array<int, 4> kDigits{16, 6, 5, 4};
    return kDigits[static_cast<unsigned>(box) & 3u];
}

std::optional<long> NumberConverter::Convert(int box, const std::string& upperText)
{
    if (upperText.empty() || upperText.find('?') != std::string::npos) return std::nullopt;
    if (static_cast<int>(upperText.size()) > MaxDigits(box)) return std::nullopt;
    const int base = Base(box);
    long value = 0;
    for (char ch : upperText) {
        const int digit = core::HexDigitAnyCase(ch);
        // A character that is no digit of the box's base makes no number.
        if (digit < 0 || digit >= base) return std::nullopt;
        value = value * base + digit;
    }
    if (value > 65536) return std::nullopt;
    return value;
}

std::string NumberConverter::Format(int box, long value)
{
    const int base = Base(box);
    if (value == 0) return "0";
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (long v = value; v > 0; v /= base) text.insert(text.begin(), kDigits[v % base]);
    return text;
}

void NumberConverter::Write(int box, const std::string& text)
{
    m_boxes[box] = text;
    if (m_writeHook) m_writeHook(box, text);
}

void NumberConverter::Changed(int box, const std::string& text)
{
    if (box < 0 || box > 3) return;
    if (m_guard) return;  // the converter's own write
    m_boxes[box] = text;
    const std::string upper = core::ToUpperAscii(text);
    const auto value = Convert(box, upper);
    m_guard = true;
    for (int other = 0; other < 4; ++other) {
        if (!value)
            Write(other, "");
        else if (other != box)
            Write(other, Format(other, *value));
    }
    m_guard = false;
}

}  // namespace zelo::app
