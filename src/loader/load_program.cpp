#include "loader/load_program.h"

namespace zelo::loader {

LoadProgramResult LoadProgram(core::Simulator& simulator, const std::filesystem::path& folder,
                              const HexFileChoice& choice, HexLoaderState& state,
                              std::string_view hexToLineText)
{
    LoadProgramResult result;
    if (!simulator.ResetForLoad()) return result;
    result.done = true;
    result.hex = ReadHexIntoCodeMemory(folder, choice, simulator.Cpu(), state, hexToLineText);
    simulator.Cpu().programCounter = 0;
    return result;
}

}  // namespace zelo::loader
