#include "loader/disassemble_file.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/cpu_state.h"
#include "core/text_file.h"

namespace zelo::loader {

namespace fs = std::filesystem;

DisassemblyOutput DisassembleImage(const CodeImage& image, core::ChipModel chip)
{
    Disassembler disassembler(image, chip);
    disassembler.Run();
    return disassembler.WriteDisassembly();
}

namespace {

DisassemblyImage LoadHex(const fs::path& file)
{
    DisassemblyImage loaded;
    core::CpuState cpu;
    HexLoaderState state;
    loaded.hex = ReadHexForDisassembly(file.parent_path().empty() ? fs::path(".") : file.parent_path(),
                                       file.filename().string(), cpu, state);
    if (!loaded.hex.Ok()) {
        loaded.problem = DisassemblyProblem::BadHex;
        return loaded;
    }
    CodeImage image;
    const std::vector<uint8_t>& mark = loaded.hex.loadedMark;
    for (int a = 0; a < kCodeSpace && a < static_cast<int>(mark.size()); ++a) {
        if (!mark[a]) continue;
        const core::HexCell cell = cpu.codeMemory[a];
        const int hi = core::HexDigitAnyCase(cell.hi), lo = core::HexDigitAnyCase(cell.lo);
        if (hi < 0 || lo < 0) continue;
        image.Set(a, static_cast<uint8_t>(hi * 16 + lo));
    }
    loaded.image = std::move(image);
    return loaded;
}

DisassemblyImage Refused(DisassemblyProblem problem, std::string detail = {})
{
    DisassemblyImage refused;
    refused.problem = problem;
    refused.detail = std::move(detail);
    return refused;
}

}  // namespace

DisassemblyImage LoadImageForDisassembly(const fs::path& file)
{
    const std::string name = file.filename().string();
    const std::string kind = core::ToUpperAscii(name.size() >= 3 ? name.substr(name.size() - 3) : name);
    if (kind != "TSK" && kind != "HEX") return Refused(DisassemblyProblem::NotHexOrTask);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return Refused(DisassemblyProblem::MissingFile);
    if (kind == "HEX") return LoadHex(file);

    // A file far too large is refused before it is read into memory.
    if (const auto size = fs::file_size(file, ec); !ec && size > static_cast<std::uintmax_t>(kCodeSpace))
        return Refused(DisassemblyProblem::TaskTooLarge);
    std::string readError;
    const auto bytes = core::ReadBinaryFile(file, &readError);
    if (!bytes) return Refused(DisassemblyProblem::Unreadable, readError);
    if (bytes->size() > static_cast<std::size_t>(kCodeSpace)) return Refused(DisassemblyProblem::TaskTooLarge);
    DisassemblyImage loaded;
    loaded.image = CodeImageFromTask(*bytes);
    return loaded;
}

DisassemblyFileResult DisassembleFile(const fs::path& file, core::ChipModel chip)
{
    DisassemblyFileResult result;
    result.fileName = file.filename().string();
    const std::string& name = result.fileName;
    result.disassemblyName = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    DisassemblyImage loaded = LoadImageForDisassembly(file);
    result.hex = std::move(loaded.hex);
    if (!loaded.image) {
        result.problem = loaded.problem;
        result.detail = std::move(loaded.detail);
        return result;
    }
    result.noCode = loaded.image->End() == 0;

    DisassemblyOutput output = DisassembleImage(*loaded.image, chip);
    result.dataLines = output.dataLines;
    result.notes = std::move(output.notes);
    result.listingPath = file.parent_path() / (result.disassemblyName + "Dis.lst");
    result.sourcePath = file.parent_path() / (result.disassemblyName + "Dis.asm");
    if (!core::WriteTextLines(result.listingPath, output.listingLines, &result.detail) ||
        !core::WriteTextLines(result.sourcePath, output.sourceLines, &result.detail)) {
        result.problem = DisassemblyProblem::NotWritten;
        return result;
    }
    result.ok = true;
    if (auto text = core::ReadTextFile(result.listingPath)) {
        result.listingText = std::move(*text);
        result.listingReadBack = true;
    }
    return result;
}

}  // namespace zelo::loader
