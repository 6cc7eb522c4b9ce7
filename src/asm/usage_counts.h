// The opcode usage statistics file of a workspace: one line per opcode in
// order, "OpCode= XX count", the count from column 11. Every run of the
// assembler adds the opcodes it assembled; the window's opcode map marks the
// opcodes with a count.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelo::assembler {

inline constexpr const char* kUsageFileName = "Scode8051.txt";

using UsageCounts = std::array<unsigned, 256>;

// The counts of a statistics file's text; a line whose count does not read
// as a decimal number counts 0, and missing lines count 0.
UsageCounts ParseUsageCounts(std::string_view text);
// The counts of FOLDER's statistics file; all 0 when there is none.
UsageCounts ReadUsageCounts(const std::filesystem::path& folder);
// The file's text for the counts (CR LF line ends).
std::string UsageCountsText(const UsageCounts& counts);

}  // namespace zelo::assembler
