// Names, address forms and descriptions of the 256 bit addresses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelo::core {

struct BitNameRow {
    std::string name;         // column 0: "TR0", "P1.3", "20H.0"; "" when none
    std::string number;       // column 1: the bit number as a HexByte ("8C")
    std::string address;      // column 2: "88.4"
    std::string description;  // column 4
    std::string addressH;     // column 6: "88H.4"
};

class BitNameTable {
public:
    BitNameTable();  // builds the table

    void BuildBitNameTable();
    // Column 2 of the first row whose column 0 or 1 equals text; "??" when none.
    std::string BitAddressOf(std::string_view text) const;
    // Bit number of the first row whose column 0, 2 or 6 equals text (the
    // assembler's bit lookup).
    std::optional<uint8_t> FindByForm(std::string_view text) const;
    const BitNameRow& Row(uint8_t n) const { return m_rows[n]; }

private:
    std::array<BitNameRow, 256> m_rows;
};

// The table, built once on first use and shared read-only.
const BitNameTable& StandardBitNameTable();

}  // namespace zelo::core
