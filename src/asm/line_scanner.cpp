#include "asm/line_scanner.h"

#include <array>
#include <vector>

#include "core/byte_text.h"

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

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool LastTwoAre(char a, char b, char first, char second)
{
    return UpperAscii(a) == first && UpperAscii(b) == second;
}

LineFields Neglect(std::string_view text)
{
    LineFields f;
    f.neglected = true;
    f.comment = std::string(text);
    return f;
}

}  // namespace

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
        c = UpperAscii(c);
    }
}

void CleanField(std::string& field)
{
    if (field != "#' '") {
        std::size_t pos = field.size();
        while (pos > 0 && !IsBlank(field[pos - 1])) --pos;
        if (pos > 0) field.erase(0, pos);
    }
    if (!field.empty() && field.back() == '\r') field.pop_back();
}

std::string LineProgressText(int total, int current, bool neglected)
{
    std::string text = "AsmFile has " + std::to_string(total) + " lines  ==> This is line " +
                       std::to_string(current);
    if (neglected) text += ".       This Line is Neglected";
    return text;
}

LineFields ScanLine(std::string_view text, bool& endSeen)
{
    if (endSeen) return Neglect(text);

    std::string_view comment;
    std::string_view body = text;
    const auto semicolon = text.find(';');
    if (semicolon == 0) return Neglect(text);
    if (semicolon != std::string_view::npos) {
        comment = core::TrimBlanks(text.substr(semicolon + 1));
        if (!comment.empty() && comment.back() == '\r') comment.remove_suffix(1);
        body = text.substr(0, semicolon);
    }
    if (core::TrimBlanks(body).empty() || body == "\r") return Neglect(text);

    // Room for every separator the walk may record (the data-list stop adds one).
    std::array<Separator, kMaxSeparators + 2> sepStore;
    std::size_t sepCount = 0;
    struct
    {
        std::array<Separator, kMaxSeparators + 2>& store;
        std::size_t& count;
        std::size_t size() const { return count; }
        bool empty() const { return count == 0; }
        void push_back(Separator s) { store[count++] = s; }
        Separator& back() { return store[count - 1]; }
        const Separator* begin() const { return store.data(); }
        const Separator* end() const { return store.data() + count; }
    } seps{sepStore, sepCount};
    bool inToken = false;
    bool leadingBlank = false;
    char last1 = 0;  // the character before last2
    char last2 = 0;
    bool stopped = false;
    for (std::size_t i = 0; i < body.size() && !stopped; ++i) {
        const char c = body[i];
        if (c == ',') {
            if (inToken) {
                inToken = false;
                if (seps.size() < kMaxSeparators) seps.push_back({i, i + 1});
            }
        } else if (IsBlank(c)) {
            if (seps.size() <= 1 &&
                (LastTwoAre(last1, last2, 'D', 'B') || LastTwoAre(last1, last2, 'D', 'W'))) {
                seps.push_back({i, i + 1});
                stopped = true;
                break;
            }
            if (i == 0) leadingBlank = true;
            if (inToken) {
                inToken = false;
                if (seps.size() < kMaxSeparators) seps.push_back({i, i + 1});
            }
        } else if (c == '\'') {
            if (LastTwoAre(last1, last2, 'D', 'B')) {
                if (inToken) {
                    seps.push_back({i, i});
                } else if (!seps.empty()) {
                    seps.back().start = i;
                }
                stopped = true;
            }
        } else {
            inToken = true;
            last1 = last2;
            last2 = c;
        }
    }

    LineFields f;
    f.comment.assign(comment);
    const std::size_t pieceCount = seps.size() + 1;
    auto piece = [&](std::size_t k) -> std::string_view {
        const std::size_t from = k == 0 ? 0 : sepStore[k - 1].start;
        const std::size_t to = k < seps.size() ? sepStore[k].end : body.size();
        return body.substr(from, to - from);
    };
    int separators = static_cast<int>(seps.size());
    // At most five fields are kept; a fixed array spares the allocation of a
    // list per line.
    std::array<std::string, 5> cut;
    std::size_t cutSize = 0;
    std::size_t cutCount = 0;
    for (std::size_t k = 0; k < pieceCount; ++k) {
        std::string_view text = seps.empty() ? piece(k) : core::TrimBlanks(piece(k));
        if (!seps.empty() && !text.empty() && text.back() == '\r')
            text = core::TrimBlanks(text.substr(0, text.size() - 1));
        if (text.empty()) {
            separators = static_cast<int>(cutCount) - 1;
            break;
        }
        ++cutCount;
        if (cutSize < cut.size()) {
            const bool lastField = k + 1 == pieceCount;
            if (lastField)
                cut[cutSize].assign(text);
            else
                AssignUpperOutsideQuotes(text, cut[cutSize]);
            ++cutSize;
        }
    }
    if (separators < 0) separators = 0;

    // An operand written with blanks around ".MOD." or "/" is one operand.
    if (separators == 4 && cutSize >= 5 && (cut[3] == ".MOD." || cut[3] == "/")) {
        cut[2] += cut[3];
        cut[2] += cut[4];
        cut[3].clear();
        cut[4].clear();
    }
    f.fieldCount = separators + 1;

    const std::size_t shift = leadingBlank ? 1 : 0;
    for (std::size_t k = 0; k < cutSize && k + 1 + shift <= 5; ++k)
        f.field[k + 1 + shift] = std::move(cut[k]);

    // The blank character constant.
    if (f.field[5] == "'" && f.field[4] == "#'") {
        f.field[4] = "#' '";
        f.field[5].clear();
    }

    if (core::EqualsNoCase(core::TrimBlanks(f.field[2]), "END")) {
        endSeen = true;
        return Neglect(text);
    }

    for (int k : {1, 2, 4, 5}) CleanField(f.field[k]);
    if (f.field[2] != "DB" && f.field[2] != "DW") CleanField(f.field[3]);
    return f;
}

}  // namespace zelo::assembler
