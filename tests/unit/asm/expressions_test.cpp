// Number forms, the immediate evaluator's seven forms, byte selection, the
// 16-bit Round 2 evaluator and label offsets.
#include "asm/expressions.h"

#include <gtest/gtest.h>

#include "asm/numbers.h"

namespace zelo::assembler {
namespace {

SymbolTable MakeSymbols()
{
    SymbolTable s;
    s.AddEqu("COUNT", 0x0A, 1);
    s.AddEqu("BIG", 0x1234, 2);
    s.AddByte("CNT", 0x30);
    s.AddByte("FLAGS", 0x21);
    return s;
}

TEST(Numbers, FormsAndDigitChecks)
{
    const std::pair<const char*, int> cases[] = {
        {"100", 100}, {"3FH", 0x3F}, {"0FFH", 0xFF},   {"1234H", 0x1234}, {"01010101B", 0x55},
        {"17Q", 15},  {"17O", 15},   {"65535", 65535}, {"65536", -1},     {"12G", -1},
        {"102B", -1}, {"18Q", -1},   {"FFH", -1},      {"", -1},          {"10000H", -1}};
    for (const auto& [text, value] : cases) {
        const auto v = ParseNumber(text);
        if (value < 0) {
            EXPECT_FALSE(v.has_value()) << text;
        } else {
            ASSERT_TRUE(v.has_value()) << text;
            EXPECT_EQ(static_cast<int>(*v), value) << text;
        }
    }
    EXPECT_TRUE(DigitsValid("0101", 2));
    EXPECT_FALSE(DigitsValid("012", 2));
    EXPECT_TRUE(DigitsValid("7a", 16));
    EXPECT_FALSE(DigitsValid("", 10));
}

struct ImmediateCase
{
    const char* text;
    const char* result;  // value text or "??"
    ValueClass cls;
};

TEST(ImmediateEvaluator, FormsInOrder)
{
    const SymbolTable s = MakeSymbols();
    const ImmediateCase cases[] = {
        {"#0FFH", "FF", ValueClass::XData},
        {"#1234H", "1234", ValueClass::XData16},
        {"#255", "FF", ValueClass::XData},
        {"#256", "0100", ValueClass::XData16},
        {"#12G", "??", ValueClass::Error},
        {"#'A'", "41", ValueClass::XData},
        {"#'a'", "61", ValueClass::XData},
        {"#' '", "20", ValueClass::XData},
        {"#\"Z\"", "5A", ValueClass::XData},
        {"#>(65536-50000)", "3C", ValueClass::XData},
        {"#<(65536-50000)", "B0", ValueClass::XData},
        {"#>BIG", "12", ValueClass::XData},
        {"#<BIG", "34", ValueClass::XData},
        {"#10/3", "03", ValueClass::XData},
        {"#10.MOD.3", "01", ValueClass::XData},
        {"#COUNT*3", "1E", ValueClass::XData},
        {"#20-COUNT/2", "05", ValueClass::XData},
        {"#COUNT-20", "F6", ValueClass::XData},
        {"#1+2+3", "06", ValueClass::XData},
        {"#10/0", "??", ValueClass::Error},
        {"#P1", "90", ValueClass::XData},
        {"#30H", "30", ValueClass::XData},
        {"#CNT", "30", ValueClass::XData},
        {"#COUNT", "0A", ValueClass::XData},
        {"#BIG", "1234", ValueClass::XData16},
        {"#(COUNT)", "0A", ValueClass::XData},
        {"#CNT+FLAGS", "51", ValueClass::XData},
        {"#P1-10H", "80", ValueClass::XData},
        {"#01010101B", "55", ValueClass::XData},
        {"#17Q", "0F", ValueClass::XData},
        {"#ACC", "E0", ValueClass::XData},
        {"#5H", "05", ValueClass::XData},
        {"#100H", "0100", ValueClass::XData16},
        {"#UNKNOWN", "??", ValueClass::Error},
        {"#", "??", ValueClass::Error},
        {"#70000", "??", ValueClass::Error},
    };
    for (const auto& c : cases) {
        const Immediate v = EvaluateImmediate(c.text, s);
        EXPECT_EQ(v.Text(), c.result) << c.text;
        EXPECT_EQ(v.cls, c.cls) << c.text;
    }
}

TEST(Evaluate16, NumbersSymbolsAndShapes)
{
    const SymbolTable s = MakeSymbols();
    const std::pair<const char*, int> cases[] = {
        {"#1234H", 0x1234},  {"1234H", 0x1234},    {"#4660", 0x1234},  {"#65536", -1},
        {"BIG", 0x1234},     {"#COUNT", 0x0A},     {"#BIG*2", 0x2468}, {"#BIG/2", 0x091A},
        {"#BIG MOD 16", 4},  {"#BIG.MOD.16", 4},   {"#100-20*2", 160}, {"#100-20/3", 26},
        {"#0-1", 0xFFFF},    {"#LABEL", -1},       {"#1+2+3+4", 10},   {"#'A'", 0x41},
        {"#0FFFFH", 0xFFFF}, {"#11110000B", 0xF0}, {"#777Q", 511}};
    for (const auto& [text, value] : cases) {
        const auto v = Evaluate16(text, s);
        if (value < 0) {
            EXPECT_FALSE(v.has_value()) << text;
        } else {
            ASSERT_TRUE(v.has_value()) << text;
            EXPECT_EQ(static_cast<int>(*v), value) << text;
        }
    }
}

TEST(Evaluate16, TokenizeCutsAtOperatorsAndDots)
{
    const auto tokens = Tokenize("(A-B).MOD.C");
    ASSERT_TRUE(tokens.has_value());
    EXPECT_EQ(*tokens, (std::vector<std::string>{"A", "-", "B", "MOD", "C"}));
    EXPECT_FALSE(Tokenize("1+2+3+4").has_value());
}

TEST(LabelArithmetic, SplitsAtTheFirstSign)
{
    const auto plus = SplitLabelOffset("table+3");
    ASSERT_TRUE(plus.has_value());
    EXPECT_EQ(plus->label, "TABLE");
    EXPECT_EQ(plus->offset, 3);
    const auto minus = SplitLabelOffset("#LOOP-10H");
    ASSERT_TRUE(minus.has_value());
    EXPECT_EQ(minus->label, "LOOP");
    EXPECT_EQ(minus->offset, -16);
    EXPECT_FALSE(SplitLabelOffset("LOOP+X").has_value());
    EXPECT_EQ(SplitLabelOffset("$1")->label, "$1");
}

}  // namespace
}  // namespace zelo::assembler
