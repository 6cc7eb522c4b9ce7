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
#include "loader/intel_hex.h"

namespace zelo::loader {

enum class DisassemblyProblem {
    None,
    NotHexOrTask,      // the name ends in neither .hex nor .tsk
    MissingFile,       // nothing at the path
    BadHex,            // the HEX file could not be read: see hex
    TaskTooLarge,      // a task file of more than 64 KB
    Unreadable,        // the file could not be read: see detail
    NotWritten,        // the two files could not be written: see detail
};

// The image of a file, or why there is none.
struct DisassemblyImage {
    std::optional<CodeImage> image;
    DisassemblyProblem problem = DisassemblyProblem::None;
    std::string detail;  // the system's reason for Unreadable
    HexLoadResult hex;   // a HEX file: what the read found (its end record, its bytes)
};

struct DisassemblyFileResult {
    bool ok = false;
    DisassemblyProblem problem = DisassemblyProblem::None;  // why nothing was written, when !ok
    std::string fileName;                   // the file's name without its folder
    std::string detail;                     // the system's reason for Unreadable and NotWritten
    HexLoadResult hex;                      // a HEX file: what the read found
    bool noCode = false;                    // the image holds no code
    int dataLines = 0;                      // DB lines the source needs
    std::string disassemblyName;            // DisassemblyName: the file name without its last four characters
    std::filesystem::path listingPath;      // <name>Dis.lst
    std::filesystem::path sourcePath;       // <name>Dis.asm
    std::string listingText;                // the listing read back, for the listing box
    bool listingReadBack = false;           // the listing could be read back
    std::vector<DisassemblyNote> notes;     // the disassembler's: tables that filled up and similar
};

// The two files' lines for an image already in memory.
DisassemblyOutput DisassembleImage(const CodeImage& image, core::ChipModel chip);

// The image of a ".tsk" or ".hex" file (the kind is the name's last three
// characters, upper-cased); none, with the reason, when the file is missing,
// has the wrong kind, is longer than 64 KB or is not a valid HEX file. A HEX
// file without its end record loads what it holds.
DisassemblyImage LoadImageForDisassembly(const std::filesystem::path& file);

// DisassembleFile: loads the file, disassembles it, writes both files next to
// it (CR LF lines, each written whole or not at all) and reads the listing
// back.
DisassemblyFileResult DisassembleFile(const std::filesystem::path& file, core::ChipModel chip);

}  // namespace zelo::loader
