// Direct-address and bit lookups in their order, chip-dependent bit names,
// labels with sections and "$" local labels, and table limits.
#include "asm/symbols.h"

#include <gtest/gtest.h>

#include <set>

#include "core/hex_text.h"
#include "core/cpu_state.h"

namespace zelo::assembler {
namespace {

TEST(DirectAddressLookup, SfrNamesSymbolsAndHexForms)
{
    SymbolTable s;
    ASSERT_TRUE(s.AddByte("CNT", 0x30));
    ASSERT_TRUE(s.AddEqu("LIMIT", 0x45, 1));
    ASSERT_TRUE(s.AddEqu("WIDE", 0x1234, 2));
    const std::pair<const char*, int> cases[] = {
        {"P1", 0x90},   {"p1", 0x90},   {"SBUF", 0x99},  {"B", 0xF0},     {"A", 0xE0},
        {"R3", 0x03},   {"CNT", 0x30},  {"ACC", 0xE0},   {"30H", 0x30},   {"3fh", 0x3F},
        {"0F0H", 0xF0}, {"0D0H", 0xD0}, {"LIMIT", 0x45}, {"WIDE", -1},    {"ZZH", -1},
        {"100H", -1},   {"30", 30},     {"", -1},        {"00F0H", 0xF0}, {"TH2", -1}};
    for (const auto& [text, value] : cases) {
        const auto a = s.DirectAddress(text);
        if (value < 0) {
            EXPECT_FALSE(a.has_value()) << text;
        } else {
            ASSERT_TRUE(a.has_value()) << text;
            EXPECT_EQ(*a, value) << text;
        }
    }
}

TEST(DirectAddressLookup, Timer2RegistersOnlyOnThe8052)
{
    const SymbolTable s52(core::ChipModel::C8052);
    EXPECT_EQ(s52.DirectAddress("TH2").value_or(0), 0xCD);
    EXPECT_EQ(s52.DirectAddress("T2CON").value_or(0), 0xC8);
    const SymbolTable s89(core::ChipModel::C89Cx051);
    EXPECT_FALSE(s89.DirectAddress("P0").has_value());
    EXPECT_EQ(s89.DirectAddress("P1").value_or(0), 0x90);
}

TEST(DirectAddressLookup, EveryRegisterOfTheChipsTableIsKnown)
{
    // The assembler knows exactly the names the simulator's register table
    // shows after reset, at the first address the table gives them.
    for (core::ChipModel chip :
         {core::ChipModel::C8051, core::ChipModel::C8052, core::ChipModel::C89Cx051}) {
        const core::CpuState cpu(chip);
        const SymbolTable s(chip);
        std::set<std::string> seen;
        for (const core::SfrRow& row : cpu.sfrTable) {
            if (row.name.empty() || !seen.insert(row.name).second) continue;
            EXPECT_EQ(s.DirectAddress(row.name).value_or(0x100),
                      core::ParseHexByteValue(row.address))
                << row.name << " on " << core::ChipName(chip);
        }
        EXPECT_GE(seen.size(), 8u + 15u);  // R0-R7 and the chip's registers
    }
}

TEST(BitLookup, FormsInOrder)
{
    SymbolTable s;
    ASSERT_TRUE(s.AddBit("LED", 0x93));
    const std::pair<const char*, int> cases[] = {
        {"LED", 0x93},   {"TR0", 0x8C},    {"CY", 0xD7},     {"ACC.7", 0xE7}, {"P1.0", 0x90},
        {"20H.0", 0x00}, {"2FH.7", 0x7F},  {"20.1", 0x01},   {"88.4", 0x8C},  {"88H.4", 0x8C},
        {"90H.3", 0x93}, {"B0H.7", 0xB7},  {"SCON.1", 0x99}, {"PSW.3", 0xD3}, {"A.7", 0xE7},
        {"IE.7", 0xAF},  {"00000011B", 3}, {"0D4H", 0xD4},   {"7FH", 0x7F},   {"P1.8", -1},
        {"XYZ", -1},     {"0E0H.7", 0xE7}, {"tr1", 0x8E}};
    for (const auto& [text, value] : cases) {
        const auto b = s.BitAddress(text);
        if (value < 0) {
            EXPECT_FALSE(b.has_value()) << text;
        } else {
            ASSERT_TRUE(b.has_value()) << text;
            EXPECT_EQ(*b, value) << text;
        }
    }
}

TEST(BitLookup, Port0Port2AndT2conNamesDependOnTheChip)
{
    for (auto chip : {core::ChipModel::C8051, core::ChipModel::C8052}) {
        const SymbolTable s(chip);
        EXPECT_EQ(s.BitAddress("P0.1").value_or(0), 0x81);
        EXPECT_EQ(s.BitAddress("P2.7").value_or(0), 0xA7);
        EXPECT_EQ(s.BitAddress("T2CON.2").value_or(0), 0xCA);
    }
    const SymbolTable s89(core::ChipModel::C89Cx051);
    EXPECT_FALSE(s89.BitAddress("P0.1").has_value());
    EXPECT_FALSE(s89.BitAddress("P2.7").has_value());
    EXPECT_FALSE(s89.BitAddress("T2CON.2").has_value());
    EXPECT_EQ(s89.BitAddress("P1.1").value_or(0), 0x91);
}

TEST(LabelTable, NamesWithAndWithoutColon)
{
    LabelTable t;
    ASSERT_TRUE(t.Add("LOOP:", 0x10, 3));
    ASSERT_TRUE(t.Add("DONE", 0x20, 5));
    EXPECT_EQ(t.Find("LOOP", 9).value_or(0), 0x10);
    EXPECT_EQ(t.Find("loop", 9).value_or(0), 0x10);
    EXPECT_EQ(t.Find("DONE", 1).value_or(0), 0x20);
    EXPECT_FALSE(t.Find("DONE:X", 1).has_value());
    EXPECT_FALSE(t.Find("NOPE", 1).has_value());
}

TEST(LabelTable, LocalLabelsFindTheirOwnSection)
{
    LabelTable t;
    // FIRST at line 1 with $1 at line 3; SECOND at line 10 with $1 at line 12.
    t.Add("FIRST:", 0x00, 1);
    t.AddSection(1);
    t.Add("$1:", 0x04, 3);
    t.Add("SECOND:", 0x20, 10);
    t.AddSection(10);
    t.Add("$1:", 0x24, 12);
    EXPECT_EQ(t.Find("$1", 5).value_or(0), 0x04);
    EXPECT_EQ(t.Find("$1", 10).value_or(0), 0x24);
    EXPECT_EQ(t.Find("$1", 15).value_or(0), 0x24);
    EXPECT_FALSE(t.Find("$2", 15).has_value());
}

TEST(SymbolTable, PartsRefuseTheEntryAfterTheirLimit)
{
    SymbolTable s;
    for (int i = 0; i < kMaxSymbolsPerPart; ++i)
        ASSERT_TRUE(s.AddEqu("E" + std::to_string(i), i, 1));
    EXPECT_FALSE(s.AddEqu("ONEMORE", 1, 1));
    EXPECT_EQ(s.EquSymbols().size(), static_cast<std::size_t>(kMaxSymbolsPerPart));
    LabelTable t;
    for (int i = 0; i < kMaxLabels; ++i) ASSERT_TRUE(t.Add("L" + std::to_string(i), 0, i));
    EXPECT_FALSE(t.Add("LAST", 0, 1000));
}

TEST(SymbolTable, ByteSymbolsNameTheirRamCell)
{
    SymbolTable s;
    s.AddByte("cnt", 0x30);
    EXPECT_TRUE(s.RamNames().IsNamed(0x30));
    EXPECT_EQ(s.RamNames().Name(0x30), "CNT");
    s.Clear();
    EXPECT_FALSE(s.RamNames().IsNamed(0x30));
}

}  // namespace
}  // namespace zelo::assembler
