#include "asm/warnings.h"

#include <algorithm>
#include <cstdio>

#include "asm/assembly.h"
#include "asm/encoder.h"
#include "asm/line_scanner.h"
#include "core/ascii_text.h"
#include "core/opcode_table.h"
#include "loader/disassembler.h"

namespace zelo::assembler {

namespace {

using core::Mnemonic;

constexpr uint8_t kAccumulator = 0xE0;
constexpr uint8_t kPsw = 0xD0;
constexpr uint8_t kStackPointer = 0x81;
constexpr uint8_t kMoveDirectImmediate = 0x75;
constexpr uint8_t kMoveDirectDirect = 0x85;
constexpr uint8_t kMoveRegisterDirect = 0xA8;  // A8..AF: MOV Rn,dir
constexpr uint8_t kPush = 0xC0;
constexpr uint16_t kVectors[] = {0x0003, 0x000B, 0x0013, 0x001B, 0x0023, 0x002B};

std::string HexText(unsigned value, int digits)
{
    char text[8];
    std::snprintf(text, sizeof text, "%0*XH", digits, value);
    return text;
}

const core::OpcodeRow& RowOf(const AsmLine& line)
{
    return core::StandardOpcodeTable().Row(static_cast<uint8_t>(line.bytes[0].value));
}

// An instruction whose bytes are all known.
bool IsCode(const AsmLine& line)
{
    if (line.kind != LineKind::Instruction || line.length < 1 || line.length > 3) return false;
    for (int i = 0; i < line.length; ++i) {
        if (!line.bytes[i].IsValue()) return false;
    }
    return true;
}

bool IsRegisterName(std::string_view t)
{
    return t.size() == 2 && t[0] == 'R' && t[1] >= '0' && t[1] <= '7';
}

bool Silenced(std::string_view text)
{
    const std::size_t semicolon = text.find(';');
    if (semicolon == std::string_view::npos) return false;
    return core::ToUpperAscii(text.substr(semicolon)).find("NOWARN") != std::string::npos;
}

struct Program
{
    const Assembly& a;
    std::vector<AssemblyWarning>& found;

    // The line's number in the source; 0 for a header's or a linked line.
    int Number(const AsmLine& line) const
    {
        if (line.library || line.linked) return 0;
        return a.SourceNumber(static_cast<int>(&line - a.lines.data()) + 1);
    }
    // A warning for the line, unless its comment says ";nowarn".
    void Warn(const AsmLine& line, std::string text) const
    {
        const int number = Number(line);
        if (number >= 1 && !Silenced(a.LineText(line))) found.push_back({number, std::move(text)});
    }
};

// --- the rules ----------------------------------------------------------------

// "RET" at the margin is a label named RET: the routine has no return.
void InstructionAsLabel(const Program& p)
{
    for (const AsmLine& line : p.a.lines) {
        if (p.a.Field(line, 1).empty() || p.a.Field(line, 1).back() == ':') continue;
        const std::string upper = core::ToUpperAscii(p.a.Field(line, 1));
        if (!IsInstructionMnemonic(upper)) continue;
        std::string text =
            upper + " in column 1 is read as a label, not as an instruction: indent it";
        if (upper == "RET" || upper == "RETI") text += " (the routine falls through)";
        p.Warn(line, text);
    }
}

// There is no MOV Rn,Rm: the second register is read as its bank 0 address.
void RegisterToRegister(const Program& p)
{
    for (const AsmLine& line : p.a.lines) {
        if (!IsCode(line) || (line.bytes[0].value & 0xF8) != kMoveRegisterDirect) continue;
        const std::string to = core::ToUpperAscii(core::TrimBlanks(p.a.Field(line, 3)));
        const std::string from = core::ToUpperAscii(core::TrimBlanks(p.a.Field(line, 4)));
        if (!IsRegisterName(to) || !IsRegisterName(from)) continue;
        p.Warn(line, "MOV " + to + "," + from + " is assembled as MOV " + to + "," +
                         HexText(static_cast<unsigned>(line.bytes[1].value), 2) + ": it reads " +
                         from + " only while register bank 0 is selected");
    }
}

// What an instruction does to A and PSW, from its opcode row and bytes.
struct Effects
{
    bool writesA = false;
    bool writesPsw = false;
};

Effects EffectsOf(const AsmLine& line)
{
    const core::OpcodeRow& row = RowOf(line);
    const std::string_view first = row.operands[0];
    Effects e;
    int destination = -1;
    // MOV dir,dir holds its source byte first.
    if (first == "dir")
        destination =
            line.bytes[0].value == kMoveDirectDirect ? line.bytes[2].value : line.bytes[1].value;
    switch (row.mnemonic) {
        case Mnemonic::PUSH:
            return e;
        case Mnemonic::ADD:
        case Mnemonic::ADDC:
        case Mnemonic::SUBB:
        case Mnemonic::DA:
        case Mnemonic::RLC:
        case Mnemonic::RRC:
        case Mnemonic::MUL:
        case Mnemonic::DIV:
        case Mnemonic::CJNE:
            e.writesPsw = true;
            break;
        default:
            break;
    }
    e.writesA = (first == "A" && row.mnemonic != Mnemonic::CJNE) || first == "AB" ||
                destination == kAccumulator;
    if (first == "C" || destination == kPsw) e.writesPsw = true;
    if (first == "bit" && (line.bytes[1].value & 0xF8) == kPsw && row.mnemonic != Mnemonic::JB &&
        row.mnemonic != Mnemonic::JNB)
        e.writesPsw = true;
    return e;
}

// The addresses control may go to after an instruction; the routine's
// walk stops at RET, RETI and JMP @A+DPTR. Calls return, so only the
// instruction after them is followed.
int Successors(const AsmLine& line, std::array<uint16_t, 2>& next)
{
    const core::OpcodeRow& row = RowOf(line);
    const uint16_t after = static_cast<uint16_t>(line.address + line.length);
    const auto last = static_cast<uint8_t>(line.bytes[line.length - 1].value);
    switch (row.mnemonic) {
        case Mnemonic::RET:
        case Mnemonic::RETI:
        case Mnemonic::JMP:
            return 0;
        case Mnemonic::LJMP:
            next[0] = static_cast<uint16_t>(line.bytes[1].value << 8 | line.bytes[2].value);
            return 1;
        case Mnemonic::AJMP:
            next[0] =
                loader::AbsoluteTarget(line.address, static_cast<uint8_t>(line.bytes[0].value),
                                       static_cast<uint8_t>(line.bytes[1].value));
            return 1;
        case Mnemonic::SJMP:
            next[0] = loader::RelativeTarget(line.address, line.length, last);
            return 1;
        case Mnemonic::JZ:
        case Mnemonic::JNZ:
        case Mnemonic::JC:
        case Mnemonic::JNC:
        case Mnemonic::JB:
        case Mnemonic::JNB:
        case Mnemonic::JBC:
        case Mnemonic::CJNE:
        case Mnemonic::DJNZ:
            next[0] = loader::RelativeTarget(line.address, line.length, last);
            next[1] = after;
            return 2;
        default:
            next[0] = after;
            return 1;
    }
}

// A routine placed at an interrupt vector by ORG: every instruction
// reached from it returns with RETI, and A and PSW are saved on the stack
// before they change.
void InterruptRoutines(const Program& p)
{
    bool anyVector = false;
    for (const AsmLine& line : p.a.lines) {
        anyVector = anyVector || (line.kind == LineKind::Org &&
                                  std::find(std::begin(kVectors), std::end(kVectors),
                                            line.address) != std::end(kVectors));
    }
    if (!anyVector) return;
    std::vector<int> at(0x10000, -1);  // line index of each instruction's address
    for (std::size_t i = 0; i < p.a.lines.size(); ++i) {
        if (IsCode(p.a.lines[i]) && at[p.a.lines[i].address] < 0)
            at[p.a.lines[i].address] = static_cast<int>(i);
    }
    for (const uint16_t vector : kVectors) {
        const bool placed = std::any_of(p.a.lines.begin(), p.a.lines.end(), [&](const AsmLine& l) {
            return l.kind == LineKind::Org && l.address == vector;
        });
        if (!placed || at[vector] < 0) continue;
        std::vector<bool> seen(0x10000, false);
        std::vector<uint16_t> pending{vector};
        std::vector<int> reached;
        while (!pending.empty()) {
            const uint16_t address = pending.back();
            pending.pop_back();
            if (seen[address] || at[address] < 0) continue;
            seen[address] = true;
            reached.push_back(at[address]);
            std::array<uint16_t, 2> next{};
            const int n = Successors(p.a.lines[at[address]], next);
            for (int k = 0; k < n; ++k) pending.push_back(next[k]);
        }
        std::sort(reached.begin(), reached.end());
        const std::string routine = "the interrupt routine at " + HexText(vector, 4);
        bool savesA = false;
        bool savesPsw = false;
        for (int i : reached) {
            const AsmLine& line = p.a.lines[i];
            if (line.bytes[0].value == kPush) {
                savesA = savesA || line.bytes[1].value == kAccumulator;
                savesPsw = savesPsw || line.bytes[1].value == kPsw;
            }
        }
        const AsmLine* changesA = nullptr;
        const AsmLine* changesPsw = nullptr;
        for (int i : reached) {
            const AsmLine& line = p.a.lines[i];
            const Effects e = EffectsOf(line);
            if (e.writesA && !savesA && !changesA) changesA = &line;
            if (e.writesPsw && !savesPsw && !changesPsw) changesPsw = &line;
            if (RowOf(line).mnemonic == Mnemonic::RET)
                p.Warn(line,
                       routine + " ends in RET: use RETI, or the interrupt stays in progress");
        }
        if (changesA)
            p.Warn(*changesA,
                   routine + " changes A without saving it: PUSH ACC first, POP ACC before RETI");
        if (changesPsw)
            p.Warn(*changesPsw,
                   routine + " changes PSW without saving it: PUSH PSW first, POP PSW before RETI");
    }
}

// The last instruction must not let the CPU run on into unloaded memory.
void RunsPastTheEnd(const Program& p)
{
    const AsmLine* last = nullptr;
    for (const AsmLine& line : p.a.lines) {
        if (line.kind == LineKind::Instruction && line.length > 0 &&
            (!last || line.address + line.length >= last->address + last->length))
            last = &line;
    }
    // A last line that is itself a problem is left to its problem.
    if (!last || !IsCode(*last)) return;
    switch (RowOf(*last).mnemonic) {
        case Mnemonic::SJMP:
        case Mnemonic::LJMP:
        case Mnemonic::AJMP:
        case Mnemonic::JMP:
        case Mnemonic::RET:
        case Mnemonic::RETI:
            return;
        default:
            p.Warn(*last,
                   "the program runs past its last instruction into unloaded memory: end it with "
                   "SJMP $ or a loop");
    }
}

// The stack grows upward from SP + 1: below 30H it writes over register
// banks 1-3 and the bit-addressable bytes.
void StackOverRegisters(const Program& p)
{
    for (const AsmLine& line : p.a.lines) {
        if (!IsCode(line) || line.bytes[0].value != kMoveDirectImmediate ||
            line.bytes[1].value != kStackPointer)
            continue;
        const int top = line.bytes[2].value;
        if (top >= 0x2F) continue;
        const std::string over = top < 0x1F
                                     ? "register banks 1-3 (08H-1FH) and the bit area (20H-2FH)"
                                     : "the bit area (20H-2FH)";
        p.Warn(line, "the stack from " + HexText(static_cast<unsigned>(top + 1), 2) +
                         " grows over " + over + ": set SP to 2FH or above");
    }
}

// An instruction line holds a label, a mnemonic and three operands; a
// sixth field (a comment written without ';') is dropped.
void SixthField(const Program& p)
{
    for (const AsmLine& line : p.a.lines) {
        if (line.kind != LineKind::Instruction || !line.fieldDropped) continue;
        p.Warn(line, "the text after " + std::string(p.a.Field(line, 5)) +
                         " is a sixth field and is ignored: a comment starts with ';'");
    }
}

// Lines after END are not assembled: code there is lost. Only neglected
// lines that are not blank or a comment are read again, to find END.
void TextAfterEnd(const Program& p)
{
    bool endSeen = false;
    LineFields fields;
    for (const AsmLine& line : p.a.lines) {
        // An END in a header ends only that header.
        if (!line.neglected || p.Number(line) < 1) continue;
        const std::string_view t = core::TrimBlanks(p.a.LineText(line));
        if (t.empty() || t[0] == ';' || t == "\r") continue;
        if (!endSeen) {
            ScanLineInto(p.a.LineText(line), endSeen, fields);
            continue;
        }
        p.Warn(line, "text after END is not assembled");
        return;
    }
}

using Rule = void (*)(const Program&);
constexpr Rule kRules[] = {InstructionAsLabel, RegisterToRegister, InterruptRoutines,
                           RunsPastTheEnd,     StackOverRegisters, SixthField,
                           TextAfterEnd};

}  // namespace

std::vector<AssemblyWarning> FindWarnings(const Assembly& assembly)
{
    std::vector<AssemblyWarning> found;
    const Program program{assembly, found};
    for (const Rule rule : kRules) rule(program);
    std::stable_sort(
        found.begin(), found.end(),
        [](const AssemblyWarning& a, const AssemblyWarning& b) { return a.line < b.line; });
    return found;
}

std::string WarningText(const AssemblyWarning& warning)
{
    return "Warning in line " + std::to_string(warning.line) + ": " + warning.text;
}

}  // namespace zelo::assembler
