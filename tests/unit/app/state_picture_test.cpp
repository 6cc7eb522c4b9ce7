#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/state_picture.h"
#include "core/bit_name_table.h"
#include "core/opcode_table.h"

namespace zelo::app {
namespace {

core::CpuState FreshChip(core::ChipModel chip = core::ChipModel::C8051)
{
    core::CpuState cpu(chip);
    cpu.ResetInternalMemory();
    cpu.BuildSfrTable();
    return cpu;
}

// Texts printed inside the frame of cell (r, c), left to right.
std::vector<PictureText> TextsInCell(const StatePicture& picture, int r, int c)
{
    const auto& g = picture.Geometry();
    std::vector<PictureText> found;
    for (const auto& t : picture.Drawing().texts) {
        if (t.x >= g.FrameX(c) - 0.01 && t.x < g.FrameX(c) + g.cellWidth && t.y > g.CellY(r) &&
            t.y < g.CellY(r) + g.cellHeight + 0.5)
            found.push_back(t);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
    return found;
}

std::string JoinedText(const std::vector<PictureText>& texts)
{
    std::string s;
    for (const auto& t : texts) s += t.text;
    return s;
}

// Lines lying inside the frame of the cell (both ends).
int LinesInCell(const StatePicture& picture, int address, Rgb colour)
{
    const auto& g = picture.Geometry();
    const int r = address / 16, c = address % 16;
    const double x0 = g.FrameX(c), y0 = g.FrameY(r);
    int count = 0;
    for (const auto& l : picture.Drawing().lines) {
        if (!(l.colour == colour)) continue;
        auto inside = [&](double x, double y) {
            return x >= x0 - 1e-9 && x <= x0 + g.cellWidth + 1e-9 && y >= y0 - 1e-9 && y <= y0 + g.cellHeight + 1e-9;
        };
        if (inside(l.x1, l.y1) && inside(l.x2, l.y2)) ++count;
    }
    return count;
}

// Whether the four sides of the cell's frame are drawn in that colour.
bool HasFrame(const StatePicture& picture, int address, Rgb colour)
{
    const auto& g = picture.Geometry();
    const double x = g.FrameX(address % 16), y = g.FrameY(address / 16);
    const double w = g.cellWidth, h = g.cellHeight;
    const std::array<std::array<double, 4>, 4> sides{{{x, y, x + w, y}, {x + w, y, x + w, y + h},
                                                      {x + w, y + h, x, y + h}, {x, y + h, x, y}}};
    for (const auto& s : sides) {
        const bool found = std::any_of(picture.Drawing().lines.begin(), picture.Drawing().lines.end(), [&](const auto& l) {
            return l.colour == colour && l.x1 == s[0] && l.y1 == s[1] && l.x2 == s[2] && l.y2 == s[3];
        });
        if (!found) return false;
    }
    return true;
}

TEST(StatePicture, RamBitPrintsEightCellsPerAddressHighBitFirstInTheirColours)
{
    auto cpu = FreshChip();
    cpu.WriteRamByte(0xA5, 0x30);
    cpu.bitColour[0x30][7] = 4;
    StatePicture picture;
    StateMarks marks;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, marks);
    const auto texts = TextsInCell(picture, 3, 0);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(JoinedText(texts), "10100101");
    EXPECT_EQ(texts[0].colour, Palette(4));
    EXPECT_EQ(texts[1].colour, Palette(7));
    // The gap between the nibbles is wider than the step between bits.
    EXPECT_GT(texts[4].x - texts[3].x, texts[1].x - texts[0].x + 0.3);
}

TEST(StatePicture, UndefinedAndMissingCellsArePrintedAsTheyAre)
{
    auto cpu = FreshChip();
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, StateMarks{});
    EXPECT_EQ(JoinedText(TextsInCell(picture, 4, 0)), "xxxxxxxx");   // RAM 40H after reset
    EXPECT_EQ(JoinedText(TextsInCell(picture, 12, 1)), "--------");  // C1H: no register on the 8051
}

TEST(StatePicture, RamNameShowsLabelsOfRegistersInUseInBlueAndBitsElsewhere)
{
    auto cpu = FreshChip();
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamName, {&cpu}, StateMarks{});
    const auto acc = TextsInCell(picture, 14, 0);
    ASSERT_EQ(acc.size(), 1u);
    EXPECT_EQ(acc[0].text, "A");
    EXPECT_EQ(acc[0].colour, Palette(1));
    EXPECT_EQ(JoinedText(TextsInCell(picture, 0, 0)), "R0");
    // RamBit shows the bits even where a register is named.
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, StateMarks{});
    EXPECT_EQ(TextsInCell(picture, 14, 0).size(), 8u);
    EXPECT_FALSE(picture.ShowRegisterNames());
}

TEST(StatePicture, InUseAddressesAreFramedInTheirAttributeColour)
{
    auto cpu = FreshChip();
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamName, {&cpu}, StateMarks{});
    EXPECT_TRUE(HasFrame(picture, 0xE0, Palette(12)));  // ACC: bit addressable
    EXPECT_TRUE(HasFrame(picture, 0x81, Palette(1)));   // SP
    EXPECT_TRUE(HasFrame(picture, 0x2F, Palette(12)));  // bit-addressable RAM
    EXPECT_FALSE(HasFrame(picture, 0x40, Palette(1)) || HasFrame(picture, 0x40, Palette(12)));
    EXPECT_FALSE(HasFrame(picture, 0xC1, Palette(1)) || HasFrame(picture, 0xC1, Palette(12)));
}

TEST(StatePicture, GridHeadingsNameRowsAndColumns)
{
    auto cpu = FreshChip();
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, StateMarks{});
    const auto& texts = picture.Drawing().texts;
    auto find = [&](const std::string& s) {
        return std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.text == s; });
    };
    ASSERT_NE(find("00 "), texts.end());
    EXPECT_EQ(find("70 ")->colour, Palette(10));
    EXPECT_EQ(find("80 ")->colour, Palette(4));
    EXPECT_EQ(find("F0 ")->colour, Palette(4));
    ASSERT_NE(find("      0F"), texts.end());
    EXPECT_EQ(find("      0A")->colour, Palette(12));
    EXPECT_GT(find("      00")->y, picture.Geometry().CellY(0) + 3);  // above the grid
}

TEST(StatePicture, OperandMarksHatchOnlyInternalAddressesAndNotBeforeTheFirstStep)
{
    auto cpu = FreshChip();
    StateMarks marks;
    marks.operands[0] = core::OperandAddress{0x30, false};   // source: grey
    marks.operands[1] = core::OperandAddress{0xE0, false};   // destination: light red
    marks.operands[2] = core::OperandAddress{0x0040, true};  // external: not marked
    marks.timer1Counting = true;
    marks.noInstructionYet = true;
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, marks);
    EXPECT_EQ(LinesInCell(picture, 0x30, kHatchGrey), 0);

    marks.noInstructionYet = false;
    picture.Redraw({&cpu}, marks);
    EXPECT_GT(LinesInCell(picture, 0x30, kHatchGrey), 10);
    EXPECT_GT(LinesInCell(picture, 0xE0, Palette(12)), 10);
    EXPECT_EQ(LinesInCell(picture, 0x40, Palette(14)), 0);
    EXPECT_GT(LinesInCell(picture, 0x8B, kHatchGrey), 10);  // TL1
    EXPECT_GT(LinesInCell(picture, 0x8D, kHatchGrey), 10);  // TH1
    EXPECT_EQ(LinesInCell(picture, 0x8A, kHatchGrey), 0);   // timer 0 not counting

    // The other layouts never mark operands.
    picture.SelectLayout(PictureLayout::Ascii, {&cpu}, marks);
    EXPECT_EQ(LinesInCell(picture, 0x30, kHatchGrey), 0);
}

TEST(StatePicture, ChangedBitIsMarkedUnderItsOwnCharacter)
{
    auto cpu = FreshChip();
    StateMarks marks;
    marks.noInstructionYet = false;
    marks.changed.push_back(core::ChangedLocation{0xD0, 7});  // CY
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, marks);
    const auto cells = TextsInCell(picture, 13, 0);
    ASSERT_EQ(cells.size(), 8u);
    int marked = 0;
    for (const auto& l : picture.Drawing().lines) {
        // The change mark is a short horizontal stroke (frames are longer).
        if (!(l.colour == Palette(12)) || l.y1 != l.y2 || std::abs(l.x2 - l.x1) > 1.5) continue;
        if (l.x1 >= cells[0].x && l.x2 <= cells[0].x + 1.1) ++marked;
        EXPECT_FALSE(l.x1 >= cells[7].x && l.x2 <= cells[7].x + 1.1) << "bit 0 must not be marked";
    }
    EXPECT_EQ(marked, 1);
}

TEST(StatePicture, BitNamesArePrintedInBlueInLightRedFramesOnlyWhereNamed)
{
    StatePicture picture;
    const auto& names = core::StandardBitNameTable();
    picture.SelectLayout(PictureLayout::BitName, {nullptr, &names}, StateMarks{});
    const auto cy = TextsInCell(picture, 13, 7);  // bit address D7H
    ASSERT_EQ(cy.size(), 1u);
    EXPECT_EQ(cy[0].text, names.Row(0xD7).name);
    EXPECT_TRUE(HasFrame(picture, 0xD7, Palette(12)));
    EXPECT_FALSE(HasFrame(picture, 0xD7, Palette(11)));
    EXPECT_TRUE(HasFrame(picture, 0xF7, Palette(12)));  // B.7, the last named bit
    EXPECT_TRUE(TextsInCell(picture, 15, 8).empty());   // F8H has no name and no frame
    EXPECT_FALSE(HasFrame(picture, 0xF8, Palette(11)) || HasFrame(picture, 0xF8, Palette(12)));
}

TEST(StatePicture, OpcodeMapColoursUsedOpcodesLightRed)
{
    StatePicture picture;
    std::array<long, 256> usage{};
    usage[0x74] = 3;
    const StatePictureSources sources{nullptr, nullptr, &core::StandardOpcodeTable(), &usage, true};
    picture.SelectLayout(PictureLayout::Instruction, sources, StateMarks{});
    const auto mov = TextsInCell(picture, 7, 4);
    ASSERT_EQ(mov.size(), 1u);
    EXPECT_EQ(mov[0].text, "MOV");
    EXPECT_EQ(mov[0].colour, Palette(12));
    EXPECT_EQ(TextsInCell(picture, 0, 0)[0].text, "NOP");
    EXPECT_EQ(TextsInCell(picture, 0, 0)[0].colour, Palette(1));
    // With statistics off everything is blue.
    picture.SelectLayout(PictureLayout::Instruction, {nullptr, nullptr, &core::StandardOpcodeTable(), &usage, false},
                         StateMarks{});
    EXPECT_EQ(TextsInCell(picture, 7, 4)[0].colour, Palette(1));
}

TEST(StatePicture, AsciiTablePadsNamesAndPrintsBackslashInAFaceThatHasIt)
{
    StatePicture picture;
    picture.SelectLayout(PictureLayout::Ascii, {}, StateMarks{});
    EXPECT_EQ(TextsInCell(picture, 0, 0)[0].text, " NUL");
    EXPECT_EQ(TextsInCell(picture, 0, 8)[0].text, "  BS");
    EXPECT_EQ(TextsInCell(picture, 2, 0)[0].text, "  SP");
    EXPECT_EQ(TextsInCell(picture, 4, 1)[0].text, "  A");
    EXPECT_EQ(TextsInCell(picture, 7, 15)[0].text, " DEL");
    const auto backslash = TextsInCell(picture, 5, 12);
    ASSERT_EQ(backslash.size(), 1u);
    EXPECT_EQ(backslash[0].text, "  \\");
    EXPECT_EQ(backslash[0].font, PictureFont::MingLiU);
    EXPECT_EQ(TextsInCell(picture, 5, 11)[0].font, PictureFont::Gothic);
    EXPECT_TRUE(TextsInCell(picture, 8, 0).empty());  // only 8 rows
}

TEST(StatePicture, TopicsFillTwoRowsOfNamedSlots)
{
    StatePicture picture;
    picture.SelectLayout(PictureLayout::Note, {}, StateMarks{});
    EXPECT_EQ(TextsInCell(picture, 0, 0)[0].text, "Flags");
    EXPECT_EQ(TextsInCell(picture, 1, 7)[0].text, "Int.");
    EXPECT_TRUE(TextsInCell(picture, 0, 14).empty());
    EXPECT_TRUE(TextsInCell(picture, 2, 0).empty());
    EXPECT_EQ(picture.Drawing().texts.size(), 22u);
}

TEST(CodeDump, NothingLoadedGivesAddressAndSixteenUnloadedCellsPerLine)
{
    auto cpu = FreshChip();
    cpu.FillCode(core::HexCell::Unloaded());
    cpu.codeMemory[0x0FFF] = core::HexCell::FromValue(0x5A);
    cpu.codeMemory[0x1000] = core::HexCell::FromValue(0x11);  // beyond the dump
    const auto lines = FillCodeDump(cpu);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "0000 xx xx xx xx xx xx xx xx xx xx xx xx xx xx xx xx");
    EXPECT_EQ(lines[255], "0FF0 xx xx xx xx xx xx xx xx xx xx xx xx xx xx xx 5A");
}

}  // namespace
}  // namespace zelo::app

namespace zelo::app {
namespace {

TEST(StatePicture, DirectAddressesWithoutARegisterAreDrawnAbsentOnThe8052)
{
    core::CpuState cpu = FreshChip(core::ChipModel::C8052);
    StatePicture picture;
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, StateMarks{});
    EXPECT_EQ(JoinedText(TextsInCell(picture, 0xC, 0x5)), "--------");  // C5H: no register
    EXPECT_EQ(JoinedText(TextsInCell(picture, 0xC, 0x8)), "00000000");  // T2CON
    EXPECT_EQ(JoinedText(TextsInCell(picture, 0x3, 0x0)), "xxxxxxxx");  // RAM 30H, undefined
    cpu.WriteRamByte(0x12, 0xC5);  // what a direct write left there is shown
    picture.SelectLayout(PictureLayout::RamBit, {&cpu}, StateMarks{});
    EXPECT_EQ(JoinedText(TextsInCell(picture, 0xC, 0x5)), "00010010");
}

}  // namespace
}  // namespace zelo::app
