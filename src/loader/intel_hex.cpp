#include "loader/intel_hex.h"

#include <algorithm>
#include <system_error>

#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/text_file.h"

namespace zelo::loader {

namespace fs = std::filesystem;
using core::CpuState;
using core::HexCell;
using core::HexDigitAnyCase;

namespace {

constexpr int kRomRowCount = 256;

std::string LinePrefix(int count, int line)
{
    return "HexFile has " + std::to_string(count) + " lines  ==>  Line" + std::to_string(line);
}

int PairValue(std::string_view text, std::size_t at)
{
    return 16 * HexDigitAnyCase(text[at]) + HexDigitAnyCase(text[at + 1]);
}

std::string ProblemCaption(const HexRecord& record, int count, int line)
{
    const std::string prefix = LinePrefix(count, line);
    switch (record.problem) {
        case HexLoadProblem::WrongChecksum: return prefix + " has wrong checksum";
        case HexLoadProblem::PastEnd: return prefix + " reaches past FFFFH";
        case HexLoadProblem::UnsupportedType: {
            std::string caption = prefix + " has unsupported record type " + core::ToHexByte(record.type);
            if (record.type == 2 || record.type == 4) caption += " with base " + core::ToUpperAscii(record.data);
            return caption;
        }
        default: break;
    }
    return prefix + " has wrong format";
}

// Step 5 of both loads: store the records of the store's lines in order.
// Returns the problem that stopped it, if any.
HexLoadResult StoreRecords(CpuState& cpu, HexLoaderState& state, std::vector<uint8_t>* mark)
{
    HexLoadResult result;
    const int count = state.store.Count();
    for (int i = 1; i <= count; ++i) {
        const std::string& line = state.store.lines[static_cast<std::size_t>(i - 1)];
        const HexRecord record = ParseHexRecord(line);
        if (record.problem != HexLoadProblem::None) {
            result.problem = record.problem;
            result.problemLine = i;
            result.hexFileCaption = ProblemCaption(record, count, i);
            return result;
        }
        if (record.type == 1) {  // end of file: what follows is not read
            result.endRecord = true;
            break;
        }
        if (record.type != 0 || record.count == 0) continue;
        result.bytesLoaded += record.count;
        for (int j = 0; j < record.count; ++j) {
            const std::size_t at = static_cast<std::size_t>(2 * j);
            const char text[2] = {record.data[at], record.data[at + 1]};
            const int address = record.address + j;
            cpu.codeMemory[static_cast<std::size_t>(address)] =
                HexCell::FromText(core::ToUpperAscii(std::string_view(text, 2)));
            if (mark) (*mark)[static_cast<std::size_t>(address)] = 1;
        }
        state.codeEnd = record.address + record.count;
    }
    // A file that loads nothing, or that was cut before its end record,
    // says so: the window would otherwise show an empty or partial program
    // as a good load.
    if (result.bytesLoaded == 0) {
        result.hexFileCaption = "HexFile has " + std::to_string(count) +
                                " lines  ==>  0 bytes loaded: " +
                                (result.endRecord ? "only the end record" : "no records");
    } else if (!result.endRecord) {
        result.hexFileCaption = "HexFile has " + std::to_string(count) +
                                " lines  ==>  no end record; " +
                                std::to_string(result.bytesLoaded) + " bytes loaded";
    }
    return result;
}

// Keeps what the viewer move of ReadHexLines produced unless the store left
// its own caption.
void MergeViewer(const HexLoadResult& viewer, HexLoadResult& result)
{
    if (!result.hexFileCaption) result.hexFileCaption = viewer.hexFileCaption;
    if (!result.hexText) result.hexText = viewer.hexText;
}

}  // namespace

int LeadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = 10 * value + (text[i] - '0');
        if (value > 1'000'000) value = 1'000'000;  // far beyond any line count
    }
    return static_cast<int>(value);
}

HexRecord ParseHexRecord(std::string_view line)
{
    HexRecord record;
    record.problem = HexLoadProblem::WrongFormat;
    if (line.empty() || line[0] != ':') return record;
    std::string_view rest = line.substr(1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
    if (rest.size() < 10 || rest.size() % 2 != 0) return record;
    for (char c : rest) {
        if (HexDigitAnyCase(c) < 0) return record;
    }
    record.count = PairValue(rest, 0);
    if (rest.size() != 10 + 2 * static_cast<std::size_t>(record.count)) return record;
    record.address = 256 * PairValue(rest, 2) + PairValue(rest, 4);
    record.type = PairValue(rest, 6);
    record.data = rest.substr(8, 2 * static_cast<std::size_t>(record.count));

    int sum = 0;
    for (std::size_t at = 0; at < rest.size(); at += 2) sum += PairValue(rest, at);
    if (sum % 256 != 0) {
        record.problem = HexLoadProblem::WrongChecksum;
        return record;
    }
    switch (record.type) {
        case 0:
            record.problem = record.address + record.count > 0x10000 ? HexLoadProblem::PastEnd
                                                                     : HexLoadProblem::None;
            break;
        case 1: record.problem = HexLoadProblem::None; break;
        case 2:
        case 4:
            // An extended address of zero changes nothing; any other base would
            // move the following records beyond the 64 KB of code memory.
            record.problem = record.count == 2 && PairValue(record.data, 0) == 0 && PairValue(record.data, 2) == 0
                                 ? HexLoadProblem::None
                                 : HexLoadProblem::UnsupportedType;
            break;
        default: record.problem = HexLoadProblem::UnsupportedType; break;
    }
    return record;
}

std::optional<fs::path> FindFileIgnoringCase(const fs::path& folder, std::string_view fileName)
{
    std::error_code ec;
    const fs::path exact = folder / fs::path(std::string(fileName));
    if (fs::is_regular_file(exact, ec)) return exact;
    const std::string wanted = core::ToUpperAscii(fileName);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        if (core::ToUpperAscii(it->path().filename().string()) == wanted) return it->path();
    }
    return std::nullopt;
}

HexLoadResult ReadHexLines(const fs::path& folder, std::string_view fileName, HexLineStore& store,
                           std::string_view hexToLineText)
{
    HexLoadResult result;
    store.lines.clear();
    store.currentLine = 0;
    const auto path = FindFileIgnoringCase(folder, fileName);
    std::error_code sizeError;
    if (path && fs::file_size(*path, sizeError) > kMaxHexFileBytes && !sizeError) {
        result.problem = HexLoadProblem::TooLarge;
        result.hexFileCaption = std::string(fileName) + " is larger than " + std::to_string(kMaxHexLines) +
                                " lines of HEX records and cannot be loaded";
        return result;
    }
    std::optional<std::string> text;
    if (path) text = core::ReadTextFile(*path);
    if (!text) {
        result.problem = HexLoadProblem::MissingFile;
        result.hexFileCaption = std::string(fileName) + " doesn't  exist.";
        return result;
    }
    std::vector<std::string> lines = core::SplitLines(*text);
    if (lines.size() > static_cast<std::size_t>(kMaxHexLines)) {
        result.problem = HexLoadProblem::TooManyLines;
        result.hexFileCaption = "HexFile has " + std::to_string(lines.size()) + " lines  ==>  more than " +
                                std::to_string(kMaxHexLines) + " lines cannot be loaded";
        return result;
    }
    store.lines = std::move(lines);

    const int last = std::min(LeadingNumber(hexToLineText), store.Count());
    for (int k = 1; k <= last; ++k) {
        store.currentLine = k;
        const HexLoadResult shown = ShowHexLine(store);
        if (shown.hexFileCaption) result.hexFileCaption = shown.hexFileCaption;
        if (shown.hexText) result.hexText = shown.hexText;
    }
    return result;
}

HexLoadResult ShowHexLine(const HexLineStore& store)
{
    HexLoadResult result;
    const int k = store.currentLine;
    if (k < 1 || k > store.Count()) return result;
    const std::string& line = store.lines[static_cast<std::size_t>(k - 1)];
    if (line.empty() || line[0] != ':') {
        result.problem = HexLoadProblem::WrongFormat;
        result.problemLine = k;
        result.hexFileCaption = LinePrefix(store.Count(), k) + " has wrong format";
        return result;
    }
    const std::string_view r = std::string_view(line).substr(1);
    // Mid$-like pieces: 1-based start, clipped to the line.
    auto mid = [&r](std::size_t start, std::size_t length) {
        return start - 1 >= r.size() ? std::string_view() : r.substr(start - 1, length);
    };
    const std::size_t n = static_cast<std::size_t>(core::ParseHexByteValue(core::ToUpperAscii(mid(1, 2))));
    std::string text = ":  ";
    text += mid(1, 2);
    text += "  ";
    text += mid(3, 4);
    text += "   ";
    text += mid(7, 2);
    text += "   ";
    text += mid(9, 2 * n);
    text += "   ";
    text += mid(9 + 2 * n, 2);
    result.hexText = std::move(text);

    unsigned sum = 0;
    for (std::size_t at = 0; at + 1 < r.size(); at += 2) {
        const int hi = HexDigitAnyCase(r[at]);
        const int lo = HexDigitAnyCase(r[at + 1]);
        sum += static_cast<unsigned>(16 * (hi < 0 ? 0 : hi) + (lo < 0 ? 0 : lo));
    }
    result.hexFileCaption = LinePrefix(store.Count(), k) + "    CheckSum=" + core::ToHexWord(sum);
    return result;
}

HexLoadResult ReadHexIntoCodeMemory(const fs::path& folder, const HexFileChoice& choice, CpuState& cpu,
                                    HexLoaderState& state, std::string_view hexToLineText)
{
    std::string fileName;
    std::string programName;
    if (choice.hexFromProgram) {
        programName = state.programName;
        fileName = programName + ".hex";
    } else {
        fileName = choice.selectedFile;
        programName = fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
    }
    HexLoadResult result;
    if (fileName.empty() || !FindFileIgnoringCase(folder, fileName)) {
        result.problem = HexLoadProblem::MissingFile;
        result.asmFileCaption = "AsmFile : No file exist";
        return result;
    }
    state.programName = programName;

    // A new program starts on a clean memory: nothing of the previous one
    // stays readable or executable anywhere in the 64 KB.
    cpu.FillExternal(HexCell::Unloaded());
    const HexLoadResult viewer = ReadHexLines(folder, fileName, state.store, hexToLineText);
    state.codeEnd = -1;
    cpu.FillCode(HexCell::Unloaded());
    if (!viewer.Ok()) return viewer;

    result = StoreRecords(cpu, state, nullptr);
    MergeViewer(viewer, result);
    if (result.Ok()) result.romRows = RomRows(cpu);
    return result;
}

HexLoadResult ReadHexForDisassembly(const fs::path& folder, std::string_view fileName, CpuState& cpu,
                                    HexLoaderState& state, std::string_view hexToLineText)
{
    const std::string name(fileName);
    state.disassemblyName = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    const HexLoadResult viewer = ReadHexLines(folder, fileName, state.store, hexToLineText);
    state.codeEnd = -1;
    cpu.FillCode(HexCell{'F', 'F'});

    HexLoadResult result;
    std::vector<uint8_t> mark(core::kMemoryCells, 0);
    if (viewer.Ok()) {
        result = StoreRecords(cpu, state, &mark);
        MergeViewer(viewer, result);
    } else {
        result = viewer;
    }
    result.loadedMark = std::move(mark);
    return result;
}

std::vector<std::string> RomRows(const CpuState& cpu)
{
    std::vector<std::string> rows;
    rows.reserve(kRomRowCount);
    for (int r = 0; r < kRomRowCount; ++r) {
        std::string row = core::ToHexWord(static_cast<unsigned>(16 * r));
        row += ' ';
        for (int c = 0; c < 16; ++c) {
            row += ' ';
            row += cpu.codeMemory[static_cast<std::size_t>(16 * r + c)].Text();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace zelo::loader
