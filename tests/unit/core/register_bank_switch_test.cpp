// The registers R0-R7 follow PSW whichever way the bank is switched: by the
// bit instructions on RS0/RS1, by a byte write to PSW, or by both in turn
// (a bank left by SETB and restored by MOV PSW,#data).
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/simulator.h"

using namespace zelo::core;

namespace {

struct BankCase {
    const char* name;
    std::vector<int> switching;  // code run before MOV R0,#5AH
    uint8_t expectedR0Address;
};

TEST(RegisterBankSwitch, RegistersFollowPswHoweverTheBankIsSwitched)
{
    const BankCase cases[] = {
        {"SETB RS0", {0xD2, 0xD3}, 0x08},
        {"MOV PSW,#18H", {0x75, 0xD0, 0x18}, 0x18},
        {"SETB RS0 then MOV PSW,#00H", {0xD2, 0xD3, 0x75, 0xD0, 0x00}, 0x00},
        {"SETB RS1 then MOV PSW,#00H", {0xD2, 0xD4, 0x75, 0xD0, 0x00}, 0x00},
        {"MOV PSW,#08H then CLR RS0", {0x75, 0xD0, 0x08, 0xC2, 0xD3}, 0x00},
        {"SETB RS0, MOV PSW,#00H, SETB RS1", {0xD2, 0xD3, 0x75, 0xD0, 0x00, 0xD2, 0xD4}, 0x10},
        {"SETB RS0 then POP PSW of 00H", {0xD2, 0xD3, 0x75, 0x30, 0x00, 0x75, 0x81, 0x30, 0xD0, 0xD0}, 0x00},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Simulator sim;
        auto& cpu = sim.Cpu();
        for (int a = 0; a < 0x20; ++a) cpu.StoreByte(0, static_cast<uint8_t>(a));
        cpu.StoreByte(0, sfr::PSW);
        std::vector<int> code = c.switching;
        code.insert(code.end(), {0x78, 0x5A});  // MOV R0,#5AH
        for (std::size_t i = 0; i < code.size(); ++i) cpu.codeMemory[i] = HexCell::FromValue(static_cast<unsigned>(code[i]));
        while (sim.ProgramCounter() < code.size()) ASSERT_TRUE(sim.OneStep().executed);
        for (uint8_t a : {0x00, 0x08, 0x10, 0x18})
            EXPECT_EQ(cpu.PeekRamByteText(a), a == c.expectedR0Address ? "5A" : "00") << "RAM " << int(a);
        EXPECT_EQ(cpu.registerAddress[0], c.expectedR0Address);
    }
}

}  // namespace
