#include "loader/listing_map.h"

#include <algorithm>

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::loader {

namespace {

bool IsHex(std::string_view t)
{
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

std::string_view Field(std::string_view line, std::size_t from, std::size_t count)
{
    if (line.size() <= from) return {};
    return core::TrimBlanks(line.substr(from, count));
}

std::string_view FirstWord(std::string_view text)
{
    text = core::TrimBlanks(text);
    const auto end = text.find_first_of(" \t");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

// Directives that carry an address or value in the bytes column but are not
// instructions.
bool IsDataDirective(std::string_view word)
{
    const std::string w = core::ToUpperAscii(word);
    for (const char* d : {"ORG", "EQU", "SET", "CON", "SFR", "REG", "BIT", "DB", "DW", "DS", "END",
                          ".GLOBAL", ".EXTERN", "INCLUDE"})
        if (w == d) return true;
    return false;
}

}  // namespace

ListingMap::ListingMap(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_lines.emplace_back(line);
        start = end + 1;
    }
    m_address.assign(m_lines.size(), -1);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string_view line = m_lines[i];
        const std::string_view number = Field(line, 0, 5);
        const std::string_view address = Field(line, 6, 4);
        if (number.empty() ||
            !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (address.size() != 4 || !IsHex(address)) continue;
        const uint16_t value =
            static_cast<uint16_t>(core::ParseHexWord(core::ToUpperAscii(address)));
        const std::string_view bytes = Field(line, 11, 6);
        std::string_view source = line.size() > 18 ? line.substr(18) : std::string_view();
        std::string_view label;
        if (!source.empty() && source[0] != ' ' && source[0] != '\t' && source[0] != ';') {
            label = FirstWord(source);
            source = source.substr(label.size());
            if (label.size() > 1 && label.back() == ':') label.remove_suffix(1);
        }
        const std::string_view mnemonic = FirstWord(source);
        if (IsDataDirective(mnemonic)) continue;
        if (!label.empty()) m_labels.push_back(ListingLabel{core::ToUpperAscii(label), value});
        if (!bytes.empty() && IsHex(bytes) && bytes.size() % 2 == 0) m_address[i] = value;
    }
    std::stable_sort(
        m_labels.begin(), m_labels.end(),
        [](const ListingLabel& a, const ListingLabel& b) { return a.address < b.address; });
}

std::optional<int> ListingMap::LineOfAddress(uint16_t address) const
{
    for (std::size_t i = 0; i < m_address.size(); ++i)
        if (m_address[i] == address) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<uint16_t> ListingMap::AddressOfLine(int line) const
{
    for (int i = std::max(line, 0); i < static_cast<int>(m_address.size()); ++i)
        if (m_address[static_cast<std::size_t>(i)] >= 0)
            return static_cast<uint16_t>(m_address[static_cast<std::size_t>(i)]);
    return std::nullopt;
}

bool ListingMap::IsCodeLine(int line) const
{
    return line >= 0 && line < static_cast<int>(m_address.size()) &&
           m_address[static_cast<std::size_t>(line)] >= 0;
}

std::string ListingMap::InstructionText(uint16_t address) const
{
    const auto line = LineOfAddress(address);
    if (!line) return "";
    const std::string& text = m_lines[static_cast<std::size_t>(*line)];
    std::string_view source =
        text.size() > 18 ? std::string_view(text).substr(18) : std::string_view();
    if (!source.empty() && source[0] != ' ' && source[0] != '\t')
        source.remove_prefix(FirstWord(source).size());
    // The comment starts at a ';' outside quotes.
    bool quoted = false;
    std::size_t end = 0;
    for (; end < source.size(); ++end) {
        if (source[end] == '\'') quoted = !quoted;
        if (source[end] == ';' && !quoted) break;
    }
    source = core::TrimBlanks(source.substr(0, end));
    const std::string_view mnemonic = FirstWord(source);
    std::string result(mnemonic);
    const std::string_view operands = core::TrimBlanks(source.substr(mnemonic.size()));
    if (!operands.empty()) result += " " + std::string(operands);
    return result;
}

bool ListingMap::MatchesCode(const core::CpuState& cpu) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_address[i] < 0) continue;
        const std::string bytes = core::ToUpperAscii(Field(m_lines[i], 11, 6));
        for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
            const core::HexCell cell =
                cpu.codeMemory[static_cast<std::size_t>(m_address[i]) + k / 2];
            if (core::ToUpperAscii(cell.Text()) != bytes.substr(k, 2)) return false;
        }
    }
    return true;
}

std::optional<uint16_t> ListingMap::LabelAddress(std::string_view name) const
{
    const std::string wanted = core::ToUpperAscii(core::TrimBlanks(name));
    for (const ListingLabel& l : m_labels)
        if (l.name == wanted) return l.address;
    return std::nullopt;
}

std::string ListingMap::LabelAtOrBelow(uint16_t address) const
{
    std::string found;
    for (const ListingLabel& l : m_labels) {
        if (l.address > address) break;
        found = l.name;
    }
    return found;
}

std::string ListingMap::Describe(uint16_t address) const
{
    const std::string label = LabelAtOrBelow(address);
    if (label.empty()) return core::ToHexWord(address) + "H";
    const uint16_t base = *LabelAddress(label);
    if (base == address) return label;
    return label + "+" + std::to_string(address - base);
}

}  // namespace zelo::loader
