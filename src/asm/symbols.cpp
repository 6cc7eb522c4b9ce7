#include "asm/symbols.h"

#include <algorithm>
#include <climits>

#include "asm/expressions.h"
#include "asm/numbers.h"
#include "core/ascii_text.h"
#include "core/bit_name_table.h"
#include "core/hex_text.h"

namespace zelo::assembler {

namespace {

// The first symbol of the part with the name, through the part's index.
const Symbol* FindIn(const std::vector<Symbol>& part, const NameMap<int>& index,
                     std::string_view name)
{
    if (part.empty()) return nullptr;
    const core::UpperTrimmed key(name);
    const auto it = index.find(key.View());
    return it == index.end() ? nullptr : &part[it->second];
}

bool AddTo(std::vector<Symbol>& part, NameMap<int>& index, std::string_view name, unsigned value,
           int width)
{
    if (static_cast<int>(part.size()) >= kMaxSymbolsPerPart) return false;
    part.push_back({core::UpperTrimmedText(name), value, width});
    index.emplace(part.back().name, static_cast<int>(part.size()) - 1);  // the first one stays
    return true;
}

struct NamedRegister
{
    const char* name;
    uint8_t address;
    bool needsPorts02;  // P0, P2 and T2CON exist only on the 8051 and 8052
};

constexpr NamedRegister kBitRegisters[] = {
    {"TCON", 0x88, false}, {"SCON", 0x98, false}, {"IE", 0xA8, false},   {"IP", 0xB8, false},
    {"P1", 0x90, false},   {"P3", 0xB0, false},   {"PSW", 0xD0, false},  {"A", 0xE0, false},
    {"P0", 0x80, true},    {"P2", 0xA0, true},    {"T2CON", 0xC8, true},
};

// "NAME.b" split into the name and a bit number 0..7.
std::optional<std::pair<std::string_view, int>> SplitBitForm(std::string_view text)
{
    const auto dot = text.rfind('.');
    if (dot == std::string_view::npos || dot + 2 != text.size()) return std::nullopt;
    const char b = text[dot + 1];
    if (b < '0' || b > '7') return std::nullopt;
    return std::pair{text.substr(0, dot), b - '0'};
}

// Bit b of a bit-addressable byte: RAM 20H-2FH or an SFR at an address
// divisible by 8.
std::optional<uint8_t> BitOfByte(uint8_t byte, int bit)
{
    if (byte >= 0x20 && byte <= 0x2F) return static_cast<uint8_t>((byte - 0x20) * 8 + bit);
    if (byte >= 0x80 && byte % 8 == 0) return static_cast<uint8_t>(byte + bit);
    return std::nullopt;
}

}  // namespace

// --- labels ---------------------------------------------------------------

void LabelTable::Clear()
{
    m_entries.clear();
    m_sections.clear();
    m_byKey.clear();
}

bool LabelTable::Add(std::string_view name, uint16_t address, int line)
{
    if (static_cast<int>(m_entries.size()) >= kMaxLabels) return false;
    m_entries.push_back({std::string(name), address, line, core::ToUpperAscii(name)});
    m_byKey[m_entries.back().key].push_back(static_cast<int>(m_entries.size()) - 1);
    return true;
}

std::optional<int> LabelTable::EarlierDefinition(std::string_view name, int line) const
{
    std::string key = core::ToUpperAscii(core::TrimBlanks(name));
    if (!key.empty() && key.back() == ':') key.pop_back();
    if (key.empty()) return std::nullopt;
    int from = INT_MIN;
    if (key[0] == '$') from = SectionAround(line).first;
    const std::string withColon = key + ":";
    for (const std::string_view k : {std::string_view(key), std::string_view(withColon)}) {
        const auto it = m_byKey.find(k);
        if (it == m_byKey.end()) continue;
        for (int index : it->second) {
            const LabelEntry& e = m_entries[index];
            if (e.line >= from && e.line < line) return e.line;
        }
    }
    return std::nullopt;
}

std::pair<int, int> LabelTable::SectionAround(int line) const
{
    // Sections are added in line order.
    const auto after = std::upper_bound(m_sections.begin(), m_sections.end(), line);
    return {after == m_sections.begin() ? INT_MIN : *(after - 1),
            after == m_sections.end() ? INT_MAX : *after};
}

bool LabelTable::AddSection(int line)
{
    if (static_cast<int>(m_sections.size()) >= kMaxSections) return false;
    m_sections.push_back(line);
    return true;
}

std::optional<uint16_t> LabelTable::Find(std::string_view reference, int line) const
{
    const core::UpperTrimmed upper(reference);
    const std::string_view r = upper.View();
    if (r.empty()) return std::nullopt;
    int from = INT_MIN;
    int to = INT_MAX;
    if (r[0] == '$') std::tie(from, to) = SectionAround(line);
    // The first entry, in definition order, named R or R followed by ':'.
    int best = INT_MAX;
    const std::string withColon = std::string(r) + ":";
    for (const std::string_view key : {r, std::string_view(withColon)}) {
        const auto it = m_byKey.find(key);
        if (it == m_byKey.end()) continue;
        for (int index : it->second) {
            const LabelEntry& e = m_entries[index];
            if (e.line >= from && e.line < to) {
                best = std::min(best, index);
                break;
            }
        }
    }
    if (best == INT_MAX) return std::nullopt;
    return m_entries[best].address;
}

// --- symbol table -----------------------------------------------------------

SymbolTable::SymbolTable(core::ChipModel chip) : m_chip(chip)
{
    SetChip(chip);
}

void SymbolTable::SetChip(core::ChipModel chip)
{
    m_chip = chip;
    std::array<core::SfrRow, core::kSfrRows> rows;
    core::FillChipSfrRows(chip, rows);
    m_sfrAddress.clear();
    // The first row of a name wins, as a search from the top of the table would.
    for (const core::SfrRow& row : rows) {
        if (!row.name.empty())
            m_sfrAddress.emplace(row.name,
                                 static_cast<uint8_t>(core::ParseHexByteValue(row.address)));
    }
    // R0-R7 follow the chip's registers in the table, at their bank 0
    // addresses as after reset.
    for (uint8_t n = 0; n < 8; ++n) m_sfrAddress.emplace("R" + std::to_string(n), n);
}

void SymbolTable::Clear()
{
    m_equ.clear();
    m_byte.clear();
    m_bit.clear();
    m_equIndex.clear();
    m_byteIndex.clear();
    m_bitIndex.clear();
    m_modules.clear();
    m_ram.Clear();
}

bool SymbolTable::AddEqu(std::string_view name, unsigned value, int width)
{
    return AddTo(m_equ, m_equIndex, name, value, width);
}

bool SymbolTable::AddByte(std::string_view name, uint8_t address)
{
    if (!AddTo(m_byte, m_byteIndex, name, address, 1)) return false;
    m_ram.Mark(address, core::UpperTrimmedText(name));
    return true;
}

bool SymbolTable::AddBit(std::string_view name, uint8_t bit)
{
    return AddTo(m_bit, m_bitIndex, name, bit, 1);
}

bool SymbolTable::AddModule(std::string_view name, const std::filesystem::path& listing)
{
    if (static_cast<int>(m_modules.size()) >= kMaxModules) return false;
    m_modules.push_back({core::UpperTrimmedText(name), listing});
    return true;
}

bool SymbolTable::IsDefined(std::string_view name) const
{
    return FindEqu(name) != nullptr || FindByte(name) != nullptr || FindBit(name) != nullptr;
}

const Symbol* SymbolTable::FindEqu(std::string_view name) const
{
    return FindIn(m_equ, m_equIndex, name);
}
const Symbol* SymbolTable::FindByte(std::string_view name) const
{
    return FindIn(m_byte, m_byteIndex, name);
}
const Symbol* SymbolTable::FindBit(std::string_view name) const
{
    return FindIn(m_bit, m_bitIndex, name);
}

std::vector<std::string_view> SymbolTable::DirectNames() const
{
    std::vector<std::string_view> names;
    names.reserve(m_sfrAddress.size() + m_byte.size() + m_equ.size());
    for (const auto& entry : m_sfrAddress) names.push_back(entry.first);
    for (const Symbol& s : m_byte) names.push_back(s.name);
    for (const Symbol& s : m_equ) names.push_back(s.name);
    // The map's order is no order: sorted, the same slip gets the same hint.
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string_view> SymbolTable::BitNames() const
{
    std::vector<std::string_view> names;
    for (const Symbol& s : m_bit) names.push_back(s.name);
    const core::BitNameTable& table = core::StandardBitNameTable();
    for (unsigned n = 0; n < 256; ++n) {
        const std::string_view name = table.Row(static_cast<uint8_t>(n)).name;
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

std::optional<uint8_t> HexByteLiteral(std::string_view t)
{
    if (t.size() == 4 && t[0] == '0') t.remove_prefix(1);
    if (t.size() != 3 || t[2] != 'H') return std::nullopt;
    if (!core::IsUpperHexDigit(t[0]) || !core::IsUpperHexDigit(t[1])) return std::nullopt;
    return static_cast<uint8_t>(core::ParseHexByteValue(t.substr(0, 2)));
}

std::optional<uint8_t> SymbolTable::NamedDirectAddress(std::string_view text) const
{
    const core::UpperTrimmed upper(text);
    const std::string_view key = upper.View();
    if (key.empty()) return std::nullopt;
    if (auto it = m_sfrAddress.find(key); it != m_sfrAddress.end()) return it->second;
    if (const Symbol* s = FindByte(key)) return static_cast<uint8_t>(s->value);
    if (key == "ACC") return 0xE0;
    if (auto b = HexByteLiteral(key)) return b;
    if (const Symbol* s = FindEqu(key); s && s->value <= 0xFF)
        return static_cast<uint8_t>(s->value);
    return std::nullopt;
}

std::optional<uint8_t> SymbolTable::BitAddress(std::string_view text) const
{
    const core::UpperTrimmed upper(text);
    const std::string_view key = upper.View();
    if (key.empty()) return std::nullopt;
    const bool ports02 = m_chip != core::ChipModel::C89Cx051;
    if (const Symbol* s = FindBit(key)) return static_cast<uint8_t>(s->value);
    // The bit-name table's forms (columns 0, 2 and 6); the first row holding
    // a form wins.
    if (auto n = core::StandardBitNameTable().FindByForm(key)) {
        const std::string_view name = core::StandardBitNameTable().Row(*n).name;
        const bool portName = name.rfind("P0.", 0) == 0 || name.rfind("P2.", 0) == 0;
        if (ports02 || !portName || name != key) return n;
    }
    if (auto form = SplitBitForm(key)) {
        const auto& [name, bit] = *form;
        // A bit-addressable byte written in hexadecimal ("0E0H.7", "20H.3").
        if (auto byte = HexByteLiteral(name)) return BitOfByte(*byte, bit);
        for (const NamedRegister& r : kBitRegisters) {
            if (name == r.name && (ports02 || !r.needsPorts02))
                return static_cast<uint8_t>(r.address + bit);
        }
        // A byte symbol or an address expression ("FLAGS.3", "(20H+1).0").
        if (auto byte = DirectAddress(name)) return BitOfByte(*byte, bit);
    }
    if (key.size() > 1 && key.back() == 'B') {
        if (auto v = ParseBinary(key.substr(0, key.size() - 1)); v && *v <= 0xFF)
            return static_cast<uint8_t>(*v);
    }
    if (auto b = HexByteLiteral(key)) return b;
    return ByteExpression(key, *this);
}

std::optional<uint8_t> SymbolTable::DirectAddress(std::string_view text) const
{
    if (auto a = NamedDirectAddress(text)) return a;
    return ByteExpression(text, *this);
}

std::optional<long long> SymbolTable::ValueOfName(std::string_view name) const
{
    if (const Symbol* s = FindEqu(name)) return s->value;
    if (const Symbol* s = FindByte(name)) return s->value;
    // A and R0-R7 are registers, not values: "MOV C,A" must not read ACC.0.
    if (name == "A" || (name.size() == 2 && name[0] == 'R' && name[1] >= '0' && name[1] <= '7'))
        return std::nullopt;
    if (auto it = m_sfrAddress.find(name); it != m_sfrAddress.end()) return it->second;
    if (name == "ACC") return 0xE0;
    return std::nullopt;
}

std::optional<unsigned> SymbolTable::NameValue(std::string_view text) const
{
    const core::UpperTrimmed upper(text);
    std::string_view key = upper.View();
    if (!key.empty() && key[0] == '#') key.remove_prefix(1);
    if (key.size() >= 2 && key.front() == '(' && key.back() == ')')
        key = key.substr(1, key.size() - 2);
    key = core::TrimBlanks(key);
    if (key.empty()) return std::nullopt;
    if (auto v = ParseDecimal(key)) return v;
    if (const Symbol* s = FindEqu(key)) return s->value;
    if (const Symbol* s = FindByte(key)) return s->value;
    return std::nullopt;
}

}  // namespace zelo::assembler
