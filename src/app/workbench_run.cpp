// Assembling, stepping, running and loading code: the commands that drive
// the assembler session and the simulator.
#include "app/workbench.h"

#include "app/file_names.h"
#include "app/load_texts.h"

#include <chrono>

#include "loader/load_program.h"

namespace zelo::app {

// --- assembler ------------------------------------------------------------------------

void Workbench::AsmNextLine()
{
    if (!m_asm.IsAssembling()) {
        m_asm.SetChip(m_chipModel);
        m_asm.SetProgramName(m_programName);
        m_asm.SetSourceText(m_sourceText);
    }
    AfterAssembly(m_asm.AsmNextLine());
}

void Workbench::AsmAll()
{
    m_asm.SetChip(m_chipModel);
    m_asm.SetProgramName(m_programName);
    m_asm.SetSourceText(m_sourceText);
    AfterAssembly(m_asm.AsmAll());
    m_problemLine.reset();
    if (const int line = m_asm.FirstProblemSourceLine(); line > 0 && !m_asm.Succeeded()) m_problemLine = line - 1;
}

void Workbench::AfterAssembly(const assembler::AsmStep& step)
{
    m_asmTexts.Follow(m_asm, step);
    m_texts.asmFileCaption = m_asmTexts.asmFileCaption;
    m_texts.asmText = m_asmTexts.asmText;
    m_texts.parsecText = m_asmTexts.trace;
    m_texts.status = m_asmTexts.status;
    m_texts.listBox = m_asmTexts.report;
    if (!m_asmTexts.failures.empty()) {
        if (!m_texts.listBox.empty()) m_texts.listBox += "\n";
        m_texts.listBox += m_asmTexts.failures;
    }
    if (!m_asm.Finished()) return;
    m_hexFromProgram = m_asm.Succeeded();
    m_assemblyFailed = !m_asm.Succeeded();
    if (!m_asm.Succeeded()) {
        // The HEX file of an earlier pass is not this source's code any more.
        m_programPending = false;
        return;
    }
    m_programPending = true;
    m_pendingName = m_programName;
    // Each called subroutine runs from its address to its first RET.
    m_sim.SetStepOverTable(assembler::StepOverRows(assembler::BuildStepOverTable(m_asm.Result())));
    m_stepOverRows.clear();
    for (const auto& row : m_sim.StepOverTable()) m_stepOverRows.push_back(row.name);
    m_stepOverReady = m_sim.HasStepOverTable();
    LoadUsageCounters();
}

// --- simulation ---------------------------------------------------------------------------

void Workbench::SetRunControlsEnabled(bool on)
{
    for (Control c : {Control::ReLoadCom, Control::StepOverCom, Control::LoadCode, Control::OneStep,
                      Control::RamOp, Control::Chip})
        m_controls.Enable(c, on);
}

void Workbench::EnableAfterRun()
{
    m_texts.runCaption = "RUN";
    SetRunControlsEnabled(true);
}

void Workbench::ShowCounters()
{
    m_texts.hexToLine = core::Simulator::PcCaption(m_sim.ProgramCounter());
    m_texts.cycle = "Cycle:" + std::to_string(m_sim.CycleCounter());
    m_texts.stepVo = "Step:" + std::to_string(m_sim.StepCounter());
}

void Workbench::UpdateMarks()
{
    const auto& current = m_sim.Current();
    m_marks.operands = {current.source, current.destination, core::OperandAddress{}, core::OperandAddress{}};
    m_marks.changed.assign(current.changed.begin(), current.changed.begin() + current.changedCount);
    m_marks.timer0Counting = m_sim.Peripherals().timerUsed[0];
    m_marks.timer1Counting = m_sim.Peripherals().timerUsed[1];
}

void Workbench::ApplyStepReport(const core::StepReport& report)
{
    if (report.countersShown) {
        if (report.executed)
            m_texts.hexBox = WithListingText(report.executedTrace, m_sim.Current().address);
        m_texts.hexText = WithListingText(report.nextTrace, m_sim.ProgramCounter());
        ShowCounters();
    }
    if (report.viewsRefreshed) {
        UpdateMarks();
        RefreshStateView();
        if (m_fileType == FileType::Ram) m_ramListRows = RamDumpRows();
    }
    if (report.textStop) m_texts.textStop = *report.textStop;
    if (report.runEnded) EnableAfterRun();
    if (m_showPins && report.pinsChanged) UpdatePins();
    // The log is bounded and its text is built only when it changed; the
    // listing box takes a copy only when it differs.
    const std::string& log = m_sim.Cpu().simulationLog.Text();
    if (m_texts.listBox != log) m_texts.listBox = log;
    if (report.countersShown || report.runEnded) UpdateDebugView(&report);
}

void Workbench::ClickRun()
{
    m_sim.SetTextStop(m_texts.textStop);
    const bool wasRunning = m_sim.Running();
    const auto report = m_sim.ToggleRun();
    if (!wasRunning) {
        SetRunControlsEnabled(false);
        m_texts.runCaption = "STOP";
        m_marks.noInstructionYet = false;
        if (report.textStop) m_texts.textStop = *report.textStop;
        return;
    }
    ApplyStepReport(report);
    EnableAfterRun();
}

void Workbench::OneStep()
{
    m_texts.runCaption = "RUN";
    m_controls.Enable(Control::LoadCode);
    m_marks.noInstructionYet = false;
    m_sim.SetTextStop(m_texts.textStop);
    const bool wasRunning = m_sim.Running();
    // A call into a subroutine chosen in the step-over list runs it to its
    // return in one press.
    const auto called = m_sim.SteppedOverCallAt(m_sim.ProgramCounter());
    if (const auto over = m_sim.StepOverCall(kMaxSteppedOver)) {
        // The board sees where the subroutine left the ports.
        m_accessory.AfterStep(m_sim, over->executed);
        ApplyStepReport(*over);
        std::string message =
            "Stepped over " +
            (called->name.empty() ? core::ToHexWord(called->start) + "H" : called->name) + ": " +
            std::to_string(over->stepsExecuted) + " steps";
        if (over->stopReason != core::StopReason::None) message += ", stopped inside it";
        m_texts.listBox = message + (m_texts.listBox.empty() ? "" : "\r\n" + m_texts.listBox);
        m_debugPanel.SetStopMessage(message);
    } else {
        const auto report = m_sim.OneStep();
        m_accessory.AfterStep(m_sim, report.executed);
        ApplyStepReport(report);
    }
    if (wasRunning) EnableAfterRun();
    m_controls.Enable(Control::RamOp);
    m_controls.Enable(Control::Chip);
}

int Workbench::Timer1Tick(int budgetMicroseconds)
{
    if (!m_sim.Running()) return 0;
    if (m_sim.DisplayFlag()) {
        const auto report = RunBatchWithBoard(1);
        ApplyStepReport(report);
        return report.stepsExecuted;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::microseconds(budgetMicroseconds);
    int steps = 0;
    core::StepReport report;
    do {
        report = RunBatchWithBoard(4096);
        steps += report.stepsExecuted;
    } while (m_sim.Running() && !m_sim.DisplayFlag() && !report.countersShown && !report.viewsRefreshed &&
             Clock::now() < deadline);
    ApplyStepReport(report);
    // Inside a stepped-over subroutine the counters show the run's progress.
    if (m_sim.InsideStepOver() && !report.countersShown) ShowCounters();
    return steps;
}

void Workbench::StepOverCom()
{
    const bool shown = m_controls.Visible(Control::StepOverList);
    m_controls.SetVisible(Control::StepOverList, !shown);
    m_controls.Enable(Control::ReLoadCom, shown);
}

void Workbench::StepOverListSelect(const std::vector<int>& rows) { m_sim.ChooseStepOverRows(rows); }

void Workbench::ReLoadCom()
{
    m_sim.ClearStepOverRanges();
    m_controls.Enable(Control::StepOverCom, false);
    m_hexFromProgram = true;
    m_hexState.programName = m_codeName.empty() ? m_programName : m_codeName;
    LoadProgram(loader::HexFileChoice{true, ""});
    m_hexFromProgram = false;
    m_programPending = true;
    m_pendingName = m_hexState.programName;
    m_stepOverReady = m_sim.HasStepOverTable();
    m_controls.Enable(Control::StepOverCom, m_stepOverReady);
    if (m_stepOverReady && !m_modeIsAssemble) m_controls.Show(Control::StepOverCom);
}

void Workbench::LoadProgram(const loader::HexFileChoice& choice)
{
    const auto result = loader::LoadProgram(m_sim, m_workspace, choice, m_hexState, m_texts.hexToLine);
    if (!result.done) return;  // a run is in progress
    m_accessory.ProgramLoaded(m_sim);
    m_texts.hexText.clear();
    m_texts.listBox.clear();
    m_texts.label1 = kAccessoryHeader;
    m_texts.label2 = kRomHeader;
    if (const auto caption = AsmFileCaptionAfterLoad(result.hex)) m_texts.asmFileCaption = *caption;
    // A load that reports nothing leaves the plain caption, not the report
    // of an earlier load.
    m_texts.hexFileCaption = HexFileCaption(result.hex).value_or(kHexFileCaption);
    // The rows show code memory as the load left it, also after a failure.
    m_codeListRows = RomRows(m_sim.Cpu());
    // A HEX file names the loaded code only; the source keeps its own name.
    if (result.hex.problem != loader::HexLoadProblem::NoProgram &&
        result.hex.problem != loader::HexLoadProblem::MissingFile)
        m_codeName = m_hexState.programName;
    m_texts.hexToLine = core::Simulator::PcCaption(0);
    m_texts.cycle = "Cycle:0";
    m_texts.stepVo = "Step:0";
    m_texts.hexBox.clear();
    m_sim.SetDisplayFlag(true);
    m_marks = StateMarks{};
    m_marks.noInstructionYet = true;
    m_picture.SelectLayout(PictureLayout::RamBit, PictureSources(), m_marks);
    if (m_fileType == FileType::Ram) m_ramListRows = RamDumpRows();
    UpdatePins();
    PrepareDebugging();
}

}  // namespace zelo::app
