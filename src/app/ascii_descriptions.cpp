#include "app/ascii_descriptions.h"

#include <string_view>

namespace zelo::app {

namespace {

struct ControlCode
{
    const char* name;
    const char* meaning;
};

constexpr ControlCode kControlCodes[32] = {
    {"NUL", "Null"},
    {"SOH", "Start of heading"},
    {"STX", "Start of text"},
    {"ETX", "End of text"},
    {"EOT", "End of transmission"},
    {"ENQ", "Enquiry"},
    {"ACK", "Acknowledge"},
    {"BEL", "Bell"},
    {"BS", "Backspace"},
    {"HT", "Horizontal tab"},
    {"LF", "Linefeed"},
    {"VT", "Vertical tab"},
    {"FF", "Formfeed"},
    {"CR", "Carriage return"},
    {"SO", "Shift out"},
    {"SI", "Shift in"},
    {"DLE", "Data link escape"},
    {"DC1", "Device Control, X-ON"},
    {"DC2", "Device Control 2"},
    {"DC3", "Device Control, X-OFF"},
    {"DC4", "Device Control 4"},
    {"NAK", "Negative acknowledge"},
    {"SYN", "Synchronous idle"},
    {"ETB", "End of transmission block"},
    {"CAN", "Cancel"},
    {"EM", "End of medium"},
    {"SUB", "Substitute"},
    {"ESC", "Escape"},
    {"FS", "File separator"},
    {"GS", "Group separator"},
    {"RS", "Record separator"},
    {"US", "Unit separator"},
};

struct Punctuation
{
    char code;
    const char* name;
};

constexpr Punctuation kPunctuation[] = {
    {'!', "Exclamation mark"},
    {'"', "Double quote (Quotation mark)"},
    {'#', "Number sign"},
    {'$', "Dollar sign"},
    {'%', "Percent sign"},
    {'&', "Ampersand"},
    {'\'', "Single quote (Apostrophe)"},
    {'(', "Open parenthesis"},
    {')', "Close parenthesis"},
    {'*', "Asterisk"},
    {'+', "Plus sign"},
    {',', "Comma"},
    {'-', "Minus sign (Hyphen)"},
    {'.', "Period (Full stop)"},
    {'/', "Slash"},
    {':', "Colon"},
    {';', "Semicolon"},
    {'<', "Less-than sign"},
    {'=', "Equal sign"},
    {'>', "Greater-than sign"},
    {'?', "Question mark"},
    {'@', "At sign"},
    {'[', "Open square bracket"},
    {'\\', "Backslash"},
    {']', "Close square bracket"},
    {'^', "Caret (Circumflex)"},
    {'_', "Underscore"},
    {'`', "Grave accent (Back quote)"},
    {'{', "Open curly bracket"},
    {'|', "Vertical bar"},
    {'}', "Close curly bracket"},
    {'~', "Tilde"},
};

// The blanks in front of a description, as a right-aligned code number
// would leave them.
std::string_view LeadingBlanks(int code)
{
    return code < 10 ? "   " : code < 100 ? "  " : " ";
}

std::string CharacterName(char c)
{
    if (c >= 'A' && c <= 'Z') return "Upper case alphabetic character";
    if (c >= 'a' && c <= 'z') return "Lower case alphabetic character";
    if (c >= '0' && c <= '9') return "Numeric digit";
    for (const auto& p : kPunctuation) {
        if (p.code == c) return p.name;
    }
    return "";
}

}  // namespace

std::array<std::string, 128> BuildAsciiDescriptions()
{
    std::array<std::string, 128> table;
    for (int code = 0; code < 128; ++code) {
        std::string text(LeadingBlanks(code));
        if (code < 32) {
            const ControlCode& cc = kControlCodes[code];
            text += "CTRL-";
            text += static_cast<char>('@' + code);
            text += "  ";
            text += cc.name;
            text += " (";
            text += cc.meaning;
            text += ")";
        } else if (code == 32) {
            text += "Space";
        } else if (code == 127) {
            text += "DEL (Delete)";
        } else {
            text += static_cast<char>(code);
            text += "   ";
            text += CharacterName(static_cast<char>(code));
        }
        table[static_cast<std::size_t>(code)] = std::move(text);
    }
    return table;
}

const std::array<std::string, 128>& AsciiDescriptions()
{
    static const std::array<std::string, 128> table = BuildAsciiDescriptions();
    return table;
}

}  // namespace zelo::app
