#include "core/ascii_text.h"
#include "core/hex_text.h"

#include <gtest/gtest.h>

namespace zelo::core {
namespace {

std::string Cells(const BitBuffer& b)  // cells 7..0 as a text, bit 7 first
{
    std::string s;
    for (int k = 7; k >= 0; --k) s += b[k];
    return s;
}

TEST(ByteText, NumbersBecomePaddedUpperCaseHex)
{
    EXPECT_EQ(ToHexByte(0), "00");
    EXPECT_EQ(ToHexByte(10), "0A");
    EXPECT_EQ(ToHexByte(255), "FF");
    EXPECT_EQ(ToHexByte(256), "100");  // nothing is cut off
    EXPECT_EQ(ToHexWord(5), "0005");
    EXPECT_EQ(ToHexWord(4660), "1234");
    EXPECT_EQ(ToHexWord(65536), "10000");
    EXPECT_EQ(AddHexWords("FFFF", "0001"), "10000");  // no wrap
    EXPECT_EQ(AddHexWords("a", "1"), "000B");
}

TEST(ByteText, ParseHexByteDoesNotFoldCase)
{
    EXPECT_EQ(ParseHexByteValue("3C"), 60);
    EXPECT_EQ(ParseHexByteValue("3c"), 48);  // lower-case c reads as 0
    EXPECT_EQ(ParseHexByteValue("5"), 80);   // missing low digit counts as 0
    EXPECT_EQ(ParseHexByteValue("xx"), 0);
    EXPECT_EQ(ParseHexByteValue("A5Z"), 0xA5);  // further characters ignored
    const auto p = ParseHexByte("B7");
    EXPECT_EQ(p.high, 11);
    EXPECT_EQ(p.low, 7);
    EXPECT_EQ(HexDigitValue('a'), 0);
    EXPECT_EQ(HexDigitValue('-'), 0);
    EXPECT_EQ(HexDigitValue(std::string_view{}), 0);
}

TEST(ByteText, ParseHexWordFoldsCaseAndPads)
{
    EXPECT_EQ(ParseHexWord("a"), 10);
    EXPECT_EQ(ParseHexWord("12345"), 0x1234);  // only the first four digits
    EXPECT_EQ(ParseHexWord(""), 0);
    EXPECT_EQ(ParseHexWord("ff"), 255);
    EXPECT_EQ(ParseHexWord("0b2a"), 0x0B2A);
}

TEST(ByteText, HexTextToBitCells)
{
    EXPECT_EQ(Cells(HexByteToBitBuffer("A5")), "10100101");
    EXPECT_EQ(Cells(HexByteToBitBuffer("xx")), "xxxxxxxx");
    EXPECT_EQ(Cells(HexByteToBitBuffer("7")), "0111xxxx");
    EXPECT_EQ(Cells(HexByteToBitBuffer("c3")), "11000011");  // nibbles fold case
    EXPECT_EQ(Cells(HexByteToBitBuffer("")), "xxxxxxxx");
    EXPECT_EQ(Cells(ValueToBitBuffer(0x81)), "10000001");
}

TEST(ByteText, BinaryTextForTheConverter)
{
    EXPECT_EQ(HexToBinaryText("0"), "0");
    EXPECT_EQ(HexToBinaryText("00"), "0");
    EXPECT_EQ(HexToBinaryText("0C"), "1100");
    EXPECT_EQ(HexToBinaryText("1G"), "1");  // non-hex characters contribute nothing
    EXPECT_EQ(HexToBinaryText("ff"), "11111111");
    EXPECT_EQ(NibbleBits('a'), "1010");
    EXPECT_EQ(NibbleBits('g'), "");
}

TEST(ByteText, ListingFieldLayout)
{
    std::string line = "AB";
    AppendField("", 3, line);
    EXPECT_EQ(line, "AB   ");
    line.clear();
    AppendField("ABCDEFGH", 3, line);
    EXPECT_EQ(line, "ABCDEFGH");  // a longer text stays whole
    line.clear();
    AppendFieldRight("7", 3, line);
    EXPECT_EQ(line, "  7");
    std::string padded = "x";
    PadRight(4, padded);
    EXPECT_EQ(padded, "x   ");
}

TEST(ByteText, HexCellKeepsTwoCharacters)
{
    EXPECT_EQ(HexCell::FromValue(0x3C).Text(), "3C");
    EXPECT_TRUE(HexCell::Unloaded().IsUnloaded());
    EXPECT_EQ(HexCell::FromText("5").Text(), "5 ");
}

}  // namespace
}  // namespace zelo::core
