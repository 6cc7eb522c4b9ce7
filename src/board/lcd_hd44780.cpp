#include "board/lcd_hd44780.h"

#include "core/hex_text.h"

namespace zelo::board {

Hd44780::Hd44780(const LcdWiring& wiring) : m_wiring(wiring)
{
    Reset();
}

void Hd44780::Reset(uint64_t now)
{
    m_lastE = false;
    m_eightBit = true;
    m_twoLines = false;
    m_displayOn = m_cursorOn = m_blinkOn = false;
    m_increment = true;
    m_shiftOnWrite = false;
    m_addressIsCgram = false;
    m_lowNibbleNext = m_readLowNibbleNext = false;
    m_highNibble = 0;
    m_address = 0;
    m_shift = 0;
    m_busyUntil = now + kPowerOnCycles;
    m_ddram.fill(0x20);
    m_cgram.fill(0);
    m_problems.clear();
}

void Hd44780::Problem(std::string text)
{
    if (m_problems.size() == kMaxProblems) m_problems.pop_front();
    m_problems.push_back(std::move(text));
}

bool Hd44780::Reading(const PortBytes& levels) const
{
    return m_wiring.rw && PinHigh(levels, *m_wiring.rw) && PinHigh(levels, m_wiring.e);
}

uint8_t Hd44780::DataNibbleOrByte(const PortBytes& levels) const
{
    // Eight lines are D0..D7; four lines are D4..D7 and the value is their nibble.
    uint8_t value = 0;
    for (size_t k = 0; k < m_wiring.data.size(); ++k)
        if (PinHigh(levels, m_wiring.data[k])) value |= static_cast<uint8_t>(1u << k);
    return value;
}

void Hd44780::OnPins(const PortBytes& levels, uint64_t now)
{
    const bool e = PinHigh(levels, m_wiring.e);
    const bool falling = m_lastE && !e;
    m_lastE = e;
    if (!falling) return;
    const bool rs = PinHigh(levels, m_wiring.rs);
    const bool read = m_wiring.rw && PinHigh(levels, *m_wiring.rw);
    const bool fourWires = m_wiring.data.size() == 4;
    if (read) {
        // A completed data read moves the address counter on, as a write does.
        if (!m_eightBit) {
            m_readLowNibbleNext = !m_readLowNibbleNext;
            if (m_readLowNibbleNext) return;
        }
        if (rs && !Busy(now)) MoveAddress(m_increment);
        return;
    }
    uint8_t value = DataNibbleOrByte(levels);
    if (fourWires) value = static_cast<uint8_t>(value << 4);  // D0..D3 not wired: read as 0
    if (!m_eightBit) {
        // Two transfers per byte, high half first, on D4..D7.
        const uint8_t nibble = static_cast<uint8_t>(value >> 4);
        if (!m_lowNibbleNext) {
            m_highNibble = nibble;
            m_lowNibbleNext = true;
            return;
        }
        m_lowNibbleNext = false;
        value = static_cast<uint8_t>(m_highNibble << 4 | nibble);
    }
    Transfer(rs, value, now);
}

void Hd44780::Transfer(bool rs, uint8_t value, uint64_t now)
{
    if (Busy(now)) {
        Problem(std::string("ignored while busy: ") + (rs ? "data " : "instruction ") +
                core::ToHexByte(value) + "H");
        return;
    }
    if (rs) {
        WriteData(value);
        m_busyUntil = now + kInstructionCycles;
    } else {
        Instruction(value, now);
    }
}

void Hd44780::Instruction(uint8_t v, uint64_t now)
{
    m_busyUntil = now + kInstructionCycles;
    if (v & 0x80) {  // set DDRAM address
        m_address = v & 0x7F;
        m_addressIsCgram = false;
        if (m_twoLines ? ((m_address & 0x3F) > 0x27) : m_address > 0x4F)
            Problem("DDRAM address " + core::ToHexByte(m_address) + "H is not on the display");
    } else if (v & 0x40) {  // set CGRAM address
        m_address = v & 0x3F;
        m_addressIsCgram = true;
    } else if (v & 0x20) {  // function set: DL N F
        const bool eightBit = v & 0x10;
        if (eightBit != m_eightBit) m_lowNibbleNext = m_readLowNibbleNext = false;
        m_eightBit = eightBit;
        m_twoLines = v & 0x08;
    } else if (v & 0x10) {  // cursor or display shift: S/C R/L
        if (v & 0x08)
            m_shift += (v & 0x04) ? -1 : 1;
        else
            MoveAddress(v & 0x04);
    } else if (v & 0x08) {  // display on/off: D C B
        m_displayOn = v & 0x04;
        m_cursorOn = v & 0x02;
        m_blinkOn = v & 0x01;
    } else if (v & 0x04) {  // entry mode: I/D S
        m_increment = v & 0x02;
        m_shiftOnWrite = v & 0x01;
    } else if (v & 0x02) {  // return home
        m_address = 0;
        m_addressIsCgram = false;
        m_shift = 0;
        m_busyUntil = now + kClearCycles;
    } else if (v & 0x01) {  // clear display
        m_ddram.fill(0x20);
        m_address = 0;
        m_addressIsCgram = false;
        m_shift = 0;
        m_increment = true;
        m_busyUntil = now + kClearCycles;
    }
}

void Hd44780::WriteData(uint8_t value)
{
    if (m_addressIsCgram) {
        m_cgram[m_address & 0x3F] = value;
        m_address = static_cast<uint8_t>((m_address + (m_increment ? 1 : -1)) & 0x3F);
        return;
    }
    m_ddram[m_address & 0x7F] = value;
    MoveAddress(m_increment);
    if (m_shiftOnWrite) m_shift += m_increment ? 1 : -1;
}

void Hd44780::MoveAddress(bool increment)
{
    if (m_addressIsCgram) {
        m_address = static_cast<uint8_t>((m_address + (increment ? 1 : -1)) & 0x3F);
        return;
    }
    int a = m_address;
    if (!m_twoLines) {
        a = increment ? (a >= 0x4F ? 0 : a + 1) : (a == 0 ? 0x4F : a - 1);
    } else if (increment) {
        a = a == 0x27 ? 0x40 : a >= 0x67 ? 0 : a + 1;
    } else {
        a = a == 0x40 ? 0x27 : a == 0 ? 0x67 : a - 1;
    }
    m_address = static_cast<uint8_t>(a);
}

uint8_t Hd44780::ReadValue(bool rs, uint64_t now) const
{
    if (!rs) return static_cast<uint8_t>((Busy(now) ? 0x80 : 0) | (m_address & 0x7F));
    return m_addressIsCgram ? m_cgram[m_address & 0x3F] : m_ddram[m_address & 0x7F];
}

PortBytes Hd44780::Drive(const PortBytes& levels, uint64_t now) const
{
    PortBytes pulls = kNoPulls;
    if (!Reading(levels)) return pulls;
    uint8_t value = ReadValue(PinHigh(levels, m_wiring.rs), now);
    if (!m_eightBit) value = m_readLowNibbleNext ? static_cast<uint8_t>(value << 4) : value;
    const bool fourWires = m_wiring.data.size() == 4;
    for (size_t k = 0; k < m_wiring.data.size(); ++k) {
        const int bit = fourWires ? static_cast<int>(k) + 4 : static_cast<int>(k);
        if (!((value >> bit) & 1u)) SetPin(pulls, m_wiring.data[k]);
    }
    return pulls;
}

int Hd44780::VisibleAddress(int line, int column) const
{
    if (!m_twoLines) {
        if (line != 0) return -1;
        return ((column + m_shift) % 80 + 80) % 80;
    }
    return (line ? 0x40 : 0) + ((column + m_shift) % 40 + 40) % 40;
}

int Hd44780::CursorLine() const
{
    if (m_addressIsCgram) return -1;
    for (int line = 0; line < 2; ++line)
        for (int c = 0; c < kColumns; ++c)
            if (VisibleAddress(line, c) == m_address) return line;
    return -1;
}

int Hd44780::CursorColumn() const
{
    const int line = CursorLine();
    if (line < 0) return -1;
    for (int c = 0; c < kColumns; ++c)
        if (VisibleAddress(line, c) == m_address) return c;
    return -1;
}

std::array<std::string, 2> Hd44780::Lines() const
{
    std::array<std::string, 2> lines;
    for (int line = 0; line < 2; ++line) {
        for (int c = 0; c < kColumns; ++c) {
            const int a = VisibleAddress(line, c);
            lines[static_cast<size_t>(line)] += (!m_displayOn || a < 0)
                                                    ? std::string(" ")
                                                    : LcdGlyph(m_ddram[static_cast<size_t>(a)]);
        }
    }
    return lines;
}

std::string LcdGlyph(uint8_t code)
{
    if (code >= 0x20 && code <= 0x7D && code != 0x5C)
        return std::string(1, static_cast<char>(code));
    switch (code) {
        case 0x5C:
            return "\u00A5";  // yen sign
        case 0x7E:
            return "\u2192";
        case 0x7F:
            return "\u2190";
        case 0xDF:
            return "\u00B0";
        case 0xE4:
            return "\u00B5";
        case 0xF4:
            return "\u03A9";
        default:
            break;
    }
    if (code < 0x10) return "\u25A0";  // a user-defined character
    return "\u2592";                   // a glyph outside ASCII
}

}  // namespace zelo::board
