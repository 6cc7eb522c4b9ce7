// ALU arithmetic and flags, case by case.
#include "core/alu.h"

#include <gtest/gtest.h>

namespace zelo::core::alu {
namespace {

struct SumCase
{
    const char* name;
    uint8_t a, b;
    bool carryIn;
    uint8_t value;
    bool carry, auxCarry, overflow;
};

TEST(AluAdd, ValueAndFlagsFollowTheChip)
{
    const SumCase cases[] = {
        {"80+80 overflows into carry", 0x80, 0x80, false, 0x00, true, false, true},
        {"7F+01 signed overflow with half carry", 0x7F, 0x01, false, 0x80, false, true, true},
        {"40+40 signed overflow", 0x40, 0x40, false, 0x80, false, false, true},
        {"FF+00+1 wraps with both carries", 0xFF, 0x00, true, 0x00, true, true, false},
        {"99+99 decimal operands", 0x99, 0x99, false, 0x32, true, true, true},
        {"0F+01 half carry only", 0x0F, 0x01, false, 0x10, false, true, false},
        {"FF+FF negative plus negative", 0xFF, 0xFF, false, 0xFE, true, true, false},
        {"C0+C0 carry without overflow", 0xC0, 0xC0, false, 0x80, true, false, false},
        {"00+00 nothing set", 0x00, 0x00, false, 0x00, false, false, false},
        {"7F+00+1 carry-in makes overflow", 0x7F, 0x00, true, 0x80, false, true, true},
        {"0E+01+1 carry-in reaches half carry", 0x0E, 0x01, true, 0x10, false, true, false},
    };
    for (const auto& t : cases) {
        const SumResult r = Add(t.a, t.b, t.carryIn);
        EXPECT_EQ(r.value, t.value) << t.name;
        EXPECT_EQ(r.carry, t.carry) << t.name;
        EXPECT_EQ(r.auxCarry, t.auxCarry) << t.name;
        EXPECT_EQ(r.overflow, t.overflow) << t.name;
    }
}

TEST(AluSubb, ValueAndBorrowFlagsFollowTheChip)
{
    const SumCase cases[] = {
        {"80-01 signed overflow and half borrow", 0x80, 0x01, false, 0x7F, false, true, true},
        {"00-01 borrows everywhere", 0x00, 0x01, false, 0xFF, true, true, false},
        {"05-03 plain", 0x05, 0x03, false, 0x02, false, false, false},
        {"05-05-1 borrow-in goes negative", 0x05, 0x05, true, 0xFF, true, true, false},
        {"7F-FF positive minus negative overflows", 0x7F, 0xFF, false, 0x80, true, false, true},
        {"10-01 half borrow only", 0x10, 0x01, false, 0x0F, false, true, false},
        {"80-00-1 borrow-in overflows", 0x80, 0x00, true, 0x7F, false, true, true},
        {"FF-FF zero", 0xFF, 0xFF, false, 0x00, false, false, false},
    };
    for (const auto& t : cases) {
        const SumResult r = Subb(t.a, t.b, t.carryIn);
        EXPECT_EQ(r.value, t.value) << t.name;
        EXPECT_EQ(r.carry, t.carry) << t.name;
        EXPECT_EQ(r.auxCarry, t.auxCarry) << t.name;
        EXPECT_EQ(r.overflow, t.overflow) << t.name;
    }
}

TEST(AluDecimalAdjust, CorrectsBothDigitsAndNeverClearsCarry)
{
    struct Case
    {
        const char* name;
        uint8_t a;
        bool cy, ac;
        uint8_t value;
        bool carry;
    } cases[] = {
        {"after 99+99", 0x32, true, true, 0x98, true},
        {"after 15+27 (3C)", 0x3C, false, false, 0x42, false},
        {"after 09+01 with half carry", 0x10, false, true, 0x16, false},
        {"after 50+50 (A0) carries out", 0xA0, false, false, 0x00, true},
        {"already decimal stays", 0x45, false, false, 0x45, false},
        {"carry kept when nothing to add", 0x12, true, false, 0x72, true},
        {"low fix carries out of the byte", 0xFA, false, false, 0x60, true},
        {"9A becomes 00 with carry", 0x9A, false, false, 0x00, true},
    };
    for (const auto& t : cases) {
        const DecimalResult r = DecimalAdjust(t.a, t.cy, t.ac);
        EXPECT_EQ(r.value, t.value) << t.name;
        EXPECT_EQ(r.carry, t.carry) << t.name;
    }
}

TEST(AluMultiplyDivide, ProductsQuotientsAndTheirFlags)
{
    struct MulCase
    {
        uint8_t a, b, low, high;
        bool overflow;
    } products[] = {
        {0x50, 0xA0, 0x00, 0x32, true}, {0x0F, 0x11, 0xFF, 0x00, false},
        {0xFF, 0xFF, 0x01, 0xFE, true}, {0x00, 0xFF, 0x00, 0x00, false},
        {0x10, 0x10, 0x00, 0x01, true},
    };
    for (const auto& t : products) {
        const ProductResult r = Multiply(t.a, t.b);
        EXPECT_EQ(r.low, t.low) << int(t.a) << "*" << int(t.b);
        EXPECT_EQ(r.high, t.high) << int(t.a) << "*" << int(t.b);
        EXPECT_EQ(r.overflow, t.overflow) << int(t.a) << "*" << int(t.b);
    }
    struct DivCase
    {
        uint8_t a, b, quotient, remainder;
        bool overflow;
    } quotients[] = {
        {0xFB, 0x12, 0x0D, 0x11, false}, {0x07, 0x09, 0x00, 0x07, false},
        {0xFF, 0x01, 0xFF, 0x00, false}, {0x42, 0x00, 0x00, 0x00, true},
        {0x00, 0x00, 0x00, 0x00, true},
    };
    for (const auto& t : quotients) {
        const QuotientResult r = Divide(t.a, t.b);
        EXPECT_EQ(r.quotient, t.quotient) << int(t.a) << "/" << int(t.b);
        EXPECT_EQ(r.remainder, t.remainder) << int(t.a) << "/" << int(t.b);
        EXPECT_EQ(r.overflow, t.overflow) << int(t.a) << "/" << int(t.b);
    }
}

TEST(AluCompare, CarryMeansFirstBelowSecondUnsigned)
{
    struct Case
    {
        uint8_t first, second;
        bool notEqual, carry;
    } cases[] = {
        {5, 5, false, false},     {4, 5, true, true},        {6, 5, true, false},
        {0x00, 0xFF, true, true}, {0xFF, 0x00, true, false}, {0x80, 0x7F, true, false},
    };
    for (const auto& t : cases) {
        const CompareResult r = Compare(t.first, t.second);
        EXPECT_EQ(r.notEqual, t.notEqual) << int(t.first) << " vs " << int(t.second);
        EXPECT_EQ(r.carry, t.carry) << int(t.first) << " vs " << int(t.second);
    }
}

}  // namespace
}  // namespace zelo::core::alu
