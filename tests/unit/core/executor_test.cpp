// Whole small programs executed instruction by instruction, checked against
// the state the chip would reach.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "executor_machine.h"

namespace zelo::core {
namespace {

using exectest::Machine;

struct Poke
{
    uint8_t address;
    uint8_t value;
};
// Two characters: the byte text ("xx" for undefined); eight: the cells, bit 7 first.
struct Expect
{
    uint8_t address;
    const char* text;
};

struct ProgramCase
{
    const char* name;
    std::vector<Poke> setup;
    std::vector<int> code;  // placed at 0000H
    int steps;
    std::vector<Expect> expect;
    int pc;  // -1: not checked
    StopReason stop = StopReason::None;
};

void RunCase(const ProgramCase& t, ChipModel chip = ChipModel::C8051)
{
    Machine m(chip);
    for (const auto& p : t.setup) m.Set(p.address, p.value);
    uint16_t at = 0;
    for (int b : t.code) m.cpu.codeMemory[at++] = HexCell::FromValue(static_cast<unsigned>(b));
    m.Run(t.steps);
    for (const auto& e : t.expect) {
        const std::string want = e.text;
        const std::string got = want.size() == 8 ? m.Cells(e.address) : m.Text(e.address);
        EXPECT_EQ(got, want) << t.name << ": byte " << ToHexByte(e.address);
    }
    if (t.pc >= 0) {
        EXPECT_EQ(m.cpu.programCounter, t.pc) << t.name;
    }
    EXPECT_EQ(m.cpu.PendingStop(), t.stop) << t.name;
}

constexpr uint8_t A = sfr::ACC, B = sfr::B, PSW = sfr::PSW, SP = sfr::SP;

TEST(ExecutorArithmetic, FlagsAndResultsOfTheClassicEdgeCases)
{
    // PSW cells: CY AC F0 RS1 RS0 OV - P
    const ProgramCase cases[] = {
        {"ADD A,#80H with A=80H", {{A, 0x80}}, {0x24, 0x80}, 1, {{A, "00"}, {PSW, "10000100"}}, 2},
        {"ADD A,#01H with A=7FH", {{A, 0x7F}}, {0x24, 0x01}, 1, {{A, "80"}, {PSW, "01000101"}}, 2},
        {"ADD A,#40H with A=40H", {{A, 0x40}}, {0x24, 0x40}, 1, {{A, "80"}, {PSW, "00000101"}}, 2},
        {"SUBB A,#01H with A=80H, CY=0",
         {{A, 0x80}},
         {0x94, 0x01},
         1,
         {{A, "7F"}, {PSW, "01000101"}},
         2},
        {"ADDC A,#00H with A=FFH, CY=1",
         {{A, 0xFF}, {PSW, 0x80}},
         {0x34, 0x00},
         1,
         {{A, "00"}, {PSW, "11000000"}},
         2},
        {"DA A after 99H+99H",
         {{A, 0x99}},
         {0x24, 0x99, 0xD4},
         2,
         {{A, "98"}, {PSW, "11000101"}},
         3},
        {"SUBB A,R2 borrows with CY=1",
         {{A, 0x05}, {0x02, 0x05}, {PSW, 0x80}},
         {0x9A},
         1,
         {{A, "FF"}, {PSW, "11000000"}},
         1},
        {"ADD A,@R1 reads through R1",
         {{A, 0x11}, {0x01, 0x40}, {0x40, 0x22}},
         {0x27},
         1,
         {{A, "33"}, {PSW, "00000000"}},
         1},
        {"ADDC A,direct",
         {{A, 0x0E}, {0x35, 0x01}, {PSW, 0x80}},
         {0x35, 0x35},
         1,
         {{A, "10"}, {PSW, "01000001"}},
         2},
        {"MUL AB 50H x A0H",
         {{A, 0x50}, {B, 0xA0}, {PSW, 0x80}},
         {0xA4},
         1,
         {{A, "00"}, {B, "32"}, {PSW, "00000100"}},
         1},
        {"DIV AB FBH / 12H",
         {{A, 0xFB}, {B, 0x12}, {PSW, 0x84}},
         {0x84},
         1,
         {{A, "0D"}, {B, "11"}, {PSW, "00000001"}},
         1},
        {"DIV AB with B=0",
         {{A, 0x42}, {B, 0x00}, {PSW, 0x80}},
         {0x84},
         1,
         {{A, "00"}, {B, "00"}, {PSW, "00000100"}},
         1},
        {"INC A wraps FFH to 00H", {{A, 0xFF}}, {0x04}, 1, {{A, "00"}, {PSW, "00000000"}}, 1},
        {"DEC direct wraps 00H to FFH", {{0x30, 0x00}}, {0x15, 0x30}, 1, {{0x30, "FF"}}, 2},
        {"INC @R0", {{0x00, 0x31}, {0x31, 0x41}}, {0x06}, 1, {{0x31, "42"}}, 1},
        {"DEC R7", {{0x07, 0x10}}, {0x1F}, 1, {{0x07, "0F"}}, 1},
        {"INC DPTR carries into DPH and wraps",
         {{sfr::DPH, 0xFF}, {sfr::DPL, 0xFF}},
         {0xA3, 0xA3},
         2,
         {{sfr::DPH, "00"}, {sfr::DPL, "01"}},
         2},
        {"DA A low digit correction", {{A, 0x15}}, {0x24, 0x27, 0xD4}, 2, {{A, "42"}}, 3},
    };
    for (const auto& t : cases) RunCase(t);
}

TEST(ExecutorBranches, ConditionsTargetsAndWrap)
{
    const ProgramCase cases[] = {
        {"CJNE A,#5 with A=5 falls through, C=0",
         {{A, 5}, {PSW, 0x80}},
         {0xB4, 0x05, 0x10},
         1,
         {{PSW, "00000000"}},
         0x03},
        {"CJNE A,#5 with A=4 jumps, C=1",
         {{A, 4}},
         {0xB4, 0x05, 0x10},
         1,
         {{PSW, "10000001"}},
         0x13},
        {"CJNE R3,#10H with R3=20H jumps back, C=0",
         {{0x03, 0x20}},
         {0xBB, 0x10, 0xFD},
         1,
         {{PSW, "00000000"}},
         0x00},
        {"CJNE A,direct compares with RAM",
         {{A, 7}, {0x40, 9}},
         {0xB5, 0x40, 0x02},
         1,
         {{PSW, "10000001"}},
         5},
        {"CJNE @R1,#data",
         {{0x01, 0x50}, {0x50, 0x33}},
         {0xB7, 0x33, 0x02},
         1,
         {{PSW, "00000000"}},
         3},
        {"DJNZ R0 with R0=0 wraps to FFH and jumps",
         {{0x00, 0x00}},
         {0xD8, 0xFE},
         1,
         {{0x00, "FF"}},
         0},
        {"DJNZ R0 reaching 0 falls through", {{0x00, 0x01}}, {0xD8, 0xFE}, 1, {{0x00, "00"}}, 2},
        {"DJNZ direct counts a loop down", {{0x30, 3}}, {0xD5, 0x30, 0xFD}, 3, {{0x30, "00"}}, 3},
        {"JZ taken", {{A, 0}}, {0x60, 0x05}, 1, {}, 7},
        {"JNZ not taken", {{A, 0}}, {0x70, 0x05}, 1, {}, 2},
        {"JC taken with CY=1", {{PSW, 0x80}}, {0x40, 0x10}, 1, {}, 0x12},
        {"JNC not taken with CY=1", {{PSW, 0x80}}, {0x50, 0x10}, 1, {}, 2},
        {"JB on P1.0", {}, {0x20, 0x90, 0x04}, 1, {}, 7},
        {"JNB on a clear RAM bit 20H.1", {{0x20, 0x01}}, {0x30, 0x01, 0x04}, 1, {}, 7},
        {"JBC jumps and clears the bit", {{0x21, 0x80}}, {0x10, 0x0F, 0x04}, 1, {{0x21, "00"}}, 7},
        {"JBC on a clear bit falls through",
         {{0x21, 0x7F}},
         {0x10, 0x0F, 0x04},
         1,
         {{0x21, "7F"}},
         3},
        {"SJMP backwards wraps below 0000H", {}, {0x80, 0xFC}, 1, {}, 0xFFFE},
        {"LJMP", {}, {0x02, 0x12, 0x34}, 1, {}, 0x1234},
        {"AJMP within the block", {}, {0xE1, 0x55}, 1, {}, 0x0755},
        {"JMP @A+DPTR wraps above FFFFH",
         {{A, 0x02}, {sfr::DPH, 0xFF}, {sfr::DPL, 0xFF}},
         {0x73},
         1,
         {},
         0x0001},
    };
    for (const auto& t : cases) RunCase(t);
}

TEST(ExecutorBranches, ShortJumpToItselfLoops)
{
    Machine m;
    m.Load(0x0010, {0x80, 0xFE});
    m.cpu.programCounter = 0x0010;
    m.Run(3);
    EXPECT_EQ(m.cpu.programCounter, 0x0010);
    EXPECT_TRUE(m.last.instructionJumped);
}

TEST(ExecutorLogic, CellByCellWithUndefinedCountingAsZero)
{
    const ProgramCase cases[] = {
        {"ANL A,#0F0H", {{A, 0x5A}}, {0x54, 0xF0}, 1, {{A, "50"}, {PSW, "00000000"}}, 2},
        {"XRL direct,A", {{A, 0xFF}, {0x30, 0x0F}}, {0x62, 0x30}, 1, {{0x30, "F0"}, {A, "FF"}}, 2},
        {"ORL direct,#data", {{0x30, 0x01}}, {0x43, 0x30, 0x80}, 1, {{0x30, "81"}}, 3},
        {"ANL A,R5", {{A, 0x3C}, {0x05, 0x0F}}, {0x5D}, 1, {{A, "0C"}}, 1},
        {"XRL A,@R0",
         {{A, 0x01}, {0x00, 0x44}, {0x44, 0x03}},
         {0x66},
         1,
         {{A, "02"}, {PSW, "00000001"}},
         1},
        {"ORL C,bit", {{0x20, 0x01}}, {0x72, 0x00}, 1, {{PSW, "10000000"}}, 2},
        {"ANL C,/bit", {{0x20, 0x01}, {PSW, 0x80}}, {0xB0, 0x00}, 1, {{PSW, "00000000"}}, 2},
        {"ORL C,/bit", {{0x20, 0x00}}, {0xA0, 0x00}, 1, {{PSW, "10000000"}}, 2},
        {"ANL C,bit", {{0x20, 0x01}, {PSW, 0x80}}, {0x82, 0x00}, 1, {{PSW, "10000000"}}, 2},
        {"RL A", {{A, 0x81}}, {0x23}, 1, {{A, "03"}, {PSW, "00000000"}}, 1},
        {"RR A", {{A, 0x81}}, {0x03}, 1, {{A, "C0"}}, 1},
        {"RLC A takes CY in and bit 7 out",
         {{A, 0x80}, {PSW, 0x00}},
         {0x33},
         1,
         {{A, "00"}, {PSW, "10000000"}},
         1},
        {"RRC A takes CY in and bit 0 out",
         {{A, 0x01}, {PSW, 0x80}},
         {0x13},
         1,
         {{A, "80"}, {PSW, "10000001"}},
         1},
        {"SWAP A", {{A, 0x4B}}, {0xC4}, 1, {{A, "B4"}}, 1},
        {"CLR A then CPL A", {{A, 0x4B}}, {0xE4, 0xF4}, 2, {{A, "FF"}, {PSW, "00000000"}}, 2},
        {"SETB C, CPL C, CPL C", {}, {0xD3, 0xB3, 0xB3}, 3, {{PSW, "10000000"}}, 3},
        {"CLR bit and SETB bit in RAM",
         {{0x2F, 0x0F}},
         {0xC2, 0x78, 0xD2, 0x7F},
         2,
         {{0x2F, "8E"}},
         4},
        {"CPL bit of P1", {}, {0xB2, 0x93}, 1, {{sfr::P1, "F7"}}, 2},
        {"SETB on PSW.1, a bit without a name", {}, {0xD2, 0xD1}, 1, {{PSW, "00000010"}}, 2},
        {"SETB ACC.0 keeps P equal to the parity",
         {{A, 0x00}},
         {0xD2, 0xE0},
         1,
         {{A, "01"}, {PSW, "00000001"}},
         2},
    };
    for (const auto& t : cases) RunCase(t);
}

TEST(ExecutorLogic, OrlWithUndefinedHighCellsGivesDefinedResultWithoutStop)
{
    Machine m;
    m.SetCells(A, "xxxx0000");
    m.Load(0, {0x44, 0x0F});
    m.Step();
    EXPECT_EQ(m.Cells(A), "00001111");
    EXPECT_FALSE(m.cpu.StopRequested());
    EXPECT_EQ(m.Flag(flag::P), kBitZero);
}

TEST(ExecutorMove, FormsCopyTheirCells)
{
    const ProgramCase cases[] = {
        {"MOV A,#data", {}, {0x74, 0x81}, 1, {{A, "81"}, {PSW, "00000000"}}, 2},
        {"MOV direct,#data", {}, {0x75, 0x30, 0x12}, 1, {{0x30, "12"}}, 3},
        {"MOV @R1,#data", {{0x01, 0x40}}, {0x77, 0x99}, 1, {{0x40, "99"}}, 2},
        {"MOV R6,#data", {}, {0x7E, 0x66}, 1, {{0x06, "66"}}, 2},
        {"MOV direct,direct takes B1 as source",
         {{0x30, 0x5A}},
         {0x85, 0x30, 0x31},
         1,
         {{0x31, "5A"}},
         3},
        {"MOV direct,direct carries x cells", {}, {0x85, 0x30, 0x31}, 1, {{0x31, "xxxxxxxx"}}, 3},
        {"MOV direct,@R0", {{0x00, 0x50}, {0x50, 0x77}}, {0x86, 0x31}, 1, {{0x31, "77"}}, 2},
        {"MOV direct,R2", {{0x02, 0x22}}, {0x8A, 0x31}, 1, {{0x31, "22"}}, 2},
        {"MOV DPTR,#data16", {}, {0x90, 0xAB, 0xCD}, 1, {{sfr::DPH, "AB"}, {sfr::DPL, "CD"}}, 3},
        {"MOV bit,C", {{PSW, 0x80}, {0x22, 0x00}}, {0x92, 0x13}, 1, {{0x22, "08"}}, 2},
        {"MOV C,bit", {{0x22, 0x08}}, {0xA2, 0x13}, 1, {{PSW, "10000000"}}, 2},
        {"MOV @R0,direct", {{0x00, 0x50}, {0x30, 0x44}}, {0xA6, 0x30}, 1, {{0x50, "44"}}, 2},
        {"MOV R4,direct", {{0x30, 0x44}}, {0xAC, 0x30}, 1, {{0x04, "44"}}, 2},
        {"MOV A,direct", {{0x30, 0x07}}, {0xE5, 0x30}, 1, {{A, "07"}, {PSW, "00000001"}}, 2},
        {"MOV A,@R1", {{0x01, 0x30}, {0x30, 0x07}}, {0xE7}, 1, {{A, "07"}}, 1},
        {"MOV A,R3 of bank 1 carries x cells",
         {{PSW, 0x08}},
         {0x00, 0xEB},
         2,
         {{A, "xxxxxxxx"}, {PSW, "00001000"}},
         2},
        {"MOV direct,A", {{A, 0x3C}}, {0xF5, 0x30}, 1, {{0x30, "3C"}}, 2},
        {"MOV @R0,A", {{A, 0x3C}, {0x00, 0x45}}, {0xF6}, 1, {{0x45, "3C"}}, 1},
        {"MOV R7,A", {{A, 0x3C}}, {0xFF}, 1, {{0x07, "3C"}}, 1},
        {"XCH A,direct", {{A, 0x12}, {0x30, 0x34}}, {0xC5, 0x30}, 1, {{A, "34"}, {0x30, "12"}}, 2},
        {"XCH A,R0 of bank 1 moves x cells",
         {{A, 0x12}, {PSW, 0x08}},
         {0x00, 0xC8},
         2,
         {{A, "xxxxxxxx"}, {0x08, "12"}},
         2},
        {"XCHD A,@R1",
         {{A, 0x12}, {0x01, 0x30}, {0x30, 0x34}},
         {0xD7},
         1,
         {{A, "14"}, {0x30, "32"}},
         1},
        {"MOV IP writes only the bits IP has",
         {},
         {0x75, sfr::IP, 0xFF},
         1,
         {{sfr::IP, "--111111"}},
         3},
        {"MOV A,IP reads missing bits as 0", {{sfr::IP, 0x3F}}, {0xE5, sfr::IP}, 1, {{A, "3F"}}, 2},
        {"MOV A,direct without RAM there gives undefined cells",
         {{A, 0x01}},
         {0xE5, 0xC5},
         1,
         {{A, "xxxxxxxx"}, {0xC5, "--------"}},
         2},
        {"MOV direct,#data without RAM there stores nothing",
         {},
         {0x75, 0xC5, 0x12},
         1,
         {{0xC5, "--------"}},
         3},
    };
    for (const auto& t : cases) RunCase(t);
}

TEST(ExecutorMove, MovcReadsCodeTables)
{
    Machine m;
    // MOV DPTR,#0100H; MOV A,#2; MOVC A,@A+DPTR; MOV R0,A; MOV A,#1; MOVC A,@A+PC; NOP; DB 77H
    m.Load(0, {0x90, 0x01, 0x00, 0x74, 0x02, 0x93, 0xF8, 0x74, 0x01, 0x83, 0x00, 0x77});
    m.Load(0x0100, {0x10, 0x20, 0x30});
    m.Run(6);
    EXPECT_EQ(m.Text(0x00), "30");
    EXPECT_EQ(m.Text(A), "77");
    EXPECT_EQ(m.cpu.programCounter, 0x0A);
    // An unloaded code byte gives undefined cells, not a number.
    m.Load(0x0200, {0x74, 0x05, 0x83});
    m.cpu.programCounter = 0x0200;
    m.Run(2);
    EXPECT_EQ(m.Cells(A), "xxxxxxxx");
    EXPECT_FALSE(m.cpu.StopRequested());
}

TEST(ExecutorMove, MovxKeepsExternalAddressesBelow100HExternal)
{
    Machine m;
    // MOV DPTR,#0030H; MOV A,#5AH; MOVX @DPTR,A; MOV R1,#30H; CLR A; MOVX A,@R1;
    // MOV R0,#31H; MOVX @R0,A
    m.Load(0, {0x90, 0x00, 0x30, 0x74, 0x5A, 0xF0, 0x79, 0x30, 0xE4, 0xE3, 0x78, 0x31, 0xF2});
    m.Set(sfr::P2, 0x00);  // page 00 for MOVX @Ri
    m.Run(8);
    EXPECT_EQ(m.cpu.externalMemory[0x30].Text(), "5A");
    EXPECT_EQ(m.cpu.externalMemory[0x31].Text(), "5A");
    EXPECT_EQ(m.Text(A), "5A");
    EXPECT_EQ(m.Cells(0x30), "xxxxxxxx");  // internal 30H untouched
    EXPECT_EQ(m.Cells(0x31), "xxxxxxxx");
    EXPECT_TRUE(m.last.destination.external);
    EXPECT_EQ(m.last.destination.value, 0x31);
}

TEST(ExecutorUndefined, ValueReadsStopAndLeaveTheDestinationAlone)
{
    const ProgramCase cases[] = {
        {"ADD A,direct from undefined RAM",
         {{A, 0x01}},
         {0x25, 0x30},
         1,
         {{A, "01"}},
         -1,
         StopReason::UndefinedBit},
        {"INC undefined RAM", {}, {0x05, 0x30}, 1, {{0x30, "xx"}}, -1, StopReason::UndefinedBit},
        {"MOV @R0,A with undefined R0",
         {{A, 0x01}, {PSW, 0x08}},
         {0x00, 0xF6},
         2,
         {},
         -1,
         StopReason::UndefinedBit},
        {"CJNE on undefined register",
         {{PSW, 0x08}},
         {0x00, 0xB8, 0x01, 0x10},
         2,
         {},
         -1,
         StopReason::UndefinedBit},
        {"DJNZ undefined direct",
         {},
         {0xD5, 0x30, 0x10},
         1,
         {{0x30, "xx"}},
         -1,
         StopReason::UndefinedBit},
        {"PUSH copies undefined cells", {}, {0xC0, 0x30}, 1, {{0x08, "xxxxxxxx"}, {SP, "08"}}, 2},
        {"XRL A,direct with undefined cells does not stop",
         {{A, 0xFF}},
         {0x65, 0x30},
         1,
         {{A, "FF"}},
         2},
    };
    for (const auto& t : cases) RunCase(t);
}

TEST(ExecutorUndefined, StopMessageNamesOpcodeAddressAndByte)
{
    Machine m;
    m.Load(0x0040, {0x25, 0x30});
    m.Set(A, 1);
    m.cpu.programCounter = 0x0040;
    m.Step();
    EXPECT_NE(m.cpu.simulationLog.Text().find(" When execute the Instruction code 25"), std::string::npos);
    EXPECT_NE(m.cpu.simulationLog.Text().find(" at Addr 0040"), std::string::npos);
    EXPECT_NE(m.cpu.simulationLog.Text().find(" there is a x-bit in Ram 30."), std::string::npos);
}

TEST(ExecutorUndefined, CarryOfXJumpsNeitherWay)
{
    for (int opcode : {0x40, 0x50}) {
        Machine m;
        m.cpu.WriteBit(kBitUndefined, flag::CY);
        m.Load(0, {opcode, 0x10});
        m.Step();
        EXPECT_FALSE(m.last.instructionJumped) << opcode;
        EXPECT_EQ(m.cpu.programCounter, 2) << opcode;
        EXPECT_EQ(m.cpu.PendingStop(), StopReason::UndefinedBit) << opcode;
    }
}

}  // namespace
}  // namespace zelo::core
