// Hostile input: random lines built from the characters and words of
// assembly source must never crash or write out of bounds (the sanitizers
// watch), and every line that is not clean must be counted as a problem.
#include <gtest/gtest.h>

#include <random>

#include "asm_test_support.h"

namespace zelo::assembler {
namespace {

std::string RandomLine(std::mt19937& rng)
{
    static const char* const kWords[] = {
        "MOV",  "DB",    "DW",    "EQU",     "ORG",     "SJMP",        "CJNE",  "A",
        "R0",   "@R1",   "#",     "#'",      "'",       "\"",          ",",     " ",
        "\t",   ";",     ":",     "$1",      "L1",      "0FFH",        "1234H", "12G",
        "P1.0", "ACC",   ".MOD.", "/",       "+",       "-",           "(",     ")",
        "<",    ">",     "END",   "INCLUDE", ".EXTERN", ".GLOBAL",     "DPTR",  "@A+DPTR",
        "C",    "/P1.1", "99999", "''",      "\r",      "\xE4\xB8\xAD"};
    std::uniform_int_distribution<int> count(0, 9);
    std::uniform_int_distribution<int> pick(0, sizeof kWords / sizeof kWords[0] - 1);
    std::string line;
    for (int n = count(rng); n > 0; --n) line += kWords[pick(rng)];
    return line;
}

TEST(AssemblerRobustness, RandomSourcesNeverCrashAndProblemsAreCounted)
{
    std::mt19937 rng(8051);
    for (int round = 0; round < 20; ++round) {
        std::string source;
        for (int i = 0; i < 150; ++i) source += RandomLine(rng) + "\n";
        const auto a = testing::AssembleText(source);
        const AssemblerSession& s = *a.session;
        int marked = 0;
        for (const AsmLine& line : s.Lines())
            marked += line.round1Error || line.round2Error ? 1 : 0;
        EXPECT_EQ(marked, s.Round1Problems() + s.Round2Problems()) << "round " << round;
        EXPECT_EQ(s.Succeeded(), marked == 0) << "round " << round;
        EXPECT_EQ(a.workspace->Exists("PROG.hex"), marked == 0) << "round " << round;
    }
}

TEST(AssemblerRobustness, LongLinesAndManySeparators)
{
    std::string many = "\tMOV";
    for (int i = 0; i < 300; ++i) many += " A,";
    const auto a = testing::AssembleText(many + "\n" + std::string(20000, 'X') + "\n\tDB " +
                                         std::string(5000, '1') + "\n");
    // The operand list is refused, the long word in column 1 is a label, the
    // oversized number in DB is refused.
    EXPECT_EQ(a.session->Round1Problems(), 2);
    EXPECT_TRUE(a.session->Lines()[0].round1Error);
    EXPECT_FALSE(a.session->Lines()[1].round1Error);
    EXPECT_TRUE(a.session->Lines()[2].round1Error);
}

}  // namespace
}  // namespace zelo::assembler
