// The task-file reader and the disassembler on random images. The input's
// first byte picks the chip and whether the bytes go through a task file on
// disk or straight into an image; the rest is the task file (or, with bit 2
// set, a few chunks placed at chosen addresses).
//
// Invariants: the task file on disk gives the same image as the bytes in
// memory; the listing and source have one line each, the listing line is the
// source line behind 18 columns; the source, assembled again, gives exactly
// the programmed bytes of the image (same addresses, same values, nothing
// else).
#include <cstdint>
#include <string>
#include <vector>

#include "app/assembly_texts.h"
#include "asm/assembler_session.h"
#include "fuzz_check.h"
#include "fuzz_temp_folder.h"
#include "loader/code_image.h"
#include "loader/disassemble_file.h"
#include "loader/intel_hex.h"

using namespace zelo;
using namespace zelo::loader;
namespace fs = std::filesystem;

namespace {

// Chunks: address high, address low, length, bytes.
CodeImage ChunkImage(const uint8_t* data, size_t size)
{
    CodeImage image;
    size_t i = 0;
    while (i + 3 <= size) {
        const int address = data[i] << 8 | data[i + 1];
        const int length = data[i + 2] % 64;
        i += 3;
        for (int k = 0; k < length && i < size && address + k < kCodeSpace; ++k) image.Set(address + k, data[i++]);
    }
    return image;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// -1 when the assembled bytes are exactly the image's programmed bytes.
ZELO_FUZZ_NO_COVERAGE int FirstDifference(const CodeImage& image, const std::vector<int>& assembled)
{
    for (int a = 0; a < kCodeSpace; ++a)
        if (assembled[a] != (image.programmed[a] ? image.value[a] : -1)) return a;
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1200) return 0;  // the source stays within the assembler's line limit
    const auto chip = static_cast<core::ChipModel>(data[0] % 3);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    CodeImage image;
    if (data[0] & 4) {
        image = ChunkImage(data + 1, size - 1);
    } else {
        image = CodeImageFromTask(bytes);
        if (data[0] & 8) {
            const fs::path task = fuzz::TempFolder() / "T.tsk";
            fuzz::WriteTempFile(task, bytes);
            const auto loaded = LoadImageForDisassembly(task).image;
            ZELO_FUZZ_CHECK(loaded.has_value(), "a task file of at most 64 KB loads");
            ZELO_FUZZ_CHECK(loaded->value == image.value && loaded->programmed == image.programmed,
                            "the task file on disk gives the image of its bytes");
        }
    }

    const DisassemblyOutput out = DisassembleImage(image, chip);
    ZELO_FUZZ_CHECK(out.listingLines.size() == out.sourceLines.size(), "one listing line per source line");
    for (size_t i = 0; i < out.listingLines.size(); ++i) {
        const std::string& listing = out.listingLines[i];
        ZELO_FUZZ_CHECK(listing.size() >= 18 && listing.substr(18) == out.sourceLines[i],
                        "the listing line is the source line behind 18 columns");
    }
    if (image.End() == 0) return 0;

    // Assemble the source again in an empty workspace.
    const fs::path workspace = fuzz::TempFolder() / "ws";
    std::error_code ec;
    fs::create_directories(workspace / "8051.LIB", ec);
    assembler::AssemblerSession session(workspace, chip);
    session.SetStatisticsEnabled(false);
    session.SetTraceEnabled(false);
    session.SetClock([] { return assembler::ListingClock{"2024/01/01", "00:00:00"}; });
    session.SetProgramName("DIS");
    session.SetSourceText(Join(out.sourceLines));
    session.AsmAll();
    if (!session.Succeeded()) {
        std::fprintf(stderr, "--- source ---\n%s--- problems ---\n%s\n", Join(out.sourceLines).c_str(),
                     app::AssemblyReport(session.Result(), session.Outcome()).c_str());
    }
    ZELO_FUZZ_CHECK(session.Succeeded(), "the disassembler's source assembles");

    std::vector<int> assembled(kCodeSpace, -1);
    for (const std::string& line : session.HexRecords()) {
        const HexRecord record = ParseHexRecord(line);
        ZELO_FUZZ_CHECK(record.problem == HexLoadProblem::None, "the assembler writes good records");
        if (record.type != 0) continue;
        for (int j = 0; j < record.count; ++j)
            assembled[record.address + j] = std::stoi(std::string(record.data.substr(2 * j, 2)), nullptr, 16);
    }
    const int differs = FirstDifference(image, assembled);
    if (differs >= 0)
        std::fprintf(stderr, "at %04X: assembled %d\n%s", differs, assembled[differs], Join(out.listingLines).c_str());
    ZELO_FUZZ_CHECK(differs < 0, "the source re-assembles to the image's bytes");
    return 0;
}
