// Step and run control of the simulated chip: one step (fetch, step-over,
// execute, advance, count, timers, transmit, interrupts), the run toggle with
// its stop conditions, and batches of steps for a run driven by a window
// timer. It knows nothing of widgets: every step returns a StepReport saying
// what changed and what the views must show.
//
// Undisplayed steps build no strings and allocate nothing: the trace lines are
// made only for steps whose results are shown.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/breakpoints.h"
#include "core/call_stack.h"
#include "core/cpu_state.h"
#include "core/current_instruction.h"
#include "core/executor.h"
#include "core/input_feeder.h"
#include "core/input_script.h"
#include "core/interrupt_state.h"
#include "core/opcode_table.h"
#include "core/peripheral_state.h"
#include "core/step_journal.h"
#include "core/watch_list.h"

namespace zelo::core {

inline constexpr int kMaxStepOverRanges = 20;
inline constexpr int kMaxStepOverRows = 300;
inline constexpr const char* kTraceStopMnemonic = "--STOP--";

// A subroutine the assembler found: shown in the step-over list.
struct StepOverRow {
    std::string name;
    uint16_t start = 0;
    uint16_t end = 0;
};
struct StepOverRange {
    uint16_t start = 0;
    uint16_t end = 0;
};

// What one step (or a batch of steps) changed.
struct StepReport {
    int stepsExecuted = 0;        // instructions executed (a batch may run many)
    bool executed = false;        // the last step executed an instruction
    bool countersShown = false;   // "PC:", "Cycle:", "Step:" and the traces must be shown
    bool viewsRefreshed = false;  // the machine-state views must be redrawn
    bool pinsChanged = false;     // the pin picture must be redrawn
    bool interruptEntered = false;
    bool runEnded = false;                     // a run was stopped by this step (caption back to "RUN")
    StopReason stopReason = StopReason::None;  // the stop request consumed, if any
    uint16_t stopAddress = 0;                  // Break: the breakpoint's address
    int watchIndex = -1;                       // Watch: the watch that was hit
    // When countersShown: the instruction just executed (HexBox) and the next
    // one (HexText).
    std::string executedTrace;
    std::string nextTrace;
    // TextStop after the stopping half of the run toggle rewrote it.
    std::optional<std::string> textStop;
};

class Simulator
{
public:
    explicit Simulator(ChipModel chip = ChipModel::C8051, const OpcodeTable& table = StandardOpcodeTable());

    CpuState& Cpu() { return m_cpu; }
    const CpuState& Cpu() const { return m_cpu; }
    PeripheralState& Peripherals() { return m_peripherals; }
    const PeripheralState& Peripherals() const { return m_peripherals; }
    // The world outside the chip: pulls, clocks, voltages, the serial line,
    // the input script's position.
    OutsideState& Outside() { return m_outside; }
    const OutsideState& Outside() const { return m_outside; }
    InterruptState& Interrupts() { return m_interrupts; }
    const InterruptState& Interrupts() const { return m_interrupts; }
    const CurrentInstruction& Current() const { return m_current; }

    // --- chip and load ---
    // Selects the chip: memory reset with in-use flags cleared, SFR table rebuilt.
    void SelectChip(ChipModel chip);
    // The resets of the load command before the HEX file is read: chip memory
    // (in-use flags kept), SFR table, peripherals, interrupts, counters, PC.
    // Does nothing and returns false while a run is in progress.
    bool ResetForLoad();

    // --- counters ---
    uint64_t CycleCounter() const { return m_cycles; }
    uint64_t StepCounter() const { return m_steps; }
    uint16_t ProgramCounter() const { return m_cpu.programCounter; }
    static std::string PcCaption(uint16_t pc);  // "PC:0000"

    // --- display and stop step ---
    bool DisplayFlag() const { return m_displayFlag; }
    void SetDisplayFlag(bool on) { m_displayFlag = on; }
    int64_t StopAtStep() const { return m_stopAtStep; }
    // Keeps the text of TextStop, read by the run toggle and at a stop.
    void SetTextStop(std::string_view text) { m_textStop = text; }
    const std::string& TextStop() const { return m_textStop; }

    // --- step-over ---
    void SetStepOverTable(std::vector<StepOverRow> rows);
    const std::vector<StepOverRow>& StepOverTable() const { return m_stepOverTable; }
    bool HasStepOverTable() const { return !m_stepOverTable.empty(); }
    // A click in the step-over list: the selected rows (indexes, in order, up
    // to 20) become the ranges and the display is switched on.
    void ChooseStepOverRows(const std::vector<int>& selected);
    void ClearStepOverRanges() { m_rangeCount = 0; }
    // A run is inside a chosen subroutine (undisplayed by step-over).
    bool InsideStepOver() const { return m_insideStepOver; }
    // OneStep on an ACALL/LCALL into a chosen subroutine: the call and the
    // whole subroutine up to its return, in one go (stopping early at a
    // breakpoint, a watch or any other stop, or after maxSteps). Nothing when
    // the instruction at PC is no such call.
    std::optional<StepReport> StepOverCall(uint64_t maxSteps);
    // The chosen subroutine an ACALL/LCALL at the address calls, if any.
    std::optional<StepOverRow> SteppedOverCallAt(uint16_t address) const;
    int StepOverRangeCount() const { return m_rangeCount; }

    // --- stepping and running ---
    bool Running() const { return m_running; }
    // The Run button: starts or stops the run, then reads TextStop.
    StepReport ToggleRun();
    // OneStep: ends any run and executes one step.
    StepReport OneStep();
    StepReport ExecuteStep();
    // Up to maxSteps steps while running: returns after a displayed step
    // (so displayed runs still show every step) or a stop.
    StepReport RunBatch(int maxSteps);

    // --- outside the chip (between steps) ---
    // The events of an input script, applied as the cycle counter reaches
    // them; their bytes join the receive queue. Replaces earlier events; a
    // load starts them again from the beginning.
    void SetInputEvents(std::vector<InputEvent> events);
    const std::vector<InputEvent>& InputEvents() const { return m_inputEvents; }
    // The pins one source (script, click, board) pulls low, bit k of byte n
    // being Pn.k. The board calls this after each step with its answer.
    void SetPullDowns(PullSource source, const PortBytes& pulls);
    const PortBytes& PullDowns(PullSource source) const
    {
        return m_outside.pins.pullBy[static_cast<std::size_t>(source)];
    }
    // A byte sent to RXD now (a terminal); it arrives one character time
    // after the bytes before it.
    void QueueReceive(uint8_t byte, bool ninth = true);
    // Bytes queued and not yet complete on RXD.
    std::size_t ReceiveWaiting() const;
    // Latches as the program wrote P0-P3 ("0" cells 0, others 1) and the pin
    // levels (latch AND NOT pulled).
    PortBytes Latches() const;
    PortBytes PinLevels() const { return core::PinLevels(m_cpu.internal, m_outside.pins); }
    // The transmit stream: every byte the program wrote to SBUF, counted;
    // the last kTransmitKept of them are kept.
    static constexpr std::size_t kTransmitKept = 64 * 1024;
    uint64_t TransmittedCount() const { return m_peripherals.transmittedCount; }
    std::vector<uint8_t> TransmittedBytes() const;
    // True once the script's end event was reached.
    bool InputDone() const { return m_outside.inputDone; }

    // The trace line of the instruction at an address (B0 B1 B2, mnemonic,
    // operands); "--STOP--" when nothing is loaded there.
    std::string TraceLineAt(uint16_t address) const;
    const std::string& TraceLine() const { return m_traceLine; }

    // --- breakpoints and watches ---
    // A run stops before executing an instruction at a breakpoint, except
    // the first instruction of the run.
    BreakpointSet& Breakpoints() { return m_breakpoints; }
    const BreakpointSet& Breakpoints() const { return m_breakpoints; }
    // "Run to line": the next run also stops before this address, once.
    void SetRunTo(std::optional<uint16_t> address) { m_runTo = address; }
    std::optional<uint16_t> RunTo() const { return m_runTo; }
    // A run stops after a step that wrote a watched cell (leaving the chosen
    // value, when one is chosen).
    const WatchList& Watches() const { return m_watches; }
    bool AddWatch(const Watch& watch);
    void RemoveWatch(std::size_t index);
    void ClearWatches();

    // --- calls in progress ---
    const CallStack& Calls() const { return m_calls; }

    // --- step back ---
    // Recording keeps the last steps (StepJournal's budget) for StepBack.
    void SetRecording(bool on);
    bool Recording() const { return m_journal.Recording(); }
    const StepJournal& Journal() const { return m_journal; }
    // Undoes the newest recorded step exactly (cells, counters, peripherals,
    // interrupt levels, log, calls); false when none is kept or a run is on.
    bool StepBack();

private:
    bool Fetch();
    void ApplyTextStop(std::optional<std::string>& rewritten);
    void StopRun(StepReport& report);
    void TrackCalls(uint16_t pc, const OpcodeRow& row);
    void ForgetHistory();
    void RestartInputs();
    void NoteTransmit();

    const OpcodeTable& m_table;
    Executor m_executor;
    CpuState m_cpu;
    PeripheralState m_peripherals;
    OutsideState m_outside;
    InterruptState m_interrupts;
    CurrentInstruction m_current;

    uint64_t m_cycles = 0;
    uint64_t m_steps = 0;
    bool m_running = false;
    bool m_displayFlag = true;
    int64_t m_stopAtStep = 0;
    std::string m_textStop = "0";
    std::string m_traceLine;

    BreakpointSet m_breakpoints;
    std::optional<uint16_t> m_runTo;
    bool m_breakArmed = false;  // the run has executed its first instruction
    WatchList m_watches;
    CallStack m_calls;
    StepJournal m_journal;
    std::vector<InputEvent> m_inputEvents;
    std::vector<ReceiveByte> m_receiveQueue;
    std::vector<uint8_t> m_transmitRing = std::vector<uint8_t>(kTransmitKept);

    std::vector<StepOverRow> m_stepOverTable;
    std::array<StepOverRange, kMaxStepOverRanges> m_ranges{};
    int m_rangeCount = 0;
    bool m_insideStepOver = false;
};

}  // namespace zelo::core
