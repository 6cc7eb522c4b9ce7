// Names, address forms and descriptions of the 256 bit addresses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fixed_text.h"

namespace zelo::core {

// The text of a bit's description, held as its place in the table's list
// of descriptions: rows then hold no pointer and lie in constant data.
class BitDescription
{
public:
    constexpr BitDescription() = default;
    constexpr explicit BitDescription(uint8_t place) : m_place(place) {}
    std::string_view View() const;
    operator std::string_view() const { return View(); }
    bool empty() const { return m_place == 0; }
    friend bool operator==(const BitDescription& a, std::string_view b) { return a.View() == b; }

private:
    uint8_t m_place = 0;  // 1 + index in the list; 0: none
};

struct BitNameRow {
    FixedText<7> name;           // column 0: "TR0", "P1.3", "20H.0"; "" when none
    FixedText<2> number;         // column 1: the bit number as a HexByte ("8C")
    FixedText<4> address;        // column 2: "88.4"
    BitDescription description;  // column 4
    FixedText<5> addressH;       // column 6: "88H.4"
};

// Built while the program is compiled: the rows and an index of their
// address forms are constant data.
class BitNameTable {
public:
    // Column 2 of the first row whose column 0 or 1 equals text; "??" when none.
    std::string BitAddressOf(std::string_view text) const;
    // Bit number of the first row whose column 0, 2 or 6 equals text (the
    // assembler's bit lookup), by binary search over an index of the forms.
    std::optional<uint8_t> FindByForm(std::string_view text) const;
    const BitNameRow& Row(uint8_t n) const;
};

// The table, shared read-only.
const BitNameTable& StandardBitNameTable();

}  // namespace zelo::core
