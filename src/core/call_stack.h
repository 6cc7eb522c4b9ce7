// The calls in progress, as the simulator saw them happen: each ACALL, LCALL
// or interrupt entry adds the address it will return to and the stack
// pointer after its push; RET and RETI remove the newest. A record whose
// stack bytes were popped by other means (POP, a write to SP) is stale and
// is left out of Live().
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zelo::core {

struct CallRecord
{
    uint16_t returnAddress = 0;
    uint16_t target = 0;       // where the call went (the subroutine or the vector)
    uint8_t stackPointer = 0;  // SP after the return address was pushed
    bool interrupt = false;

    bool operator==(const CallRecord&) const = default;
};

class CallStack
{
public:
    static constexpr int kCapacity = 128;

    int Depth() const { return m_depth; }
    const CallRecord& Slot(int index) const { return m_slots[static_cast<std::size_t>(index)]; }
    // Calls deeper than the capacity are counted but not kept.
    bool Push(const CallRecord& record)
    {
        const bool kept = m_depth < kCapacity;
        if (kept) m_slots[static_cast<std::size_t>(m_depth)] = record;
        ++m_depth;
        return kept;
    }
    void Pop()
    {
        if (m_depth > 0) --m_depth;
    }
    void Clear() { m_depth = 0; }
    // Used by step back.
    void Restore(int depth) { m_depth = depth; }
    void RestoreSlot(int index, const CallRecord& record)
    {
        m_slots[static_cast<std::size_t>(index)] = record;
    }

    // The kept calls whose return address is still on the stack, newest first.
    std::vector<CallRecord> Live(uint8_t stackPointer) const
    {
        std::vector<CallRecord> list;
        const int kept = m_depth < kCapacity ? m_depth : kCapacity;
        for (int i = kept - 1; i >= 0; --i) {
            const CallRecord& r = m_slots[static_cast<std::size_t>(i)];
            if (r.stackPointer <= stackPointer) list.push_back(r);
        }
        return list;
    }

private:
    std::array<CallRecord, kCapacity> m_slots{};
    int m_depth = 0;
};

}  // namespace zelo::core
