// The opcode inspector: what lies under the pointer in the state picture.
// Each layout describes its cell in the window caption ("ZELO8051 ..."); in
// the "Note" layout pointing at a topic asks for its reference sheet.
//
// The inspector reads the machine state and never changes it; the window
// applies the result (caption, opcode row, topic sheet).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/state_picture.h"
#include "core/cpu_state.h"
#include "core/current_instruction.h"

namespace zelo::app {

// The caption the window carries when nothing is described.
inline constexpr const char* kWorkbenchCaption = "ZELO8051";

struct PicturePoint
{
    double x = 0, y = 0;
};

// A widget position in pixels (origin top left) in the picture's own
// coordinates, for a picture drawn over width x height pixels.
PicturePoint PictureFromWidget(double px, double py, double width, double height);

// Rows of the grid a layout uses: 8 for the ASCII codes, 2 for the topics,
// 16 otherwise.
int LayoutRows(PictureLayout layout);

// The cell under (x, y) as n = 16r + c, scanning rows 0..rows-1 row by row.
// A point is inside a cell when it lies strictly inside the cell's frame as
// the picture draws it (1.1 units left of the cell corner, half a unit above
// it), so the borders between cells belong to no cell.
std::optional<int> HitGridCell(double x, double y, int rows = 16, const GridGeometry& grid = {});

struct InspectResult
{
    std::string caption;            // the new window caption
    std::optional<int> cell;        // n of the cell pointed at
    std::optional<uint8_t> opcode;  // "Instruction": the opcode pointed at
    std::optional<int> topicSlot;   // "Note": clear, redraw the topics, print this sheet
};

// Pointer movement over the state picture. Nothing while inspectOnHover is
// off: the caption stays as it is. Otherwise the description of the cell
// under (x, y), or plain "ZELO8051" when the pointer is on no cell.
std::optional<InspectResult> InspectPointer(double x, double y, PictureLayout layout,
                                            bool inspectOnHover, const core::CpuState& cpu);

// The caption texts of one cell n of a layout (no hit test).
std::string DescribeInstruction(uint8_t opcode);
std::string DescribeBitAddress(uint8_t n);
std::string DescribeRamByte(uint8_t n, const core::CpuState& cpu);
std::string DescribeAscii(int code);

// "Instruction" layout: the pointed opcode's table row becomes the current
// instruction's row and first byte, as the opcode map itself does.
void CopyOpcodeRowToInstruction(uint8_t opcode, core::CurrentInstruction& current);

}  // namespace zelo::app
