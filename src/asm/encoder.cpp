#include "asm/encoder.h"

#include <array>
#include <optional>
#include <cstdint>

#include "asm/expressions.h"
#include "core/ascii_text.h"

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

enum class Family {
    Add,
    Addc,
    Subb,
    Xch,
    Orl,
    Anl,
    Xrl,
    Inc,
    Dec,
    Mov,
    Nop,
    Ret,
    Reti,
    Rr,
    Rrc,
    Rl,
    Rlc,
    Swap,
    Da,
    Div,
    Mul,
    Push,
    Pop,
    Clr,
    Cpl,
    Setb,
    Movx,
    Movc,
    Xchd,
    Ljmp,
    Lcall,
    Ajmp,
    Acall,
    Jmp,
    Call,
    Sjmp,
    Jnz,
    Jz,
    Jnc,
    Jc,
    Jnb,
    Jb,
    Jbc,
    Djnz,
    Cjne,
};

// A mnemonic of up to eight letters packed into one integer, so a lookup
// compares integers instead of texts.
constexpr uint64_t PackName(std::string_view name)
{
    uint64_t key = 0;
    for (char c : name) key = (key << 8) | static_cast<unsigned char>(c);
    return key;
}

struct FamilyName
{
    uint64_t key;
    Family family;
};

constexpr FamilyName kFamilies[] = {
    {PackName("MOV"), Family::Mov},     {PackName("SETB"), Family::Setb},
    {PackName("CLR"), Family::Clr},     {PackName("DJNZ"), Family::Djnz},
    {PackName("SJMP"), Family::Sjmp},   {PackName("LCALL"), Family::Lcall},
    {PackName("ACALL"), Family::Acall}, {PackName("CALL"), Family::Call},
    {PackName("RET"), Family::Ret},     {PackName("LJMP"), Family::Ljmp},
    {PackName("AJMP"), Family::Ajmp},   {PackName("JMP"), Family::Jmp},
    {PackName("INC"), Family::Inc},     {PackName("DEC"), Family::Dec},
    {PackName("ADD"), Family::Add},     {PackName("ADDC"), Family::Addc},
    {PackName("SUBB"), Family::Subb},   {PackName("ANL"), Family::Anl},
    {PackName("ORL"), Family::Orl},     {PackName("XRL"), Family::Xrl},
    {PackName("CPL"), Family::Cpl},     {PackName("JNB"), Family::Jnb},
    {PackName("JB"), Family::Jb},       {PackName("JBC"), Family::Jbc},
    {PackName("JZ"), Family::Jz},       {PackName("JNZ"), Family::Jnz},
    {PackName("JC"), Family::Jc},       {PackName("JNC"), Family::Jnc},
    {PackName("CJNE"), Family::Cjne},   {PackName("PUSH"), Family::Push},
    {PackName("POP"), Family::Pop},     {PackName("MOVC"), Family::Movc},
    {PackName("MOVX"), Family::Movx},   {PackName("NOP"), Family::Nop},
    {PackName("RETI"), Family::Reti},   {PackName("RL"), Family::Rl},
    {PackName("RLC"), Family::Rlc},     {PackName("RR"), Family::Rr},
    {PackName("RRC"), Family::Rrc},     {PackName("SWAP"), Family::Swap},
    {PackName("XCH"), Family::Xch},     {PackName("XCHD"), Family::Xchd},
    {PackName("DA"), Family::Da},       {PackName("DIV"), Family::Div},
    {PackName("MUL"), Family::Mul},
};

// Mnemonic to family, looked up once per line; the common mnemonics come first.
std::optional<Family> FamilyOf(std::string_view m)
{
    if (m.empty() || m.size() > 5) return std::nullopt;
    const uint64_t key = PackName(m);
    for (const FamilyName& f : kFamilies) {
        if (f.key == key) return f.family;
    }
    return std::nullopt;
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

Encoded AbsoluteJump(Family f, const Operands& o)
{
    if (o.a.empty() || !o.b.empty()) return Error();
    if (o.a == "@A+DPTR") return f == Family::Jmp ? Bytes("73") : Error();
    if (o.a[0] == '@') return Error();
    Encoded e = WithFixup(Bytes(kPlaceholder, kPlaceholder), FixupKind::Absolute11, o.a);
    e.isCall = f == Family::Acall || f == Family::Call;
    return e;
}

}  // namespace

bool IsInstructionMnemonic(std::string_view m)
{
    return FamilyOf(m).has_value();
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
    const auto family = FamilyOf(mnemonic);
    if (!family) return std::nullopt;
    const OperandText first(operand1, true);
    const OperandText second(operand2, true);
    const OperandText third(operand3, false);  // a jump target
    const Operands o{first.View(), second.View(), third.View()};
    const bool none = o.a.empty() && o.b.empty() && o.c.empty();
    switch (*family) {
        case Family::Add:
            return Arithmetic('2', true, o, s);
        case Family::Addc:
            return Arithmetic('3', true, o, s);
        case Family::Subb:
            return Arithmetic('9', true, o, s);
        case Family::Xch:
            return Arithmetic('C', false, o, s);
        case Family::Orl:
            return Logic('4', "72A0", o, s);
        case Family::Anl:
            return Logic('5', "82B0", o, s);
        case Family::Xrl:
            return Logic('6', "", o, s);
        case Family::Inc:
            return IncDec(true, o, s);
        case Family::Dec:
            return IncDec(false, o, s);
        case Family::Mov:
            return Mov(o, s);
        case Family::Nop:
            return none ? Bytes("00") : Error();
        case Family::Ret:
            return none ? Bytes("22") : Error();
        case Family::Reti:
            return none ? Bytes("32") : Error();
        case Family::Rr:
            return Only(o, "A", "03");
        case Family::Rrc:
            return Only(o, "A", "13");
        case Family::Rl:
            return Only(o, "A", "23");
        case Family::Rlc:
            return Only(o, "A", "33");
        case Family::Swap:
            return Only(o, "A", "C4");
        case Family::Da:
            return Only(o, "A", "D4");
        case Family::Div:
            return Only(o, "AB", "84");
        case Family::Mul:
            return Only(o, "AB", "A4");
        case Family::Push:
        case Family::Pop:
            if (o.a.empty() || !o.b.empty()) return Error();
            return Bytes(*family == Family::Push ? "C0" : "D0", DirectByte(o.a, s));
        case Family::Clr:
            return ClrCplSetb('C', true, o, s);
        case Family::Cpl:
            return ClrCplSetb('B', true, o, s);
        case Family::Setb:
            return ClrCplSetb('D', false, o, s);
        case Family::Movx:
            return Fixed(o, {{"A", "@DPTR", "E0"},
                             {"A", "@R0", "E2"},
                             {"A", "@R1", "E3"},
                             {"@DPTR", "A", "F0"},
                             {"@R0", "A", "F2"},
                             {"@R1", "A", "F3"}});
        case Family::Movc:
            return Fixed(o, {{"A", "@A+PC", "83"}, {"A", "@A+DPTR", "93"}});
        case Family::Xchd:
            return Fixed(o, {{"A", "@R0", "D6"}, {"A", "@R1", "D7"}});
        case Family::Ljmp:
        case Family::Lcall:
            if (o.a.empty() || !o.b.empty()) return Error();
            return WithFixup(
                Bytes(*family == Family::Ljmp ? "02" : "12", kPlaceholder, kPlaceholder),
                FixupKind::Word16, o.a);
        case Family::Ajmp:
        case Family::Acall:
        case Family::Jmp:
        case Family::Call:
            return AbsoluteJump(*family, o);
        case Family::Sjmp:
            return ShortJump("80", o);
        case Family::Jnz:
            return ShortJump("70", o);
        case Family::Jz:
            return ShortJump("60", o);
        case Family::Jnc:
            return ShortJump("50", o);
        case Family::Jc:
            return ShortJump("40", o);
        case Family::Jnb:
            return BitJump("30", o, s);
        case Family::Jb:
            return BitJump("20", o, s);
        case Family::Jbc:
            return BitJump("10", o, s);
        case Family::Djnz:
            return Djnz(o, s);
        case Family::Cjne:
            return Cjne(o, s);
    }
    return Error();
}

}  // namespace zelo::assembler
