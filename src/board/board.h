// The accessory board: the components of a board file wired to the chip's
// port pins, with the inputs the user works (switches, buttons, keys) and
// what the outputs show (LEDs, digits, LCD, buzzer).
//
// Each step the board is given the port latches and the machine-cycle
// counter and answers with the pins it pulls low (see board_types.h). It
// does its work only when a latch or an input changed, or while the LCD is
// being read (its busy flag runs out with time), so an idle board costs one
// comparison per step. Nothing here allocates after construction.
#pragma once

#include <cstdint>
#include <optional>

#include "board/board_wiring.h"
#include "board/buzzer.h"
#include "board/lcd_hd44780.h"
#include "board/seven_segment.h"

namespace zelo::board {

class Board
{
public:
    Board() = default;
    explicit Board(BoardWiring wiring);

    const BoardWiring& Wiring() const { return m_wiring; }

    // A program was loaded: the displays power up again; switch positions
    // and held buttons and keys stay as the user left them.
    void Reset();

    // After a step: latches as the program drives P0-P3, and the cycle
    // counter. Returns the pins the board pulls low. A counter smaller than
    // the last one (a step taken back) moves the board's clock back without
    // undoing what it shows; a new program resets the board through Reset.
    const PortBytes& Update(const PortBytes& latches, uint64_t cycles);

    // --- inputs ---
    int SwitchCount() const
    {
        return m_wiring.switches ? static_cast<int>(m_wiring.switches->pins.size()) : 0;
    }
    int ButtonCount() const
    {
        return m_wiring.buttons ? static_cast<int>(m_wiring.buttons->pins.size()) : 0;
    }
    void SetSwitch(int index, bool closed);
    bool SwitchClosed(int index) const { return (m_switchesClosed >> index) & 1u; }
    void SetButton(int index, bool pressed);
    bool ButtonPressed(int index) const { return (m_buttonsPressed >> index) & 1u; }
    void SetKey(int row, int column, bool pressed);
    bool KeyPressed(int row, int column) const
    {
        return (m_keysPressed >> (4 * row + column)) & 1u;
    }

    // --- outputs, as of the last update ---
    uint64_t Now() const { return m_now; }
    const PortBytes& PinLevels() const { return m_levels; }
    const PortBytes& PullDowns() const { return m_pulls; }
    int LedCount() const { return m_wiring.leds ? static_cast<int>(m_wiring.leds->pins.size()) : 0; }
    bool LedLit(int index) const;
    const SevenSegmentDisplay* Digits() const { return m_digits ? &*m_digits : nullptr; }
    const Hd44780* Lcd() const { return m_lcd ? &*m_lcd : nullptr; }
    const Buzzer* BuzzerDevice() const { return m_buzzer ? &*m_buzzer : nullptr; }

private:
    void Recompute(const PortBytes& latches);

    BoardWiring m_wiring;
    std::optional<SevenSegmentDisplay> m_digits;
    std::optional<Hd44780> m_lcd;
    std::optional<Buzzer> m_buzzer;

    uint32_t m_switchesClosed = 0;
    uint32_t m_buttonsPressed = 0;
    uint16_t m_keysPressed = 0;
    bool m_inputsChanged = true;

    uint64_t m_now = 0;
    PortBytes m_latches = kAllHigh;
    PortBytes m_levels = kAllHigh;
    PortBytes m_pulls = kNoPulls;
    PortBytes m_contactPulls = kNoPulls;  // switches and buttons
};

}  // namespace zelo::board
