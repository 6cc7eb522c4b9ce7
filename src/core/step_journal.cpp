#include "core/step_journal.h"

#include <algorithm>
#include <type_traits>

#include "core/cell_word.h"

namespace zelo::core {

namespace {
std::size_t PowerOfTwoAtLeast(std::size_t n, std::size_t least)
{
    std::size_t p = least;
    while (p < n) p <<= 1;
    return p;
}
}  // namespace

StepJournal::StepJournal(std::size_t maxSteps, std::size_t maxCells)
    : m_maxSteps(PowerOfTwoAtLeast(maxSteps, 1)),
      m_maxCells(PowerOfTwoAtLeast(maxCells, 64)),
      m_stepMask(m_maxSteps - 1),
      m_cellMask(m_maxCells - 1)
{
}

std::size_t StepJournal::MemoryBytes() const
{
    std::size_t bytes = Depth() * sizeof(StepFrame) +
                        static_cast<std::size_t>(m_cellHead - m_cellTail) * sizeof(Cell);
    for (const SideState& side : m_sides) bytes += sizeof(SideState) + side.log.Text().capacity();
    return bytes;
}

void StepJournal::Start(const CpuState& cpu, const PeripheralState& peripherals,
                        const InterruptState& interrupts)
{
    // Reserved, not touched: pages come in as steps are recorded.
    if (!m_frames) m_frames.reset(new FrameSlot[m_maxSteps]);
    if (!m_cells) m_cells.reset(new Cell[m_maxCells]);
    m_recording = true;
    Reset(cpu, peripherals, interrupts);
}

void StepJournal::Stop()
{
    m_recording = false;
    m_frameHead = m_frameTail = m_cellHead = m_cellTail = 0;
    m_sides.clear();
    m_inStep = false;
}

void StepJournal::Reset(const CpuState& cpu, const PeripheralState& peripherals,
                        const InterruptState& interrupts)
{
    m_frameHead = m_frameTail = m_cellHead = m_cellTail = 0;
    m_sides.clear();
    m_inStep = false;
    TakeSideCopy(cpu, peripherals, interrupts);
}

void StepJournal::TakeSideCopy(const CpuState& cpu, const PeripheralState& peripherals,
                               const InterruptState& interrupts)
{
    m_side.peripherals = peripherals;
    m_side.interrupts = interrupts;
    m_side.log = cpu.simulationLog;
    m_logRevision = cpu.simulationLog.Revision();
}

bool StepJournal::MakeRoom()
{
    while (m_cellHead - m_cellTail >= m_maxCells && Depth() > 0) DropOldestSteps();
    // False only for one step larger than the whole journal.
    return m_cellHead - m_cellTail < m_maxCells;
}

void StepJournal::SaveCallSlot(int index, const CallRecord& old)
{
    if (!m_inStep) return;
    uint64_t packed =
        static_cast<uint64_t>(old.returnAddress) | static_cast<uint64_t>(old.target) << 16 |
        static_cast<uint64_t>(old.stackPointer) << 32 | static_cast<uint64_t>(old.interrupt) << 40;
    Push(Kind::CallSlot, static_cast<uint32_t>(index), packed);
}

void StepJournal::EndStep(const CpuState& cpu, const PeripheralState& peripherals,
                          const InterruptState& interrupts, int cycles)
{
    if (!m_inStep) return;
    m_inStep = false;
    const StepWrites& record = cpu.StepRecord();
    if (record.overflowed) {
        // Not every old cell is known: no step before this one can be reached.
        Reset(cpu, peripherals, interrupts);
        return;
    }
    for (int i = 0; i < record.count; ++i) {
        const StepWrite& w = record.writes[static_cast<std::size_t>(i)];
        const Kind kind = w.space == StepWrite::Space::Internal   ? Kind::Internal
                          : w.space == StepWrite::Space::UpperRam ? Kind::Upper
                                                                  : Kind::External;
        Push(kind, w.address, w.before);
    }
    m_frame.labelledBankBefore = static_cast<int8_t>(record.labelledBankBefore);
    if (record.noRamWriteReportedBefore) m_frame.flags |= StepFrame::kNoRamWriteReported;
    m_frame.cycles = static_cast<uint8_t>(cycles);

    // Compared as bytes: a difference in padding alone costs a needless
    // record, never a missed change; the copies are made by assignment, so
    // it does not happen in practice.
    static_assert(std::is_trivially_copyable_v<PeripheralState> &&
                  std::is_trivially_copyable_v<InterruptState>);
    const bool sideChanged =
        std::memcmp(&peripherals, &m_side.peripherals, sizeof peripherals) != 0 ||
        std::memcmp(&interrupts, &m_side.interrupts, sizeof interrupts) != 0 ||
        cpu.simulationLog.Revision() != m_logRevision;
    if (Depth() >= m_maxSteps) DropOldestSteps();
    if (sideChanged) {
        m_frame.flags |= StepFrame::kHasSide;
        m_sides.push_back(std::move(m_side));
        TakeSideCopy(cpu, peripherals, interrupts);
    }
    std::memcpy(m_frames[m_frameHead & m_stepMask].data(), &m_frame, sizeof m_frame);
    ++m_frameHead;
}

void StepJournal::DiscardStep(const CpuState& cpu, const PeripheralState& peripherals,
                              const InterruptState& interrupts, CallStack& calls)
{
    if (!m_inStep) return;
    m_inStep = false;
    RestoreCallSlots(calls, m_frame.cellCount);
    TakeSideCopy(cpu, peripherals, interrupts);
}

void StepJournal::DropOldestSteps()
{
    // In batches: the oldest frames are read one after another instead of
    // one far-away frame per recorded step.
    const std::size_t drop =
        std::min<std::size_t>(Depth(), std::max<std::size_t>(1, m_maxSteps / 256));
    for (std::size_t i = 0; i < drop; ++i) {
        StepFrame oldest;
        std::memcpy(&oldest, m_frames[m_frameTail & m_stepMask].data(), sizeof oldest);
        m_cellTail += oldest.cellCount;
        if ((oldest.flags & StepFrame::kHasSide) && !m_sides.empty()) m_sides.pop_front();
        ++m_frameTail;
    }
}

void StepJournal::RestoreCallSlots(CallStack& calls, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        const Cell& cell = m_cells[(--m_cellHead) & m_cellMask];
        if (cell.kind() != Kind::CallSlot) continue;
        const uint64_t old = cell.old();
        CallRecord r;
        r.returnAddress = static_cast<uint16_t>(old);
        r.target = static_cast<uint16_t>(old >> 16);
        r.stackPointer = static_cast<uint8_t>(old >> 32);
        r.interrupt = ((old >> 40) & 1) != 0;
        calls.RestoreSlot(static_cast<int>(cell.address()), r);
    }
}

std::optional<StepFrame> StepJournal::Undo(CpuState& cpu, PeripheralState& peripherals,
                                           InterruptState& interrupts, CallStack& calls)
{
    if (Depth() == 0) return std::nullopt;
    --m_frameHead;
    StepFrame frame;
    std::memcpy(&frame, m_frames[m_frameHead & m_stepMask].data(), sizeof frame);

    // The chip restores its own record: cells, register bank and labels.
    StepWrites record;
    const uint64_t first = m_cellHead - frame.cellCount;
    for (uint64_t i = first; i < m_cellHead && record.count < StepWrites::kCapacity; ++i) {
        const Cell& cell = m_cells[i & m_cellMask];
        if (cell.kind() == Kind::CallSlot) continue;
        const StepWrite::Space space = cell.kind() == Kind::Internal ? StepWrite::Space::Internal
                                       : cell.kind() == Kind::Upper  ? StepWrite::Space::UpperRam
                                                                     : StepWrite::Space::External;
        record.writes[static_cast<std::size_t>(record.count++)] =
            StepWrite{space, cell.address(), cell.old()};
    }
    record.labelledBankBefore = frame.labelledBankBefore;
    record.noRamWriteReportedBefore = (frame.flags & StepFrame::kNoRamWriteReported) != 0;
    RestoreCallSlots(calls, frame.cellCount);

    cpu.bankRs1 = frame.bank >> 1;
    cpu.bankRs0 = frame.bank & 1;
    cpu.RestoreWrites(record);
    if ((frame.flags & StepFrame::kHasSide) && !m_sides.empty()) {
        SideState side = std::move(m_sides.back());
        m_sides.pop_back();
        peripherals = side.peripherals;
        interrupts = side.interrupts;
        cpu.simulationLog = side.log;
        m_side = std::move(side);
        m_logRevision = cpu.simulationLog.Revision();
    }
    cpu.programCounter = frame.programCounter;
    cpu.currentInstructionAddress = frame.instructionAddress;
    cpu.currentOpcode = frame.opcode;
    for (int n = 0; n < 8; ++n) cpu.registerAddress[n] = static_cast<uint8_t>(frame.bank * 8 + n);
    calls.Restore(frame.callDepth);
    return frame;
}

}  // namespace zelo::core
