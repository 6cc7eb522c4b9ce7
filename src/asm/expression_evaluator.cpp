#include "asm/expression_evaluator.h"

#include <array>
#include <utility>

#include "asm/numbers.h"
#include "core/ascii_text.h"

namespace zelo::assembler {

namespace {

// Intermediate values stay within this bound, so no operation overflows.
constexpr long long kLargest = 0xFFFFFFFFll;

enum class Op {
    None,
    Plus,
    Minus,
    Times,
    Divide,
    Mod,
    Shl,
    Shr,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    Not,
    And,
    Or,
    Xor,
    High,
    Low,
};

struct OperatorWord
{
    std::string_view word;
    Op op;
};

constexpr std::array<OperatorWord, 15> kWords{{
    {"MOD", Op::Mod},
    {"SHL", Op::Shl},
    {"SHR", Op::Shr},
    {"EQ", Op::Eq},
    {"NE", Op::Ne},
    {"LT", Op::Lt},
    {"LE", Op::Le},
    {"GT", Op::Gt},
    {"GE", Op::Ge},
    {"NOT", Op::Not},
    {"AND", Op::And},
    {"OR", Op::Or},
    {"XOR", Op::Xor},
    {"HIGH", Op::High},
    {"LOW", Op::Low},
}};

enum class Kind { End, Value, Name, Here, Operator, Open, Close, Bad };

struct Token
{
    Kind kind = Kind::End;
    Op op = Op::None;
    long long value = 0;
    std::string text;  // as written, for messages; upper-cased for names
};

bool IsAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNameChar(char c)
{
    return IsAlnum(c) || c == '_' || c == '?' || c == '$';
}

class Parser
{
public:
    Parser(std::string_view text, const ExpressionContext& context)
        : m_text(text), m_context(context)
    {
        Next();
    }

    ExpressionValue Run()
    {
        if (m_token.kind == Kind::End && m_error.empty())
            return {std::nullopt, "a value is missing"};
        const long long v = OrLevel();
        if (m_error.empty() && m_token.kind != Kind::End) {
            Fail(m_token.kind == Kind::Close ? "unexpected )"
                                             : "an operator is missing before " + m_token.text);
        }
        if (!m_error.empty()) return {std::nullopt, m_error};
        return {v, {}};
    }

private:
    void Fail(std::string reason)
    {
        if (m_error.empty()) m_error = std::move(reason);
    }

    long long Checked(long long v)
    {
        if (v > kLargest || v < -kLargest) Fail("the value is too large");
        return v;
    }

    void Next()
    {
        m_token = Lex();
        if (m_token.kind == Kind::Bad) Fail(m_token.text);
    }

    bool TakeChar(char c)
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != c) return false;
        ++m_pos;
        return true;
    }

    Token Lex()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) ++m_pos;
        Token t;
        if (m_pos >= m_text.size()) return t;
        const char c = m_text[m_pos];
        const std::size_t start = m_pos;
        if (c == '.') return DottedOperator();
        if (c >= '0' && c <= '9') {
            while (m_pos < m_text.size() && IsAlnum(m_text[m_pos])) ++m_pos;
            const std::string_view written = m_text.substr(start, m_pos - start);
            const NumberRead n = ReadNumber(written);
            if (!n.value) return {Kind::Bad, Op::None, 0, n.reason};
            return {Kind::Value, Op::None, static_cast<long long>(*n.value), std::string(written)};
        }
        if (c == '\'' || c == '"') return Character(c);
        if (IsNameChar(c)) {
            while (m_pos < m_text.size() && IsNameChar(m_text[m_pos])) ++m_pos;
            t.text = core::ToUpperAscii(m_text.substr(start, m_pos - start));
            if (t.text == "$") {
                t.kind = Kind::Here;
                return t;
            }
            for (const OperatorWord& w : kWords) {
                if (t.text == w.word) return {Kind::Operator, w.op, 0, t.text};
            }
            t.kind = Kind::Name;
            return t;
        }
        ++m_pos;
        t.text = std::string(1, c);
        switch (c) {
            case '(':
                t.kind = Kind::Open;
                return t;
            case ')':
                t.kind = Kind::Close;
                return t;
            case '+':
                return {Kind::Operator, Op::Plus, 0, "+"};
            case '-':
                return {Kind::Operator, Op::Minus, 0, "-"};
            case '*':
                return {Kind::Operator, Op::Times, 0, "*"};
            case '/':
                return {Kind::Operator, Op::Divide, 0, "/"};
            case '=':
                return {Kind::Operator, Op::Eq, 0, "="};
            case '<':
                if (TakeChar('>')) return {Kind::Operator, Op::Ne, 0, "<>"};
                if (TakeChar('=')) return {Kind::Operator, Op::Le, 0, "<="};
                return {Kind::Operator, Op::Lt, 0, "<"};
            case '>':
                if (TakeChar('=')) return {Kind::Operator, Op::Ge, 0, ">="};
                return {Kind::Operator, Op::Gt, 0, ">"};
            default:
                return {Kind::Bad, Op::None, 0, "unexpected " + t.text};
        }
    }

    // An operator word between dots: ".MOD.", ".AND.".
    Token DottedOperator()
    {
        std::size_t end = m_pos + 1;
        while (end < m_text.size() && IsAlnum(m_text[end])) ++end;
        const std::string word = core::ToUpperAscii(m_text.substr(m_pos + 1, end - m_pos - 1));
        if (end < m_text.size() && m_text[end] == '.') {
            for (const OperatorWord& w : kWords) {
                if (word == w.word) {
                    m_pos = end + 1;
                    return {Kind::Operator, w.op, 0, word};
                }
            }
        }
        m_pos = m_text.size();
        return {Kind::Bad, Op::None, 0, "unexpected ."};
    }

    // 'A' gives 41H, 'AB' gives 4142H; the case is kept.
    Token Character(char quote)
    {
        const std::size_t close = m_text.find(quote, m_pos + 1);
        if (close == std::string_view::npos) {
            m_pos = m_text.size();
            return {Kind::Bad, Op::None, 0, std::string("a closing ") + quote + " is missing"};
        }
        const std::string_view inside = m_text.substr(m_pos + 1, close - m_pos - 1);
        const std::string written(m_text.substr(m_pos, close + 1 - m_pos));
        m_pos = close + 1;
        if (inside.empty() || inside.size() > 2)
            return {Kind::Bad, Op::None, 0, written + " must hold one or two characters"};
        long long v = 0;
        for (char ch : inside) v = v * 256 + static_cast<unsigned char>(ch);
        return {Kind::Value, Op::None, v, written};
    }

    bool Take(Op op)
    {
        if (m_token.kind != Kind::Operator || m_token.op != op) return false;
        Next();
        return true;
    }

    Op TakeAny(std::initializer_list<Op> ops)
    {
        if (m_token.kind != Kind::Operator) return Op::None;
        for (Op op : ops) {
            if (m_token.op == op) {
                Next();
                return op;
            }
        }
        return Op::None;
    }

    long long OrLevel()
    {
        long long v = AndLevel();
        for (Op op; m_error.empty() && (op = TakeAny({Op::Or, Op::Xor})) != Op::None;) {
            const long long b = AndLevel();
            v = op == Op::Or ? (v | b) : (v ^ b);
        }
        return v;
    }

    long long AndLevel()
    {
        long long v = NotLevel();
        while (m_error.empty() && Take(Op::And)) v &= NotLevel();
        return v;
    }

    long long NotLevel()
    {
        if (Take(Op::Not)) return ~NotLevel();
        return Relation();
    }

    long long Relation()
    {
        long long v = Sum();
        for (Op op; m_error.empty() &&
                    (op = TakeAny({Op::Eq, Op::Ne, Op::Lt, Op::Le, Op::Gt, Op::Ge})) != Op::None;) {
            const long long b = Sum();
            bool r = false;
            switch (op) {
                case Op::Eq:
                    r = v == b;
                    break;
                case Op::Ne:
                    r = v != b;
                    break;
                case Op::Lt:
                    r = v < b;
                    break;
                case Op::Le:
                    r = v <= b;
                    break;
                case Op::Gt:
                    r = v > b;
                    break;
                default:
                    r = v >= b;
                    break;
            }
            v = r ? -1 : 0;
        }
        return v;
    }

    // A leading sign belongs to this level: -8 SHR 1 is -(8 SHR 1).
    long long Sum()
    {
        long long v = 0;
        if (Take(Op::Minus)) {
            v = -Product();
        } else {
            Take(Op::Plus);
            v = Product();
        }
        for (Op op; m_error.empty() && (op = TakeAny({Op::Plus, Op::Minus})) != Op::None;) {
            const long long b = Product();
            v = Checked(op == Op::Plus ? v + b : v - b);
        }
        return v;
    }

    long long Product()
    {
        long long v = Unary();
        for (Op op;
             m_error.empty() &&
             (op = TakeAny({Op::Times, Op::Divide, Op::Mod, Op::Shl, Op::Shr})) != Op::None;) {
            const long long b = Unary();
            if (!m_error.empty()) break;
            v = Apply(v, op, b);
        }
        return v;
    }

    long long Apply(long long a, Op op, long long b)
    {
        switch (op) {
            case Op::Times:
                return Checked(a * b);
            case Op::Divide:
            case Op::Mod:
                if (b == 0) {
                    Fail("division by zero");
                    return 0;
                }
                return op == Op::Divide ? a / b : a % b;
            case Op::Shl:
            case Op::Shr:
                if (b < 0 || b > 31) {
                    Fail("a shift count must be 0 to 31");
                    return 0;
                }
                if (op == Op::Shl) return Checked(a * (1ll << b));
                return (a < 0 ? (a & 0xFFFF) : a) >> b;
            default:
                return 0;
        }
    }

    long long Unary()
    {
        if (Take(Op::Minus)) return -Unary();
        if (Take(Op::Plus)) return Unary();
        if (Take(Op::High)) return (Unary() & 0xFFFF) >> 8;
        if (Take(Op::Low)) return Unary() & 0xFF;
        return Primary();
    }

    long long Primary()
    {
        if (!m_error.empty()) return 0;
        const Token t = m_token;
        switch (t.kind) {
            case Kind::Value:
                Next();
                return t.value;
            case Kind::Here:
                Next();
                if (!m_context.here) Fail("$ has no value here");
                return m_context.here.value_or(0);
            case Kind::Name: {
                Next();
                const auto v = m_context.names ? m_context.names(t.text) : std::nullopt;
                if (!v) Fail(t.text + " is not defined");
                return v.value_or(0);
            }
            case Kind::Open: {
                Next();
                const long long v = OrLevel();
                if (m_token.kind != Kind::Close) {
                    Fail("missing )");
                    return 0;
                }
                Next();
                return v;
            }
            case Kind::End:
                Fail("a value is missing at the end");
                return 0;
            default:
                Fail("a value is missing before " + t.text);
                return 0;
        }
    }

    std::string_view m_text;
    const ExpressionContext& m_context;
    std::size_t m_pos = 0;
    Token m_token;
    std::string m_error;
};

ExpressionValue Fit(const ExpressionValue& v, long long low, long long high, long long mask,
                    const char* what)
{
    if (!v.Ok()) return v;
    if (*v.value < low || *v.value > high)
        return {std::nullopt, std::to_string(*v.value) + " does not fit in " + what};
    return {*v.value & mask, {}};
}

}  // namespace

ExpressionValue EvaluateExpression(std::string_view text, const ExpressionContext& context)
{
    return Parser(text, context).Run();
}

ExpressionValue FitByte(const ExpressionValue& v)
{
    return Fit(v, -0x100, 0xFF, 0xFF, "a byte");
}

ExpressionValue FitWord(const ExpressionValue& v)
{
    return Fit(v, -0x10000, 0xFFFF, 0xFFFF, "16 bits");
}

}  // namespace zelo::assembler
