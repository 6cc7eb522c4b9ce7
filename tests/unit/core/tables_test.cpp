#include <gtest/gtest.h>

#include <set>

#include "core/bit_name_table.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"

namespace zelo::core {
namespace {

struct RowCase {
    uint8_t opcode;
    const char* bytes;
    const char* cycles;
    const char* mnemonic;
    const char* op1;
    const char* op2;
    const char* op3;
};

class OpcodeRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(OpcodeRows, MatchTheMcs51Map)
{
    const RowCase& c = GetParam();
    const OpcodeRow& row = StandardOpcodeTable().Row(c.opcode);
    EXPECT_EQ(row.hex, ToHexByte(c.opcode));
    EXPECT_EQ(row.bytesText, c.bytes);
    EXPECT_EQ(row.cyclesText, c.cycles);
    EXPECT_EQ(row.mnemonicText, c.mnemonic);
    EXPECT_EQ(row.operands[0], c.op1);
    EXPECT_EQ(row.operands[1], c.op2);
    EXPECT_EQ(row.operands[2], c.op3);
    EXPECT_EQ(row.bytes, c.bytes[0] - '0');
    EXPECT_EQ(row.cycles, c.cycles[0] - '0');
    EXPECT_STREQ(MnemonicText(row.mnemonic), c.mnemonic);
}

INSTANTIATE_TEST_SUITE_P(
    Map, OpcodeRows,
    ::testing::Values(RowCase{0xA5, "0", "0", "NON", "", "", ""},
                      RowCase{0xE1, "2", "2", "AJMP", "(P7)", "", ""},
                      RowCase{0x11, "2", "2", "ACALL", "(P0)", "", ""},
                      RowCase{0xF1, "2", "2", "ACALL", "(P7)", "", ""},
                      RowCase{0x02, "3", "2", "LJMP", "addr16", "", ""},
                      RowCase{0x88, "2", "2", "MOV", "dir", "R0", ""},
                      RowCase{0x8F, "2", "2", "MOV", "dir", "R7", ""},
                      RowCase{0xA8, "2", "2", "MOV", "R0", "dir", ""},
                      RowCase{0xAF, "2", "2", "MOV", "R7", "dir", ""},
                      RowCase{0x86, "2", "2", "MOV", "dir", "@R0", ""},
                      RowCase{0x87, "2", "2", "MOV", "dir", "@R1", ""},
                      RowCase{0x72, "2", "2", "ORL", "C", "bit", ""},
                      RowCase{0xD6, "1", "1", "XCHD", "A", "@R0", ""},
                      RowCase{0xD7, "1", "1", "XCHD", "A", "@R1", ""},
                      RowCase{0x84, "1", "4", "DIV", "AB", "", ""},
                      RowCase{0xA4, "1", "4", "MUL", "AB", "", ""},
                      RowCase{0x85, "3", "2", "MOV", "dir", "dir", ""},
                      RowCase{0x90, "3", "2", "MOV", "DPTR", "#data16", ""},
                      RowCase{0xB0, "2", "2", "ANL", "C", "/bit", ""},
                      RowCase{0xB6, "3", "2", "CJNE", "@R0", "#data", "rel"},
                      RowCase{0xBF, "3", "2", "CJNE", "R7", "#data", "rel"},
                      RowCase{0xF2, "1", "2", "MOVX", "@R0", "A", ""},
                      RowCase{0xE3, "1", "2", "MOVX", "A", "@R1", ""},
                      RowCase{0x73, "1", "2", "JMP", "@A+DPTR", "", ""},
                      RowCase{0x83, "1", "2", "MOVC", "A", "@A+PC", ""},
                      RowCase{0xD5, "3", "2", "DJNZ", "dir", "rel", ""},
                      RowCase{0xDA, "2", "2", "DJNZ", "R2", "rel", ""},
                      RowCase{0x7C, "2", "1", "MOV", "R4", "#data", ""}));

TEST(OpcodeTable, EveryOpcodeHasOneRowAndOnlyA5IsUndefined)
{
    const OpcodeTable& table = StandardOpcodeTable();
    int undefined = 0;
    for (int op = 0; op < 256; ++op) {
        const OpcodeRow& row = table.Row(static_cast<uint8_t>(op));
        ASSERT_EQ(row.hex, ToHexByte(op)) << "opcode " << op << " has no row";
        if (row.mnemonic == Mnemonic::NON) ++undefined;
        else EXPECT_GE(row.bytes, 1);
        EXPECT_FALSE(row.description.empty()) << row.hex;
    }
    EXPECT_EQ(undefined, 1);
}

TEST(OpcodeTable, Descriptions)
{
    const OpcodeTable& t = StandardOpcodeTable();
    EXPECT_EQ(t.Row(0xA5).description, "Undefined Instruction");
    EXPECT_EQ(t.Row(0xA2).description, "Move into/out of Carry Bit");
    EXPECT_EQ(t.Row(0x92).description, "Move into/out of Carry Bit");
    EXPECT_EQ(t.Row(0x90).description, "Move value into DPTR");
    EXPECT_EQ(t.Row(0xE5).description, "Move into/out of Accumulator or Internal RAM");
    // SWAP exchanges the two nibbles; it subtracts nothing.
    EXPECT_EQ(t.Row(0xC4).description, "Swap Nibbles within the Accumulator");
}

TEST(OpcodeTable, ListFileLines)
{
    const OpcodeTable& t = StandardOpcodeTable();
    EXPECT_EQ(t.Line(0xA5), "A5 0 0 NON   " + std::string(22, ' '));
    EXPECT_EQ(t.Line(0x02), "02 3 2 LJMP  addr16  " + std::string(14, ' '));
    const std::string text = t.ListFileText();
    std::size_t lines = 0, pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) {
        ++lines;
        pos += 2;
    }
    EXPECT_EQ(lines, 256u);
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1) << "every line ends in CR LF";
    EXPECT_EQ(text.substr(0, 2), "00");
}

TEST(BitNameTable, BitAddressOf)
{
    const BitNameTable& t = StandardBitNameTable();
    EXPECT_EQ(t.BitAddressOf("8C"), "88.4");
    EXPECT_EQ(t.BitAddressOf("TR0"), "88.4");
    EXPECT_EQ(t.BitAddressOf("ACC.7"), "E0.7");
    EXPECT_EQ(t.BitAddressOf("2F"), "25.7");
    EXPECT_EQ(t.BitAddressOf("XYZ"), "??");
    EXPECT_EQ(t.BitAddressOf("AE"), "??");  // IE bit 6 has no entry
    EXPECT_EQ(t.BitAddressOf("D1"), "??");  // nor PSW bit 1
    EXPECT_EQ(t.BitAddressOf("TF2"), "C8.7");
    EXPECT_EQ(t.BitAddressOf("EXF2"), "C8.6");
    EXPECT_EQ(t.BitAddressOf("P3.2"), "B0.2");
    EXPECT_EQ(t.BitAddressOf(""), "??");
}

TEST(BitNameTable, RowsAndForms)
{
    const BitNameTable& t = StandardBitNameTable();
    EXPECT_EQ(t.Row(0x00).name, "20H.0");
    EXPECT_EQ(t.Row(0x00).number, "00");
    EXPECT_EQ(t.Row(0x00).address, "20.0");
    EXPECT_EQ(t.Row(0x8C).addressH, "88H.4");
    EXPECT_EQ(t.Row(0x8C).description,
              "TR0 .Timer 0 Run. When this bit is set Timer 0 is turned on. When this bit is clear Timer 0 is off.");
    EXPECT_EQ(t.Row(0xF8).name, "");
    EXPECT_EQ(t.Row(0xF8).description, "Timer 0 mode bit ");
    EXPECT_EQ(t.Row(0xD3).description, "RS1/RS0 . Register Select Bits.");
    EXPECT_EQ(t.FindByForm("88H.4"), 0x8C);
    EXPECT_EQ(t.FindByForm("D0.7"), 0xD7);
    EXPECT_EQ(t.FindByForm("CY"), 0xD7);
    EXPECT_FALSE(t.FindByForm("D0.1"));
    std::set<std::string> names;
    for (int n = 0; n < 256; ++n) {
        const auto& name = t.Row(static_cast<uint8_t>(n)).name;
        if (!name.empty()) {
            EXPECT_TRUE(names.insert(std::string(name.View())).second) << "duplicate " << name;
        }
    }
}

}  // namespace
}  // namespace zelo::core
