// A buzzer on one port pin: it sounds at the frequency the program toggles
// the pin, measured between rising edges; silent when the pin stops moving.
#pragma once

#include <cstdint>

#include "board/board_wiring.h"

namespace zelo::board {

class Buzzer
{
public:
    static constexpr uint64_t kNever = UINT64_MAX;
    // No edge for this long (or two periods, if longer) and it is silent.
    static constexpr uint64_t kSilence = CyclesOfMicroseconds(50'000);

    explicit Buzzer(const BuzzerWiring& wiring) : m_pin(wiring.pin) {}

    void Reset();
    void OnPins(const PortBytes& levels, uint64_t now);
    // Hz, rounded; 0 when silent.
    int FrequencyHz(uint64_t now) const;

private:
    PinRef m_pin;
    bool m_high = true;
    uint64_t m_lastRise = kNever;
    uint64_t m_period = 0;
};

}  // namespace zelo::board
