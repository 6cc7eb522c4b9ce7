// The Intel HEX record format shared by the loader and the assembler's writer:
// ":" count(2) address(4) type(2) data(2n) checksum(2), upper-case digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::loader {

// Appends the checksum of a record text (without ":" and checksum) in place:
// the two's complement of the low byte of the sum of its byte pairs.
void AppendHexChecksum(std::string& recordText);

// A complete data record line, ":" included, for up to 255 bytes at address.
std::string FormatDataRecord(uint16_t address, const std::vector<uint8_t>& bytes);
std::string FormatDataRecord(uint16_t address, const uint8_t* bytes, std::size_t count);
// The same record added to the end of out (no line end).
void AppendDataRecord(std::string& out, uint16_t address, const uint8_t* bytes, std::size_t count);

inline constexpr const char* kEndOfFileRecord = ":00000001FF";

}  // namespace zelo::loader
