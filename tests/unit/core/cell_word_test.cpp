// The word-at-a-time conversions between eight bit cells and a byte value
// agree with the cell-by-cell rules for every value and every cell kind.
#include <gtest/gtest.h>

#include "core/cell_word.h"
#include "core/cpu_state.h"

using namespace zelo::core;

TEST(CellWordTest, EveryValueRoundTripsThroughItsCells)
{
    for (unsigned v = 0; v < 256; ++v) {
        std::array<char, 8> cells{};
        cellword::Store(cellword::FromValue(static_cast<uint8_t>(v)), cells);
        for (unsigned k = 0; k < 8; ++k) ASSERT_EQ(cells[k], ((v >> k) & 1) ? '1' : '0') << v << " bit " << k;
        ASSERT_EQ(cellword::DefinedValue(cellword::Load(cells)), static_cast<int>(v));
    }
}

TEST(CellWordTest, AnyOtherCellTakesTheSlowRules)
{
    CpuState cpu;
    for (char odd : {'x', '-', ' ', '2', 'p', '\0'}) {
        for (int k = 0; k < 8; ++k) {
            std::array<char, 8> cells;
            cells.fill('1');
            cells[static_cast<std::size_t>(k)] = odd;
            EXPECT_EQ(cellword::DefinedValue(cellword::Load(cells)), -1) << odd << " at " << k;
        }
    }
    // Through ReadRamByte: "-" reads as 0 beside defined cells, "x" stops.
    cpu.WriteRamCells(BitBuffer{'1', '-', '1', '-', '0', '0', '0', '1'}, 0x30);
    EXPECT_EQ(cpu.ReadRamByte(0x30).value_or(0xFF), 0x85);
    EXPECT_FALSE(cpu.StopRequested());
    cpu.WriteRamCells(BitBuffer{'1', '1', '1', '1', '1', '1', '1', 'x'}, 0x31);
    EXPECT_FALSE(cpu.ReadRamByte(0x31).has_value());
    EXPECT_EQ(cpu.PendingStop(), StopReason::UndefinedBit);
}
