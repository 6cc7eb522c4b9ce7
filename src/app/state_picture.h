// The machine-state picture: the 16 x 16 grid of the upper region in its
// layouts. RAM and SFRs bit by bit (with or without register names), the
// bit-name map, the opcode map coloured by usage, the ASCII table and the
// topic grid. The builders only read the processor state.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/picture.h"
#include "core/cpu_state.h"
#include "core/current_instruction.h"

namespace zelo::core {
class BitNameTable;
class OpcodeTable;
}  // namespace zelo::core

namespace zelo::app {

// The layout buttons RamOp(0..5), by index.
enum class PictureLayout { RamBit = 0, BitName = 1, RamName = 2, Instruction = 3, Ascii = 4, Note = 5 };
inline constexpr std::array<const char*, 6> kLayoutCaptions{"RamBit", "BitName", "RamName",
                                                            "Instruction", "Ascii", "Note"};

// Grid geometry: origin, cell width and height in picture units.
struct GridGeometry {
    double x0 = 5, y0 = 4, cellWidth = 10, cellHeight = 3;
    // Lower-left corner of the cell of row r (0 = top) and column c.
    double CellX(int c) const { return x0 + cellWidth * c; }
    double CellY(int r) const { return y0 + cellHeight * (15 - r); }
    // Left edge of character position k (0..9) of a cell; position 0 and 9
    // are the blanks around the eight bits.
    double CharX(int c, int k) const { return CellX(c) - 1.1 + 1.1 * k; }
    // Vertical centre of the text of a cell.
    double TextY(int r) const { return CellY(r) + 2.0; }
    // The cell's frame: lower-left corner and size.
    double FrameX(int c) const { return CellX(c) - 1.1; }
    double FrameY(int r) const { return CellY(r) + 0.5; }
};

// What the address layouts mark besides the bits.
struct StateMarks {
    // Source, destination and two further operand addresses of the last
    // instruction; only internal addresses are marked.
    std::array<core::OperandAddress, 4> operands{};
    // Bits the last instruction wrote; a byte entry (bit -1) marks bit 0, as
    // the executor only records whole PSW for the parity flag.
    std::vector<core::ChangedLocation> changed;
    bool timer0Counting = false;
    bool timer1Counting = false;
    // Set after a load until the first step: nothing is marked.
    bool noInstructionYet = true;
};

// The 32 topic names by slot.
const std::array<std::string, 32>& TopicNames();
// The 128 names of the ASCII codes ("NUL" ... "SP", the character, "DEL").
const std::array<std::string, 128>& AsciiNames();

struct StatePictureSources {
    const core::CpuState* cpu = nullptr;
    const core::BitNameTable* bitNames = nullptr;
    const core::OpcodeTable* opcodes = nullptr;
    // Per-opcode usage counters; nullptr or all 0 draws the opcode map blue.
    const std::array<long, 256>* usage = nullptr;
    bool usageStatisticsEnabled = true;
};

class StatePicture {
public:
    StatePicture() = default;

    PictureLayout Layout() const { return m_layout; }
    bool ShowRegisterNames() const { return m_showRegisterNames; }
    const Picture& Drawing() const { return m_picture; }
    const GridGeometry& Geometry() const { return m_geometry; }

    // A layout button: sets the layout and draws it.
    void SelectLayout(PictureLayout layout, const StatePictureSources& sources, const StateMarks& marks);
    // Redraws the current layout (RefreshStateView for the address layouts).
    void Redraw(const StatePictureSources& sources, const StateMarks& marks);

    // The pieces, public so each can be checked on its own.
    void RefreshStateView(const core::CpuState& cpu, const StateMarks& marks);
    void DrawBitCell(const core::CpuState& cpu, int r, int c);
    void DrawGridHeadings();
    void MarkOperands(const StateMarks& marks);
    void MarkChangedBit(const core::ChangedLocation& location);
    void ShowBitNames(const core::BitNameTable& table);
    void ShowOpcodeMap(const core::OpcodeTable& table, const std::array<long, 256>* usage, bool statisticsEnabled);
    void ShowAsciiTable();
    void ShowTopics();
    // The topic grid with the reference sheet of one slot printed under it.
    void ShowTopicSheet(int slot);

private:
    void HatchCell(int address, Rgb colour);
    void FrameCell(int r, int c, Rgb colour);

    GridGeometry m_geometry;
    PictureLayout m_layout = PictureLayout::RamName;
    bool m_showRegisterNames = true;
    Picture m_picture;
};

// The RamList dump of code memory 0000H-0FFFH: 256 lines of the address
// and sixteen byte texts, each after one blank.
std::vector<std::string> FillCodeDump(const core::CpuState& cpu);
// What the "RAM" dump shows after the code: on the 8052 the upper RAM
// (I:80-I:F0), then every page of external RAM with written cells, by rows
// of 16 (rows with nothing written left out). Empty on a chip without upper
// RAM before any MOVX write.
std::vector<std::string> FillDataDump(const core::CpuState& cpu);

}  // namespace zelo::app
