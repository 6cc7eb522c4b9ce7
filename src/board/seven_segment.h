// A multiplexed 7-segment display: eight segment lines shared by 4 or 8
// digits, one digit (or, with a wrong program, several) selected at a time,
// directly or through a 3-to-8 decoder.
//
// A digit stays visible for the persistence time after it goes dark, as the
// eye sees a scanned display: a program that comes back to every digit within
// that time shows steady digits. While dark it shows the pattern it held
// longest while lit, so the short-lived patterns of a scan that changes the
// segments before the select lines do not linger. A digit that lights again
// after being dark for longer than the persistence time flickers, and is
// marked as flickering for a while.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "board/board_wiring.h"

namespace zelo::board {

class SevenSegmentDisplay
{
public:
    static constexpr int kMaxDigits = 8;
    static constexpr uint64_t kNever = UINT64_MAX;

    explicit SevenSegmentDisplay(const DigitsWiring& wiring);

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

    DigitsWiring m_wiring;
    int m_count;
    uint64_t m_persistence;
    struct Digit
    {
        uint8_t lit = 0;   // segments driven now
        uint8_t held = 0;  // the pattern lit longest since the digit last lit up
        uint64_t heldFor = 0;
        uint64_t litSince = 0;  // when the current pattern started
        uint64_t offAt = kNever;
        uint64_t flickerAt = kNever;
    };
    std::array<Digit, kMaxDigits> m_digit{};
};

// The character a segment pattern shows ('0'-'9', 'A'-'F' and a few
// letters, '-', ' '); '?' for other patterns. The point is ignored.
char SegmentCharacter(uint8_t segments);

}  // namespace zelo::board
