// The "  Accessory Display" of Simulate mode: the board chosen from the
// workspace's boards folder, stepped with the program, with the serial
// terminal beside it. The window draws it and forwards clicks and typing;
// everything it does is here.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/board_link.h"
#include "board/serial_terminal.h"
#include "core/simulator.h"

namespace zelo::app {

inline constexpr const char* kBoardsFolder = "boards";
inline constexpr const char* kDefaultBoardFile = "leds_and_switches.json";

class AccessoryBoard
{
public:
    // Lists the board files of the folder and chooses the default one (or
    // the first) for the chip.
    void Open(const std::filesystem::path& boardsFolder, core::ChipModel chip);
    // The machine was initialised for a chip: the first time the folder is
    // opened, later the chosen board is read again for the chip (its limits
    // may differ); the board powers up again.
    void MachineReset(const std::filesystem::path& boardsFolder, core::ChipModel chip,
                      core::Simulator& sim);
    const std::vector<std::filesystem::path>& Files() const { return m_files; }
    // The boards' own names ("LCD"), or their file names when they have none.
    const std::vector<std::string>& Names() const { return m_names; }
    int Chosen() const { return m_chosen; }
    // Reads the chosen file; a file that cannot be used leaves an empty
    // board and its problems.
    void Choose(int index, core::ChipModel chip);
    void ChipChanged(core::ChipModel chip) { Choose(m_chosen, chip); }
    // Another board while a program is loaded: the old board lets go of the
    // pins it held before the new one is wired.
    void Rewire(int index, core::ChipModel chip, core::Simulator& sim);
    const std::vector<std::string>& Problems() const { return m_problems; }

    // A program was loaded: displays power up again, the terminal is cleared.
    void ProgramLoaded(core::Simulator& sim);
    // The port registers were changed outside a step (a click on a chip pin).
    void PortsChanged(core::Simulator& sim) { Sync(sim); }
    void AfterStep(core::Simulator& sim, bool executed)
    {
        m_link.AfterStep(sim, m_board, &m_terminal, executed);
    }

    // Inputs; each shows at once on the board and in the port registers.
    void SetButton(core::Simulator& sim, int index, bool pressed);
    void ToggleSwitch(core::Simulator& sim, int index);
    void SetKey(core::Simulator& sim, int row, int column, bool pressed);

    const board::Board& Board() const { return m_board; }
    board::SerialTerminal& Terminal() { return m_terminal; }
    const board::SerialTerminal& Terminal() const { return m_terminal; }

private:
    void Sync(core::Simulator& sim) { m_link.AfterStep(sim, m_board, &m_terminal, false); }

    bool m_opened = false;
    std::vector<std::filesystem::path> m_files;
    std::vector<std::string> m_names;
    int m_chosen = -1;
    std::vector<std::string> m_problems;
    board::Board m_board;
    board::BoardLink m_link;
    board::SerialTerminal m_terminal;
};

}  // namespace zelo::app
