// The accessory board's commands: choosing a board, the user's inputs on it,
// the terminal's typed lines, and stepping the board with a run.
#include "app/workbench.h"

namespace zelo::app {

core::StepReport Workbench::RunBatchWithBoard(int maxSteps)
{
    core::StepReport total;
    int executed = 0;
    bool pins = false, interrupt = false;
    for (int i = 0; i < maxSteps && m_sim.Running(); ++i) {
        total = m_sim.RunBatch(1);
        m_accessory.AfterStep(m_sim, total.executed);
        executed += total.stepsExecuted;
        pins = pins || total.pinsChanged;
        interrupt = interrupt || total.interruptEntered;
        if (total.countersShown || total.viewsRefreshed || total.runEnded || !total.executed) break;
    }
    total.stepsExecuted = executed;
    total.pinsChanged = pins;
    total.interruptEntered = interrupt;
    return total;
}

void Workbench::AfterBoardInput()
{
    // The port registers may have changed under the program.
    RefreshStateView();
    if (m_showPins) UpdatePins();
}

void Workbench::ChooseBoard(int index)
{
    m_accessory.Rewire(index, m_chipModel, m_sim);
    AfterBoardInput();
}

void Workbench::BoardButton(int index, bool pressed)
{
    m_accessory.SetButton(m_sim, index, pressed);
    AfterBoardInput();
}

void Workbench::BoardSwitch(int index)
{
    m_accessory.ToggleSwitch(m_sim, index);
    AfterBoardInput();
}

void Workbench::BoardKey(int row, int column, bool pressed)
{
    m_accessory.SetKey(m_sim, row, column, pressed);
    AfterBoardInput();
}

std::string Workbench::TerminalSend(const std::string& line, bool hex)
{
    return m_accessory.Terminal().Send(line, hex);
}

}  // namespace zelo::app
