// Naming the labels of the second walk so that every written reference
// assembles back to the same bytes (see disassembler.h).
#include <algorithm>
#include <map>
#include <set>

#include "core/opcode_table.h"
#include "loader/disassembler.h"

namespace zelo::loader {

namespace {

using core::Mnemonic;

struct JumpTarget {
    bool present = false;
    bool relative = false;
    uint16_t target = 0;
    bool wraps = false;  // a relative jump across FFFFH/0000H, which no assembler accepts
};

JumpTarget TargetOf(const CodeImage& image, const WalkItem& item)
{
    const uint8_t opcode = image.value[item.address];
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(opcode);
    const Mnemonic m = row.mnemonic;
    auto byteAt = [&](int k) { return image.value[(item.address + k) & 0xFFFF]; };
    if (m == Mnemonic::ACALL || m == Mnemonic::AJMP) return {true, false, AbsoluteTarget(item.address, opcode, byteAt(1))};
    if (m == Mnemonic::SJMP || m == Mnemonic::JC || m == Mnemonic::JNC || m == Mnemonic::JZ || m == Mnemonic::JNZ ||
        m == Mnemonic::JB || m == Mnemonic::JNB || m == Mnemonic::JBC || m == Mnemonic::CJNE || m == Mnemonic::DJNZ) {
        const int offset = static_cast<int8_t>(byteAt(item.length - 1));
        const int unwrapped = item.address + item.length + offset;
        return {true, true, RelativeTarget(item.address, item.length, byteAt(item.length - 1)),
                unwrapped < 0 || unwrapped > 0xFFFF};
    }
    return {};
}

}  // namespace

void Disassembler::NameLabels()
{
    m_lineStart.assign(kCodeSpace, 0);
    m_live.assign(kCodeSpace, 0);
    m_ordinary.clear();
    m_local.clear();
    m_unlabelled.assign(kCodeSpace, 0);
    for (std::size_t i = 0; i < m_dptrLabels.size(); ++i) m_dptrLabels[i].name = "DPTR:" + std::to_string(i + 1);

    for (;;) {
        std::fill(m_lineStart.begin(), m_lineStart.end(), 0);
        std::fill(m_live.begin(), m_live.end(), 0);
        for (const WalkItem& item : m_items) {
            if (item.data) {
                for (int k = 0; k < item.length; ++k) m_lineStart[item.address + k] = 1;
            } else {
                m_lineStart[item.address] = 1;
                m_live[item.address] = 1;
            }
        }
        if (FallBackUnreachable()) continue;
        if (PromoteCrossSectionTargets()) continue;
        break;
    }

    for (std::size_t i = 0; i < m_codeLabels.size(); ++i) {
        LabelEntry& e = m_codeLabels[i];
        e.name = e.kindText + ":" + std::to_string(i + 1);
        if (m_lineStart[e.target] && !m_unlabelled[e.target]) m_ordinary[e.target] = e.name;
    }
    AssignLocalNames();
}

// A jump whose target has no written line to carry its label is written as
// data; true when any item changed.
bool Disassembler::FallBackUnreachable()
{
    bool changed = false;
    for (WalkItem& item : m_items) {
        if (item.data) continue;
        const JumpTarget t = TargetOf(m_image, item);
        if (!t.present) continue;
        const bool labelled = !m_unlabelled[t.target] &&
                              (m_codeIndex[t.target] >= 0 || (t.relative && m_relativeIndex[t.target] >= 0));
        if (m_lineStart[t.target] && labelled && !t.wraps) continue;
        item.data = true;
        changed = true;
    }
    return changed;
}

// A local label is found only in its own section. A relative target that is
// reached from another section, or from a line that carries an ordinary
// label (whose section the assembler may count either way), gets an ordinary
// label instead. One change per call: it moves the section bounds.
bool Disassembler::PromoteCrossSectionTargets()
{
    std::vector<int> boundaries;
    for (const LabelEntry& e : m_codeLabels)
        if (m_lineStart[e.target] && !m_unlabelled[e.target]) boundaries.push_back(e.target);
    std::sort(boundaries.begin(), boundaries.end());
    auto sectionOf = [&](int a) { return std::upper_bound(boundaries.begin(), boundaries.end(), a) - boundaries.begin(); };
    auto isBoundary = [&](int a) { return m_lineStart[a] && HasCodeLabel(a); };

    for (LabelEntry& e : m_relativeLabels) {
        if (m_codeIndex[e.target] >= 0 || !m_lineStart[e.target] || m_unlabelled[e.target]) continue;
        bool crosses = false;
        for (uint16_t r : e.referrers)
            if (m_live[r] && (isBoundary(r) || sectionOf(r) != sectionOf(e.target))) crosses = true;
        if (!crosses) continue;
        if (static_cast<int>(m_codeLabels.size()) >= kCodeLabelLimit) {
            Note(DisassemblyNote::CodeLabelsFull);
            for (WalkItem& item : m_items)
                for (uint16_t r : e.referrers)
                    if (!item.data && item.address == r) item.data = true;
            return true;
        }
        m_codeIndex[e.target] = static_cast<int>(m_codeLabels.size());
        m_codeLabels.push_back({e.target, e.kindText, e.count, e.referrers, {}});
        return true;
    }
    return false;
}

// "$" + (n mod 9) for the n-th relative label, unless that name is already
// taken in the section; then the first free "$10", "$11", ...
void Disassembler::AssignLocalNames()
{
    std::vector<int> boundaries;
    for (const auto& [address, name] : m_ordinary) boundaries.push_back(address);
    std::sort(boundaries.begin(), boundaries.end());
    auto sectionOf = [&](int a) { return std::upper_bound(boundaries.begin(), boundaries.end(), a) - boundaries.begin(); };
    std::map<long, std::set<std::string>> used;
    for (std::size_t i = 0; i < m_relativeLabels.size(); ++i) {
        LabelEntry& e = m_relativeLabels[i];
        if (const auto it = m_ordinary.find(e.target); it != m_ordinary.end()) {
            e.name = it->second;
            continue;
        }
        bool referenced = false;
        for (uint16_t r : e.referrers) referenced = referenced || m_live[r];
        if (!m_lineStart[e.target] || !referenced || m_unlabelled[e.target]) continue;
        auto& names = used[sectionOf(e.target)];
        std::string name = "$" + std::to_string((i + 1) % 9);
        for (int k = 10; names.count(name) != 0; ++k) name = "$" + std::to_string(k);
        names.insert(name);
        e.name = name;
        m_local[e.target] = name;
    }
}

std::string Disassembler::LabelAt(int address) const
{
    if (const auto it = m_ordinary.find(address); it != m_ordinary.end()) return it->second;
    if (const auto it = m_local.find(address); it != m_local.end()) return it->second;
    return {};
}

}  // namespace zelo::loader
