// The special function registers of each chip: name, address, reset value
// and display colour, plus the one-line description of every address.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/chip_model.h"

namespace zelo::core {

struct SfrRow {
    std::string name;     // "" when the row is empty for the chip
    std::string address;  // HexByte text
    std::string reset;    // BitString, bit 7 first ("000000x0")
    int colour = 0;
    bool bitAddressable = false;
};

constexpr int kSfrRows = 51;
constexpr int kFirstRegisterRow = 30;  // rows 30..37 are R0..R7 of the current bank
constexpr int kLastUsedSfrRow = 37;

// Fills rows 0..29 with the registers of the chip (empty rows where the chip
// lacks the register). Rows 30..37 are left to the register-bank code.
void FillChipSfrRows(ChipModel chip, std::array<SfrRow, kSfrRows>& rows);

// The one-line descriptions of the direct addresses for a chip; addresses of
// registers the chip does not have are empty.
std::array<std::string, 256> BuildSfrDescriptions(ChipModel chip);

// PSW flag names: "CY"/"C" 7, "AC" 6, "F0" 5, "RS1" 4, "RS0" 3, "OV" 2, "P" 0.
std::optional<int> PswFlagBit(std::string_view flagName);

}  // namespace zelo::core
