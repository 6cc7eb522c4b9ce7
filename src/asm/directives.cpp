#include "asm/directives.h"

#include "asm/encoder.h"
#include "asm/expressions.h"
#include "asm/numbers.h"
#include "asm/problem_reasons.h"
#include "asm/source_file.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::assembler {

namespace {

std::string SymbolName(const std::string& label)
{
    std::string name = core::UpperTrimmedText(label);
    if (!name.empty() && name.back() == ':') name.pop_back();
    return name;
}

void Fail(LineDraft& line, std::string message, std::string reason = {})
{
    line.bytes[0] = CodeByte::Error();
    line.message = std::move(message);
    line.reason = std::move(reason);
}

void ShowValue(LineDraft& line, unsigned value, int width)
{
    if (width == 2) {
        line.bytes[0] = CodeByte::Of(value >> 8);
        line.bytes[1] = CodeByte::Of(value & 0xFF);
    } else {
        line.bytes[0] = CodeByte::Of(value & 0xFF);
    }
}

std::string UpperOperand(std::string_view operand)
{
    return core::UpperTrimmedText(operand);
}

std::string TableFull(const char* table, int limit)
{
    return std::string("Table full: ") + table + " holds at most " + std::to_string(limit) +
           " entries";
}

// EQU and CON: the value forms in their order.
void DefineEqu(LineDraft& line, const std::string& name, SymbolTable& symbols)
{
    const std::string value = core::UpperTrimmedText(line.fields.Operand(1));
    bool added = true;
    if (value.size() > 1 && value.back() == 'B' &&
        DigitsValid(value.substr(0, value.size() - 1), 2)) {
        const unsigned v = *ParseBinary(value.substr(0, value.size() - 1));
        if (v > 0xFFFF) return Fail(line, "Problem in EQU", value + " does not fit in 16 bits");
        const int width = v > 0xFF ? 2 : 1;
        added = symbols.AddEqu(name, v, width);
        ShowValue(line, v, width);
    } else if (auto b = HexByteLiteral(value)) {
        added = symbols.AddEqu(name, *b, 1);
        ShowValue(line, *b, 1);
    } else if (value.size() > 1 && value.back() == 'H' &&
               DigitsValid(value.substr(0, value.size() - 1), 16)) {
        const auto v = ParseHex(value.substr(0, value.size() - 1));
        if (!v || *v > 0xFFFF)
            return Fail(line, "Problem in EQU", value + " does not fit in 16 bits");
        if (*v <= 0x80) {
            added = symbols.AddByte(name, static_cast<uint8_t>(*v));
            ShowValue(line, *v, 1);
        } else {
            const int width = *v > 0xFF ? 2 : 1;
            added = symbols.AddEqu(name, *v, width);
            ShowValue(line, *v, width);
        }
    } else {
        const Immediate v = EvaluateImmediate(line.fields.Operand(1), symbols);
        if (!v.Ok())
            return Fail(line, "Problem in EQU", ValueReason(line.fields.Operand(1), symbols));
        const int width = v.IsByte() ? 1 : 2;
        const unsigned value = v.IsByte() ? v.value & 0xFF : v.value;  // "-1" is FFH
        added = symbols.AddEqu(name, value, width);
        ShowValue(line, value, width);
    }
    if (!added) Fail(line, TableFull("the symbol table", kMaxSymbolsPerPart));
}

}  // namespace

bool IsSymbolDirective(std::string_view m)
{
    return m == "EQU" || m == "CON" || m == "SFR" || m == "REG" || m == "BIT";
}

bool IsBareHexByte(std::string_view m)
{
    return m.size() == 3 && m[2] == 'H' && core::IsUpperHexDigit(m[0]) &&
           core::IsUpperHexDigit(m[1]);
}

void HandleSymbolDirective(LineDraft& line, const std::string& m, SymbolTable& symbols)
{
    line.kind = LineKind::Symbol;
    const std::string name = SymbolName(line.fields.Label());
    if (name.empty()) return Fail(line, "Problem in " + m, m + " needs a name in column 1");
    if (symbols.IsDefined(name)) {
        // The first definition would silently win every lookup.
        line.refused = true;
        line.message = "Name defined twice: " + name;
        return;
    }
    if (m == "EQU" || m == "CON") return DefineEqu(line, name, symbols);

    const std::string& operand = line.fields.Operand(1);
    if (m == "SFR" || m == "REG") {
        // REG reads a binary number as a bit, so only names and hexadecimal
        // bytes come before the bit forms; any other expression is a bit.
        if (auto a =
                m == "SFR" ? symbols.DirectAddress(operand) : symbols.NamedDirectAddress(operand)) {
            if (!symbols.AddByte(name, *a))
                return Fail(line, TableFull("the symbol table", kMaxSymbolsPerPart));
            line.bytes[0] = CodeByte::Of(*a);
            return;
        }
        if (m == "SFR")
            return Fail(line, "Problem in SFR", DirectReason(UpperOperand(operand), symbols));
    }
    if (auto b = symbols.BitAddress(operand)) {
        if (!symbols.AddBit(name, *b))
            return Fail(line, TableFull("the symbol table", kMaxSymbolsPerPart));
        line.bytes[0] = CodeByte::Of(*b);
        return;
    }
    const std::string written = UpperOperand(operand);
    Fail(line, "Problem in REG",
         m == "BIT" ? BitReason(written, symbols)
                    : written + " is neither a direct address nor a bit");
}

void HandleOrg(LineDraft& line, uint16_t& locationCounter, const NameValues& names)
{
    line.kind = LineKind::Org;
    const std::string operand(core::TrimBlanks(line.fields.Operand(1)));
    constexpr const char* kOrgReason = "ORG takes an address 0-65535 or 0000H-FFFFH, or an expression of them";
    if (operand.empty()) return Fail(line, "Problem in ORG", kOrgReason);
    std::optional<long long> value;
    // The short forms come first: they also read a hexadecimal address
    // written without its leading 0 ("ORG FFH").
    if (operand.size() <= 5 && (operand.back() == 'h' || operand.back() == 'H')) {
        const std::string digits = core::UpperTrimmedText(operand.substr(0, operand.size() - 1));
        if (!digits.empty()) value = ParseHex(digits);
    } else if (operand.size() <= 5) {
        value = ParseDecimal(operand);
    }
    if (!value) {
        value = EvaluateExpression(operand, {names, locationCounter}).value;
    }
    if (!value || *value < 0 || *value > 0xFFFF) return Fail(line, "Problem in ORG", kOrgReason);
    locationCounter = static_cast<uint16_t>(*value);
    line.bytes[0] = CodeByte::Of(*value >> 8);
    line.bytes[1] = CodeByte::Of(*value & 0xFF);
}

std::vector<std::string> SplitDataItems(std::string_view list)
{
    std::vector<std::string> items;
    std::string current;
    char quote = 0;
    for (char c : list) {
        if (quote != 0) {
            current += c;
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
            current += c;
        } else if (c == ',') {
            items.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    items.push_back(current);
    for (std::string& item : items) {
        while (!item.empty() && static_cast<unsigned char>(item.back()) < 32) item.pop_back();
        item = std::string(core::TrimBlanks(item));
    }
    return items;
}

void HandleData(LineDraft& line, bool words, const SymbolTable& symbols)
{
    line.kind = LineKind::Data;
    for (const std::string& item : SplitDataItems(line.fields.Operand(1))) {
        const bool quoted =
            item.size() >= 2 && (item[0] == '\'' || item[0] == '"') && item.back() == item[0];
        if (quoted && !(item.size() == 3 && words)) {
            for (std::size_t k = 1; k + 1 < item.size(); ++k) {
                const unsigned code = static_cast<unsigned char>(item[k]);
                if (words) line.data.push_back(CodeByte::Of(0));
                line.data.push_back(CodeByte::Of(code));
            }
            continue;
        }
        const Immediate v = item.empty() ? Immediate{} : EvaluateImmediate(item, symbols);
        if (!words) {
            line.data.push_back(v.IsByte() ? CodeByte::Of(v.value) : CodeByte::Error());
            if (!v.IsByte() && line.reason.empty())
                line.reason =
                    item.empty() ? "an item of the list is empty" : ValueReason(item, symbols);
            continue;
        }
        if (v.Ok()) {
            line.data.push_back(CodeByte::Of(v.value >> 8));
            line.data.push_back(CodeByte::Of(v.value & 0xFF));
        } else if (!item.empty()) {
            // A label: Round 2 fills the word in.
            line.AddPendingWord(static_cast<uint32_t>(line.data.size()), core::UpperTrimmed(item).View());
            line.data.push_back(CodeByte::Pending());
            line.data.push_back(CodeByte::Pending());
        } else {
            line.data.push_back(CodeByte::Error());
            line.data.push_back(CodeByte::Error());
            if (line.reason.empty()) line.reason = "an item of the list is empty";
        }
    }
    for (std::size_t k = 0; k < 3 && k < line.data.size(); ++k) line.bytes[k] = line.data[k];
}

void HandleExtern(LineDraft& line, SymbolTable& symbols, const SourceResolver& resolver)
{
    const std::string name = StripEnclosing(line.fields.field[2]);
    const auto path = name.empty() ? std::nullopt : resolver.FindModule(name + ".lst");
    if (!path) return Fail(line, name + ".lst doesn't exist");
    if (!symbols.AddModule(name, *path)) Fail(line, TableFull("the module list", kMaxModules));
}

}  // namespace zelo::assembler
