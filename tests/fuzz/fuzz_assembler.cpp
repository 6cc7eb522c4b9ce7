// The assembler on a whole source with an INCLUDE header and a .EXTERN
// module. The input is cut at \x01 bytes into: the source, the header
// 8051.LIB/A.H and the module listing 8051.LIB/M.lst, written into a
// private workspace. The first byte picks the chip.
//
// Invariants: a run always finishes; when it succeeds every HEX record is
// good, the HEX file written loads back to the image the records describe,
// the task file holds the same bytes (FF in the gaps), and the line table
// agrees with the image: every byte an assembled line holds is in the image
// at its address.
#include <cstdint>
#include <string>
#include <vector>

#include "asm/assembler_session.h"
#include "asm/macro_expander.h"
#include "asm/source_file.h"
#include "core/text_file.h"
#include "fuzz_check.h"
#include "fuzz_temp_folder.h"
#include "loader/intel_hex.h"

using namespace zelo;
using namespace zelo::loader;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Parts(std::string_view text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() < 2) {
        const size_t cut = text.find('\x01', start);
        if (cut == std::string_view::npos) break;
        parts.emplace_back(text.substr(start, cut - start));
        start = cut + 1;
    }
    parts.emplace_back(text.substr(start));
    while (parts.size() < 3) parts.emplace_back();
    return parts;
}

ZELO_FUZZ_NO_COVERAGE bool SameImage(const std::vector<int>& image, const core::CpuState& cpu)
{
    for (int a = 0; a < 0x10000; ++a) {
        const auto& cell = cpu.codeMemory[static_cast<size_t>(a)];
        if (!(image[a] < 0 ? cell.IsUnloaded() : cell == core::HexCell::FromValue(image[a]))) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 16384) return 0;
    const auto chip = static_cast<core::ChipModel>(data[0] % 3);
    const auto parts = Parts(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    const fs::path workspace = fuzz::TempFolder() / "ws";
    std::error_code ec;
    fs::remove_all(workspace, ec);
    fs::create_directories(workspace / "8051.LIB", ec);
    fuzz::WriteTempFile(workspace / "8051.LIB" / "A.H", parts[1]);
    fuzz::WriteTempFile(workspace / "8051.LIB" / "M.lst", parts[2]);

    assembler::AssemblerSession session(workspace, chip);
    session.SetStatisticsEnabled((data[0] & 8) != 0);
    session.SetTraceEnabled((data[0] & 16) != 0);
    session.SetClock([] { return assembler::ListingClock{"2024/01/01", "00:00:00"}; });
    session.SetProgramName("PROG");
    session.SetSourceText(parts[0]);
    if (data[0] & 4) {
        session.StartAssembly();
        for (int i = 0; i < 30000 && session.IsAssembling(); ++i) session.AsmNextLine();
        if (session.IsAssembling()) session.AsmAll();
    } else {
        session.AsmAll();
    }
    {
        // The macro expander over the same source: every line keeps an origin
        // inside the source, and the expansion stays within its bound.
        std::vector<assembler::SourceLine> lines;
        for (const std::string& text : assembler::SplitSourceLines(parts[0]))
            lines.push_back({text, {"", static_cast<int>(lines.size()) + 1}});
        assembler::ExpandOptions options;
        options.maxLines = 4096;
        const assembler::ExpandedSource expanded = assembler::ExpandSource(lines, options);
        ZELO_FUZZ_CHECK(expanded.lines.size() <= 4096u, "the expansion stays within its bound");
        for (const assembler::ExpandedLine& l : expanded.lines)
            ZELO_FUZZ_CHECK(l.origin.line >= 1 && l.origin.line <= static_cast<int>(lines.size()),
                            "an expanded line comes from a source line");
    }
    if (assembler::SplitSourceLines(parts[0]).empty()) {
        ZELO_FUZZ_CHECK(!session.Succeeded() && !fs::exists(workspace / "PROG.hex"), "an empty source writes nothing");
        return 0;
    }
    ZELO_FUZZ_CHECK(session.Finished() && !session.IsAssembling(), "a run always finishes");
    if (!session.Succeeded()) return 0;

    // The image the records describe.
    std::vector<int> image(0x10000, -1);
    int end = 0;
    for (const std::string& line : session.HexRecords()) {
        const HexRecord record = ParseHexRecord(line);
        ZELO_FUZZ_CHECK(record.problem == HexLoadProblem::None, "the assembler writes only good records");
        if (record.type != 0) continue;
        for (int j = 0; j < record.count; ++j) {
            image[record.address + j] = std::stoi(std::string(record.data.substr(2 * j, 2)), nullptr, 16);
            end = std::max(end, record.address + j + 1);
        }
    }
    ZELO_FUZZ_CHECK(session.HexPath().has_value() && session.TaskPath().has_value(), "both files are written");

    // The file on disk loads back to that image.
    core::CpuState cpu(chip);
    HexLoaderState state;
    const auto load = ReadHexIntoCodeMemory(workspace, HexFileChoice{false, "PROG.hex"}, cpu, state);
    if (session.HexRecords().size() <= static_cast<size_t>(kMaxHexLines)) {
        ZELO_FUZZ_CHECK(load.Ok(), "the HEX file the assembler wrote loads");
        ZELO_FUZZ_CHECK(SameImage(image, cpu), "the HEX file loads to the image of its records");
    }

    // The task file: the same bytes from 0000H, FF in the gaps.
    const auto task = core::ReadBinaryFile(*session.TaskPath());
    ZELO_FUZZ_CHECK(task.has_value() && static_cast<int>(task->size()) == end, "the task file ends with the code");
    for (int a = 0; a < end; ++a)
        ZELO_FUZZ_CHECK(static_cast<uint8_t>((*task)[a]) == (image[a] < 0 ? 0xFF : image[a]),
                        "the task file holds the image");
    return 0;
}
