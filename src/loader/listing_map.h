// A listing as the debugger follows it: which line holds the instruction at
// an address, which address a line stands for, and the labels. Reads the
// assembler's listing (NAME.lst) and the disassembler's (NAMEDis.lst): a
// line number in columns 1-5, the address in 7-10, the code bytes in 12-17
// and the source from column 19, a label in front of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cpu_state.h"

namespace zelo::loader {

struct ListingLabel
{
    std::string name;
    uint16_t address = 0;
};

class ListingMap
{
public:
    ListingMap() = default;
    explicit ListingMap(std::string_view text);

    const std::vector<std::string>& Lines() const { return m_lines; }
    bool Empty() const { return m_lines.empty(); }
    // The line (0-based) of the instruction that starts at the address.
    std::optional<int> LineOfAddress(uint16_t address) const;
    // The instruction address of a line: its own, or that of the next
    // instruction line below it (a label or comment line stands for the
    // instruction that follows).
    std::optional<uint16_t> AddressOfLine(int line) const;
    // Whether the line holds an instruction.
    bool IsCodeLine(int line) const;
    // Whether every instruction line's bytes are the bytes in code memory
    // (a listing left from an older assembly is not).
    bool MatchesCode(const core::CpuState& cpu) const;

    // The instruction at the address as the listing writes it, without
    // label and comment and with single blanks: "MOV R7,#10", "SJMP AGAIN".
    std::string InstructionText(uint16_t address) const;

    const std::vector<ListingLabel>& Labels() const { return m_labels; }
    // The address of a code label, compared case-insensitively.
    std::optional<uint16_t> LabelAddress(std::string_view name) const;
    // The label at the address or the nearest one below it ("" when none):
    // the routine an address lies in.
    std::string LabelAtOrBelow(uint16_t address) const;
    // "SUB" for the label's own address, "SUB+3" inside it, the hex
    // address when no label lies below.
    std::string Describe(uint16_t address) const;

private:
    std::vector<std::string> m_lines;
    std::vector<int> m_address;          // per line: instruction address, -1 for none
    std::vector<ListingLabel> m_labels;  // sorted by address
};

}  // namespace zelo::loader
