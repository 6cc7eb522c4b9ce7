// Eight bit cells of a byte handled as one 64-bit word (cell k in byte k), so
// the hot paths of the step loop convert between cells and values without a
// loop over the cells. Only the common case (every cell "0" or "1") is fast;
// anything else falls back to the cell-by-cell rules.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace zelo::core::cellword {

static_assert(std::endian::native == std::endian::little, "cell words assume a little-endian host");

inline uint64_t Load(const std::array<char, 8>& cells)
{
    uint64_t word;
    std::memcpy(&word, cells.data(), sizeof word);
    return word;
}

inline void Store(uint64_t word, std::array<char, 8>& cells) { std::memcpy(cells.data(), &word, sizeof word); }

constexpr uint64_t kLowBits = 0x0101010101010101ULL;
constexpr uint64_t kAllZero = 0x3030303030303030ULL;  // eight "0" cells

// The byte value of eight defined cells, or -1 when a cell is not "0"/"1".
inline int DefinedValue(uint64_t word)
{
    if ((word & ~kLowBits) != kAllZero) return -1;
    // Gathers the low bit of byte k into bit 56 + k; no two partial products
    // meet, so nothing carries into the result byte.
    return static_cast<int>(((word & kLowBits) * 0x0102040810204080ULL) >> 56);
}

constexpr std::array<uint64_t, 256> MakeValueWords()
{
    std::array<uint64_t, 256> words{};
    for (unsigned v = 0; v < 256; ++v) {
        uint64_t word = kAllZero;
        for (unsigned k = 0; k < 8; ++k) word |= static_cast<uint64_t>((v >> k) & 1) << (8 * k);
        words[v] = word;
    }
    return words;
}
inline constexpr std::array<uint64_t, 256> kValueWords = MakeValueWords();

// The cell word of a value: "0"/"1" cells, cell k holding bit k.
inline uint64_t FromValue(uint8_t value) { return kValueWords[value]; }

}  // namespace zelo::core::cellword
