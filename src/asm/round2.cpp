// Round 2: linking .EXTERN modules from their listing files and resolving the
// "xx" placeholders of jumps, calls, 16-bit values and DW labels.
#include <algorithm>

#include "asm/assembly_run.h"
#include "asm/expressions.h"
#include "asm/numbers.h"
#include "asm/problem_reasons.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/text_file.h"

namespace zelo::assembler {

namespace {

bool IsHexText(std::string_view t)
{
    return !t.empty() &&
           std::all_of(t.begin(), t.end(), [](char c) { return core::IsUpperHexDigit(c); });
}

std::string Columns(const std::string& line, std::size_t from1, std::size_t count)
{
    if (line.size() < from1) return {};
    return line.substr(from1 - 1, count);
}

constexpr std::string_view kByteLinePrefix = "                            BYTE:";

// The label and mnemonic of a listing line, read as fields: the text from
// column 19 up to a ';' cut at blanks, a label being a field that starts in
// column 19 itself. Names of any length read back this way.
struct ListingFields
{
    std::string label;     // upper-cased, a trailing ':' dropped
    std::string mnemonic;  // upper-cased
};

ListingFields ReadListingFields(std::string_view line)
{
    ListingFields f;
    if (line.size() < 19) return f;
    std::string_view rest = line.substr(18);
    rest = rest.substr(0, rest.find(';'));
    const bool labelled = rest[0] != ' ' && rest[0] != '\t';
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < rest.size() && words.size() < 2;) {
        const std::size_t from = rest.find_first_not_of(" \t", i);
        if (from == std::string_view::npos) break;
        const std::size_t to = std::min(rest.find_first_of(" \t", from), rest.size());
        words.push_back(rest.substr(from, to - from));
        i = to;
    }
    std::size_t next = 0;
    if (labelled && next < words.size()) {
        f.label = core::UpperTrimmedText(words[next++]);
        if (!f.label.empty() && f.label.back() == ':') f.label.pop_back();
    }
    if (next < words.size()) f.mnemonic = core::UpperTrimmedText(words[next]);
    return f;
}

// The exported names of a module listing: lines whose label field is
// ".GLOBAL"; the name is the next field, up to ':'.
std::vector<std::string> GlobalNames(const std::vector<std::string>& lines)
{
    std::vector<std::string> names;
    for (const std::string& l : lines) {
        const ListingFields f = ReadListingFields(l);
        if (f.label != ".GLOBAL") continue;
        std::string name = f.mnemonic.substr(0, f.mnemonic.find(':'));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

bool IsNonCodeDirective(const std::string& mnemonic)
{
    return mnemonic == "EQU" || mnemonic == "CON" || mnemonic == "SFR" || mnemonic == "REG" ||
           mnemonic == "BIT" || mnemonic == "ORG";
}

}  // namespace

int AssemblyRun::ProgramEnd() const
{
    int end = 0;
    for (const AsmLine& l : m_assembly.lines) {
        if (l.kind == LineKind::Instruction || l.kind == LineKind::Data)
            end = std::max(end, l.address + l.length);
    }
    return end;
}

void AssemblyRun::LinkExterns()
{
    for (const ExternModule& module : m_assembly.symbols.Modules()) {
        auto text = m_resolver->ReadModule(module.listing);
        if (!text) {
            m_assembly.linkProblem = module.name + "doesn't exist";
            if (static_cast<int>(m_assembly.missingModules.size()) < kMaxMissingModules)
                m_assembly.missingModules.push_back(module.name + ".lst");
            return;
        }
        m_assembly.libraryText = *text;
        const std::vector<std::string> lines = core::SplitLines(*text);
        const std::vector<std::string> globals = GlobalNames(lines);
        const int base = ProgramEnd();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& l = lines[i];
            const std::string number(core::TrimBlanks(Columns(l, 1, 5)));
            const std::string address = Columns(l, 7, 4);
            if (!DigitsValid(number, 10) || address.size() != 4 || !IsHexText(address)) continue;
            const int at = (core::ParseHexWord(address) + base) & 0xFFFF;

            const ListingFields fields = ReadListingFields(l);
            const std::string& label = fields.label;
            if (!label.empty() &&
                std::find(globals.begin(), globals.end(), label) != globals.end() &&
                label != ".GLOBAL") {
                m_assembly.labels.Add(label, static_cast<uint16_t>(at),
                             static_cast<int>(m_assembly.lines.size()) + 1);
            }
            if (IsNonCodeDirective(fields.mnemonic)) continue;

            std::vector<CodeByte>& data = m_draft.data;
            data.clear();
            if (i + 1 < lines.size() && lines[i + 1].rfind(kByteLinePrefix, 0) == 0) {
                // DB/DW: the whole data list stands on the BYTE: line, each
                // pair of characters read as hexadecimal digits.
                const std::string bytes(
                    core::TrimBlanks(lines[i + 1].substr(kByteLinePrefix.size())));
                for (std::size_t k = 0; k + 1 < bytes.size(); k += 2)
                    data.push_back(CodeByte::Of(
                        static_cast<unsigned>(core::ParseHexByteValue(std::string_view(bytes).substr(k, 2)))));
            } else {
                for (std::size_t col : {12u, 14u, 16u}) {
                    const std::string b = Columns(l, col, 2);
                    if (b.size() == 2 && IsHexText(b)) data.push_back(ByteFromText(b));
                }
            }
            if (data.empty()) continue;
            if (static_cast<int>(m_assembly.lines.size()) >= kMaxLineTableRows) {
                m_assembly.linkProblem = module.name + ": the line table holds at most " +
                                         std::to_string(kMaxLineTableRows) + " lines";
                ++m_assembly.round1Problems;
                return;
            }
            AsmLine linked;
            linked.linked = true;
            linked.kind = LineKind::Data;
            linked.address = static_cast<uint16_t>(at);
            linked.length = static_cast<int>(data.size());
            for (std::size_t k = 0; k < 3 && k < data.size(); ++k) linked.bytes[k] = data[k];
            m_assembly.KeepData(linked, data);
            m_assembly.lines.push_back(linked);
        }
    }
}

void AssemblyRun::Resolve()
{
    RefuseUnknownByteNames();
    if (!m_assembly.symbols.Modules().empty() && m_assembly.round1Problems == 0) LinkExterns();
    // Every line is resolved, header and linked lines included.
    for (int number = 1; number <= static_cast<int>(m_assembly.lines.size()); ++number) {
        const AsmLine& line = m_assembly.lines[number - 1];
        if (line.fixup != FixupKind::None || m_assembly.HasPendingWords(line)) ResolveLine(number);
        if (line.round2Error) {
            ++m_assembly.round2Problems;
            if (static_cast<int>(m_assembly.problemLines.size()) < kMaxProblemLines)
                m_assembly.problemLines.push_back(number);
        }
    }
    m_assembly.resolved = true;
    m_assembly.warnings = FindWarnings(m_assembly);
}

std::string AssemblyRun::MissingTargetReason(std::string_view target) const
{
    const core::UpperTrimmed upper(target.substr(!target.empty() && target[0] == '#'));
    const auto split = SplitLabelOffset(upper.View());
    const std::string_view name = split ? std::string_view(split->label) : upper.View();
    std::vector<std::string_view> known;
    for (const LabelEntry& e : m_assembly.labels.Entries()) known.push_back(e.key);
    for (const Symbol& s : m_assembly.symbols.EquSymbols()) known.push_back(s.name);
    return NotDefinedReason(name, known);
}

void AssemblyRun::RefuseUnknownByteNames()
{
    std::vector<int>& problems = m_assembly.problemLines;  // Round 1 problems so far, in order
    for (int number = 1; number <= static_cast<int>(m_assembly.lines.size()); ++number) {
        AsmLine& line = m_assembly.lines[number - 1];
        if (line.fixup != FixupKind::Byte8) continue;
        const std::string_view text = m_assembly.Symbolic(line);
        if (!NamesUnknownNames(text,
                               NamesWithLabels(m_assembly.symbols, m_assembly.labels, number)))
            continue;
        if (!m_assembly.HasOwnReason(line)) m_assembly.SetReason(line, MissingTargetReason(text));
        line.fixup = FixupKind::None;
        line.bytes[line.bytes[1].state == ByteState::Pending ? 1 : 2] = CodeByte::Error();
        line.round1Error = true;
        ++m_assembly.round1Problems;
        problems.insert(std::upper_bound(problems.begin(), problems.end(), number), number);
        if (static_cast<int>(problems.size()) > kMaxProblemLines) problems.pop_back();
    }
}

std::optional<unsigned> AssemblyRun::ResolveTarget(std::string_view text, int number,
                                                        bool expressionFirst) const
{
    const AsmLine& line = m_assembly.lines[number - 1];
    const core::UpperTrimmed upper(text.substr(!text.empty() && text[0] == '#'));
    const std::string_view t = upper.View();
    if (t == "$") return line.address;  // the instruction's own address
    auto asLabel = [&]() -> std::optional<unsigned> {
        const auto split = SplitLabelOffset(t);
        if (!split) return std::nullopt;
        if (auto a = m_assembly.labels.Find(split->label, number)) return (*a + split->offset) & 0xFFFF;
        if (split->label == "$") return (line.address + split->offset) & 0xFFFF;
        return std::nullopt;
    };
    if (!expressionFirst) {
        if (auto v = asLabel()) return v;
    }
    if (auto v = Evaluate16(t, m_assembly.symbols)) return v;
    if (auto v = asLabel()) return v;
    if (auto v = m_assembly.symbols.DirectAddress(t)) return *v;
    const ExpressionValue v =
        EvaluateWithLabels(t, m_assembly.symbols, m_assembly.labels, number, line.address);
    if (v.Ok()) return static_cast<unsigned>(*v.value);
    return std::nullopt;
}

std::optional<unsigned> AssemblyRun::ResolveByte(std::string_view text, int number) const
{
    const std::string_view t = core::TrimBlanks(text.substr(!text.empty() && text[0] == '#'));
    // #> and #< select the high and the low byte of a word.
    if (!t.empty() && (t[0] == '>' || t[0] == '<')) {
        const auto word = ResolveTarget(t.substr(1), number, true);
        if (!word) return std::nullopt;
        return t[0] == '>' ? *word >> 8 : *word & 0xFF;
    }
    const AsmLine& line = m_assembly.lines[number - 1];
    const ExpressionValue v = FitByte(EvaluateExpression(
        t, {NamesWithLabels(m_assembly.symbols, m_assembly.labels, number), line.address}));
    if (!v.Ok()) return std::nullopt;
    return static_cast<unsigned>(*v.value) & 0xFF;
}

void AssemblyRun::ResolveLine(int number)
{
    AsmLine& line = m_assembly.lines[number - 1];
    for (const PendingWord& w : m_assembly.PendingWords(line)) {
        const auto v = ResolveTarget(m_assembly.Text(w.text), number, true);
        if (!v && !m_assembly.HasOwnReason(line))
            m_assembly.SetReason(line, MissingTargetReason(m_assembly.Text(w.text)));
        const std::span<CodeByte> data = m_assembly.Data(line);
        data[w.index] = v ? CodeByte::Of(*v >> 8) : CodeByte::Error();
        data[w.index + 1] = v ? CodeByte::Of(*v & 0xFF) : CodeByte::Error();
    }
    if (m_assembly.HasPendingWords(line)) {
        const std::span<const CodeByte> data = m_assembly.Data(line);
        for (std::size_t k = 0; k < 3 && k < data.size(); ++k) line.bytes[k] = data[k];
    }

    // A message is made before it is kept: the symbolic text is a view into
    // the store the message is kept in.
    const std::string_view symbolic = m_assembly.Symbolic(line);
    std::string message;
    std::string reason;
    switch (line.fixup) {
        case FixupKind::None:
            break;
        case FixupKind::Relative: {
            const auto target = ResolveTarget(symbolic, number, false);
            const int slot = line.bytes[1].state == ByteState::Pending ? 1 : 2;
            if (!target) {
                line.bytes[slot] = CodeByte::Error();
                message = "Label not found: " + std::string(symbolic);
                reason = MissingTargetReason(symbolic);
                break;
            }
            const int offset = static_cast<int>(*target) - (line.address + line.length);
            if (offset < -128 || offset > 127) {
                line.bytes[slot] = CodeByte::Error();
                message = "Relative jump out of range: " + std::to_string(offset);
                reason = ReachReason(core::UpperTrimmedText(m_assembly.Field(line, 2)),
                                     core::TrimBlanks(symbolic), offset);
                break;
            }
            line.bytes[slot] = CodeByte::Of(static_cast<unsigned>(offset) & 0xFF);
            break;
        }
        case FixupKind::Absolute11: {
            const auto target = ResolveTarget(symbolic, number, false);
            const unsigned next = (line.address + 2u) & 0xFFFF;
            if (!target || next / 2048 != *target / 2048) {
                line.bytes[0] = CodeByte::Error();
                line.bytes[1] = CodeByte::Error();
                message = (target ? "Target not in the same 2K page: " : "Label not found: ") +
                          std::string(symbolic);
                reason = target ? PageReason(core::UpperTrimmedText(m_assembly.Field(line, 2)),
                                             core::TrimBlanks(symbolic), next, *target)
                                : MissingTargetReason(symbolic);
                break;
            }
            // The opcode: the target's page bits over x1H (AJMP) or x1H + 10H (ACALL).
            const unsigned digit = 2 * ((*target >> 8) & 7) + (line.isCall ? 1 : 0);
            line.bytes[0] = CodeByte::Of(digit << 4 | 1);
            line.bytes[1] = CodeByte::Of(*target & 0xFF);
            break;
        }
        case FixupKind::Byte8: {
            const auto value = ResolveByte(symbolic, number);
            const int slot = line.bytes[1].state == ByteState::Pending ? 1 : 2;
            if (!value) {
                line.bytes[slot] = CodeByte::Error();
                message = "Cannot resolve: " + std::string(symbolic);
                const auto wide = ResolveTarget(symbolic, number, true);
                reason = wide ? NotByteReason(*wide) : MissingTargetReason(symbolic);
                break;
            }
            line.bytes[slot] = CodeByte::Of(*value);
            break;
        }
        case FixupKind::Word16: {
            const auto target = ResolveTarget(symbolic, number, true);
            if (!target) {
                line.bytes[1] = CodeByte::Error();
                line.bytes[2] = CodeByte::Error();
                message = "Cannot resolve: " + std::string(symbolic);
                reason = MissingTargetReason(symbolic);
                break;
            }
            line.bytes[1] = CodeByte::Of(*target >> 8);
            line.bytes[2] = CodeByte::Of(*target & 0xFF);
            break;
        }
    }
    if (!message.empty()) m_assembly.SetMessage(line, message);
    // A problem found in Round 1 keeps its own reason.
    if (!reason.empty() && !m_assembly.HasOwnReason(line)) m_assembly.SetReason(line, reason);
    if (m_assembly.HasProblemByte(line) && !line.round1Error) line.round2Error = true;
}

}  // namespace zelo::assembler
