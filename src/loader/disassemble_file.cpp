#include "loader/disassemble_file.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/cpu_state.h"
#include "core/text_file.h"
#include "loader/intel_hex.h"

namespace zelo::loader {

namespace fs = std::filesystem;

DisassemblyOutput DisassembleImage(const CodeImage& image, core::ChipModel chip)
{
    Disassembler disassembler(image, chip);
    disassembler.Run();
    return disassembler.WriteDisassembly();
}

namespace {

std::optional<CodeImage> LoadHex(const fs::path& file, std::string* error, std::string* note)
{
    core::CpuState cpu;
    HexLoaderState state;
    const HexLoadResult result =
        ReadHexForDisassembly(file.parent_path().empty() ? fs::path(".") : file.parent_path(),
                              file.filename().string(), cpu, state);
    if (!result.Ok()) {
        if (error != nullptr) {
            const std::string name = file.filename().string();
            if (result.hexFileCaption) *error = name + ": " + *result.hexFileCaption;
            else if (result.asmFileCaption) *error = name + ": " + *result.asmFileCaption;
            else *error = name + " has wrong format";
        }
        return std::nullopt;
    }
    if (!result.endRecord && result.bytesLoaded > 0 && note != nullptr)
        *note = file.filename().string() + " has no end record; the " +
                std::to_string(result.bytesLoaded) +
                " bytes before the end of the file were disassembled.";
    CodeImage image;
    for (int a = 0; a < kCodeSpace && a < static_cast<int>(result.loadedMark.size()); ++a) {
        if (!result.loadedMark[a]) continue;
        const core::HexCell cell = cpu.codeMemory[a];
        const int hi = core::HexDigitAnyCase(cell.hi), lo = core::HexDigitAnyCase(cell.lo);
        if (hi < 0 || lo < 0) continue;
        image.Set(a, static_cast<uint8_t>(hi * 16 + lo));
    }
    return image;
}

}  // namespace

std::optional<CodeImage> LoadImageForDisassembly(const fs::path& file, std::string* error,
                                                 std::string* note)
{
    auto fail = [&](const std::string& message) -> std::optional<CodeImage> {
        if (error != nullptr) *error = message;
        return std::nullopt;
    };
    const std::string name = file.filename().string();
    const std::string kind = core::ToUpperAscii(name.size() >= 3 ? name.substr(name.size() - 3) : name);
    if (kind != "TSK" && kind != "HEX") return fail(name + " is not a .hex or .tsk file.");
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return fail(name + " doesn't  exist.");
    if (kind == "HEX") return LoadHex(file, error, note);

    // A file far too large is refused before it is read into memory.
    if (const auto size = fs::file_size(file, ec); !ec && size > static_cast<std::uintmax_t>(kCodeSpace))
        return fail(name + " is larger than 64 KB and is not a task file.");
    std::string readError;
    const auto bytes = core::ReadBinaryFile(file, &readError);
    if (!bytes) return fail(name + " cannot be read: " + readError);
    if (bytes->size() > static_cast<std::size_t>(kCodeSpace))
        return fail(name + " is larger than 64 KB and is not a task file.");
    return CodeImageFromTask(*bytes);
}

DisassemblyFileResult DisassembleFile(const fs::path& file, core::ChipModel chip)
{
    DisassemblyFileResult result;
    const std::string name = file.filename().string();
    result.disassemblyName = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    std::string note;
    auto image = LoadImageForDisassembly(file, &result.message, &note);
    if (!image) return result;
    if (image->End() == 0) note = name + " holds no code: 0 bytes loaded.";

    const DisassemblyOutput output = DisassembleImage(*image, chip);
    if (output.dataLines > kAssemblerDataLineLimit) {
        // The source would not assemble: the assembler's data list holds
        // fewer DB lines than the bytes outside code need.
        result.message = name + " needs " + std::to_string(output.dataLines) +
                         " DB lines, more than the " + std::to_string(kAssemblerDataLineLimit) +
                         " the assembler holds: no disassembly written.";
        return result;
    }
    if (!note.empty()) result.notes.push_back(note);
    result.notes.insert(result.notes.end(), output.messages.begin(), output.messages.end());
    result.listingPath = file.parent_path() / (result.disassemblyName + "Dis.lst");
    result.sourcePath = file.parent_path() / (result.disassemblyName + "Dis.asm");
    std::string writeError;
    if (!core::WriteTextLines(result.listingPath, output.listingLines, &writeError) ||
        !core::WriteTextLines(result.sourcePath, output.sourceLines, &writeError)) {
        result.message = "The disassembly could not be written: " + writeError;
        return result;
    }
    result.ok = true;
    if (auto text = core::ReadTextFile(result.listingPath)) result.listingText = *text;
    else result.asmFileCaption = kListingMissingCaption;
    return result;
}

}  // namespace zelo::loader
