// The step-back journal: for every executed step, the old contents of each
// cell the step changed, so steps can be undone one at a time, newest first.
//
// The chip keeps a record of the bytes each step writes (CpuState's
// StepRecord: internal RAM and SFRs, the 8052's upper RAM, external RAM,
// the register-bank labels); the journal copies that record into a ring
// after every step, together with the counters, and the slots of the call
// stack the step overwrote. The small state kept outside the cells
// (peripherals, interrupt levels, the simulation log) is compared after each
// step with a copy taken before it and saved only when it differs. New
// state held outside the cells joins that comparison in SideState.
//
// Memory budget: kDefaultSteps frames of 16 bytes and kDefaultCells saved
// cells of 12 bytes, 16 MiB + 48 MiB plus the rare side records, reserved
// but touched only as steps are recorded. When either ring is full the
// oldest 1/256 of the steps are dropped together, so the newest 1,044,480
// steps are kept as long as steps change four cells each on average (a
// typical program changes two or three). Both capacities are powers of two:
// ring positions are masks, not divisions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>

#include "core/call_stack.h"
#include "core/cpu_state.h"
#include "core/interrupt_state.h"
#include "core/peripheral_state.h"
#include "core/simulation_log.h"

namespace zelo::core {

// What a step leaves behind that is not a cell.
struct SideState
{
    PeripheralState peripherals;
    InterruptState interrupts;
    SimulationLog log;
};

// The counters and registers outside the cells, as they were before a step.
struct StepFrame
{
    uint16_t programCounter = 0;
    uint16_t instructionAddress = 0;  // CpuState::currentInstructionAddress
    uint16_t callDepth = 0;
    uint8_t opcode = 0;              // CpuState::currentOpcode
    uint8_t cycles = 0;              // machine cycles the step added
    uint8_t bank = 0;                // 2 * RS1 + RS0 of the bank cache
    uint8_t flags = 0;               // kHasSide, kDisplayFlag, kNoRamWriteReported
    int8_t labelledBankBefore = -1;  // StepWrites::labelledBankBefore
    uint8_t pad = 0;
    uint32_t cellCount = 0;  // saved cells of this step

    static constexpr uint8_t kHasSide = 1, kDisplayFlag = 2, kNoRamWriteReported = 4;
};

class StepJournal
{
public:
    static constexpr std::size_t kDefaultSteps = std::size_t{1} << 20;  // 1,048,576
    static constexpr std::size_t kDefaultCells = std::size_t{1} << 22;  // 4,194,304

    explicit StepJournal(std::size_t maxSteps = kDefaultSteps,
                         std::size_t maxCells = kDefaultCells);

    bool Recording() const { return m_recording; }
    // Starts (or restarts) recording from the present state; older steps
    // are forgotten.
    void Start(const CpuState& cpu, const PeripheralState& peripherals,
               const InterruptState& interrupts);
    void Stop();
    // Forgets every step but keeps recording from the present state.
    void Reset(const CpuState& cpu, const PeripheralState& peripherals,
               const InterruptState& interrupts);

    std::size_t Depth() const { return static_cast<std::size_t>(m_frameHead - m_frameTail); }
    std::size_t MaxSteps() const { return m_maxSteps; }
    // Bytes the journal holds now.
    std::size_t MemoryBytes() const;

    // --- recording a step ---
    void BeginStep(const CpuState& cpu, int callDepth, bool displayFlag)
    {
        m_frame.programCounter = cpu.programCounter;
        m_frame.instructionAddress = cpu.currentInstructionAddress;
        m_frame.callDepth = static_cast<uint16_t>(callDepth > 0xFFFF ? 0xFFFF : callDepth);
        m_frame.opcode = cpu.currentOpcode;
        m_frame.cycles = 0;
        m_frame.bank = static_cast<uint8_t>(2 * cpu.bankRs1 + cpu.bankRs0);
        m_frame.flags = displayFlag ? StepFrame::kDisplayFlag : 0;
        m_frame.labelledBankBefore = -1;
        m_frame.cellCount = 0;
        m_inStep = true;
    }
    // A call-stack slot the step is about to overwrite.
    void SaveCallSlot(int index, const CallRecord& old);
    // Completes the step's frame from the chip's record of its writes;
    // `cycles` machine cycles were added. A step whose record overflowed
    // cannot be undone: the history restarts after it.
    void EndStep(const CpuState& cpu, const PeripheralState& peripherals,
                 const InterruptState& interrupts, int cycles);
    // The step did not happen (nothing fetched, or taken back by the chip):
    // the call slots it saved are restored and dropped; the side state it
    // left (a stop message) becomes the state the next step starts from.
    void DiscardStep(const CpuState& cpu, const PeripheralState& peripherals,
                     const InterruptState& interrupts, CallStack& calls);

    // --- undoing ---
    // Puts back the newest step's cells and side state; returns its frame
    // (the counters are the caller's), nothing when no step is kept.
    std::optional<StepFrame> Undo(CpuState& cpu, PeripheralState& peripherals,
                                  InterruptState& interrupts, CallStack& calls);

private:
    enum class Kind : uint8_t { Internal, Upper, External, CallSlot };
    // Trivial, so the reserved rings are not written (and not made
    // resident) until steps are recorded.
    // 12 bytes: the kind in the top byte of the address word, the old
    // cells as two halves (no padding to write).
    struct Cell
    {
        uint32_t kindAddress;
        uint32_t oldLow, oldHigh;

        Kind kind() const { return static_cast<Kind>(kindAddress >> 24); }
        uint32_t address() const { return kindAddress & 0xFFFFFF; }
        uint64_t old() const { return static_cast<uint64_t>(oldHigh) << 32 | oldLow; }
    };
    using FrameSlot = std::array<unsigned char, sizeof(StepFrame)>;
    static_assert(sizeof(StepFrame) == 16 && sizeof(Cell) == 12);

    void Push(Kind kind, uint32_t address, uint64_t old)
    {
        if (m_cellHead - m_cellTail >= m_maxCells && !MakeRoom()) return;
        Cell& cell = m_cells[m_cellHead & m_cellMask];
        cell.kindAddress = static_cast<uint32_t>(kind) << 24 | (address & 0xFFFFFF);
        cell.oldLow = static_cast<uint32_t>(old);
        cell.oldHigh = static_cast<uint32_t>(old >> 32);
        ++m_cellHead;
        ++m_frame.cellCount;
    }
    bool MakeRoom();
    void DropOldestSteps();
    void RestoreCallSlots(CallStack& calls, uint32_t count);
    void TakeSideCopy(const CpuState& cpu, const PeripheralState& peripherals,
                      const InterruptState& interrupts);

    std::size_t m_maxSteps;  // powers of two
    std::size_t m_maxCells;
    std::size_t m_stepMask;
    std::size_t m_cellMask;
    bool m_recording = false;
    std::unique_ptr<FrameSlot[]> m_frames;
    std::unique_ptr<Cell[]> m_cells;
    uint64_t m_frameHead = 0, m_frameTail = 0;  // frames [tail, head) are kept
    uint64_t m_cellHead = 0, m_cellTail = 0;
    std::deque<SideState> m_sides;  // one per frame with kHasSide, oldest first

    // The step being recorded.
    StepFrame m_frame;
    bool m_inStep = false;
    SideState m_side;  // the side state before the step
    uint64_t m_logRevision = 0;
};

}  // namespace zelo::core
