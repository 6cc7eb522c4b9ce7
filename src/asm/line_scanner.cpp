#include "asm/line_scanner.h"

#include <array>
#include <optional>

#include "core/ascii_text.h"

namespace zelo::assembler {

namespace {

// A separator ends one field at `end` and starts the next one at `start`.
struct Separator
{
    std::size_t end;
    std::size_t start;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool LastTwoAre(char a, char b, char first, char second)
{
    return core::UpperAscii(a) == first && core::UpperAscii(b) == second;
}

}  // namespace

void Neglect(LineFields& f, std::string_view text)
{
    for (std::string& field : f.field) field.clear();
    f.fieldCount = 0;
    f.fieldDropped = false;
    f.neglected = true;
    f.comment.assign(text);
}

std::string UpperOutsideQuotes(std::string_view text)
{
    std::string out;
    AssignUpperOutsideQuotes(text, out);
    return out;
}

void AssignUpperOutsideQuotes(std::string_view text, std::string& out)
{
    out.assign(text);
    char quote = 0;
    for (char& c : out) {
        if (quote != 0) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        c = core::UpperAscii(c);
    }
}

void CleanField(std::string& field)
{
    if (field.empty()) return;
    if (field.size() != 4 || field != "#' '") {
        std::size_t pos = field.size();
        while (pos > 0 && !IsBlank(field[pos - 1])) --pos;
        if (pos > 0) field.erase(0, pos);
    }
    if (!field.empty() && field.back() == '\r') field.pop_back();
}

LineFields ScanLine(std::string_view text, bool& endSeen)
{
    LineFields f;
    ScanLineInto(text, endSeen, f);
    return f;
}

namespace {

// The separators of a line, in a fixed store: room for every separator the
// walk records (the data-list stop adds one past the limit).
class Separators
{
public:
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    void push_back(Separator s) { m_store[m_count++] = s; }
    Separator& back() { return m_store[m_count - 1]; }
    const Separator& operator[](std::size_t k) const { return m_store[k]; }

private:
    std::array<Separator, kMaxSeparators + 2> m_store;
    std::size_t m_count = 0;
};

// The last two characters of the tokens walked so far, to recognise DB and
// DW before the data list.
class LastTwo
{
public:
    void Push(char c)
    {
        m_before = m_last;
        m_last = c;
    }
    bool Are(char first, char second) const { return LastTwoAre(m_before, m_last, first, second); }

private:
    char m_before = 0;
    char m_last = 0;
};

// Step 1: the comment after the first ';' and the statement before it.
// Nothing when the whole line is neglected: a comment line or a blank one.
struct BodyAndComment
{
    std::string_view body;
    std::string_view comment;
};
std::optional<BodyAndComment> SplitComment(std::string_view text)
{
    BodyAndComment parts{text, {}};
    const auto semicolon = text.find(';');
    if (semicolon == 0) return std::nullopt;
    if (semicolon != std::string_view::npos) {
        parts.comment = core::TrimBlanks(text.substr(semicolon + 1));
        if (!parts.comment.empty() && parts.comment.back() == '\r') parts.comment.remove_suffix(1);
        parts.body = text.substr(0, semicolon);
    }
    if (core::TrimBlanks(parts.body).empty() || parts.body == "\r") return std::nullopt;
    return parts;
}

// Step 2: where the fields end and start. Commas, blanks and TABs separate
// alike; after DB or DW as the first or second token the rest of the line is
// one field (the data list), and so is everything from a quote after DB.
// leadingBlank tells a statement without a label.
struct Cuts
{
    Separators separators;
    bool leadingBlank = false;
};
void FindSeparators(std::string_view body, Cuts& cuts)
{
    Separators& seps = cuts.separators;
    bool inToken = false;
    LastTwo last;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == ',') {
            if (inToken) {
                inToken = false;
                if (seps.size() < kMaxSeparators) seps.push_back({i, i + 1});
            }
        } else if (IsBlank(c)) {
            if (seps.size() <= 1 && (last.Are('D', 'B') || last.Are('D', 'W'))) {
                seps.push_back({i, i + 1});
                return;
            }
            if (i == 0) cuts.leadingBlank = true;
            if (inToken) {
                inToken = false;
                if (seps.size() < kMaxSeparators) seps.push_back({i, i + 1});
            }
        } else if (c == '\'') {
            if (last.Are('D', 'B')) {
                if (inToken) {
                    seps.push_back({i, i});
                } else if (!seps.empty()) {
                    seps.back().start = i;
                }
                return;
            }
        } else {
            inToken = true;
            last.Push(c);
        }
    }
}

// Step 3: the pieces between the separators, trimmed, as views. The pieces
// end at the first empty one; at most five are kept. separators counts the
// separators before the pieces kept; lastPiece is the index of the line's
// final piece when it is kept (it keeps its case).
struct Pieces
{
    std::array<std::string_view, 5> text;
    std::size_t size = 0;
    std::size_t lastPiece = 5;
    int separators = 0;
};
Pieces CutPieces(std::string_view body, const Separators& seps)
{
    Pieces p;
    const std::size_t pieceCount = seps.size() + 1;
    p.separators = static_cast<int>(seps.size());
    std::size_t count = 0;
    for (std::size_t k = 0; k < pieceCount; ++k) {
        const std::size_t from = k == 0 ? 0 : seps[k - 1].start;
        const std::size_t to = k < seps.size() ? seps[k].end : body.size();
        std::string_view text = body.substr(from, to - from);
        if (!seps.empty()) {
            text = core::TrimBlanks(text);
            if (!text.empty() && text.back() == '\r') text = core::TrimBlanks(text.substr(0, text.size() - 1));
        }
        if (text.empty()) {
            p.separators = static_cast<int>(count) - 1;
            break;
        }
        ++count;
        if (p.size < p.text.size()) {
            if (k + 1 == pieceCount) p.lastPiece = p.size;
            p.text[p.size++] = text;
        }
    }
    if (p.separators < 0) p.separators = 0;
    return p;
}

// Step 4: the pieces into fields 1..5 (a statement without a label starts
// at field 2). Pieces other than the line's last are upper-cased outside
// quotes. An operand written with blanks around ".MOD." or "/" is one
// operand.
void PlaceFields(const Pieces& p, bool leadingBlank, LineFields& f)
{
    auto write = [&](std::size_t k, std::string& out) {
        if (k == p.lastPiece)
            out.assign(p.text[k]);
        else
            AssignUpperOutsideQuotes(p.text[k], out);
    };
    const bool joined =
        p.separators == 4 && p.size >= 5 && (core::EqualsNoCase(p.text[3], ".MOD.") || p.text[3] == "/");
    f.fieldCount = p.separators + 1;
    const std::size_t shift = leadingBlank ? 1 : 0;
    f.fieldDropped = !joined && static_cast<std::size_t>(f.fieldCount) + shift > 5;
    for (std::size_t k = 0; k < p.size && k + 1 + shift <= 5; ++k) {
        std::string& out = f.field[k + 1 + shift];
        if (joined && k >= 3) continue;  // taken into the operand before
        write(k, out);
        if (joined && k == 2) {
            std::string rest;
            write(3, rest);
            out += rest;
            write(4, rest);
            out += rest;
        }
    }
}

// Step 5: the blank character constant "#' '", cut at its blank, made whole.
void MendBlankConstant(LineFields& f)
{
    if (f.field[5] == "'" && f.field[4] == "#'") {
        f.field[4] = "#' '";
        f.field[5].clear();
    }
}

// Step 6: each field keeps only its text after the last blank; the data
// list of DB and DW is kept whole.
void CleanFields(LineFields& f)
{
    for (int k : {1, 2, 4, 5}) {
        if (!f.field[k].empty()) CleanField(f.field[k]);
    }
    if (!f.field[3].empty() && f.field[2] != "DB" && f.field[2] != "DW") CleanField(f.field[3]);
}

}  // namespace

void ScanLineInto(std::string_view text, bool& endSeen, LineFields& f)
{
    f.fieldCount = 0;
    f.fieldDropped = false;
    f.neglected = false;
    f.comment.clear();
    for (std::string& field : f.field) field.clear();
    if (endSeen) {
        Neglect(f, text);
        return;
    }
    const std::optional<BodyAndComment> parts = SplitComment(text);
    if (!parts) {
        Neglect(f, text);
        return;
    }
    Cuts cuts;
    FindSeparators(parts->body, cuts);
    f.comment.assign(parts->comment);
    PlaceFields(CutPieces(parts->body, cuts.separators), cuts.leadingBlank, f);
    MendBlankConstant(f);
    // END ends the program: this line and every line after it are neglected.
    if (core::EqualsNoCase(core::TrimBlanks(f.field[2]), "END")) {
        endSeen = true;
        Neglect(f, text);
        return;
    }
    CleanFields(f);
}

}  // namespace zelo::assembler
