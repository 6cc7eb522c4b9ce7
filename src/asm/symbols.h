// The assembler's names: labels with their sections and "$" local labels,
// the four parts of the symbol table, the RAM name grid, and the lookups of
// direct addresses and bit addresses in their fixed order.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "asm/asm_types.h"
#include "core/chip_model.h"
#include "core/sfr_table.h"

namespace zelo::assembler {

// Maps keyed by name that are searched with views, without building a
// std::string per lookup.
struct NameHash
{
    using is_transparent = void;
    // FNV-1a: names are a few characters long, where it beats the general
    // string hash.
    std::size_t operator()(std::string_view text) const noexcept
    {
        std::size_t h = 14695981039346656037ull;
        for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return h;
    }
};
template <class Value>
using NameMap = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;

struct LabelEntry
{
    std::string name;  // as written in column 1, a trailing ':' included
    uint16_t address = 0;
    int line = 0;
    std::string key;  // the name upper-cased, for lookups
};

class LabelTable
{
public:
    void Clear();
    // False when the table is full (the label is not added).
    bool Add(std::string_view name, uint16_t address, int line);
    // The line of an earlier definition of the name that a reference from
    // this line would also find: anywhere for an ordinary label, in the same
    // section for a "$" label. A trailing ':' does not make a name different.
    std::optional<int> EarlierDefinition(std::string_view name, int line) const;
    // Lines that define an ordinary label bound the sections of "$" labels.
    bool AddSection(int line);
    // A reference R matches a label written R or R followed by ':'; a
    // reference beginning with '$' searches only the section of its line.
    std::optional<uint16_t> Find(std::string_view reference, int line) const;
    const std::vector<LabelEntry>& Entries() const { return m_entries; }
    const std::vector<int>& Sections() const { return m_sections; }

private:
    // The section starts around a line: the last at or before it and the
    // first after it (INT_MIN, INT_MAX when there is none).
    std::pair<int, int> SectionAround(int line) const;

    std::vector<LabelEntry> m_entries;
    std::vector<int> m_sections;
    NameMap<std::vector<int>> m_byKey;  // entry indexes in order
};

struct Symbol
{
    std::string name;  // upper-cased
    unsigned value = 0;
    int width = 1;  // bytes of an EQU value
};

struct ExternModule
{
    std::string name;
    std::filesystem::path listing;
};

// One name per direct address, shown by the RAM views.
class RamNameGrid
{
public:
    void Clear() { m_names.fill({}); }
    void Mark(uint8_t address, std::string_view name) { m_names[address] = std::string(name); }
    bool IsNamed(uint8_t address) const { return !m_names[address].empty(); }
    const std::string& Name(uint8_t address) const { return m_names[address]; }

private:
    std::array<std::string, 256> m_names;
};

class SymbolTable
{
public:
    explicit SymbolTable(core::ChipModel chip = core::ChipModel::C8051);

    void SetChip(core::ChipModel chip);
    core::ChipModel Chip() const { return m_chip; }
    void Clear();

    // Each returns false when its part is full.
    bool AddEqu(std::string_view name, unsigned value, int width);
    bool AddByte(std::string_view name, uint8_t address);
    bool AddBit(std::string_view name, uint8_t bit);
    bool AddModule(std::string_view name, const std::filesystem::path& listing);

    // True when EQU, CON, SFR, REG or BIT has already defined the name.
    bool IsDefined(std::string_view name) const;
    const Symbol* FindEqu(std::string_view name) const;
    const Symbol* FindByte(std::string_view name) const;
    const Symbol* FindBit(std::string_view name) const;

    const std::vector<Symbol>& EquSymbols() const { return m_equ; }
    const std::vector<Symbol>& ByteSymbols() const { return m_byte; }
    const std::vector<Symbol>& BitSymbols() const { return m_bit; }
    const std::vector<ExternModule>& Modules() const { return m_modules; }
    const RamNameGrid& RamNames() const { return m_ram; }
    // The chip's SFR names (and R0-R7) with their addresses.
    const NameMap<uint8_t>& SfrAddresses() const { return m_sfrAddress; }

    // Direct address of a name or literal: SFR names, byte symbols, ACC,
    // "XXH" and "0XXH", then one-byte EQU values.
    std::optional<uint8_t> NamedDirectAddress(std::string_view text) const;
    // Direct address of an operand: a named one, else any expression of
    // known names whose value is 0 to FFH ("TEMP+1", "00030H").
    std::optional<uint8_t> DirectAddress(std::string_view text) const;
    // Bit number of an operand: bit symbols, the bit-name table, XXH.b of the
    // ports, NAME.b of the bit-addressable registers, a binary number, a
    // hexadecimal bit number "XXH" or "0XXH", then an expression of known
    // names whose value is 0 to FFH.
    std::optional<uint8_t> BitAddress(std::string_view text) const;
    // The value an expression gives a name (upper-cased): an EQU symbol, a
    // byte symbol, an SFR name.
    std::optional<long long> ValueOfName(std::string_view upperName) const;
    // Names a direct address may be written with (SFR and register names,
    // byte symbols, EQU names) and names of bits (bit symbols, the bit-name
    // table), for suggesting a name close to a mistyped one.
    std::vector<std::string_view> DirectNames() const;
    std::vector<std::string_view> BitNames() const;
    // Value of a name: a decimal number, an EQU symbol, a byte symbol.
    std::optional<unsigned> NameValue(std::string_view text) const;

private:
    core::ChipModel m_chip;
    NameMap<uint8_t> m_sfrAddress;  // SfrTable names of the chip
    std::vector<Symbol> m_equ;
    std::vector<Symbol> m_byte;
    std::vector<Symbol> m_bit;
    // Each part's names, to the index of their first symbol.
    NameMap<int> m_equIndex;
    NameMap<int> m_byteIndex;
    NameMap<int> m_bitIndex;
    std::vector<ExternModule> m_modules;
    RamNameGrid m_ram;
};

// "XXH" (two hexadecimal digits) or "0XXH", upper-cased text, as a byte.
std::optional<uint8_t> HexByteLiteral(std::string_view upperText);

}  // namespace zelo::assembler
