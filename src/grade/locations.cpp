#include "grade/locations.h"

#include <cctype>

#include "core/bit_name_table.h"
#include "core/hex_text.h"

namespace zelo::grade {
namespace {

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::optional<uint32_t> Digits(std::string_view text, int base)
{
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || d >= base) return std::nullopt;
        value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
    }
    return value;
}

// "BYTE.b": the byte part and the bit number, when the key has that form.
struct BitSplit
{
    std::string byte;
    int bit = -1;
};
std::optional<BitSplit> SplitBit(const std::string& upper)
{
    const auto dot = upper.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string tail = upper.substr(dot + 1);
    if (tail.size() != 1 || tail[0] < '0' || tail[0] > '7') return std::nullopt;
    return BitSplit{upper.substr(0, dot), tail[0] - '0'};
}

// The SFR table names the accumulator "A"; programs also write ACC.
std::optional<uint8_t> SfrAddress(const core::CpuState& chipTables, const std::string& upper)
{
    return chipTables.LookupSfrAddress(upper == "ACC" ? std::string("A") : upper);
}

const char* const kInternalForms =
    "an internal address 00H-FFH (30H, 0x30, 48), an SFR name (ACC), R0-R7, a bit name (CY, P1.0) "
    "or BYTE.b (20H.3)";

}  // namespace

std::optional<uint32_t> ParseAddressNumber(std::string_view text, uint32_t limit)
{
    const std::string upper = Upper(text);
    std::optional<uint32_t> value;
    if (upper.size() > 2 && upper[0] == '0' && upper[1] == 'X') {
        value = Digits(std::string_view(upper).substr(2), 16);
    } else if (upper.size() > 2 && upper[0] == '0' && upper[1] == 'B') {
        value = Digits(std::string_view(upper).substr(2), 2);
    } else if (upper.size() > 1 && upper.back() == 'H' &&
               std::isdigit(static_cast<unsigned char>(upper[0]))) {
        value = Digits(std::string_view(upper).substr(0, upper.size() - 1), 16);
    } else {
        value = Digits(upper, 10);
    }
    if (!value || *value > limit) return std::nullopt;
    return value;
}

LocationParse ParseInternalKey(std::string_view key, const core::CpuState& chipTables)
{
    const std::string upper = Upper(key);
    Location where;
    where.key = std::string(key);
    if (upper.size() == 2 && upper[0] == 'R' && upper[1] >= '0' && upper[1] <= '7') {
        where.reg = upper[1] - '0';
        return {where, {}};
    }
    if (auto number = ParseAddressNumber(upper, 0xFF)) {
        where.address = *number;
        return {where, {}};
    }
    if (auto sfr = SfrAddress(chipTables, upper)) {
        where.address = *sfr;
        return {where, {}};
    }
    if (auto split = SplitBit(upper)) {
        std::optional<uint32_t> byte = ParseAddressNumber(split->byte, 0xFF);
        if (!byte) {
            if (auto sfr = SfrAddress(chipTables, split->byte)) byte = *sfr;
        }
        if (byte) {
            where.address = *byte;
            where.bit = split->bit;
            return {where, {}};
        }
    }
    if (auto number = core::StandardBitNameTable().FindByForm(upper)) {
        const core::BitAddress bit = core::BitAddressOfNumber(*number);
        where.address = bit.byte;
        where.bit = bit.bit;
        return {where, {}};
    }
    return {std::nullopt, "\"" + std::string(key) + "\" names no internal location of the " +
                              core::ChipName(chipTables.Chip()) + "; write " + kInternalForms};
}

LocationParse ParseExternalKey(std::string_view key)
{
    const std::string upper = Upper(key);
    Location where;
    where.space = Space::External;
    where.key = std::string(key);
    if (auto number = ParseAddressNumber(upper, 0xFFFF)) {
        where.address = *number;
        return {where, {}};
    }
    if (auto split = SplitBit(upper)) {
        if (auto number = ParseAddressNumber(split->byte, 0xFFFF)) {
            where.address = *number;
            where.bit = split->bit;
            return {where, {}};
        }
    }
    return {std::nullopt,
            "\"" + std::string(key) +
                "\" is no external address; write 0000H-FFFFH (0100H, 0x100), optionally with .b"};
}

LocationParse ParseUpperKey(std::string_view key, core::ChipModel chip)
{
    if (!core::HasUpperRam(chip))
        return {std::nullopt, std::string("the ") + core::ChipName(chip) +
                                  " has no indirectly addressed RAM 80H-FFH (only the 8052)"};
    const std::string upper = Upper(key);
    Location where;
    where.space = Space::Upper;
    where.key = std::string(key);
    std::optional<uint32_t> number = ParseAddressNumber(upper, 0xFF);
    if (!number) {
        if (auto split = SplitBit(upper)) {
            number = ParseAddressNumber(split->byte, 0xFF);
            where.bit = split->bit;
        }
    }
    if (number && *number >= 0x80) {
        where.address = *number;
        return {where, {}};
    }
    return {std::nullopt, "\"" + std::string(key) +
                              "\" is no upper RAM address; write 80H-FFH, optionally with .b"};
}

LocationParse ParsePinKey(std::string_view key, core::ChipModel chip)
{
    const std::string upper = Upper(key);
    const bool small = chip == core::ChipModel::C89Cx051;
    if (upper.size() >= 2 && upper[0] == 'P' && upper[1] >= '0' && upper[1] <= '3' &&
        (upper.size() == 2 ||
         (upper.size() == 4 && upper[2] == '.' && upper[3] >= '0' && upper[3] <= '7'))) {
        const int port = upper[1] - '0';
        if (small && (port == 0 || port == 2))
            return {std::nullopt, "the 89Cx051 has no port P" + std::to_string(port)};
        Location where;
        where.key = std::string(key);
        where.address = 0x80u + 0x10u * static_cast<uint32_t>(port);
        if (upper.size() == 4) where.bit = upper[3] - '0';
        return {where, {}};
    }
    return {std::nullopt,
            "\"" + std::string(key) + "\" is no pin; write a port (P1) or a pin (P1.0)"};
}

namespace {
uint8_t InternalAddress(const core::CpuState& cpu, const Location& where)
{
    return where.reg >= 0 ? cpu.registerAddress[static_cast<std::size_t>(where.reg)]
                          : static_cast<uint8_t>(where.address);
}
}  // namespace

std::optional<unsigned> ReadLocation(const core::CpuState& cpu, const Location& where)
{
    if (where.space == Space::External) {
        const core::HexCell cell = cpu.externalMemory[where.address];
        const std::string text = cell.Text();
        if (!std::isxdigit(static_cast<unsigned char>(text[0])) ||
            !std::isxdigit(static_cast<unsigned char>(text[1])))
            return std::nullopt;
        const unsigned value = *Digits(Upper(text), 16);
        return where.IsBit() ? (value >> where.bit) & 1u : value;
    }
    const auto& cells = where.space == Space::Upper ? cpu.upperRam[where.address - 0x80]
                                                    : cpu.internal[InternalAddress(cpu, where)];
    if (where.IsBit()) {
        const char c = cells[static_cast<std::size_t>(where.bit)];
        if (c == '1') return 1u;
        if (c == '0' || c == '-') return 0u;
        return std::nullopt;
    }
    unsigned value = 0;
    for (int k = 7; k >= 0; --k) {
        const char c = cells[static_cast<std::size_t>(k)];
        if (c != '0' && c != '1' && c != '-') return std::nullopt;
        value = 2 * value + (c == '1');
    }
    return value;
}

std::string ValueText(const Location& where, unsigned value)
{
    return where.IsBit() ? std::string(1, value ? '1' : '0') : core::ToHexByte(value & 0xFF);
}

std::string ReadLocationText(const core::CpuState& cpu, const Location& where)
{
    const auto value = ReadLocation(cpu, where);
    if (!value) return where.IsBit() ? "x" : "xx";
    return ValueText(where, *value);
}

void WriteLocation(core::CpuState& cpu, const Location& where, unsigned value)
{
    if (where.space == Space::External) {
        unsigned byte = value & 0xFF;
        if (where.IsBit()) {
            const unsigned old =
                ReadLocation(cpu, Location::Byte(Space::External, where.address)).value_or(0);
            byte = (old & ~(1u << where.bit)) | ((value & 1u) << where.bit);
        }
        cpu.externalMemory[where.address] = core::HexCell::FromValue(byte);
        return;
    }
    if (where.space == Space::Upper) {
        auto& cells = cpu.upperRam[where.address - 0x80];
        for (int k = 0; k < 8; ++k) {
            if (where.IsBit() && k != where.bit) continue;
            const unsigned bit = where.IsBit() ? value & 1u : (value >> k) & 1u;
            cells[static_cast<std::size_t>(k)] = bit ? '1' : '0';
        }
        return;
    }
    const uint8_t address = InternalAddress(cpu, where);
    if (where.IsBit()) {
        cpu.WriteBit(value ? '1' : '0', core::BitAddress{address, static_cast<uint8_t>(where.bit)});
        if (address == core::sfr::PSW) cpu.RelabelRegisterBank();
        return;
    }
    cpu.StoreByte(static_cast<uint8_t>(value), address);
}

Location Offset(const Location& where, uint32_t offset)
{
    Location next = where;
    if (offset == 0) return next;
    if (where.reg >= 0) {
        next.reg = where.reg + static_cast<int>(offset);
        next.key = "R" + std::to_string(next.reg);
    } else {
        next.address = where.address + offset;
        next.key = (where.space == Space::External ? core::ToHexWord(next.address)
                                                   : core::ToHexByte(next.address)) +
                   "H";
    }
    return next;
}

}  // namespace zelo::grade
