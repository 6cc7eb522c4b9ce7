// The 256 opcodes of the MCS-51 family: length, machine cycles, mnemonic,
// operand patterns and a one-line description. It is the one source of these
// facts: the step loop, the assembler's length rule, the disassembler and the
// inspector all read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/fixed_text.h"

namespace zelo::core {

// Mnemonics as the opcode table names them, the one vocabulary of the
// executor, assembler, disassembler and inspector. NON is the undefined
// opcode A5; CALL is the assembler's generic call (ACALL or LCALL), which no
// opcode row names.
enum class Mnemonic : uint8_t {
    NON, NOP, AJMP, LJMP, RR, INC, JBC, ACALL, LCALL, RRC, DEC, JB, RET, RL, ADD, JNB,
    RETI, RLC, ADDC, JC, ORL, JNC, ANL, JZ, XRL, JNZ, JMP, MOV, SJMP, MOVC, DIV, SUBB,
    MUL, CPL, CJNE, PUSH, CLR, SWAP, XCH, POP, SETB, DA, DJNZ, XCHD, MOVX, CALL,
    Count
};
const char* MnemonicText(Mnemonic m);
// Trimmed and upper-cased before comparison.
std::optional<Mnemonic> MnemonicFromText(std::string_view text);
// The same for a text that is trimmed and upper-cased already.
std::optional<Mnemonic> MnemonicFromUpperText(std::string_view upper);

// The texts are held in the row: the table is built while the program is
// compiled and lies in its constant data, with nothing to allocate or fix up
// when a program starts.
struct OpcodeRow {
    FixedText<2> hex;                     // column 0: "A5"
    FixedText<1> bytesText;               // column 1: "1", "2", "3" ("0" for A5)
    FixedText<1> cyclesText;              // column 2: "1", "2", "4" ("0" for A5)
    FixedText<5> mnemonicText;            // column 3
    std::array<FixedText<7>, 3> operands; // columns 4..6, "" when absent
    FixedText<47> description;            // column 7
    // Numeric forms resolved once when the row is added, so the step loop
    // never parses text.
    uint8_t bytes = 0;
    uint8_t cycles = 0;
    Mnemonic mnemonic = Mnemonic::NON;
};

class OpcodeTable {
public:
    // Built while the program is compiled: the table is constant data.
    constexpr OpcodeTable();

    constexpr void BuildOpcodeTable();
    constexpr void AddOpcodeRow(std::string_view hex, std::string_view bytes, std::string_view cycles,
                      std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                      std::string_view op3 = "");
    // Eight rows first+k with the register operand ("R...") replaced by Rk.
    constexpr void AddRegisterRows(std::string_view firstHex, std::string_view bytes, std::string_view cycles,
                         std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                         std::string_view op3 = "");
    // Two rows first+k with the register operand replaced by @Rk.
    constexpr void AddIndirectRows(std::string_view firstHex, std::string_view bytes, std::string_view cycles,
                         std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                         std::string_view op3 = "");
    constexpr void DescribeOpcode(uint8_t opcode);

    const OpcodeRow& Row(uint8_t opcode) const { return m_rows[opcode]; }
    // The row formatted for the list file (OpcodeLines).
    std::string Line(uint8_t opcode) const;
    // The 256 lines of the list file, each followed by CR LF.
    std::string ListFileText() const;

private:
    constexpr void AddExpandedRows(int count, std::string_view prefix, std::string_view firstHex,
                         std::string_view bytes, std::string_view cycles, std::string_view mnemonic,
                         std::string_view op1, std::string_view op2, std::string_view op3);

    std::array<OpcodeRow, 256> m_rows;
};

// The table, built once on first use and shared read-only.
const OpcodeTable& StandardOpcodeTable();

// Name of the opcode list file written into the workspace at start-up.
inline constexpr const char* kOpcodeListFileName = "指令8051.lst";

}  // namespace zelo::core
