#include "board/seven_segment.h"

#include <algorithm>

namespace zelo::board {

namespace {
// How long a digit stays marked as flickering after a dark gap: long enough
// to be seen in a window refreshed a few times a second.
constexpr uint64_t kFlickerHold = static_cast<uint64_t>(kCyclesPerSecond / 4);
}  // namespace

SevenSegmentDisplay::SevenSegmentDisplay(const DigitsWiring& wiring)
    : m_wiring(wiring),
      m_count(std::clamp(wiring.count, 1, kMaxDigits)),
      m_persistence(CyclesOfMicroseconds(wiring.persistenceMs * 1000.0))
{
    Reset();
}

void SevenSegmentDisplay::Reset()
{
    m_digit.fill(Digit{});
}

uint8_t SevenSegmentDisplay::SelectedDigits(const PortBytes& levels) const
{
    if (m_wiring.decoder) {
        // A 74x138 with its enables tied active: the output numbered by C B A
        // goes low, and that digit's driver turns on.
        int n = 0;
        for (int k = 2; k >= 0; --k)
            n = 2 * n + (PinHigh(levels, m_wiring.select[static_cast<size_t>(k)]) ? 1 : 0);
        return n < m_count ? static_cast<uint8_t>(1u << n) : 0;
    }
    uint8_t mask = 0;
    for (int d = 0; d < m_count; ++d)
        if (PinHigh(levels, m_wiring.select[static_cast<size_t>(d)]) != m_wiring.selectActiveLow)
            mask |= 1u << d;
    return mask;
}

void SevenSegmentDisplay::OnPins(const PortBytes& levels, uint64_t now)
{
    uint8_t pattern = 0;
    for (int s = 0; s < 8; ++s)
        if (PinHigh(levels, m_wiring.segments[static_cast<size_t>(s)]) != m_wiring.commonAnode)
            pattern |= 1u << s;
    const uint8_t selected = SelectedDigits(levels);
    for (int d = 0; d < m_count; ++d) {
        Digit& digit = m_digit[static_cast<size_t>(d)];
        const uint8_t lit = (selected >> d) & 1u ? pattern : 0;
        if (lit == digit.lit) continue;
        if (digit.lit != 0 && now >= digit.litSince && now - digit.litSince >= digit.heldFor) {
            digit.held = digit.lit;
            digit.heldFor = now - digit.litSince;
        }
        if (lit != 0 && digit.lit == 0) {
            if (digit.offAt != kNever && now >= digit.offAt && now - digit.offAt > m_persistence)
                digit.flickerAt = now;
            digit.held = lit;
            digit.heldFor = 0;
        }
        if (lit == 0) digit.offAt = now;
        digit.litSince = now;
        digit.lit = lit;
    }
}

uint8_t SevenSegmentDisplay::Visible(int digit, uint64_t now) const
{
    if (digit < 0 || digit >= m_count) return 0;
    const Digit& d = m_digit[static_cast<size_t>(digit)];
    if (d.lit != 0) return d.lit;
    return d.offAt != kNever && now >= d.offAt && now - d.offAt <= m_persistence ? d.held : 0;
}

bool SevenSegmentDisplay::Flickering(int digit, uint64_t now) const
{
    if (digit < 0 || digit >= m_count) return false;
    const uint64_t at = m_digit[static_cast<size_t>(digit)].flickerAt;
    return at != kNever && now >= at && now - at <= kFlickerHold;
}

std::string SevenSegmentDisplay::Text(uint64_t now) const
{
    std::string text;
    for (int d = 0; d < m_count; ++d) {
        const uint8_t v = Visible(d, now);
        text += SegmentCharacter(v);
        if (v & 0x80) text += '.';
    }
    return text;
}

char SegmentCharacter(uint8_t segments)
{
    struct Glyph
    {
        uint8_t pattern;
        char c;
    };
    static constexpr Glyph kGlyphs[] = {
        {0x3F, '0'}, {0x06, '1'}, {0x5B, '2'}, {0x4F, '3'}, {0x66, '4'}, {0x6D, '5'}, {0x7D, '6'},
        {0x07, '7'}, {0x7F, '8'}, {0x6F, '9'}, {0x77, 'A'}, {0x7C, 'b'}, {0x39, 'C'}, {0x5E, 'd'},
        {0x79, 'E'}, {0x71, 'F'}, {0x76, 'H'}, {0x38, 'L'}, {0x73, 'P'}, {0x3E, 'U'}, {0x40, '-'},
        {0x00, ' '}, {0x27, '7'}, {0x67, '9'}, {0x5C, 'o'}, {0x54, 'n'}, {0x50, 'r'}, {0x08, '_'},
    };
    const uint8_t p = segments & 0x7F;
    for (const Glyph& g : kGlyphs)
        if (g.pattern == p) return g.c;
    return '?';
}

}  // namespace zelo::board
