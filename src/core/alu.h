// Arithmetic of the 8051 ALU as small pure functions: each returns the result
// byte(s) and the flags the instruction writes. The executor reads operands,
// calls one of these and writes the results in the chip's flag order.
#pragma once

#include <cstdint>

namespace zelo::core::alu {

struct SumResult
{
    uint8_t value = 0;
    bool carry = false;     // CY: carry out of bit 7 (borrow for SUBB)
    bool auxCarry = false;  // AC: carry out of bit 3 (borrow into bit 3 for SUBB)
    bool overflow = false;  // OV: carry out of bit 6 differs from carry out of bit 7
};

// ADD / ADDC: a + b + carryIn.
SumResult Add(uint8_t a, uint8_t b, bool carryIn);
// SUBB: a - b - borrowIn.
SumResult Subb(uint8_t a, uint8_t b, bool borrowIn);

struct DecimalResult
{
    uint8_t value = 0;
    bool carry = false;  // CY after DA: set by a carry out of the byte, never cleared
};
// DA A: +06H when the low digit is above 9 or AC is set, then +60H when the
// high digit is above 9 or CY is set (a carry out of the first addition
// counts as CY, as on the chip).
DecimalResult DecimalAdjust(uint8_t a, bool cy, bool ac);

struct ProductResult
{
    uint8_t low = 0;        // new A
    uint8_t high = 0;       // new B
    bool overflow = false;  // product above 255
};
ProductResult Multiply(uint8_t a, uint8_t b);

struct QuotientResult
{
    uint8_t quotient = 0;   // new A
    uint8_t remainder = 0;  // new B
    bool overflow = false;  // divisor 0: A and B become 00
};
QuotientResult Divide(uint8_t a, uint8_t b);

struct CompareResult
{
    bool notEqual = false;  // CJNE jumps
    bool carry = false;     // first operand below the second
};
CompareResult Compare(uint8_t first, uint8_t second);

}  // namespace zelo::core::alu
