#include "asm/encoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "asm/expressions.h"
#include "asm/numbers.h"
#include "asm/problem_reasons.h"
#include "core/ascii_text.h"
#include "core/opcode_table.h"

namespace zelo::assembler {

namespace {

// An operand as the encoder compares it: trimmed and upper-cased, except
// that an immediate keeps the case it was written in (character constants)
// and loses the blanks after '#'. A copy is made only when the text needs
// changing.
class OperandText
{
public:
    OperandText(std::string_view raw, bool immediateAllowed)
    {
        const std::string_view t = core::TrimBlanks(raw);
        if (immediateAllowed && !t.empty() && t[0] == '#') {
            const std::string_view rest = core::TrimBlanks(t.substr(1));
            if (rest.size() + 1 == t.size()) {
                m_view = t;
            } else {
                m_copy = "#" + std::string(rest);
                m_view = m_copy;
            }
            return;
        }
        m_view = t;
        for (char c : t) {
            if (c >= 'a' && c <= 'z') {
                m_copy = core::ToUpperAscii(t);
                m_view = m_copy;
                break;
            }
        }
    }
    OperandText(const OperandText&) = delete;
    OperandText& operator=(const OperandText&) = delete;
    std::string_view View() const { return m_view; }

private:
    std::string m_copy;
    std::string_view m_view;
};

// What an operand is, as far as choosing an opcode row goes.
enum class OperandKind : uint8_t {
    None,  // not written
    A,
    C,
    AB,
    DPTR,
    AtDptr,
    AtAPlusDptr,
    AtAPlusPc,
    Register,    // R0..R7
    AtRegister,  // @R0, @R1
    Immediate,   // #...
    NotBit,      // /bit
    Address,     // any other text: an address, a bit, a label or an expression
};

struct Operand
{
    OperandKind kind = OperandKind::None;
    uint8_t reg = 0;  // the number of a Register or AtRegister operand
    std::string_view text;
};

Operand ClassifyOperand(std::string_view text)
{
    static constexpr std::pair<std::string_view, OperandKind> kKeywords[] = {
        {"A", OperandKind::A},
        {"C", OperandKind::C},
        {"AB", OperandKind::AB},
        {"DPTR", OperandKind::DPTR},
        {"@DPTR", OperandKind::AtDptr},
        {"@A+DPTR", OperandKind::AtAPlusDptr},
        {"@A+PC", OperandKind::AtAPlusPc},
    };
    Operand op{OperandKind::Address, 0, text};
    if (text.empty()) {
        op.kind = OperandKind::None;
    } else if (text[0] == '#') {
        op.kind = OperandKind::Immediate;
    } else if (text[0] == '/') {
        op.kind = OperandKind::NotBit;
    } else if (const char n = RegisterNibble(text); n != '?') {
        op.kind = n >= '8' ? OperandKind::Register : OperandKind::AtRegister;
        op.reg = static_cast<uint8_t>(text.back() - '0');
    } else {
        for (const auto& [word, kind] : kKeywords) {
            if (text == word) op.kind = kind;
        }
    }
    return op;
}

// What an operand of a row adds to the code bytes.
enum class Field : uint8_t {
    Nothing,   // A, C, DPTR, Rn, @Ri...: part of the opcode
    Data,      // #data: one byte
    Data16,    // #data16: two bytes, or a fix-up
    Direct,    // dir
    Bit,       // bit
    NotBit,    // /bit
    Relative,  // rel: a fix-up
    Long,      // addr16: a fix-up
    Absolute,  // addr11: a fix-up that also sets the opcode
};

bool IsAddressField(Field f)
{
    return f == Field::Direct || f == Field::Bit || f == Field::Relative || f == Field::Long ||
           f == Field::Absolute;
}

struct Pattern
{
    OperandKind kind = OperandKind::None;
    Field field = Field::Nothing;
    friend bool operator==(const Pattern&, const Pattern&) = default;
};

// An operand column of the opcode table as a pattern.
Pattern PatternOf(std::string_view column)
{
    static constexpr std::pair<std::string_view, Pattern> kPlaceholders[] = {
        {"#data", {OperandKind::Immediate, Field::Data}},
        {"#data16", {OperandKind::Immediate, Field::Data16}},
        {"dir", {OperandKind::Address, Field::Direct}},
        {"bit", {OperandKind::Address, Field::Bit}},
        {"/bit", {OperandKind::NotBit, Field::NotBit}},
        {"rel", {OperandKind::Address, Field::Relative}},
        {"addr16", {OperandKind::Address, Field::Long}},
    };
    for (const auto& [word, pattern] : kPlaceholders) {
        if (column == word) return pattern;
    }
    if (column.starts_with("(P"))
        return {OperandKind::Address, Field::Absolute};  // AJMP/ACALL page
    return {ClassifyOperand(column).kind, Field::Nothing};
}

// An instruction form: the opcode table's rows that differ only in the
// register number are one form (opcode of R0 or @R0), and so are the eight
// page rows of AJMP and ACALL.
struct Form
{
    uint8_t opcode = 0;
    uint8_t count = 0;  // operands
    std::array<Pattern, 3> patterns{};
    bool SameOperands(const Form& other) const
    {
        return count == other.count && patterns == other.patterns;
    }
};

// The forms of each mnemonic, gathered once from the opcode table.
class FormIndex
{
public:
    FormIndex()
    {
        const core::OpcodeTable& table = core::StandardOpcodeTable();
        for (unsigned opcode = 0; opcode < 256; ++opcode) {
            const core::OpcodeRow& row = table.Row(static_cast<uint8_t>(opcode));
            if (row.mnemonic == core::Mnemonic::NON) continue;
            Form form;
            form.opcode = static_cast<uint8_t>(opcode);
            for (const std::string_view column : row.operands) {
                if (!column.empty()) form.patterns[form.count++] = PatternOf(column);
            }
            Add(row.mnemonic, form);
        }
        // The generic JMP and CALL are written like AJMP and ACALL; Round 2
        // picks the opcode once the target is known.
        for (const Form& f : Of(core::Mnemonic::AJMP)) Add(core::Mnemonic::JMP, f);
        for (const Form& f : Of(core::Mnemonic::ACALL)) Add(core::Mnemonic::CALL, f);
    }
    const std::vector<Form>& Of(core::Mnemonic m) const
    {
        return m_forms[static_cast<std::size_t>(m)];
    }

private:
    void Add(core::Mnemonic m, const Form& form)
    {
        std::vector<Form>& forms = m_forms[static_cast<std::size_t>(m)];
        for (const Form& f : forms) {
            if (f.SameOperands(form)) return;
        }
        forms.push_back(form);
    }

    std::array<std::vector<Form>, static_cast<std::size_t>(core::Mnemonic::Count)> m_forms;
};

const FormIndex& Forms()
{
    static const FormIndex index;
    return index;
}

using Operands = std::array<Operand, 3>;

// Where an address is due any written operand is taken (its byte shows "??"
// unless the text names an address); everywhere else the kind must match.
enum class Fit : uint8_t { No, AsAddress, Exactly };

Fit FitOf(const Operand& op, const Pattern& p)
{
    if (op.kind == p.kind) return Fit::Exactly;
    if (op.kind != OperandKind::None && IsAddressField(p.field)) return Fit::AsAddress;
    return Fit::No;
}

// The form the operands take: each operand fits, and the one after the
// form's last is missing (a form without operands wants none at all). Of
// several forms, the one whose operands fit exactly furthest to the left
// wins, so that "MOV C,A" is C,bit with a bad bit and not dir,A with a bad
// address.
const Form* ChooseForm(const std::vector<Form>& forms, const Operands& ops)
{
    const Form* best = nullptr;
    int bestScore = -1;
    for (const Form& form : forms) {
        if (form.count == 0) {
            if (ops[0].kind != OperandKind::None || ops[1].kind != OperandKind::None ||
                ops[2].kind != OperandKind::None)
                continue;
        } else if (form.count < 3 && ops[form.count].kind != OperandKind::None) {
            continue;
        }
        int score = 0;
        bool fits = true;
        for (int i = 0; i < form.count && fits; ++i) {
            const Fit fit = FitOf(ops[i], form.patterns[i]);
            fits = fit != Fit::No;
            score = score * 2 + (fit == Fit::Exactly ? 1 : 0);
        }
        if (fits && score > bestScore) {
            best = &form;
            bestScore = score;
        }
    }
    return best;
}

// Operand combinations that an address-taking form would accept but that
// the instruction set has no room for: the whole line is an error rather
// than a form with a "??" byte.
bool IsRefusedForm(core::Mnemonic m, const Operands& ops)
{
    using enum OperandKind;
    const OperandKind first = ops[0].kind;
    const OperandKind second = ops[1].kind;
    switch (m) {
        case core::Mnemonic::XCH:
            return second == Immediate;  // no XCH A,#data
        case core::Mnemonic::XRL:
            return first == C;  // XRL has no carry forms
        case core::Mnemonic::DEC:
            return first == DPTR;  // only INC DPTR exists
        case core::Mnemonic::SETB:
            return first == A;  // only CLR A and CPL A exist
        case core::Mnemonic::MOV:
            return (first == A && second == A) || (first == DPTR && second != Immediate);
        case core::Mnemonic::DJNZ:
            return first == AtRegister;
        case core::Mnemonic::AJMP:
        case core::Mnemonic::ACALL:
        case core::Mnemonic::JMP:
        case core::Mnemonic::CALL:
            // An absolute target is never written "@..." (JMP @A+DPTR aside).
            return ops[0].text.starts_with('@') &&
                   !(m == core::Mnemonic::JMP && first == AtAPlusDptr);
        default:
            return false;
    }
}

// ORL, ANL and XRL take a missing destination for an address that names
// nothing: "ORL ,A" is the dir,A form with a "??" byte.
bool ReadsMissingDestinationAsAddress(core::Mnemonic m)
{
    return m == core::Mnemonic::ORL || m == core::Mnemonic::ANL || m == core::Mnemonic::XRL;
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '?' || c == '$';
}

// A name as written for a symbol or label (upper-cased text).
bool IsNameText(std::string_view t)
{
    if (t.empty() || !IsNameStart(t[0])) return false;
    return std::all_of(t.begin(), t.end(),
                       [](char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

std::string ValueReason(std::string_view op, const SymbolTable& s)
{
    const Immediate v = EvaluateImmediate(op, s);
    if (v.Ok()) return NotByteReason(v.value);
    std::string_view t = core::TrimBlanks(op.substr(op.starts_with('#') ? 1 : 0));
    const std::string upper = core::ToUpperAscii(t);
    if (IsNameText(upper)) {
        std::vector<std::string_view> known;
        for (const Symbol& sym : s.EquSymbols()) known.push_back(sym.name);
        for (const Symbol& sym : s.ByteSymbols()) known.push_back(sym.name);
        return NotDefinedReason(upper, known);
    }
    if (const auto n = ParseNumber(upper)) return NotByteReason(*n);
    // The expression evaluator says what it could not read.
    if (!v.reason.empty()) return v.reason;
    return NotValueReason(t);
}

std::string UnknownMnemonicReason(std::string_view m)
{
    static constexpr std::string_view kDirectives[] = {"EQU", "CON", "SFR", "REG", "BIT",
                                                       "ORG", "DB",  "DW",  "END", "INCLUDE"};
    std::vector<std::string_view> known(std::begin(kDirectives), std::end(kDirectives));
    for (int k = 1; k < static_cast<int>(core::Mnemonic::Count); ++k)
        known.push_back(core::MnemonicText(static_cast<core::Mnemonic>(k)));
    std::string text = NotInstructionReason(m);
    if (const auto near = NearestName(m, known))
        text += " (did you mean " + std::string(*near) + "?)";
    return text;
}

std::string DirectReason(std::string_view op, const SymbolTable& s)
{
    if (LooksLikeRegister(op)) return NotRegisterReason(op);
    if (const Symbol* equ = s.FindEqu(op))
        return NotDirectAddressReason(op) + ": it is " + std::to_string(equ->value);
    if (IsNameText(op)) return NotDefinedReason(op, s.DirectNames());
    return NotDirectAddressReason(op);
}

std::string BitReason(std::string_view op, const SymbolTable& s)
{
    if (IsNameText(op)) return NotDefinedReason(op, s.BitNames());
    return NotBitReason(op);
}

namespace {

// The operand byte of a value, or "??" with the reason kept in `reason`
// (the first reason of a line wins).
CodeByte ImmediateByte(std::string_view op, const SymbolTable& symbols, std::string& reason)
{
    const Immediate v = EvaluateImmediate(op, symbols);
    if (v.IsByte()) return CodeByte::Of(v.value);
    if (reason.empty()) reason = ValueReason(op, symbols);
    return CodeByte::Error();
}

CodeByte DirectByte(std::string_view op, const SymbolTable& symbols, std::string& reason)
{
    if (auto a = symbols.DirectAddress(op)) return CodeByte::Of(*a);
    if (reason.empty()) reason = DirectReason(op, symbols);
    return CodeByte::Error();
}

CodeByte BitByte(std::string_view op, const SymbolTable& symbols, std::string& reason)
{
    if (auto b = symbols.BitAddress(op)) return CodeByte::Of(*b);
    if (reason.empty()) reason = BitReason(op, symbols);
    return CodeByte::Error();
}

Encoded Error(std::string reason)
{
    Encoded e;
    e.bytes[0] = CodeByte::Error();
    e.reason = std::move(reason);
    return e;
}

// How a learner writes an operand of a form: "R0-R7", "direct", "#data".
std::string_view ShapeOf(const Pattern& p)
{
    switch (p.field) {
        case Field::Data:
            return "#data";
        case Field::Data16:
            return "#data16";
        case Field::Direct:
            return "direct";
        case Field::Bit:
            return "bit";
        case Field::NotBit:
            return "/bit";
        case Field::Relative:
        case Field::Long:
        case Field::Absolute:
            return "label";
        case Field::Nothing:
            break;
    }
    switch (p.kind) {
        case OperandKind::A:
            return "A";
        case OperandKind::C:
            return "C";
        case OperandKind::AB:
            return "AB";
        case OperandKind::DPTR:
            return "DPTR";
        case OperandKind::AtDptr:
            return "@DPTR";
        case OperandKind::AtAPlusDptr:
            return "@A+DPTR";
        case OperandKind::AtAPlusPc:
            return "@A+PC";
        case OperandKind::Register:
            return "R0-R7";
        case OperandKind::AtRegister:
            return "@R0/@R1";
        default:
            return "?";
    }
}

// Why no form takes the operands: the forms of the instruction, only those
// that begin with the written first operand when it names a fixed operand
// (A, C, DPTR, a register) that some form begins with.
std::string FormsReasonOf(std::string_view mnemonic, const std::vector<Form>& forms,
                          const Operands& ops)
{
    const OperandKind first = ops[0].kind;
    const bool fixedFirst = first != OperandKind::None && first != OperandKind::Address &&
                            first != OperandKind::Immediate;
    const bool someBeginSo =
        fixedFirst && std::any_of(forms.begin(), forms.end(), [&](const Form& f) {
            return f.count > 0 && f.patterns[0].kind == first &&
                   f.patterns[0].field == Field::Nothing;
        });
    std::vector<std::string> shapes;
    for (const Form& f : forms) {
        if (someBeginSo && !(f.count > 0 && f.patterns[0].kind == first)) continue;
        std::string shape;
        for (int i = 0; i < f.count; ++i) {
            if (i > 0) shape += ',';
            shape += ShapeOf(f.patterns[i]);
        }
        if (std::find(shapes.begin(), shapes.end(), shape) == shapes.end()) shapes.push_back(shape);
    }
    return FormsReason(mnemonic, shapes);
}

void SetFixup(Encoded& e, FixupKind kind, std::string_view target)
{
    e.fixup = kind;
    e.symbolic = std::string(target);
}

// MOV dir,dir keeps the source address before the destination.
constexpr uint8_t kMoveDirectToDirect = 0x85;

// The code bytes of a form: the opcode (plus the register number), then
// one or two bytes for each operand that carries a value, in operand order.
Encoded Compose(core::Mnemonic m, const Form& form, const Operands& ops, const SymbolTable& s)
{
    Encoded e;
    unsigned opcode = form.opcode;
    std::size_t next = 1;
    std::size_t waitingByte = 0;  // the immediate byte left for Round 2
    for (int i = 0; i < form.count; ++i) {
        const std::string_view text = ops[i].text;
        switch (form.patterns[i].field) {
            case Field::Nothing:
                if (ops[i].kind == OperandKind::Register || ops[i].kind == OperandKind::AtRegister)
                    opcode += ops[i].reg;
                break;
            case Field::Data: {
                const bool reasonBefore = !e.reason.empty();
                e.bytes[next++] = ImmediateByte(text, s, e.reason);
                // An expression naming a label not yet known waits for
                // Round 2, unless another operand already waits.
                if (e.bytes[next - 1].IsError() && e.fixup == FixupKind::None &&
                    NamesUnknownNames(text, s)) {
                    e.bytes[next - 1] = CodeByte::Pending();
                    waitingByte = next - 1;
                    SetFixup(e, FixupKind::Byte8, text);
                    if (!reasonBefore) e.reason.clear();
                }
            } break;
            case Field::Data16:
                if (const Immediate v = EvaluateImmediate(text, s); v.Ok()) {
                    e.bytes[next++] = CodeByte::Of(v.value >> 8);
                    e.bytes[next++] = CodeByte::Of(v.value);
                } else {
                    e.bytes[next++] = CodeByte::Pending();
                    e.bytes[next++] = CodeByte::Pending();
                    SetFixup(e, FixupKind::Word16, text);
                }
                break;
            case Field::Direct:
                e.bytes[next++] = DirectByte(text, s, e.reason);
                break;
            case Field::Bit:
                e.bytes[next++] = BitByte(text, s, e.reason);
                break;
            case Field::NotBit:
                e.bytes[next++] = BitByte(text.substr(1), s, e.reason);
                break;
            case Field::Relative:
                e.bytes[next++] = CodeByte::Pending();
                SetFixup(e, FixupKind::Relative, text);
                break;
            case Field::Long:
                e.bytes[next++] = CodeByte::Pending();
                e.bytes[next++] = CodeByte::Pending();
                SetFixup(e, FixupKind::Word16, text);
                break;
            case Field::Absolute:
                e.bytes[next++] = CodeByte::Pending();
                SetFixup(e, FixupKind::Absolute11, text);
                e.isCall = m == core::Mnemonic::ACALL || m == core::Mnemonic::CALL;
                break;
        }
    }
    // Only one operand can wait for Round 2: a byte whose wait a later
    // operand's fix-up displaced stays an error (CJNE A,#LABEL,NEXT).
    if (waitingByte > 0 && e.fixup != FixupKind::Byte8) e.bytes[waitingByte] = CodeByte::Error();
    // The opcode of an absolute jump carries the target's page.
    e.bytes[0] = e.fixup == FixupKind::Absolute11 ? CodeByte::Pending() : CodeByte::Of(opcode);
    if (form.opcode == kMoveDirectToDirect) std::swap(e.bytes[1], e.bytes[2]);
    return e;
}

}  // namespace

char RegisterNibble(std::string_view op)
{
    if (op == "@R0") return '6';
    if (op == "@R1") return '7';
    if (op.size() == 2 && op[0] == 'R' && op[1] >= '0' && op[1] <= '7')
        return "89ABCDEF"[op[1] - '0'];
    return '?';
}

namespace {

// The mnemonic of an upper-cased text, when it names an instruction.
std::optional<core::Mnemonic> InstructionMnemonic(std::string_view m)
{
    const auto mnemonic = core::MnemonicFromUpperText(m);
    if (!mnemonic || *mnemonic == core::Mnemonic::NON) return std::nullopt;
    return mnemonic;
}

}  // namespace

bool IsInstructionMnemonic(std::string_view m)
{
    return InstructionMnemonic(m).has_value();
}

Encoded EncodeInstruction(std::string_view mnemonic, std::string_view operand1,
                          std::string_view operand2, std::string_view operand3,
                          const SymbolTable& s)
{
    if (auto e = EncodeIfInstruction(mnemonic, operand1, operand2, operand3, s))
        return *std::move(e);
    return Error(UnknownMnemonicReason(core::UpperTrimmedText(mnemonic)));
}

std::optional<Encoded> EncodeIfInstruction(std::string_view mnemonic, std::string_view operand1,
                                           std::string_view operand2, std::string_view operand3,
                                           const SymbolTable& s)
{
    const auto kind = InstructionMnemonic(mnemonic);
    if (!kind) return std::nullopt;
    const OperandText first(operand1, true);
    const OperandText second(operand2, true);
    const OperandText third(operand3, false);  // a jump target
    Operands ops{ClassifyOperand(first.View()), ClassifyOperand(second.View()),
                 ClassifyOperand(third.View())};
    if (ReadsMissingDestinationAsAddress(*kind) && ops[0].kind == OperandKind::None &&
        ops[1].kind != OperandKind::None)
        ops[0].kind = OperandKind::Address;
    const std::vector<Form>& forms = Forms().Of(*kind);
    const Form* form = IsRefusedForm(*kind, ops) ? nullptr : ChooseForm(forms, ops);
    if (!form) {
        // Where a form takes a register, a register that is not one is the
        // slip, not the form.
        for (std::size_t i = 0; i < ops.size(); ++i) {
            const Operand& op = ops[i];
            if (op.kind != OperandKind::Address || !LooksLikeRegister(op.text)) continue;
            const OperandKind wanted =
                op.text.starts_with('@') ? OperandKind::AtRegister : OperandKind::Register;
            const bool takesOne = std::any_of(forms.begin(), forms.end(), [&](const Form& f) {
                return f.count > static_cast<int>(i) && f.patterns[i].kind == wanted;
            });
            if (takesOne) return Error(NotRegisterReason(op.text));
        }
        return Error(FormsReasonOf(core::TrimBlanks(mnemonic), forms, ops));
    }
    return Compose(*kind, *form, ops, s);
}

}  // namespace zelo::assembler
