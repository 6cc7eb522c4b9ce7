// Operand values: the immediate evaluator with its seven forms tried in
// order, byte selection with #< and #>, the 16-bit evaluator of Round 2 and
// the small arithmetic shapes they share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/symbols.h"

namespace zelo::assembler {

enum class ValueClass { Error, XData, XData16 };

struct Immediate
{
    ValueClass cls = ValueClass::Error;
    unsigned value = 0;

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

// Splits "LABEL+n" / "LABEL-n" at the first sign after the first character.
struct LabelOffset
{
    std::string label;
    int offset = 0;
};
std::optional<LabelOffset> SplitLabelOffset(std::string_view upperText);

}  // namespace zelo::assembler
