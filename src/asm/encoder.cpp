#include "asm/encoder.h"

#include <array>
#include <optional>
#include <cstdint>

#include "asm/expressions.h"
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

ByteText Op(char high, char low)
{
    const char digits[] = {high, low};
    return ByteText(std::string_view(digits, 2));
}

bool IsImmediate(std::string_view op)
{
    return !op.empty() && op[0] == '#';
}

// The immediate byte, or "??" when the value is not one byte.
ByteText ImmediateByte(std::string_view op, const SymbolTable& symbols)
{
    const Immediate v = EvaluateImmediate(op, symbols);
    return v.IsByte() ? ByteText::Hex(v.value) : ByteText(kErrorMarker);
}

ByteText DirectByte(std::string_view op, const SymbolTable& symbols)
{
    if (auto a = symbols.DirectAddress(op)) return ByteText::Hex(*a);
    return kErrorMarker;
}

ByteText BitByte(std::string_view op, const SymbolTable& symbols)
{
    if (auto b = symbols.BitAddress(op)) return ByteText::Hex(*b);
    return kErrorMarker;
}

struct Operands
{
    std::string_view a, b, c;  // operands 1..3 as OperandText gives them
};

Encoded Error()
{
    Encoded e;
    e.bytes[0] = kErrorMarker;
    return e;
}

Encoded Bytes(ByteText b0, ByteText b1 = kNoByte, ByteText b2 = kNoByte)
{
    Encoded e;
    e.bytes = {b0, b1, b2};
    return e;
}

Encoded WithFixup(Encoded e, FixupKind kind, std::string_view target)
{
    e.fixup = kind;
    e.symbolic = std::string(target);
    return e;
}

// ADD, ADDC, SUBB, XCH: A,Rn / A,@Ri / A,#data / A,direct
Encoded Arithmetic(char family, bool allowImmediate, const Operands& o, const SymbolTable& s)
{
    if (o.a != "A" || o.b.empty() || !o.c.empty()) return Error();
    if (const char n = RegisterNibble(o.b); n != '?') return Bytes(Op(family, n));
    if (IsImmediate(o.b)) {
        if (!allowImmediate) return Error();
        return Bytes(Op(family, '4'), ImmediateByte(o.b, s));
    }
    return Bytes(Op(family, '5'), DirectByte(o.b, s));
}

// ORL, ANL, XRL; ORL and ANL also take C,bit and C,/bit.
Encoded Logic(char family, std::string_view carryOps, const Operands& o, const SymbolTable& s)
{
    if (o.b.empty() || !o.c.empty()) return Error();
    if (o.a == "C") {
        if (carryOps.empty()) return Error();
        if (o.b[0] == '/')
            return Bytes(carryOps.substr(2, 2), BitByte(o.b.substr(1), s));
        return Bytes(carryOps.substr(0, 2), BitByte(o.b, s));
    }
    if (o.a == "A") {
        if (const char n = RegisterNibble(o.b); n != '?') return Bytes(Op(family, n));
        if (IsImmediate(o.b)) return Bytes(Op(family, '4'), ImmediateByte(o.b, s));
        return Bytes(Op(family, '5'), DirectByte(o.b, s));
    }
    if (o.b == "A") return Bytes(Op(family, '2'), DirectByte(o.a, s));
    if (IsImmediate(o.b)) return Bytes(Op(family, '3'), DirectByte(o.a, s), ImmediateByte(o.b, s));
    return Error();
}

Encoded IncDec(bool inc, const Operands& o, const SymbolTable& s)
{
    const char family = inc ? '0' : '1';
    if (o.a.empty() || !o.b.empty()) return Error();
    if (o.a == "A") return Bytes(Op(family, '4'));
    if (o.a == "DPTR") return inc ? Bytes("A3") : Error();
    if (const char n = RegisterNibble(o.a); n != '?') return Bytes(Op(family, n));
    return Bytes(Op(family, '5'), DirectByte(o.a, s));
}

Encoded Mov(const Operands& o, const SymbolTable& s)
{
    if (o.a.empty() || o.b.empty() || !o.c.empty()) return Error();
    if (o.a == "DPTR") {
        if (!IsImmediate(o.b)) return Error();
        const Immediate v = EvaluateImmediate(o.b, s);
        if (v.Ok()) return Bytes("90", ByteText::Hex(v.value >> 8), ByteText::Hex(v.value));
        return WithFixup(Bytes("90", kPlaceholder, kPlaceholder), FixupKind::Word16, o.b);
    }
    if (o.a == "A") {
        if (const char n = RegisterNibble(o.b); n != '?') return Bytes(Op('E', n));
        if (IsImmediate(o.b)) return Bytes("74", ImmediateByte(o.b, s));
        if (o.b == "A") return Error();
        return Bytes("E5", DirectByte(o.b, s));
    }
    if (o.a == "C") return Bytes("A2", BitByte(o.b, s));
    if (const char n = RegisterNibble(o.a); n != '?') {
        if (o.b == "A") return Bytes(Op('F', n));
        if (IsImmediate(o.b)) return Bytes(Op('7', n), ImmediateByte(o.b, s));
        return Bytes(Op('A', n), DirectByte(o.b, s));  // "R1" as a source is its bank-0 address
    }
    if (o.b == "C") return Bytes("92", BitByte(o.a, s));
    if (o.b == "A") return Bytes("F5", DirectByte(o.a, s));
    if (const char n = RegisterNibble(o.b); n != '?') return Bytes(Op('8', n), DirectByte(o.a, s));
    if (IsImmediate(o.b)) return Bytes("75", DirectByte(o.a, s), ImmediateByte(o.b, s));
    return Bytes("85", DirectByte(o.b, s), DirectByte(o.a, s));
}

Encoded ClrCplSetb(char family, bool allowA, const Operands& o, const SymbolTable& s)
{
    if (o.a.empty() || !o.b.empty()) return Error();
    if (o.a == "A") return allowA ? Bytes(family == 'C' ? "E4" : "F4") : Error();
    if (o.a == "C") return Bytes(Op(family, '3'));
    return Bytes(Op(family, '2'), BitByte(o.a, s));
}

Encoded Fixed(const Operands& o, std::initializer_list<std::array<const char*, 3>> forms)
{
    if (!o.c.empty()) return Error();
    for (const auto& f : forms) {
        if (o.a == f[0] && o.b == f[1]) return Bytes(f[2]);
    }
    return Error();
}

Encoded Only(const Operands& o, const char* operand, const char* opcode)
{
    if (o.a == operand && o.b.empty()) return Bytes(opcode);
    return Error();
}

Encoded Djnz(const Operands& o, const SymbolTable& s)
{
    if (o.a.empty() || o.b.empty() || !o.c.empty()) return Error();
    if (const char n = RegisterNibble(o.a); n != '?' && n >= '8')
        return WithFixup(Bytes(Op('D', n), kPlaceholder), FixupKind::Relative, o.b);
    if (RegisterNibble(o.a) != '?') return Error();
    return WithFixup(Bytes("D5", DirectByte(o.a, s), kPlaceholder), FixupKind::Relative, o.b);
}

Encoded Cjne(const Operands& o, const SymbolTable& s)
{
    if (o.a.empty() || o.b.empty() || o.c.empty()) return Error();
    Encoded e;
    if (o.a == "A") {
        e = IsImmediate(o.b) ? Bytes("B4", ImmediateByte(o.b, s), kPlaceholder)
                             : Bytes("B5", DirectByte(o.b, s), kPlaceholder);
    } else if (const char n = RegisterNibble(o.a); n != '?' && IsImmediate(o.b)) {
        e = Bytes(Op('B', n), ImmediateByte(o.b, s), kPlaceholder);
    } else {
        return Error();
    }
    return WithFixup(e, FixupKind::Relative, o.c);
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

Encoded ShortJump(const char* opcode, const Operands& o)
{
    if (o.a.empty() || !o.b.empty()) return Error();
    return WithFixup(Bytes(opcode, kPlaceholder), FixupKind::Relative, o.a);
}

Encoded BitJump(const char* opcode, const Operands& o, const SymbolTable& s)
{
    if (o.a.empty() || o.b.empty() || !o.c.empty()) return Error();
    return WithFixup(Bytes(opcode, BitByte(o.a, s), kPlaceholder), FixupKind::Relative, o.b);
}

Encoded AbsoluteJump(core::Mnemonic m, const Operands& o)
{
    if (o.a.empty() || !o.b.empty()) return Error();
    if (o.a == "@A+DPTR") return m == core::Mnemonic::JMP ? Bytes("73") : Error();
    if (o.a[0] == '@') return Error();
    Encoded e = WithFixup(Bytes(kPlaceholder, kPlaceholder), FixupKind::Absolute11, o.a);
    e.isCall = m == core::Mnemonic::ACALL || m == core::Mnemonic::CALL;
    return e;
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
    return EncodeIfInstruction(mnemonic, operand1, operand2, operand3, s).value_or(Error());
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
    const Operands o{first.View(), second.View(), third.View()};
    const bool none = o.a.empty() && o.b.empty() && o.c.empty();
    switch (*kind) {
        case core::Mnemonic::ADD:
            return Arithmetic('2', true, o, s);
        case core::Mnemonic::ADDC:
            return Arithmetic('3', true, o, s);
        case core::Mnemonic::SUBB:
            return Arithmetic('9', true, o, s);
        case core::Mnemonic::XCH:
            return Arithmetic('C', false, o, s);
        case core::Mnemonic::ORL:
            return Logic('4', "72A0", o, s);
        case core::Mnemonic::ANL:
            return Logic('5', "82B0", o, s);
        case core::Mnemonic::XRL:
            return Logic('6', "", o, s);
        case core::Mnemonic::INC:
            return IncDec(true, o, s);
        case core::Mnemonic::DEC:
            return IncDec(false, o, s);
        case core::Mnemonic::MOV:
            return Mov(o, s);
        case core::Mnemonic::NOP:
            return none ? Bytes("00") : Error();
        case core::Mnemonic::RET:
            return none ? Bytes("22") : Error();
        case core::Mnemonic::RETI:
            return none ? Bytes("32") : Error();
        case core::Mnemonic::RR:
            return Only(o, "A", "03");
        case core::Mnemonic::RRC:
            return Only(o, "A", "13");
        case core::Mnemonic::RL:
            return Only(o, "A", "23");
        case core::Mnemonic::RLC:
            return Only(o, "A", "33");
        case core::Mnemonic::SWAP:
            return Only(o, "A", "C4");
        case core::Mnemonic::DA:
            return Only(o, "A", "D4");
        case core::Mnemonic::DIV:
            return Only(o, "AB", "84");
        case core::Mnemonic::MUL:
            return Only(o, "AB", "A4");
        case core::Mnemonic::PUSH:
        case core::Mnemonic::POP:
            if (o.a.empty() || !o.b.empty()) return Error();
            return Bytes(*kind == core::Mnemonic::PUSH ? "C0" : "D0", DirectByte(o.a, s));
        case core::Mnemonic::CLR:
            return ClrCplSetb('C', true, o, s);
        case core::Mnemonic::CPL:
            return ClrCplSetb('B', true, o, s);
        case core::Mnemonic::SETB:
            return ClrCplSetb('D', false, o, s);
        case core::Mnemonic::MOVX:
            return Fixed(o, {{"A", "@DPTR", "E0"},
                             {"A", "@R0", "E2"},
                             {"A", "@R1", "E3"},
                             {"@DPTR", "A", "F0"},
                             {"@R0", "A", "F2"},
                             {"@R1", "A", "F3"}});
        case core::Mnemonic::MOVC:
            return Fixed(o, {{"A", "@A+PC", "83"}, {"A", "@A+DPTR", "93"}});
        case core::Mnemonic::XCHD:
            return Fixed(o, {{"A", "@R0", "D6"}, {"A", "@R1", "D7"}});
        case core::Mnemonic::LJMP:
        case core::Mnemonic::LCALL:
            if (o.a.empty() || !o.b.empty()) return Error();
            return WithFixup(
                Bytes(*kind == core::Mnemonic::LJMP ? "02" : "12", kPlaceholder, kPlaceholder),
                FixupKind::Word16, o.a);
        case core::Mnemonic::AJMP:
        case core::Mnemonic::ACALL:
        case core::Mnemonic::JMP:
        case core::Mnemonic::CALL:
            return AbsoluteJump(*kind, o);
        case core::Mnemonic::SJMP:
            return ShortJump("80", o);
        case core::Mnemonic::JNZ:
            return ShortJump("70", o);
        case core::Mnemonic::JZ:
            return ShortJump("60", o);
        case core::Mnemonic::JNC:
            return ShortJump("50", o);
        case core::Mnemonic::JC:
            return ShortJump("40", o);
        case core::Mnemonic::JNB:
            return BitJump("30", o, s);
        case core::Mnemonic::JB:
            return BitJump("20", o, s);
        case core::Mnemonic::JBC:
            return BitJump("10", o, s);
        case core::Mnemonic::DJNZ:
            return Djnz(o, s);
        case core::Mnemonic::CJNE:
            return Cjne(o, s);
        case core::Mnemonic::NON:
        case core::Mnemonic::Count:
            break;
    }
    return Error();
}

}  // namespace zelo::assembler
