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

int PairValue(std::string_view text, std::size_t at)
{
    return 16 * HexDigitAnyCase(text[at]) + HexDigitAnyCase(text[at + 1]);
}

// Step 5 of both loads: store the records of the store's lines in order.
// Returns the problem that stopped it, if any.
HexLoadResult StoreRecords(CpuState& cpu, HexLoaderState& state, std::vector<uint8_t>* mark)
{
    HexLoadResult result;
    result.recordsStored = true;
    const int count = state.store.Count();
    result.lineCount = count;
    for (int i = 1; i <= count; ++i) {
        const std::string& line = state.store.lines[static_cast<std::size_t>(i - 1)];
        const HexRecord record = ParseHexRecord(line);
        if (record.problem != HexLoadProblem::None) {
            result.problem = record.problem;
            result.problemLine = i;
            result.recordType = record.type;
            if (record.type == 2 || record.type == 4) result.recordBase = core::ToUpperAscii(record.data);
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
    return result;
}

// Keeps the name and the line the viewer move of ReadHexLines showed.
void MergeViewer(const HexLoadResult& viewer, HexLoadResult& result)
{
    result.fileName = viewer.fileName;
    result.viewer = viewer.viewer;
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
    result.fileName = std::string(fileName);
    store.lines.clear();
    store.currentLine = 0;
    const auto path = FindFileIgnoringCase(folder, fileName);
    std::error_code sizeError;
    if (path && fs::file_size(*path, sizeError) > kMaxHexFileBytes && !sizeError) {
        result.problem = HexLoadProblem::TooLarge;
        return result;
    }
    std::optional<std::string> text;
    if (path) text = core::ReadTextFile(*path);
    if (!text) {
        result.problem = HexLoadProblem::MissingFile;
        return result;
    }
    std::vector<std::string> lines = core::SplitLines(*text);
    if (lines.size() > static_cast<std::size_t>(kMaxHexLines)) {
        result.problem = HexLoadProblem::TooManyLines;
        result.lineCount = static_cast<int>(lines.size());
        return result;
    }
    store.lines = std::move(lines);
    result.lineCount = store.Count();

    const int last = std::min(LeadingNumber(hexToLineText), store.Count());
    if (last > 0) {
        store.currentLine = last;
        result.viewer = ShowHexLine(store).viewer;
    }
    return result;
}

HexLoadResult ShowHexLine(const HexLineStore& store)
{
    HexLoadResult result;
    result.lineCount = store.Count();
    const int k = store.currentLine;
    if (k < 1 || k > store.Count()) return result;
    const std::string& line = store.lines[static_cast<std::size_t>(k - 1)];
    result.viewer = HexViewerLine{k, line};
    if (line.empty() || line[0] != ':') {
        result.problem = HexLoadProblem::WrongFormat;
        result.problemLine = k;
    }
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
    result.fileName = fileName;
    if (fileName.empty() || !FindFileIgnoringCase(folder, fileName)) {
        result.problem = HexLoadProblem::NoProgram;
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

}  // namespace zelo::loader
