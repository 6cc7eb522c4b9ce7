// The load command of the simulate mode: resets the chip, its peripherals and
// the counters, reads the HEX file into code memory and starts at 0000H.
#pragma once

#include <filesystem>
#include <string_view>

#include "core/simulator.h"
#include "loader/intel_hex.h"

namespace zelo::loader {

struct LoadProgramResult {
    bool done = false;  // false while a run is in progress: nothing happened
    HexLoadResult hex;  // what the read found
};

// hexToLineText is what the HexToLine box holds before the load: a number
// there moves the record viewer to that line.
LoadProgramResult LoadProgram(core::Simulator& simulator, const std::filesystem::path& folder,
                              const HexFileChoice& choice, HexLoaderState& state,
                              std::string_view hexToLineText = "");

}  // namespace zelo::loader
