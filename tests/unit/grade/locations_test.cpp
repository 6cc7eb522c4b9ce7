// Location keys as teachers write them, and the starting values written in
// the order of the file.
#include "grade/locations.h"

#include <gtest/gtest.h>

using namespace zelo::grade;

namespace {

struct KeyCase
{
    const char* key;
    int address;  // -1: refused
    int bit;
    int reg;
};

const KeyCase kInternal[] = {
    {"30H", 0x30, -1, -1},  {"30h", 0x30, -1, -1}, {"0x7f", 0x7F, -1, -1}, {"48", 48, -1, -1},
    {"0FFH", 0xFF, -1, -1}, {"ACC", 0xE0, -1, -1}, {"acc.7", 0xE0, 7, -1}, {"PSW.3", 0xD0, 3, -1},
    {"CY", 0xD0, 7, -1},    {"TR0", 0x88, 4, -1},  {"P1.0", 0x90, 0, -1},  {"20H.3", 0x20, 3, -1},
    {"R3", 0, -1, 3},       {"256", -1, 0, 0},     {"FFH", -1, 0, 0},      {"30H.8", -1, 0, 0},
    {"R8", -1, 0, 0},       {"0x", -1, 0, 0},
};

TEST(GradeLocations, InternalKeys)
{
    zelo::core::CpuState chip(zelo::core::ChipModel::C8051);
    chip.BuildSfrTable();
    for (const KeyCase& k : kInternal) {
        const LocationParse parsed = ParseInternalKey(k.key, chip);
        if (k.address < 0) {
            EXPECT_FALSE(parsed.location) << k.key;
            EXPECT_FALSE(parsed.problem.empty()) << k.key;
            continue;
        }
        ASSERT_TRUE(parsed.location) << k.key << ": " << parsed.problem;
        EXPECT_EQ(parsed.location->reg, k.reg) << k.key;
        if (k.reg < 0) {
            EXPECT_EQ(static_cast<int>(parsed.location->address), k.address) << k.key;
        }
        EXPECT_EQ(parsed.location->bit, k.bit) << k.key;
    }
}

TEST(GradeLocations, ExternalAndPinKeys)
{
    EXPECT_EQ(ParseExternalKey("0FFFFH").location->address, 0xFFFFu);
    EXPECT_EQ(ParseExternalKey("0x200.1").location->bit, 1);
    EXPECT_FALSE(ParseExternalKey("10000H").location);
    EXPECT_EQ(ParsePinKey("p3.2", zelo::core::ChipModel::C89Cx051).location->address, 0xB0u);
    EXPECT_FALSE(ParsePinKey("P2", zelo::core::ChipModel::C89Cx051).location);
    EXPECT_TRUE(ParsePinKey("P2", zelo::core::ChipModel::C8051).location);
}

TEST(GradeLocations, PswWrittenFirstChoosesTheBankOfLaterRegisters)
{
    zelo::core::CpuState cpu(zelo::core::ChipModel::C8051);
    cpu.BuildSfrTable();
    const auto psw = ParseInternalKey("PSW", cpu).location;
    const auto r0 = ParseInternalKey("R0", cpu).location;
    WriteLocation(cpu, *psw, 0x08);  // bank 1
    WriteLocation(cpu, *r0, 0x5A);
    EXPECT_EQ(cpu.PeekRamByteText(0x08), "5A");
    EXPECT_EQ(ReadLocationText(cpu, *r0), "5A");
    EXPECT_EQ(ReadLocationText(cpu, *ParseInternalKey("30H", cpu).location), "xx");
}

}  // namespace
