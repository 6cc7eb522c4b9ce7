#include "asm/expressions.h"

#include "asm/numbers.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::assembler {

namespace {

std::string_view DropHash(std::string_view t)
{
    if (!t.empty() && t[0] == '#') t.remove_prefix(1);
    return core::TrimBlanks(t);
}

Immediate Classify(long value)
{
    if (value < 0 || value > 0xFFFF) return {};
    return {value > 0xFF ? ValueClass::XData16 : ValueClass::XData, static_cast<unsigned>(value)};
}

bool IsOperator(const std::string& t)
{
    return t == "+" || t == "-" || t == "*" || t == "/" || t == "MOD";
}

std::optional<long> Apply(long a, const std::string& op, long b)
{
    if (op == "+") return a + b;
    if (op == "-") return a - b;
    if (op == "*") return a * b;
    if (b == 0) return std::nullopt;
    if (op == "/") return a / b;
    if (op == "MOD") return a % b;
    return std::nullopt;
}

// The two shapes: a op b, and a - b op c evaluated as (a - b) op c.
std::optional<long> EvaluateShapes(const std::vector<std::string>& tokens,
                                   const SymbolTable& symbols, bool fiveTokenMultiply)
{
    auto term = [&](const std::string& t) -> std::optional<long> {
        if (IsOperator(t)) return std::nullopt;
        if (auto v = TermValue(t, symbols)) return static_cast<long>(*v);
        return std::nullopt;
    };
    if (tokens.size() == 3) {
        const auto a = term(tokens[0]);
        const auto b = term(tokens[2]);
        if (!a || !b || !IsOperator(tokens[1])) return std::nullopt;
        return Apply(*a, tokens[1], *b);
    }
    if (tokens.size() == 5) {
        const auto a = term(tokens[0]);
        const auto b = term(tokens[2]);
        const auto c = term(tokens[4]);
        const std::string& op = tokens[3];
        const bool opOk = op == "/" || op == "MOD" || (fiveTokenMultiply && op == "*");
        if (!a || !b || !c || tokens[1] != "-" || !opOk) return std::nullopt;
        return Apply(*a - *b, op, *c);
    }
    return std::nullopt;
}

// True when the text holds one of the operators the arithmetic shapes use.
bool HasOperator(std::string_view t)
{
    for (char c : t) {
        if (c == '+' || c == '-' || c == '*' || c == '/') return true;
    }
    return t.find("MOD") != std::string_view::npos;
}

// "X+Y" or "X-Y" with X and Y direct-address forms.
std::optional<long> DirectSum(std::string_view t, const SymbolTable& symbols)
{
    const auto pos = t.find_first_of("+-", 1);
    if (pos == std::string::npos) return std::nullopt;
    const auto a = symbols.NamedDirectAddress(t.substr(0, pos));
    const auto b = symbols.NamedDirectAddress(t.substr(pos + 1));
    if (!a || !b) return std::nullopt;
    return t[pos] == '+' ? (*a + *b) & 0xFF : (*a - *b) & 0xFF;
}

// An operand that none of the fixed forms read: the expression evaluator's
// value, a negative one wrapping to a byte as the arithmetic shapes do.
Immediate FromExpression(std::string_view written, const SymbolTable& symbols)
{
    const ExpressionValue v = EvaluateExpression(written, SymbolContext(symbols));
    if (!v.Ok()) return {ValueClass::Error, 0, v.reason};
    const long long n = *v.value;
    if (n >= -0x100 && n <= 0xFF) return {ValueClass::XData, static_cast<unsigned>(n & 0xFFFF), {}};
    if (n >= -0x10000 && n <= 0xFFFF)
        return {ValueClass::XData16, static_cast<unsigned>(n & 0xFFFF), {}};
    return {ValueClass::Error, 0, std::to_string(n) + " does not fit in 16 bits"};
}

}  // namespace

ExpressionContext SymbolContext(const SymbolTable& symbols, std::optional<long long> here)
{
    return {[&symbols](std::string_view name) { return symbols.ValueOfName(name); }, here};
}

ExpressionValue EvaluateWithLabels(std::string_view text, const SymbolTable& symbols,
                                   const LabelTable& labels, int line, uint16_t here)
{
    return FitWord(EvaluateExpression(DropHash(core::TrimBlanks(text)),
                                      {NamesWithLabels(symbols, labels, line), here}));
}

NameValues NamesWithLabels(const SymbolTable& symbols, const LabelTable& labels, int line)
{
    return [&symbols, &labels, line](std::string_view name) -> std::optional<long long> {
        if (auto v = symbols.ValueOfName(name)) return v;
        if (auto a = labels.Find(name, line)) return *a;
        return std::nullopt;
    };
}

ExpressionValue ImmediateByteValue(std::string_view operand, const SymbolTable& symbols)
{
    const Immediate v = EvaluateImmediate(operand, symbols);
    if (v.IsByte()) return {static_cast<long long>(v.value & 0xFF), {}};
    if (v.Ok()) return {std::nullopt, std::to_string(v.value) + " does not fit in a byte"};
    return {std::nullopt, v.reason.empty() ? "no value" : v.reason};
}

bool NamesUnknownNames(std::string_view operand, const SymbolTable& symbols)
{
    return NamesUnknownNames(operand, SymbolContext(symbols).names);
}

bool NamesUnknownNames(std::string_view operand, const NameValues& known)
{
    bool unknown = false;
    auto names = [&](std::string_view name) -> std::optional<long long> {
        if (auto v = known(name)) return v;
        unknown = true;
        return 1;  // not 0: "X/LABEL" must not stop at a division by zero
    };
    std::string_view t = DropHash(core::TrimBlanks(operand));
    // The byte selections #> and #< read the rest as a word.
    if (!t.empty() && (t[0] == '>' || t[0] == '<')) t.remove_prefix(1);
    return EvaluateExpression(t, {names, 0}).Ok() && unknown;
}

std::optional<uint8_t> ByteExpression(std::string_view text, const SymbolTable& symbols)
{
    if (core::TrimBlanks(text).empty()) return std::nullopt;
    const ExpressionValue v = EvaluateExpression(text, SymbolContext(symbols));
    if (!v.Ok() || *v.value < 0 || *v.value > 0xFF) return std::nullopt;
    return static_cast<uint8_t>(*v.value);
}

std::string Immediate::Text() const
{
    switch (cls) {
        case ValueClass::XData:
            return core::ToHexByte(value & 0xFF);
        case ValueClass::XData16:
            return core::ToHexWord(value & 0xFFFF);
        default:
            return kErrorMarker;
    }
}

std::optional<unsigned> TermValue(std::string_view text, const SymbolTable& symbols)
{
    if (auto v = symbols.NameValue(text)) return v;
    std::string t = core::UpperTrimmedText(DropHash(text));
    if (t.size() >= 2 && t.front() == '(' && t.back() == ')') t = core::UpperTrimmedText(t.substr(1, t.size() - 2));
    if (auto v = ParseNumber(t)) return v;
    return ParseCharConstant(t);
}

std::optional<std::vector<std::string>> Tokenize(std::string_view text)
{
    std::vector<std::string> tokens;
    std::string current;
    auto flush = [&] {
        if (!current.empty()) tokens.push_back(current);
        current.clear();
    };
    for (char c : text) {
        if (c == '+' || c == '-' || c == '*' || c == '/') {
            flush();
            tokens.emplace_back(1, c);
        } else if (c == '.' || c == ' ' || c == '\t') {
            flush();
        } else if (c != '(' && c != ')') {
            current += c;
        }
    }
    flush();
    if (tokens.size() > 5) return std::nullopt;
    return tokens;
}

std::optional<Immediate> EvaluateByteSelection(std::string_view operand, const SymbolTable& symbols)
{
    const std::string_view written = DropHash(operand);
    if (written.empty() || (written[0] != '<' && written[0] != '>')) return std::nullopt;
    std::string t = core::UpperTrimmedText(written);
    const bool high = t[0] == '>';
    t = core::UpperTrimmedText(t.substr(1));
    if (t.size() >= 2 && t.front() == '(' && t.back() == ')') t = core::UpperTrimmedText(t.substr(1, t.size() - 2));
    std::optional<long> value;
    if (auto v = TermValue(t, symbols)) {
        value = *v;
    } else if (const auto pos = t.find_first_of("+-", 1); pos != std::string::npos) {
        const auto a = TermValue(t.substr(0, pos), symbols);
        const auto b = TermValue(t.substr(pos + 1), symbols);
        if (a && b) value = t[pos] == '+' ? long(*a) + long(*b) : long(*a) - long(*b);
    }
    if (!value) {
        const ExpressionValue e = EvaluateExpression(t, SymbolContext(symbols));
        if (!e.Ok()) return Immediate{ValueClass::Error, 0, e.reason};
        value = static_cast<long>(*e.value);
    }
    const unsigned v = static_cast<unsigned>(*value) & 0xFFFF;
    return Immediate{ValueClass::XData, high ? v >> 8 : v & 0xFF};
}

Immediate EvaluateImmediate(std::string_view operand, const SymbolTable& symbols)
{
    if (auto selected = EvaluateByteSelection(operand, symbols)) return *selected;
    const core::UpperTrimmed upper(DropHash(operand));
    const std::string_view t = upper.View();
    if (t.empty()) return {};

    // 1. a decimal number or an EQU/byte symbol
    if (auto v = symbols.NameValue(t)) return Classify(*v);
    // 2. "0" + two hexadecimal digits + H
    if (t.size() == 4 && t[0] == '0' && t[3] == 'H' && core::IsUpperHexDigit(t[1]) &&
        core::IsUpperHexDigit(t[2]))
        return {ValueClass::XData, static_cast<unsigned>(core::ParseHexByteValue(t.substr(1, 2)))};
    // 3. anything the direct-address lookup accepts
    if (auto a = symbols.NamedDirectAddress(t)) return {ValueClass::XData, *a};
    // 4. four hexadecimal digits + H
    if (t.size() == 5 && t[4] == 'H' && DigitsValid(t.substr(0, 4), 16))
        return {ValueClass::XData16, *ParseHex(t.substr(0, 4))};
    // 5. binary, octal, a quoted character, or any other hexadecimal number
    if (t.size() > 1 &&
        (t.back() == 'B' || t.back() == 'Q' || t.back() == 'O' || t.back() == 'H')) {
        if (auto v = ParseNumber(t)) return Classify(*v);
    }
    {
        // The quoted character keeps its case: take it from the operand as written.
        std::string_view raw = DropHash(core::TrimBlanks(operand));
        if (auto v = ParseCharConstant(raw)) return {ValueClass::XData, *v};
    }
    // Forms 6 and 7 need an operator: a plain name (a label for MOV DPTR,#)
    // goes straight to the expression evaluator for its reason.
    if (!HasOperator(t)) return FromExpression(DropHash(core::TrimBlanks(operand)), symbols);
    // 6. a sum or difference of two direct-address forms
    if (auto v = DirectSum(t, symbols)) return {ValueClass::XData, static_cast<unsigned>(*v)};
    // 7. the arithmetic shapes
    if (auto tokens = Tokenize(t)) {
        if (auto v = EvaluateShapes(*tokens, symbols, false)) {
            long r = *v;
            if (r < 0) r &= 0xFF;  // a negative difference wraps to a byte
            return Classify(r);
        }
        // a - b * c is left to the 16-bit evaluator of Round 2, which reads
        // it as (a - b) * c.
        if (EvaluateShapes(*tokens, symbols, true)) return {};
    }
    return FromExpression(DropHash(core::TrimBlanks(operand)), symbols);
}

std::optional<unsigned> Evaluate16(std::string_view text, const SymbolTable& symbols)
{
    const core::UpperTrimmed upper(DropHash(text));
    const std::string_view t = upper.View();
    if (t.empty()) return std::nullopt;
    if (auto v = ParseNumber(t)) return v;
    if (auto v = ParseCharConstant(DropHash(core::TrimBlanks(text)))) return v;
    if (t.find_first_of("+-*/.() \t") == std::string_view::npos) {
        // One plain token (a name, most often a label): what the token list
        // below would give, without building it.
        if (DigitsValid(t, 10)) return std::nullopt;  // a decimal above FFFFH
        if (auto v = symbols.NameValue(t); v && *v <= 0xFFFF) return *v;
        return std::nullopt;
    }
    const auto tokens = Tokenize(t);
    if (tokens && tokens->size() == 1) {
        if (DigitsValid((*tokens)[0], 10)) return std::nullopt;  // a decimal above FFFFH
        if (auto v = symbols.NameValue((*tokens)[0]); v && *v <= 0xFFFF) return *v;
    } else if (tokens && !tokens->empty()) {
        if (auto v = EvaluateShapes(*tokens, symbols, true)) {
            if (*v > 0xFFFF) return std::nullopt;
            return static_cast<unsigned>(*v) & 0xFFFF;  // a negative difference wraps
        }
    }
    const ExpressionValue e =
        FitWord(EvaluateExpression(DropHash(core::TrimBlanks(text)), SymbolContext(symbols)));
    if (!e.Ok()) return std::nullopt;
    return static_cast<unsigned>(*e.value);
}

std::optional<LabelOffset> SplitLabelOffset(std::string_view text)
{
    const core::UpperTrimmed upper(DropHash(text));
    const std::string_view t = upper.View();
    std::size_t pos = 1;
    while (pos < t.size() && t[pos] != '+' && t[pos] != '-') ++pos;
    if (pos >= t.size()) return LabelOffset{std::string(t), 0};
    const auto n = ParseNumber(core::TrimBlanks(t.substr(pos + 1)));
    if (!n) return std::nullopt;
    return LabelOffset{std::string(core::TrimBlanks(t.substr(0, pos))),
                       t[pos] == '+' ? static_cast<int>(*n) : -static_cast<int>(*n)};
}

}  // namespace zelo::assembler
