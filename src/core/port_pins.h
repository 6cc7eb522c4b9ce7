// Port pins: each bit of P0-P3 has a latch (the SFR bit the program writes)
// and a pin. A pin is low when its latch is 0 or when something outside pulls
// it low; otherwise it is high. P1-P3 have internal pull-ups. P0 is open
// drain: a P0 pin whose latch is 1 and that nothing pulls low floats; the
// workbench reads such a pin as 1 (as on the usual boards with a resistor
// network on P0) and shows it as floating ("z").
//
// Instructions that read a port for a value (MOV A,P1, JB P3.2, ADD A,P1)
// see the pins; read-modify-write instructions (ANL, ORL, XRL, INC, DEC,
// DJNZ, CPL, SETB, CLR, JBC, MOV bit,C) see the latches.
//
// Outside pull-downs come from three sources kept apart (an input script, a
// click on the chip picture, the accessory board); a pin is pulled when any
// of them pulls it. Everything is plain data so that a step can be taken back
// by copying it.
#pragma once

#include <array>
#include <cstdint>

#include "core/hex_text.h"

namespace zelo::core {

// P0..P3; bit k of byte n is pin Pn.k.
using PortBytes = std::array<uint8_t, 4>;
inline constexpr int kPorts = 4;

enum class PullSource : uint8_t { Script, Click, Board };
inline constexpr int kPullSources = 3;

// 0..3 for the port addresses 80H, 90H, A0H, B0H; -1 for any other address.
constexpr int PortIndexOf(uint8_t address)
{
    return (address & 0xCF) == 0x80 ? (address >> 4) & 3 : -1;
}
constexpr uint8_t PortAddress(int port)
{
    return static_cast<uint8_t>(0x80 + 0x10 * port);
}

// Read-modify-write instructions read a port's latch, all others its pins:
// INC/DEC/DJNZ direct, ANL/ORL/XRL direct,A and direct,#data, JBC, CPL/CLR/
// SETB bit, MOV bit,C.
constexpr bool ReadsLatch(uint8_t opcode)
{
    switch (opcode) {
        case 0x05:
        case 0x15:
        case 0xD5:  // INC, DEC, DJNZ direct
        case 0x42:
        case 0x43:
        case 0x52:
        case 0x53:  // ORL, ANL direct
        case 0x62:
        case 0x63:  // XRL direct
        case 0x10:
        case 0xB2:
        case 0xC2:
        case 0xD2:  // JBC, CPL, CLR, SETB bit
        case 0x92:  // MOV bit,C
            return true;
        default:
            return false;
    }
}

// The pins that matter to the peripherals.
namespace pin {
constexpr int kRxd = 0, kInt0 = 2, kInt1 = 3, kT0 = 4, kT1 = 5, kComparatorOut = 6;  // on P3
constexpr int kT2 = 0, kT2ex = 1;                                                    // on P1
}  // namespace pin

// A square wave on a pin from the input script: high for the first half of
// each period from `start`, then pulled low.
struct PinClock
{
    bool active = false;
    uint8_t port = 0, bit = 0;
    double start = 0;        // machine cycles
    double period = 0;       // machine cycles
    uint64_t countedTo = 0;  // falling edges up to this cycle are counted
};
inline constexpr int kMaxClocks = 4;

struct PortPins
{
    std::array<PortBytes, kPullSources> pullBy{};  // outside pull-downs, by source
    PortBytes pulled{};                            // all of them, the comparator output included
    bool anyPulled = false;
    bool changed = true;  // pulls changed since the last sample

    // Pins driven by a clock from the input script (their edges are counted
    // by the feeder) and the edges the feeder saw since the last sample.
    PortBytes clocked{};
    PortBytes clockFell{};
    std::array<PinClock, kMaxClocks> clocks{};

    // The 89Cx051's analog comparator: AIN0 (P1.0) and AIN1 (P1.1) in volts.
    std::array<float, 2> ain{};
    bool analogGiven = false;
};

// What the peripherals last saw on the pins they watch, changed only by the
// step (kept apart from PortPins so that a step copies little to be taken
// back).
struct PinSamples
{
    // Pin levels at the last sample (1 = high) and the port cells they came from.
    PortBytes sampled{0xFF, 0xFF, 0xFF, 0xFF};
    std::array<std::array<BitCell, 8>, 2> cellsSeen{};  // P1 and P3 latches as last sampled

    // Falling edges not yet counted: T0, T1 (P3.4, P3.5) and T2 (P1.0).
    std::array<uint32_t, 3> pendingCounts{};
    bool t2exFell = false;

    bool operator==(const PinSamples&) const = default;
};

// A latch cell "0" is 0; "1", undefined and missing cells count as released (1).
inline uint8_t LatchByte(const std::array<BitCell, 8>& cells)
{
    uint8_t value = 0;
    for (int k = 0; k < 8; ++k)
        if (cells[static_cast<std::size_t>(k)] != kBitZero)
            value = static_cast<uint8_t>(value | (1u << k));
    return value;
}

// The cells an instruction reads from a port's pins: pulled pins read "0".
inline std::array<BitCell, 8> PinCells(const std::array<BitCell, 8>& latch, uint8_t pulled)
{
    std::array<BitCell, 8> cells = latch;
    for (int k = 0; k < 8; ++k)
        if (pulled & (1u << k)) cells[static_cast<std::size_t>(k)] = kBitZero;
    return cells;
}

// Recomputes the combined pull-down mask: every source, and on a chip with
// the analog comparator its output on P3.6 (low unless AIN0 > AIN1, once the
// inputs were given voltages).
void CombinePulls(PortPins& pins, bool hasComparator);

// A pin as the picture and the reports show it: "0" low, "1" high, "z" a P0
// pin that nothing drives (latch 1, not pulled: open drain, floating).
inline char PinLevelChar(int port, int bit, const PortBytes& latches, const PortPins& pins)
{
    const auto i = static_cast<std::size_t>(port);
    if ((pins.pulled[i] >> bit) & 1u || !((latches[i] >> bit) & 1u)) return '0';
    return port == 0 ? 'z' : '1';
}

// The level of every port pin (1 = high): latch AND NOT pulled.
PortBytes PinLevels(const std::array<std::array<BitCell, 8>, 256>& internal, const PortPins& pins);

}  // namespace zelo::core
