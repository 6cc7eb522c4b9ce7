// Full tables: labels stop being added with a note, and what is written
// stays valid source.
#include <gtest/gtest.h>

#include <algorithm>

#include "loader/disassembler.h"

namespace zelo::loader {
namespace {

bool HasNote(const std::vector<DisassemblyNote>& notes, DisassemblyNote note)
{
    return std::find(notes.begin(), notes.end(), note) != notes.end();
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

// count LCALLs from 0000H to the distinct targets first, first + step, ...
CodeImage Calls(int count, int first, int step)
{
    CodeImage image;
    for (int k = 0; k < count; ++k) {
        const int target = first + k * step;
        image.Set(3 * k, 0x12);
        image.Set(3 * k + 1, static_cast<uint8_t>(target >> 8));
        image.Set(3 * k + 2, static_cast<uint8_t>(target));
    }
    return image;
}

TEST(DisassemblerLimits, CodeLabelTableStopsAt300AndLaterTargetsAreWrittenAsAddresses)
{
    const CodeImage image = Calls(301, 0x4000, 1);
    Disassembler d(image, core::ChipModel::C8051);
    d.Run();
    const auto out = d.WriteDisassembly();
    EXPECT_EQ(d.CodeLabels().size(), 300u);
    EXPECT_TRUE(HasNote(out.notes, DisassemblyNote::CodeLabelsFull));
    // Every label in the table is declared; the 301st target is an address.
    EXPECT_TRUE(HasLine(out.sourceLines, "LCALL LCALL:100"));
    EXPECT_TRUE(HasLine(out.sourceLines, "LCALL LCALL:300"));
    EXPECT_FALSE(HasLine(out.sourceLines, "LCALL 4064H"));
    EXPECT_TRUE(HasLine(out.sourceLines, "LCALL 412CH"));  // the 301st target: no label
}

TEST(DisassemblerLimits, DptrLabelsStopAt20AndDataAreasAt20)
{
    CodeImage image;
    int a = 0;
    for (int k = 0; k < 21; ++k) {  // MOV DPTR,#(0100H + 4k) ; LJMP (0102H + 4k)
        const int table = 0x100 + 4 * k;
        for (uint8_t b : {uint8_t(0x90), uint8_t(table >> 8), uint8_t(table), uint8_t(0x02), uint8_t((table + 2) >> 8),
                          uint8_t(table + 2)})
            image.Set(a++, b);
        image.Set(table, 0x41);
        image.Set(table + 1, 0x42);
        image.Set(table + 2, 0x00);
        image.Set(table + 3, 0x00);
    }
    Disassembler d(image, core::ChipModel::C8051);
    d.Run();
    const auto out = d.WriteDisassembly();
    EXPECT_EQ(d.DptrLabels().size(), 20u);
    EXPECT_TRUE(HasNote(out.notes, DisassemblyNote::DptrLabelsFull));
    ASSERT_EQ(d.DptrDataAreas().size(), 20u);
    EXPECT_EQ(d.DptrDataAreas()[0].first, 0x100);
    EXPECT_EQ(d.DptrDataAreas()[0].last, 0x101);
    EXPECT_TRUE(HasLine(out.sourceLines, "DB    'A','B'"));
}

TEST(DisassemblerLimits, RelativeLabelTableStopsAt300AndLaterJumpsAreWrittenAsBytes)
{
    CodeImage image;
    for (int k = 0; k < 301; ++k) {  // SJMP to the next instruction, 301 times
        image.Set(2 * k, 0x80);
        image.Set(2 * k + 1, 0x00);
    }
    image.Set(602, 0x22);
    Disassembler d(image, core::ChipModel::C8051);
    d.Run();
    const auto out = d.WriteDisassembly();
    EXPECT_EQ(d.RelativeLabels().size(), 300u);
    EXPECT_TRUE(HasNote(out.notes, DisassemblyNote::RelativeLabelsFull));
    ASSERT_GE(out.sourceLines.size(), 2u);
    EXPECT_EQ(out.sourceLines.back(), "          RET");
    const std::string& last = out.sourceLines[out.sourceLines.size() - 2];
    EXPECT_EQ(last.substr(10), "DB    80H,00H");
    EXPECT_EQ(last[0], '$');  // the 300th target
}

TEST(DisassemblerLimits, DataAreasOfAnyLengthAreWrittenAsData)
{
    CodeImage image;  // MOV DPTR,#0003H, then 900 NOPs: the area needs 113 DB lines
    image.Set(0, 0x90);
    image.Set(1, 0x00);
    image.Set(2, 0x03);
    for (int a = 3; a < 903; ++a) image.Set(a, 0x00);
    Disassembler d(image, core::ChipModel::C8051);
    d.Run();
    const auto out = d.WriteDisassembly();
    ASSERT_EQ(d.DptrDataAreas().size(), 1u);
    EXPECT_GE(out.dataLines, 113);
    EXPECT_TRUE(out.notes.empty());

    image.Set(900, 0x02);  // LJMP 0300H at 0384H closes the area after 765 bytes: 96 DB lines
    image.Set(901, 0x03);
    image.Set(902, 0x00);
    Disassembler fits(image, core::ChipModel::C8051);
    fits.Run();
    ASSERT_EQ(fits.DptrDataAreas().size(), 1u);
    EXPECT_EQ(fits.DptrDataAreas()[0].last, 0x2FF);
}

TEST(DisassemblerLimits, EveryLabelIsWrittenOnItsLine)
{
    CodeImage image;  // 250 called NOPs and 100 relative targets
    for (int k = 0; k < 250; ++k) {
        image.Set(3 * k, 0x12);
        image.Set(3 * k + 1, 0x10);
        image.Set(3 * k + 2, static_cast<uint8_t>(k));
        image.Set(0x1000 + k, 0x00);
    }
    for (int k = 0; k < 100; ++k) {
        image.Set(0x2000 + 2 * k, 0x80);
        image.Set(0x2000 + 2 * k + 1, 0x00);
    }
    image.Set(0x2000 + 200, 0x22);
    Disassembler d(image, core::ChipModel::C8051);
    d.Run();
    const auto out = d.WriteDisassembly();
    int labelled = 0;
    for (const auto& line : out.sourceLines)
        if (!line.empty() && line[0] != ' ' && line[0] != ';' && line.find(" EQU ") == std::string::npos &&
            line.find(" REG ") == std::string::npos)
            ++labelled;
    EXPECT_EQ(labelled, 350);
    EXPECT_TRUE(out.notes.empty());
    EXPECT_FALSE(HasLine(out.sourceLines, " DB "));
}

}  // namespace
}  // namespace zelo::loader
