// Following a listing: lines of instructions by address, addresses of
// lines, labels, for the assembler's and the disassembler's listings.
#include "loader/listing_map.h"

#include <gtest/gtest.h>

using zelo::loader::ListingMap;

namespace {

constexpr const char* kAsmListing =
    "                       8051 AsmList  ZELO   2026/12/0819:51:16\r\n"
    "=======================================================================================\r\n"
    "    1 0000        ; BLINK.ASM - toggles P1.0\r\n"
    "    2 0000 0000             ORG   0               \r\n"
    "    3 0000 758160 START:    MOV   SP,#60H         \r\n"
    "    4 0003 7590FF           MOV   P1,#0FFH        \r\n"
    "    5 0006 0030   COUNT     EQU   30H\r\n"
    "    6 0006 B290   AGAIN:    CPL   P1.0            \r\n"
    "    7 0008 110C             ACALL DELAY           \r\n"
    "    8 000A        \r\n"
    "    9 000A        ; DELAY: about 30 cycles\r\n"
    "   10 000A 7F0A   DELAY:    MOV   R7,#10          \r\n"
    "   11 000C 0102   TABLE:    DB    1,2\r\n"
    "   12 000E 22               RET                   \r\n"
    "          Total compiler lines:12\r\n";

constexpr const char* kDisListing =
    "                  ACALL:1   EQU   000CH ; 1       \n"
    "    1 0000                  ORG   0000H           \n"
    "    2 0000 758160           MOV   SP,#60H\n"
    "    4 0006 B290   $1        CPL   P1.0\n"
    "    5 0008 110C             ACALL ACALL:1\n"
    "    7 000C 7F0A   ACALL:1   MOV   R7,#0AH\n";

}  // namespace

TEST(ListingMapTest, InstructionLinesAndTheirAddresses)
{
    const ListingMap map(kAsmListing);
    ASSERT_EQ(map.Lines().size(), 15u);
    EXPECT_EQ(map.LineOfAddress(0x0000), 4);             // not the ORG line
    EXPECT_EQ(map.LineOfAddress(0x0006), 7);             // not the EQU line
    EXPECT_EQ(map.LineOfAddress(0x000C), std::nullopt);  // data, not an instruction
    EXPECT_EQ(map.LineOfAddress(0x000E), 13);
    EXPECT_EQ(map.AddressOfLine(4), 0x0000);
    EXPECT_EQ(map.AddressOfLine(9), 0x000A);  // a blank line stands for the next instruction
    EXPECT_EQ(map.AddressOfLine(0), 0x0000);  // the header too
    EXPECT_EQ(map.AddressOfLine(14), std::nullopt);
    EXPECT_TRUE(map.IsCodeLine(5));
    EXPECT_FALSE(map.IsCodeLine(3));
}

TEST(ListingMapTest, LabelsOfBothListings)
{
    const ListingMap asmMap(kAsmListing);
    EXPECT_EQ(asmMap.LabelAddress("delay"), 0x000A);
    EXPECT_EQ(asmMap.LabelAddress("COUNT"), std::nullopt);  // a constant, not code
    EXPECT_EQ(asmMap.LabelAddress("TABLE"), std::nullopt);
    EXPECT_EQ(asmMap.Describe(0x0000), "START");
    EXPECT_EQ(asmMap.Describe(0x0008), "AGAIN+2");
    EXPECT_EQ(asmMap.LabelAtOrBelow(0x0010), "DELAY");

    const ListingMap disMap(kDisListing);
    EXPECT_EQ(disMap.LabelAddress("ACALL:1"), 0x000C);
    EXPECT_EQ(disMap.LabelAddress("$1"), 0x0006);
    EXPECT_EQ(disMap.LineOfAddress(0x0008), 4);
    EXPECT_EQ(disMap.Describe(0x0002), "0002H");  // no label below
}
