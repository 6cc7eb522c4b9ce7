// A 16x2 character LCD with an HD44780 controller, the instructions a
// teaching program uses: clear, home, entry mode, display on/off, cursor and
// display shift, function set (8- or 4-bit interface, one or two lines),
// CGRAM and DDRAM address, data write, and reading the busy flag, the address
// counter and DDRAM.
//
// Timing is the controller's: after power-on it is busy for 10 ms, then each
// instruction keeps it busy for 37 us (1.52 ms for clear and home). A write
// while it is busy is ignored, as the real controller does, and noted among
// the problems so a wrong sequence shows on the display and says why.
//
// Transfers happen on the falling edge of E. While E is high with RW high
// the controller drives the data lines: the bits it reads as 0 pull their
// pins down.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "board/board_wiring.h"

namespace zelo::board {

class Hd44780
{
public:
    static constexpr int kColumns = 16;
    static constexpr size_t kMaxProblems = 8;
    static constexpr uint64_t kInstructionCycles = CyclesOfMicroseconds(37);
    static constexpr uint64_t kClearCycles = CyclesOfMicroseconds(1520);
    static constexpr uint64_t kPowerOnCycles = CyclesOfMicroseconds(10000);

    explicit Hd44780(const LcdWiring& wiring);

    // Power-on: 8-bit interface, one line, display off, increment, busy.
    void Reset(uint64_t now = 0);
    // The pin levels changed at cycle `now`.
    void OnPins(const PortBytes& levels, uint64_t now);
    // The data pins it holds low while it is being read; none otherwise.
    PortBytes Drive(const PortBytes& levels, uint64_t now) const;
    bool Reading(const PortBytes& levels) const;

    bool Busy(uint64_t now) const { return now < m_busyUntil; }
    bool DisplayOn() const { return m_displayOn; }
    bool CursorOn() const { return m_cursorOn; }
    bool BlinkOn() const { return m_blinkOn; }
    bool EightBit() const { return m_eightBit; }
    bool TwoLines() const { return m_twoLines; }
    uint8_t AddressCounter() const { return m_address; }
    // The cursor's place on the glass: line 0/1 and column, or -1 when it
    // lies outside the 16 visible columns.
    int CursorLine() const;
    int CursorColumn() const;
    // What the glass shows, two lines of 16 characters (UTF-8; blank while
    // the display is off).
    std::array<std::string, 2> Lines() const;
    const std::deque<std::string>& Problems() const { return m_problems; }

private:
    void Transfer(bool rs, uint8_t value, uint64_t now);
    void Instruction(uint8_t value, uint64_t now);
    void WriteData(uint8_t value);
    void MoveAddress(bool increment);
    uint8_t ReadValue(bool rs, uint64_t now) const;
    uint8_t DataNibbleOrByte(const PortBytes& levels) const;
    int VisibleAddress(int line, int column) const;
    void Problem(std::string text);

    LcdWiring m_wiring;
    bool m_lastE = false;
    bool m_eightBit = true, m_twoLines = false;
    bool m_displayOn = false, m_cursorOn = false, m_blinkOn = false;
    bool m_increment = true, m_shiftOnWrite = false;
    bool m_addressIsCgram = false;
    bool m_lowNibbleNext = false;      // 4-bit interface: the first half has come
    bool m_readLowNibbleNext = false;  // 4-bit interface: the first half was read
    uint8_t m_highNibble = 0;
    uint8_t m_address = 0;
    int m_shift = 0;  // display shift, in DDRAM positions
    uint64_t m_busyUntil = 0;
    std::array<uint8_t, 0x80> m_ddram{};
    std::array<uint8_t, 64> m_cgram{};
    std::deque<std::string> m_problems;
};

// The glyph of a character code of the usual A00 character ROM, as UTF-8.
std::string LcdGlyph(uint8_t code);

}  // namespace zelo::board
