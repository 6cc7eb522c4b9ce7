#include "asm/output_files.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <unordered_set>

#include "asm/symbols.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/text_file.h"
#include "loader/hex_record.h"

namespace zelo::assembler {

namespace {

const std::string kDoubleRule(87, '=');
constexpr const char* kRound1Tail =
    " for Round 1   ---------------------------------------------------";
constexpr const char* kRound2Tail =
    " for Round 2   --------------------------------------------------";

// Print zones are 14 columns wide: pads text to the start of the next zone.
void NextPrintZone(std::string& line)
{
    const std::size_t zone = (line.size() / 14 + 1) * 14;
    line.resize(zone, ' ');
}

constexpr std::string_view kReasonPrefix = "              Reason: ";

std::string ProblemLine(int count, int sourceNumber, const char* tail)
{
    std::string line = " " + std::to_string(count);
    NextPrintZone(line);
    return line + "-------   There is a problem in line" + std::to_string(sourceNumber) + tail;
}

std::string ErrorCountLine(int n, int round)
{
    const std::string r = std::to_string(round);
    if (n <= 1) return "        There is " + std::to_string(n) + " error for Round " + r + ".";
    return "        There are " + std::to_string(n) + " errors for Round " + r + ".";
}

// A listing line is composed in a fixed buffer and appended once: padding
// a std::string field by field costs more than the rest of the line.
class LineBuffer
{
public:
    bool Put(std::string_view text)
    {
        if (m_size + text.size() > sizeof m_chars) return false;
        for (char c : text) m_chars[m_size++] = c;
        return true;
    }
    bool Pad(std::size_t column)
    {
        if (column > sizeof m_chars) return false;
        while (m_size < column) m_chars[m_size++] = ' ';
        return true;
    }
    std::size_t Size() const { return m_size; }
    std::string_view View() const { return {m_chars, m_size}; }

private:
    char m_chars[160];
    std::size_t m_size = 0;
};

// The line number right-aligned in five columns, the address as four
// hexadecimal digits and the three code bytes.
void PutNumberAddressBytes(int number, const AsmLine& line, LineBuffer& out)
{
    char digits[12];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
    const std::size_t length = ec == std::errc{} ? static_cast<std::size_t>(end - digits) : 0;
    out.Pad(5 - std::min<std::size_t>(length, 5));
    out.Put({digits, length});
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint16_t a = line.address;
    // A '+' after the number marks a line of a macro expansion; the number
    // is its call's.
    const char word[] = {line.expansion ? '+' : ' ', kHex[a >> 12], kHex[(a >> 8) & 0xF],
                         kHex[(a >> 4) & 0xF],       kHex[a & 0xF], ' '};
    out.Put({word, sizeof word});
    for (const CodeByte& b : line.bytes) out.Put(std::string_view(ByteChars(b).data(), 2));
    out.Put(" ");
}

// Appends the listing line of a source line (without its line break).
void AppendListingLine(int number, const Assembly& assembly, const AsmLine& line, std::string& out)
{
    const auto kept = assembly.KeptTexts(line);
    std::array<std::string_view, 6> field;  // field[1..5] as the scanner numbers them
    for (int k = 1; k <= 5; ++k) field[k] = kept[k - 1];
    const std::string_view comment = kept[5];
    LineBuffer b;
    PutNumberAddressBytes(number, line, b);
    if (field[1].empty() && field[2].empty()) {
        out += b.View();
        out += comment;
        return;
    }
    // Label in 10 columns, mnemonic in 6, operands joined by commas, the
    // comment from column 50 keeping its ';' so the listing reads back as a
    // module. A line too long for the buffer takes the slow way.
    // A name as long as its column or longer still gets one blank after it:
    // the listing is read back field by field when it is linked as a module.
    const std::size_t start = b.Size();
    const std::size_t labelEnd = start + std::max<std::size_t>(field[1].size() + 1, 10);
    const std::size_t mnemonicEnd = labelEnd + std::max<std::size_t>(field[2].size() + 1, 6);
    bool fits = b.Put(field[1]) && b.Pad(labelEnd) && b.Put(field[2]) && b.Pad(mnemonicEnd);
    bool first = true;
    for (int k = 3; k <= 5 && fits; ++k) {
        if (field[k].empty()) continue;
        if (!first) fits = b.Put(",");
        fits = fits && b.Put(field[k]);
        first = false;
    }
    if (fits) {
        b.Pad(50);
        out += b.View();
    } else {
        const std::size_t lineStart = out.size();
        out += b.View().substr(0, start);
        core::AppendField(field[1], 10, out);
        if (field[1].size() >= 10) out += ' ';
        core::AppendField(field[2], 6, out);
        if (field[2].size() >= 6) out += ' ';
        first = true;
        for (int k = 3; k <= 5; ++k) {
            if (field[k].empty()) continue;
            if (!first) out += ',';
            out += field[k];
            first = false;
        }
        if (out.size() - lineStart < 50) out.append(50 - (out.size() - lineStart), ' ');
    }
    if (!comment.empty()) {
        out += ';';
        out += comment;
    }
}

}  // namespace

namespace {

// Composes the listing in one buffer, a line at a time (a line is about 70
// characters); put() takes the buffer whenever it holds chunk bytes or more,
// and at the end.
void ComposeListing(const Assembly& assembly, std::string_view programName,
                    const ListingClock& clock, std::size_t chunk,
                    const std::function<void(std::string&)>& put)
{
    const std::vector<AsmLine>& lines = assembly.lines;
    std::string text;
    text.reserve(std::min(chunk, 80 * lines.size()) + 256);
    auto endLine = [&] {
        text += "\r\n";
        if (text.size() >= chunk) {
            put(text);
            text.clear();
        }
    };
    text += "                       8051 AsmList  ZELO   " + clock.date + clock.time;
    endLine();
    std::string nameLine = "                       FileName:";
    NextPrintZone(nameLine);
    text += nameLine;
    text += programName;
    text += ".asm";
    endLine();
    text += kDoubleRule;
    endLine();

    // Problems are numbered over every line, header and linked lines
    // included; only the source lines are printed.
    int round1Count = 0;
    int round2Count = 0;
    for (int number = 1; number <= static_cast<int>(lines.size()); ++number) {
        const AsmLine& line = lines[number - 1];
        if (line.round2Error) ++round2Count;
        if (line.round1Error) ++round1Count;
        if (line.library || line.linked || number > assembly.totalLines) continue;

        const int sourceNumber = assembly.SourceNumber(number);
        AppendListingLine(sourceNumber, assembly, line, text);
        endLine();
        if (line.kind == LineKind::Data && core::TrimBlanks(assembly.Field(line, 2)).size() == 2) {
            text.append(28, ' ');
            text += "BYTE:";
            for (const CodeByte& b : assembly.Data(line)) text.append(ByteChars(b).data(), 2);
            endLine();
        }
        if (line.round1Error || line.round2Error) {
            text += line.round1Error ? ProblemLine(round1Count, sourceNumber, kRound1Tail)
                                     : ProblemLine(round2Count, sourceNumber, kRound2Tail);
            endLine();
            // The reason starts with blanks where a code line has its number
            // and address, so readers of the listing pass over it.
            if (const std::string_view reason = assembly.Reason(line); !reason.empty()) {
                text += kReasonPrefix;
                text += reason;
                endLine();
            }
            endLine();
        }
    }
    text += kDoubleRule;
    endLine();
    text += "          Total compiler lines:" + std::to_string(lines.size());
    endLine();
    text += ErrorCountLine(assembly.round1Problems, 1);
    endLine();
    text += ErrorCountLine(assembly.round2Problems, 2);
    endLine();
    if (!text.empty()) put(text);
}

}  // namespace

std::string ListingText(const Assembly& assembly, std::string_view programName,
                        const ListingClock& clock)
{
    std::string listing;
    ComposeListing(assembly, programName, clock, std::string::npos,
                   [&listing](std::string& text) { listing.swap(text); });
    return listing;
}

void PutListing(const Assembly& assembly, std::string_view programName, const ListingClock& clock,
                const std::function<void(std::string_view)>& put)
{
    constexpr std::size_t kChunk = 16 * 1024;
    ComposeListing(assembly, programName, clock, kChunk,
                   [&put](std::string& text) { put(text); });
}

void CountOpcodes(const Assembly& assembly, UsageCounts& counts)
{
    const std::vector<AsmLine>& lines = assembly.lines;
    for (int number = 1; number <= static_cast<int>(lines.size()); ++number) {
        const AsmLine& line = lines[number - 1];
        // Only opcodes that were assembled count: a failed line's "??" is no
        // opcode.
        if (line.library || line.linked || number > assembly.totalLines) continue;
        if (line.kind == LineKind::Instruction && line.length > 0 && !line.round1Error &&
            !line.round2Error)
            ++counts[line.bytes[0].value];
    }
}

HexImage MakeHexImage(const Assembly& assembly)
{
    // Records of up to 16 bytes; a record ends where the addresses stop being
    // contiguous and at every ORG.
    HexImage image;
    // Room for both texts at once: each 16 code bytes make a 45-character
    // record, and the task image reaches the end of the highest code.
    std::size_t codeBytes = 0;
    std::size_t highest = 0;
    for (const AsmLine& line : assembly.lines) {
        const std::size_t n = assembly.Code(line).size();
        codeBytes += n;
        if (n > 0) highest = std::max<std::size_t>(highest, line.address + n);
    }
    image.text.reserve((codeBytes / 16 + 8) * 45);
    // The task image takes the bytes of each record as it is written, so it
    // holds exactly what the HEX file holds; unwritten cells read FF.
    std::string& task = image.task;
    task.reserve(std::min<std::size_t>(highest, 0x10000));
    std::array<uint8_t, 16> pending{};
    std::size_t count = 0;
    uint16_t start = 0;
    bool open = false;
    auto flush = [&] {
        if (open && count > 0) {
            loader::AppendDataRecord(image.text, start, pending.data(), count);
            image.text += "\r\n";
            image.codeEnd = start + static_cast<int>(count);
            const std::size_t last = std::min<std::size_t>(start + count, 0x10000);
            if (last > task.size()) task.resize(last, static_cast<char>(0xFF));
            for (std::size_t k = 0; k < count; ++k) {
                const std::size_t at = (start + k) & 0xFFFF;  // a record may wrap past FFFFH
                if (at >= task.size()) task.resize(at + 1, static_cast<char>(0xFF));
                task[at] = static_cast<char>(pending[k]);
            }
        }
        open = false;
        count = 0;
    };
    auto begin = [&](unsigned address) {
        flush();
        open = true;
        start = static_cast<uint16_t>(address);
    };
    for (const AsmLine& line : assembly.lines) {
        if (line.kind == LineKind::Org && !line.bytes[0].IsError()) {
            begin(line.address);
            continue;
        }
        const std::span<const CodeByte> code = assembly.Code(line);
        if (code.empty()) continue;
        unsigned address = line.address;
        // A line that does not follow the pending bytes starts a new record.
        if (!open || start + count != address) {
            if (!open || count != 0)
                begin(address);
            else
                start = static_cast<uint16_t>(address);
        }
        for (const CodeByte& b : code) {
            if (count == pending.size()) begin(address);
            pending[count++] = b.value;
            ++address;
        }
    }
    flush();
    image.text += loader::kEndOfFileRecord;
    image.text += "\r\n";
    return image;
}

std::vector<std::string> HexImage::Records() const
{
    return core::SplitLines(text);
}

std::vector<core::StepOverRow> StepOverRows(const StepOverTable& table)
{
    std::vector<core::StepOverRow> rows;
    for (const SubroutineEntry& s : table.subroutines) {
        if (static_cast<int>(rows.size()) >= core::kMaxStepOverRows) break;
        uint16_t end = s.address;
        bool found = false;
        for (uint16_t ret : table.returnAddresses) {
            if (ret >= s.address && (!found || ret < end)) {
                end = ret;
                found = true;
            }
        }
        rows.push_back({s.name, s.address, end});
    }
    return rows;
}

StepOverTable BuildStepOverTable(const Assembly& assembly)
{
    StepOverTable table;
    std::unordered_set<std::string, NameHash, std::equal_to<>> called;
    const std::vector<AsmLine>& lines = assembly.lines;
    for (const AsmLine& line : lines) {
        const std::string_view m = core::TrimBlanks(assembly.Field(line, 2));
        if ((core::EqualsNoCase(m, "ACALL") || core::EqualsNoCase(m, "CALL") ||
             core::EqualsNoCase(m, "LCALL")) &&
            static_cast<int>(called.size()) < kMaxCallNames) {
            const core::UpperTrimmed name(assembly.Field(line, 3));
            if (called.find(name.View()) == called.end()) called.emplace(name.View());
        }
        if (line.kind == LineKind::Instruction && line.bytes[0] == CodeByte::Of(0x22))
            table.returnAddresses.push_back(line.address);
    }
    for (int number = assembly.libraryCount + 1; number <= assembly.totalLines; ++number) {
        const AsmLine& line = lines[number - 1];
        const core::UpperTrimmed upper(assembly.Field(line, 1));
        std::string_view label = upper.View();
        if (!label.empty() && label.back() == ':') label.remove_suffix(1);
        if (label.empty() || label[0] == '$') continue;
        if (called.find(label) == called.end()) continue;
        if (static_cast<int>(table.subroutines.size()) >= kMaxSubroutines) break;
        table.subroutines.push_back({std::string(label), line.address});
    }
    return table;
}

std::string CrossCheckText(const Assembly& assembly, std::string_view programName,
                           const std::optional<std::string>& hexText)
{
    const std::string name(programName);
    if (!hexText) return name + ".hex doesn't  exist.";
    std::map<int, std::string> fromHex;
    for (const std::string& l : core::SplitLines(*hexText)) {
        if (l.empty() || l[0] != ':') return l + " has wrong format.";
        const std::string rest = core::UpperTrimmedText(l.substr(1));
        if (rest.size() < 8) continue;
        const int count = core::ParseHexByteValue(rest.substr(0, 2));
        const int address = core::ParseHexWord(rest.substr(2, 4));
        for (int k = 0; k < count && 8 + 2 * k + 2 <= static_cast<int>(rest.size()); ++k)
            fromHex[(address + k) & 0xFFFF] = rest.substr(8 + 2 * k, 2);
    }
    std::map<int, std::string> fromList;
    for (const AsmLine& line : assembly.lines) {
        int address = line.address;
        for (const CodeByte& b : assembly.Code(line)) fromList[(address++) & 0xFFFF] = ByteString(b);
    }
    if (fromHex.size() != fromList.size()) {
        return " ====  The number of code has problem  ===\n" + std::to_string(fromList.size()) +
               "  vs " + std::to_string(fromHex.size());
    }
    std::string problems;
    auto h = fromHex.begin();
    for (auto l = fromList.begin(); l != fromList.end(); ++l, ++h) {
        if (l->first != h->first || l->second != h->second) {
            problems += "The code has a problem: " + core::ToHexWord(l->first) + " " + l->second +
                        " <==> " + core::ToHexWord(h->first) + " " + h->second + "\n";
        }
    }
    if (!problems.empty()) return problems;
    return "          Total Bytes: " + std::to_string(fromList.size()) + "\n" +
           std::string(40, '-') + "\n          The Codes in the " + name + ".lst and " + name +
           ".hex\n" + "           are the same. ";
}

}  // namespace zelo::assembler
