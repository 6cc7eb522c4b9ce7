#include "app/accessory_board.h"

#include "board/board_wiring.h"

namespace zelo::app {

void AccessoryBoard::Open(const std::filesystem::path& folder, core::ChipModel chip)
{
    m_opened = true;
    m_files = board::ListBoardFiles(folder);
    m_names.clear();
    for (const auto& file : m_files) m_names.push_back(board::ReadBoardFile(file, chip).wiring.name);
    int chosen = m_files.empty() ? -1 : 0;
    for (size_t i = 0; i < m_files.size(); ++i)
        if (m_files[i].filename() == kDefaultBoardFile) chosen = static_cast<int>(i);
    Choose(chosen, chip);
}

void AccessoryBoard::MachineReset(const std::filesystem::path& folder, core::ChipModel chip,
                                  core::Simulator& sim)
{
    if (m_opened)
        ChipChanged(chip);
    else
        Open(folder, chip);
    ProgramLoaded(sim);
}

void AccessoryBoard::Choose(int index, core::ChipModel chip)
{
    m_problems.clear();
    if (index < 0 || index >= static_cast<int>(m_files.size())) {
        m_chosen = -1;
        m_board = board::Board();
        return;
    }
    m_chosen = index;
    board::BoardRead read = board::ReadBoardFile(m_files[static_cast<size_t>(index)], chip);
    m_problems = std::move(read.problems);
    m_board = board::Board(std::move(read.wiring));
    m_link.Reset();
}

void AccessoryBoard::Rewire(int index, core::ChipModel chip, core::Simulator& sim)
{
    m_board = board::Board();
    Sync(sim);
    Choose(index, chip);
    Sync(sim);
}

void AccessoryBoard::ProgramLoaded(core::Simulator& sim)
{
    m_board.Reset();
    m_link.Reset();
    m_terminal.Reset();
    Sync(sim);
}

void AccessoryBoard::SetButton(core::Simulator& sim, int index, bool pressed)
{
    m_board.SetButton(index, pressed);
    Sync(sim);
}

void AccessoryBoard::ToggleSwitch(core::Simulator& sim, int index)
{
    m_board.SetSwitch(index, !m_board.SwitchClosed(index));
    Sync(sim);
}

void AccessoryBoard::SetKey(core::Simulator& sim, int row, int column, bool pressed)
{
    m_board.SetKey(row, column, pressed);
    Sync(sim);
}

}  // namespace zelo::app
