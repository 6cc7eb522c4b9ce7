// Operand forms and task-file images of the disassembler.
#include <gtest/gtest.h>

#include "loader/code_image.h"
#include "loader/disassembler.h"
#include "loader/disassembly_operands.h"

namespace zelo::loader {
namespace {

using core::ChipModel;

TEST(DisassemblyForms, DirectAddressesUseOnlyNamesThatReadBackAsTheSameAddress)
{
    const struct {
        uint8_t address;
        ChipModel chip;
        const char* text;
    } cases[] = {
        {0xE0, ChipModel::C8051, "E0H"},  // "A" would be the accumulator operand
        {0x00, ChipModel::C8051, "00H"},  // "R0" would be the register operand
        {0x07, ChipModel::C8051, "07H"},
        {0x30, ChipModel::C8051, "30H"},
        {0xF0, ChipModel::C8051, "B"},
        {0x90, ChipModel::C8051, "P1"},
        {0x81, ChipModel::C8051, "SP"},
        {0xD0, ChipModel::C8051, "PSW"},
        {0x99, ChipModel::C8052, "SBUF"},
        {0xC8, ChipModel::C8051, "C8H"},  // no timer 2 on the 8051
        {0xC8, ChipModel::C8052, "T2CON"},
        {0xCD, ChipModel::C8052, "TH2"},
        {0x80, ChipModel::C89Cx051, "80H"},  // no port 0 on the 89Cx051
        {0x80, ChipModel::C8051, "P0"},
        {0xFF, ChipModel::C8052, "FFH"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DirectOperandText(c.address, c.chip), c.text) << int(c.address) << " " << core::ChipName(c.chip);
}

TEST(DisassemblyForms, BitsUseTableNamesOrFormsTheBitLookupAccepts)
{
    const struct {
        uint8_t bit;
        ChipModel chip;
        const char* text;
    } cases[] = {
        {0x00, ChipModel::C8051, "20H.0"},  {0x7F, ChipModel::C8051, "2FH.7"},
        {0x8C, ChipModel::C8051, "TR0"},    {0xD7, ChipModel::C8051, "CY"},
        {0xD1, ChipModel::C8051, "PSW.1"},  {0xAE, ChipModel::C8051, "IE.6"},
        {0xBF, ChipModel::C8051, "IP.7"},   {0xE3, ChipModel::C8051, "ACC.3"},
        {0xF5, ChipModel::C8051, "B.5"},    {0x93, ChipModel::C8051, "P1.3"},
        {0x81, ChipModel::C8051, "P0.1"},   {0x81, ChipModel::C89Cx051, "80H.1"},
        {0xA7, ChipModel::C89Cx051, "A0H.7"}, {0xB2, ChipModel::C89Cx051, "P3.2"},
        {0xC0, ChipModel::C8051, "11000000B"}, {0xFF, ChipModel::C8051, "11111111B"},
        {0xCA, ChipModel::C8052, "TR2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BitOperandText(c.bit, c.chip), c.text) << int(c.bit) << " " << core::ChipName(c.chip);
}

TEST(DisassemblyForms, DataItemsQuoteOnlyCharactersThatSurviveTheSourceLine)
{
    const struct {
        uint8_t value;
        const char* text;
    } cases[] = {
        {'A', "'A'"}, {'z', "'z'"}, {'~', "'~'"}, {'!', "'!'"}, {',', "','"}, {'"', "'\"'"},
        {' ', "20H"}, {0x7F, "7FH"}, {0x00, "00H"}, {0xFF, "FFH"}, {'\'', "27H"}, {';', "3BH"},
        {0x0D, "0DH"}, {0x80, "80H"},
    };
    for (const auto& c : cases) EXPECT_EQ(DataItemText(c.value), c.text) << int(c.value);
    EXPECT_EQ(ImmediateText(0x05), "#05H");
    EXPECT_EQ(Immediate16Text(0x0200), "#0200H");
    EXPECT_EQ(AddressText(0xABCD), "ABCDH");
}

TEST(DisassemblyForms, AbsoluteAndRelativeTargetsFollowTheInstructionAddress)
{
    EXPECT_EQ(AbsoluteTarget(0x0000, 0x01, 0x23), 0x0023);  // AJMP page 0
    EXPECT_EQ(AbsoluteTarget(0x0800, 0xE1, 0x10), 0x0F10);  // page 7 of the second 2 KB block
    EXPECT_EQ(AbsoluteTarget(0x07FE, 0x11, 0x00), 0x0800);  // the following address picks the block
    EXPECT_EQ(AbsoluteTarget(0xFFFE, 0x01, 0x05), 0x0005);  // wraps at 64 KB
    EXPECT_EQ(RelativeTarget(0x0010, 2, 0xFE), 0x0010);
    EXPECT_EQ(RelativeTarget(0x0010, 3, 0x7F), 0x0092);
    EXPECT_EQ(RelativeTarget(0x0000, 2, 0x80), 0xFF82);
    EXPECT_EQ(OperandByteIndex(0x85), (std::array<int, 3>{2, 1, 0}));
    EXPECT_EQ(OperandByteIndex(0xB4), (std::array<int, 3>{0, 1, 2}));
    EXPECT_EQ(OperandByteIndex(0x75), (std::array<int, 3>{1, 2, 0}));
}

TEST(DisassemblyForms, TaskFileRunsOfFFCountAsUnprogrammedOnlyWhenLongOrAtTheEnd)
{
    std::string bytes = "\x74";
    bytes += std::string(15, '\xFF');  // 15: MOV R7,A instructions
    bytes += "\x22";
    bytes += std::string(16, '\xFF');  // 16: a gap
    bytes += "\x22";
    bytes += std::string(3, '\xFF');  // reaches the end: a gap
    const CodeImage image = CodeImageFromTask(bytes);
    for (int a = 0; a <= 16; ++a) EXPECT_TRUE(image.programmed[a]) << a;
    for (int a = 17; a < 33; ++a) EXPECT_FALSE(image.programmed[a]) << a;
    EXPECT_TRUE(image.programmed[33]);
    EXPECT_FALSE(image.programmed[34]);
    EXPECT_EQ(image.End(), 34);
    EXPECT_EQ(CodeImageFromTask(std::string(20, '\xFF')).End(), 0);
}

}  // namespace
}  // namespace zelo::loader
