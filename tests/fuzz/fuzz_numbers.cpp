// The number converter panel and the assembler's number and expression
// evaluators on arbitrary texts. The first byte picks the box (converter)
// and the chip; the rest is the text.
//
// Invariants: whatever one box accepts, the other three show the same value
// in their own base (read back independently), and nothing is shown for a
// text that is no number; numbers never exceed FFFFH; a byte immediate
// holds a byte, a 16-bit one a word; the byte selections #< and #> give
// the low and high byte of a term; the tokenizer gives at most five tokens.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/number_converter.h"
#include "asm/expressions.h"
#include "asm/numbers.h"
#include "asm/symbols.h"
#include "fuzz_check.h"

using namespace zelo;

namespace {

long ReadBack(const std::string& text, int base)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, base);
    return (end && *end == '\0' && !text.empty()) ? value : -1;
}

void CheckConverter(int box, const std::string& text)
{
    app::NumberConverter converter;
    int writes = 0;
    converter.SetWriteHook([&](int b, const std::string& shown) {
        ++writes;
        ZELO_FUZZ_CHECK(b >= 0 && b < 4, "the converter writes only its four boxes");
        // A change event raised by the write comes back and must be ignored.
        converter.Changed(b, shown + "1");
    });
    converter.Changed(box, text);
    ZELO_FUZZ_CHECK(!converter.Guarded(), "the guard is released after the change");
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto value = app::NumberConverter::Convert(box, upper);
    if (value) {
        ZELO_FUZZ_CHECK(*value >= 0 && *value <= 65536, "the converter's values stay within 0..65536");
        for (int other = 0; other < 4; ++other) {
            if (other == box) continue;
            ZELO_FUZZ_CHECK(ReadBack(converter.Boxes()[other], app::NumberConverter::Base(other)) == *value,
                            "the other boxes show the same value");
        }
        ZELO_FUZZ_CHECK(writes == 3, "an accepted number fills the three other boxes");
    } else {
        for (int other = 0; other < 4; ++other)
            ZELO_FUZZ_CHECK(converter.Boxes()[other].empty(), "a text that is no number empties the boxes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 512) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckConverter(data[0] & 3, text);

    using namespace zelo::assembler;
    // The tables are built once per chip: their set-up is not under test here.
    static const std::array<SymbolTable, 3> tables = [] {
        std::array<SymbolTable, 3> built;
        for (int chip = 0; chip < 3; ++chip) {
            built[chip].SetChip(static_cast<core::ChipModel>(chip));
            built[chip].AddEqu("TEN", 10, 8);
            built[chip].AddEqu("BIG", 0x1234, 16);
            built[chip].AddByte("CNT", 0x30);
            built[chip].AddBit("FLAG", 0x05);
        }
        return built;
    }();
    const SymbolTable& symbols = tables[(data[0] >> 2) % 3];

    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');

    if (const auto n = ParseNumber(upper)) ZELO_FUZZ_CHECK(*n <= 0xFFFF, "numbers stay within FFFFH");
    if (const auto tokens = Tokenize(upper)) ZELO_FUZZ_CHECK(tokens->size() <= 5, "at most five tokens");
    TermValue(text, symbols);
    ParseCharConstant(text);

    const Immediate imm = EvaluateImmediate(text, symbols);
    if (imm.cls == ValueClass::XData)
        ZELO_FUZZ_CHECK(imm.value <= 0xFF || imm.value >= 0xFF00,
                        "a byte immediate holds a byte, or a negative byte as 16 bits");
    if (imm.cls == ValueClass::XData16) ZELO_FUZZ_CHECK(imm.value <= 0xFFFF, "a word immediate holds a word");
    ZELO_FUZZ_CHECK(imm.Text().size() == (imm.cls == ValueClass::XData16 ? 4u : 2u), "the immediate's text width");

    if (const auto value = Evaluate16(text, symbols)) ZELO_FUZZ_CHECK(*value <= 0xFFFF, "a 16-bit value");

    // #<x and #>x select the bytes of what x evaluates to as a word.
    const auto low = EvaluateByteSelection("#<" + text, symbols);
    const auto high = EvaluateByteSelection("#>" + text, symbols);
    ZELO_FUZZ_CHECK(low.has_value() == high.has_value(), "both byte selections are recognised alike");
    if (low && low->Ok()) ZELO_FUZZ_CHECK(low->IsByte() && low->value <= 0xFF, "#< gives a byte");
    if (high && high->Ok()) ZELO_FUZZ_CHECK(high->IsByte() && high->value <= 0xFF, "#> gives a byte");
    if (const auto term = TermValue(upper, symbols); term && low && high) {
        ZELO_FUZZ_CHECK(low->Ok() && high->Ok(), "a term's bytes can always be selected");
        ZELO_FUZZ_CHECK(low->value == (*term & 0xFF) && high->value == (*term >> 8 & 0xFF),
                        "#< and #> are the low and high byte of the term");
    }
    SplitLabelOffset(upper);

    const ExpressionValue e = EvaluateExpression(text, SymbolContext(symbols, 0x1234));
    ZELO_FUZZ_CHECK(e.Ok() != !e.reason.empty(), "an expression has a value or a reason");
    if (const ExpressionValue b = FitByte(e); b.Ok()) ZELO_FUZZ_CHECK(*b.value >= 0 && *b.value <= 0xFF, "a byte");
    return 0;
}
