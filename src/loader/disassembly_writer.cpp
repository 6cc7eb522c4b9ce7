// The text of the two output files: the declaration sections and the ORG,
// instruction and data lines.
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"
#include "loader/disassembler.h"
#include "loader/disassembly_operands.h"

namespace zelo::loader {

namespace {

constexpr std::size_t kPrefixWidth = 18;
constexpr std::size_t kLineWidth = 50;

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

std::string HeaderLine(const char* header)
{
    std::string line = Blanks(kPrefixWidth);
    core::AppendField(header, 29, line);
    return line;
}

// name EQU value ;count, padded to 50: the form of every declaration line.
std::string DeclarationLine(const std::string& name, const char* directive, const std::string& value, int count)
{
    std::string line = Blanks(kPrefixWidth);
    core::AppendField(name, 10, line);
    if (name.size() >= 10) line += ' ';
    core::AppendField(directive, 6, line);
    core::AppendField(value, 6, line);
    if (value.size() >= 6) line += ' ';
    core::AppendField("; " + std::to_string(count), 4, line);
    core::PadRight(kLineWidth, line);
    return line;
}

// Line number right-aligned in 5, a blank, the address in 5, then the code
// byte fields of 2, 2 and 3 characters.
std::string Prefix(int lineNumber, int address, const std::string& b0 = "", const std::string& b1 = "",
                   const std::string& b2 = "")
{
    std::string line;
    core::AppendFieldRight(std::to_string(lineNumber), 5, line);
    line += ' ';
    core::AppendField(core::ToHexWord(static_cast<unsigned>(address)), 5, line);
    core::AppendField(b0, 2, line);
    core::AppendField(b1, 2, line);
    core::AppendField(b2, 3, line);
    return line;
}

void AppendLabel(const std::string& label, std::string& line)
{
    core::AppendField(label, 10, line);
    if (label.size() >= 10) line += ' ';
}

}  // namespace

std::vector<std::string> Disassembler::WriteDeclarations()
{
    std::vector<std::string> lines;

    if (!m_codeLabels.empty()) {
        lines.push_back(HeaderLine(";----- Addr16 declare -----"));
        for (const LabelEntry& e : m_codeLabels)
            lines.push_back(DeclarationLine(e.name, "EQU", AddressText(e.target), e.count));
    }
    if (!m_dptrLabels.empty()) {
        lines.push_back(HeaderLine(";-----  DPTR declare  -----"));
        for (const LabelEntry& e : m_dptrLabels)
            lines.push_back(DeclarationLine(e.name, "EQU", AddressText(e.target), e.count));
    }
    auto countSection = [&](const std::vector<CountEntry>& list, const char* header, const char* prefix,
                            const char* directive, auto valueText) {
        if (list.empty()) return;
        lines.push_back(HeaderLine(header));
        int k = 0;
        for (const CountEntry& e : list) {
            if (e.count <= 1) continue;
            ++k;
            lines.push_back(DeclarationLine(prefix + std::to_string(k), directive, valueText(e.value), e.count));
        }
    };
    auto hexValue = [](uint8_t v) { return core::ToHexByte(v) + "H"; };
    countSection(m_constants, ";----- Const declare  -----", "Const:", "EQU", hexValue);
    countSection(m_registers, ";----- Regist declare -----", "Reg:", "EQU", hexValue);
    countSection(m_bits, ";-----  Bit declare   -----", "Bit:", "REG",
                 [this](uint8_t v) { return BitOperandText(v, m_chip); });
    m_declarationsDone = true;
    return lines;
}

std::string Disassembler::TargetText(uint16_t target, bool relative) const
{
    const std::string label = LabelAt(target);
    if (!label.empty()) return label;
    if (!relative) {
        const int index = m_codeIndex[target];
        if (index >= 0 && m_declarationsDone)  // its EQU line is written
            return m_codeLabels[index].name;
    }
    return OperandAddressText(target);
}

std::string Disassembler::InstructionOperands(const WalkItem& item, std::string& mnemonic) const
{
    const uint8_t opcode = m_image.value[item.address];
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(opcode);
    mnemonic = row.mnemonicText;
    const auto index = OperandByteIndex(opcode);
    auto byteAt = [&](int k) { return m_image.value[(item.address + k) & 0xFFFF]; };
    const auto word = static_cast<uint16_t>((byteAt(1) << 8) | byteAt(2));

    std::string text;
    for (int k = 0; k < 3; ++k) {
        const std::string_view p = row.operands[k];
        if (p.empty()) break;
        std::string operand;
        if (p == "dir") operand = DirectOperandText(byteAt(index[k]), m_chip);
        else if (p == "#data") operand = ImmediateText(byteAt(index[k]));
        else if (p == "#data16") operand = Immediate16Text(word);
        else if (p == "bit") operand = BitOperandText(byteAt(index[k]), m_chip);
        else if (p == "/bit") operand = "/" + BitOperandText(byteAt(index[k]), m_chip);
        else if (p == "rel") operand = TargetText(RelativeTarget(item.address, item.length, byteAt(index[k])), true);
        else if (p == "addr16") operand = TargetText(word, false);
        else if (p.starts_with("(P")) operand = TargetText(AbsoluteTarget(item.address, opcode, byteAt(1)), false);
        else operand = p;
        if (k > 0) text += ',';
        text += operand;
    }
    return text;
}

std::vector<WalkItem> Disassembler::Units() const
{
    std::vector<WalkItem> units;
    for (const WalkItem& item : m_items) {
        if (!item.data) {
            units.push_back(item);
            continue;
        }
        for (int k = 0; k < item.length; ++k)
            units.push_back({static_cast<uint16_t>(item.address + k), 1, true});
    }
    return units;
}

// Consecutive data bytes, up to eight a line; a labelled byte starts a new line.
std::size_t Disassembler::DataLineLength(const std::vector<WalkItem>& units, std::size_t i) const
{
    std::size_t j = i;
    while (j < units.size() && j - i < kDataItemsPerLine && units[j].data &&
           units[j].address == units[i].address + static_cast<int>(j - i) && (j == i || LabelAt(units[j].address).empty()))
        ++j;
    return j - i;
}

DisassemblyOutput Disassembler::WriteDisassembly()
{
    DisassemblyOutput out;
    out.listingLines = WriteDeclarations();
    const std::vector<WalkItem> units = Units();

    int lineNumber = 0;
    int expected = -1;
    std::size_t i = 0;
    while (i < units.size()) {
        const WalkItem& u = units[i];
        if (u.address != expected) {
            std::string line = Prefix(++lineNumber, u.address);
            line += Blanks(10);
            core::AppendField("ORG", 6, line);
            line += AddressText(u.address);
            core::PadRight(kLineWidth, line);
            out.listingLines.push_back(line);
        }
        if (!u.data) {
            std::string b[3];
            for (int k = 0; k < u.length; ++k) b[k] = core::ToHexByte(m_image.value[u.address + k]);
            std::string mnemonic;
            const std::string operands = InstructionOperands(u, mnemonic);
            std::string line = Prefix(++lineNumber, u.address, b[0], b[1], b[2]);
            AppendLabel(LabelAt(u.address), line);
            if (operands.empty()) {
                line += mnemonic;
            } else {
                core::AppendField(mnemonic, 6, line);
                line += operands;
            }
            out.listingLines.push_back(line);
            expected = u.address + u.length;
            ++i;
            continue;
        }
        const std::size_t j = i + DataLineLength(units, i);
        std::string items;
        for (std::size_t k = i; k < j; ++k) {
            if (k > i) items += ',';
            items += DataItemText(m_image.value[units[k].address]);
        }
        std::string line = Prefix(++lineNumber, u.address);
        AppendLabel(LabelAt(u.address), line);
        core::AppendField("DB", 6, line);
        line += items;
        ++out.dataLines;
        out.listingLines.push_back(line);
        expected = u.address + static_cast<int>(j - i);
        i = j;
    }

    for (const std::string& line : out.listingLines)
        out.sourceLines.push_back(line.size() > kPrefixWidth ? line.substr(kPrefixWidth) : std::string());
    out.notes = m_notes;
    return out;
}

}  // namespace zelo::loader
