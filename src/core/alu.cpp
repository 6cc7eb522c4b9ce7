#include "core/alu.h"

namespace zelo::core::alu {

SumResult Add(uint8_t a, uint8_t b, bool carryIn)
{
    const int c = carryIn ? 1 : 0;
    const int sum = a + b + c;
    const bool carry6 = (a & 0x7F) + (b & 0x7F) + c > 0x7F;
    SumResult r;
    r.value = static_cast<uint8_t>(sum & 0xFF);
    r.carry = sum > 0xFF;
    r.auxCarry = (a & 0x0F) + (b & 0x0F) + c > 0x0F;
    r.overflow = carry6 != r.carry;
    return r;
}

SumResult Subb(uint8_t a, uint8_t b, bool borrowIn)
{
    const int c = borrowIn ? 1 : 0;
    const int difference = a - b - c;
    const bool borrow6 = (a & 0x7F) - (b & 0x7F) - c < 0;
    SumResult r;
    r.value = static_cast<uint8_t>(difference & 0xFF);
    r.carry = difference < 0;
    r.auxCarry = (a & 0x0F) - (b & 0x0F) - c < 0;
    r.overflow = borrow6 != r.carry;
    return r;
}

DecimalResult DecimalAdjust(uint8_t a, bool cy, bool ac)
{
    int value = a;
    bool carry = cy;
    if ((value & 0x0F) > 9 || ac) {
        value += 0x06;
        if (value > 0xFF) carry = true;
        value &= 0xFF;
    }
    if ((value >> 4) > 9 || carry) {
        value += 0x60;
        if (value > 0xFF) carry = true;
        value &= 0xFF;
    }
    return {static_cast<uint8_t>(value), carry};
}

ProductResult Multiply(uint8_t a, uint8_t b)
{
    const int product = a * b;
    return {static_cast<uint8_t>(product & 0xFF), static_cast<uint8_t>(product >> 8),
            product > 0xFF};
}

QuotientResult Divide(uint8_t a, uint8_t b)
{
    if (b == 0) return {0, 0, true};
    return {static_cast<uint8_t>(a / b), static_cast<uint8_t>(a % b), false};
}

CompareResult Compare(uint8_t first, uint8_t second)
{
    return {first != second, first < second};
}

}  // namespace zelo::core::alu
