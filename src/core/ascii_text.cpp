#include "core/ascii_text.h"

namespace zelo::core {

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
    UpperAsciiInPlace(out);
    return out;
}

void UpperAsciiInPlace(std::string& text)
{
    for (char& c : text) c = UpperAscii(c);
}

void UpperTrimmed::CopyUpper()
{
    m_copy = ToUpperAscii(m_view);
    m_view = m_copy;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

}  // namespace zelo::core
