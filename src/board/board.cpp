#include "board/board.h"

namespace zelo::board {

namespace {
PortBytes Levels(const PortBytes& latches, const PortBytes& pulls)
{
    PortBytes levels;
    for (size_t p = 0; p < 4; ++p) levels[p] = static_cast<uint8_t>(latches[p] & ~pulls[p]);
    return levels;
}
}  // namespace

Board::Board(BoardWiring wiring) : m_wiring(std::move(wiring))
{
    if (m_wiring.digits) m_digits.emplace(*m_wiring.digits);
    if (m_wiring.lcd) m_lcd.emplace(*m_wiring.lcd);
    if (m_wiring.buzzer) m_buzzer.emplace(*m_wiring.buzzer);
}

void Board::Reset()
{
    m_now = 0;
    m_latches = kAllHigh;
    m_levels = kAllHigh;
    m_pulls = kNoPulls;
    m_inputsChanged = true;
    if (m_digits) m_digits->Reset();
    if (m_lcd) m_lcd->Reset(0);
    if (m_buzzer) m_buzzer->Reset();
}

void Board::SetSwitch(int index, bool closed)
{
    if (index < 0 || index >= SwitchCount()) return;
    m_switchesClosed = closed ? m_switchesClosed | 1u << index : m_switchesClosed & ~(1u << index);
    m_inputsChanged = true;
}

void Board::SetButton(int index, bool pressed)
{
    if (index < 0 || index >= ButtonCount()) return;
    m_buttonsPressed = pressed ? m_buttonsPressed | 1u << index : m_buttonsPressed & ~(1u << index);
    m_inputsChanged = true;
}

void Board::SetKey(int row, int column, bool pressed)
{
    if (!m_wiring.keypad || row < 0 || row > 3 || column < 0 || column > 3) return;
    const uint16_t bit = static_cast<uint16_t>(1u << (4 * row + column));
    m_keysPressed = static_cast<uint16_t>(pressed ? m_keysPressed | bit : m_keysPressed & ~bit);
    m_inputsChanged = true;
}

bool Board::LedLit(int index) const
{
    if (index < 0 || index >= LedCount()) return false;
    return PinHigh(m_levels, m_wiring.leds->pins[static_cast<size_t>(index)]) !=
           m_wiring.leds->litWhenLow;
}

const PortBytes& Board::Update(const PortBytes& latches, uint64_t cycles)
{
    m_now = cycles;
    const bool lcdRead = m_lcd && m_lcd->Reading(m_levels);
    if (latches == m_latches && !m_inputsChanged && !lcdRead) return m_pulls;
    m_latches = latches;
    Recompute(latches);
    return m_pulls;
}

void Board::Recompute(const PortBytes& latches)
{
    if (m_inputsChanged) {
        m_contactPulls = kNoPulls;
        if (m_wiring.switches)
            for (size_t i = 0; i < m_wiring.switches->pins.size(); ++i)
                if ((m_switchesClosed >> i) & 1u) SetPin(m_contactPulls, m_wiring.switches->pins[i]);
        if (m_wiring.buttons)
            for (size_t i = 0; i < m_wiring.buttons->pins.size(); ++i)
                if ((m_buttonsPressed >> i) & 1u) SetPin(m_contactPulls, m_wiring.buttons->pins[i]);
        m_inputsChanged = false;
    }
    PortBytes pulls = m_contactPulls;
    if (m_lcd) {
        const PortBytes drive = m_lcd->Drive(Levels(latches, pulls), m_now);
        for (size_t p = 0; p < 4; ++p) pulls[p] |= drive[p];
    }
    if (m_keysPressed != 0) {
        // A pressed key joins its row and column lines: whichever is held
        // low pulls the other low too.
        const PortBytes before = Levels(latches, pulls);
        for (int k = 0; k < 16; ++k) {
            if (!((m_keysPressed >> k) & 1u)) continue;
            const PinRef row = m_wiring.keypad->rows[static_cast<size_t>(k / 4)];
            const PinRef column = m_wiring.keypad->columns[static_cast<size_t>(k % 4)];
            if (!PinHigh(before, row)) SetPin(pulls, column);
            if (!PinHigh(before, column)) SetPin(pulls, row);
        }
    }
    m_pulls = pulls;
    const PortBytes levels = Levels(latches, pulls);
    if (levels == m_levels) return;
    m_levels = levels;
    if (m_digits) m_digits->OnPins(levels, m_now);
    if (m_lcd) m_lcd->OnPins(levels, m_now);
    if (m_buzzer) m_buzzer->OnPins(levels, m_now);
}

}  // namespace zelo::board
