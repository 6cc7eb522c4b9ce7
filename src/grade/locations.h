// The places an assignment names: bytes and bits of the internal address
// space (RAM and SFRs as direct addressing sees them), of external RAM, the
// registers R0-R7 of the bank in use, and the port pins (the grader reads
// their levels from the simulator). Keys are written the way 8051
// programmers write them: "30H", "0x30", "48", "ACC", "P1.0", "20H.3", "CY",
// "R0", "0100H" (external).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/chip_model.h"
#include "core/cpu_state.h"

namespace zelo::grade {

// Internal: direct addressing (RAM 00H-7FH, SFRs 80H-FFH); Upper: the
// 8052's indirectly addressed RAM 80H-FFH; External: MOVX space.
enum class Space { Internal, Upper, External };

struct Location
{
    Space space = Space::Internal;
    uint32_t address = 0;  // 00H-FFH internal, 0000H-FFFFH external
    int bit = -1;          // 0-7 for a bit, -1 for the whole byte
    int reg = -1;          // 0-7: Rn of the register bank in use when it is read or written
    std::string key;       // as the assignment wrote it, for reports

    bool IsBit() const { return bit >= 0; }
    static Location Byte(Space space, uint32_t address)
    {
        Location where;
        where.space = space;
        where.address = address;
        return where;
    }
};

struct LocationParse
{
    std::optional<Location> location;
    std::string problem;  // why the key names no place
};

// A number written as 30H, 0x30, 0b1010 or 48; nothing for other texts or
// values above `limit`.
std::optional<uint32_t> ParseAddressNumber(std::string_view text, uint32_t limit);

// An internal key: a number 00H-FFH, an SFR name of the chip, R0-R7, a bit
// name (CY, TR0, P1.0) or BYTE.b with BYTE a number or an SFR name.
LocationParse ParseInternalKey(std::string_view key, const core::CpuState& chipTables);
// An external key: 0000H-FFFFH, optionally followed by .b.
LocationParse ParseExternalKey(std::string_view key);
// An upper-RAM key (8052 only): 80H-FFH, optionally followed by .b.
LocationParse ParseUpperKey(std::string_view key, core::ChipModel chip);
// A pin key: P0-P3 (the whole port) or Pn.b; the ports the chip has.
LocationParse ParsePinKey(std::string_view key, core::ChipModel chip);

// The value at a location as its report text: "3C" for a byte, "1" for a
// bit, "xx" / "x" when undefined.
std::string ReadLocationText(const core::CpuState& cpu, const Location& where);
// The value at a location when it is defined.
std::optional<unsigned> ReadLocation(const core::CpuState& cpu, const Location& where);
// Writes a byte (or a bit, 0/1) at a location; PSW written as a byte
// relabels the register bank, as a program's write does.
void WriteLocation(core::CpuState& cpu, const Location& where, unsigned value);
// The location `offset` bytes after a byte location (for arrays of values).
Location Offset(const Location& where, uint32_t offset);

// The expected value as a report text, in the same form as ReadLocationText.
std::string ValueText(const Location& where, unsigned value);

}  // namespace zelo::grade
