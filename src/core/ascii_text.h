// ASCII text helpers shared by every module: case folding, trimming and the
// padding of fixed-width columns. Bytes outside ASCII pass unchanged, so
// UTF-8 and Big5 text keeps its characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelo::core {

// Appends text padded on the right to width (an empty text gives width blanks).
inline void AppendField(std::string_view text, std::size_t width, std::string& line)
{
    line += text;
    if (text.size() < width) line.append(width - text.size(), ' ');
}
// Appends text padded on the left to width.
void AppendFieldRight(std::string_view text, std::size_t width, std::string& line);
// Pads text on the right to width, in place.
void PadRight(std::size_t width, std::string& text);

// Upper-cases one ASCII letter; any other character stays.
inline char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
// Upper-cases ASCII letters of a text.
std::string ToUpperAscii(std::string_view text);
// Upper-cases ASCII letters in place.
void UpperAsciiInPlace(std::string& text);
// True when both texts are equal once their ASCII letters are upper-cased.
bool EqualsNoCase(std::string_view a, std::string_view b);
// Removes blanks and tabs at both ends.
inline std::string_view TrimBlanks(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
    return text.substr(first, last - first);
}
// The text without blanks at its ends, ASCII letters upper-cased: the form
// in which names, mnemonics and directives are compared.
inline std::string UpperTrimmedText(std::string_view text)
{
    return ToUpperAscii(TrimBlanks(text));
}

// The text without blanks at its ends and with ASCII letters upper-cased, as
// a view. Names and operands are nearly always upper-case already, so a copy
// is made only when a lower-case letter occurs. Not copyable: the view may
// point into the object.
class UpperTrimmed
{
public:
    explicit UpperTrimmed(std::string_view text) : m_view(TrimBlanks(text))
    {
        for (char c : m_view) {
            if (c >= 'a' && c <= 'z') {
                CopyUpper();
                break;
            }
        }
    }
    UpperTrimmed(const UpperTrimmed&) = delete;
    UpperTrimmed& operator=(const UpperTrimmed&) = delete;

    std::string_view View() const { return m_view; }
    operator std::string_view() const { return m_view; }  // NOLINT

private:
    void CopyUpper();

    std::string m_copy;
    std::string_view m_view;
};

}  // namespace zelo::core
