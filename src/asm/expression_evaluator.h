// Expressions with precedence, as Intel assemblers read them. From the
// tightest binding to the loosest:
//   ( )   HIGH LOW   * / MOD SHL SHR   + - (also unary)
//   EQ NE LT LE GT GE (= <> < <= > >=)   NOT   AND   OR XOR
// Terms are numbers of every form, character constants ('A', 'AB'), names
// and "$" (the location counter). Operator words may also be written
// between dots (".MOD."). Values are computed as signed whole numbers; a
// comparison gives 0FFFFH for true and 0 for false, NOT complements all 16
// bits. A failure is a value with its reason, never a thrown exception.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zelo::assembler {

struct ExpressionValue
{
    std::optional<long long> value;
    std::string reason;  // why there is no value ("LOOP is not defined")

    bool Ok() const { return value.has_value(); }
};

// The value of a name, looked up by its upper-cased text; nothing when the
// name is unknown.
using NameValues = std::function<std::optional<long long>(std::string_view upperName)>;

struct ExpressionContext
{
    NameValues names;               // no names known when empty
    std::optional<long long> here;  // the location counter, for "$"
};

ExpressionValue EvaluateExpression(std::string_view text, const ExpressionContext& context);

// The value as one byte: -256..255, a negative value wrapping ("-1" is FFH).
ExpressionValue FitByte(const ExpressionValue& v);
// The value as 16 bits: -65536..65535, a negative value wrapping.
ExpressionValue FitWord(const ExpressionValue& v);

}  // namespace zelo::assembler
