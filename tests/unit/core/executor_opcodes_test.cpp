// Every opcode from a fully defined state, and the changed-location lists the
// views highlight.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "executor_machine.h"

namespace zelo::core {
namespace {

using exectest::Machine;

void DefineState(Machine& m)
{
    for (int a = 0; a < 0x80; ++a) m.Set(static_cast<uint8_t>(a), static_cast<uint8_t>(a ^ 0x5A));
    m.Set(0x00, 0x30);  // R0
    m.Set(0x01, 0x31);  // R1
    m.Set(sfr::SP, 0x40);
    m.Set(sfr::DPH, 0x01);
    m.Set(sfr::DPL, 0x00);
    m.Set(sfr::ACC, 0x03);
    m.Set(sfr::B, 0x07);
    m.cpu.WriteBit(kBitOne, flag::P);  // parity of 03H is even: any correction must show
    if (HasUpperRam(m.cpu.Chip()))
        for (auto& cells : m.cpu.upperRam) cells = ValueToBitBuffer(0x11);
}

bool AlwaysJumps(Mnemonic m)
{
    switch (m) {
        case Mnemonic::AJMP:
        case Mnemonic::LJMP:
        case Mnemonic::SJMP:
        case Mnemonic::JMP:
        case Mnemonic::ACALL:
        case Mnemonic::LCALL:
        case Mnemonic::RET:
        case Mnemonic::RETI:
            return true;
        default:
            return false;
    }
}

bool MayJump(Mnemonic m)
{
    switch (m) {
        case Mnemonic::JC:
        case Mnemonic::JNC:
        case Mnemonic::JZ:
        case Mnemonic::JNZ:
        case Mnemonic::JB:
        case Mnemonic::JNB:
        case Mnemonic::JBC:
        case Mnemonic::DJNZ:
        case Mnemonic::CJNE:
            return true;
        default:
            return AlwaysJumps(m);
    }
}

TEST(ExecutorOpcodes, EveryOpcodeRunsFromADefinedStateWithoutAStop)
{
    for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052, ChipModel::C89Cx051}) {
        for (int op = 0; op < 256; ++op) {
            Machine m(chip);
            DefineState(m);
            m.Load(0x0200, {op, 0x20, 0x05});
            m.cpu.programCounter = 0x0200;
            const auto before = m.cpu.internal;
            const std::string where = std::string(ChipName(chip)) + " opcode " + ToHexByte(op);

            m.Step();
            const Mnemonic mnemonic = StandardOpcodeTable().Row(static_cast<uint8_t>(op)).mnemonic;
            EXPECT_FALSE(m.cpu.StopRequested()) << where << ": " << m.cpu.simulationLog.Text();
            if (AlwaysJumps(mnemonic)) {
                EXPECT_TRUE(m.last.instructionJumped) << where;
            }
            if (!MayJump(mnemonic)) {
                EXPECT_FALSE(m.last.instructionJumped) << where;
            }
            // P always shows the parity of ACC.
            int ones = 0;
            for (BitCell c : m.cpu.internal[sfr::ACC]) ones += c == kBitOne;
            EXPECT_EQ(m.Flag(flag::P), ones % 2 ? kBitOne : kBitZero) << where;
            if (mnemonic == Mnemonic::NOP || mnemonic == Mnemonic::NON) {
                // Only the parity correction of the defined start state.
                auto after = m.cpu.internal;
                after[sfr::PSW][0] = before[sfr::PSW][0];
                EXPECT_EQ(after, before) << where;
                EXPECT_EQ(m.cpu.programCounter, 0x0200 + (mnemonic == Mnemonic::NOP)) << where;
            }
        }
    }
}

std::string ChangedText(const CurrentInstruction& in)
{
    std::string s;
    for (int i = 0; i < in.changedCount; ++i) {
        if (!s.empty()) s += ' ';
        s += ToHexByte(in.changed[i].byte);
        if (in.changed[i].bit >= 0) s += "." + std::to_string(in.changed[i].bit);
    }
    return s;
}

TEST(ExecutorChanged, ListsWhatEachInstructionWrote)
{
    struct Case
    {
        const char* name;
        std::vector<int> code;
        uint8_t accumulator;
        const char* changed;
        int source, destination;
    } cases[] = {
        {"ADD writes CY, A, AC, OV, then P", {0x24, 0x80}, 0x80, "D0.7 E0 D0.6 D0.2 D0", -1, 0xE0},
        {"SETB C", {0xD3}, 0x00, "D0.7", -1, 0xD0},
        {"MOV direct,#data", {0x75, 0x30, 0x01}, 0x00, "30", -1, 0x30},
        {"MOV direct,direct", {0x85, 0x30, 0x31}, 0x00, "31", 0x30, 0x31},
        {"LCALL pushes two bytes and SP", {0x12, 0x01, 0x00}, 0x00, "08 09 81", -1, -1},
        {"CJNE writes only the carry", {0xB4, 0x06, 0x00}, 0x05, "D0.7", 0xE0, -1},
        {"MUL writes CY, B, A, OV, P", {0xA4}, 0x02, "D0.7 F0 E0 D0.2 D0", 0xF0, 0xE0},
        {"SETB IE.7 names IE as the destination", {0xD2, 0xAF}, 0x00, "A8.7", -1, 0xA8},
        {"MOV SBUF,A names SBUF as the destination", {0xF5, 0x99}, 0x00, "99", 0xE0, 0x99},
    };
    for (const auto& t : cases) {
        Machine m;
        m.Set(sfr::ACC, t.accumulator);
        m.Set(sfr::B, 0x03);
        m.Set(0x30, 0x00);
        for (std::size_t i = 0; i < t.code.size(); ++i)
            m.cpu.codeMemory[i] = HexCell::FromValue(static_cast<unsigned>(t.code[i]));
        m.Step();
        EXPECT_EQ(ChangedText(m.last), t.changed) << t.name;
        EXPECT_EQ(m.last.source.value, t.source) << t.name;
        EXPECT_EQ(m.last.destination.value, t.destination) << t.name;
    }
}

}  // namespace
}  // namespace zelo::core
