// Disassembling a HEX or task file into "<name>Dis.lst" and "<name>Dis.asm"
// beside it, and the listing text the workbench shows afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/chip_model.h"
#include "loader/code_image.h"
#include "loader/disassembler.h"

namespace zelo::loader {

inline constexpr const char* kListingMissingCaption = "編輯ASMList : No file exist";

struct DisassemblyFileResult {
    bool ok = false;
    std::string message;                   // why nothing was written, when !ok
    std::string disassemblyName;           // DisassemblyName: the file name without its last four characters
    std::filesystem::path listingPath;     // <name>Dis.lst
    std::filesystem::path sourcePath;      // <name>Dis.asm
    std::string listingText;               // the listing read back, for the listing box
    std::string asmFileCaption;            // kListingMissingCaption when it could not be read back
    std::vector<std::string> notes;        // tables that filled up and similar
};

// The two files' lines for an image already in memory.
DisassemblyOutput DisassembleImage(const CodeImage& image, core::ChipModel chip);

// The image of a ".tsk" or ".hex" file (the kind is the name's last three
// characters, upper-cased). Empty and a message in *error when the file is
// missing, has the wrong kind, is longer than 64 KB or is not a valid HEX file.
// A HEX file without its end record loads what it holds and leaves a note.
std::optional<CodeImage> LoadImageForDisassembly(const std::filesystem::path& file,
                                                 std::string* error, std::string* note = nullptr);

// DisassembleFile: loads the file, disassembles it, writes both files next to
// it (CR LF lines, each written whole or not at all) and reads the listing
// back.
DisassemblyFileResult DisassembleFile(const std::filesystem::path& file, core::ChipModel chip);

}  // namespace zelo::loader
