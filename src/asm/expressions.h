// Operand values: the immediate evaluator with its seven forms tried in
// order, byte selection with #< and #>, the 16-bit evaluator of Round 2 and
// the small arithmetic shapes they share. Each falls back on the expression
// evaluator with precedence for a text that none of its own forms accepts,
// so a form that was read before keeps its value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "asm/expression_evaluator.h"
#include "asm/symbols.h"

namespace zelo::assembler {

enum class ValueClass { Error, XData, XData16 };

struct Immediate
{
    Immediate(ValueClass c = ValueClass::Error, unsigned v = 0, std::string why = {})
        : cls(c), value(v), reason(std::move(why))
    {
    }

    ValueClass cls = ValueClass::Error;
    // A byte is 0 to FFH, except that a negative expression result ("#-1")
    // keeps its 16-bit form (FFFFH): its byte is the low byte, and
    // MOV DPTR,#-1 still loads FFFFH.
    unsigned value = 0;
    std::string reason;  // why the text has no value, when it has none

    bool IsByte() const { return cls == ValueClass::XData; }
    bool Ok() const { return cls != ValueClass::Error; }
    // "3F" for XData, "1234" for XData16, "??" on failure.
    std::string Text() const;
};

// Value of a term: a decimal number, a name known as an EQU or byte symbol
// (after dropping '#' and one pair of parentheses), or a number with its
// base suffix.
std::optional<unsigned> TermValue(std::string_view text, const SymbolTable& symbols);

// Cuts text at '+', '-', '*' and '/' (each its own token), drops '(' and
// ')', and separates at '.' so ".MOD." gives the token MOD. Nothing when
// there are more than five tokens.
std::optional<std::vector<std::string>> Tokenize(std::string_view upperText);

// The immediate evaluator, for operands starting with '#' and DB/DW items.
Immediate EvaluateImmediate(std::string_view operand, const SymbolTable& symbols);

// #<value (low byte) and #>value (high byte); nothing when the text is not
// a byte selection, an Error immediate when it cannot be evaluated.
std::optional<Immediate> EvaluateByteSelection(std::string_view operand,
                                               const SymbolTable& symbols);

// The Round 2 evaluator: a number, a symbol, or a small arithmetic shape, as
// a 16-bit value.
std::optional<unsigned> Evaluate16(std::string_view text, const SymbolTable& symbols);

// Names an expression may use: EQU symbols, byte symbols and SFR names;
// "$" is the location counter when it is known.
ExpressionContext SymbolContext(const SymbolTable& symbols,
                                std::optional<long long> here = std::nullopt);

// Also labels (a "$" label from its own section), for Round 2 where every
// label is known: the value of an operand at line `line`, whose instruction
// stands at `here`, as 16 bits.
ExpressionValue EvaluateWithLabels(std::string_view text, const SymbolTable& symbols,
                                   const LabelTable& labels, int line, uint16_t here);

// The names of Round 2: symbols, then labels as seen from line `line`.
NameValues NamesWithLabels(const SymbolTable& symbols, const LabelTable& labels, int line);

// The value of an immediate operand ('#' optional) that must be one byte,
// or the reason it is not ("300 does not fit in a byte").
ExpressionValue ImmediateByteValue(std::string_view operand, const SymbolTable& symbols);

// An operand ('#' optional) that would be an expression if the names the
// symbols do not know were labels: it waits for Round 2.
bool NamesUnknownNames(std::string_view operand, const SymbolTable& symbols);
// The same with the names given.
bool NamesUnknownNames(std::string_view operand, const NameValues& known);

// An expression of known names whose value is a byte address 0 to FFH.
std::optional<uint8_t> ByteExpression(std::string_view text, const SymbolTable& symbols);

// Splits "LABEL+n" / "LABEL-n" at the first sign after the first character.
struct LabelOffset
{
    std::string label;
    int offset = 0;
};
std::optional<LabelOffset> SplitLabelOffset(std::string_view upperText);

}  // namespace zelo::assembler
