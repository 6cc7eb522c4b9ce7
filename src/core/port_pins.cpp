#include "core/port_pins.h"

namespace zelo::core {

void CombinePulls(PortPins& pins, bool hasComparator)
{
    PortBytes pulled{};
    for (const PortBytes& source : pins.pullBy)
        for (int p = 0; p < kPorts; ++p)
            pulled[static_cast<std::size_t>(p)] |= source[static_cast<std::size_t>(p)];
    if (hasComparator && pins.analogGiven && !(pins.ain[0] > pins.ain[1]))
        pulled[3] = static_cast<uint8_t>(pulled[3] | (1u << pin::kComparatorOut));
    pins.anyPulled = pulled != PortBytes{};
    pins.changed = pins.changed || pulled != pins.pulled;
    pins.pulled = pulled;
}

PortBytes PinLevels(const std::array<std::array<BitCell, 8>, 256>& internal, const PortPins& pins)
{
    PortBytes levels{};
    for (int p = 0; p < kPorts; ++p) {
        const auto i = static_cast<std::size_t>(p);
        levels[i] = static_cast<uint8_t>(LatchByte(internal[PortAddress(p)]) & ~pins.pulled[i]);
    }
    return levels;
}

}  // namespace zelo::core
