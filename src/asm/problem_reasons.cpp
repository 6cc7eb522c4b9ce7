#include "asm/problem_reasons.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/ascii_text.h"

namespace zelo::assembler {

namespace {

std::string_view WithoutColon(std::string_view name)
{
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    return name;
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Edit distance counting a swap of two neighbouring letters as one edit
// (the commonest slip: NXET for NEXT); gives up, returning limit + 1, once
// every path is longer than limit.
std::size_t EditDistance(std::string_view a, std::string_view b, std::size_t limit)
{
    const std::size_t la = a.size();
    const std::size_t lb = b.size();
    if ((la > lb ? la - lb : lb - la) > limit) return limit + 1;
    std::vector<std::size_t> before(lb + 1);
    std::vector<std::size_t> previous(lb + 1);
    std::vector<std::size_t> row(lb + 1);
    for (std::size_t j = 0; j <= lb; ++j) row[j] = j;
    for (std::size_t i = 1; i <= la; ++i) {
        before.swap(previous);
        previous.swap(row);
        row[0] = i;
        std::size_t best = row[0];
        for (std::size_t j = 1; j <= lb; ++j) {
            const std::size_t cost = Upper(a[i - 1]) == Upper(b[j - 1]) ? 0 : 1;
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && Upper(a[i - 1]) == Upper(b[j - 2]) &&
                Upper(a[i - 2]) == Upper(b[j - 1]))
                row[j] = std::min(row[j], before[j - 2] + 1);
            best = std::min(best, row[j]);
        }
        if (best > limit) return limit + 1;
    }
    return row[lb];
}

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04XH", value & 0xFFFF);
    return text;
}

}  // namespace

std::optional<std::string_view> NearestName(std::string_view name,
                                            std::span<const std::string_view> known)
{
    name = WithoutColon(name);
    // One slip in a short name, two in a long one; a name of two letters
    // is too short to guess from.
    const std::size_t limit = name.size() <= 2 ? 0 : name.size() <= 5 ? 1 : 2;
    if (limit == 0) return std::nullopt;
    std::optional<std::string_view> best;
    std::size_t bestDistance = limit + 1;
    for (std::string_view candidate : known) {
        candidate = WithoutColon(candidate);
        if (candidate.empty()) continue;
        const std::size_t d = EditDistance(name, candidate, limit);
        if (d > 0 && d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

std::string NotDefinedReason(std::string_view name, std::span<const std::string_view> known)
{
    std::string text = std::string(WithoutColon(name)) + " is not defined";
    if (const auto near = NearestName(name, known))
        text += " (did you mean " + std::string(*near) + "?)";
    return text;
}

bool LooksLikeRegister(std::string_view t)
{
    const bool indirect = t.starts_with('@');
    if (indirect) t.remove_prefix(1);
    if (t.size() < 2 || t[0] != 'R') return false;
    if (!std::all_of(t.begin() + 1, t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const bool valid = t.size() == 2 && t[1] <= (indirect ? '1' : '7');
    return !valid;
}

std::string NotRegisterReason(std::string_view t)
{
    if (t.starts_with('@')) return std::string(t) + " is not an indirect register (@R0 or @R1)";
    return std::string(t) + " is not a register (R0-R7)";
}

std::string NotByteReason(long long value)
{
    return std::to_string(value) + " does not fit in a byte";
}

std::string NotValueReason(std::string_view text)
{
    return std::string(text) + " is not a number, a character or a known name";
}

std::string NotDirectAddressReason(std::string_view text)
{
    return std::string(text) + " is not a direct address (00H-FFH or a register name)";
}

std::string NotBitReason(std::string_view text)
{
    return std::string(text) + " is not a bit (00H-FFH, a bit name or a byte's bit as P1.3)";
}

std::string FormsReason(std::string_view mnemonic, std::span<const std::string> shapes)
{
    std::string text = std::string(mnemonic) + " takes ";
    if (shapes.empty() || (shapes.size() == 1 && shapes[0].empty())) return text + "no operand";
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (i > 0) text += " or ";
        text += shapes[i].empty() ? "no operand" : shapes[i];
    }
    return text;
}

std::string NotInstructionReason(std::string_view mnemonic)
{
    return std::string(mnemonic) + " is not an instruction or a directive";
}

std::string ReachReason(std::string_view mnemonic, std::string_view target, long distance)
{
    std::string text = std::string(mnemonic) + " to " + std::string(target) + " is " +
                       std::to_string(distance) + " bytes away; the reach is -128..+127: ";
    if (mnemonic == "SJMP") return text + "use LJMP or AJMP";
    return text + "jump over an LJMP with the opposite test";
}

std::string PageReason(std::string_view mnemonic, std::string_view target, unsigned from,
                       unsigned to)
{
    const unsigned page = from & 0xF800;
    const bool call = mnemonic.ends_with("CALL");
    return std::string(mnemonic) + " to " + std::string(target) + " at " + Hex4(to) +
           " leaves the 2 KB page " + Hex4(page) + "-" + Hex4(page | 0x7FF) + ": use " +
           (call ? "LCALL" : "LJMP");
}

}  // namespace zelo::assembler
