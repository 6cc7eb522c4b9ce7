#include "board/buzzer.h"

#include <algorithm>
#include <cmath>

namespace zelo::board {

void Buzzer::Reset()
{
    m_high = true;
    m_lastRise = kNever;
    m_period = 0;
}

void Buzzer::OnPins(const PortBytes& levels, uint64_t now)
{
    const bool high = PinHigh(levels, m_pin);
    const bool rising = high && !m_high;
    m_high = high;
    if (!rising) return;
    // After a silence the first edge starts a new measurement.
    const bool continued =
        m_lastRise != kNever && now - m_lastRise <= std::max(kSilence, 2 * m_period);
    m_period = continued ? now - m_lastRise : 0;
    m_lastRise = now;
}

int Buzzer::FrequencyHz(uint64_t now) const
{
    if (m_period == 0 || m_lastRise == kNever || now < m_lastRise) return 0;
    if (now - m_lastRise > std::max(kSilence, 2 * m_period)) return 0;
    return static_cast<int>(std::lround(kCyclesPerSecond / static_cast<double>(m_period)));
}

}  // namespace zelo::board
