#include "asm/macro_expander.h"

#include <algorithm>

#include <cstdio>
#include <set>

#include "asm/expression_evaluator.h"
#include "asm/symbols.h"
#include "core/ascii_text.h"
#include "core/opcode_table.h"
#include "core/text_file.h"

namespace zelo::assembler {

namespace {

// One line on its way through the expander: its text, the source line it
// belongs to and the line where the text was written.
struct StreamLine
{
    std::string text;
    LineOrigin origin;
    LineOrigin written;
};

struct Statement
{
    std::string label;  // upper-cased, a trailing ':' dropped
    bool labelColon = false;
    std::string word;      // upper-cased
    std::string operands;  // as written, trimmed, without the comment
};

struct Macro
{
    std::vector<std::string> params;  // upper-cased
    std::vector<StreamLine> body;     // ENDM not included
    LineOrigin defined;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '?';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// Where the comment starts: the first ';' outside quotes.
std::size_t CommentStart(std::string_view text)
{
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            return i;
        }
    }
    return text.size();
}

bool IsControlWord(std::string_view w)
{
    static const std::set<std::string_view> kWords = {"MACRO", "ENDM",   "LOCAL", "REPT",  "IF",
                                                      "IFDEF", "IFNDEF", "ELSE",  "ENDIF", "EXITM"};
    return kWords.count(w) != 0;
}

bool NextWordIs(std::string_view text, std::string_view word)
{
    const std::string_view t = core::TrimBlanks(text);
    std::size_t end = 0;
    while (end < t.size() && !IsBlank(t[end])) ++end;
    return core::ToUpperAscii(t.substr(0, end)) == word;
}

// A label starts in column 1; a directive of the expander written there
// without a colon is still the directive ("ENDM" at the margin).
Statement Parse(std::string_view text, const std::map<std::string, Macro>& macros)
{
    text = text.substr(0, CommentStart(text));
    Statement s;
    std::size_t pos = 0;
    if (!text.empty() && !IsBlank(text[0])) {
        while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != ':') ++pos;
        s.label = core::ToUpperAscii(text.substr(0, pos));
        if (pos < text.size() && text[pos] == ':') {
            s.labelColon = true;
            ++pos;
        }
        const bool defines = NextWordIs(text.substr(pos), "MACRO");  // "M MACRO" again
        if (!s.labelColon && (IsControlWord(s.label) || (macros.count(s.label) != 0 && !defines))) {
            s.label.clear();
            pos = 0;
        }
    }
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    s.word = core::ToUpperAscii(text.substr(start, pos - start));
    s.operands = std::string(core::TrimBlanks(text.substr(pos)));
    while (!s.operands.empty() && IsBlank(s.operands.back())) s.operands.pop_back();
    return s;
}

// Splits at commas outside quotes, parentheses and <...>; one enclosing
// pair of <> is dropped from an argument ("<1,2>" passes "1,2").
std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> items;
    if (core::TrimBlanks(text).empty()) return items;
    std::string current;
    char quote = 0;
    int nesting = 0;
    for (char c : text) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(' || c == '<') {
            ++nesting;
        } else if ((c == ')' || c == '>') && nesting > 0) {
            --nesting;
        } else if (c == ',' && nesting == 0) {
            items.emplace_back(core::TrimBlanks(current));
            current.clear();
            continue;
        }
        current += c;
    }
    items.emplace_back(core::TrimBlanks(current));
    for (std::string& item : items) {
        if (item.size() >= 2 && item.front() == '<' && item.back() == '>')
            item = item.substr(1, item.size() - 2);
    }
    return items;
}

// Replaces whole names outside quotes and before the comment; '&' joins a
// replaced name to the text beside it and is dropped.
std::string Substitute(std::string_view text, const std::map<std::string, std::string>& names)
{
    const std::size_t end = CommentStart(text);
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < end;) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
            out += c;
            ++i;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            ++i;
        } else if (c == '&') {
            ++i;
        } else if (IsNameStart(c) || (c >= '0' && c <= '9')) {
            std::size_t j = i;
            while (j < end && IsNameChar(text[j])) ++j;
            const std::string_view word = text.substr(i, j - i);
            const auto it = IsNameStart(c) ? names.find(core::ToUpperAscii(word)) : names.end();
            out += it != names.end() ? std::string_view(it->second) : word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    out += text.substr(end);
    return out;
}

std::string Where(const LineOrigin& o)
{
    return (o.file.empty() ? std::string() : o.file + " ") + "line " + std::to_string(o.line);
}

class Expander
{
public:
    explicit Expander(const ExpandOptions& options) : m_options(options), m_names(options.names) {}

    ExpandedSource Run(const std::vector<SourceLine>& lines)
    {
        std::vector<StreamLine> stream;
        stream.reserve(lines.size());
        for (const SourceLine& l : lines) stream.push_back({l.text, l.origin, l.origin});
        Process(stream, 0, {});
        return std::move(m_out);
    }

private:
    struct Conditional
    {
        bool parentActive = true;
        bool taken = false;  // the IF part was chosen
        bool active = true;
        bool inElse = false;
        LineOrigin where;
        LineOrigin call;
    };

    static LineOrigin CallOf(const StreamLine& l)
    {
        return l.origin == l.written ? LineOrigin{} : l.origin;
    }

    void Problem(const StreamLine& l, std::string reason)
    {
        m_out.problems.push_back({l.written, CallOf(l), std::move(reason)});
    }

    void Emit(const StreamLine& l, std::string text, bool assemble, const std::string& macro,
              int depth)
    {
        if (m_full) return;
        if (static_cast<int>(m_out.lines.size()) >= m_options.maxLines) {
            m_full = true;
            Problem(l, "the expansion passes " + std::to_string(m_options.maxLines) + " lines");
            return;
        }
        m_out.lines.push_back({std::move(text), assemble, l.origin, l.written, macro, depth});
    }

    void Process(const std::vector<StreamLine>& stream, int depth, const std::string& macro)
    {
        std::vector<Conditional> conditionals;
        for (std::size_t i = 0; i < stream.size() && !m_full; ++i) {
            const StreamLine& l = stream[i];
            if (m_ended) {
                Emit(l, l.text, true, macro, depth);
                continue;
            }
            const bool active = conditionals.empty() || conditionals.back().active;
            const Statement s = Parse(l.text, m_macros);
            const std::string& w = s.word;
            if (w == "IF" || w == "IFDEF" || w == "IFNDEF") {
                const bool value = active && Condition(w, s.operands, l);
                conditionals.push_back(
                    {active, value, active && value, false, l.written, CallOf(l)});
                Emit(l, l.text, false, macro, depth);
            } else if (w == "ELSE" || w == "ENDIF") {
                if (conditionals.empty()) {
                    Problem(l, w + " without IF");
                } else if (w == "ENDIF") {
                    conditionals.pop_back();
                } else if (conditionals.back().inElse) {
                    Problem(l, "a second ELSE for the IF in " + Where(conditionals.back().where));
                } else {
                    Conditional& c = conditionals.back();
                    c.inElse = true;
                    c.active = c.parentActive && !c.taken;
                }
                Emit(l, l.text, false, macro, depth);
            } else if (!active) {
                Emit(l, l.text, false, macro, depth);
            } else if (w == "MACRO") {
                i = Define(stream, i, s, macro, depth);
            } else if (w == "REPT") {
                i = Repeat(stream, i, s, macro, depth);
            } else if (w == "EXITM" && !macro.empty() && macro != "REPT") {
                Emit(l, l.text, false, macro, depth);
                return;  // the rest of this expansion is left out
            } else if (w == "ENDM" || w == "LOCAL" || w == "EXITM") {
                Problem(l, w == "ENDM" ? "ENDM without MACRO or REPT" : w + " outside a macro");
                Emit(l, l.text, false, macro, depth);
            } else if (auto it = m_macros.find(w); it != m_macros.end()) {
                Call(l, s, it->first, it->second, depth);
            } else {
                Note(s);
                // SET names belong to the expander; the assembler never sees them.
                Emit(l, l.text, w != "SET", macro, depth);
            }
        }
        for (const Conditional& c : conditionals)
            m_out.problems.push_back({c.where, c.call, "IF without ENDIF"});
    }

    bool Condition(const std::string& w, const std::string& operand, const StreamLine& l)
    {
        if (w != "IF") {
            const std::string name = core::UpperTrimmedText(operand);
            if (name.empty()) {
                Problem(l, w + " needs a name");
                return false;
            }
            const bool known = m_names.count(name) != 0 || m_macros.count(name) != 0;
            return w == "IFDEF" ? known : !known;
        }
        const ExpressionValue v = Evaluate(operand);
        if (!v.Ok()) {
            Problem(l, "IF " + operand + ": " + v.reason);
            return false;
        }
        return *v.value != 0;
    }

    ExpressionValue Evaluate(std::string_view text)
    {
        std::string valueless;
        ExpressionContext context;
        context.names = [&](std::string_view name) -> std::optional<long long> {
            const auto it = m_names.find(std::string(name));
            if (it == m_names.end()) return std::nullopt;
            if (!it->second && valueless.empty()) valueless = it->first;
            return it->second;
        };
        ExpressionValue v = EvaluateExpression(text, context);
        if (!v.Ok() && !valueless.empty())
            v.reason = valueless +
                       " has no value before assembly (only EQU and SET names above can be used)";
        return v;
    }

    // The names a line gives, and the end of the program.
    void Note(const Statement& s)
    {
        if (s.word == "END") m_ended = true;
        if (s.label.empty()) return;
        const std::string& w = s.word;
        if (w == "SET") {
            m_names[s.label] = Evaluate(s.operands).value;
        } else if (w == "EQU" || w == "CON") {
            if (m_names.count(s.label) == 0) m_names[s.label] = Evaluate(s.operands).value;
        } else {
            m_names.emplace(s.label, std::nullopt);  // a label, SFR, BIT ...
        }
    }

    // The lines up to the ENDM that closes the MACRO or REPT at `first`;
    // returns the index of that ENDM, or stream.size() when there is none.
    std::size_t CollectBody(const std::vector<StreamLine>& stream, std::size_t first,
                            std::vector<StreamLine>& body)
    {
        int open = 1;
        for (std::size_t j = first + 1; j < stream.size(); ++j) {
            const std::string& w = Parse(stream[j].text, m_macros).word;
            if (w == "MACRO" || w == "REPT") ++open;
            if (w == "ENDM" && --open == 0) return j;
            body.push_back(stream[j]);
        }
        return stream.size();
    }

    void EmitBlock(const std::vector<StreamLine>& stream, std::size_t from, std::size_t to,
                   const std::string& macro, int depth)
    {
        for (std::size_t j = from; j <= to && j < stream.size(); ++j)
            Emit(stream[j], stream[j].text, false, macro, depth);
    }

    std::size_t Define(const std::vector<StreamLine>& stream, std::size_t i, const Statement& s,
                       const std::string& macro, int depth)
    {
        const StreamLine& l = stream[i];
        Macro m;
        m.defined = l.written;
        const std::size_t end = CollectBody(stream, i, m.body);
        EmitBlock(stream, i, end, macro, depth);
        if (end == stream.size()) Problem(l, "MACRO " + s.label + " has no ENDM");
        if (s.label.empty()) {
            Problem(l, "MACRO needs a name in column 1");
        } else if (core::MnemonicFromUpperText(s.label) || IsControlWord(s.label)) {
            Problem(l, s.label + " is an instruction or directive and cannot name a macro");
        } else if (const auto it = m_macros.find(s.label); it != m_macros.end()) {
            Problem(l, s.label + " is already a macro (" + Where(it->second.defined) + ")");
        } else {
            for (const std::string& p : SplitList(s.operands)) {
                std::string name = core::UpperTrimmedText(p);
                bool ok = !name.empty() && IsNameStart(name[0]);
                for (char c : name) ok = ok && IsNameChar(c);
                if (!ok) Problem(l, "'" + p + "' is not a parameter name");
                m.params.push_back(std::move(name));
            }
            m_macros.emplace(s.label, std::move(m));
        }
        return end;
    }

    bool TooDeep(const StreamLine& l, int depth)
    {
        if (depth < m_options.maxDepth) return false;
        Problem(l, "macros and REPT nest deeper than " + std::to_string(m_options.maxDepth) +
                       " levels (does a macro call itself?)");
        return true;
    }

    std::size_t Repeat(const std::vector<StreamLine>& stream, std::size_t i, const Statement& s,
                       const std::string& macro, int depth)
    {
        const StreamLine& l = stream[i];
        std::vector<StreamLine> body;
        const std::size_t end = CollectBody(stream, i, body);
        // The block as written comes first, its copies after it.
        EmitBlock(stream, i, end, macro, depth);
        if (end == stream.size()) Problem(l, "REPT has no ENDM");
        const ExpressionValue count = Evaluate(s.operands);
        if (!count.Ok()) {
            Problem(l, "REPT " + s.operands + ": " + count.reason);
        } else if (*count.value < 0 || *count.value > 0xFFFF) {
            Problem(l, "REPT " + std::to_string(*count.value) + ": the count must be 0 to 65535");
        } else if (!TooDeep(l, depth)) {
            for (StreamLine& b : body) b.origin = l.origin;
            for (long long k = 0; k < *count.value && !m_full; ++k)
                Process(body, depth + 1, "REPT");
        }
        return end;
    }

    void Call(const StreamLine& l, const Statement& s, const std::string& name, const Macro& m,
              int depth)
    {
        // A label on the call line stays, as written, with the call as
        // its comment.
        if (!s.label.empty()) {
            Note(s);
            std::size_t call = std::min(l.text.size(), s.label.size() + (s.labelColon ? 1 : 0));
            Emit(l,
                 l.text.substr(0, s.label.size()) + ":\t;" +
                     std::string(core::TrimBlanks(l.text.substr(call))),
                 true, {}, depth);
        } else {
            Emit(l, l.text, false, {}, depth);
        }
        if (TooDeep(l, depth)) return;
        const std::vector<std::string> args = SplitList(s.operands);
        if (args.size() > m.params.size()) {
            Problem(l, name + " takes " + std::to_string(m.params.size()) + " parameters; " +
                           std::to_string(args.size()) + " given");
            return;
        }
        std::map<std::string, std::string> names;
        for (std::size_t k = 0; k < m.params.size(); ++k)
            names[m.params[k]] = k < args.size() ? args[k] : std::string();
        ++m_calls;
        char number[16];
        std::snprintf(number, sizeof number, "_%04d", m_calls);
        std::vector<bool> isLocalLine(m.body.size());
        for (std::size_t k = 0; k < m.body.size(); ++k) {
            const Statement bs = Parse(m.body[k].text, m_macros);
            if (bs.word != "LOCAL") continue;
            isLocalLine[k] = true;
            // As "$" names they stay inside the section of the label before
            // the call, like the learner's own "$" labels.
            for (const std::string& local : SplitList(bs.operands))
                names[core::UpperTrimmedText(local)] = "$" + core::UpperTrimmedText(local) + number;
        }
        std::vector<StreamLine> body;
        for (std::size_t k = 0; k < m.body.size(); ++k) {
            if (!isLocalLine[k])
                body.push_back({Substitute(m.body[k].text, names), l.origin, m.body[k].written});
        }
        Process(body, depth + 1, name);
    }

    const ExpandOptions& m_options;
    ExpandedSource m_out;
    std::map<std::string, std::optional<long long>> m_names;
    std::map<std::string, Macro> m_macros;
    int m_calls = 0;
    bool m_ended = false;
    bool m_full = false;
};

}  // namespace

bool LineNeedsExpansion(std::string_view line)
{
    auto opens = [](std::string_view w) {
        // Most words are ruled out by their length or first letter; the rest
        // are compared upper-cased against the words of their length. Every
        // source line passes here before assembling starts.
        if (w.size() < 2 || w.size() > 6) return false;
        const char first = core::UpperAscii(w[0]);
        if (first != 'M' && first != 'R' && first != 'I' && first != 'S') return false;
        char upper[6];
        for (std::size_t k = 0; k < w.size(); ++k) upper[k] = core::UpperAscii(w[k]);
        const std::string_view u(upper, w.size());
        static constexpr std::string_view kWords[] = {"MACRO", "REPT", "IF", "IFDEF", "IFNDEF", "SET"};
        return std::find(std::begin(kWords), std::end(kWords), u) != std::end(kWords);
    };
    // Only the first two words count; a comment ends them.
    std::size_t pos = 0;
    auto nextWord = [&]() {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != ';') ++pos;
        return line.substr(start, pos - start);
    };
    std::string_view first = nextWord();
    // A label in column 1 is followed by the word that counts; a directive
    // at the margin counts itself.
    if (!line.empty() && !IsBlank(line[0]) && !opens(first)) first = nextWord();
    return opens(first);
}

bool NeedsExpansion(std::string_view sourceText)
{
    bool found = false;
    core::ForEachLine(sourceText, [&](std::string_view line) {
        if (!found) found = LineNeedsExpansion(line);
    });
    return found;
}

std::string ExpandProblem::Text() const
{
    std::string text = Where(where);
    if (call.line != 0 && !(call == where)) text += " (expanded from " + Where(call) + ")";
    return text + ": " + reason;
}

ExpandOptions ChipExpandOptions(core::ChipModel chip)
{
    ExpandOptions options;
    const SymbolTable symbols(chip);
    for (const auto& [name, address] : symbols.SfrAddresses()) options.names[name] = address;
    return options;
}

ExpandedSource ExpandSource(const std::vector<SourceLine>& lines, const ExpandOptions& options)
{
    return Expander(options).Run(lines);
}

}  // namespace zelo::assembler
