#include "core/cpu_state.h"

#include <gtest/gtest.h>

namespace zelo::core {
namespace {

std::string ByteCellsText(const CpuState& cpu, uint8_t address)  // bit 7 first
{
    std::string s;
    for (int k = 7; k >= 0; --k) s += cpu.internal[address][k];
    return s;
}

struct ResetCase {
    ChipModel chip;
    uint8_t address;
    const char* cells;
};

class ResetValues : public ::testing::TestWithParam<ResetCase> {};

TEST_P(ResetValues, EachChipResetsItsRegisters)
{
    const ResetCase& c = GetParam();
    CpuState cpu(c.chip);
    EXPECT_EQ(ByteCellsText(cpu, c.address), c.cells) << ToHexByte(c.address);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, ResetValues,
    ::testing::Values(ResetCase{ChipModel::C8051, sfr::PSW, "000000x0"},
                      ResetCase{ChipModel::C8052, sfr::PSW, "0x000000"},
                      ResetCase{ChipModel::C89Cx051, sfr::PSW, "000000x0"},
                      ResetCase{ChipModel::C8051, sfr::SP, "00000111"},
                      ResetCase{ChipModel::C8051, sfr::PCON, "0---0000"},
                      ResetCase{ChipModel::C8052, sfr::PCON, "0--00000"},
                      ResetCase{ChipModel::C89Cx051, sfr::P3, "1-111111"},
                      ResetCase{ChipModel::C89Cx051, sfr::P0, "--------"},
                      ResetCase{ChipModel::C89Cx051, sfr::P2, "--------"},
                      ResetCase{ChipModel::C8051, 0xC5, "--------"},
                      ResetCase{ChipModel::C8052, 0xC5, "xxxxxxxx"},
                      ResetCase{ChipModel::C8051, 0xC8, "--------"},
                      ResetCase{ChipModel::C8052, 0xC9, "xxxxxx00"},
                      ResetCase{ChipModel::C8052, 0x8E, "xxx00xx0"},
                      ResetCase{ChipModel::C8051, sfr::IE, "0-000000"},
                      ResetCase{ChipModel::C8051, sfr::SBUF, "xxxxxxxx"},
                      ResetCase{ChipModel::C8051, 0x30, "xxxxxxxx"},
                      ResetCase{ChipModel::C8051, 0x7F, "xxxxxxxx"}));

TEST(CpuState, ResetLabelsRegistersAndBank)
{
    CpuState cpu(ChipModel::C8051);
    EXPECT_EQ(cpu.addressLabel[sfr::SP], "SP");
    EXPECT_EQ(cpu.addressLabel[0x00], "R0");
    EXPECT_EQ(cpu.addressLabel[0x07], "R7");
    EXPECT_EQ(cpu.addressAttributes[sfr::P1][1], 12);  // bit-addressable
    EXPECT_EQ(cpu.addressAttributes[sfr::SP][1], 1);
    EXPECT_EQ(cpu.addressAttributes[0x25][0], 1);
    EXPECT_EQ(cpu.registerAddress[0], 0);
    EXPECT_EQ(cpu.bitColour[sfr::TCON][0], 2);
    EXPECT_EQ(cpu.bitColour[0x40][0], 7);
    EXPECT_EQ(cpu.sfrTable[30].name, "R0");
    EXPECT_TRUE(cpu.sfrDescription[0xC8].empty());  // no T2CON on the 8051
    EXPECT_FALSE(CpuState(ChipModel::C8052).sfrDescription[0xC8].empty());
}

TEST(CpuState, LookupSfrIsCaseSensitiveTrimmedAndSkipsRegisters)
{
    CpuState cpu(ChipModel::C8051);
    EXPECT_EQ(cpu.LookupSfr(" SP "), "81");
    EXPECT_FALSE(cpu.LookupSfr("sp"));
    EXPECT_FALSE(cpu.LookupSfr("R3"));
    EXPECT_EQ(cpu.LookupSfr("P0"), "80");
    EXPECT_FALSE(CpuState(ChipModel::C89Cx051).LookupSfr("P0"));
    EXPECT_FALSE(cpu.LookupSfr("T2CON"));
    EXPECT_EQ(CpuState(ChipModel::C8052).LookupSfr("T2CON"), "C8");
    EXPECT_EQ(cpu.FlagBitAddress("CY"), "D0.7");
    EXPECT_EQ(cpu.FlagBitAddress("OV"), "D0.2");
}

TEST(CpuState, ReadingAnUndefinedBitStopsWithTheMessage)
{
    CpuState cpu(ChipModel::C8051);
    cpu.currentOpcode = 0xE5;
    cpu.currentInstructionAddress = 0x0012;
    EXPECT_EQ(cpu.ReadRamByte(sfr::SP), 0x07);
    EXPECT_FALSE(cpu.StopRequested());
    EXPECT_FALSE(cpu.ReadRamByte(sfr::PSW));  // PSW bit 1 is "x" after reset
    EXPECT_EQ(cpu.PendingStop(), StopReason::UndefinedBit);
    EXPECT_EQ(cpu.simulationLog.Text(),
              "-------------------------------\r\n When execute the Instruction code E5\r\n"
              " at Addr 0012\r\n there is a x-bit in Ram D0.\r\n");
    EXPECT_EQ(cpu.TakeStopRequest(), StopReason::UndefinedBit);
    EXPECT_FALSE(cpu.StopRequested());
}

TEST(CpuState, DashCellsReadAsZeroButAMissingAddressStops)
{
    CpuState cpu(ChipModel::C8051);
    EXPECT_EQ(cpu.ReadRamByte(sfr::PCON), 0x00);  // "0---0000": missing bits read 0
    EXPECT_FALSE(cpu.StopRequested());
    cpu.WriteRamByte(0xFF, sfr::IE);
    cpu.WriteBit(kBitMissing, BitAddress{sfr::IE, 6});
    EXPECT_EQ(cpu.ReadRamByte(sfr::IE), 0xBF);
    EXPECT_FALSE(cpu.ReadRamByte(0xC5));  // no register there on the 8051
    EXPECT_EQ(cpu.PendingStop(), StopReason::UndefinedBit);
    EXPECT_NE(cpu.simulationLog.Text().find("C5"), std::string::npos);
}

TEST(CpuState, MoveByteCopiesCellsWithoutStopping)
{
    CpuState cpu(ChipModel::C8051);
    cpu.WriteRamByte(0x12, 0x41);
    cpu.MoveByte("30", "40");  // 30H is undefined: its "x" cells travel
    EXPECT_EQ(ByteCellsText(cpu, 0x40), "xxxxxxxx");
    EXPECT_FALSE(cpu.StopRequested());
    cpu.MoveByte("0041", "0042");  // four digits below 256 are internal too
    EXPECT_EQ(cpu.ReadRamByte(0x42), 0x12);
    cpu.MoveByte("41", "0300");  // internal to external
    EXPECT_EQ(cpu.externalMemory[0x300].Text(), "12");
    cpu.externalMemory[0x301] = HexCell::FromValue(0x9A);
    cpu.MoveByte("0301", "50");  // external to internal
    EXPECT_EQ(cpu.ReadRamByte(0x50), 0x9A);
}

TEST(CpuState, ExternalToUpperInternalNeedsTheUpperRam)
{
    CpuState c51(ChipModel::C8051);
    c51.externalMemory[0x400] = HexCell::FromValue(0x55);
    c51.MoveByte(0x400, 0x90);
    EXPECT_EQ(c51.simulationLog.Text(), "There is a problem in internal Ram at90");
    EXPECT_EQ(c51.externalMemory[0x90].Text(), "xx");  // external memory is not touched
    CpuState c52(ChipModel::C8052);
    c52.externalMemory[0x400] = HexCell::FromValue(0x55);
    c52.MoveByte(0x400, 0x90);
    EXPECT_EQ(c52.ReadIndirectByte(0x90), 0x55);
    EXPECT_TRUE(c52.simulationLog.Empty());
}

TEST(CpuState, StoreByteTextForms)
{
    CpuState cpu(ChipModel::C8051);
    cpu.StoreByte("3C", "30");
    EXPECT_EQ(cpu.ReadRamByte(0x30), 0x3C);
    cpu.StoreByte("zz", "31");
    EXPECT_EQ(ByteCellsText(cpu, 0x31), "xxxxxxxx");
    cpu.StoreByte("77", "0100");
    EXPECT_EQ(cpu.externalMemory[0x100].Text(), "77");
    cpu.StoreByte("66", "00FF");  // a four-digit address of 255 or less is ignored
    EXPECT_EQ(cpu.externalMemory[0xFF].Text(), "xx");
    EXPECT_EQ(ByteCellsText(cpu, 0xFF), "--------");
}

TEST(CpuState, MovxAddressesStayExternal)
{
    CpuState cpu(ChipModel::C8052);
    cpu.WriteRamByte(0xA7, sfr::ACC);
    cpu.MoveExternal(sfr::ACC, 0x0085, 1);
    EXPECT_EQ(cpu.externalMemory[0x85].Text(), "A7");
    EXPECT_EQ(cpu.upperRam[0x05][0], kBitUndefined) << "the upper RAM is untouched";
    EXPECT_EQ(cpu.PeekRamByteText(0x85), "00") << "so is DP1H";
    cpu.upperRam[0x05] = ValueToBitBuffer(0x11);
    cpu.MoveExternal(0x0085, sfr::B, 2);
    EXPECT_EQ(cpu.ReadRamByte(sfr::B), 0xA7);
}

TEST(CpuState, PswByteWriteRelabelsButBitWriteOnlyRemaps)
{
    CpuState cpu(ChipModel::C8051);
    for (uint8_t a = 0x18; a <= 0x1F; ++a) cpu.WriteRamByte(a, a);
    cpu.StoreByte(0x18, sfr::PSW);
    EXPECT_EQ(cpu.registerAddress[0], 0x18);
    EXPECT_EQ(cpu.addressLabel[0x18], "R0");
    EXPECT_EQ(cpu.addressLabel[0x1F], "R7");
    EXPECT_TRUE(cpu.addressLabel[0x00].empty());
    EXPECT_EQ(cpu.addressLabelFlag[0x00], 1);
    EXPECT_EQ(cpu.ReadRamByte(0x1B), 0x1B);  // contents unchanged
    EXPECT_EQ(cpu.sfrTable[30].address, "18");

    cpu.WriteBit(kBitZero, flag::RS1);  // bank 1 by bits only
    cpu.RemapRegisterBank();
    EXPECT_EQ(cpu.registerAddress[0], 0x08);
    EXPECT_EQ(cpu.addressLabel[0x18], "R0") << "labels stay until PSW is written as a byte";
    cpu.StoreByte(0x08, sfr::PSW);  // same bank as the cache: the labels must still follow
    EXPECT_EQ(cpu.addressLabel[0x08], "R0");
    EXPECT_TRUE(cpu.addressLabel[0x18].empty());
}

TEST(CpuState, StackLimitStopsWithoutEndingTheProgram)
{
    CpuState c51(ChipModel::C8051);
    c51.WriteRamByte(0x80, sfr::SP);
    EXPECT_FALSE(c51.CheckStackPointer());
    EXPECT_EQ(c51.simulationLog.Text(), "The Value in the SP regist is larger than 7FH.");
    EXPECT_EQ(c51.PendingStop(), StopReason::Stack);

    CpuState c52(ChipModel::C8052);
    c52.WriteRamByte(0x80, sfr::SP);
    EXPECT_TRUE(c52.CheckStackPointer());
    EXPECT_FALSE(c52.StopRequested());
}

TEST(CpuState, IndirectUpperRamIsApartFromExternalMemory)
{
    CpuState c52(ChipModel::C8052);
    c52.WriteIndirectByte(0x42, 0x80);
    EXPECT_EQ(c52.ReadIndirectByte(0x80), 0x42);
    EXPECT_EQ(c52.externalMemory[0x80].Text(), "xx");
    EXPECT_EQ(c52.PeekRamByteText(sfr::P0), "FF") << "the direct SFR keeps its value";

    CpuState c51(ChipModel::C8051);
    c51.WriteIndirectByte(0x42, 0x90);  // no upper RAM: stored nowhere, P1 keeps its value
    EXPECT_EQ(c51.ReadRamByte(sfr::P1), 0xFF);
}

TEST(CpuState, BitAddressTexts)
{
    EXPECT_EQ(BitAddressText({0xD0, 7}), "D0.7");
    EXPECT_EQ(ParseBitAddress("d0.7"), (BitAddress{0xD0, 7}));
    EXPECT_FALSE(ParseBitAddress("D0.8"));
    EXPECT_FALSE(ParseBitAddress("??"));
    EXPECT_EQ(BitAddressOfNumber(0x00), (BitAddress{0x20, 0}));
    EXPECT_EQ(BitAddressOfNumber(0x7F), (BitAddress{0x2F, 7}));
    EXPECT_EQ(BitAddressOfNumber(0xD1), (BitAddress{0xD0, 1}));
    CpuState cpu;
    EXPECT_EQ(cpu.ReadBit("D0.1"), kBitUndefined);
    cpu.WriteBit(kBitOne, "90.3");
    EXPECT_EQ(cpu.ReadBit(BitAddress{0x90, 3}), kBitOne);
}

}  // namespace
}  // namespace zelo::core
