// Every opcode form of the instruction set, as a golden table of
// `source | bytes` (tests/unit/asm/data/opcode_forms.txt), assembled in one
// program; the table must reach all 255 defined opcodes.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "asm/encoder.h"
#include "asm_test_support.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"

namespace zelo::assembler {
namespace {

using testing::AssembleText;
using testing::LineBytes;

struct FormRow
{
    std::string source;
    std::string bytes;
};

std::vector<FormRow> ReadForms()
{
    std::ifstream in(std::string(ZELO_SOURCE_DIR) + "/tests/unit/asm/data/opcode_forms.txt");
    std::vector<FormRow> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '!') line.erase(0, 1);
        const auto bar = line.find(" | ");
        rows.push_back({line.substr(0, bar), line.substr(bar + 3)});
    }
    return rows;
}

std::string ProgramLine(const FormRow& row, std::size_t index)
{
    const std::string label = "L" + std::to_string(index);
    std::string src = row.source;
    if (auto at = src.find("@@"); at != std::string::npos)
        return label + ":\t" + src.replace(at, 2, label);
    return "\t" + src;
}

TEST(EncoderForms, EveryFormAssemblesToItsBytes)
{
    const auto rows = ReadForms();
    ASSERT_GT(rows.size(), 280u);
    std::string program = "\tORG 0\n";
    for (std::size_t i = 0; i < rows.size(); ++i) program += ProgramLine(rows[i], i) + "\n";
    program += "\tEND\n";
    const auto a = AssembleText(program);
    EXPECT_EQ(a.session->Round1Problems(), 0);
    EXPECT_EQ(a.session->Round2Problems(), 0);
    std::set<int> opcodes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AsmLine& line = a.session->Lines()[i + 1];
        EXPECT_EQ(LineBytes(*a.session, line), rows[i].bytes) << rows[i].source;
        opcodes.insert(line.bytes[0].value);
    }
    for (int op = 0; op < 256; ++op) {
        if (op == 0xA5) continue;  // the one undefined opcode
        EXPECT_TRUE(opcodes.count(op)) << "no form reaches opcode " << core::ToHexByte(op);
    }
}

TEST(EncoderForms, LengthsComeFromTheOpcodeTable)
{
    const auto rows = ReadForms();
    std::string program;
    for (std::size_t i = 0; i < rows.size(); ++i) program += ProgramLine(rows[i], i) + "\n";
    const auto a = AssembleText(program);
    uint16_t expected = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AsmLine& line = a.session->Lines()[i];
        EXPECT_EQ(line.address, expected) << rows[i].source;
        const int count = static_cast<int>((rows[i].bytes.size() + 1) / 3);
        EXPECT_EQ(line.length, count) << rows[i].source;
        expected = static_cast<uint16_t>(expected + count);
    }
}

struct Rejected
{
    const char* source;
    const char* why;
};

// Operand combinations no rule accepts: the line gets "??" and counts as a
// Round 1 problem.
TEST(EncoderForms, RejectedOperandsMarkTheLine)
{
    const Rejected cases[] = {
        {"XCH A,#1", "XCH has no immediate form"},
        {"ADD R0,#1", "ADD needs A first"},
        {"DEC DPTR", "no DEC DPTR"},
        {"RR B", "rotates work on A only"},
        {"MUL A", "MUL needs AB"},
        {"SETB A", "SETB A does not exist"},
        {"XCHD A,R0", "XCHD takes @Ri only"},
        {"MOVX A,@DPTR,1", "too many operands"},
        {"DJNZ @R0,L", "DJNZ takes Rn or direct"},
        {"CJNE R0,30H,L", "CJNE Rn takes #data only"},
        {"MOV A,#256", "one byte expected"},
        {"MOV A,#12G", "invalid digit"},
        {"MOV A,ZZH", "not an address"},
        {"RET A", "RET takes no operand"},
        {"FOO A", "unknown mnemonic"},
        {"JMP @A+PC", "no such jump"},
        {"MOVC A,@DPTR", "MOVC needs @A+"},
        {"MOV C,P0.1,1", "too many operands"},
    };
    for (const auto& c : cases) {
        const auto a = AssembleText(std::string("\t") + c.source + "\nL:\tNOP\n");
        const AsmLine& line = a.session->Lines()[0];
        EXPECT_TRUE(line.round1Error) << c.source << ": " << c.why;
        EXPECT_EQ(a.session->Round1Problems(), 1) << c.source;
        EXPECT_FALSE(a.session->HexPath().has_value()) << c.source;
    }
}

// Where an address is due, any operand is taken and its byte marked "??";
// of several forms, the one matching exactly furthest left wins; the forms
// the instruction set lacks leave only "??".
TEST(EncoderForms, FaultyOperandsKeepTheFormTheyResemble)
{
    const struct
    {
        const char* mnemonic;
        const char* a;
        const char* b;
        const char* bytes;
    } cases[] = {
        {"ORL", "@R0", "A", "42 ??"},  {"ORL", "", "A", "42 ??"},     {"MOV", "C", "A", "A2 ??"},
        {"ORL", "C", "#1", "72 ??"},   {"ORL", "A", "A", "45 E0"},    {"MOV", "R1", "R2", "A9 02"},
        {"MOV", "#5", "R0", "88 ??"}, {"MOV", "P1", "30H", "85 30 90"}, {"ADD", "A", "C", "25 ??"},
        {"XRL", "C", "A", "??"},       {"MOV", "A", "A", "??"},       {"MOV", "DPTR", "A", "??"},
        {"DJNZ", "@R1", "L", "??"},    {"AJMP", "@R0", "", "??"},     {"SETB", "A", "", "??"},
    };
    const SymbolTable symbols;
    for (const auto& c : cases) {
        const Encoded e = EncodeInstruction(c.mnemonic, c.a, c.b, "", symbols);
        std::string bytes;
        for (const CodeByte& b : e.bytes) {
            if (b.state == ByteState::None) break;
            bytes += (bytes.empty() ? "" : " ") + ByteString(b);
        }
        EXPECT_EQ(bytes, c.bytes) << c.mnemonic << " " << c.a << "," << c.b;
    }
}

TEST(EncoderForms, RegisterNibbles)
{
    const std::pair<const char*, char> cases[] = {{"@R0", '6'}, {"@R1", '7'}, {"R0", '8'},
                                                  {"R3", 'B'},  {"R7", 'F'},  {"R8", '?'},
                                                  {"@R2", '?'}, {"A", '?'}};
    for (const auto& [text, nibble] : cases) EXPECT_EQ(RegisterNibble(text), nibble) << text;
}

}  // namespace
}  // namespace zelo::assembler
