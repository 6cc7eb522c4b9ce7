#include "asm/encoder.h"

#include <array>

#include "asm/expressions.h"
#include "core/byte_text.h"

namespace zelo::assembler {

namespace {

using core::ToHexByte;

std::string Upper(std::string_view t) { return core::ToUpperAscii(core::TrimBlanks(t)); }

std::string Op(char high, char low) { return std::string{high, low}; }

bool IsImmediate(const std::string& op) { return !op.empty() && op[0] == '#'; }

// The immediate byte, or "??" when the value is not one byte.
std::string ImmediateByte(const std::string& op, const SymbolTable& symbols)
{
    const Immediate v = EvaluateImmediate(op, symbols);
    return v.IsByte() ? v.Text() : kErrorMarker;
}

std::string DirectByte(const std::string& op, const SymbolTable& symbols)
{
    if (auto a = symbols.DirectAddress(op)) return ToHexByte(*a);
    return kErrorMarker;
}

std::string BitByte(const std::string& op, const SymbolTable& symbols)
{
    if (auto b = symbols.BitAddress(op)) return ToHexByte(*b);
    return kErrorMarker;
}

struct Operands {
    std::string a, b, c;  // upper-cased operands 1..3
    int count = 0;
};

Encoded Error()
{
    Encoded e;
    e.bytes[0] = kErrorMarker;
    return e;
}

Encoded Bytes(std::string b0, std::string b1 = kNoByte, std::string b2 = kNoByte)
{
    Encoded e;
    e.bytes = {std::move(b0), std::move(b1), std::move(b2)};
    return e;
}

Encoded WithFixup(Encoded e, FixupKind kind, const std::string& target)
{
    e.fixup = kind;
    e.symbolic = target;
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
        if (o.b[0] == '/') return Bytes(std::string(carryOps.substr(2, 2)), BitByte(o.b.substr(1), s));
        return Bytes(std::string(carryOps.substr(0, 2)), BitByte(o.b, s));
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
        if (v.Ok()) return Bytes("90", ToHexByte(v.value >> 8), ToHexByte(v.value & 0xFF));
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
    if (op.size() == 2 && op[0] == 'R' && op[1] >= '0' && op[1] <= '7') return "89ABCDEF"[op[1] - '0'];
    return '?';
}

bool IsInstructionMnemonic(std::string_view m)
{
    static constexpr const char* kNames[] = {
        "ADD",  "ADDC", "SUBB", "XCH",  "ORL",  "ANL",   "XRL",  "INC",  "DEC",  "MOV",  "NOP",  "RET",
        "RETI", "RR",   "RRC",  "RL",   "RLC",  "SWAP",  "DA",   "DIV",  "MUL",  "PUSH", "POP",  "CLR",
        "CPL",  "SETB", "MOVX", "MOVC", "XCHD", "LJMP",  "LCALL", "AJMP", "ACALL", "JMP", "CALL", "SJMP",
        "JNZ",  "JZ",   "JNC",  "JC",   "JNB",  "JB",    "JBC",  "DJNZ", "CJNE"};
    for (const char* n : kNames) {
        if (m == n) return true;
    }
    return false;
}

Encoded EncodeInstruction(std::string_view mnemonic, std::string_view operand1, std::string_view operand2,
                          std::string_view operand3, const SymbolTable& s)
{
    Operands o{Upper(operand1), Upper(operand2), Upper(operand3), 0};
    // Character constants keep the case they were written in.
    if (IsImmediate(o.b)) o.b = "#" + std::string(core::TrimBlanks(core::TrimBlanks(operand2).substr(1)));
    if (IsImmediate(o.a)) o.a = "#" + std::string(core::TrimBlanks(core::TrimBlanks(operand1).substr(1)));
    const bool none = o.a.empty() && o.b.empty() && o.c.empty();
    const std::string m(mnemonic);

    if (m == "ADD") return Arithmetic('2', true, o, s);
    if (m == "ADDC") return Arithmetic('3', true, o, s);
    if (m == "SUBB") return Arithmetic('9', true, o, s);
    if (m == "XCH") return Arithmetic('C', false, o, s);
    if (m == "ORL") return Logic('4', "72A0", o, s);
    if (m == "ANL") return Logic('5', "82B0", o, s);
    if (m == "XRL") return Logic('6', "", o, s);
    if (m == "INC") return IncDec(true, o, s);
    if (m == "DEC") return IncDec(false, o, s);
    if (m == "MOV") return Mov(o, s);
    if (m == "NOP") return none ? Bytes("00") : Error();
    if (m == "RET") return none ? Bytes("22") : Error();
    if (m == "RETI") return none ? Bytes("32") : Error();
    if (m == "RR") return Only(o, "A", "03");
    if (m == "RRC") return Only(o, "A", "13");
    if (m == "RL") return Only(o, "A", "23");
    if (m == "RLC") return Only(o, "A", "33");
    if (m == "SWAP") return Only(o, "A", "C4");
    if (m == "DA") return Only(o, "A", "D4");
    if (m == "DIV") return Only(o, "AB", "84");
    if (m == "MUL") return Only(o, "AB", "A4");
    if (m == "PUSH" || m == "POP") {
        if (o.a.empty() || !o.b.empty()) return Error();
        return Bytes(m == "PUSH" ? "C0" : "D0", DirectByte(o.a, s));
    }
    if (m == "CLR") return ClrCplSetb('C', true, o, s);
    if (m == "CPL") return ClrCplSetb('B', true, o, s);
    if (m == "SETB") return ClrCplSetb('D', false, o, s);
    if (m == "MOVX")
        return Fixed(o, {{"A", "@DPTR", "E0"}, {"A", "@R0", "E2"}, {"A", "@R1", "E3"},
                         {"@DPTR", "A", "F0"}, {"@R0", "A", "F2"}, {"@R1", "A", "F3"}});
    if (m == "MOVC") return Fixed(o, {{"A", "@A+PC", "83"}, {"A", "@A+DPTR", "93"}});
    if (m == "XCHD") return Fixed(o, {{"A", "@R0", "D6"}, {"A", "@R1", "D7"}});
    if (m == "LJMP" || m == "LCALL") {
        if (o.a.empty() || !o.b.empty()) return Error();
        return WithFixup(Bytes(m == "LJMP" ? "02" : "12", kPlaceholder, kPlaceholder), FixupKind::Word16, o.a);
    }
    if (m == "AJMP" || m == "ACALL" || m == "JMP" || m == "CALL") {
        if (o.a.empty() || !o.b.empty()) return Error();
        if (o.a == "@A+DPTR") return m == "JMP" ? Bytes("73") : Error();
        if (o.a[0] == '@') return Error();
        Encoded e = WithFixup(Bytes(kPlaceholder, kPlaceholder), FixupKind::Absolute11, o.a);
        e.isCall = m == "ACALL" || m == "CALL";
        return e;
    }
    static constexpr std::pair<const char*, const char*> kShortJumps[] = {
        {"SJMP", "80"}, {"JNZ", "70"}, {"JZ", "60"}, {"JNC", "50"}, {"JC", "40"}};
    for (const auto& [name, code] : kShortJumps) {
        if (m == name) {
            if (o.a.empty() || !o.b.empty()) return Error();
            return WithFixup(Bytes(code, kPlaceholder), FixupKind::Relative, o.a);
        }
    }
    static constexpr std::pair<const char*, const char*> kBitJumps[] = {{"JNB", "30"}, {"JB", "20"}, {"JBC", "10"}};
    for (const auto& [name, code] : kBitJumps) {
        if (m == name) {
            if (o.a.empty() || o.b.empty() || !o.c.empty()) return Error();
            return WithFixup(Bytes(code, BitByte(o.a, s), kPlaceholder), FixupKind::Relative, o.b);
        }
    }
    if (m == "DJNZ") return Djnz(o, s);
    if (m == "CJNE") return Cjne(o, s);
    return Error();
}

}  // namespace zelo::assembler
