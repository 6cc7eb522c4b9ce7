#include "loader/disassembler.h"

#include <algorithm>

#include "core/opcode_table.h"

namespace zelo::loader {

namespace {

using core::Mnemonic;

bool IsRelativeJump(Mnemonic m)
{
    switch (m) {
        case Mnemonic::SJMP: case Mnemonic::JC: case Mnemonic::JNC: case Mnemonic::JZ:
        case Mnemonic::JNZ: case Mnemonic::JB: case Mnemonic::JNB: case Mnemonic::JBC:
        case Mnemonic::CJNE: case Mnemonic::DJNZ:
            return true;
        default:
            return false;
    }
}

// Mnemonics whose direct addresses, immediates and bits go into the
// declaration lists.
bool IsDeclared(Mnemonic m)
{
    switch (m) {
        case Mnemonic::MOV: case Mnemonic::XCH: case Mnemonic::DEC: case Mnemonic::INC:
        case Mnemonic::PUSH: case Mnemonic::POP: case Mnemonic::ADD: case Mnemonic::ADDC:
        case Mnemonic::SUBB: case Mnemonic::ORL: case Mnemonic::ANL: case Mnemonic::XRL:
        case Mnemonic::CPL: case Mnemonic::CLR: case Mnemonic::SETB:
            return true;
        default:
            return false;
    }
}

void CountUse(std::vector<CountEntry>& list, uint8_t value)
{
    for (auto& e : list)
        if (e.value == value) {
            ++e.count;
            return;
        }
    list.push_back({value, 1});
}

}  // namespace

std::array<int, 3> OperandByteIndex(uint8_t opcode)
{
    std::array<int, 3> index{0, 0, 0};
    if (opcode == 0x85) return {2, 1, 0};  // MOV dir,dir: source byte first
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(opcode);
    int next = 1;
    for (int k = 0; k < 3; ++k) {
        const std::string_view p = row.operands[k];
        if (p == "dir" || p == "#data" || p == "bit" || p == "/bit" || p == "rel" || p.starts_with("(P")) {
            index[k] = next++;
        } else if (p == "addr16" || p == "#data16") {
            index[k] = next;
            next += 2;
        }
    }
    return index;
}

uint16_t AbsoluteTarget(uint16_t address, uint8_t opcode, uint8_t low)
{
    const unsigned next = (address + 2u) & 0xFFFFu;
    return static_cast<uint16_t>((next & 0xF800u) | ((opcode >> 5u) << 8u) | low);
}

uint16_t RelativeTarget(uint16_t address, int length, uint8_t offset)
{
    return static_cast<uint16_t>((address + length + static_cast<int8_t>(offset)) & 0xFFFF);
}

Disassembler::Disassembler(const CodeImage& image, core::ChipModel chip)
    : m_image(image), m_chip(chip), m_end(image.End())
{
}

void Disassembler::Note(DisassemblyNote note)
{
    if (std::find(m_notes.begin(), m_notes.end(), note) == m_notes.end()) m_notes.push_back(note);
}

void Disassembler::ResetTables()
{
    m_codeLabels.clear();
    m_dptrLabels.clear();
    m_relativeLabels.clear();
    m_constants.clear();
    m_registers.clear();
    m_bits.clear();
    m_codeIndex.assign(kCodeSpace, -1);
    m_dptrIndex.assign(kCodeSpace, -1);
    m_relativeIndex.assign(kCodeSpace, -1);
    m_items.clear();
}

void Disassembler::Run()
{
    m_notes.clear();
    m_annotation.assign(kCodeSpace, 0);
    m_inArea.assign(kCodeSpace, 0);
    m_areas.clear();
    m_declarationsDone = false;

    ResetTables();
    DisassemblyWalk(1);
    m_notes.clear();  // the first walk's tables are only used for the data areas
    FindDptrDataAreas();
    const std::vector<DisassemblyNote> areaNotes = m_notes;
    m_notes = areaNotes;
    ResetTables();
    DisassemblyWalk(2);
    NameLabels();
}

bool Disassembler::Decode(int address, int pass, Decoded& out) const
{
    out.opcode = m_image.value[address];
    out.length = core::StandardOpcodeTable().Row(out.opcode).bytes;
    if (out.length == 0) return false;  // A5, the undefined opcode
    if (out.length > sizeof out.bytes) return false;
    for (int i = 0; i < out.length; ++i) {
        const int a = address + i;
        if (a >= m_end || !m_image.programmed[a]) return false;
        if (pass == 2 && i > 0 && InArea(a)) return false;
        out.bytes[i] = m_image.value[a];
    }
    return true;
}

void Disassembler::DisassemblyWalk(int pass)
{
    int address = 0;
    while (address < m_end) {
        if (!m_image.programmed[address]) {
            ++address;
            continue;
        }
        const auto at = static_cast<uint16_t>(address);
        Decoded d;
        if ((pass == 2 && InArea(address)) || !Decode(address, pass, d)) {
            if (pass == 2) m_items.push_back({at, 1, true});
            ++address;
            continue;
        }
        Classify(at, d, pass);
        if (pass == 2) m_items.push_back({at, d.length, false});
        address += d.length;
    }
}

void Disassembler::Classify(uint16_t address, const Decoded& d, int pass)
{
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(d.opcode);
    const Mnemonic m = row.mnemonic;
    const auto word = static_cast<uint16_t>((d.bytes[1] << 8) | d.bytes[2]);
    if (m == Mnemonic::LCALL || m == Mnemonic::LJMP) {
        AddCodeLabel(word, m == Mnemonic::LCALL ? CodeLabelKind::LCALL : CodeLabelKind::LJMP, address);
    } else if (m == Mnemonic::ACALL || m == Mnemonic::AJMP) {
        AddCodeLabel(AbsoluteTarget(address, d.opcode, d.bytes[1]),
                     m == Mnemonic::ACALL ? CodeLabelKind::ACALL : CodeLabelKind::AJMP, address);
    } else if (IsRelativeJump(m)) {
        AddRelativeLabel(RelativeTarget(address, d.length, d.bytes[d.length - 1]), address, row.mnemonicText);
    } else if (d.opcode == 0x90) {
        AddDptrLabel(word, address);
    } else if (IsDeclared(m)) {
        const auto index = OperandByteIndex(d.opcode);
        for (int k = 0; k < 3; ++k) {
            const std::string_view p = row.operands[k];
            if (index[k] == 0) continue;
            const uint8_t byte = d.bytes[index[k]];
            if (p == "dir") CountUse(m_registers, byte);
            else if (p == "#data") CountUse(m_constants, byte);
            else if (p == "bit" || p == "/bit") CountUse(m_bits, byte);
        }
    }
    if (pass == 1) {
        if (m == Mnemonic::LCALL || m == Mnemonic::LJMP || m == Mnemonic::ACALL || m == Mnemonic::AJMP) {
            const uint16_t target = (m == Mnemonic::LCALL || m == Mnemonic::LJMP)
                                        ? word
                                        : AbsoluteTarget(address, d.opcode, d.bytes[1]);
            if (m_codeIndex[target] >= 0) m_annotation[target] = 1;
        } else if (d.opcode == 0x90 && m_dptrIndex[word] >= 0 && m_annotation[word] != 1) {
            m_annotation[word] = 2;
        }
    }
}

namespace {

const char* KindText(CodeLabelKind kind)
{
    switch (kind) {
        case CodeLabelKind::LCALL: return "LCALL";
        case CodeLabelKind::LJMP: return "LJMP";
        case CodeLabelKind::ACALL: return "ACALL";
        case CodeLabelKind::AJMP: return "AJMP";
        default: return "REL";
    }
}

}  // namespace

void Disassembler::AddCodeLabel(uint16_t target, CodeLabelKind kind, uint16_t from)
{
    const int index = m_codeIndex[target];
    if (index >= 0) {
        ++m_codeLabels[index].count;
        m_codeLabels[index].referrers.push_back(from);
        return;
    }
    if (static_cast<int>(m_codeLabels.size()) >= kCodeLabelLimit) {
        Note(DisassemblyNote::CodeLabelsFull);
        return;
    }
    m_codeIndex[target] = static_cast<int>(m_codeLabels.size());
    m_codeLabels.push_back({target, KindText(kind), 1, {from}, {}});
}

void Disassembler::AddDptrLabel(uint16_t value, uint16_t from)
{
    const int index = m_dptrIndex[value];
    if (index >= 0) {
        ++m_dptrLabels[index].count;
        m_dptrLabels[index].referrers.push_back(from);
        return;
    }
    if (static_cast<int>(m_dptrLabels.size()) >= kDptrLabelLimit) {
        Note(DisassemblyNote::DptrLabelsFull);
        return;
    }
    m_dptrIndex[value] = static_cast<int>(m_dptrLabels.size());
    m_dptrLabels.push_back({value, "DPTR", 1, {from}, {}});
}

void Disassembler::AddRelativeLabel(uint16_t target, uint16_t from, std::string_view mnemonic)
{
    const int index = m_relativeIndex[target];
    if (index >= 0) {
        ++m_relativeLabels[index].count;
        m_relativeLabels[index].referrers.push_back(from);
        return;
    }
    if (static_cast<int>(m_relativeLabels.size()) >= kRelativeLabelLimit) {
        Note(DisassemblyNote::RelativeLabelsFull);
        return;
    }
    m_relativeIndex[target] = static_cast<int>(m_relativeLabels.size());
    m_relativeLabels.push_back({target, std::string(mnemonic), 1, {from}, {}});
}

void Disassembler::FindDptrDataAreas()
{
    int open = -1;
    auto close = [&](int last) {
        if (static_cast<int>(m_areas.size()) >= kDataAreaLimit) {
            Note(DisassemblyNote::DataAreasFull);
        } else {
            m_areas.push_back({open, last});
            for (int a = open; a <= last; ++a) m_inArea[a] = 1;
        }
        open = -1;
    };
    for (int a = 1; a < m_end; ++a) {
        if (m_annotation[a] == 2 && open < 0) open = a;
        else if (m_annotation[a] == 1 && open >= 0) close(a - 1);
    }
    if (open >= 0) close(m_end - 1);
}

}  // namespace zelo::loader
