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

// The texts are views of constant texts of the program: the table is built
// by every program that steps or assembles, and rows of views are a third
// of the size of rows of strings.
struct OpcodeRow {
    std::string_view hex;                     // column 0: "A5"
    std::string_view bytesText;               // column 1: "1", "2", "3" ("0" for A5)
    std::string_view cyclesText;              // column 2: "1", "2", "4" ("0" for A5)
    std::string_view mnemonicText;            // column 3
    std::array<std::string_view, 3> operands; // columns 4..6, "" when absent
    std::string_view description;        // column 7 (a text of the table itself)
    // Numeric forms resolved once when the row is added, so the step loop
    // never parses text.
    uint8_t bytes = 0;
    uint8_t cycles = 0;
    Mnemonic mnemonic = Mnemonic::NON;
};

class OpcodeTable {
public:
    OpcodeTable();  // builds the table

    void BuildOpcodeTable();
    void AddOpcodeRow(std::string_view hex, std::string_view bytes, std::string_view cycles,
                      std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                      std::string_view op3 = "");
    // Eight rows first+k with the register operand ("R...") replaced by Rk.
    void AddRegisterRows(std::string_view firstHex, std::string_view bytes, std::string_view cycles,
                         std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                         std::string_view op3 = "");
    // Two rows first+k with the register operand replaced by @Rk.
    void AddIndirectRows(std::string_view firstHex, std::string_view bytes, std::string_view cycles,
                         std::string_view mnemonic, std::string_view op1 = "", std::string_view op2 = "",
                         std::string_view op3 = "");
    void DescribeOpcode(uint8_t opcode);

    const OpcodeRow& Row(uint8_t opcode) const { return m_rows[opcode]; }
    // The row formatted for the list file (OpcodeLines).
    std::string Line(uint8_t opcode) const;
    // The 256 lines of the list file, each followed by CR LF.
    std::string ListFileText() const;

private:
    void AddExpandedRows(int count, std::string_view prefix, std::string_view firstHex,
                         std::string_view bytes, std::string_view cycles, std::string_view mnemonic,
                         std::string_view op1, std::string_view op2, std::string_view op3);

    std::array<OpcodeRow, 256> m_rows;
};

// The table, built once on first use and shared read-only.
const OpcodeTable& StandardOpcodeTable();

// Name of the opcode list file written into the workspace at start-up.
inline constexpr const char* kOpcodeListFileName = "指令8051.lst";

}  // namespace zelo::core
