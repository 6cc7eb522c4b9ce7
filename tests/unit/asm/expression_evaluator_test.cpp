// Number forms and expressions with precedence: source text → value or the
// reason there is none; and the operand evaluators that fall back on them.
#include "asm/expression_evaluator.h"

#include <gtest/gtest.h>

#include <tuple>

#include "asm/directives.h"
#include "asm/expressions.h"
#include "asm/numbers.h"

namespace zelo::assembler {
namespace {

struct Case
{
    const char* text;
    long long value;     // when reason is empty
    const char* reason;  // "" when the text has a value
};

void Check(const Case& c, const ExpressionValue& v)
{
    if (*c.reason == '\0') {
        ASSERT_TRUE(v.Ok()) << c.text << ": " << v.reason;
        EXPECT_EQ(*v.value, c.value) << c.text;
    } else {
        EXPECT_FALSE(v.Ok()) << c.text;
        EXPECT_EQ(v.reason, c.reason) << c.text;
    }
}

TEST(NumberReader, IntelForms)
{
    const Case cases[] = {
        {"00000H", 0, ""},
        {"0F000H", 0xF000, ""},
        {"0FFFFH", 0xFFFF, ""},
        {"00FFh", 0xFF, ""},
        {"1010B", 10, ""},
        {"777Q", 511, ""},
        {"17o", 15, ""},
        {"100D", 100, ""},
        {"0000100", 100, ""},
        {"65536", 65536, ""},
        {"12G", 0, "12G is not a number"},
        {"12", 12, ""},
        {"102B", 0, "102B is not a number"},
        {"FFH", 0, "FFH is not a number"},
        {"1FFFFFFFFH", 0, "1FFFFFFFFH is too large"},
    };
    for (const Case& c : cases) {
        const NumberRead n = ReadNumber(c.text);
        Check(c, n.value ? ExpressionValue{static_cast<long long>(*n.value), {}}
                         : ExpressionValue{std::nullopt, n.reason});
    }
    // Operands keep their 16-bit limit.
    EXPECT_EQ(ParseNumber("0FFFFH"), 0xFFFFu);
    EXPECT_FALSE(ParseNumber("10000H").has_value());
}

TEST(ExpressionEvaluator, PrecedenceAndOperators)
{
    const ExpressionContext context{[](std::string_view name) -> std::optional<long long> {
                                        if (name == "TABLE") return 0x1234;
                                        if (name == "COUNT") return 10;
                                        return std::nullopt;
                                    },
                                    0x0100};
    const Case cases[] = {
        {"2+3*4", 14, ""},
        {"(2+3)*4", 20, ""},
        {"10-4-3", 3, ""},
        {"100/7", 14, ""},
        {"100 MOD 7", 2, ""},
        {"10.MOD.3", 1, ""},
        {"1 SHL 4 + 1", 17, ""},
        {"-8 SHR 1", -4, ""},
        {"0F0H AND 3CH", 0x30, ""},
        {"0F0H OR 0FH XOR 1", 0xFE, ""},
        {"1 OR 2 AND 0", 1, ""},
        {"NOT 0", -1, ""},
        {"NOT 1 AND 0FFH", 0xFE, ""},
        {"HIGH TABLE", 0x12, ""},
        {"LOW(TABLE)", 0x34, ""},
        {"HIGH TABLE+1", 0x13, ""},
        {"HIGH(TABLE+100H)", 0x13, ""},
        {"-COUNT", -10, ""},
        {"2*-3", -6, ""},
        {"COUNT EQ 10", -1, ""},
        {"COUNT > 10", 0, ""},
        {"COUNT <> 3 AND COUNT <= 10", -1, ""},
        {"$+2", 0x102, ""},
        {"'A'", 0x41, ""},
        {"'AB'", 0x4142, ""},
        {"'a'+1", 0x62, ""},
        {"count*2", 20, ""},
        {"65536-50000", 15536, ""},
        {"LOOP+1", 0, "LOOP is not defined"},
        {"1/0", 0, "division by zero"},
        {"5 MOD (COUNT-10)", 0, "division by zero"},
        {"(1+2", 0, "missing )"},
        {"1+2)", 0, "unexpected )"},
        {"1+", 0, "a value is missing at the end"},
        {"", 0, "a value is missing"},
        {"2 3", 0, "an operator is missing before 3"},
        {"1+*2", 0, "a value is missing before *"},
        {"'ABC'", 0, "'ABC' must hold one or two characters"},
        {"'A", 0, "a closing ' is missing"},
        {"3#", 0, "unexpected #"},
        {"1.", 0, "unexpected ."},
        {"P1.0", 0, "unexpected ."},
        {"12G+1", 0, "12G is not a number"},
        {"1 SHL 40", 0, "a shift count must be 0 to 31"},
        {"0FFFFH*0FFFFH*0FFFFH", 0, "the value is too large"},
    };
    for (const Case& c : cases) Check(c, EvaluateExpression(c.text, context));
    Check({"$", 0, "$ has no value here"}, EvaluateExpression("$", {}));
}

TEST(ExpressionEvaluator, FitsAByteOrAWord)
{
    const Case bytes[] = {{"255", 0xFF, ""},
                          {"-1", 0xFF, ""},
                          {"-256", 0, ""},
                          {"300", 0, "300 does not fit in a byte"},
                          {"-257", 0, "-257 does not fit in a byte"}};
    for (const Case& c : bytes) Check(c, FitByte(EvaluateExpression(c.text, {})));
    const Case words[] = {
        {"0FFFFH", 0xFFFF, ""}, {"-1", 0xFFFF, ""}, {"65536", 0, "65536 does not fit in 16 bits"}};
    for (const Case& c : words) Check(c, FitWord(EvaluateExpression(c.text, {})));
}

// Forms the fixed readers refused before now have the evaluator's value;
// the forms they read keep theirs.
TEST(OperandEvaluators, FallBackOnTheExpressionEvaluator)
{
    SymbolTable s;
    s.AddEqu("COUNT", 10, 1);
    s.AddByte("TEMP", 0x30);
    struct ImmediateCase
    {
        const char* text;
        const char* result;
    };
    const ImmediateCase immediates[] = {
        {"#10-4/2", "03"},  // kept: (a - b) / c
        {"#10-20", "F6"},   // kept: a negative difference wraps to a byte
        {"#10-4*2", "??"},  // kept: left to Round 2, which reads (a - b) * c
        {"#2+3*4", "0E"},  {"#HIGH(1234H)", "12"}, {"#LOW 1234H", "34"}, {"#COUNT SHL 4", "A0"},
        {"#-1", "FF"},     {"#0F000H+1", "F001"},  {"#TEMP+1", "31"},    {"#P1 OR 3", "93"},
        {"#'AB'", "4142"}, {"#100D", "64"},        {"#NOT 0FH", "F0"},
    };
    for (const auto& c : immediates)
        EXPECT_EQ(EvaluateImmediate(c.text, s).Text(), c.result) << c.text;
    EXPECT_EQ(EvaluateImmediate("#LOOP+1", s).reason, "LOOP is not defined");
    EXPECT_EQ(ImmediateByteValue("#300", s).reason, "300 does not fit in a byte");
    EXPECT_EQ(EvaluateByteSelection("#>(COUNT*1000)", s)->Text(), "27");
    EXPECT_EQ(Evaluate16("#10-4*2", s), 12u);  // kept
    EXPECT_EQ(Evaluate16("COUNT*2+1", s), 21u);
    EXPECT_EQ(s.DirectAddress("TEMP+1"), 0x31);
    EXPECT_EQ(s.DirectAddress("00030H"), 0x30);
    EXPECT_FALSE(s.DirectAddress("TEMP+300").has_value());
    EXPECT_EQ(s.BitAddress("COUNT-2"), 8);
    s.AddByte("FLAGS", 0x21);
    EXPECT_EQ(s.BitAddress("FLAGS.3"), 0x0B);
    EXPECT_EQ(s.BitAddress("(P1+10H).1"), 0xA1);
    EXPECT_FALSE(s.BitAddress("TEMP.1").has_value());  // 30H is not bit-addressable

    LabelTable labels;
    labels.Add("TABLE", 0x0200, 3);
    Check({"HIGH(TABLE+COUNT)", 2, ""},
          EvaluateWithLabels("#HIGH(TABLE+COUNT)", s, labels, 9, 0x10));
    Check({"$-TABLE", 0xFE10, ""}, EvaluateWithLabels("$-TABLE", s, labels, 9, 0x10));
}

TEST(OrgDirective, AddressForms)
{
    const std::pair<const char*, int> cases[] = {
        {"100h", 0x100},      {"FFH", 0xFF},   {"0FFFFH", 0xFFFF}, {"00000H", 0}, {"$+10H", 0x30},
        {"1000H+20", 0x1014}, {"123456h", -1}, {"10000H", -1},     {"-1", -1},
    };
    for (const auto& [text, value] : cases) {
        LineDraft line;
        line.fields.field[3] = text;
        uint16_t counter = 0x20;
        HandleOrg(line, counter);
        if (value < 0) {
            EXPECT_EQ(line.message, "Problem in ORG") << text;
        } else {
            EXPECT_EQ(counter, value) << text;
        }
    }
}

// REG still reads a binary number as a bit; SFR and EQU take expressions.
TEST(SymbolDirectives, ExpressionOperands)
{
    SymbolTable s;
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"F", "REG", "101B", "05"},
        {"T", "SFR", "P1+1", "91"},
        {"M", "EQU", "-1", "FF"},
        {"K", "EQU", "2*3+1", "07"},
    };
    for (const auto& [name, directive, operand, shown] : cases) {
        LineDraft line;
        line.fields.field[1] = name;
        line.fields.field[3] = operand;
        HandleSymbolDirective(line, directive, s);
        EXPECT_EQ(ByteString(line.bytes[0]), shown) << operand;
    }
    EXPECT_NE(s.FindBit("F"), nullptr);
    EXPECT_EQ(s.FindEqu("M")->value, 0xFFu);
}

}  // namespace
}  // namespace zelo::assembler
