#include "app/inspector.h"

#include <gtest/gtest.h>

#include "app/ascii_descriptions.h"
#include "core/opcode_table.h"

namespace {

using zelo::app::HitGridCell;
using zelo::app::InspectPointer;
using zelo::app::PictureLayout;
using zelo::core::ChipModel;
using zelo::core::CpuState;

// The centre of cell n in the picture's coordinates.
zelo::app::PicturePoint CellCentre(int n)
{
    const zelo::app::GridGeometry grid;
    return {grid.CellX(n % 16) + 5.0, grid.CellY(n / 16) + 2.0};
}

TEST(InspectorHitTest, FindsCellsStrictlyInsideTheirFrames)
{
    const struct
    {
        double x, y;
        int rows;
        int expected;  // -1: no cell
    } cases[] = {
        {10.0, 51.0, 16, 0},                          // row 0 at the top
        {160.0, 51.0, 16, 15}, {10.0, 6.0, 16, 240},  // row 15 at the bottom
        {160.0, 6.0, 16, 255}, {13.9, 51.0, 16, -1},  // the frame border between columns 0 and 1
        {14.4, 51.0, 16, 1},                          // left of column 1's corner, inside its frame
        {4.4, 51.0, 16, 0},                           // the same for column 0
        {3.9, 51.0, 16, -1},                          // left edge of the grid's frames
        {163.9, 51.0, 16, -1},                        // right edge
        {164.5, 51.0, 16, -1}, {10.0, 49.5, 16, -1},  // the border between rows 0 and 1
        {10.0, 49.6, 16, 0},                          // half a unit above the cell corner 49
        {10.0, 49.2, 16, 16},                         // below the corner of row 0: still row 1
        {10.0, 52.5, 16, -1},                         // top of row 0's band
        {10.0, 4.4, 16, -1},                          // under the grid
        {10.0, 53.0, 16, -1},                         // headings above the grid
        {10.0, 27.0, 8, -1},                          // row 8 does not exist in an 8-row layout
        {10.0, 30.0, 8, 112},                         // row 7
        {20.0, 48.0, 2, 17},                          // topic row 1
        {20.0, 45.0, 2, -1},
    };
    for (const auto& c : cases) {
        const auto hit = HitGridCell(c.x, c.y, c.rows);
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        if (c.expected < 0)
            EXPECT_FALSE(hit.has_value());
        else
            EXPECT_EQ(hit, c.expected);
    }
}

TEST(InspectorHitTest, WidgetPixelsMapToPictureCoordinates)
{
    const auto p = zelo::app::PictureFromWidget(0, 0, 1650, 540);
    EXPECT_DOUBLE_EQ(p.x, 0);
    EXPECT_DOUBLE_EQ(p.y, 54);
    const auto q = zelo::app::PictureFromWidget(1650, 540, 1650, 540);
    EXPECT_DOUBLE_EQ(q.x, 165);
    EXPECT_DOUBLE_EQ(q.y, 0);
    const auto centre = zelo::app::PictureFromWidget(100, 30, 1650, 540);  // cell 0
    EXPECT_EQ(HitGridCell(centre.x, centre.y), 0);
}

struct CaptionCase
{
    PictureLayout layout;
    int cell;
    const char* caption;
};

TEST(InspectorCaptions, EveryLayoutDescribesItsCell)
{
    const CaptionCase cases[] = {
        // Opcodes: no trailing ", " when the further operands are empty.
        {PictureLayout::Instruction, 0x00,
         "ZELO8051      OpCode= 00  [1B,1C]  Instruction= NOP        ("},
        {PictureLayout::Instruction, 0xE4,
         "ZELO8051      OpCode= E4  [1B,1C]  Instruction= CLR  A      ("},
        {PictureLayout::Instruction, 0xE8,
         "ZELO8051      OpCode= E8  [1B,1C]  Instruction= MOV  A, R0      ("},
        {PictureLayout::Instruction, 0xB4,
         "ZELO8051      OpCode= B4  [3B,2C]  Instruction= CJNE  A, #data, rel      ("},
        {PictureLayout::Instruction, 0xA5,
         "ZELO8051      OpCode= A5  [0B,0C]  Instruction= NON        ("},
        // Bits.
        {PictureLayout::BitName, 0x7F, "ZELO8051   IMBitCode=7FH     "},
        {PictureLayout::BitName, 0x80, "ZELO8051   SFRBitCode=80H     "},
        {PictureLayout::BitName, 0x8C, "ZELO8051   SFRBitCode=8CH     TR0 .Timer 0 Run."},
        {PictureLayout::BitName, 0xAE, "ZELO8051   Undefined Bit"},
        // Bytes after reset of an 8051.
        {PictureLayout::RamBit, 0x30, "ZELO8051    IMCode=30H( 48)      "},
        {PictureLayout::RamName, 0x00, "ZELO8051    IMCode=00H( 0)      R0"},
        {PictureLayout::RamBit, 0x07, "ZELO8051    IMCode=07H( 7)      R7"},
        {PictureLayout::RamBit, 0x90,
         "ZELO8051    SFRCode=90H( 144)      P1 (Port 1, Bit-Addressable)"},
        {PictureLayout::RamName, 0xC0, "ZELO8051    Undefind Byte"},
        {PictureLayout::RamBit, 0xC8,
         "ZELO8051    Undefind Byte"},  // T2CON exists only on the 8052
        // ASCII.
        {PictureLayout::Ascii, 0x00, "ZELO8051    AsciiCode=00H      CTRL-@  NUL (Null)"},
        {PictureLayout::Ascii, 0x41,
         "ZELO8051    AsciiCode=41H     A   Upper case alphabetic character"},
        {PictureLayout::Ascii, 0x7F, "ZELO8051    AsciiCode=7FH    DEL (Delete)"},
    };
    CpuState cpu(ChipModel::C8051);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        const auto p = CellCentre(c.cell);
        const auto result = InspectPointer(p.x, p.y, c.layout, true, cpu);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->cell, c.cell);
        EXPECT_TRUE(result->caption.starts_with(c.caption)) << result->caption;
    }
}

TEST(InspectorCaptions, InstructionCaptionEndsWithTheDescription)
{
    const auto& row = zelo::core::StandardOpcodeTable().Row(0x00);
    EXPECT_EQ(
        zelo::app::DescribeInstruction(0x00),
        "ZELO8051      OpCode= 00  [1B,1C]  Instruction= NOP        (" + std::string(row.description) + ")");
    for (int op = 0; op < 256; ++op) {
        const auto caption = zelo::app::DescribeInstruction(static_cast<uint8_t>(op));
        EXPECT_EQ(caption.find(", ,"), std::string::npos) << caption;
        EXPECT_EQ(caption.find(",       ("), std::string::npos) << caption;
        EXPECT_EQ(caption.find(",  "), std::string::npos) << caption;
    }
}

TEST(InspectorCaptions, ByteKindFollowsTheAddress)
{
    CpuState cpu(ChipModel::C8051);
    // Internal RAM keeps its kind once a program has written it.
    cpu.WriteRamByte(0x12, 0x30);
    EXPECT_TRUE(zelo::app::DescribeRamByte(0x30, cpu).starts_with("ZELO8051    IMCode=30H( 48)"));
    // SBUF is undefined after reset but is a register.
    EXPECT_TRUE(zelo::app::DescribeRamByte(0x99, cpu).starts_with(
        "ZELO8051    SFRCode=99H( 153)      SBUF"));
    // PSW resets with an undefined bit 1.
    EXPECT_TRUE(zelo::app::DescribeRamByte(0xD0, cpu).starts_with(
        "ZELO8051    SFRCode=D0H( 208)      PSW"));
    // On the 89Cx051 P0 does not exist.
    CpuState small(ChipModel::C89Cx051);
    EXPECT_EQ(zelo::app::DescribeRamByte(0x80, small), "ZELO8051    Undefind Byte");
    EXPECT_TRUE(zelo::app::DescribeRamByte(0x90, small).starts_with("ZELO8051    SFRCode=90H"));
    // Register names follow the selected bank: bank 1 puts R0 at 08H.
    cpu.StoreByte(0x08, zelo::core::sfr::PSW);
    EXPECT_EQ(zelo::app::DescribeRamByte(0x08, cpu), "ZELO8051    IMCode=08H( 8)      R0");
    EXPECT_EQ(zelo::app::DescribeRamByte(0x00, cpu), "ZELO8051    IMCode=00H( 0)      ");
}

TEST(InspectorCaptions, PointerOffTheGridGivesThePlainCaption)
{
    CpuState cpu;
    for (auto layout : {PictureLayout::RamBit, PictureLayout::BitName, PictureLayout::RamName,
                        PictureLayout::Instruction, PictureLayout::Ascii, PictureLayout::Note}) {
        const auto result = InspectPointer(1.0, 1.0, layout, true, cpu);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->caption, "ZELO8051");
        EXPECT_FALSE(result->cell.has_value());
        EXPECT_FALSE(result->topicSlot.has_value());
    }
    // Row 8 lies outside the ASCII table.
    const auto p = CellCentre(0x80);
    EXPECT_EQ(InspectPointer(p.x, p.y, PictureLayout::Ascii, true, cpu)->caption, "ZELO8051");
}

TEST(InspectorHover, InspectionOffLeavesTheCaption)
{
    CpuState cpu;
    const auto p = CellCentre(0x90);
    for (auto layout : {PictureLayout::RamBit, PictureLayout::Instruction, PictureLayout::Note}) {
        EXPECT_FALSE(InspectPointer(p.x, p.y, layout, false, cpu).has_value());
        EXPECT_TRUE(InspectPointer(p.x, p.y, layout, true, cpu).has_value());
    }
}

TEST(InspectorHover, NoteLayoutAsksForTheTopicSheet)
{
    CpuState cpu;
    for (int slot : {0, 13, 14, 16, 23, 31}) {
        const auto p = CellCentre(slot);
        const auto result = InspectPointer(p.x, p.y, PictureLayout::Note, true, cpu);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->topicSlot, slot);
        EXPECT_EQ(result->caption, "ZELO8051");
    }
    const auto below = CellCentre(32);
    EXPECT_FALSE(
        InspectPointer(below.x, below.y, PictureLayout::Note, true, cpu)->topicSlot.has_value());
}

TEST(InspectorHover, InstructionLayoutCopiesTheOpcodeRow)
{
    CpuState cpu;
    const auto p = CellCentre(0x75);
    const auto result = InspectPointer(p.x, p.y, PictureLayout::Instruction, true, cpu);
    ASSERT_TRUE(result && result->opcode);
    zelo::core::CurrentInstruction current;
    zelo::app::CopyOpcodeRowToInstruction(*result->opcode, current);
    ASSERT_NE(current.row, nullptr);
    EXPECT_EQ(current.row->hex, "75");
    EXPECT_EQ(current.b0, 0x75);
    EXPECT_EQ(current.highDigit, 7);
    EXPECT_EQ(current.lowDigit, 5);
}

TEST(AsciiDescriptions, SampleEntriesAndLeadingBlanks)
{
    const auto table = zelo::app::BuildAsciiDescriptions();
    const struct
    {
        int code;
        const char* text;
    } cases[] = {
        {0x00, "   CTRL-@  NUL (Null)"},
        {0x0A, "  CTRL-J  LF (Linefeed)"},
        {0x11, "  CTRL-Q  DC1 (Device Control, X-ON)"},
        {0x1B, "  CTRL-[  ESC (Escape)"},
        {0x1F, "  CTRL-_  US (Unit separator)"},
        {0x20, "  Space"},
        {0x21, "  !   Exclamation mark"},
        {0x41, "  A   Upper case alphabetic character"},
        {0x5B, "  [   Open square bracket"},
        {0x61, "  a   Lower case alphabetic character"},
        {0x63, "  c   Lower case alphabetic character"},
        {0x64, " d   Lower case alphabetic character"},
        {0x7E, " ~   Tilde"},
        {0x7F, " DEL (Delete)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(table[static_cast<std::size_t>(c.code)], c.text) << c.code;

    for (int code = 0; code < 128; ++code) {
        const std::string& entry = table[static_cast<std::size_t>(code)];
        const std::size_t blanks = code < 10 ? 3 : code < 100 ? 2 : 1;
        SCOPED_TRACE(code);
        ASSERT_GT(entry.size(), blanks + 2);
        EXPECT_EQ(entry.find_first_not_of(' '), blanks);
        if (code > 32 && code < 127) {
            EXPECT_EQ(entry[blanks], static_cast<char>(code));
            EXPECT_EQ(entry.substr(blanks + 1, 3), "   ");
            EXPECT_GT(entry.size(), blanks + 5) << "every printable code has a name";
        }
    }
}

}  // namespace
