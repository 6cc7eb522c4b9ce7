#include "loader/disassembly_operands.h"

#include <array>

#include "core/bit_name_table.h"
#include "core/hex_text.h"
#include "core/sfr_table.h"

namespace zelo::loader {

namespace {

using NameArray = std::array<std::string, 256>;

// Names of the direct addresses for one chip: rows 0..29 of its SFR table,
// without the accumulator row "A".
NameArray BuildDirectNames(core::ChipModel chip)
{
    std::array<core::SfrRow, core::kSfrRows> rows;
    core::FillChipSfrRows(chip, rows);
    NameArray names;
    for (int r = 0; r < core::kFirstRegisterRow; ++r) {
        const core::SfrRow& row = rows[r];
        if (row.name.empty() || row.name == "A") continue;
        const int address = core::ParseHexByteValue(row.address);
        if (names[address].empty()) names[address] = row.name;
    }
    return names;
}

const NameArray& DirectNames(core::ChipModel chip)
{
    static const NameArray c8051 = BuildDirectNames(core::ChipModel::C8051);
    static const NameArray c8052 = BuildDirectNames(core::ChipModel::C8052);
    static const NameArray c89 = BuildDirectNames(core::ChipModel::C89Cx051);
    switch (chip) {
        case core::ChipModel::C8052: return c8052;
        case core::ChipModel::C89Cx051: return c89;
        default: return c8051;
    }
}

// Registers whose "NAME.b" form the bit lookup accepts on every chip.
const char* RegisterOfBitByte(uint8_t byte)
{
    switch (byte) {
        case 0x88: return "TCON";
        case 0x98: return "SCON";
        case 0xA8: return "IE";
        case 0xB8: return "IP";
        case 0x90: return "P1";
        case 0xB0: return "P3";
        case 0xD0: return "PSW";
        default: return nullptr;
    }
}

}  // namespace

std::string DirectOperandText(uint8_t address, core::ChipModel chip)
{
    const std::string& name = DirectNames(chip)[address];
    if (!name.empty()) return name;
    return core::ToHexByte(address) + "H";
}

std::string BitOperandText(uint8_t bit, core::ChipModel chip)
{
    const core::BitNameRow& row = core::StandardBitNameTable().Row(bit);
    const uint8_t byte = bit < 0x80 ? static_cast<uint8_t>(0x20 + bit / 8) : static_cast<uint8_t>(bit & 0xF8);
    if (!row.name.empty()) {
        const bool missingPort = byte == 0x80 || byte == 0xA0;
        if (chip == core::ChipModel::C89Cx051 && missingPort) return std::string(row.addressH.View());
        return std::string(row.name.View());
    }
    if (const char* reg = RegisterOfBitByte(byte)) return std::string(reg) + "." + std::to_string(bit & 7);
    std::string binary;
    for (int k = 7; k >= 0; --k) binary += ((bit >> k) & 1) ? '1' : '0';
    return binary + "B";
}

std::string ImmediateText(uint8_t value) { return "#" + core::ToHexByte(value) + "H"; }

std::string Immediate16Text(uint16_t value) { return "#" + core::ToHexWord(value) + "H"; }

std::string AddressText(uint16_t value) { return core::ToHexWord(value) + "H"; }

std::string OperandAddressText(uint16_t value)
{
    const std::string digits = core::ToHexWord(value);
    return (digits[0] >= 'A' ? "0" : "") + digits + "H";
}

std::string DataItemText(uint8_t value)
{
    if (value > 32 && value < 127 && value != '\'' && value != ';') return std::string{'\'', static_cast<char>(value), '\''};
    return core::ToHexByte(value) + "H";
}

}  // namespace zelo::loader
