// The accessory board of `z51 run --board BOARD`: the board file read for
// the chip, stepped with the simulator, and what it shows added to the output.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/board_link.h"
#include "board/serial_terminal.h"
#include "core/simulator.h"

namespace zelo::tools {

class RunBoard
{
public:
    // BOARD is a file, or the name of one in the boards folder beside the
    // HEX file ("lcd" for boards/lcd.json). A file that cannot be used gives
    // its problems; pins the chip lacks only leave their component off.
    std::optional<std::string> Open(const std::string& board,
                                    const std::filesystem::path& hexFolder, core::ChipModel chip);
    void AfterStep(core::Simulator& sim, bool executed)
    {
        m_link.AfterStep(sim, m_board, &m_terminal, executed);
    }
    nlohmann::json Report() const;
    // The board's lines of the text output.
    std::string Text() const;

private:
    board::Board m_board;
    board::BoardLink m_link;
    board::SerialTerminal m_terminal;
    std::vector<std::string> m_problems;
};

}  // namespace zelo::tools
