#include "asm/line_scanner.h"

#include <array>
#include <vector>

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

// The whole line becomes the comment of a neglected line.
void Neglect(LineFields& f, std::string_view text)
{
    for (std::string& field : f.field) field.clear();
    f.fieldCount = 0;
    f.neglected = true;
    f.comment.assign(text);
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

std::string LineProgressText(int total, int current, bool neglected)
{
    std::string text = "AsmFile has " + std::to_string(total) + " lines  ==> This is line " +
                       std::to_string(current);
    if (neglected) text += ".       This Line is Neglected";
    return text;
}

LineFields ScanLine(std::string_view text, bool& endSeen)
{
    LineFields f;
    ScanLineInto(text, endSeen, f);
    return f;
}

void ScanLineInto(std::string_view text, bool& endSeen, LineFields& f)
{
    f.fieldCount = 0;
    f.neglected = false;
    f.comment.clear();
    for (std::string& field : f.field) field.clear();
    if (endSeen) {
        Neglect(f, text);
        return;
    }

    std::string_view comment;
    std::string_view body = text;
    const auto semicolon = text.find(';');
    if (semicolon == 0) {
        Neglect(f, text);
        return;
    }
    if (semicolon != std::string_view::npos) {
        comment = core::TrimBlanks(text.substr(semicolon + 1));
        if (!comment.empty() && comment.back() == '\r') comment.remove_suffix(1);
        body = text.substr(0, semicolon);
    }
    if (core::TrimBlanks(body).empty() || body == "\r") {
        Neglect(f, text);
        return;
    }

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

    f.comment.assign(comment);
    const std::size_t pieceCount = seps.size() + 1;
    auto piece = [&](std::size_t k) -> std::string_view {
        const std::size_t from = k == 0 ? 0 : sepStore[k - 1].start;
        const std::size_t to = k < seps.size() ? sepStore[k].end : body.size();
        return body.substr(from, to - from);
    };
    int separators = static_cast<int>(seps.size());
    // At most five pieces are kept, as views; the last piece of the line
    // keeps its case, the others are upper-cased outside quotes.
    std::array<std::string_view, 5> cut;
    std::size_t cutSize = 0;
    std::size_t cutCount = 0;
    std::size_t lastPiece = cut.size();
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
            if (k + 1 == pieceCount) lastPiece = cutSize;
            cut[cutSize++] = text;
        }
    }
    if (separators < 0) separators = 0;
    auto write = [&](std::size_t k, std::string& out) {
        if (k == lastPiece)
            out.assign(cut[k]);
        else
            AssignUpperOutsideQuotes(cut[k], out);
    };

    // An operand written with blanks around ".MOD." or "/" is one operand.
    const bool joined = separators == 4 && cutSize >= 5 &&
                        (core::EqualsNoCase(cut[3], ".MOD.") || cut[3] == "/");
    f.fieldCount = separators + 1;

    const std::size_t shift = leadingBlank ? 1 : 0;
    for (std::size_t k = 0; k < cutSize && k + 1 + shift <= 5; ++k) {
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

    // The blank character constant.
    if (f.field[5] == "'" && f.field[4] == "#'") {
        f.field[4] = "#' '";
        f.field[5].clear();
    }

    if (core::EqualsNoCase(core::TrimBlanks(f.field[2]), "END")) {
        endSeen = true;
        Neglect(f, text);
        return;
    }

    for (int k : {1, 2, 4, 5}) {
        if (!f.field[k].empty()) CleanField(f.field[k]);
    }
    if (!f.field[3].empty() && f.field[2] != "DB" && f.field[2] != "DW") CleanField(f.field[3]);
}

}  // namespace zelo::assembler
