// The layouts of the machine-state picture, in the order of its layout
// option buttons (index 0..5), and the grid geometry every layout shares.
#pragma once

namespace zelo::app {

enum class StateLayout { RamBit = 0, BitName = 1, RamName = 2, Instruction = 3, Ascii = 4, Note = 5 };

// The picture's own coordinates: x 0 (left) .. 165 (right), y 54 (top) .. 0
// (bottom). Cell (r, c), r = 0 the top row, has its lower-left corner at
// (x0 + 10c, y0 + 3(15 - r)).
struct StateGrid {
    static constexpr double kWidth = 165.0, kHeight = 54.0;
    static constexpr double kX0 = 5.0, kY0 = 4.0;
    static constexpr double kCellWidth = 10.0, kCellHeight = 3.0;
    static constexpr int kRows = 16, kColumns = 16;

    static constexpr double CellLeft(int column) { return kX0 + kCellWidth * column; }
    static constexpr double CellBottom(int row) { return kY0 + kCellHeight * (kRows - 1 - row); }
};

// Rows of the grid a layout uses: 8 for the ASCII codes, 2 for the topics.
constexpr int LayoutRows(StateLayout layout)
{
    switch (layout) {
        case StateLayout::Ascii: return 8;
        case StateLayout::Note: return 2;
        default: return StateGrid::kRows;
    }
}

}  // namespace zelo::app
