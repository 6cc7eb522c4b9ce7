// The HEX reader and the record viewer on hostile files. The input is either
// taken as the file's bytes, or (first byte odd) read as a list of records
// that are written with correct checksums, so the fuzzer reaches the
// storing code as often as the checks.
//
// Invariants: every viewer line decodes without touching memory outside the
// line; a load that fails names a line whose record is bad and every record
// before it is good; a load that succeeds stores exactly what the records
// say, cell by cell, with the same CodeEnd; its image written back as records
// loads to the same image; the disassembly load agrees with the simulation
// load on every cell a record wrote and leaves FF elsewhere.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/load_texts.h"
#include "core/text_file.h"
#include "fuzz_check.h"
#include "fuzz_temp_folder.h"
#include "loader/hex_record.h"
#include "loader/intel_hex.h"

using namespace zelo;
using namespace zelo::loader;
namespace fs = std::filesystem;

namespace {

const fs::path& Folder() { return fuzz::TempFolder(); }

void WriteFile(const std::string& bytes) { fuzz::WriteTempFile(Folder() / "F.hex", bytes); }

std::string HexPair(unsigned v)
{
    static const char* digits = "0123456789ABCDEF";
    return {digits[(v >> 4) & 15], digits[v & 15]};
}

// Records from the fuzz bytes: kind, count, address high, address low, data.
std::string GenerateRecords(const uint8_t* data, size_t size)
{
    std::string file;
    size_t i = 0;
    while (i + 4 <= size) {
        const uint8_t kind = data[i];
        const int count = data[i + 1] % 24;
        const unsigned address = static_cast<unsigned>(data[i + 2] << 8 | data[i + 3]);
        i += 4;
        std::string record;
        int type = 0;
        switch (kind % 10) {
            case 7: type = 1; break;
            case 8: type = (kind & 0x10) ? 2 : 4; break;
            case 9: type = kind >> 4; break;
            default: break;
        }
        record = HexPair(static_cast<unsigned>(count)) + HexPair(address >> 8) + HexPair(address & 0xFF) +
                 HexPair(static_cast<unsigned>(type));
        for (int k = 0; k < count; ++k) record += HexPair(i < size ? data[i++] : 0);
        AppendHexChecksum(record);
        if (kind & 0x20) {
            for (char& c : record)
                if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        }
        if ((kind & 0xC0) == 0xC0) record.pop_back();  // an odd length
        file += ":" + record + ((kind & 0x08) ? "\n" : "\r\n");
    }
    return file;
}

ZELO_FUZZ_NO_COVERAGE bool ValidLoadedCell(const core::HexCell& cell)
{
    auto upperHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    return cell.IsUnloaded() || (upperHex(cell.hi) && upperHex(cell.lo));
}

ZELO_FUZZ_NO_COVERAGE bool AllCellsValid(const core::CpuState& cpu)
{
    for (const auto& cell : cpu.codeMemory)
        if (!ValidLoadedCell(cell)) return false;
    return true;
}

// -1 when cpu holds the model (a value, or "xx" where no record wrote);
// otherwise the first address that differs.
ZELO_FUZZ_NO_COVERAGE int ModelMismatch(const std::vector<int>& model, const core::CpuState& cpu)
{
    for (int a = 0; a < 0x10000; ++a) {
        const auto& cell = cpu.codeMemory[static_cast<size_t>(a)];
        const bool same = model[a] < 0 ? cell.IsUnloaded() : cell == core::HexCell::FromValue(static_cast<unsigned>(model[a]));
        if (!same) return a;
    }
    return -1;
}

// The disassembly load: marks exactly where the model has bytes, the same
// bytes as the simulation load there and FF elsewhere.
ZELO_FUZZ_NO_COVERAGE bool DisassemblyAgrees(const std::vector<int>& model, const core::CpuState& cpu,
                                             const core::CpuState& dis, const std::vector<uint8_t>& mark)
{
    for (int a = 0; a < 0x10000; ++a) {
        const auto at = static_cast<size_t>(a);
        if (mark[at] != (model[a] >= 0 ? 1 : 0)) return false;
        const core::HexCell expected = model[a] >= 0 ? cpu.codeMemory[at] : core::HexCell{'F', 'F'};
        if (!(dis.codeMemory[at] == expected)) return false;
    }
    return true;
}

// The model's bytes as 16-byte data records and the end record.
ZELO_FUZZ_NO_COVERAGE std::vector<std::string> RecordsOf(const std::vector<int>& model)
{
    std::vector<std::string> records;
    for (int a = 0; a < 0x10000;) {
        if (model[a] < 0) {
            ++a;
            continue;
        }
        std::vector<uint8_t> bytes;
        const int first = a;
        while (a < 0x10000 && model[a] >= 0 && bytes.size() < 16) bytes.push_back(static_cast<uint8_t>(model[a++]));
        records.push_back(FormatDataRecord(static_cast<uint16_t>(first), bytes));
    }
    records.push_back(kEndOfFileRecord);
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 65536) return 0;
    const std::string file = (data[0] & 1) ? GenerateRecords(data + 1, size - 1)
                                           : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    WriteFile(file);

    // The viewer, line by line, as the HexToLine box moves it.
    HexLineStore store;
    const HexLoadResult read = ReadHexLines(Folder(), "f.HEX", store, "3");
    if (!read.Ok()) {
        ZELO_FUZZ_CHECK(read.problem == HexLoadProblem::TooManyLines, "only a long file fails the line read");
        ZELO_FUZZ_CHECK(store.Count() == 0, "a refused file leaves no lines");
    }
    const std::vector<std::string> lines = store.lines;
    for (int k = 1; k <= store.Count(); ++k) {
        store.currentLine = k;
        const HexLoadResult shown = ShowHexLine(store);
        const auto caption = app::HexFileCaption(shown);
        ZELO_FUZZ_CHECK(caption.has_value(), "every line gets a caption");
        const std::string prefix = "HexFile has " + std::to_string(store.Count()) + " lines  ==>  Line" +
                                   std::to_string(k);
        ZELO_FUZZ_CHECK(caption->rfind(prefix, 0) == 0, "the caption names the line");
        ZELO_FUZZ_CHECK(shown.viewer && app::HexViewerText(*shown.viewer).has_value() == shown.Ok(),
                        "every record is shown in the viewer box");
        ZELO_FUZZ_CHECK(shown.Ok() == (!lines[k - 1].empty() && lines[k - 1][0] == ':'),
                        "a line without ':' is a wrong format, others are shown");
    }

    // The simulation load against a model built from the record parser.
    core::CpuState cpu;
    HexLoaderState state;
    const HexLoadResult load = ReadHexIntoCodeMemory(Folder(), HexFileChoice{false, "F.hex"}, cpu, state);
    ZELO_FUZZ_CHECK(cpu.codeMemory.size() == core::kMemoryCells, "code memory keeps its size");
    ZELO_FUZZ_CHECK(AllCellsValid(cpu), "cells are xx or upper-case hex");
    if (!read.Ok()) return 0;

    std::vector<int> model(0x10000, -1);
    int modelEnd = -1;
    int badLine = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const HexRecord record = ParseHexRecord(lines[i]);
        if (record.problem != HexLoadProblem::None) {
            badLine = static_cast<int>(i + 1);
            break;
        }
        ZELO_FUZZ_CHECK(record.data.size() == 2u * record.count, "a good record holds count data bytes");
        if (record.type == 1) break;
        if (record.type != 0 || record.count == 0) continue;
        ZELO_FUZZ_CHECK(record.address + record.count <= 0x10000, "a good data record stays below 10000H");
        for (int j = 0; j < record.count; ++j) {
            const std::string pair(record.data.substr(2 * j, 2));
            model[record.address + j] = static_cast<int>(std::strtoul(pair.c_str(), nullptr, 16));
        }
        modelEnd = record.address + record.count;
    }
    if (badLine != 0) {
        ZELO_FUZZ_CHECK(!load.Ok() && load.problemLine == badLine, "the load stops at the first bad record");
        ZELO_FUZZ_CHECK(app::HexFileCaption(load).has_value(), "a bad record is reported");
        return 0;
    }
    ZELO_FUZZ_CHECK(load.Ok(), "a file of good records loads");
    ZELO_FUZZ_CHECK(state.codeEnd == modelEnd, "CodeEnd is one past the last data record");
    ZELO_FUZZ_CHECK(ModelMismatch(model, cpu) < 0, "cells hold what the last record wrote, xx where none did");

    // The disassembly load marks exactly the written cells.
    core::CpuState dis;
    HexLoaderState disState;
    const HexLoadResult disLoad = ReadHexForDisassembly(Folder(), "F.hex", dis, disState);
    ZELO_FUZZ_CHECK(disLoad.Ok(), "the disassembly load accepts what the simulation load accepts");
    ZELO_FUZZ_CHECK(DisassemblyAgrees(model, cpu, dis, disLoad.loadedMark),
                    "the disassembly load marks the written cells and agrees with the simulation image");

    // The image written back as 16-byte records loads to the same image.
    const std::vector<std::string> records = RecordsOf(model);
    if (records.size() > static_cast<size_t>(kMaxHexLines)) return 0;
    std::string again;
    for (const auto& r : records) again += r + "\r\n";
    WriteFile(again);
    core::CpuState back;
    HexLoaderState backState;
    const HexLoadResult reload = ReadHexIntoCodeMemory(Folder(), HexFileChoice{false, "F.hex"}, back, backState);
    ZELO_FUZZ_CHECK(reload.Ok(), "records written by FormatDataRecord load");
    ZELO_FUZZ_CHECK(ModelMismatch(model, back) < 0, "the image written back loads to the same image");
    return 0;
}
