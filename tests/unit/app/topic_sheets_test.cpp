#include "app/topic_sheets.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "app/state_picture.h"
#include "app/topic_sheet_picture.h"
#include "core/bit_name_table.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace {

using zelo::app::PrintTopicSheet;

struct SheetCase
{
    int slot;
    const char* name;
    const char* firstLine;  // whole first line, or its beginning when prefixOnly
    bool prefixOnly;
    std::size_t lines;
};

const SheetCase kSheets[] = {
    {0, "Flags", "ZELO8051  Instruction that Affect Flag Settings", false, 18},
    {1, "Symbol", "ZELO8051  The Symbols For the Instruction Set", false, 13},
    {2, "T-Modes", "ZELO8051  Timer Modes", false, 10},
    {3, "S-Modes", "ZELO8051  Serial Modes", false, 15},
    {4, "I-Add", "ZELO8051  Interrupt Flag Interrupt Handler Address", false, 21},
    {5, "Code", "ZELO8051  Eight Kinds of Code in the Rom(Code Memory)", false, 11},
    {6, "Memory", "ZELO8051  Memory", false, 14},
    {7, "A-Modes", "ZELO8051  Addressing Modes", false, 16},
    {8, "Flow", "  Type                       Example              Note", false, 10},
    {9, "Number", "Decimal:", true, 20},
    {10, "Syntax", "Label       :A user-assigned symbol", true, 16},
    {11, "Invalid", "Invalid Instruction", false, 9},
    {12, "  >=<", "CJNE  Parameter1, Parameter2, Branch", false, 16},
    {13, "Pseudo", " Pseudo Code           Example", false, 19},
    {16, "PCON", "ZELO8051   PCON (SFRcode=87H    Bit Not Addressible)", false, 11},
    {17, "TMOD", "ZELO8051   TMOD (SFRcode=89H    Bit Not Addressible)", false, 19},
    {18, "TCON", "ZELO8051   TCON", false, 11},
    {19, "SCON", "ZELO8051   SCON", false, 11},
    {20, "IE", "ZELO8051   IE", false, 11},
    {21, "IP", "ZELO8051   IP", false, 11},
    {22, "S-com", "ZELO8051   Special-Command", false, 23},
    {23, "Int.", "ZELO8051   Interrupt ex.", false, 13},
};

TEST(TopicSheets, EveryTopicPrintsItsHeadingAndLineCount)
{
    for (const auto& c : kSheets) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(zelo::app::TopicNames()[static_cast<std::size_t>(c.slot)], c.name);
        const auto sheet = PrintTopicSheet(c.slot);
        ASSERT_EQ(sheet.size(), c.lines);
        if (c.prefixOnly)
            EXPECT_TRUE(sheet[0].starts_with(c.firstLine)) << sheet[0];
        else
            EXPECT_EQ(sheet[0], c.firstLine);
    }
}

TEST(TopicSheets, EmptySlotsPrintNothing)
{
    for (int slot : {14, 15, 24, 25, 26, 27, 28, 29, 30, 31, -1, 32, 1000}) {
        EXPECT_TRUE(PrintTopicSheet(slot).empty()) << slot;
    }
    // A slot has a sheet exactly when the topic grid names it.
    for (int slot = 0; slot < zelo::app::kTopicSlots; ++slot) {
        EXPECT_EQ(zelo::app::TopicNames()[static_cast<std::size_t>(slot)].empty(),
                  PrintTopicSheet(slot).empty())
            << slot;
    }
}

TEST(TopicSheets, LinesAreShortPlainTextWithoutTrailingBlanks)
{
    for (int slot = 0; slot < zelo::app::kTopicSlots; ++slot) {
        for (const auto line : PrintTopicSheet(slot)) {
            SCOPED_TRACE(std::string(line));
            EXPECT_LE(line.size(), 125u) << "wider than the picture";
            EXPECT_TRUE(line.empty() || line.back() != ' ');
            for (const char ch : line) EXPECT_TRUE(ch >= ' ' && ch <= '~') << "slot " << slot;
        }
    }
}

// Rows a sheet must hold: the sheet's worked examples and table rows.
struct RowCase
{
    int slot;
    int line;  // 0-based
    const char* beginning;
};

const RowCase kRows[] = {
    {0, 1, "Instrction:    Carry   OverFlow   AuxCarry           Instruction : Parity"},
    {1, 2, "    Rn : Register R7-R0 of the currently selected Register Bank"},
    {2, 1, "TxM1 TxM0    Timer Mode     Description of Mode"},
    {2, 2, " 0    0         0          13-bit Timer"},
    {2, 3, " 0    1         1          16-bit Timer"},
    {2, 4, " 1    0         2          8-bit Auto-Reload"},
    {2, 5, " 1    1         3          Split Timer mode"},
    {4, 2, "External0        IE0             0003h          1"},
    {4, 3, "Timer0           TF0             000Bh          2"},
    {4, 4, "External1        IE1             0013h          3"},
    {4, 5, "Timer1           TF1             001Bh          4"},
    {4, 6, "Serial           RI/TI           0023h          5"},
    {4, 16, "ALWAYS PROTECT THE REGISTERS."},
    {7, 1, "  Mode                  Example             Note"},
    {8, 1, "Conditional Branching        JB 24H, Hi           IF  THEN"},
    {11, 1, "MOV  R1,R2"},
    {11, 2, "MOV  @R0, @R1"},
    {13, 1, " REG                   bit1   REG 20H.1"},
    {16, 1, "bit   Name     Explanation of Function"},
    {18, 1, "Bit   Name    BitAddres    Explanation of Function"},
    {22, 1, "Mode0:"},
    {22, 2, "Count EQU 6000"},
    {23, 1, "INT0:"},
    {23, 2, "        Setb  IT0     ; TCON : IT0=1 ==> negative edge,  "},
};

TEST(TopicSheets, SheetsHoldTheirTableRows)
{
    for (const auto& c : kRows) {
        const auto sheet = PrintTopicSheet(c.slot);
        ASSERT_LT(static_cast<std::size_t>(c.line), sheet.size()) << c.slot;
        EXPECT_TRUE(sheet[static_cast<std::size_t>(c.line)].starts_with(c.beginning))
            << "slot " << c.slot << " line " << c.line << ": "
            << sheet[static_cast<std::size_t>(c.line)];
    }
}

bool SheetContains(int slot, std::string_view text)
{
    for (const auto line : PrintTopicSheet(slot)) {
        if (line.find(text) != std::string_view::npos) return true;
    }
    return false;
}

TEST(TopicSheets, WorkedExamplesGiveTheRightNumbers)
{
    const struct
    {
        int slot;
        const char* text;
    } cases[] = {
        {2, "11,059,200 / 12 = 921,600 times per second"},
        {3, "8-bit Shift Register"},
        {3, "921,600"},
        {3, "9-bit UART"},
        {3, "172,800"},
        {3, "TH1 = 256 - ((Crystal / 384) / Baud)"},
        {3, "TH1 = 256 - ((Crystal / 192) / Baud)"},
        {3, "= 253"},
        {5, "OpCode"},
        {5, "IMCode"},
        {5, "SFRCode"},
        {5, "IMBitCode"},
        {5, "SFRBitCode"},
        {5, "NumCode"},
        {5, "AsciiCode"},
        {5, "AddCode"},
        {4, "PSW, ACC, B, DPH, DPL"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SheetContains(c.slot, c.text)) << c.slot << ": " << c.text;

    // The numbers behind the examples.
    EXPECT_EQ(11059200 / 12, 921600);
    EXPECT_EQ(11059200 / 64, 172800);
    EXPECT_EQ(256 - (11059200 / 384) / 9600, 253);
}

// Every register row " b    NAME      XXH" of the TCON, SCON, IE and IP sheets
// must name the bit the bit-name table has at that bit address, with b the
// bit number of that address.
TEST(TopicSheets, RegisterSheetsAgreeWithTheBitNameTable)
{
    const auto& bits = zelo::core::StandardBitNameTable();
    int rowsChecked = 0;
    for (int slot : {18, 19, 20, 21}) {
        const auto sheet = PrintTopicSheet(slot);
        for (std::size_t k = 2; k < 10; ++k) {
            const std::string line(sheet[k]);
            SCOPED_TRACE(line);
            ASSERT_GE(line.size(), 19u);
            const int bit = line[1] - '0';
            const std::string name(zelo::core::TrimBlanks(line.substr(6, 8)));
            const std::string address = line.substr(16, 2);
            ASSERT_EQ(line[18], 'H');
            const int n = zelo::core::ParseHexByteValue(address);
            EXPECT_EQ(n % 8, bit);
            EXPECT_EQ(bit, static_cast<int>(9 - k));
            if (name == "-") {
                EXPECT_EQ(bits.Row(static_cast<uint8_t>(n)).name, "");
            } else {
                EXPECT_EQ(bits.Row(static_cast<uint8_t>(n)).name, name);
            }
            ++rowsChecked;
        }
    }
    EXPECT_EQ(rowsChecked, 32);
}

}  // namespace

namespace {

TEST(TopicSheetPicture, SheetsPrintBelowTheTopicRowsAndInsideThePicture)
{
    const zelo::app::GridGeometry grid;
    const double topicRowsBottom = grid.CellY(1) + 0.5;
    for (int slot = 0; slot < zelo::app::kTopicSlots; ++slot) {
        zelo::app::Picture picture;
        const int added = zelo::app::AddTopicSheet(picture, slot);
        const auto sheet = PrintTopicSheet(slot);
        SCOPED_TRACE(slot);
        ASSERT_EQ(static_cast<std::size_t>(added), sheet.size());
        ASSERT_EQ(picture.texts.size(), sheet.size());
        for (std::size_t k = 0; k < picture.texts.size(); ++k) {
            const auto& text = picture.texts[k];
            EXPECT_EQ(text.text, sheet[k]);
            EXPECT_LT(text.y + 0.9, topicRowsBottom + 1e-9) << "overlaps the topic rows";
            EXPECT_GT(text.y - 0.9, -1e-9) << "runs off the bottom";
            if (k > 0) {
                EXPECT_LT(text.y, picture.texts[k - 1].y) << "lines go downwards";
            }
            EXPECT_EQ(text.colour, zelo::app::kBlack);
        }
    }
}

}  // namespace
