// Interrupt levels in service, shared by the executor (RETI ends the level in
// service) and the interrupt system (entering an interrupt starts one).
#pragma once

#include <array>

namespace zelo::core {

struct InterruptState {
    // [0] low level, [1] high level.
    std::array<bool, 2> inService{};

    bool operator==(const InterruptState&) const = default;

    // RETI ends the highest level in service.
    void EndHighestInService()
    {
        if (inService[1])
            inService[1] = false;
        else
            inService[0] = false;
    }
};

}  // namespace zelo::core
