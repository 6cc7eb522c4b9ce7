#include "asm/usage_counts.h"

#include <charconv>

#include "asm/numbers.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/text_file.h"

namespace zelo::assembler {

UsageCounts ParseUsageCounts(std::string_view text)
{
    UsageCounts counts{};
    std::size_t i = 0;
    core::ForEachLine(text, [&](std::string_view line) {
        if (i >= counts.size()) return;
        const std::string_view count = core::TrimBlanks(line.size() > 10 ? line.substr(10) : "");
        if (auto v = ParseDecimal(count)) counts[i] = *v;
        ++i;
    });
    return counts;
}

UsageCounts ReadUsageCounts(const std::filesystem::path& folder)
{
    const auto text = core::ReadTextFile(folder / kUsageFileName);
    return text ? ParseUsageCounts(*text) : UsageCounts{};
}

std::string UsageCountsText(const UsageCounts& counts)
{
    std::string text;
    text.reserve(counts.size() * 24);
    for (unsigned op = 0; op < counts.size(); ++op) {
        text += "OpCode= ";
        text += core::HexCell::FromValue(op).Text();
        text += ' ';
        char digits[12];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, counts[op]);
        text.append(digits, ec == std::errc{} ? static_cast<std::size_t>(end - digits) : 0);
        text += "\r\n";
    }
    return text;
}

}  // namespace zelo::assembler
