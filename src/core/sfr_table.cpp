#include "core/sfr_table.h"

namespace zelo::core {

namespace {

struct SfrEntry {
    const char* name;
    const char* address;
    const char* reset8051;  // nullptr: no such register on that chip
    const char* reset8052;
    const char* reset89;
    int colour;
    bool bitAddressable;
};

// Rows 0..29 exactly as the chips define them.
constexpr SfrEntry kSfrEntries[30] = {
    {"A", "E0", "00000000", "00000000", "00000000", 0, true},
    {"B", "F0", "00000000", "00000000", "00000000", 0, true},
    {"PSW", "D0", "000000x0", "0x000000", "000000x0", 0, true},
    {"T2CON", "C8", nullptr, "00000000", nullptr, 2, true},
    {"T2MOD", "C9", nullptr, "xxxxxx00", nullptr, 2, false},
    {"RCAP2L", "CA", nullptr, "00000000", nullptr, 2, false},
    {"RCAP2H", "CB", nullptr, "00000000", nullptr, 2, false},
    {"TL2", "CC", nullptr, "00000000", nullptr, 2, false},
    {"TH2", "CD", nullptr, "00000000", nullptr, 2, false},
    {"IP", "B8", "--000000", "--000000", "--000000", 0, true},
    {"P3", "B0", "11111111", "11111111", "1-111111", 0, true},
    {"IE", "A8", "0-000000", "0-000000", "0-000000", 0, true},
    {"P2", "A0", "11111111", "11111111", nullptr, 0, true},
    {"SCON", "98", "00000000", "00000000", "00000000", 2, true},
    {"SBUF", "99", "xxxxxxxx", "xxxxxxxx", "xxxxxxxx", 0, false},
    {"P1", "90", "11111111", "11111111", "11111111", 0, true},
    {"TCON", "88", "00000000", "00000000", "00000000", 2, true},
    {"TMOD", "89", "00000000", "00000000", "00000000", 2, false},
    {"TL0", "8A", "00000000", "00000000", "00000000", 2, false},
    {"TL1", "8B", "00000000", "00000000", "00000000", 2, false},
    {"TH0", "8C", "00000000", "00000000", "00000000", 2, false},
    {"TH1", "8D", "00000000", "00000000", "00000000", 2, false},
    {"AUXR", "8E", nullptr, "xxx00xx0", nullptr, 4, false},
    {"P0", "80", "11111111", "11111111", nullptr, 0, true},
    {"SP", "81", "00000111", "00000111", "00000111", 1, false},
    {"DPL", "82", "00000000", "00000000", "00000000", 0, false},
    {"DPH", "83", "00000000", "00000000", "00000000", 0, false},
    {"DP1L", "84", nullptr, "00000000", nullptr, 4, false},
    {"DP1H", "85", nullptr, "00000000", nullptr, 4, false},
    {"PCON", "87", "0---0000", "0--00000", "0--00000", 0, false},
};

struct Description {
    uint8_t address;
    const char* text;
};

constexpr Description kDescriptions[] = {
    {0xE0, "ACC (Accumulator, Bit-Addressable)"},
    {0xF0, "B (B Register, Bit-Addressable)"},
    {0xD0, "PSW (Program Status Word, Bit-Addressable)"},
    {0x80, "P0 (Port 0, Bit-Addressable) may be used to address the external memory"},
    {0x90, "P1 (Port 1, Bit-Addressable)"},
    {0xA0, "P2 (Port 2, Bit-Addressable) may be used to address the external memory"},
    {0xB0, "P3 (Port 3, Bit-Addressable)"},
    {0x81, "SP (Stack Pointer)"},
    {0x82, "DPL (Data Pointer Low)"},
    {0x83, "DPH (Data Pointer High)"},
    {0x84, "DP1L (Data Pointer 1 Low)"},
    {0x85, "DP1H (Data Pointer 1 High)"},
    {0x87, "PCON (Power Control)"},
    {0xC8, "T2CON (Timer Control 2, Bit-Addressable)"},
    {0xB8, "IP (Interrupt Priority, Bit-Addressable)"},
    {0xA8, "IE (Interrupt Enable, Bit-Addressable)"},
    {0x98, "SCON (Serial Control, Bit-Addressable)"},
    {0x88, "TCON (Timer Control, Bit-Addressable)"},
    {0x99, "SBUF (Serial Control)"},
    {0x89, "TMOD (Timer Mode)"},
    {0xC9, "T2MOD (Timer 2 Mode)"},
    {0x8A, "TL0 (Timer 0 Low)"},
    {0x8C, "TH0 (Timer 0 High)"},
    {0x8B, "TL1 (Timer 1 Low)"},
    {0x8D, "TH1 (Timer 1 High)"},
    {0xCC, "TL2 (Timer 2 Low)"},
    {0xCD, "TH2 (Timer 2 High)"},
    {0xCA, "RCAP2L (Timer 2 Capture Low)"},
    {0xCB, "RCAP2H (Timer 2 Capture High)"},
    {0x8E, "AUXR"},
};

}  // namespace

void FillChipSfrRows(ChipModel chip, std::array<SfrRow, kSfrRows>& rows)
{
    for (int i = 0; i < 30; ++i) {
        const SfrEntry& entry = kSfrEntries[i];
        const char* reset = chip == ChipModel::C8051   ? entry.reset8051
                            : chip == ChipModel::C8052 ? entry.reset8052
                                                       : entry.reset89;
        if (reset == nullptr) {
            rows[i] = SfrRow{};
            continue;
        }
        rows[i] = SfrRow{entry.name, entry.address, reset, entry.colour, entry.bitAddressable};
    }
}

std::array<std::string, 256> BuildSfrDescriptions(ChipModel chip)
{
    std::array<std::string, 256> table;
    for (const auto& d : kDescriptions) table[d.address] = d.text;
    if (chip != ChipModel::C8052) {
        for (uint8_t a : {0x84, 0x85, 0x8E, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD}) table[a].clear();
    }
    if (chip == ChipModel::C89Cx051) {
        table[0x80].clear();
        table[0xA0].clear();
    }
    return table;
}

std::optional<int> PswFlagBit(std::string_view flagName)
{
    if (flagName == "CY" || flagName == "C") return 7;
    if (flagName == "AC") return 6;
    if (flagName == "F0") return 5;
    if (flagName == "RS1") return 4;
    if (flagName == "RS0") return 3;
    if (flagName == "OV") return 2;
    if (flagName == "P") return 0;
    return std::nullopt;
}

}  // namespace zelo::core
