// A multiplexed 7-segment display: eight segment lines shared by 4 or 8
// digits, one digit (or, with a wrong program, several) selected at a time,
// directly or through a 3-to-8 decoder.
//
// A segment stays visible for the persistence time after its digit stops
// driving it, as the eye sees a scanned display: a program that comes back to
// every digit within that time shows steady digits. A segment that lights
// again after being dark for longer than that flickers, and the digit is
// marked as flickering for a while.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "board/board_spec.h"

namespace zelo::board {

class SevenSegmentDisplay
{
public:
    static constexpr int kMaxDigits = 8;
    static constexpr uint64_t kNever = UINT64_MAX;

    explicit SevenSegmentDisplay(const DigitsSpec& spec);

    void Reset();
    // The pin levels changed at cycle `now`.
    void OnPins(const PortBytes& levels, uint64_t now);

    int Count() const { return m_count; }
    // Segments lit or still glowing: bit 0 = a ... bit 6 = g, bit 7 = dp.
    uint8_t Visible(int digit, uint64_t now) const;
    bool Flickering(int digit, uint64_t now) const;
    // The digits as characters, each followed by "." when its point is lit.
    std::string Text(uint64_t now) const;

    uint64_t PersistenceCycles() const { return m_persistence; }

private:
    uint8_t SelectedDigits(const PortBytes& levels) const;

    DigitsSpec m_spec;
    int m_count;
    uint64_t m_persistence;
    std::array<uint8_t, kMaxDigits> m_lit{};
    std::array<std::array<uint64_t, 8>, kMaxDigits> m_offAt{};
    std::array<uint64_t, kMaxDigits> m_flickerAt{};
};

// The character a segment pattern shows ('0'-'9', 'A'-'F' and a few
// letters, '-', ' '); '?' for other patterns. The point is ignored.
char SegmentCharacter(uint8_t segments);

}  // namespace zelo::board
