// Stack, calls, returns, register banks and indirect addressing on the
// 8051 and the 8052.
#include <gtest/gtest.h>

#include "executor_machine.h"

namespace zelo::core {
namespace {

using exectest::Machine;
constexpr uint8_t A = sfr::ACC, SP = sfr::SP, PSW = sfr::PSW;

TEST(ExecutorCalls, AcallAtTheEndOfABlockTargetsTheNextBlock)
{
    Machine m;
    // At 07FEH: ACALL 0023H of the block of the next instruction (0800H).
    m.Load(0x07FE, {0x11, 0x23});
    m.Load(0x0823, {0x22});  // RET
    m.cpu.programCounter = 0x07FE;
    m.Step();
    EXPECT_EQ(m.cpu.programCounter, 0x0823);
    EXPECT_EQ(m.Text(SP), "09");
    EXPECT_EQ(m.Text(0x08), "00");  // low byte of 0800H first
    EXPECT_EQ(m.Text(0x09), "08");
    m.Step();
    EXPECT_EQ(m.cpu.programCounter, 0x0800);
    EXPECT_EQ(m.Text(SP), "07");
}

TEST(ExecutorCalls, TargetsOfAbsoluteAndLongCalls)
{
    struct Case
    {
        const char* name;
        uint16_t at;
        std::vector<int> code;
        uint16_t target;
        uint16_t returnAddress;
    } cases[] = {
        {"ACALL page 7", 0x0100, {0xF1, 0x80}, 0x0780, 0x0102},
        {"ACALL page 0 in block 1", 0x0A00, {0x11, 0x10}, 0x0810, 0x0A02},
        {"AJMP page 3 in the top block", 0xF800, {0x61, 0xFF}, 0xFBFF, 0},
        {"LCALL across 2 KB blocks", 0x0010, {0x12, 0x12, 0x34}, 0x1234, 0x0013},
        {"ACALL at FFFEH wraps the block to 0000H", 0xFFFE, {0x31, 0x05}, 0x0105, 0x0000},
    };
    for (const auto& t : cases) {
        Machine m;
        for (std::size_t i = 0; i < t.code.size(); ++i)
            m.cpu.codeMemory[t.at + i] = HexCell::FromValue(static_cast<unsigned>(t.code[i]));
        m.cpu.programCounter = t.at;
        m.Step();
        EXPECT_EQ(m.cpu.programCounter, t.target) << t.name;
        EXPECT_TRUE(m.last.instructionJumped) << t.name;
        if (t.code[0] == 0x61) continue;  // a jump pushes nothing
        EXPECT_EQ(m.Text(SP), "09") << t.name;
        EXPECT_EQ(m.cpu.ReadRamByte(0x08), t.returnAddress & 0xFF) << t.name;
        EXPECT_EQ(m.cpu.ReadRamByte(0x09), t.returnAddress >> 8) << t.name;
    }
}

TEST(ExecutorCalls, RetiEndsOnlyTheHighestLevelInService)
{
    Machine m;
    m.Set(SP, 0x09);
    m.Set(0x08, 0x34);
    m.Set(0x09, 0x12);
    m.interrupts.inService = {true, true};
    m.Load(0, {0x32});
    m.Step();
    EXPECT_EQ(m.cpu.programCounter, 0x1234);
    EXPECT_EQ(m.Text(SP), "07");
    EXPECT_TRUE(m.interrupts.inService[0]);
    EXPECT_FALSE(m.interrupts.inService[1]);
    // RET leaves the levels alone.
    Machine r;
    r.Set(SP, 0x09);
    r.Set(0x08, 0x34);
    r.Set(0x09, 0x12);
    r.interrupts.inService = {true, false};
    r.Load(0, {0x22});
    r.Step();
    EXPECT_EQ(r.cpu.programCounter, 0x1234);
    EXPECT_TRUE(r.interrupts.inService[0]);
}

TEST(ExecutorStack, PushAndPopRoundTrip)
{
    Machine m;
    // MOV A,#5AH; PUSH ACC; MOV B,#13H; PUSH B; POP ACC; POP 30H
    m.Load(0, {0x74, 0x5A, 0xC0, 0xE0, 0x75, 0xF0, 0x13, 0xC0, 0xF0, 0xD0, 0xE0, 0xD0, 0x30});
    m.Run(6);
    EXPECT_EQ(m.Text(A), "13");
    EXPECT_EQ(m.Text(0x30), "5A");
    EXPECT_EQ(m.Text(SP), "07");
    EXPECT_EQ(m.Flag(flag::P), kBitOne);  // POP ACC keeps P equal to the parity of 13H
}

TEST(ExecutorStack, PopIntoSpKeepsThePoppedValue)
{
    Machine m;
    m.Set(SP, 0x20);
    m.Set(0x20, 0x40);
    m.Load(0, {0xD0, 0x81});
    m.Step();
    EXPECT_EQ(m.Text(SP), "40");
}

TEST(ExecutorStack, PushAt7FOn8051RequestsTheStackStop)
{
    Machine m(ChipModel::C8051);
    m.Set(SP, 0x7F);
    m.Set(A, 0x33);
    m.Load(0, {0xC0, 0xE0});
    m.Step();
    EXPECT_EQ(m.Text(SP), "80");
    EXPECT_EQ(m.cpu.PendingStop(), StopReason::Stack);
    EXPECT_EQ(m.cpu.simulationLog.Text(), "The Value in the SP regist is larger than 7FH.");
    EXPECT_EQ(m.Text(sfr::P0), "FF");  // no RAM at 80H: the SFR keeps its value
}

TEST(ExecutorStack, PushAt7FOn8052GoesToUpperRam)
{
    Machine m(ChipModel::C8052);
    m.Set(SP, 0x7F);
    m.Set(A, 0x33);
    m.Load(0, {0xC0, 0xE0, 0x12, 0x01, 0x00});
    m.Step();
    EXPECT_EQ(m.Text(SP), "80");
    EXPECT_EQ(m.UpperCells(0x80), "00110011");
    EXPECT_EQ(m.Text(sfr::P0), "FF");  // the SFR at 80H is not the stack
    EXPECT_EQ(m.cpu.externalMemory[0x80].Text(), "xx");
    EXPECT_FALSE(m.cpu.StopRequested());
    // A call from there returns through upper RAM as well.
    m.Step();
    EXPECT_EQ(m.Text(SP), "82");
    EXPECT_EQ(m.UpperCells(0x81), "00000101");
    EXPECT_EQ(m.UpperCells(0x82), "00000000");
    m.Load(0x0100, {0x22});
    m.Step();
    EXPECT_EQ(m.cpu.programCounter, 0x0005);
    EXPECT_EQ(m.Text(SP), "80");
}

TEST(ExecutorStack, PushBeyondFFOn8052WrapsAndStops)
{
    Machine m(ChipModel::C8052);
    m.Set(SP, 0xFF);
    m.Set(A, 0x44);
    m.Load(0, {0xC0, 0xE0});
    m.Step();
    EXPECT_EQ(m.Text(SP), "00");
    EXPECT_EQ(m.cpu.PendingStop(), StopReason::Stack);
    EXPECT_EQ(m.cpu.simulationLog.Text(), kStackLimitMessage);
}

TEST(ExecutorIndirect, AtRiAbove7FReachesUpperRamOn8052AndNothingElsewhere)
{
    // MOV R0,#90H; MOV @R0,#0AAH; MOV A,@R0
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052, ChipModel::C89Cx051}) {
        Machine m(chip);
        m.Load(0, {0x78, 0x90, 0x76, 0xAA, 0xE6});
        m.Run(3);
        EXPECT_EQ(m.Text(sfr::P1), "FF") << ChipName(chip);
        if (chip == ChipModel::C8052) {
            EXPECT_EQ(m.Text(A), "AA");
            EXPECT_EQ(m.UpperCells(0x90), "10101010");
        } else {
            EXPECT_EQ(m.Cells(A), "xxxxxxxx") << "no RAM there: an undefined byte";
        }
    }
}

TEST(ExecutorIndirect, UpperRamStartsUndefinedOn8052)
{
    Machine m(ChipModel::C8052);
    m.Load(0, {0x78, 0xC5, 0xE6, 0x26});  // MOV R0,#0C5H; MOV A,@R0; ADD A,@R0
    m.Set(A, 0);
    m.Run(2);
    EXPECT_EQ(m.Cells(A), "xxxxxxxx");
    EXPECT_FALSE(m.cpu.StopRequested());
    m.Step();
    EXPECT_EQ(m.cpu.PendingStop(), StopReason::UndefinedBit);
}

TEST(ExecutorBanks, PswByteWriteRelabelsButSetbRs0OnlyRemaps)
{
    Machine m;
    m.Load(0, {0x75, 0xD0, 0x08, 0x78, 0x55});  // MOV PSW,#08H; MOV R0,#55H
    m.Run(2);
    EXPECT_EQ(m.cpu.registerAddress[0], 0x08);
    EXPECT_EQ(m.cpu.addressLabel[0x08], "R0");
    EXPECT_EQ(m.cpu.addressLabel[0x00], "");
    EXPECT_EQ(m.Text(0x08), "55");

    Machine s;
    s.Load(0, {0xD2, 0xD3, 0x78, 0x66});  // SETB RS0; MOV R0,#66H
    s.Run(2);
    EXPECT_EQ(s.cpu.registerAddress[0], 0x08);
    EXPECT_EQ(s.cpu.addressLabel[0x00], "R0");
    EXPECT_EQ(s.cpu.addressLabel[0x08], "");
    EXPECT_EQ(s.Text(0x08), "66");
    EXPECT_EQ(s.Text(0x00), "00");
}

TEST(ExecutorBanks, EveryBankReachesItsRegisters)
{
    for (int bank = 0; bank < 4; ++bank) {
        Machine m;
        // MOV PSW,#bank*8; MOV R7,#bank+1; MOV A,R7
        m.Load(0, {0x75, 0xD0, bank * 8, 0x7F, bank + 1, 0xEF});
        m.Run(3);
        EXPECT_EQ(m.cpu.ReadRamByte(static_cast<uint8_t>(bank * 8 + 7)), bank + 1) << bank;
        EXPECT_EQ(m.cpu.ReadRamByte(A), bank + 1) << bank;
        EXPECT_EQ(m.cpu.CurrentBank(), bank);
    }
}

}  // namespace
}  // namespace zelo::core
