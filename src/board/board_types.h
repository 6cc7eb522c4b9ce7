// Small shared types of the accessory board: a port pin, the four port bytes
// and the board's clock (the simulated chip's machine cycles).
//
// The board meets the simulated chip through four bytes each way. Each step
// it is given the port latches (what the program drives on P0-P3, a 1 bit
// meaning the pin is released high) and the machine-cycle counter; it answers
// with the pull-downs (a 1 bit meaning something on the board holds that pin
// low: a closed switch, a pressed key, the LCD driving its data lines). A pin
// reads high only when its latch is 1 and nothing pulls it down.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/chip_model.h"

namespace zelo::board {

// P0..P3, bit k of byte n is pin Pn.k.
using PortBytes = std::array<uint8_t, 4>;
inline constexpr PortBytes kAllHigh{0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr PortBytes kNoPulls{0, 0, 0, 0};

// Machine cycles per second at the workbench's 11.0592 MHz crystal (12
// oscillator periods per machine cycle).
inline constexpr double kCyclesPerSecond = 11'059'200.0 / 12.0;
inline constexpr uint64_t CyclesOfMicroseconds(double us)
{
    return static_cast<uint64_t>(us * kCyclesPerSecond / 1'000'000.0 + 0.999999);
}

struct PinRef
{
    uint8_t port = 0;  // 0..3
    uint8_t bit = 0;   // 0..7
    bool operator==(const PinRef&) const = default;
    uint8_t Mask() const { return static_cast<uint8_t>(1u << bit); }
};

inline bool PinHigh(const PortBytes& levels, PinRef pin)
{
    return (levels[pin.port] >> pin.bit) & 1u;
}
inline void SetPin(PortBytes& bytes, PinRef pin)
{
    bytes[pin.port] |= pin.Mask();
}

// "P1.3".
std::string PinName(PinRef pin);
// "P1.3" or "p1.3"; nothing for other texts.
std::optional<PinRef> ParsePinName(std::string_view text);
// Whether the chip brings the pin out: the 20-pin 89Cx051 has only P1 and
// P3.0-P3.5, P3.7 (P3.6 is wired to its comparator inside the chip).
bool ChipHasPin(core::ChipModel chip, PinRef pin);

}  // namespace zelo::board
