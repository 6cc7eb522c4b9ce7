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
#include <string_view>

#include "app/state_layout.h"
#include "core/cpu_state.h"
#include "core/current_instruction.h"

namespace zelo::app {

// The caption the window carries when nothing is described.
inline constexpr const char* kWorkbenchCaption = "ZELO8051";

struct PicturePoint {
    double x = 0, y = 0;
};

// A widget position in pixels (origin top left) in the picture's own
// coordinates, for a picture drawn over width x height pixels.
PicturePoint PictureFromWidget(double px, double py, double width, double height);

// The cell under (x, y) as n = 16r + c, scanning rows 0..rows-1 row by row.
// A point is inside a cell when it lies strictly inside the cell's rectangle,
// whose vertical band sits half a unit above the cell corner (the frame of
// the cell), so borders between cells belong to no cell.
std::optional<int> HitGridCell(double x, double y, int rows = StateGrid::kRows);

struct InspectResult {
    std::string caption;            // the new window caption
    std::optional<int> cell;        // n of the cell pointed at
    std::optional<uint8_t> opcode;  // "Instruction": the opcode pointed at
    std::optional<int> topicSlot;   // "Note": clear, redraw the topics, print this sheet
};

// The caption texts of one cell n of a layout (no hit test).
std::string DescribeInstruction(uint8_t opcode);
std::string DescribeBitAddress(uint8_t n);
std::string DescribeRamByte(uint8_t n, const core::CpuState& cpu);
std::string DescribeAscii(int code);

// Pointer movement over the state picture, as the window handles it.
class OpcodeInspector {
public:
    bool InspectOnHover() const { return m_inspectOnHover; }
    // Double click on the state picture.
    void ToggleInspectOnHover() { m_inspectOnHover = !m_inspectOnHover; }
    // Any layout button turns inspection on again (the window sets its caption
    // back to "ZELO8051" at the same time).
    void LayoutChosen() { m_inspectOnHover = true; }

    // Nothing while inspection is off: the caption stays as it is. Otherwise
    // the description of the cell under (x, y), or plain "ZELO8051" when the
    // pointer is on no cell.
    std::optional<InspectResult> InspectPointer(double x, double y, StateLayout layout,
                                                const core::CpuState& cpu) const;

private:
    bool m_inspectOnHover = true;
};

// "Instruction" layout: the pointed opcode's table row becomes the current
// instruction's row and first byte, as the opcode map itself does.
void CopyOpcodeRowToInstruction(uint8_t opcode, core::CurrentInstruction& current);

}  // namespace zelo::app
