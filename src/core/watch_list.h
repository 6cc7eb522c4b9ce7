// Watches: a byte or bit of the direct address space (RAM 00H-7FH and the
// SFRs), or a byte of external RAM, that stops a run when an instruction
// writes it, or when a write leaves it holding a chosen value.
//
// After each step, Hit() looks up the watched bytes in the chip's record of
// the bytes the step wrote. A bit counts as written when the step changed
// it or the instruction names it (or its whole byte) among the locations it
// wrote.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cpu_state.h"
#include "core/current_instruction.h"

namespace zelo::core {

enum class WatchSpace : uint8_t { Direct, External };

struct Watch
{
    WatchSpace space = WatchSpace::Direct;
    uint16_t address = 0;
    int8_t bit = -1;               // 0..7 for a bit of a direct byte, -1 for the byte
    std::optional<uint8_t> value;  // stop only when the write leaves this value (0/1 for a bit)

    bool operator==(const Watch&) const = default;
};

inline constexpr int kMaxWatches = 32;

// "30H", "D0.7", "X:0100H", each with "=05H" (or "=1" for a bit) when a
// value is chosen.
std::string WatchText(const Watch& watch);
// Reads the forms WatchText writes, without the H as well ("30", "X:100=5"),
// and register names of the chip ("P1", "ACC.7", "SP=30") when `names` is
// given. Addresses and values are hexadecimal.
std::optional<Watch> ParseWatch(std::string_view text, const CpuState* names = nullptr);
// The watched value now: the byte or bit, nothing when a cell is undefined.
std::optional<uint8_t> WatchedValue(const CpuState& cpu, const Watch& watch);

class WatchList
{
public:
    const std::vector<Watch>& Watches() const { return m_watches; }
    bool Empty() const { return m_watches.empty(); }
    // False when the list is full; an equal watch is not added twice.
    bool Add(const Watch& watch);
    void Remove(std::size_t index);
    void Clear();

    // The first watch the step just executed hit, if any.
    std::optional<std::size_t> Hit(const CpuState& cpu, const CurrentInstruction& current) const;

private:
    bool Written(const Watch& watch, const StepWrite& write, const CpuState& cpu,
                 const CurrentInstruction& current) const;
    void Rebuild();

    std::vector<Watch> m_watches;
    std::array<bool, 256> m_directWatched{};  // a watch lies on this direct address
    bool m_hasExternal = false;
};

}  // namespace zelo::core
