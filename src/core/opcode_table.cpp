#include "core/opcode_table.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::core {

namespace {
// "00".."FF": the opcode column's texts, kept for the program's lifetime.
struct HexText
{
    char digits[2];
    constexpr std::string_view View() const { return {digits, 2}; }
};
constexpr std::array<HexText, 256> MakeHexTexts()
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<HexText, 256> texts{};
    for (unsigned n = 0; n < 256; ++n) texts[n] = {{kDigits[n >> 4], kDigits[n & 0xF]}};
    return texts;
}
constexpr std::array<HexText, 256> kHexTexts = MakeHexTexts();

constexpr const char* kMnemonicTexts[] = {
    "NON", "NOP", "AJMP", "LJMP", "RR", "INC", "JBC", "ACALL", "LCALL", "RRC", "DEC", "JB", "RET", "RL",
    "ADD", "JNB", "RETI", "RLC", "ADDC", "JC", "ORL", "JNC", "ANL", "JZ", "XRL", "JNZ", "JMP", "MOV",
    "SJMP", "MOVC", "DIV", "SUBB", "MUL", "CPL", "CJNE", "PUSH", "CLR", "SWAP", "XCH", "POP", "SETB",
    "DA", "DJNZ", "XCHD", "MOVX", "CALL",
};
static_assert(std::size(kMnemonicTexts) == static_cast<std::size_t>(Mnemonic::Count));

struct Description {
    const char* mnemonic;
    const char* text;
};
constexpr Description kDescriptions[] = {
    {"ACALL", "Absolute Call within 2k Block"}, {"ADD", "Add Value"},
    {"ADDC", "Add Value with Carry"}, {"AJMP", "Absolute Jump within 2k Block"},
    {"ANL", "Bitwise AND"}, {"CJNE", "Compare and Jump if Not Equal"},
    {"CLR", "Clear Register"}, {"CPL", "Complement Register"},
    {"DA", "Decimal Adjust Accumulator"}, {"DEC", "Decrement Register"},
    {"DIV", "Divide Accumulator by B"}, {"DJNZ", "Decrement and Jump if Not Zero"},
    {"INC", "Increment Register"}, {"JB", "Jump if Bit Set"},
    {"JBC", "Jump if Bit Set and Clear Bit"}, {"JC", "Jump if Carry Set"},
    {"JMP", "Jump to Data Pointer + Accumulator"}, {"JNB", "Jump if Bit Not Set"},
    {"JNC", "Jump if Carry Not Set"}, {"JNZ", "Jump if Accumulator Not Zero"},
    {"JZ", "Jump if Accumulator Zero"}, {"LCALL", "Long Call"},
    {"LJMP", "Long Jump"}, {"MOVC", "Move Code Byte to Accumulator"},
    {"MOVX", "Move Data to/from External RAM"}, {"MUL", "Multiply Accumulator by B"},
    {"NOP", "No Operation"}, {"ORL", "Bitwise OR"},
    {"POP", "Pop Value from Stack"}, {"PUSH", "Push Value onto Stack"},
    {"RET", "Return from Subroutine"}, {"RETI", "Return from Interrupt"},
    {"RL", "Rotate Accumulator Left"}, {"RLC", "Rotate Accumulator Left Through Carry"},
    {"RR", "Rotate Accumulator Right"}, {"RRC", "Rotate Accumulator Right Through Carry"},
    {"SETB", "Set Bit"}, {"SJMP", "Short Jump"},
    {"SUBB", "Subtract from Accumulator with Borrow"}, {"SWAP", "Swap Nibbles within the Accumulator"},
    {"XCH", "Exchange Bytes"}, {"XCHD", "Exchange low nibbles"},
    {"XRL", "Bitwise Exclusive OR"}, {"NON", "Undefined Instruction"},
};
constexpr std::size_t kMnemonicCount = static_cast<std::size_t>(Mnemonic::Count);

// A mnemonic of up to eight letters as one integer, so looking a text up
// compares integers.
constexpr uint64_t PackName(std::string_view name)
{
    uint64_t key = 0;
    for (char c : name) key = (key << 8) | static_cast<unsigned char>(c);
    return key;
}

// The packed names in ascending order with their mnemonics: the assembler
// looks up every statement's mnemonic, by binary search.
struct MnemonicKey {
    uint64_t key;
    Mnemonic mnemonic;
};
constexpr std::array<MnemonicKey, kMnemonicCount> kMnemonicKeys = [] {
    std::array<MnemonicKey, kMnemonicCount> keys{};
    for (std::size_t i = 0; i < kMnemonicCount; ++i)
        keys[i] = {PackName(kMnemonicTexts[i]), static_cast<Mnemonic>(i)};
    std::sort(keys.begin(), keys.end(), [](const MnemonicKey& a, const MnemonicKey& b) { return a.key < b.key; });
    return keys;
}();

// The description of each mnemonic, in the order of the enumeration.
constexpr std::array<std::string_view, kMnemonicCount> kDescriptionOf = [] {
    std::array<std::string_view, kMnemonicCount> texts{};
    for (std::size_t i = 0; i < kMnemonicCount; ++i) {
        for (const Description& d : kDescriptions) {
            if (std::string_view(d.mnemonic) == kMnemonicTexts[i]) texts[i] = d.text;
        }
    }
    return texts;
}();

// Texts of operands that name a register or an AJMP/ACALL page.
constexpr std::string_view kRegisters[] = {"R0", "R1", "R2", "R3", "R4", "R5", "R6", "R7"};
constexpr std::string_view kIndirect[] = {"@R0", "@R1"};
constexpr std::string_view kPages[] = {"(P0)", "(P1)", "(P2)", "(P3)",
                                       "(P4)", "(P5)", "(P6)", "(P7)"};

// The mnemonic an upper-case text names.
constexpr std::optional<Mnemonic> UpperMnemonic(std::string_view wanted)
{
    if (wanted.empty() || wanted.size() > 8) return std::nullopt;
    const uint64_t key = PackName(wanted);
    const auto found = std::lower_bound(kMnemonicKeys.begin(), kMnemonicKeys.end(), key,
                                        [](const MnemonicKey& k, uint64_t wantedKey) { return k.key < wantedKey; });
    if (found == kMnemonicKeys.end() || found->key != key) return std::nullopt;
    return found->mnemonic;
}

}  // namespace

const char* MnemonicText(Mnemonic m) { return kMnemonicTexts[static_cast<int>(m)]; }

std::optional<Mnemonic> MnemonicFromText(std::string_view text)
{
    const UpperTrimmed upper(text);
    return MnemonicFromUpperText(upper.View());
}

std::optional<Mnemonic> MnemonicFromUpperText(std::string_view wanted)
{
    return UpperMnemonic(wanted);
}

constexpr OpcodeTable::OpcodeTable() { BuildOpcodeTable(); }

constexpr void OpcodeTable::AddOpcodeRow(std::string_view hex, std::string_view bytes, std::string_view cycles,
                               std::string_view mnemonic, std::string_view op1, std::string_view op2,
                               std::string_view op3)
{
    const auto index = static_cast<uint8_t>(ParseHexByteValue(hex));
    OpcodeRow& row = m_rows[index];
    row.hex = hex;
    row.bytesText = bytes;
    row.cyclesText = cycles;
    row.mnemonicText = mnemonic;
    row.operands = {op1, op2, op3};
    row.bytes = static_cast<uint8_t>(bytes.empty() ? 0 : bytes[0] - '0');
    row.cycles = static_cast<uint8_t>(cycles.empty() ? 0 : cycles[0] - '0');
    row.mnemonic = UpperMnemonic(mnemonic).value_or(Mnemonic::NON);
    DescribeOpcode(index);
}

std::string OpcodeTable::Line(uint8_t opcode) const
{
    // Formatted when asked for: the list file is written once at start-up,
    // while the table itself is built by every program that steps or
    // assembles.
    const OpcodeRow& row = m_rows[opcode];
    std::string line;
    line.reserve(40);
    AppendField(row.hex, 3, line);
    AppendField(row.bytesText, 2, line);
    AppendField(row.cyclesText, 2, line);
    AppendField(row.mnemonicText, 6, line);
    AppendField(row.operands[0], 8, line);
    AppendField(row.operands[1], 8, line);
    AppendField(row.operands[2], 6, line);
    return line;
}

constexpr void OpcodeTable::AddExpandedRows(int count, std::string_view prefix, std::string_view firstHex,
                                  std::string_view bytes, std::string_view cycles,
                                  std::string_view mnemonic, std::string_view op1,
                                  std::string_view op2, std::string_view op3)
{
    for (int k = 0; k < count; ++k) {
        const std::string_view hex =
            kHexTexts[static_cast<unsigned>(ParseHexByteValue(firstHex) + k) & 0xFF].View();
        const std::string_view reg = prefix == "@R" ? kIndirect[k & 1] : kRegisters[k & 7];
        // The operand that names the register is the one written "R..." or "@R...".
        const bool firstIsRegister = !op1.empty() && (op1[0] == 'R' || op1[0] == '@');
        if (firstIsRegister)
            AddOpcodeRow(hex, bytes, cycles, mnemonic, reg, op2, op3);
        else
            AddOpcodeRow(hex, bytes, cycles, mnemonic, op1, reg, op3);
    }
}

constexpr void OpcodeTable::AddRegisterRows(std::string_view firstHex, std::string_view bytes,
                                  std::string_view cycles, std::string_view mnemonic,
                                  std::string_view op1, std::string_view op2, std::string_view op3)
{
    AddExpandedRows(8, "R", firstHex, bytes, cycles, mnemonic, op1, op2, op3);
}

constexpr void OpcodeTable::AddIndirectRows(std::string_view firstHex, std::string_view bytes,
                                  std::string_view cycles, std::string_view mnemonic,
                                  std::string_view op1, std::string_view op2, std::string_view op3)
{
    AddExpandedRows(2, "@R", firstHex, bytes, cycles, mnemonic, op1, op2, op3);
}

constexpr void OpcodeTable::DescribeOpcode(uint8_t opcode)
{
    OpcodeRow& row = m_rows[opcode];
    row.description = {};
    if (!UpperMnemonic(row.mnemonicText)) return;  // a text that names no instruction
    if (row.mnemonic == Mnemonic::MOV) {
        if (opcode == 0xA2 || opcode == 0x92)
            row.description = std::string_view("Move into/out of Carry Bit");
        else if (opcode == 0x90)
            row.description = std::string_view("Move value into DPTR");
        else
            row.description = std::string_view("Move into/out of Accumulator or Internal RAM");
        return;
    }
    row.description = kDescriptionOf[static_cast<std::size_t>(row.mnemonic)];
}

// The published MCS-51 opcode map, one call per instruction group.
constexpr void OpcodeTable::BuildOpcodeTable()
{
    // AJMP and ACALL: one row per 2 KB page named by the opcode's top three bits.
    for (int page = 0; page < 8; ++page) {
        AddOpcodeRow(kHexTexts[page * 32 + 0x01].View(), "2", "2", "AJMP", kPages[page]);
        AddOpcodeRow(kHexTexts[page * 32 + 0x11].View(), "2", "2", "ACALL", kPages[page]);
    }

    // Row 0x
    AddOpcodeRow("00", "1", "1", "NOP");
    AddOpcodeRow("02", "3", "2", "LJMP", "addr16");
    AddOpcodeRow("03", "1", "1", "RR", "A");
    AddOpcodeRow("04", "1", "1", "INC", "A");
    AddOpcodeRow("05", "2", "1", "INC", "dir");
    AddIndirectRows("06", "1", "1", "INC", "@R");
    AddRegisterRows("08", "1", "1", "INC", "R");
    // Row 1x
    AddOpcodeRow("10", "3", "2", "JBC", "bit", "rel");
    AddOpcodeRow("12", "3", "2", "LCALL", "addr16");
    AddOpcodeRow("13", "1", "1", "RRC", "A");
    AddOpcodeRow("14", "1", "1", "DEC", "A");
    AddOpcodeRow("15", "2", "1", "DEC", "dir");
    AddIndirectRows("16", "1", "1", "DEC", "@R");
    AddRegisterRows("18", "1", "1", "DEC", "R");
    // Row 2x
    AddOpcodeRow("20", "3", "2", "JB", "bit", "rel");
    AddOpcodeRow("22", "1", "2", "RET");
    AddOpcodeRow("23", "1", "1", "RL", "A");
    AddOpcodeRow("24", "2", "1", "ADD", "A", "#data");
    AddOpcodeRow("25", "2", "1", "ADD", "A", "dir");
    AddIndirectRows("26", "1", "1", "ADD", "A", "@R");
    AddRegisterRows("28", "1", "1", "ADD", "A", "R");
    // Row 3x
    AddOpcodeRow("30", "3", "2", "JNB", "bit", "rel");
    AddOpcodeRow("32", "1", "2", "RETI");
    AddOpcodeRow("33", "1", "1", "RLC", "A");
    AddOpcodeRow("34", "2", "1", "ADDC", "A", "#data");
    AddOpcodeRow("35", "2", "1", "ADDC", "A", "dir");
    AddIndirectRows("36", "1", "1", "ADDC", "A", "@R");
    AddRegisterRows("38", "1", "1", "ADDC", "A", "R");
    // Row 4x
    AddOpcodeRow("40", "2", "2", "JC", "rel");
    AddOpcodeRow("42", "2", "1", "ORL", "dir", "A");
    AddOpcodeRow("43", "3", "2", "ORL", "dir", "#data");
    AddOpcodeRow("44", "2", "1", "ORL", "A", "#data");
    AddOpcodeRow("45", "2", "1", "ORL", "A", "dir");
    AddIndirectRows("46", "1", "1", "ORL", "A", "@R");
    AddRegisterRows("48", "1", "1", "ORL", "A", "R");
    // Row 5x
    AddOpcodeRow("50", "2", "2", "JNC", "rel");
    AddOpcodeRow("52", "2", "1", "ANL", "dir", "A");
    AddOpcodeRow("53", "3", "2", "ANL", "dir", "#data");
    AddOpcodeRow("54", "2", "1", "ANL", "A", "#data");
    AddOpcodeRow("55", "2", "1", "ANL", "A", "dir");
    AddIndirectRows("56", "1", "1", "ANL", "A", "@R");
    AddRegisterRows("58", "1", "1", "ANL", "A", "R");
    // Row 6x
    AddOpcodeRow("60", "2", "2", "JZ", "rel");
    AddOpcodeRow("62", "2", "1", "XRL", "dir", "A");
    AddOpcodeRow("63", "3", "2", "XRL", "dir", "#data");
    AddOpcodeRow("64", "2", "1", "XRL", "A", "#data");
    AddOpcodeRow("65", "2", "1", "XRL", "A", "dir");
    AddIndirectRows("66", "1", "1", "XRL", "A", "@R");
    AddRegisterRows("68", "1", "1", "XRL", "A", "R");
    // Row 7x
    AddOpcodeRow("70", "2", "2", "JNZ", "rel");
    AddOpcodeRow("72", "2", "2", "ORL", "C", "bit");
    AddOpcodeRow("73", "1", "2", "JMP", "@A+DPTR");
    AddOpcodeRow("74", "2", "1", "MOV", "A", "#data");
    AddOpcodeRow("75", "3", "2", "MOV", "dir", "#data");
    AddIndirectRows("76", "2", "1", "MOV", "@R", "#data");
    AddRegisterRows("78", "2", "1", "MOV", "R", "#data");
    // Row 8x
    AddOpcodeRow("80", "2", "2", "SJMP", "rel");
    AddOpcodeRow("82", "2", "2", "ANL", "C", "bit");
    AddOpcodeRow("83", "1", "2", "MOVC", "A", "@A+PC");
    AddOpcodeRow("84", "1", "4", "DIV", "AB");
    AddOpcodeRow("85", "3", "2", "MOV", "dir", "dir");
    AddIndirectRows("86", "2", "2", "MOV", "dir", "@R");
    AddRegisterRows("88", "2", "2", "MOV", "dir", "R");
    // Row 9x
    AddOpcodeRow("90", "3", "2", "MOV", "DPTR", "#data16");
    AddOpcodeRow("92", "2", "2", "MOV", "bit", "C");
    AddOpcodeRow("93", "1", "2", "MOVC", "A", "@A+DPTR");
    AddOpcodeRow("94", "2", "1", "SUBB", "A", "#data");
    AddOpcodeRow("95", "2", "1", "SUBB", "A", "dir");
    AddIndirectRows("96", "1", "1", "SUBB", "A", "@R");
    AddRegisterRows("98", "1", "1", "SUBB", "A", "R");
    // Row Ax
    AddOpcodeRow("A0", "2", "2", "ORL", "C", "/bit");
    AddOpcodeRow("A2", "2", "1", "MOV", "C", "bit");
    AddOpcodeRow("A3", "1", "2", "INC", "DPTR");
    AddOpcodeRow("A4", "1", "4", "MUL", "AB");
    AddOpcodeRow("A5", "0", "0", "NON");
    AddIndirectRows("A6", "2", "2", "MOV", "@R", "dir");
    AddRegisterRows("A8", "2", "2", "MOV", "R", "dir");
    // Row Bx
    AddOpcodeRow("B0", "2", "2", "ANL", "C", "/bit");
    AddOpcodeRow("B2", "2", "1", "CPL", "bit");
    AddOpcodeRow("B3", "1", "1", "CPL", "C");
    AddOpcodeRow("B4", "3", "2", "CJNE", "A", "#data", "rel");
    AddOpcodeRow("B5", "3", "2", "CJNE", "A", "dir", "rel");
    AddIndirectRows("B6", "3", "2", "CJNE", "@R", "#data", "rel");
    AddRegisterRows("B8", "3", "2", "CJNE", "R", "#data", "rel");
    // Row Cx
    AddOpcodeRow("C0", "2", "2", "PUSH", "dir");
    AddOpcodeRow("C2", "2", "1", "CLR", "bit");
    AddOpcodeRow("C3", "1", "1", "CLR", "C");
    AddOpcodeRow("C4", "1", "1", "SWAP", "A");
    AddOpcodeRow("C5", "2", "1", "XCH", "A", "dir");
    AddIndirectRows("C6", "1", "1", "XCH", "A", "@R");
    AddRegisterRows("C8", "1", "1", "XCH", "A", "R");
    // Row Dx
    AddOpcodeRow("D0", "2", "2", "POP", "dir");
    AddOpcodeRow("D2", "2", "1", "SETB", "bit");
    AddOpcodeRow("D3", "1", "1", "SETB", "C");
    AddOpcodeRow("D4", "1", "1", "DA", "A");
    AddOpcodeRow("D5", "3", "2", "DJNZ", "dir", "rel");
    AddIndirectRows("D6", "1", "1", "XCHD", "A", "@R");
    AddRegisterRows("D8", "2", "2", "DJNZ", "R", "rel");
    // Row Ex
    AddOpcodeRow("E0", "1", "2", "MOVX", "A", "@DPTR");
    AddIndirectRows("E2", "1", "2", "MOVX", "A", "@R");
    AddOpcodeRow("E4", "1", "1", "CLR", "A");
    AddOpcodeRow("E5", "2", "1", "MOV", "A", "dir");
    AddIndirectRows("E6", "1", "1", "MOV", "A", "@R");
    AddRegisterRows("E8", "1", "1", "MOV", "A", "R");
    // Row Fx
    AddOpcodeRow("F0", "1", "2", "MOVX", "@DPTR", "A");
    AddIndirectRows("F2", "1", "2", "MOVX", "@R", "A");
    AddOpcodeRow("F4", "1", "1", "CPL", "A");
    AddOpcodeRow("F5", "2", "1", "MOV", "dir", "A");
    AddIndirectRows("F6", "1", "1", "MOV", "@R", "A");
    AddRegisterRows("F8", "1", "1", "MOV", "R", "A");
}

std::string OpcodeTable::ListFileText() const
{
    std::string text;
    for (unsigned op = 0; op < 256; ++op) {
        text += Line(static_cast<uint8_t>(op));
        text += "\r\n";
    }
    return text;
}

const OpcodeTable& StandardOpcodeTable()
{
    static constexpr OpcodeTable table;
    return table;
}

}  // namespace zelo::core
