// Breakpoints: one bit per code address, so the run loop tests an address
// with a shift and a mask whatever the number of breakpoints.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace zelo::core {

class BreakpointSet
{
public:
    bool Has(uint16_t address) const { return (m_bits[address >> 6] >> (address & 63)) & 1; }
    bool Empty() const { return m_count == 0; }
    int Count() const { return m_count; }

    void Set(uint16_t address, bool on)
    {
        if (Has(address) == on) return;
        m_bits[address >> 6] ^= uint64_t{1} << (address & 63);
        m_count += on ? 1 : -1;
    }
    // Returns whether a breakpoint is there afterwards.
    bool Toggle(uint16_t address)
    {
        Set(address, !Has(address));
        return Has(address);
    }
    void Clear()
    {
        m_bits.fill(0);
        m_count = 0;
    }
    // The addresses in ascending order.
    std::vector<uint16_t> Addresses() const
    {
        std::vector<uint16_t> list;
        list.reserve(static_cast<std::size_t>(m_count));
        for (std::size_t w = 0; w < m_bits.size(); ++w) {
            for (uint64_t word = m_bits[w]; word != 0; word &= word - 1)
                list.push_back(static_cast<uint16_t>(
                    w * 64 + static_cast<std::size_t>(std::countr_zero(word))));
        }
        return list;
    }

private:
    std::array<uint64_t, 1024> m_bits{};  // 65,536 addresses
    int m_count = 0;
};

}  // namespace zelo::core
