#include <algorithm>
#include <array>
#include <optional>

#include "core/ascii_text.h"
#include "core/cell_word.h"
#include "core/hex_text.h"
#include "core/interrupts.h"
#include "core/serial.h"
#include "core/simulator.h"
#include "core/timers.h"

namespace zelo::core {

namespace {

constexpr std::array<int8_t, 256> MakeHexDigitTable()
{
    std::array<int8_t, 256> table{};
    for (auto& v : table) v = -1;
    for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) table[static_cast<std::size_t>(c)] = static_cast<int8_t>(c - 'a' + 10);
    return table;
}
constexpr std::array<int8_t, 256> kHexDigit = MakeHexDigitTable();

// The value of a code byte, upper-casing the cell in place as the fetch
// does; -1 when the cell holds no byte ("xx").
int FetchCell(HexCell& cell)
{
    const int hi = kHexDigit[static_cast<unsigned char>(cell.hi)];
    const int lo = kHexDigit[static_cast<unsigned char>(cell.lo)];
    if (hi < 0 || lo < 0) return -1;
    if (cell.hi >= 'a') cell.hi = static_cast<char>(cell.hi - 'a' + 'A');
    if (cell.lo >= 'a') cell.lo = static_cast<char>(cell.lo - 'a' + 'A');
    return 16 * hi + lo;
}

int PeekCell(const HexCell& cell)
{
    const int hi = kHexDigit[static_cast<unsigned char>(cell.hi)];
    const int lo = kHexDigit[static_cast<unsigned char>(cell.lo)];
    return hi < 0 || lo < 0 ? -1 : 16 * hi + lo;
}

// The undefined opcode has no length and no cycles: executing it would
// hold the program counter for ever, so it stops the run like missing code.
constexpr uint8_t kUndefinedOpcode = 0xA5;

std::string TraceText(std::string_view b0, std::string_view b1, std::string_view b2, const OpcodeRow* row)
{
    std::string line;
    line.reserve(48);
    AppendField(b0, 3, line);
    AppendField(b1, 3, line);
    AppendField(b2, 3, line);
    AppendField(row ? std::string_view(row->mnemonicText) : std::string_view(kTraceStopMnemonic), 6, line);
    AppendField(row ? std::string_view(row->operands[0]) : std::string_view(), 8, line);
    AppendField(row ? std::string_view(row->operands[1]) : std::string_view(), 8, line);
    AppendField(row ? std::string_view(row->operands[2]) : std::string_view(), 6, line);
    return line;
}

// "12", "-3", " 40 ": a whole number, blanks around it allowed.
std::optional<int64_t> ParseStepNumber(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        if (value < 1'000'000'000'000'000) value = 10 * value + (c - '0');
    }
    return negative ? -value : value;
}

}  // namespace

Simulator::Simulator(ChipModel chip, const OpcodeTable& table) : m_table(table), m_executor(table), m_cpu(chip)
{
    m_traceLine = TraceLineAt(0);
}

std::string Simulator::PcCaption(uint16_t pc)
{
    return "PC:" + ToHexWord(pc);
}

void Simulator::SelectChip(ChipModel chip)
{
    m_cpu.SetChip(chip);
    m_cpu.ResetInternalMemory(false);
    m_cpu.BuildSfrTable();
    ForgetHistory();
}

bool Simulator::ResetForLoad()
{
    if (m_running) return false;
    m_cpu.ResetInternalMemory(true);
    m_cpu.BuildSfrTable();
    m_cpu.TakeStopRequest();
    m_cpu.simulationLog.Clear();
    m_peripherals.Reset();
    m_outside.Reset();
    m_interrupts = InterruptState{};
    m_cycles = 0;
    m_steps = 0;
    m_cpu.programCounter = 0;
    m_current = CurrentInstruction{};
    m_insideStepOver = false;
    ForgetHistory();
    RestartInputs();
    return true;
}

void Simulator::RestartInputs()
{
    m_receiveQueue.clear();
    for (const InputEvent& event : m_inputEvents) {
        if (event.kind != InputEvent::Kind::Uart) continue;
        for (uint8_t byte : event.bytes) m_receiveQueue.push_back(ReceiveByte{byte, event.ninth, event.cycle});
    }
    m_outside.inputNext = 0;
    m_outside.receiveNext = 0;
    m_outside.inputDone = false;
    m_outside.nextInputCycle = m_inputEvents.empty() ? kNoInputCycle : 0;
}

void Simulator::SetInputEvents(std::vector<InputEvent> events)
{
    SortByTime(events);
    m_inputEvents = std::move(events);
    m_outside.Reset();
    RestartInputs();
    // Events already due apply before the next step.
    if (!m_inputEvents.empty()) m_outside.nextInputCycle = 0;
}

void Simulator::SetPullDowns(PullSource source, const PortBytes& pulls)
{
    core::SetPullDowns(m_cpu, m_outside, source, pulls);
}

void Simulator::QueueReceive(uint8_t byte, bool ninth)
{
    // Bytes already received are dropped first, so a terminal feeding a
    // long session keeps the queue short.
    if (m_outside.receiveNext > 0 && m_outside.receiveEnd == 0 && m_outside.receiveNext >= m_receiveQueue.size() &&
        m_outside.inputNext >= m_inputEvents.size()) {
        m_receiveQueue.clear();
        m_outside.receiveNext = 0;
    }
    m_receiveQueue.push_back(ReceiveByte{byte, ninth, m_cycles});
    m_outside.nextInputCycle = std::min(m_outside.nextInputCycle, m_cycles);
}

std::size_t Simulator::ReceiveWaiting() const
{
    return m_receiveQueue.size() > m_outside.receiveNext ? m_receiveQueue.size() - m_outside.receiveNext : 0;
}

PortBytes Simulator::Latches() const
{
    PortBytes latches{};
    for (int p = 0; p < kPorts; ++p) latches[static_cast<std::size_t>(p)] = LatchByte(m_cpu.internal[PortAddress(p)]);
    return latches;
}

std::vector<uint8_t> Simulator::TransmittedBytes() const
{
    const uint64_t count = m_peripherals.transmittedCount;
    const uint64_t kept = std::min<uint64_t>(count, kTransmitKept);
    std::vector<uint8_t> bytes;
    bytes.reserve(kept);
    for (uint64_t i = count - kept; i < count; ++i) bytes.push_back(m_transmitRing[i % kTransmitKept]);
    return bytes;
}

// The program wrote SBUF: the byte joins the transmit stream.
void Simulator::NoteTransmit()
{
    m_transmitRing[m_peripherals.transmittedCount % kTransmitKept] = LatchByte(m_cpu.internal[sfr::SBUF]);
    ++m_peripherals.transmittedCount;
}

void Simulator::SetStepOverTable(std::vector<StepOverRow> rows)
{
    if (rows.size() > static_cast<std::size_t>(kMaxStepOverRows)) rows.resize(kMaxStepOverRows);
    m_stepOverTable = std::move(rows);
    m_rangeCount = 0;
}

void Simulator::ChooseStepOverRows(const std::vector<int>& selected)
{
    if (selected.empty()) return;
    m_displayFlag = true;
    m_rangeCount = 0;
    for (int index : selected) {
        if (m_rangeCount == kMaxStepOverRanges) break;
        if (index < 0 || index >= static_cast<int>(m_stepOverTable.size())) continue;
        const StepOverRow& row = m_stepOverTable[static_cast<std::size_t>(index)];
        m_ranges[static_cast<std::size_t>(m_rangeCount++)] = StepOverRange{row.start, row.end};
    }
}

std::string Simulator::TraceLineAt(uint16_t address) const
{
    const int b0 = PeekCell(m_cpu.codeMemory[address]);
    if (b0 < 0 || b0 == kUndefinedOpcode) return TraceText(m_cpu.codeMemory[address].Text(), "", "", nullptr);
    const OpcodeRow& row = m_table.Row(static_cast<uint8_t>(b0));
    std::string b1, b2;
    if (row.bytes > 1) b1 = ToUpperAscii(m_cpu.codeMemory[static_cast<uint16_t>(address + 1)].Text());
    if (row.bytes > 2) b2 = ToUpperAscii(m_cpu.codeMemory[static_cast<uint16_t>(address + 2)].Text());
    return TraceText(ToHexByte(static_cast<unsigned>(b0)), b1, b2, &row);
}

bool Simulator::Fetch()
{
    const uint16_t pc = m_cpu.programCounter;
    const int b0 = FetchCell(m_cpu.codeMemory[pc]);
    if (b0 < 0 || b0 == kUndefinedOpcode) return false;
    const OpcodeRow& row = m_table.Row(static_cast<uint8_t>(b0));
    int b1 = 0, b2 = 0;
    // An instruction whose operand bytes were never loaded cannot run either.
    if (row.bytes > 1 && (b1 = FetchCell(m_cpu.codeMemory[static_cast<uint16_t>(pc + 1)])) < 0) return false;
    if (row.bytes > 2 && (b2 = FetchCell(m_cpu.codeMemory[static_cast<uint16_t>(pc + 2)])) < 0) return false;

    m_current.row = &row;
    m_current.address = pc;
    m_current.b0 = static_cast<uint8_t>(b0);
    m_current.b1 = static_cast<uint8_t>(b1);
    m_current.b2 = static_cast<uint8_t>(b2);
    m_current.lowDigit = static_cast<uint8_t>(b0 & 0x0F);
    m_current.highDigit = static_cast<uint8_t>(b0 >> 4);
    m_current.instructionJumped = false;
    m_cpu.currentOpcode = static_cast<uint8_t>(b0);
    m_cpu.currentInstructionAddress = pc;
    return true;
}

StepReport Simulator::ExecuteStep()
{
    StepReport report;
    // Outside events due by now (one comparison while there are none). They
    // happen before the step and stay even if the step is taken back or stepped back:
    // the world outside does not rewind.
    if (m_cycles >= m_outside.nextInputCycle &&
        FeedInputs(m_cpu, m_outside, m_peripherals, m_inputEvents, m_receiveQueue, m_cycles)) {
        report.stopReason = StopReason::InputDone;
        report.viewsRefreshed = true;
        report.pinsChanged = true;
        if (m_running) StopRun(report);
        return report;
    }
    const bool recording = m_journal.Recording();
    if (recording) m_journal.BeginStep(m_cpu, m_calls.Depth(), m_displayFlag);
    if (!Fetch()) {
        // Nothing executes and no counter changes.
        if (recording) m_journal.DiscardStep(m_cpu, m_peripherals, m_interrupts, m_calls);
        m_cpu.RequestStop(StopReason::NoCode);
        report.stopReason = m_cpu.TakeStopRequest();
        if (m_running) StopRun(report);
        return report;
    }
    // What the step may change besides memory, kept so that a step that
    // stops on an undefined bit can be taken back (memory has its own record).
    m_cpu.BeginStepRecord();
    const PeripheralState peripheralsBefore = m_peripherals;
    const InterruptState interruptsBefore = m_interrupts;
    const bool displayBefore = m_displayFlag;
    const bool insideStepOverBefore = m_insideStepOver;
    const int callDepthBefore = m_calls.Depth();
    BeginPeripheralStep(m_cpu, m_peripherals);

    const uint16_t pc = m_cpu.programCounter;
    for (int i = 0; i < m_rangeCount; ++i) {
        const StepOverRange& range = m_ranges[static_cast<std::size_t>(i)];
        if (pc == range.start) {
            m_displayFlag = false;
            m_insideStepOver = true;
        }
        if (pc == range.end) {
            m_displayFlag = true;
            m_insideStepOver = false;
        }
    }

    m_executor.ExecuteInstruction(m_cpu, m_current, m_interrupts, &m_outside);
    const OpcodeRow& row = *m_current.row;
    const uint64_t cyclesBefore = m_cycles;
    const uint64_t stepsBefore = m_steps;
    bool entered = false;
    if (m_cpu.PendingStop() != StopReason::UndefinedBit) {
        if (!m_current.instructionJumped) m_cpu.programCounter = static_cast<uint16_t>(pc + row.bytes);
        TrackCalls(pc, row);
        m_cycles += row.cycles;
        m_steps += 1;
        if (m_current.destination.IsInternal(sfr::SBUF)) NoteTransmit();
        SamplePins(m_cpu, m_peripherals, m_outside);
        TimerTick(m_cpu, m_peripherals, row.cycles);
        CompleteTransmission(m_cpu, m_peripherals, m_cycles);
        const uint16_t resume = m_cpu.programCounter;
        const InterruptEntry entry = ServiceInterrupts(m_cpu, m_peripherals, m_interrupts, m_current, m_cycles);
        if (entry.entered) {
            if (recording && m_calls.Depth() < CallStack::kCapacity)
                m_journal.SaveCallSlot(m_calls.Depth(), m_calls.Slot(m_calls.Depth()));
            const int sp = cellword::DefinedValue(cellword::Load(m_cpu.internal[sfr::SP]));
            m_calls.Push(CallRecord{resume, m_cpu.programCounter,
                                    static_cast<uint8_t>(sp < 0 ? 0 : sp), true});
            // The hardware call takes two machine cycles of its own.
            m_cycles += kInterruptEntryCycles;
            TimerTick(m_cpu, m_peripherals, kInterruptEntryCycles);
            entered = true;
        }
    }
    if (m_cpu.PendingStop() == StopReason::UndefinedBit && m_cpu.UndoStep()) {
        // The instruction has not happened: PC stays on it (the address the
        // message names), counters, timers, serial and interrupt state are
        // as before, and nothing it or the peripherals wrote remains.
        m_cpu.programCounter = pc;
        m_cycles = cyclesBefore;
        m_steps = stepsBefore;
        m_peripherals = peripheralsBefore;
        m_outside.pins.changed = true;  // the pins are looked at again
        m_interrupts = interruptsBefore;
        m_displayFlag = displayBefore;
        m_insideStepOver = insideStepOverBefore;
        if (recording) m_journal.DiscardStep(m_cpu, m_peripherals, m_interrupts, m_calls);
        m_calls.Restore(callDepthBefore);
        report.stopReason = m_cpu.TakeStopRequest();
        report.viewsRefreshed = true;
        report.countersShown = true;
        m_traceLine = TraceLineAt(pc);
        report.nextTrace = m_traceLine;
        if (m_running) StopRun(report);
        return report;
    }
    report.executed = true;
    report.stepsExecuted = 1;
    report.pinsChanged = true;
    report.interruptEntered = entered;
    const bool showCounters = m_displayFlag;

    const int64_t steps = static_cast<int64_t>(m_steps);
    if (m_stopAtStep != 0 && steps == m_stopAtStep - 1) m_displayFlag = true;
    report.viewsRefreshed = m_displayFlag;
    if (m_stopAtStep != 0 && steps == m_stopAtStep) m_cpu.RequestStop(StopReason::StepCount);
    if (!m_watches.Empty()) {
        if (const auto hit = m_watches.Hit(m_cpu, m_current)) {
            m_cpu.RequestStop(StopReason::Watch);
            report.watchIndex = static_cast<int>(*hit);
        }
    }
    if (recording)
        m_journal.EndStep(m_cpu, m_peripherals, m_interrupts,
                          static_cast<int>(m_cycles - cyclesBefore));

    if (showCounters) {
        report.countersShown = true;
        std::string b1, b2;
        if (row.bytes > 1) b1 = ToHexByte(m_current.b1);
        if (row.bytes > 2) b2 = ToHexByte(m_current.b2);
        report.executedTrace = TraceText(ToHexByte(m_current.b0), b1, b2, &row);
        m_traceLine = TraceLineAt(m_cpu.programCounter);
        report.nextTrace = m_traceLine;
    }
    if (m_cpu.StopRequested()) {
        report.stopReason = m_cpu.TakeStopRequest();
        if (m_running) StopRun(report);
    }
    return report;
}

void Simulator::StopRun(StepReport& report)
{
    m_running = false;
    m_runTo.reset();
    report.runEnded = true;
    // The state where a run stopped is always shown, even after an
    // undisplayed stretch.
    m_displayFlag = true;
    report.viewsRefreshed = true;
    if (!report.countersShown) {
        report.countersShown = true;
        m_traceLine = TraceLineAt(m_cpu.programCounter);
        report.nextTrace = m_traceLine;
    }
    ApplyTextStop(report.textStop);
}

void Simulator::ApplyTextStop(std::optional<std::string>& rewritten)
{
    if (const auto number = ParseStepNumber(m_textStop)) {
        m_stopAtStep = *number;
        if (m_running && m_stopAtStep != 0 && m_stopAtStep > static_cast<int64_t>(m_steps)) m_displayFlag = false;
    } else {
        m_textStop = "0";
        m_stopAtStep = 0;
        rewritten = m_textStop;
    }
}

StepReport Simulator::ToggleRun()
{
    StepReport report;
    if (m_running) {
        StopRun(report);
    } else {
        m_running = true;
        m_breakArmed = false;
        ApplyTextStop(report.textStop);
    }
    return report;
}

StepReport Simulator::OneStep()
{
    m_running = false;
    return ExecuteStep();
}

StepReport Simulator::RunBatch(int maxSteps)
{
    StepReport total;
    for (int i = 0; i < maxSteps && m_running; ++i) {
        const uint16_t pc = m_cpu.programCounter;
        if (m_breakArmed && (m_breakpoints.Has(pc) || m_runTo == pc)) {
            // Stops before the instruction: nothing of it has happened.
            StepReport stop;
            stop.stepsExecuted = total.stepsExecuted;
            stop.pinsChanged = total.pinsChanged;
            stop.interruptEntered = total.interruptEntered;
            stop.stopReason = StopReason::Break;
            stop.stopAddress = pc;
            StopRun(stop);
            return stop;
        }
        m_breakArmed = true;
        StepReport step = ExecuteStep();
        const int executed = total.stepsExecuted + step.stepsExecuted;
        const bool pins = total.pinsChanged || step.pinsChanged;
        const bool interrupt = total.interruptEntered || step.interruptEntered;
        if (step.countersShown || step.viewsRefreshed || step.runEnded || !step.executed) {
            total = std::move(step);
            total.stepsExecuted = executed;
            total.pinsChanged = pins;
            total.interruptEntered = interrupt;
            return total;
        }
        total.stepsExecuted = executed;
        total.pinsChanged = pins;
        total.interruptEntered = interrupt;
        total.executed = true;
    }
    return total;
}

}  // namespace zelo::core

namespace zelo::core {

void Simulator::TrackCalls(uint16_t pc, const OpcodeRow& row)
{
    switch (row.mnemonic) {
        case Mnemonic::ACALL:
        case Mnemonic::LCALL: {
            // A call that stopped on an undefined SP did not jump.
            if (!m_current.instructionJumped) return;
            if (m_journal.Recording() && m_calls.Depth() < CallStack::kCapacity)
                m_journal.SaveCallSlot(m_calls.Depth(), m_calls.Slot(m_calls.Depth()));
            const auto sp = cellword::DefinedValue(cellword::Load(m_cpu.internal[sfr::SP]));
            m_calls.Push(CallRecord{static_cast<uint16_t>(pc + row.bytes), m_cpu.programCounter,
                                    static_cast<uint8_t>(sp < 0 ? 0 : sp), false});
            return;
        }
        case Mnemonic::RET:
        case Mnemonic::RETI:
            if (m_current.instructionJumped) m_calls.Pop();
            return;
        default:
            return;
    }
}

void Simulator::ForgetHistory()
{
    m_calls.Clear();
    m_runTo.reset();
    if (m_journal.Recording()) m_journal.Reset(m_cpu, m_peripherals, m_interrupts);
}

bool Simulator::AddWatch(const Watch& watch)
{
    return m_watches.Add(watch);
}

void Simulator::RemoveWatch(std::size_t index)
{
    m_watches.Remove(index);
}

void Simulator::ClearWatches()
{
    m_watches.Clear();
}

void Simulator::SetRecording(bool on)
{
    if (on && !m_journal.Recording()) m_journal.Start(m_cpu, m_peripherals, m_interrupts);
    if (!on) m_journal.Stop();
}

bool Simulator::StepBack()
{
    if (m_running) return false;
    const auto frame = m_journal.Undo(m_cpu, m_peripherals, m_interrupts, m_calls);
    if (!frame) return false;
    m_cycles -= frame->cycles;
    m_steps -= 1;
    m_displayFlag = (frame->flags & StepFrame::kDisplayFlag) != 0;
    m_cpu.TakeStopRequest();
    // The marks of the undone instruction no longer describe anything.
    m_current = CurrentInstruction{};
    m_traceLine = TraceLineAt(m_cpu.programCounter);
    return true;
}

}  // namespace zelo::core

namespace zelo::core {

std::optional<StepOverRow> Simulator::SteppedOverCallAt(uint16_t address) const
{
    const int b0 = PeekCell(m_cpu.codeMemory[address]);
    const int b1 = PeekCell(m_cpu.codeMemory[static_cast<uint16_t>(address + 1)]);
    if (b0 < 0 || b1 < 0) return std::nullopt;
    uint16_t target = 0;
    if (b0 == 0x12) {  // LCALL addr16
        const int b2 = PeekCell(m_cpu.codeMemory[static_cast<uint16_t>(address + 2)]);
        if (b2 < 0) return std::nullopt;
        target = static_cast<uint16_t>(b1 << 8 | b2);
    } else if ((b0 & 0x1F) == 0x11) {  // ACALL addr11
        target = static_cast<uint16_t>(((address + 2) & 0xF800) | (b0 >> 5) << 8 | b1);
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < m_rangeCount; ++i) {
        if (m_ranges[static_cast<std::size_t>(i)].start != target) continue;
        for (const StepOverRow& row : m_stepOverTable)
            if (row.start == target) return row;
        return StepOverRow{"", target, m_ranges[static_cast<std::size_t>(i)].end};
    }
    return std::nullopt;
}

std::optional<StepReport> Simulator::StepOverCall(uint64_t maxSteps)
{
    if (!SteppedOverCallAt(m_cpu.programCounter)) return std::nullopt;
    m_running = false;
    const int depth = m_calls.Depth();
    const std::string callTrace = TraceLineAt(m_cpu.programCounter);
    StepReport total = ExecuteStep();
    uint64_t steps = 1;
    while (total.executed && total.stopReason == StopReason::None && m_calls.Depth() > depth &&
           steps < maxSteps) {
        if (m_breakpoints.Has(m_cpu.programCounter)) {
            total.stopReason = StopReason::Break;
            total.stopAddress = m_cpu.programCounter;
            break;
        }
        StepReport step = ExecuteStep();
        if (!step.executed) {
            total.executed = false;
            total.stopReason = step.stopReason;
            break;
        }
        ++steps;
        total.interruptEntered = total.interruptEntered || step.interruptEntered;
        total.stopReason = step.stopReason;
        total.watchIndex = step.watchIndex;
    }
    total.stepsExecuted = static_cast<int>(steps);
    // The whole subroutine is one step for the views.
    m_displayFlag = true;
    m_insideStepOver = false;
    total.countersShown = true;
    total.viewsRefreshed = true;
    total.pinsChanged = true;
    total.executedTrace = callTrace;
    m_traceLine = TraceLineAt(m_cpu.programCounter);
    total.nextTrace = m_traceLine;
    return total;
}

}  // namespace zelo::core
